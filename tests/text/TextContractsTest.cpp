// Every text function that writes into a caller's buffer: what it writes, in exactly the room it
// promises. Results that do not fit, do not decode or have no form come out empty. (Random texts
// go through the same conversions, in exact rooms, in the conversions fuzz replay.)
#include "ExactRoom.h"
#include "TestSupport.h"

#include <KIVStr.h>
#include <KIV_Str.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace kivtest::rows;
using kivtest::RoomRow;

namespace {

// Sources, alive until the end of the call that takes them: a Pascal string, a Unicode string
// (count, then units), a file name, a writable C string.
struct PS {
  std::string b;
  PS(const std::string& text) : b(pascal(text)) {}
  operator unsigned char*() { return reinterpret_cast<unsigned char*>(b.data()); }
};
struct US {
  std::vector<unsigned short> v;
  US(const std::u16string& t) : v{static_cast<unsigned short>(t.size())} {
    v.insert(v.end(), t.begin(), t.end());
  }
  operator unsigned short*() { return v.data(); }
};
struct Name {
  HFSUniStr255 n = {};
  Name(const std::u16string& t) : n{static_cast<UInt16>(t.size()), {}} {
    std::copy(t.begin(), t.end(), n.unicode);
  }
  operator HFSUniStr255*() { return &n; }
};
char* m(const std::string& s) { return const_cast<char*>(s.c_str()); }
// Writes bytes at d, for the calls that work in place.
unsigned char* put(char* d, const std::string& bytes) {
  std::memcpy(d, bytes.data(), bytes.size());
  return pas(d);
}
char* putC(char* d, const std::string& bytes) { return reinterpret_cast<char*>(put(d, bytes)); }
std::string P(const std::string& text) { return pascal(text); }
std::string repeat(const std::string& s, int n) { return n > 0 ? s + repeat(s, n - 1) : ""; }

// Justified fields, which return their destination.
void js(char* o, const std::string& src, short width, short gap) {
  EXPECT_EQ(JSTstr(PS(src), pas(o), width, gap), pas(o));
}
void jl(char* o, int value, short width, short gap, short align) {
  EXPECT_EQ(JSTlong(value, pas(o), width, gap, align), pas(o));
}

const std::string k254(254, 'q'), k255(255, 'q'), k256(256, 'q'), kZero("ab\0cd", 5);
const std::string kA200(200, 'a'), kB100(100, 'b'), kX400(400, 'x');
unsigned short kHuge[] = {0x8001, 'a', 'b'}; // a count beyond 16-bit signed positions
const std::string kKanji = "\x8A\xBF";       // U+6F22 in Shift-JIS

// A row: its name, its destination, the call that writes to the destination o, and the result
// expected there (none: only the room is checked).
RoomRow row(std::string name, kivtest::Dest dest, std::function<void(char*)> call,
            std::vector<std::string> expected) {
  return {std::move(name), {dest}, [call](char* const* d) { call(d[0]); }, std::move(expected)};
}
#define ROW(name, dest, call, ...) row(name, dest, [&](char* o) { call; }, {__VA_ARGS__})

} // namespace

