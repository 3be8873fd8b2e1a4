// The localized strings table against the catalogs compiled into this program's bundle, the
// application's and catalogs made here. Texts in exactly their room are the exact-room rows.
#include "KivMisc_Frameworks.h"
#include "TestSupport.h"
#include "platform/bundle/Bundle.h"
#include "ui/AlertMessage.h"
#include "ui/LocalizedStrings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;

using kiv::ui::localizedString;
using kivtest::ScopedEnv;

// The chain of languages, against the catalogs of this program's bundle: en (its development
// language), de and de_AT. None of the locales named is installed on the machine.
TEST(LocalizedStrings, LanguageChainWithFallbacks) {
  const char* unset = nullptr;
  const struct {
    const char *language, *all, *messages, *lang, *key, *expected;
  } rows[] = {
      {unset, "C.UTF-8", unset, unset, "CARBON_STR_128_1", "Untitled"},
      {unset, "C", unset, unset, "CARBON_STR_128_1", "Untitled"},
      {unset, unset, unset, unset, "CARBON_STR_128_1", "Untitled"},
      {"fr", "C.UTF-8", unset, unset, "CARBON_STR_128_1", "Untitled"}, // no French catalog
      {unset, unset, unset, "fr_FR.UTF-8", "CARBON_STR_128_1", "Untitled"},
      {"de", "C", unset, unset, "CARBON_STR_128_1", "Ohne Titel"}, // LANGUAGE under C too
      {"de", unset, unset, unset, "CARBON_STR_128_1", "Ohne Titel"},
      // Language and region as given, then the language, then the development language.
      {unset, unset, unset, "de_AT.UTF-8", "CARBON_STR_128_7", "J\xC3\xA4nner"},
      {unset, unset, unset, "de_AT.UTF-8", "CARBON_STR_128_1", "Ohne Titel"},
      {unset, unset, unset, "de_AT.UTF-8", "KIV_ALERT_STRING_9_Title", "Copy <i>done</i>"},
      {unset, unset, unset, "de_CH.UTF-8@x", "CARBON_STR_128_7", "Januar"},
      // LANGUAGE lists in order, empty entries skipped; then the message locale.
      {"fr:de_AT:en", "C.UTF-8", unset, unset, "CARBON_STR_128_7", "J\xC3\xA4nner"},
      {"fr::en:de", "C.UTF-8", unset, unset, "CARBON_STR_128_7", "January"},
      {"fr", unset, unset, "de_DE.UTF-8", "CARBON_STR_128_7", "Januar"},
      // LC_ALL outranks LC_MESSAGES, which outranks LANG.
      {unset, unset, "de_DE.UTF-8", "en_US.UTF-8", "CARBON_STR_128_7", "Januar"},
      {unset, "C.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8", "CARBON_STR_128_7", "January"},
      {unset, "de_AT", "en_US", unset, "CARBON_STR_128_7", "J\xC3\xA4nner"},
      // A name that would leave the catalog folder is no language.
      {"../de:de/../de_AT", "C.UTF-8", unset, unset, "CARBON_STR_128_7", "January"},
      // A key appears only when no catalog of the chain holds it.
      {"de", "C.UTF-8", unset, unset, "KIV_ALERT_STRING_77", "KIV_ALERT_STRING_77"},
      {"de", "C.UTF-8", unset, unset, "", ""}, // not the catalog's header
      {"de", "C.UTF-8", unset, unset, nullptr, ""},
  };
  auto orUnset = [](const char* v) { return v ? std::optional<std::string>(v) : std::nullopt; };
  auto shown = [](const char* v) { return std::string(v ? v : "-") + " "; };
  for (const auto& row : rows) {
    SCOPED_TRACE(shown(row.language) + shown(row.all) + shown(row.messages) + shown(row.lang) +
                 shown(row.key));
    ScopedEnv language("LANGUAGE", orUnset(row.language)), all("LC_ALL", orUnset(row.all)),
        messages("LC_MESSAGES", orUnset(row.messages)), lang("LANG", orUnset(row.lang));
    EXPECT_EQ(localizedString(row.key), row.expected);
  }
}

// The catalogs the application ships, found through its bundle, which declares English as its
// development language; the lookup follows a change of main bundle and comes back.
TEST(LocalizedStrings, ApplicationCatalogs) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  ScopedEnv language("LANGUAGE", std::nullopt);
  kiv::platform::setMainBundlePath(KIV_APP_BUNDLE_DIR);
  char text[256];
  GetCocoaCString(text, 128, 1, 0);
  EXPECT_STREQ(text, "Untitled");
  for (const char* lang : {"en", "de"}) {
    ScopedEnv language("LANGUAGE", lang);
    for (const char* key : {"KIV_ALERT_STRING_2", "KIV_ALERT_STRING_2_Title",
                            "KIV_ALERT_STRING_2_OK", "KIV_ALERT_STRING_2_Cancel"})
      EXPECT_NE(localizedString(key), key) << lang;
  }
  ScopedEnv german("LANGUAGE", "de");
  EXPECT_EQ(localizedString("KIV_ALERT_STRING_1_Title"), "\xC3\x96"
                                                         "ffnen fehlgeschlagen");
  kiv::platform::setMainBundlePath("");
  EXPECT_EQ(localizedString("CARBON_STR_128_1"), "Ohne Titel");
}

