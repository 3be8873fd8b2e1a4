// Random sequences of KIVStr operations on a few strings, each followed against a model: the
// UTF-16 units the string must hold, computed with the string service. Copies into caller
// buffers go into heap blocks of exactly the room they are given; every message reported to the
// feedback object must be one of the documented ones.
#include <KIV_Str.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"

using kivfuzz::Room;

namespace {

using Units = std::u16string;

const CFStringEncoding kEncodings[] = {kCFStringEncodingMacRoman, kCFStringEncodingUTF8,
                                       kCFStringEncodingShiftJIS, kCFStringEncodingWindowsLatin1,
                                       kCFStringEncodingASCII};

const char* const kMessages[] = {
    "KIVStr::operator<<(KIVStr p) : p.encoding != this->encoding",
    "KIVStr::operator<<(KIVStr p) : p is empty",
    "KIVStr::Mid() : start > length !!!",
    "KIVStr::GetPStringCopy : string is larger than 255 !",
    "KIVStr::GetPStringCopy : string is not roman. Impossible to copy to Pstr !",
    "KIVStr::GetCStringCopy : string is larger than len !",
};

class Feedback : public KIVFeedback {
public:
  void Report(const char* message) override {
    FUZZ_CHECK(message != nullptr);
    bool known = false;
    for (const char* m : kMessages)
      known = known || std::strcmp(m, message) == 0;
    FUZZ_CHECK(known);
  }
};

Units unitsOf(CFStringRef s) {
  Units u(static_cast<size_t>(CFStringGetLength(s)), u'\0');
  CFStringGetCharacters(s, CFRangeMake(0, static_cast<CFIndex>(u.size())),
                        reinterpret_cast<UniChar*>(u.data()));
  return u;
}

// The units of bytes decoded in the encoding; nothing when they do not decode.
std::optional<Units> decoded(const std::string& bytes, CFStringEncoding encoding) {
  CFStringRef s =
      CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()),
                              static_cast<CFIndex>(bytes.size()), encoding, false);
  if (!s) return std::nullopt;
  Units u = unitsOf(s);
  CFRelease(s);
  return u;
}

// The bytes of units in the encoding; nothing when a character has no form there.
std::optional<std::string> encoded(const Units& units, CFStringEncoding encoding) {
  CFStringRef s = CFStringCreateWithCharacters(kCFAllocatorDefault,
                                               reinterpret_cast<const UniChar*>(units.data()),
                                               static_cast<CFIndex>(units.size()));
  CFIndex used = 0;
  const CFIndex length = CFStringGetLength(s);
  const CFIndex done =
      CFStringGetBytes(s, CFRangeMake(0, length), encoding, 0, false, nullptr, 0, &used);
  std::string out(static_cast<size_t>(used), '\0');
  CFStringGetBytes(s, CFRangeMake(0, length), encoding, 0, false,
                   reinterpret_cast<UInt8*>(out.data()), used, &used);
  CFRelease(s);
  if (done != length) return std::nullopt;
  return out;
}

Units cased(const Units& units, bool upper) {
  CFMutableStringRef s = CFStringCreateMutable(kCFAllocatorDefault, 0);
  CFStringAppendCharacters(s, reinterpret_cast<const UniChar*>(units.data()),
                           static_cast<CFIndex>(units.size()));
  if (upper)
    CFStringUppercase(s, nullptr);
  else
    CFStringLowercase(s, nullptr);
  Units out = unitsOf(s);
  CFRelease(s);
  return out;
}

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// One string object and the units it must hold.
struct Subject {
  std::unique_ptr<KIVStr> s;
  Units model;
  CFStringEncoding encoding;
};

class Session {
public:
  explicit Session(FuzzedDataProvider& input) : in_(input) {}

  void run() {
    for (auto& subject : subjects_)
      make(subject);
    for (int ops = 0; ops < 48 && in_.remaining_bytes() > 0; ++ops) {
      Subject& a = subjects_[in_.ConsumeIntegralInRange(0, 2)];
      Subject& b = subjects_[in_.ConsumeIntegralInRange(0, 2)];
      step(a, b);
      verify(a);
    }
  }

private:
  std::string bytes() { return in_.ConsumeRandomLengthString(48); }