TEST(ExactRoom, PascalAndCStringPrimitives) {
  const std::vector<RoomRow> rows = {
    ROW("PPcopy empty", p(), PPcopy(PS(""), pas(o)), P("")),
    ROW("PPcopy 255", p(), PPcopy(PS(k255), pas(o)), P(k255)),
    ROW("PPcopy keeps a zero byte", p(), PPcopy(PS(kZero), pas(o)), P(kZero)),
    ROW("PPcat ab+cd", p(), EXPECT_EQ(PPcat(put(o, "\2ab"), PS("cd")), pas(o)), P("abcd")),
    ROW("PPcat cut at 255", p(256), PPcat(put(o, P(kA200)), PS(kB100)),
        P(kA200 + kB100.substr(0, 55))),
    ROW("PPcat itself", p(5), PPcat(put(o, "\2xy"), pas(o)), P("xyxy")),
    ROW("PPcat null", p(3), PPcat(put(o, "\2xy"), nullptr), P("xy")),
    ROW("P2CStrCopy empty", c(), P2CStrCopy(PS(""), o), cString("")),
    ROW("P2CStrCopy 255", c(), P2CStrCopy(PS(k255), o), cString(k255)),
    ROW("P2CStrCopy zero byte", c(6), P2CStrCopy(PS(kZero), o), cString("ab")),
    ROW("C2PStrCopy empty", p(), C2PStrCopy("", pas(o)), P("")),
    ROW("C2PStrCopy 255", p(), C2PStrCopy(k255.c_str(), pas(o)), P(k255)),
    ROW("C2PStrCopy 256 cut", p(256), C2PStrCopy(k256.c_str(), pas(o)), P(k255)),
    ROW("C2pstr in place abc", p(4), EXPECT_EQ(C2pstr(putC(o, {"abc", 4})), o), P("abc")),
    ROW("C2pstr in place 300 cut", p(301), C2pstr(putC(o, cString(std::string(300, 'x')))),
        P(std::string(255, 'x'))),
    ROW("P2cstr in place 255", c(256), EXPECT_EQ(P2cstr(put(o, P(k255))), pas(o)), cString(k255)),
    ROW("Trunc hello to 3", p(6), Trunc(put(o, "\5hello"), 3), P("hel")),
    ROW("Trunc hello to 300", p(6), Trunc(put(o, "\5hello"), 300), P("hello")),
    ROW("Trunc hello to -4", p(6), Trunc(put(o, "\5hello"), -4), P("")),
    ROW("JSTstr cut and padded", p(), js(o, "abcdef", 3, 2), P("abc  ")),
    ROW("JSTstr padded", p(), js(o, "ab", 4, 1), P("ab   ")),
    ROW("JSTstr negative gap", p(), js(o, "abcdef", 5, -2), P("abc")),
    ROW("JSTstr negative total", p(1), js(o, "ab", -3, 1), P("")),
    ROW("JSTstr total 300 cut to 255", p(256), js(o, "ab", 200, 100),
        P("ab" + std::string(253, ' '))),
    ROW("JSTstr in place grows", p(6), JSTstr(put(o, "\3abc"), pas(o), 5, 0), P("abc  ")),
    ROW("JSTstr in place shrinks", p(7), JSTstr(put(o, "\6abcdef"), pas(o), 5, -2), P("abc")),
    ROW("JSTlong right", p(), jl(o, -5, 4, 0, 0), P("  -5")),
    ROW("JSTlong left", p(), jl(o, 42, 5, 1, 1), P("42    ")),
    ROW("JSTlong right and gap", p(), jl(o, 42, 5, 2, 0), P("   42  ")),
    ROW("JSTlong INT_MIN", p(), jl(o, INT_MIN, 0, 0, -1), P("-2147483648")),
    ROW("JSTlong field grows", p(), jl(o, 12345, 3, 2, 1), P("12345  ")),
    ROW("JSTlong 300 cut to 255", p(256), jl(o, 7, 300, 0, 1), P("7" + std::string(254, ' '))),
    ROW("JSTlong 310 right", p(256), jl(o, 7, 300, 10, 0), P(std::string(255, ' '))),
    ROW("JSTlong negative gap right", p(), jl(o, 42, 5, -2, 0), P("   ")),
    ROW("JSTlong gap cuts digits", p(), jl(o, 12345, 0, -3, 1), P("12")),
    ROW("JSTlong negative total", p(1), jl(o, 7, 1, -9, 1), P("")),
    ROW("ConvertWinString2MacString 253 with an accent", p(254),
        EXPECT_TRUE(ConvertWinString2MacString(put(o, P(k254.substr(2) + "\xE9")))),
        P(k254.substr(2) + "\x8E")),
    ROW("ConvertWinString2MacString 254 refused", p(255),
        EXPECT_FALSE(ConvertWinString2MacString(put(o, P(k254)))), P(k254)),
    ROW("ConvertWinString2MacString 255 refused", p(256),
        EXPECT_FALSE(ConvertWinString2MacString(put(o, P(k255)))), P(k255)),
    ROW("ConvertWinString2MacString failure leaves all", p(3),
        EXPECT_FALSE(ConvertWinString2MacString(put(o, P("\xFC\xBD")))), P("\xFC\xBD")),
    ROW("ConvertCWinString2MacString 400", c(402),
        EXPECT_TRUE(ConvertCWinString2MacString(putC(o, cString(kX400 + "\xFC")))),
        cString(kX400 + "\x9F")),
    ROW("WinStr2MacStr leaves it", p(), WinStr2MacStr(put(o, "\2\xE9x")), P("\xE9x")),
    ROW("MacStr2WinStr leaves it", p(), MacStr2WinStr(put(o, "\2\x8Ex")), P("\x8Ex")),
    ROW("PPUcopy empty", u(), PPUcopy(US(u""), uni(o)), unicode(u"")),
    ROW("PPUcopy 255", u(), PPUcopy(US(std::u16string(255, u'\u6F22')), uni(o)),
        unicode(std::u16string(255, u'\u6F22'))),
    ROW("PPUcat", u(), PPUcopy(US(u"ab"), uni(o));
        EXPECT_EQ(PPUcat(uni(o), US(u"cd")), uni(o)), unicode(u"abcd")),
    ROW("PPUcat itself", u(), PPUcat(PPUcopy(US(u"abc"), uni(o)), uni(o)), unicode(u"abcabc")),
    ROW("PPUcat beyond 32767 refused", u(32767),
        PPUcat(PPUcopy(US(std::u16string(32766, u'x')), uni(o)), US(u"abc")),
        unicode(std::u16string(32766, u'x'))),
    ROW("SwapUniString in place", record(4), SwapUniString(PPUcopy(US(u"a"), uni(o)))),
    ROW("AlwaysSwapUniString in place", record(8),
        AlwaysSwapUniString(PPUcopy(US(u"abc"), uni(o)))),
  };
  kivtest::checkRows(rows);
}

