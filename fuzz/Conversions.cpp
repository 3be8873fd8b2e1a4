// The string service and the sixteen conversions between string forms, on random bytes. Every
// destination is a heap block of exactly the room the conversion is promised, so a write past it
// is caught; each result is either empty or the whole text, which the string service decodes back
// to the source, and conversions that must succeed (Mac Roman decodes every byte) are checked to.
#include <KIVStr.h>
#include <KIV_Str.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"

using kivfuzz::Room;

namespace {

using Units = std::vector<unsigned short>;

const CFStringEncoding kEncodings[] = {
    kCFStringEncodingMacRoman,      kCFStringEncodingWindowsLatin1, kCFStringEncodingShiftJIS,
    kCFStringEncodingUTF8,          kCFStringEncodingASCII,         kCFStringEncodingEUC_JP,
    kCFStringEncodingGB_18030_2000, kCFStringEncodingBig5,          0x12345,
    kCFStringEncodingInvalidId};

// The units of bytes decoded by the string service; nothing when they do not decode.
std::optional<Units> decoded(CFStringEncoding encoding, const std::string& bytes) {
  CFStringRef s =
      CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()),
                              static_cast<CFIndex>(bytes.size()), encoding, false);
  if (!s) return std::nullopt;
  Units units(static_cast<size_t>(CFStringGetLength(s)));
  CFStringGetCharacters(s, CFRangeMake(0, static_cast<CFIndex>(units.size())), units.data());
  CFRelease(s);
  return units;
}

// The bytes of units encoded by the string service; nothing when a character has no form.
std::optional<std::string> encoded(CFStringEncoding encoding, const Units& units) {
  CFStringRef s = CFStringCreateWithCharacters(kCFAllocatorDefault, units.data(),
                                               static_cast<CFIndex>(units.size()));
  if (!s) return std::nullopt;
  CFIndex used = 0;
  const CFIndex length = CFStringGetLength(s);
  const CFIndex done =
      CFStringGetBytes(s, CFRangeMake(0, length), encoding, 0, false, nullptr, 0, &used);
  std::string out(static_cast<size_t>(used), '\0');
  if (done == length)
    CFStringGetBytes(s, CFRangeMake(0, length), encoding, 0, false,
                     reinterpret_cast<UInt8*>(out.data()), used, &used);
  CFRelease(s);
  if (done != length) return std::nullopt;
  return out;
}

// A Unicode string (count, then units) in a block of exactly its size.
Units uniString(const Units& units) {
  Units u(1 + units.size());
  u[0] = static_cast<unsigned short>(units.size());
  std::copy(units.begin(), units.end(), u.begin() + 1);
  return u;
}

Units unitsOf(const unsigned short* u) { return Units(u + 1, u + 1 + u[0]); }

std::string textOf(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

std::string upToNul(const std::string& s) { return std::string(s.c_str()); }

void service(CFStringEncoding encoding, const std::string& bytes) {
  CFStringRef s =
      CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()),
                              static_cast<CFIndex>(bytes.size()), encoding, false);
  if (!s) return;
  const CFIndex length = CFStringGetLength(s);
  // Decoding then encoding gives the bytes back in the encodings with one form per character.
  Room<UInt8> out(bytes.size());
  CFIndex used = 0;
  const CFIndex converted = CFStringGetBytes(s, CFRangeMake(0, length), encoding, 0, false,
                                             out.data(), static_cast<CFIndex>(bytes.size()), &used);
  FUZZ_CHECK(converted <= length && used <= static_cast<CFIndex>(bytes.size()));
  if (encoding == kCFStringEncodingUTF8 || encoding == kCFStringEncodingMacRoman)
    FUZZ_CHECK(converted == length && used == static_cast<CFIndex>(bytes.size()) &&
               std::memcmp(out.data(), bytes.data(), bytes.size()) == 0);

  Room<char> c(bytes.size() % 300 + 1);
  if (CFStringGetCString(s, c.data(), static_cast<CFIndex>(c.size()), kCFStringEncodingUTF8))
    c.cString();
  Room<unsigned char> p(bytes.size() % 300 + 1);
  if (CFStringGetPascalString(s, p.data(), static_cast<CFIndex>(p.size()), encoding))
    FUZZ_CHECK(p[0] < p.size());

  CFMutableStringRef m = CFStringCreateMutableCopy(kCFAllocatorDefault, 0, s);
  CFStringUppercase(m, nullptr);
  CFStringLowercase(m, nullptr);
  FUZZ_CHECK(CFStringCompare(m, s, kCFCompareCaseInsensitive) == kCFCompareEqualTo ||
             CFStringCompare(s, m, 0) != kCFCompareEqualTo);
  CFStringDelete(m, CFRangeMake(length / 2, length));
  CFStringAppend(m, s);
  CFRelease(m);
  CFRelease(s);
}