  void make(Subject& subject) {
    subject.encoding = in_.PickValueInArray(kEncodings);
    subject.s = std::make_unique<KIVStr>(in_.ConsumeIntegral<int>(), subject.encoding, &feedback_);
    subject.model.clear();
  }

  // Bytes appended in the string's encoding: all or nothing.
  void append(Subject& a, const std::string& text) {
    if (auto units = decoded(text, a.encoding)) a.model += *units;
  }

  void step(Subject& a, Subject& b) {
    switch (in_.ConsumeIntegralInRange(0, 17)) {
    case 0: {
      const std::string text = bytes();
      a.s->Affect(text.c_str());
      a.model.clear();
      append(a, text.c_str());
      break;
    }
    case 1: {
      const auto p = kivfuzz::pascal(bytes());
      *a.s = p.data();
      a.model.clear();
      append(a, std::string(reinterpret_cast<const char*>(p.data() + 1), p[0]));
      break;
    }
    case 2: {
      const int n = in_.ConsumeIntegral<int>();
      if (in_.ConsumeBool()) {
        *a.s << n;
      } else {
        a.s->Affect(n);
        a.model.clear();
      }
      append(a, std::to_string(n));
      break;
    }
    case 3: {
      const char c = in_.ConsumeIntegral<char>();
      *a.s << c;
      if (c != 0) append(a, std::string(1, c));
      break;
    }
    case 4: {
      const std::string text = bytes();
      *a.s << text.c_str();
      append(a, text.c_str());
      break;
    }
    case 5: {
      const std::string raw = bytes();
      std::vector<unsigned short> u(1 + raw.size() / 2);
      u[0] = static_cast<unsigned short>(raw.size() / 2);
      if (u[0] > 0) std::memcpy(u.data() + 1, raw.data(), 2 * u[0]);
      *a.s << u.data();
      a.model.append(reinterpret_cast<const char16_t*>(u.data() + 1), u[0]);
      break;
    }
    case 6: {
      // Appending another string object: only one of the same encoding that is not empty.
      const Units appended = b.model;
      const bool taken = b.encoding == a.encoding && !appended.empty();
      *a.s << *b.s;
      if (taken) a.model += appended;
      break;
    }
    case 7: {
      const bool upper = in_.ConsumeBool();
      upper ? a.s->Upper() : a.s->Lower();
      a.model = cased(a.model, upper);
      break;
    }
    case 8: {
      const short start = in_.ConsumeIntegral<short>(), count = in_.ConsumeIntegral<short>();
      KIVStr mid = a.s->Mid(start, count);
      Units want;
      if (start >= 0 && count > 0 && static_cast<size_t>(start) < a.model.size())
        want = a.model.substr(start, count);
      FUZZ_CHECK(unitsOf(mid.GetCFString()) == want);
      break;
    }
    case 9: {
      const short n = in_.ConsumeIntegral<short>();
      const bool left = in_.ConsumeBool();
      KIVStr part = left ? a.s->Left(n) : a.s->Right(n);
      Units want;
      if (left && n > 0 && !a.model.empty())
        want = a.model.substr(0, n);
      else if (!left)
        want = static_cast<long>(a.model.size()) > n
                   ? (n > 0 ? a.model.substr(a.model.size() - n) : Units())
                   : a.model;
      FUZZ_CHECK(unitsOf(part.GetCFString()) == want);
      break;
    }
    case 10: {
      const int want = sign(a.model.compare(b.model));
      FUZZ_CHECK(a.s->Compare(*b.s) == want);
      if (a.model == b.model) FUZZ_CHECK(a.s->CompareNoCase(*b.s) == 0);
      break;
    }
    case 11: {
      KIVStr copy(*a.s);
      FUZZ_CHECK(copy.Compare(*a.s) == 0 && copy.GetEncoding() == a.encoding);
      KIVStr sum = copy + *b.s;
      Units want = a.model;
      if (b.encoding == a.encoding && !b.model.empty()) want += b.model;
      FUZZ_CHECK(unitsOf(sum.GetCFString()) == want);
      if (b.encoding == a.encoding && !b.model.empty()) FUZZ_CHECK(KIVEndsBy(sum, *b.s));
      break;
    }
    case 12: {
      // Assignment empties the string, then appends the other as operator<< does.
      *a.s = *b.s;
      if (&a != &b) a.model = b.encoding == a.encoding ? b.model : Units();
      break;
    }
    case 13: {
      a.s->Empty();
      a.model.clear();
      break;
    }
    case 14: {
      make(a);
      break;
    }
    case 15: {
      if (in_.ConsumeBool())
        a.s->AllocBuffer(in_.ConsumeIntegral<short>());
      else
        a.s->ReleaseBuffer();
      break;
    }
    case 16: {
      a.s->CreateEmptyString(in_.ConsumeIntegral<short>());
      a.model.clear();
      break;
    }
    default: {
      const std::string raw = bytes();
      std::string swapped = raw;
      a.s->SwapBuffer(swapped.data(), static_cast<int>(swapped.size()));
      for (size_t i = 0; i + 1 < raw.size(); i += 2)
        FUZZ_CHECK(swapped[i] == raw[i + 1] && swapped[i + 1] == raw[i]);
      break;
    }
    }
  }

