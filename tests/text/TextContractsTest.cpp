// Every text function that writes into a caller's buffer, in exactly the room it promises.
#include "ExactRoom.h"

#include <KIVStr.h>
#include <KIV_Str.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace kivtest::rows;
using kivtest::RoomRow;

namespace {

// Sources: a Pascal string, a Unicode string, a file name.
std::string P(const std::string& text) { return pascal(text); }
std::vector<unsigned short> Uni(const std::u16string& text) {
  std::vector<unsigned short> v{static_cast<unsigned short>(text.size())};
  v.insert(v.end(), text.begin(), text.end());
  return v;
}
HFSUniStr255 Name(const std::u16string& text) {
  HFSUniStr255 name = {static_cast<UInt16>(text.size()), {}};
  std::copy(text.begin(), text.end(), name.unicode);
  return name;
}
std::string repeat(const std::string& s, int n) {
  std::string out;
  while (n-- > 0)
    out += s;
  return out;
}

const std::string k254(254, 'q'), k255(255, 'q'), k256(256, 'q');
const std::string kKanji = "\x8A\xBF"; // U+6F22 in Shift-JIS

} // namespace

TEST(ExactRoom, PascalAndCStringPrimitives) {
  const std::string w253 = std::string(253, '\xE9'), w254(254, '\xE9');
  const std::vector<RoomRow> rows = {
      {"PPcopy empty", {p()}, [](auto d) { PPcopy(pas(P("").data()), pas(d[0])); }, {P("")}},
      {"PPcopy 255", {p()}, [&](auto d) { PPcopy(pas(P(k255).data()), pas(d[0])); }, {P(k255)}},
      {"PPcat ab+cd",
       {p()},
       [](auto d) {
         std::memcpy(d[0], "\2ab", 3);
         PPcat(pas(d[0]), pas(P("cd").data()));
       },
       {P("abcd")}},
      {"PPcat cut at 255",
       {p(256)},
       [&](auto d) {
         std::memcpy(d[0], P(std::string(200, 'a')).data(), 201);
         PPcat(pas(d[0]), pas(P(std::string(100, 'b')).data()));
       },
       {P(std::string(200, 'a') + std::string(55, 'b'))}},
      {"P2CStrCopy empty",
       {c()},
       [](auto d) { P2CStrCopy(pas(P("").data()), d[0]); },
       {cString("")}},
      {"P2CStrCopy 255",
       {c()},
       [&](auto d) { P2CStrCopy(pas(P(k255).data()), d[0]); },
       {cString(k255)}},
      {"C2PStrCopy empty", {p()}, [](auto d) { C2PStrCopy("", pas(d[0])); }, {P("")}},
      {"C2PStrCopy 255", {p()}, [&](auto d) { C2PStrCopy(k255.c_str(), pas(d[0])); }, {P(k255)}},
      {"C2PStrCopy 256 cut",
       {p(256)},
       [&](auto d) { C2PStrCopy(k256.c_str(), pas(d[0])); },
       {P(k255)}},
      {"C2pstr in place abc",
       {p(4)},
       [](auto d) {
         std::memcpy(d[0], "abc", 4);
         C2pstr(d[0]);
       },
       {P("abc")}},
      {"C2pstr in place 300 cut",
       {p(301)},
       [](auto d) {
         std::memcpy(d[0], std::string(300, 'x').c_str(), 301);
         C2pstr(d[0]);
       },
       {P(std::string(255, 'x'))}},
      {"P2cstr in place 255",
       {c(256)},
       [&](auto d) {
         std::memcpy(d[0], P(k255).data(), 256);
         P2cstr(pas(d[0]));
       },
       {cString(k255)}},
      {"Trunc hello to 3",
       {p(6)},
       [](auto d) {
         std::memcpy(d[0], "\5hello", 6);
         Trunc(pas(d[0]), 3);
       },
       {P("hel")}},
      {"JSTstr cut and padded",
       {p()},
       [](auto d) { JSTstr(pas(P("abcdef").data()), pas(d[0]), 3, 2); },
       {P("abc  ")}},
      {"JSTstr total 300 cut to 255",
       {p(256)},
       [](auto d) { JSTstr(pas(P("ab").data()), pas(d[0]), 200, 100); },
       {P("ab" + std::string(253, ' '))}},
      {"JSTstr negative total",
       {p(1)},
       [](auto d) { JSTstr(pas(P("ab").data()), pas(d[0]), -3, 1); },
       {P("")}},
      {"JSTstr in place grows",
       {p(6)},
       [](auto d) {
         std::memcpy(d[0], "\3abc", 4);
         JSTstr(pas(d[0]), pas(d[0]), 5, 0);
       },
       {P("abc  ")}},
      {"JSTlong right", {p()}, [](auto d) { JSTlong(-5, pas(d[0]), 4, 0, 0); }, {P("  -5")}},
      {"JSTlong INT_MIN",
       {p()},
       [](auto d) { JSTlong(INT_MIN, pas(d[0]), 0, 0, 1); },
       {P("-2147483648")}},
      {"JSTlong field grows",
       {p()},
       [](auto d) { JSTlong(12345, pas(d[0]), 3, 2, 1); },
       {P("12345  ")}},
      {"JSTlong 300 cut to 255",
       {p(256)},
       [](auto d) { JSTlong(7, pas(d[0]), 300, 0, 1); },
       {P("7" + std::string(254, ' '))}},
      {"JSTlong negative gap", {p()}, [](auto d) { JSTlong(42, pas(d[0]), 2, -1, 1); }, {P("4")}},
      {"ConvertWinString2MacString 253",
       {p(254)},
       [&](auto d) {
         std::memcpy(d[0], P(w253).data(), 254);
         ConvertWinString2MacString(pas(d[0]));
       },
       {P(std::string(253, '\x8E'))}},
      {"ConvertWinString2MacString 254 refused",
       {p(255)},
       [&](auto d) {
         std::memcpy(d[0], P(w254).data(), 255);
         ConvertWinString2MacString(pas(d[0]));
       },
       {P(w254)}},
      {"ConvertCWinString2MacString",
       {c(5)},
       [](auto d) {
         std::memcpy(d[0], "caf\xE9", 5);
         ConvertCWinString2MacString(d[0]);
       },
       {cString("caf\x8E")}},
      {"PPUcopy empty", {u()}, [](auto d) { PPUcopy(Uni(u"").data(), uni(d[0])); }, {unicode(u"")}},
      {"PPUcopy 255",
       {u()},
       [](auto d) { PPUcopy(Uni(std::u16string(255, u'\u6F22')).data(), uni(d[0])); },
       {unicode(std::u16string(255, u'\u6F22'))}},
      {"PPUcat",
       {u()},
       [](auto d) {
         std::memcpy(d[0], Uni(u"ab").data(), 6);
         PPUcat(uni(d[0]), Uni(u"cd").data());
       },
       {unicode(u"abcd")}},
      {"WinStr2MacStr leaves it",
       {p()},
       [](auto d) {
         std::memcpy(d[0], "\2\xE9x", 3);
         WinStr2MacStr(pas(d[0]));
       },
       {P("\xE9x")}},
      {"MacStr2WinStr leaves it",
       {p()},
       [](auto d) {
         std::memcpy(d[0], "\2\x8Ex", 3);
         MacStr2WinStr(pas(d[0]));
       },
       {P("\x8Ex")}},
      {"SwapUniString in place",
       {record(4)},
       [](auto d) {
         std::memcpy(d[0], Uni(u"a").data(), 4);
         SwapUniString(uni(d[0]));
       }},
      {"AlwaysSwapUniString in place",
       {record(8)},
       [](auto d) {
         std::memcpy(d[0], Uni(u"abc").data(), 8);
         AlwaysSwapUniString(uni(d[0]));
       }},
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
  const HFSUniStr255 accented = Name(u"\u00E9x"), hangul = Name(u"a\uD55C"),
                     long255 = Name(std::u16string(255, u'\u00E9'));
  const std::vector<RoomRow> rows = {
      // The system encoding (UTF-8 here), in u[0] + 1 bytes.
      {"UniStringToPString ascii",
       {p(4)},
       [](auto d) { UniStringToPString(Uni(u"ete").data(), pas(d[0]), 0); },
       {P("ete")}},
      {"UniStringToPString two-byte fails",
       {p(4)},
       [](auto d) { UniStringToPString(Uni(u"\u00E9t\u00E9").data(), pas(d[0]), 0); },
       {P("")}},
      {"UniStringToPString 255",
       {p(256)},
       [&](auto d) { UniStringToPString(Uni(std::u16string(255, u'q')).data(), pas(d[0]), 0); },
       {P(k255)}},
      // File names, in length + 1 bytes.
      {"UniStringToPString name",
       {p(3)},
       [&](auto d) { UniStringToPString(const_cast<HFSUniStr255*>(&accented), pas(d[0])); },
       {P("\x8Ex")}},
      {"UniStringToPString name 255",
       {p(256)},
       [&](auto d) { UniStringToPString(const_cast<HFSUniStr255*>(&long255), pas(d[0])); },
       {P(std::string(255, '\x8E'))}},
      {"UniStringToPString name outside Mac Roman",
       {p(3)},
       [&](auto d) { UniStringToPString(const_cast<HFSUniStr255*>(&hangul), pas(d[0])); },
       {P("")}},
      {"UniStringToCString name",
       {c(3)},
       [&](auto d) { UniStringToCString(const_cast<HFSUniStr255*>(&accented), d[0]); },
       {cString("\x8Ex")}},
      {"UniStringToCString name 255",
       {c(256)},
       [&](auto d) { UniStringToCString(const_cast<HFSUniStr255*>(&long255), d[0]); },
       {cString(std::string(255, '\x8E'))}},
      {"UniStringToCString name outside Mac Roman",
       {c(3)},
       [&](auto d) { UniStringToCString(const_cast<HFSUniStr255*>(&hangul), d[0]); },
       {cString("")}},
      // Unicode destinations: count + 1 units.
      {"PStringToUniString bullet",
       {u(2)},
       [](auto d) { PStringToUniString(pas(P("\xA5").data()), uni(d[0]), 0); },
       {unicode(u"\u2022")}},
      {"PStringToUniString empty",
       {u(1)},
       [](auto d) { PStringToUniString(pas(P("").data()), uni(d[0]), 0); },
       {unicode(u"")}},
      {"PStringToUniString 255",
       {u(256)},
       [&](auto d) { PStringToUniString(pas(P(roman255).data()), uni(d[0]), 0); }},
      {"PStringToUniString name",
       {record(sizeof(HFSUniStr255))},
       [&](auto d) {
         PStringToUniString(pas(P(roman255).data()), reinterpret_cast<HFSUniStr255*>(d[0]));
       }},
      {"CStringToUniString",
       {u(3)},
       [](auto d) { CStringToUniString("a\xA5", uni(d[0])); },
       {unicode(u"a\u2022")}},
      {"CStringToUniString 256",
       {u(257)},
       [&](auto d) { CStringToUniString(k256.c_str(), uni(d[0])); }},
      {"SJIS_PStringToUniString one kanji",
       {u()},
       [&](auto d) { SJIS_PStringToUniString(pas(P(kKanji).data()), uni(d[0])); },
       {unicode(u"\u6F22")}},
      {"SJIS_PStringToUniString kanji at the end",
       {u()},
       [&](auto d) { SJIS_PStringToUniString(pas(P("ab" + kKanji).data()), uni(d[0])); },
       {unicode(u"ab\u6F22")}},
      {"SJIS_PStringToUniString 127 kanji",
       {u()},
       [&](auto d) { SJIS_PStringToUniString(pas(P(repeat(kKanji, 127)).data()), uni(d[0])); },
       {unicode(std::u16string(127, u'\u6F22'))}},
      {"SJIS_PStringToUniString 255 katakana",
       {u()},
       [](auto d) { SJIS_PStringToUniString(pas(P(std::string(255, '\xB1')).data()), uni(d[0])); },
       {unicode(std::u16string(255, u'\uFF71'))}},
      {"SJIS_PStringToUniString invalid",
       {u()},
       [](auto d) { SJIS_PStringToUniString(pas(P("abc\x82\x20").data()), uni(d[0])); },
       {unicode(u"")}},
      {"SJIS_PStringToUniString cut pair",
       {u()},
       [](auto d) { SJIS_PStringToUniString(pas(P("abc\x8A").data()), uni(d[0])); },
       {unicode(u"")}},
      {"SJIS_PStringToUniString vendor row",
       {u()},
       [](auto d) { SJIS_PStringToUniString(pas(P("abc\x87\x40").data()), uni(d[0])); },
       {unicode(u"")}},
      {"UniStringToSJIS_PString 127 kanji",
       {p(255)},
       [&](auto d) {
         UniStringToSJIS_PString(Uni(std::u16string(127, u'\u6F22')).data(), pas(d[0]));
       },
       {P(repeat(kKanji, 127))}},
      {"UniStringToSJIS_PString 128 kanji",
       {p(255)},
       [](auto d) {
         UniStringToSJIS_PString(Uni(std::u16string(128, u'\u6F22')).data(), pas(d[0]));
       },
       {P("")}},
      {"UniStringToSJIS_PString outside",
       {p(255)},
       [](auto d) { UniStringToSJIS_PString(Uni(u"a\u00E9").data(), pas(d[0])); },
       {P("")}},
      {"RomanStringToUniString 255",
       {u(256)},
       [&](auto d) { RomanStringToUniString(pas(P(k255).data()), uni(d[0])); },
       {unicode(std::u16string(255, u'q'))}},
      {"UTFStringToUniString two kanji",
       {u()},
       [](auto d) {
         UTFStringToUniString(const_cast<char*>("\xE6\x97\xA5\xE6\x9C\xAC"), uni(d[0]));
       },
       {unicode(u"\u65E5\u672C")}},
      {"UTFStringToUniString emoji at the end",
       {u()},
       [](auto d) { UTFStringToUniString(const_cast<char*>("a\xF0\x9F\x98\x80"), uni(d[0])); },
       {unicode(u"a\U0001F600")}},
      {"UTFStringToUniString 255",
       {u()},
       [&](auto d) { UTFStringToUniString(const_cast<char*>(k255.c_str()), uni(d[0])); },
       {unicode(std::u16string(255, u'q'))}},
      {"UTFStringToUniString empty",
       {u()},
       [](auto d) { UTFStringToUniString(const_cast<char*>(""), uni(d[0])); },
       {unicode(u"")}},
      {"UTFStringToUniString invalid",
       {u()},
       [](auto d) { UTFStringToUniString(const_cast<char*>("\xE6\x97\xA5ok\xC3("), uni(d[0])); },
       {unicode(u"")}},
      // Mac Roman from UTF-8: 255 bytes, or size bytes.
      {"UTFStringToCString 254",
       {c(255)},
       [&](auto d) { UTFStringToCString(const_cast<char*>(k254.c_str()), d[0]); },
       {cString(k254)}},
      {"UTFStringToCString 255",
       {c(255)},
       [&](auto d) { UTFStringToCString(const_cast<char*>(k255.c_str()), d[0]); },
       {cString("")}},
      {"UTFStringToCString accent at the end",
       {c(255)},
       [](auto d) {
         UTFStringToCString(const_cast<char*>((std::string(253, 'q') + "\xC3\xA9").c_str()), d[0]);
       },
       {cString(std::string(253, 'q') + "\x8E")}},
      {"UTFStringToCString outside",
       {c(255)},
       [](auto d) { UTFStringToCString(const_cast<char*>("a\xED\x95\x9C"), d[0]); },
       {cString("")}},
      {"UTFStringToCString size 0",
       {c(0)},
       [](auto d) { UTFStringToCString(const_cast<char*>("abc"), d[0], 0); },
       {kivtest::kUntouched}},
      {"UTFStringToCString size 1",
       {c(1)},
       [](auto d) { UTFStringToCString(const_cast<char*>("a"), d[0], 1); },
       {cString("")}},
      {"UTFStringToCString size 4 fits",
       {c(4)},
       [](auto d) { UTFStringToCString(const_cast<char*>("ab\xC3\xA9"), d[0], 4); },
       {cString("ab\x8E")}},
      {"UTFStringToCString size 4 too long",
       {c(4)},
       [](auto d) { UTFStringToCString(const_cast<char*>("abcd"), d[0], 4); },
       {cString("")}},
      {"UTFStringToPString 254",
       {p(255)},
       [&](auto d) { UTFStringToPString(const_cast<char*>(k254.c_str()), pas(d[0])); },
       {P(k254)}},
      {"UTFStringToPString 255",
       {p(255)},
       [&](auto d) { UTFStringToPString(const_cast<char*>(k255.c_str()), pas(d[0])); },
       {P("")}},
      // UTF-8 destinations: 2 * count bytes.
      {"UniStringToUTFString euro fits",
       {c(6)},
       [](auto d) { UniStringToUTFString(Uni(u"ab\u20AC").data(), d[0]); },
       {cString("ab\xE2\x82\xAC")}},
      {"UniStringToUTFString euro too long",
       {c(4)},
       [](auto d) { UniStringToUTFString(Uni(u"a\u20AC").data(), d[0]); },
       {cString("")}},
      {"UniStringToUTFString one two-byte",
       {c(2)},
       [](auto d) { UniStringToUTFString(Uni(u"\u00E9").data(), d[0]); },
       {cString("")}},
      {"UniStringToUTFString empty",
       {c(1)},
       [](auto d) { UniStringToUTFString(Uni(u"").data(), d[0]); },
       {cString("")}},
      {"CStringToUTFString accent alone",
       {c(2)},
       [](auto d) { CStringToUTFString(const_cast<char*>("\x8E"), d[0]); },
       {cString("")}},
      {"CStringToUTFString accent and letter",
       {c(4)},
       [](auto d) {
         CStringToUTFString(const_cast<char*>("\x8E"
                                              "a"),
                            d[0]);
       },
       {cString("\xC3\xA9"
                "a")}},
      {"CStringToUTFString 255 ascii",
       {c(510)},
       [&](auto d) { CStringToUTFString(const_cast<char*>(k255.c_str()), d[0]); },
       {cString(k255)}},
      {"PStringToUTFString accent at the end",
       {c(6)},
       [](auto d) { PStringToUTFString(pas(P("ab\x8E").data()), d[0]); },
       {cString("ab\xC3\xA9")}},
      {"PStringToUTFString 255",
       {c(510)},
       [&](auto d) { PStringToUTFString(pas(P(roman255).data()), d[0]); }},
  };
  kivtest::checkRows(rows);
}

// Random texts of every kind of character, some cut inside one or broken: the Unicode results
// take count + 1 units whatever the text, and nothing when it does not decode.
TEST(ExactRoom, RandomTextsToUnicode) {
  const char* pieces[] = {"a",        "~",       "\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9F\x98\x80",
                          "\x8A\xBF", "\xB1",    "\x82\xA0", "\xFF",         "\xC3",
                          "\x81\x60", "\x87\x40"};
  std::vector<RoomRow> rows;
  unsigned seed = 14;
  for (int k = 0; k < 400; ++k) {
    std::string text;
    for (int n = (seed = seed * 1103515245u + 12345u) >> 16 & 63; n > 0; --n)
      text += pieces[((seed = seed * 1103515245u + 12345u) >> 16) % 12];
    if (text.size() > 255) text.resize(255);
    rows.push_back({"UTFStringToUniString random " + std::to_string(k), {u()}, [text](auto d) {
                      UTFStringToUniString(const_cast<char*>(text.c_str()), uni(d[0]));
                    }});
    rows.push_back({"SJIS_PStringToUniString random " + std::to_string(k), {u()}, [text](auto d) {
                      SJIS_PStringToUniString(pas(P(text).data()), uni(d[0]));
                    }});
  }
  kivtest::checkRows(rows);
}

TEST(ExactRoom, StringObjectAndService) {
  auto roman = [](const char* text) {
    KIVStr s(0, kCFStringEncodingMacRoman, nullptr);
    s = text;
    return s;
  };
  auto service = [](const char* utf8) {
    return CFStringCreateWithCString(nullptr, utf8, kCFStringEncodingUTF8);
  };
  CFStringRef nihon = service("\xE6\x97\xA5\xE6\x9C\xAC"), abc = service("abc"),
              euro = service("ab\xE2\x82\xAC");
  const std::vector<RoomRow> rows = {
      {"GetPStringCopy",
       {p(256)},
       [&](auto d) { roman("abc").GetPStringCopy(pas(d[0])); },
       {P("abc")}},
      {"GetPStringCopy 255",
       {p(256)},
       [&](auto d) { roman(k255.c_str()).GetPStringCopy(pas(d[0])); },
       {P(k255)}},
      {"GetPStringCopy 256",
       {p(256)},
       [&](auto d) { roman(k256.c_str()).GetPStringCopy(pas(d[0])); },
       {P("")}},
      {"GetCStringCopy fits",
       {c(4)},
       [&](auto d) { roman("abc").GetCStringCopy(d[0], 4); },
       {cString("abc")}},
      {"GetCStringCopy too long",
       {c(3)},
       [&](auto d) { roman("abc").GetCStringCopy(d[0], 3); },
       {cString("")}},
      {"GetUniStringCopy cut",
       {u(4)},
       [&](auto d) { roman("hello").GetUniStringCopy(uni(d[0]), 3); },
       {unicode(u"hel")}},
      {"GetUniStringCopy shorter",
       {u(6)},
       [&](auto d) { roman("hi").GetUniStringCopy(uni(d[0]), 5); },
       {unicode(u"hi")}},
      {"GetUTF8StringCopy accent in max 1",
       {c(2)},
       [&](auto d) { roman("\x8Ex").GetUTF8StringCopy(d[0], 1); },
       {cString("")}},
      {"GetUTF8StringCopy max 0",
       {c(1)},
       [&](auto d) { roman("abc").GetUTF8StringCopy(d[0], 0); },
       {cString("")}},
      {"GetUTF8StringCopy whole characters",
       {c(4)},
       [&](auto d) { roman("ab\xDB").GetUTF8StringCopy(d[0], 3); },
       {cString("ab")}},
      {"SwapBuffer odd",
       {record(3)},
       [&](auto d) {
         std::memcpy(d[0], "abc", 3);
         roman("").SwapBuffer(d[0], 3);
       }},
      {"CFStringGetCString fits",
       {c(7)},
       [&](auto d) { CFStringGetCString(nihon, d[0], 7, kCFStringEncodingUTF8); },
       {cString("\xE6\x97\xA5\xE6\x9C\xAC")}},
      {"CFStringGetCString one short",
       {c(6)},
       [&](auto d) { CFStringGetCString(nihon, d[0], 6, kCFStringEncodingUTF8); },
       {cString("")}},
      {"CFStringGetCString Shift-JIS",
       {c(5)},
       [&](auto d) { CFStringGetCString(nihon, d[0], 5, kCFStringEncodingShiftJIS); },
       {cString("\x93\xFA\x96\x7B")}},
      {"CFStringGetPascalString fits",
       {p(4)},
       [&](auto d) { CFStringGetPascalString(abc, pas(d[0]), 4, kCFStringEncodingMacRoman); },
       {P("abc")}},
      {"CFStringGetPascalString one short",
       {p(3)},
       [&](auto d) { CFStringGetPascalString(abc, pas(d[0]), 3, kCFStringEncodingMacRoman); },
       {P("")}},
      {"CFStringGetCharacters",
       {record(4)},
       [&](auto d) {
         CFStringGetCharacters(abc, CFRangeMake(1, 2), reinterpret_cast<UniChar*>(d[0]));
       }},
      {"CFStringGetBytes whole characters",
       {record(4)},
       [&](auto d) {
         CFIndex used;
         CFStringGetBytes(euro, CFRangeMake(0, 3), kCFStringEncodingUTF8, 0, false,
                          reinterpret_cast<UInt8*>(d[0]), 4, &used);
       }},
  };
  kivtest::checkRows(rows);
  for (CFStringRef s : {nihon, abc, euro})
    CFRelease(s);
}