// The conversions from Unicode strings and file names.
void fromUnicode(const Units& units) {
  Units u = uniString(units);
  const size_t n = units.size();
  {
    Room<unsigned char> p(n + 1);
    UniStringToPString(u.data(), p.data(), 0);
    FUZZ_CHECK(p[0] <= n);
    if (p[0] > 0) FUZZ_CHECK(decoded(CFStringGetSystemEncoding(), textOf(p.data())) == units);
  }
  HFSUniStr255 name = {};
  name.length = static_cast<UInt16>(std::min<size_t>(n, 255));
  std::copy(units.begin(), units.begin() + name.length, name.unicode);
  const Units nameUnits(units.begin(), units.begin() + name.length);
  const auto roman = encoded(kCFStringEncodingMacRoman, nameUnits);
  {
    Room<unsigned char> p(name.length + 1u);
    UniStringToPString(&name, p.data());
    Room<char> c(name.length + 1u);
    UniStringToCString(&name, c.data());
    if (roman && !roman->empty()) {
      FUZZ_CHECK(textOf(p.data()) == *roman);
      FUZZ_CHECK(c.cString() == upToNul(*roman));
    } else {
      FUZZ_CHECK(p[0] == 0 && c.cString().empty());
    }
  }
  {
    Room<unsigned char> p(255);
    UniStringToSJIS_PString(u.data(), p.data());
    FUZZ_CHECK(p[0] <= 254);
    // Yen and overline are written as 0x5C and 0x7E, which read back as backslash and tilde.
    Units expected(units);
    for (UniChar& c : expected)
      c = c == 0x00A5 ? 0x5C : c == 0x203E ? 0x7E : c;
    if (p[0] > 0) FUZZ_CHECK(decoded(kCFStringEncodingShiftJIS, textOf(p.data())) == expected);
  }
  {
    Room<char> s(2 * n);
    if (n > 0) {
      UniStringToUTFString(u.data(), s.data());
      const auto utf8 = encoded(kCFStringEncodingUTF8, units);
      const std::string got = s.cString();
      if (utf8 && utf8->size() < 2 * n)
        FUZZ_CHECK(got == upToNul(*utf8));
      else
        FUZZ_CHECK(got.empty());
    }
  }
}

// The conversions from Pascal strings.
void fromPascal(const std::string& bytes) {
  const auto p = kivfuzz::pascal(bytes);
  const std::string text = textOf(p.data());
  const auto roman = decoded(kCFStringEncodingMacRoman, text);
  FUZZ_CHECK(roman && roman->size() == text.size()); // Mac Roman has a character for every byte
  {
    Room<unsigned short> u(p[0] + 1u);
    PStringToUniString(const_cast<unsigned char*>(p.data()), u.data(), 0);
    FUZZ_CHECK(unitsOf(u.data()) == *roman);
    HFSUniStr255 name;
    PStringToUniString(const_cast<unsigned char*>(p.data()), &name);
    FUZZ_CHECK(Units(name.unicode, name.unicode + name.length) == *roman);
    Room<unsigned char> back(p.size());
    UniStringToPString(&name, back.data());
    FUZZ_CHECK(textOf(back.data()) == text);
  }
  {
    Room<unsigned short> u(p[0] + 1u);
    RomanStringToUniString(const_cast<unsigned char*>(p.data()), u.data());
    FUZZ_CHECK(unitsOf(u.data()) == Units(p.begin() + 1, p.end()));
  }
  {
    Room<unsigned short> u(p[0] + 1u);
    SJIS_PStringToUniString(const_cast<unsigned char*>(p.data()), u.data());
    const auto sjis = decoded(kCFStringEncodingShiftJIS, text);
    if (sjis && !sjis->empty())
      FUZZ_CHECK(unitsOf(u.data()) == *sjis);
    else
      FUZZ_CHECK(u[0] == 0);
  }
  if (p[0] > 0) {
    Room<char> s(2u * p[0]);
    PStringToUTFString(const_cast<unsigned char*>(p.data()), s.data());
    const auto utf8 = encoded(kCFStringEncodingUTF8, *roman);
    if (utf8->size() < 2u * p[0])
      FUZZ_CHECK(s.cString() == upToNul(*utf8));
    else
      FUZZ_CHECK(s.cString().empty());
    // And back: the Mac Roman text again, up to its first zero byte.
    std::string back = s.cString();
    if (!back.empty()) {
      Room<unsigned char> q(255);
      UTFStringToPString(back.data(), q.data());
      const std::string whole = upToNul(text);
      FUZZ_CHECK(textOf(q.data()) == (whole.size() <= 254 ? whole : std::string()));
    }
  }
}

