// The single-byte encodings convert through tables read from ICU: every byte and every code
// point of the Basic Multilingual Plane must come out as ICU's own converter gives it, with the
// service's settings (no fallbacks, failure instead of substitution), alone and inside runs of
// ASCII that take the fast paths; the direct paths to and from UTF-8 and between two such
// encodings must equal the way through UTF-16.
#include <gtest/gtest.h>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/string/Codec.h"
#include "platform/string/SingleByte.h"

namespace {

namespace platform = kiv::platform;
const CFStringEncoding kUTF8 = kCFStringEncodingUTF8, kRoman = kCFStringEncodingMacRoman;

// Fills out with a conversion's result, which f writes into `room` elements and returns the
// length of (negative, or a failed status: no result).
template <class Out, class F> bool fill(Out& out, size_t room, F f) {
  out.assign(room, 0);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = f(out.data(), int32_t(room), &status);
  out.resize(U_SUCCESS(status) && n >= 0 ? n : 0);
  return U_SUCCESS(status) && n >= 0;
}

// Callbacks that leave the error standing (ICU's own stop callback skips invisible characters).
void stopToUnicode(const void*, UConverterToUnicodeArgs*, const char*, int32_t,
                   UConverterCallbackReason, UErrorCode*) {}
void stopFromUnicode(const void*, UConverterFromUnicodeArgs*, const UChar*, int32_t, UChar32,
                     UConverterCallbackReason, UErrorCode*) {}

// ICU's converter for one encoding, set up as the service sets up its converters: no fallbacks,
// failure instead of substitution.
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
    ucnv_resetToUnicode(c_);
    return fill(out, in.size() * 2 + 4, [&](char16_t* d, int32_t cap, UErrorCode* status) {
      return ucnv_toUChars(c_, d, cap, in.data(), int32_t(in.size()), status);
    });
  }
  bool encode(const std::u16string& in, std::string& out) {
    ucnv_resetFromUnicode(c_);
    return fill(out, in.size() * 4 + 4, [&](char* d, int32_t cap, UErrorCode* status) {
      return ucnv_fromUChars(c_, d, cap, in.data(), int32_t(in.size()), status);
    });
  }

private:
  UConverter* c_ = nullptr;
};

bool utf8ToUnits(const std::string& in, std::u16string& out) {
  return fill(out, in.size() + 4, [&](char16_t* d, int32_t cap, UErrorCode* status) {
    int32_t n = 0;
    u_strFromUTF8(d, cap, &n, in.data(), int32_t(in.size()), status);
    return n;
  });
}
std::string unitsToUtf8(const std::u16string& in) {
  std::string out;
  return icu::UnicodeString(false, in.data(), int32_t(in.size())).toUTF8String(out);
}

bool serviceDecode(CFStringEncoding code, const std::string& in, std::u16string& out) {
  return fill(out, in.size() + 1, [&](char16_t* d, int32_t cap, UErrorCode*) {
    return platform::decode(code, in.data(), int32_t(in.size()), reinterpret_cast<UniChar*>(d),
                            cap);
  });
}
bool serviceEncode(CFStringEncoding code, const std::u16string& in, std::string& out) {
  return fill(out, in.size() + 1, [&](char* d, int32_t cap, UErrorCode*) {
    return platform::encode(code, reinterpret_cast<const UniChar*>(in.data()), int32_t(in.size()),
                            d, cap);
  });
}
bool serviceTranscode(CFStringEncoding from, const std::string& in, CFStringEncoding to,
                      std::string& out) {
  return fill(out, in.size() * 3 + 1, [&](char* d, int32_t cap, UErrorCode*) {
    const int32_t n = platform::transcode(from, in.data(), int32_t(in.size()), to, d, cap);
    EXPECT_NE(n, platform::kCodecNoDirectPath);
    return n;
  });
}