  // The string holds its model's units, and every copy of it agrees with them.
  void verify(Subject& a) {
    KIVStr& s = *a.s;
    const Units& model = a.model;
    FUZZ_CHECK(unitsOf(s.GetCFString()) == model);
    FUZZ_CHECK(s.Length() == static_cast<short>(std::min<size_t>(model.size(), 32767)));
    FUZZ_CHECK(s.IsEmpty() == model.empty());
    const auto bytesForm = encoded(model, a.encoding);

    const char* c = s;
    const std::string wantC = bytesForm ? bytesForm->c_str() : "";
    FUZZ_CHECK(c != nullptr && std::string(c) == wantC);
    const unsigned char* p = s;
    FUZZ_CHECK(std::string(reinterpret_cast<const char*>(p + 1), p[0]) ==
               (bytesForm && bytesForm->size() <= 255 ? *bytesForm : std::string()));

    const short len = in_.ConsumeIntegralInRange<short>(0, 300);
    Room<char> cRoom(len);
    const bool fits = s.GetCStringCopy(cRoom.data(), len);
    FUZZ_CHECK(fits == (len > 0 && bytesForm && bytesForm->size() < static_cast<size_t>(len)));
    if (fits) FUZZ_CHECK(cRoom.cString() == wantC);

    const int max = in_.ConsumeIntegralInRange(0, 300);
    Room<unsigned short> uRoom(max + 1);
    s.GetUniStringCopy(uRoom.data(), max);
    const size_t n = std::min<size_t>(model.size(), max);
    FUZZ_CHECK(uRoom[0] == n && std::memcmp(uRoom.data() + 1, model.data(), 2 * n) == 0);

    const long utfMax = in_.ConsumeIntegralInRange<long>(0, 300);
    Room<char> utf(utfMax + 1);
    s.GetUTF8StringCopy(utf.data(), utfMax);
    const std::string got = utf.cString();
    FUZZ_CHECK(static_cast<long>(got.size()) <= utfMax);
    // What was copied is whole characters from the start of the text.
    if (auto back = decoded(got, kCFStringEncodingUTF8))
      FUZZ_CHECK(model.compare(0, back->size(), *back) == 0);
    else
      FUZZ_CHECK(false);

    Room<unsigned char> pRoom(256);
    s.GetPStringCopy(pRoom.data());
    if (a.encoding == kCFStringEncodingMacRoman && model.size() <= 255 && bytesForm)
      FUZZ_CHECK(std::string(reinterpret_cast<const char*>(pRoom.data() + 1), pRoom[0]) ==
                 *bytesForm);
    else
      FUZZ_CHECK(pRoom[0] == 0 || a.encoding == kCFStringEncodingMacRoman);
  }

  FuzzedDataProvider& in_;
  Feedback feedback_;
  Subject subjects_[3];
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  Session(input).run();
  return 0;
}