// The conversions from C strings: Mac Roman or UTF-8 up to the first zero byte.
void fromCString(const std::string& bytes, int size) {
  std::string c = upToNul(bytes);
  const size_t n = c.size();
  if (n > 32767) return;
  {
    Room<unsigned short> u(n + 1);
    CStringToUniString(c.c_str(), u.data());
    FUZZ_CHECK(unitsOf(u.data()) == *decoded(kCFStringEncodingMacRoman, c));
  }
  if (n > 0) {
    Room<char> s(2 * n);
    CStringToUTFString(c.data(), s.data());
    const auto utf8 = encoded(kCFStringEncodingUTF8, *decoded(kCFStringEncodingMacRoman, c));
    FUZZ_CHECK(s.cString() == (utf8->size() < 2 * n ? *utf8 : std::string()));
  }

  // c read as UTF-8.
  const auto units = decoded(kCFStringEncodingUTF8, c);
  const auto roman = units ? encoded(kCFStringEncodingMacRoman, *units) : std::nullopt;
  const std::string romanC = roman ? upToNul(*roman) : std::string();
  {
    Room<unsigned short> u(n + 1);
    UTFStringToUniString(c.data(), u.data());
    FUZZ_CHECK(unitsOf(u.data()) == (units ? *units : Units()));
  }
  {
    Room<char> out(255);
    UTFStringToCString(c.data(), out.data());
    FUZZ_CHECK(out.cString() == (roman && roman->size() <= 254 ? romanC : std::string()));
  }
  if (size > 0) {
    Room<char> out(static_cast<size_t>(size));
    UTFStringToCString(c.data(), out.data(), size);
    FUZZ_CHECK(out.cString() ==
               (roman && roman->size() < static_cast<size_t>(size) ? romanC : std::string()));
  }
  {
    Room<unsigned char> p(255);
    UTFStringToPString(c.data(), p.data());
    FUZZ_CHECK(textOf(p.data()) == (roman && roman->size() <= 254 ? *roman : std::string()));
  }
}

// The Unicode string primitives and the Windows Latin 1 conversion.
void primitives(const std::string& bytes, const Units& units) {
  auto p = kivfuzz::pascal(bytes);
  const auto before = p;
  if (ConvertWinString2MacString(p.data()))
    FUZZ_CHECK(p[0] == before[0]);
  else
    FUZZ_CHECK(p == before);
  std::string c = upToNul(bytes);
  std::vector<char> cw(c.begin(), c.end());
  cw.push_back(0);
  if (ConvertCWinString2MacString(cw.data())) FUZZ_CHECK(std::strlen(cw.data()) == c.size());

  Units u = uniString(units);
  Units swapped(u);
  AlwaysSwapUniString(swapped.data());
  // A host-order count that is a multiple of 256 reads as a short count in the foreign order.
  if (units.size() % 256 != 0)
    for (size_t i = 1; i < u.size(); ++i)
      FUZZ_CHECK(swapped[i] == AlwaysSwapUniChar(u[i]));
  // A count of 256 or more in the foreign order cannot be told from a host-order count, so
  // only shorter strings come back by a second reversal.
  if (units.size() < 256) {
    AlwaysSwapUniString(swapped.data());
    FUZZ_CHECK(swapped == u);
  }
  Units both(2 * units.size() + 1);
  PPUcopy(u.data(), both.data());
  FUZZ_CHECK(units.empty() || EqualStringUni(u.data(), both.data()));
  PPUcat(both.data(), u.data());
  FUZZ_CHECK(both[0] == 2 * units.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const CFStringEncoding encoding = input.PickValueInArray(kEncodings);
  const int room = input.ConsumeIntegralInRange<int>(0, 300);
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  Units units(bytes.size() / 2);
  if (!units.empty()) std::memcpy(units.data(), bytes.data(), 2 * units.size());

  service(encoding, bytes);
  fromUnicode(units);
  fromPascal(bytes);
  fromCString(bytes, room);
  primitives(bytes, units);
  return 0;
}