// The single-byte encodings among those the service knows.
std::vector<platform::KnownEncoding> singleByteEncodings() {
  int count = 0;
  const platform::KnownEncoding* known = platform::knownEncodings(&count);
  std::vector<platform::KnownEncoding> out;
  for (int i = 0; i < count; ++i)
    if (known[i].icuName && Reference(known[i].icuName).singleByte()) out.push_back(known[i]);
  return out;
}

// Fifteen ASCII letters: a character placed after them shares a 16-unit step with them.
const std::string kPad8 = "abcdefghijklmno";
const std::u16string kPad16 = u"abcdefghijklmno";

// Counts mismatches and reports the first few.
struct Mismatches {
  int count = 0;
  void check(bool same, const std::string& what) {
    if (!same && ++count <= 5) ADD_FAILURE() << what;
  }
};

} // namespace

TEST(SingleByteTables, EveryByteAndCodePointIsIcusOwn) {
  const auto encodings = singleByteEncodings();
  // Mac Roman, Windows Latin 1 and the ISO, Windows and KOI8 sets.
  ASSERT_GE(encodings.size(), 25u);
  for (const auto& e : encodings) {
    SCOPED_TRACE(e.icuName);
    ASSERT_NE(platform::singlebyte::tableFor(e.code), nullptr) << "no table";
    Reference icu(e.icuName);
    Mismatches bad;
    std::u16string want, got;
    std::string wantBytes, gotBytes;
    for (int b = 0; b < 256; ++b)
      for (const std::string& in : {std::string(1, char(b)), kPad8 + char(b), char(b) + kPad8}) {
        const bool ok = icu.decode(in, want);
        bad.check(serviceDecode(e.code, in, got) == ok && got == want, "decoding " + in);
        bad.check(serviceTranscode(e.code, in, kUTF8, gotBytes) == ok &&
                      gotBytes == unitsToUtf8(want),
                  "to UTF-8 " + in);
      }
    for (int c = 0; c < 0x10000; ++c)
      for (const std::u16string& in :
           {std::u16string(1, char16_t(c)), kPad16 + char16_t(c), char16_t(c) + kPad16}) {
        const bool ok = icu.encode(in, wantBytes);
        bad.check(serviceEncode(e.code, in, gotBytes) == ok && gotBytes == wantBytes,
                  "encoding " + std::to_string(c));
        if (c < 0xD800 || c > 0xDFFF) // surrogates have no UTF-8 form
          bad.check(serviceTranscode(kUTF8, unitsToUtf8(in), e.code, gotBytes) == ok &&
                        gotBytes == wantBytes,
                    "from UTF-8 " + std::to_string(c));
      }
    // Characters beyond the plane have no form; a surrogate pair is not two characters.
    for (const std::u16string& in : {std::u16string(u"a\U0001F600"), std::u16string(u"\xDBFF")})
      bad.check(!serviceEncode(e.code, in, gotBytes) && !icu.encode(in, wantBytes), "pair");
    // Every byte into every other single-byte encoding.
    for (const auto& to : encodings) {
      Reference out(to.icuName);
      for (int b = 0; b < 256; ++b) {
        const std::string source = kPad8 + char(b);
        const bool ok = icu.decode(source, want) && out.encode(want, wantBytes);
        bad.check(serviceTranscode(e.code, source, to.code, gotBytes) == ok &&
                      (!ok || gotBytes == wantBytes),
                  std::string("to ") + to.icuName + " byte " + std::to_string(b));
      }
    }
    EXPECT_EQ(bad.count, 0);
  }
}