// Catalogs of a bundle made here: in either byte order and another character set, broken, not
// a file, replaced while the program runs; and a bundle that declares no development language.
TEST(LocalizedStrings, CatalogsAsTheyMayBeFoundOnDisk) {
  kivtest::TempDir dir;
  struct Restore {
    ~Restore() { kiv::platform::setMainBundlePath(""); }
  } restore;
  const std::string bundle = dir.str() + "/Other.app";
  auto catalog = [&](const std::string& lang) {
    return bundle + "/Contents/Resources/locale/" + lang + "/LC_MESSAGES/Localizable.mo";
  };
  auto compile = [&](const std::string& lang, const std::string& text, const char* charset,
                     const char* endianness) {
    fs::path po =
        dir.write(lang + ".po",
                  "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=" + std::string(charset) +
                      "\\n\"\n\nmsgid \"CARBON_STR_1_1\"\nmsgstr \"" + text + "\"\n");
    fs::create_directories(fs::path(catalog(lang)).parent_path());
    std::string command = std::string(KIV_MSGFMT) + " --endianness=" + endianness + " -o '" +
                          catalog(lang) + "' '" + po.string() + "'";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
  };
  dir.write("Other.app/Contents/Info.plist",
            "<plist><dict><key>CFBundleDevelopmentRegion</key><string>en_GB</string></dict>"
            "</plist>");
  compile("en", "Colour", "UTF-8", "little");
  compile("de", "K\xC3\xA4se", "UTF-8", "big");
  compile("pt", "Cora\xE7\xE3o", "ISO-8859-1", "little");
  compile("es", "Espa\xC3\xB1ol", "UTF-8", "little");
  // A catalog cut in half, one that is no catalog, and a FIFO: none of them is read.
  std::string es = kivtest::readFile(catalog("es"));
  dir.write("Other.app/Contents/Resources/locale/it/LC_MESSAGES/Localizable.mo",
            es.substr(0, es.size() / 2));
  dir.write("Other.app/Contents/Resources/locale/nl/LC_MESSAGES/Localizable.mo",
            std::string("\xDE\x12\x04\x95\0\0\0\0\xFF\xFF\xFF\xFF", 12) + std::string(64, '\xFF'));
  fs::create_directories(fs::path(catalog("fr")).parent_path());
  ASSERT_EQ(0, mkfifo(catalog("fr").c_str(), 0600));
  kiv::platform::setMainBundlePath(bundle);

  ScopedEnv all("LC_ALL", "C.UTF-8");
  const struct {
    const char *language, *expected;
  } rows[] = {{"de", "K\xC3\xA4se"},
              {"pt_BR", "Cora\xC3\xA7\xC3\xA3o"},
              {"it:nl:fr:es", "Espa\xC3\xB1ol"},
              {"it:nl:fr", "Colour"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.language);
    ScopedEnv language("LANGUAGE", row.language);
    EXPECT_EQ(localizedString("CARBON_STR_1_1"), row.expected);
  }

  // The broken catalog is mended, then the bundle stops declaring a development language.
  ScopedEnv italian("LANGUAGE", "it");
  fs::rename(catalog("es"), catalog("it"));
  EXPECT_EQ(localizedString("CARBON_STR_1_1"), "Espa\xC3\xB1ol");
  fs::remove(catalog("it"));
  dir.write("Other.app/Contents/Info.plist", "<plist><dict></dict></plist>");
  EXPECT_EQ(localizedString("CARBON_STR_1_1"), "CARBON_STR_1_1");
}

// Alert texts are checked on real alerts, and filled templates on any text by a fuzz target.
// Arguments that are not UTF-8 are read as Mac Roman rather than lost; without a template the
// key shows the arguments that are not empty.
TEST(AlertMessage, ArgumentsOutsideUtf8AndWithoutATemplate) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  const char* some[4] = {nullptr, "a%s", "", "\xE9t\xE9"};
  EXPECT_EQ(kiv::ui::fillAlertMessage("%s|%s", some + 2, 2), "|\xC3\x88t\xC3\x88");
  EXPECT_EQ(kiv::ui::messageWithoutTemplate("K", some, 4), "K (a%s, \xC3\x88t\xC3\x88)");
  EXPECT_EQ(kiv::ui::messageWithoutTemplate("K", some, 1), "K");
}