TEST(ExactRoom, EncodingConversions) {
  const std::string roman255 = [] {
    std::string s;
    for (int b = 1; b < 256; ++b)
      s += char(b);
    return s;
  }();
  const std::u16string e255(255, u'\u00E9');
  const std::vector<RoomRow> rows = {
    // The system encoding (UTF-8 here, ISO Latin 1 when the locale says so), in u[0] + 1 bytes.
    ROW("UniStringToPString ascii", p(4), UniStringToPString(US(u"ete"), pas(o), 0), P("ete")),
    ROW("UniStringToPString two-byte fails", p(4),
        UniStringToPString(US(u"\u00E9t\u00E9"), pas(o), 0), P("")),
    ROW("UniStringToPString Latin 1 locale", p(4),
        kivtest::ScopedEnv locale("LC_ALL", std::string("de_DE.ISO-8859-1"));
        UniStringToPString(US(u"\u00E9t\u00E9"), pas(o), 0), P("\xE9t\xE9")),
    ROW("UniStringToPString 255", p(256),
        UniStringToPString(US(std::u16string(255, u'q')), pas(o), 0), P(k255)),
    // File names, in length + 1 bytes.
    ROW("name to Pascal", p(3), UniStringToPString(Name(u"\u00E9x"), pas(o)), P("\x8Ex")),
    ROW("name to Pascal 255", p(256), UniStringToPString(Name(e255), pas(o)),
        P(std::string(255, '\x8E'))),
    ROW("name to Pascal outside Mac Roman", p(3), UniStringToPString(Name(u"a\uD55C"), pas(o)),
        P("")),
    ROW("name to C", c(3), UniStringToCString(Name(u"\u00E9x"), o), cString("\x8Ex")),
    ROW("name to C 255", c(256), UniStringToCString(Name(e255), o),
        cString(std::string(255, '\x8E'))),
    ROW("name to C outside Mac Roman", c(3), UniStringToCString(Name(u"a\uD55C"), o), cString("")),
    // Unicode destinations: count + 1 units.
    ROW("PStringToUniString empty", u(1), PStringToUniString(PS(""), uni(o), 0), unicode(u"")),
    ROW("PStringToUniString 255", u(256), PStringToUniString(PS(roman255), uni(o), 0)),
    ROW("PStringToUniString name", record(sizeof(HFSUniStr255)),
        PStringToUniString(PS(roman255), reinterpret_cast<HFSUniStr255*>(o))),
    ROW("CStringToUniString", u(3), CStringToUniString("a\xA5", uni(o)), unicode(u"a\u2022")),
    ROW("CStringToUniString 256", u(257), CStringToUniString(k256.c_str(), uni(o))),
    ROW("CStringToUniString null", u(1), CStringToUniString(nullptr, uni(o)), unicode(u"")),
    ROW("CStringToUniString 40000 refused", u(1),
        CStringToUniString(std::string(40000, 'a').c_str(), uni(o)), unicode(u"")),
    ROW("RomanStringToUniString 255", u(256), RomanStringToUniString(PS(k255), uni(o)),
        unicode(std::u16string(255, u'q'))),
    ROW("RomanStringToUniString widens without the table", u(3),
        RomanStringToUniString(PS("A\xA5"), uni(o)), unicode(u"A\u00A5")),
    ROW("SJIS kanji at the end", u(), SJIS_PStringToUniString(PS("ab" + kKanji), uni(o)),
        unicode(u"ab\u6F22")),
    ROW("SJIS 127 kanji", u(), SJIS_PStringToUniString(PS(repeat(kKanji, 127)), uni(o)),
        unicode(std::u16string(127, u'\u6F22'))),
    ROW("SJIS 255 katakana", u(), SJIS_PStringToUniString(PS(std::string(255, '\xB1')), uni(o)),
        unicode(std::u16string(255, u'\uFF71'))),
    ROW("SJIS katakana and 0x5C are single bytes", u(),
        SJIS_PStringToUniString(PS("\xB1\x41\x5C"), uni(o)), unicode(u"\uFF71A\\")),
    ROW("SJIS invalid", u(), SJIS_PStringToUniString(PS("abc\x82\x20"), uni(o)), unicode(u"")),
    ROW("SJIS cut pair", u(), SJIS_PStringToUniString(PS("abc\x8A"), uni(o)), unicode(u"")),
    ROW("SJIS vendor row", u(), SJIS_PStringToUniString(PS("abc\x87\x40"), uni(o)), unicode(u"")),
    ROW("to SJIS 127 kanji", p(255),
        UniStringToSJIS_PString(US(std::u16string(127, u'\u6F22')), pas(o)),
        P(repeat(kKanji, 127))),
    ROW("to SJIS 128 kanji", p(255),
        UniStringToSJIS_PString(US(std::u16string(128, u'\u6F22')), pas(o)), P("")),
    ROW("to SJIS outside", p(255), UniStringToSJIS_PString(US(u"a\u00E9"), pas(o)), P("")),
    ROW("to SJIS count beyond 32767", p(255), UniStringToSJIS_PString(kHuge, pas(o)), P("")),
    ROW("to SJIS controls and first row", p(255),
        UniStringToSJIS_PString(US(u"a\x7F\x1A\x1C\u3042\u301C\u3044"), pas(o)),
        P("a\x7F\x1A\x1C\x82\xA0\x81\x60\x82\xA2")),
    ROW("UTF-8 two kanji", u(), UTFStringToUniString(m("\xE6\x97\xA5\xE6\x9C\xAC"), uni(o)),
        unicode(u"\u65E5\u672C")),
    ROW("UTF-8 emoji at the end", u(), UTFStringToUniString(m("a\xF0\x9F\x98\x80"), uni(o)),
        unicode(u"a\U0001F600")),
    ROW("UTF-8 255", u(), UTFStringToUniString(m(k255), uni(o)),
        unicode(std::u16string(255, u'q'))),
    ROW("UTF-8 empty", u(), UTFStringToUniString(m(""), uni(o)), unicode(u"")),
    ROW("UTF-8 invalid", u(), UTFStringToUniString(m("\xE6\x97\xA5ok\xC3("), uni(o)), unicode(u"")),
    // Mac Roman from UTF-8: 255 bytes, or size bytes.
    ROW("UTFStringToCString 254", c(255), UTFStringToCString(m(k254), o), cString(k254)),
    ROW("UTFStringToCString 255", c(255), UTFStringToCString(m(k255), o), cString("")),
    ROW("UTFStringToCString accent at the end", c(255),
        UTFStringToCString(m(k254.substr(1) + "\xC3\xA9"), o), cString(k254.substr(1) + "\x8E")),
    ROW("UTFStringToCString outside", c(255), UTFStringToCString(m("a\xED\x95\x9C"), o),
        cString("")),
    ROW("UTFStringToCString invalid", c(255), UTFStringToCString(m("ok\xC3("), o), cString("")),
    ROW("UTFStringToCString size 0", c(0), UTFStringToCString(m("abc"), o, 0), kivtest::kUntouched),
    ROW("UTFStringToCString size 1", c(1), UTFStringToCString(m("a"), o, 1), cString("")),
    ROW("UTFStringToCString size 4 fits", c(4), UTFStringToCString(m("ab\xC3\xA9"), o, 4),
        cString("ab\x8E")),
    ROW("UTFStringToCString size 4 too long", c(4), UTFStringToCString(m("abcd"), o, 4),
        cString("")),
    ROW("UTFStringToPString 254", p(255), UTFStringToPString(m(k254), pas(o)), P(k254)),
    ROW("UTFStringToPString 255", p(255), UTFStringToPString(m(k255), pas(o)), P("")),
    ROW("UTFStringToPString outside", p(255), UTFStringToPString(m("a\xED\x95\x9C"), pas(o)),
        P("")),
    // UTF-8 destinations: 2 * count bytes.
    ROW("UniStringToUTFString euro fits", c(6), UniStringToUTFString(US(u"ab\u20AC"), o),
        cString("ab\xE2\x82\xAC")),
    ROW("UniStringToUTFString euro too long", c(4), UniStringToUTFString(US(u"a\u20AC"), o),
        cString("")),
    ROW("UniStringToUTFString one two-byte", c(2), UniStringToUTFString(US(u"\u00E9"), o),
        cString("")),
    ROW("UniStringToUTFString lone surrogate", c(6), UniStringToUTFString(US(u"a\xD800!"), o),
        cString("")),
    ROW("UniStringToUTFString count beyond 32767", c(1), UniStringToUTFString(kHuge, o),
        cString("")),
    ROW("UniStringToUTFString empty", c(1), UniStringToUTFString(US(u""), o), cString("")),
    ROW("CStringToUTFString accent alone", c(2), CStringToUTFString(m("\x8E"), o), cString("")),
    ROW("CStringToUTFString accent and letter", c(4), CStringToUTFString(m("\x8E\x61"), o),
        cString("\xC3\xA9\x61")),
    ROW("CStringToUTFString 255 ascii", c(510), CStringToUTFString(m(k255), o), cString(k255)),
    ROW("CStringToUTFString null", c(1), CStringToUTFString(nullptr, o), cString("")),
    ROW("PStringToUTFString accent at the end", c(6), PStringToUTFString(PS("ab\x8E"), o),
        cString("ab\xC3\xA9")),
    ROW("PStringToUTFString euro too long", c(4), PStringToUTFString(PS("\xDB\x61"), o),
        cString("")),
    ROW("PStringToUTFString 255", c(510), PStringToUTFString(PS(roman255), o)),
    ROW("PStringToUTFString null", c(1), PStringToUTFString(nullptr, o), cString("")),
  };
  kivtest::checkRows(rows);
}