TEST(SingleByteTables, Utf8OfAnyShapeGoesAsThroughUnits) {
  // Every sequence of two bytes, well-formed or not, alone and beside ASCII; ill-formed longer
  // ones (overlong, surrogates, beyond U+10FFFF, cut, stray bytes); a text damaged at every byte.
  std::vector<std::string> texts;
  for (int pair = 0; pair < 0x10000; ++pair) {
    const std::string two{char(pair >> 8), char(pair)};
    texts.insert(texts.end(), {two, kPad8 + two, two + kPad8});
  }
  texts.insert(texts.end(), {"\xE0\x80\xAF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xED\xBF\xBF",
                             "\xEF\xC0\x80", "\xEF\xBF\xC0", "\xF4\x90\x80\x80", "\xF0\x80\x80\xAF",
                             "\xE2\x82", "\xF5\x80\x80\x80", "a\x80", "\xC3\xA9\xA9"});
  // A text of ASCII runs and Mac Roman's two- and three-byte characters, damaged everywhere.
  const std::string mixed = unitsToUtf8(kPad16 + u"\u00E9\u2022" + kPad16 + u"\u00FC\u2122\u00C6");
  texts.push_back(mixed);
  for (size_t at = 0; at < mixed.size(); ++at)
    for (char damage : {'\x80', '\xBF', '\xC0', '\xC3', '\xE2', '\xED', '\xF0', '\xFF', 'A'})
      texts.push_back(mixed.substr(0, at) + damage + mixed.substr(at + 1));
  const auto encodings = singleByteEncodings();
  ASSERT_EQ(encodings[0].code, kRoman);
  std::u16string units;
  for (const auto& e : {encodings[0], encodings[1]}) {
    Reference ref(e.icuName);
    Mismatches bad;
    for (const std::string& in : texts) {
      std::string want, got, back;
      const bool ok = utf8ToUnits(in, units) && ref.encode(units, want);
      bad.check(serviceTranscode(kUTF8, in, e.code, got) == ok && got == want,
                std::string(e.icuName) + " from UTF-8: " + in);
      bad.check(!ok || (serviceTranscode(e.code, want, kUTF8, back) && back == in),
                std::string(e.icuName) + " back to UTF-8: " + in);
    }
    EXPECT_EQ(bad.count, 0) << e.icuName;
  }
}

TEST(SingleByteTables, RoomIsKeptAndFailureBeatsOverflow) {
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
         return platform::decode(kRoman, text.data(), 40, reinterpret_cast<UniChar*>(d), cap);
       }},
      {"encode", 40, 1,
       [&](char* d, int32_t cap) {
         return platform::encode(kRoman, reinterpret_cast<const UniChar*>(units.data()), 40, d,
                                 cap);
       }},
      {"to UTF-8", 41, 1,
       [&](char* d, int32_t cap) {
         return platform::transcode(kRoman, text.data(), 40, kUTF8, d, cap);
       }},
      {"from UTF-8", 40, 1,
       [&](char* d, int32_t cap) {
         return platform::transcode(kUTF8, textUtf8.data(), 41, kRoman, d, cap);
       }},
      {"recode", 40, 1,
       [&](char* d, int32_t cap) {
         return platform::transcode(kCFStringEncodingWindowsLatin1, "\xE9", 1, kRoman, d, cap) +
                platform::transcode(kCFStringEncodingWindowsLatin1, ascii.data(), 39, kRoman, d,
                                    cap - 1);
       }},
  };
  for (const auto& row : rows)
    for (int32_t room : {row.needed, row.needed - 1, row.needed - 16}) {
      std::vector<char> buffer((row.needed + 16) * row.size, '#');
      EXPECT_EQ(row.convert(buffer.data(), room),
                room == row.needed ? row.needed : platform::kCodecOverflow + (row.name[0] == 'r'))
          << row.name << ", room " << room;
      EXPECT_EQ(std::string(buffer.begin() + room * row.size, buffer.end()),
                std::string(buffer.size() - room * row.size, '#'))
          << row.name << " wrote past room " << room;
    }
  // A byte without a character fails even where the room is short: every US-ASCII byte above
  // 0x7F has none.
  const std::string high = ascii + "\xE9";
  char out[8];
  EXPECT_EQ(platform::transcode(kCFStringEncodingASCII, high.data(), 40, kUTF8, out, 8),
            platform::kCodecInvalid);
  EXPECT_EQ(platform::decode(kCFStringEncodingASCII, high.data(), 40, nullptr, 0),
            platform::kCodecInvalid);
}
