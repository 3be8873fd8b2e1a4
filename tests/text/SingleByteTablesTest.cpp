// The single-byte encodings convert through tables read from ICU: every byte and every code
// point of the Basic Multilingual Plane must come out as ICU's own converter gives it, with the
// service's settings (no fallbacks, failure instead of substitution), alone and inside runs of
// ASCII that take the fast paths; the direct paths to and from UTF-8 and between two such
// encodings must equal the way through UTF-16.
#include <gtest/gtest.h>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/string/Codec.h"
#include "platform/string/SingleByte.h"

namespace {

namespace platform = kiv::platform;

void stopToUnicode(const void*, UConverterToUnicodeArgs*, const char*, int32_t,
                   UConverterCallbackReason, UErrorCode*) {}
void stopFromUnicode(const void*, UConverterFromUnicodeArgs*, const UChar*, int32_t, UChar32,
                     UConverterCallbackReason, UErrorCode*) {}

// ICU's converter for one encoding, set up as the service sets up its converters. Each
// conversion answers whether it succeeded and leaves the text in out.
class Reference {
public:
  explicit Reference(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    c_ = ucnv_open(name, &status);
    ucnv_setToUCallBack(c_, stopToUnicode, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(c_, stopFromUnicode, nullptr, nullptr, nullptr, &status);
    ucnv_setFallback(c_, false);
    EXPECT_TRUE(U_SUCCESS(status)) << name;
  }
  ~Reference() { ucnv_close(c_); }
  bool singleByte() const { return ucnv_getMaxCharSize(c_) == 1; }

  bool decode(const std::string& in, std::u16string& out) {
    out.assign(in.size() * 2 + 4, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetToUnicode(c_);
    const int32_t n =
        ucnv_toUChars(c_, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                      in.data(), static_cast<int32_t>(in.size()), &status);
    out.resize(U_SUCCESS(status) ? n : 0);
    return U_SUCCESS(status);
  }
  bool encode(const std::u16string& in, std::string& out) {
    out.assign(in.size() * 4 + 4, '\0');
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(c_);
    const int32_t n = ucnv_fromUChars(c_, out.data(), static_cast<int32_t>(out.size()),
                                      reinterpret_cast<const UChar*>(in.data()),
                                      static_cast<int32_t>(in.size()), &status);
    out.resize(U_SUCCESS(status) ? n : 0);
    return U_SUCCESS(status);
  }

private:
  UConverter* c_ = nullptr;
};

bool utf8ToUnits(const std::string& in, std::u16string& out) {
  out.assign(in.size() + 4, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = 0;
  u_strFromUTF8(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &n,
                in.data(), static_cast<int32_t>(in.size()), &status);
  out.resize(U_SUCCESS(status) ? n : 0);
  return U_SUCCESS(status);
}

std::string unitsToUtf8(const std::u16string& in) {
  std::string out(in.size() * 3 + 4, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = 0;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &n,
              reinterpret_cast<const UChar*>(in.data()), static_cast<int32_t>(in.size()), &status);
  out.resize(n);
  return out;
}

// The service's results as text and success.
bool serviceDecode(CFStringEncoding code, const std::string& in, std::u16string& out) {
  out.assign(in.size() + 1, u'\0');
  const int32_t n =
      platform::decode(code, in.data(), static_cast<int32_t>(in.size()),
                       reinterpret_cast<UniChar*>(out.data()), static_cast<int32_t>(out.size()));
  out.resize(n >= 0 ? n : 0);
  return n >= 0;
}
bool serviceEncode(CFStringEncoding code, const std::u16string& in, std::string& out) {
  out.assign(in.size() + 1, '\0');
  const int32_t n = platform::encode(code, reinterpret_cast<const UniChar*>(in.data()),
                                     static_cast<int32_t>(in.size()), out.data(),
                                     static_cast<int32_t>(out.size()));
  out.resize(n >= 0 ? n : 0);
  return n >= 0;
}
bool serviceTranscode(CFStringEncoding from, const std::string& in, CFStringEncoding to,
                      std::string& out) {
  out.assign(in.size() * 3 + 1, '\0');
  const int32_t n = platform::transcode(from, in.data(), static_cast<int32_t>(in.size()), to,
                                        out.data(), static_cast<int32_t>(out.size()));
  EXPECT_NE(n, platform::kCodecNoDirectPath);
  out.resize(n >= 0 ? n : 0);
  return n >= 0;
}

struct Encoding {
  CFStringEncoding code;
  const char* icuName;
};

// The single-byte encodings among those the service knows.
std::vector<Encoding> singleByteEncodings() {
  int count = 0;
  const platform::KnownEncoding* known = platform::knownEncodings(&count);
  std::vector<Encoding> out;
  for (int i = 0; i < count; ++i)
    if (known[i].icuName && Reference(known[i].icuName).singleByte())
      out.push_back({known[i].code, known[i].icuName});
  return out;
}

// Fifteen ASCII letters: a code point placed after them shares a 16-unit step with them.
const std::u16string kPad16 = u"abcdefghijklmno";
const std::string kPad8 = "abcdefghijklmno";

} // namespace

TEST(SingleByteTables, EveryByteAndCodePointIsIcusOwn) {
  const auto encodings = singleByteEncodings();
  // Mac Roman, Windows Latin 1 and the ISO, Windows and KOI8 sets.
  ASSERT_GE(encodings.size(), 25u);
  for (const Encoding& e : encodings) {
    SCOPED_TRACE(e.icuName);
    ASSERT_NE(platform::singlebyte::tableFor(e.code), nullptr) << "no table";
    Reference icu(e.icuName);
    int mismatches = 0;
    auto check = [&](bool same, const char* what, int value) {
      if (!same && ++mismatches <= 5) ADD_FAILURE() << what << " " << std::hex << value;
    };
    std::u16string want, got;
    std::string wantBytes, gotBytes;
    for (int b = 0; b < 256; ++b) {
      // Alone, after fifteen ASCII letters, and before them.
      for (const std::string& in : {std::string(1, char(b)), kPad8 + char(b), char(b) + kPad8}) {
        const bool ok = icu.decode(in, want);
        check(serviceDecode(e.code, in, got) == ok && got == want, "decoding", b);
        std::string utf8;
        check(serviceTranscode(e.code, in, kCFStringEncodingUTF8, utf8) == ok &&
                  utf8 == unitsToUtf8(want),
              "to UTF-8", b);
      }
    }
    for (int c = 0; c < 0x10000; ++c) {
      for (const std::u16string& in :
           {std::u16string(1, char16_t(c)), kPad16 + char16_t(c), char16_t(c) + kPad16}) {
        const bool ok = icu.encode(in, wantBytes);
        check(serviceEncode(e.code, in, gotBytes) == ok && gotBytes == wantBytes, "encoding", c);
        if (c >= 0xD800 && c <= 0xDFFF) continue; // no UTF-8 form
        check(serviceTranscode(kCFStringEncodingUTF8, unitsToUtf8(in), e.code, gotBytes) == ok &&
                  gotBytes == wantBytes,
              "from UTF-8", c);
      }
    }
    // Characters beyond the plane have no form; a surrogate pair is not two characters.
    for (const std::u16string& in : {std::u16string(u"a\U0001F600"), std::u16string(u"\xDBFF")})
      check(!serviceEncode(e.code, in, gotBytes) && !icu.encode(in, wantBytes), "pair", in[1]);
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(SingleByteTables, DirectPathsEqualTheWayThroughUnits) {
  const auto encodings = singleByteEncodings();
  // Every sequence of two bytes as UTF-8, well-formed or not, after ASCII and alone.
  for (const Encoding& e : {encodings[0], encodings[1]}) {
    SCOPED_TRACE(e.icuName);
    Reference icu(e.icuName);
    int mismatches = 0;
    for (int pair = 0; pair < 0x10000; ++pair) {
      const std::string two{char(pair >> 8), char(pair)};
      for (const std::string& in : {two, kPad8 + two, two + kPad8}) {
        std::u16string units;
        std::string want, got;
        const bool ok = utf8ToUnits(in, units) && icu.encode(units, want);
        if ((serviceTranscode(kCFStringEncodingUTF8, in, e.code, got) != ok || got != want) &&
            ++mismatches <= 5)
          ADD_FAILURE() << std::hex << pair;
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
  // Ill-formed longer sequences: overlong, surrogates, beyond U+10FFFF, cut, stray bytes.
  for (const char* bad : {"\xE0\x80\xAF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xED\xBF\xBF",
                          "\xEF\xC0\x80", "\xEF\xBF\xC0", "\xF4\x90\x80\x80", "\xF0\x80\x80\xAF",
                          "\xE2\x82", "\xF5\x80\x80\x80", "a\x80", "\xC3\xA9\xA9"}) {
    std::string got;
    EXPECT_FALSE(serviceTranscode(kCFStringEncodingUTF8, bad, kCFStringEncodingMacRoman, got))
        << bad;
  }
  // Every byte of every single-byte encoding into every other.
  for (const Encoding& from : encodings) {
    Reference in(from.icuName);
    for (const Encoding& to : encodings) {
      Reference out(to.icuName);
      int mismatches = 0;
      for (int b = 0; b < 256; ++b) {
        const std::string source = kPad8 + char(b);
        std::u16string units;
        std::string want, got;
        const bool ok = in.decode(source, units) && out.encode(units, want);
        if ((serviceTranscode(from.code, source, to.code, got) != ok || got != want) &&
            ++mismatches <= 3)
          ADD_FAILURE() << from.icuName << " to " << to.icuName << " byte " << b;
      }
    }
  }
}

TEST(SingleByteTables, LongTextsAndDamageAnywhereInThem) {
  // Texts of 40 characters drawn from those the encoding has, some mostly ASCII, some without
  // ASCII, and each text again with one byte replaced at every position.
  const Encoding roman = singleByteEncodings()[0];
  ASSERT_EQ(roman.code, kCFStringEncodingMacRoman);
  Reference icu(roman.icuName);
  std::u16string mapped, ascii;
  for (int b = 0; b < 256; ++b) {
    std::u16string u;
    if (icu.decode(std::string(1, char(b)), u)) (b < 0x80 ? ascii : mapped) += u;
  }
  std::mt19937 random(18);
  int mismatches = 0;
  auto compare = [&](const std::string& utf8) {
    std::u16string units;
    std::string want, got, back;
    const bool ok = utf8ToUnits(utf8, units) && icu.encode(units, want);
    if ((serviceTranscode(kCFStringEncodingUTF8, utf8, roman.code, got) != ok || got != want) &&
        ++mismatches <= 5)
      ADD_FAILURE() << "from UTF-8: " << utf8;
    if (ok && (!serviceTranscode(roman.code, want, kCFStringEncodingUTF8, back) || back != utf8) &&
        ++mismatches <= 5)
      ADD_FAILURE() << "to UTF-8: " << utf8;
  };
  for (int text = 0; text < 200; ++text) {
    const int asciiShare = text % 4 == 0 ? 0 : 90; // percent
    std::u16string units;
    for (int k = 0; k < 40; ++k) {
      const std::u16string& from = int(random() % 100) < asciiShare ? ascii : mapped;
      units += from[random() % from.size()];
    }
    const std::string utf8 = unitsToUtf8(units);
    compare(utf8);
    for (size_t at = 0; at < utf8.size(); ++at)
      for (char damage : {'\x80', '\xBF', '\xC0', '\xC3', '\xE2', '\xED', '\xF0', '\xFF', 'A'}) {
        std::string damaged = utf8;
        damaged[at] = damage;
        compare(damaged);
      }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(SingleByteTables, RoomIsKeptAndFailureBeatsOverflow) {
  const CFStringEncoding roman = kCFStringEncodingMacRoman, utf8 = kCFStringEncodingUTF8;
  // 40 characters: a run of ASCII long enough for the fast paths, then é (two UTF-8 bytes).
  const std::string ascii(39, 'q'), text = ascii + "\x8E", textUtf8 = ascii + "\xC3\xA9";
  const std::u16string units = std::u16string(39, u'q') + u"\u00E9";
  const struct {
    const char* name;
    int32_t needed; // output elements (units or bytes) of the whole result
    int32_t size;   // bytes per output element
    std::function<int32_t(char*, int32_t)> convert;
  } rows[] = {
      {"decode", 40, 2,
       [&](char* d, int32_t cap) {
         return platform::decode(roman, text.data(), 40, reinterpret_cast<UniChar*>(d), cap);
       }},
      {"encode", 40, 1,
       [&](char* d, int32_t cap) {
         return platform::encode(roman, reinterpret_cast<const UniChar*>(units.data()), 40, d, cap);
       }},
      {"to UTF-8", 41, 1,
       [&](char* d, int32_t cap) {
         return platform::transcode(roman, text.data(), 40, utf8, d, cap);
       }},
      {"from UTF-8", 40, 1,
       [&](char* d, int32_t cap) {
         return platform::transcode(utf8, textUtf8.data(), 41, roman, d, cap);
       }},
      {"recode", 40, 1,
       [&](char* d, int32_t cap) {
         return platform::transcode(kCFStringEncodingWindowsLatin1, "\xE9", 1, roman, d, cap) +
                platform::transcode(kCFStringEncodingWindowsLatin1, ascii.data(), 39, roman, d,
                                    cap - 1);
       }},
  };
  for (const auto& row : rows) {
    for (int32_t room : {row.needed, row.needed - 1, row.needed - 16}) {
      std::vector<char> buffer((row.needed + 16) * row.size, '#');
      const int32_t got = row.convert(buffer.data(), room);
      EXPECT_EQ(got,
                room == row.needed ? row.needed : platform::kCodecOverflow + (row.name[0] == 'r'))
          << row.name << ", room " << room;
      EXPECT_EQ(std::string(buffer.begin() + room * row.size, buffer.end()),
                std::string(buffer.size() - room * row.size, '#'))
          << row.name << " wrote past room " << room;
    }
  }
  // A byte without a character fails even where the room is short: every US-ASCII byte above
  // 0x7F has none.
  const std::string high = ascii + "\xE9";
  char out[8];
  EXPECT_EQ(platform::transcode(kCFStringEncodingASCII, high.data(), 40, utf8, out, 8),
            platform::kCodecInvalid);
  EXPECT_EQ(platform::decode(kCFStringEncodingASCII, high.data(), 40, nullptr, 0),
            platform::kCodecInvalid);
}

TEST(SingleByteTables, TablesAreBuiltOnceWhateverThreadAsksFirst) {
  const auto encodings = singleByteEncodings();
  std::vector<std::vector<const void*>> seen(4);
  std::vector<std::thread> threads;
  for (auto& mine : seen)
    threads.emplace_back([&encodings, &mine] {
      for (const Encoding& e : encodings)
        mine.push_back(platform::singlebyte::tableFor(e.code));
    });
  for (auto& t : threads)
    t.join();
  for (const auto& mine : seen)
    EXPECT_EQ(mine, seen[0]);
}
