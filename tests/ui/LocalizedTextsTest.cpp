// The localized strings table, fixed texts and Mac Roman conversion, against the catalogs
// compiled into Resources/ beside this test program.
#include "KivMisc_Frameworks.h"
#include "TestSupport.h"
#include "platform/bundle/Bundle.h"
#include "ui/AlertMessage.h"
#include "ui/LocalizedStrings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kiv::ui::localizedString;
using kivtest::ScopedEnv;

TEST(LocalizedStrings, LanguageAndKeyRules) {
  const struct {
    const char *language, *locale, *key, *expected;
  } rows[] = {
      {"de", "C.UTF-8", "CARBON_STR_128_1", "Ohne Titel"},
      {"en", "C.UTF-8", "CARBON_STR_128_1", "Untitled"},
      {"fr:de:en", "C.UTF-8", "CARBON_STR_128_1", "Ohne Titel"}, // first language with a catalog
      {"fr", "C.UTF-8", "CARBON_STR_128_1", "CARBON_STR_128_1"},
      {"de", "C", "CARBON_STR_128_1", "CARBON_STR_128_1"}, // the C locale ignores LANGUAGE
      {"de", "C.UTF-8", "KIV_ALERT_STRING_9", "KIV_ALERT_STRING_9"}, // only in en
      {"de", "C.UTF-8", "", ""}, // gettext would answer the empty key with the catalog header
      {"de", "C.UTF-8", nullptr, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.language) + " " + row.locale + " " + (row.key ? row.key : "null"));
    ScopedEnv all("LC_ALL", row.locale);
    ScopedEnv language("LANGUAGE", row.language);
    EXPECT_EQ(localizedString(row.key), row.expected);
  }
}

// The catalogs the application ships, found through its bundle; the lookup follows a change of
// main bundle and comes back.
TEST(LocalizedStrings, ApplicationCatalogs) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  ScopedEnv language("LANGUAGE", "de");
  kiv::platform::setMainBundlePath(KIV_APP_BUNDLE_DIR);
  EXPECT_EQ(localizedString("KIV_ALERT_STRING_1_Title"), "Öffnen fehlgeschlagen");
  for (const char* lang : {"en", "de"}) {
    ScopedEnv language("LANGUAGE", lang);
    for (const char* key : {"KIV_ALERT_STRING_2", "KIV_ALERT_STRING_2_Title",
                            "KIV_ALERT_STRING_2_OK", "KIV_ALERT_STRING_2_Cancel"})
      EXPECT_NE(localizedString(key), key) << lang;
  }
  kiv::platform::setMainBundlePath("");
  EXPECT_EQ(localizedString("CARBON_STR_128_1"), "Ohne Titel");
}

TEST(LocalizedTexts, MacRomanWithin255Bytes) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  ScopedEnv language("LANGUAGE", "en");
  const struct {
    short first, second;
    std::string expected;
  } rows[] = {{128, 2, "Caf\x8E"},
              {128, 3, "CARBON_STR_128_3"},
              {-3, -4, "Negative key"},
              {128, 4, ""} /* no Mac Roman form */,
              {128, 5, std::string(254, 'a')},
              {128, 6, ""} /* one byte too long */};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.first) + "_" + std::to_string(row.second));
    std::vector<char> buffer(300, '#'); // nothing past 255 bytes is written
    GetCocoaCString(buffer.data(), row.first, row.second, 99);
    EXPECT_EQ(buffer.data(), row.expected);
    EXPECT_EQ(std::string(buffer.begin() + 255, buffer.end()), std::string(45, '#'));
  }
  GetCocoaCString(nullptr, 128, 1, 0);

  unsigned char p[256];
  GetCocoaString(p, 128, 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), p[0]), std::string(254, 'a'));
  GetCocoaString(p, 128, 6);
  EXPECT_EQ(p[0], 0);
  ScopedEnv german("LANGUAGE", "de");
  GetCocoaString(p, 128, 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), p[0]), "Gr\x9A\xA7"
                                                               "e");
}

TEST(LocalizedTexts, RomanToUtf8) {
  char out[16];
  char mixed[] = "\x8Ax\xA5";
  CocoaRomanToUTF(mixed, out);
  EXPECT_STREQ(out, "\xC3\xA4x\xE2\x80\xA2");
  CocoaRomanToUTF(nullptr, out);
  EXPECT_STREQ(out, "");
  // Three-byte characters fill exactly the 3 * n + 1 bytes the caller provides.
  std::string euros(50, '\xDB'), expected;
  std::vector<char> exact(euros.size() * 3 + 1);
  CocoaRomanToUTF(euros.data(), exact.data());
  for (size_t i = 0; i < euros.size(); ++i)
    expected += "\xE2\x82\xAC";
  EXPECT_EQ(std::string(exact.data()), expected);
}

// Alert texts with their arguments are checked on real alerts; these are the edge cases.
TEST(AlertMessage, ArgumentsAndConversions) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  // Only %s and %% are conversions; an argument's own percent signs are not read again, and a
  // placeholder past the arguments stays as written.
  const char* percent[4] = {"100%s%d", nullptr, "x", nullptr};
  EXPECT_EQ(kiv::ui::fillAlertMessage("%s|%d|%5s|%%|%s|%s|%s|%s|%", percent, 4),
            "100%s%d|%d|%5s|%||x||%s|%");
  // Bytes that are not UTF-8 are read as Mac Roman rather than lost.
  const char* latin[1] = {"\xE9t\xE9"};
  EXPECT_EQ(kiv::ui::fillAlertMessage("%s", latin, 1), "\xC3\x88t\xC3\x88");
}
