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

namespace {

std::string cText(short first, short second) {
  char buffer[255];
  GetCocoaCString(buffer, first, second, 99);
  return buffer;
}

// The text of CARBON_STR_128_1 under the given language settings.
std::string untitledIn(const char* language, const char* locale = "C.UTF-8") {
  ScopedEnv all("LC_ALL", locale);
  ScopedEnv lang("LANGUAGE", language);
  return localizedString("CARBON_STR_128_1");
}

} // namespace

TEST(LocalizedStrings, LanguageAndKeyRules) {
  EXPECT_EQ(untitledIn("de"), "Ohne Titel");
  EXPECT_EQ(untitledIn("en"), "Untitled");
  EXPECT_EQ(untitledIn("fr:de:en"), "Ohne Titel") << "first language with a catalog";
  EXPECT_EQ(untitledIn("fr"), "CARBON_STR_128_1");
  EXPECT_EQ(untitledIn("de", "C"), "CARBON_STR_128_1") << "the C locale ignores LANGUAGE";

  ScopedEnv all("LC_ALL", "C.UTF-8");
  ScopedEnv language("LANGUAGE", "de");
  EXPECT_EQ(localizedString("KIV_ALERT_STRING_9"), "KIV_ALERT_STRING_9") << "only in en";
  // gettext would answer the empty key with the catalog header.
  EXPECT_EQ(localizedString(""), "");
  EXPECT_EQ(localizedString(nullptr), "");
}

// The catalogs the application ships, found through its bundle; the lookup follows a change of
// main bundle and comes back.
TEST(LocalizedStrings, ApplicationCatalogs) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  kiv::platform::setMainBundlePath(KIV_APP_BUNDLE_DIR);
  for (const char* lang : {"en", "de"}) {
    ScopedEnv language("LANGUAGE", lang);
    for (const char* key : {"KIV_ALERT_STRING_2", "KIV_ALERT_STRING_2_Title",
                            "KIV_ALERT_STRING_2_OK", "KIV_ALERT_STRING_2_Cancel"})
      EXPECT_NE(localizedString(key), key) << lang;
  }
  {
    ScopedEnv language("LANGUAGE", "de");
    EXPECT_EQ(localizedString("KIV_ALERT_STRING_1_Title"), "Öffnen fehlgeschlagen");
  }
  kiv::platform::setMainBundlePath("");
  EXPECT_EQ(untitledIn("en"), "Untitled");
}

TEST(LocalizedTexts, MacRomanWithin255Bytes) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  ScopedEnv language("LANGUAGE", "en");
  EXPECT_EQ(cText(128, 2), "Caf\x8E");
  EXPECT_EQ(cText(128, 3), "CARBON_STR_128_3");
  EXPECT_EQ(cText(-3, -4), "Negative key");
  EXPECT_EQ(cText(128, 4), "") << "no Mac Roman form";
  EXPECT_EQ(cText(128, 5), std::string(254, 'a'));

  // A text one byte too long leaves the string empty and nothing past 255 bytes is written.
  std::vector<char> buffer(300, '#');
  GetCocoaCString(buffer.data(), 128, 6, 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(std::string(buffer.begin() + 255, buffer.end()), std::string(45, '#'));
  GetCocoaCString(nullptr, 128, 1, 0);

  unsigned char p[256];
  GetCocoaString(p, 128, 5);
  EXPECT_EQ(p[0], 254);
  EXPECT_EQ(p[254], 'a');
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
  std::string euros(50, '\xDB');
  std::vector<char> exact(euros.size() * 3 + 1);
  CocoaRomanToUTF(euros.data(), exact.data());
  std::string expected;
  for (size_t i = 0; i < euros.size(); ++i)
    expected += "\xE2\x82\xAC";
  EXPECT_EQ(std::string(exact.data()), expected);
}

TEST(AlertMessage, ArgumentsAndConversions) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  const char* args[4] = {"a.xml", "/tmp", "third", "fourth"};
  EXPECT_EQ(kiv::ui::fillAlertMessage("File %s could not be saved to %s.", args, 4),
            "File a.xml could not be saved to /tmp.");
  // Only %s and %% are conversions; an argument's own percent signs are not read again.
  const char* percent[4] = {"100%s%d", nullptr, "x", nullptr};
  EXPECT_EQ(kiv::ui::fillAlertMessage("%s|%d|%5s|%%|%s|%s|%s|%s|%", percent, 4),
            "100%s%d|%d|%5s|%||x||%s|%");
  // Bytes that are not UTF-8 are read as Mac Roman rather than lost.
  const char* latin[1] = {"\xE9t\xE9"};
  EXPECT_EQ(kiv::ui::fillAlertMessage("%s", latin, 1), "\xC3\x88t\xC3\x88");
}