TEST(ExactRoom, StringObjectAndService) {
  auto roman = [](const std::string& text) {
    KIVStr s(0, kCFStringEncodingMacRoman, nullptr);
    s = text.c_str();
    return s;
  };
  auto service = [](const char* utf8) {
    return CFStringCreateWithCString(nullptr, utf8, kCFStringEncodingUTF8);
  };
  CFStringRef nihon = service("\xE6\x97\xA5\xE6\x9C\xAC"), abc = service("abc"),
              euro = service("ab\xE2\x82\xAC");
  const CFStringEncoding kUTF8 = kCFStringEncodingUTF8, kRoman = kCFStringEncodingMacRoman;
  const std::vector<RoomRow> rows = {
    ROW("GetPStringCopy", p(256), roman("abc").GetPStringCopy(pas(o)), P("abc")),
    ROW("GetPStringCopy 255", p(256), roman(k255).GetPStringCopy(pas(o)), P(k255)),
    ROW("GetPStringCopy 256", p(256), roman(k256).GetPStringCopy(pas(o)), P("")),
    ROW("GetCStringCopy fits", c(4), roman("abc").GetCStringCopy(o, 4), cString("abc")),
    ROW("GetCStringCopy too long", c(3), roman("abc").GetCStringCopy(o, 3), cString("")),
    ROW("GetUniStringCopy cut", u(4), roman("hello").GetUniStringCopy(uni(o), 3), unicode(u"hel")),
    ROW("GetUniStringCopy shorter", u(6), roman("hi").GetUniStringCopy(uni(o), 5), unicode(u"hi")),
    ROW("GetUniStringCopy of a text held to 32767 units", u(101),
        roman(std::string(40000, 'a')).GetUniStringCopy(uni(o), 100),
        unicode(std::u16string(100, u'a'))),
    ROW("GetUTF8StringCopy accent in max 1", c(2), roman("\x8Ex").GetUTF8StringCopy(o, 1),
        cString("")),
    ROW("GetUTF8StringCopy max 0", c(1), roman("abc").GetUTF8StringCopy(o, 0), cString("")),
    ROW("GetUTF8StringCopy whole characters", c(4), roman("ab\xDB").GetUTF8StringCopy(o, 3),
        cString("ab")),
    ROW("SwapBuffer odd", record(3), roman("").SwapBuffer(putC(o, "abc"), 3)),
    ROW("CFStringGetCString fits", c(7), CFStringGetCString(nihon, o, 7, kUTF8),
        cString("\xE6\x97\xA5\xE6\x9C\xAC")),
    ROW("CFStringGetCString one short", c(6), EXPECT_FALSE(CFStringGetCString(nihon, o, 6, kUTF8)),
        cString("")),
    ROW("CFStringGetCString Shift-JIS", c(5),
        CFStringGetCString(nihon, o, 5, kCFStringEncodingShiftJIS), cString("\x93\xFA\x96\x7B")),
    ROW("CFStringGetPascalString fits", p(4), CFStringGetPascalString(abc, pas(o), 4, kRoman),
        P("abc")),
    ROW("CFStringGetPascalString one short", p(3),
        EXPECT_FALSE(CFStringGetPascalString(abc, pas(o), 3, kRoman)), P("")),
    ROW("CFStringGetCharacters", record(4),
        CFStringGetCharacters(abc, CFRangeMake(1, 2), reinterpret_cast<UniChar*>(o))),
    ROW("CFStringGetBytes whole characters", record(4), CFIndex used;
        EXPECT_EQ(CFStringGetBytes(euro, CFRangeMake(0, 3), kUTF8, 0, false,
                                   reinterpret_cast<UInt8*>(o), 4, &used),
                  2)),
  };
  kivtest::checkRows(rows);
  for (CFStringRef s : {nihon, abc, euro})
    CFRelease(s);
}
