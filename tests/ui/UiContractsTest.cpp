// Every user-interaction function that writes into a caller's buffer, in exactly the room it
// promises: the localized texts, and the file choosers answered as a user would.
#include "ExactRoom.h"
#include "FileDialogs.h"
#include "TestSupport.h"
#include "platform/frame/GuiApplication.h"

#include <KivMisc_Frameworks.h>

using namespace kivtest::rows;
using kivtest::RoomRow;
using kivtest::ScopedEnv;
using namespace uitest;

TEST(ExactRoom, LocalizedTexts) {
  ScopedEnv all("LC_ALL", std::string("C.UTF-8")), language("LANGUAGE", std::string("en"));
  auto cText = [](const char* name, short first, short second, const std::string& expected) {
    return RoomRow{name,
                   {c(255)},
                   [=](auto d) { GetCocoaCString(d[0], first, second, 0); },
                   {cString(expected)}};
  };
  auto pText = [](const char* name, const char* lang, short second, const std::string& expected) {
    return RoomRow{name,
                   {p(256)},
                   [=](auto d) {
                     ScopedEnv language("LANGUAGE", std::string(lang));
                     GetCocoaString(pas(d[0]), 128, second);
                   },
                   {pascal(expected)}};
  };
  auto roman = [](const char* name, const std::string& text, size_t room, const char* expected) {
    return RoomRow{name,
                   {c(room)},
                   [=](auto d) { CocoaRomanToUTF(const_cast<char*>(text.c_str()), d[0]); },
                   expected ? std::vector{cString(expected)} : std::vector<std::string>{}};
  };
  kivtest::checkRows({
      cText("GetCocoaCString 254", 128, 5, std::string(254, 'a')),
      cText("GetCocoaCString 255, one too long", 128, 6, ""),
      cText("GetCocoaCString outside Mac Roman", 128, 4, ""),
      cText("GetCocoaCString missing key", -32768, -32768, "CARBON_STR_-32768_-32768"),
      cText("GetCocoaCString negative key", -3, -4, "Negative key"),
      pText("GetCocoaString 254", "en", 5, std::string(254, 'a')),
      pText("GetCocoaString 255, one too long", "en", 6, ""),
      pText("GetCocoaString accented", "en", 2, "Caf\x8E"),
      pText("GetCocoaString German", "de", 2,
            "Gr\x9A\xA7"
            "e"),
      roman("CocoaRomanToUTF", "Caf\x8E", 13, "Caf\xC3\xA9"),
      roman("CocoaRomanToUTF mixed", "\x8Ax\xA5", 7, "\xC3\xA4x\xE2\x80\xA2"),
      roman("CocoaRomanToUTF 255 three-byte characters", std::string(255, '\xDB'), 766, nullptr),
      roman("CocoaRomanToUTF empty", "", 1, ""),
      {"CocoaRomanToUTF null",
       {c(1)},
       [](auto d) { CocoaRomanToUTF(nullptr, d[0]); },
       {cString("")}},
  });
  GetCocoaCString(nullptr, 128, 1, 0);
}

TEST(ExactRoom, FileChoosers) {
  ASSERT_TRUE(kiv::platform::ensureGuiApplication());
  kivtest::TempDir t;
  const std::string file = t.write("caf\xC3\xA9.xml", "<a/>").string();
  // The location is proposed in Mac Roman and chosen as the dialog shows it, in UTF-8.
  const std::string folder = t.str() + "/chosen folder",
                    location = t.str() + "/R\xC3\xA9sum\xC3\xA9.txt";
  std::filesystem::create_directory(folder);
  char type[] = "xml", name[] = "R\x8Esum\x8E.txt";
  // Each chooser without a room (4096 bytes), with exactly the path and its terminator, and
  // with one byte less.
  auto rows = [&](const char* chooser, const std::string& path, auto call) {
    const int room = static_cast<int>(path.size() + 1);
    const std::tuple<const char*, int, bool> sizes[] = {
        {"", -1, true}, {" sized fits", room, true}, {" sized one short", room - 1, false}};
    std::vector<RoomRow> made;
    for (const auto& [suffix, size, fits] : sizes) {
      const int n = size; // a copy the lambda can hold
      made.push_back({chooser + std::string(suffix),
                      {c(n < 0 ? 4096 : n)},
                      [=](auto d) { withDialog(choose(path), [&] { return call(d[0], n); }); },
                      {fits ? cString(path) : kivtest::kUntouched}});
    }
    return made;
  };
  kivtest::checkRows(rows("doChooseFile", file, [&](char* d, int n) {
    return n < 0 ? doChooseFile(type, d) : doChooseFile(type, d, n);
  }));
  kivtest::checkRows(rows("doChooseFolder", folder, [](char* d, int n) {
    return n < 0 ? doChooseFolder(d) : doChooseFolder(d, n);
  }));
  kivtest::checkRows(rows("doChooseFileLocation", location, [&](char* d, int n) {
    return n < 0 ? doChooseFileLocation(name, d) : doChooseFileLocation(name, d, n);
  }));
  EXPECT_FALSE(std::filesystem::exists(location)) << "choosing a location creates no file";
}
