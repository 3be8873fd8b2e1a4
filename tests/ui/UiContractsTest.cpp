// Every user-interaction function that writes into a caller's buffer, in exactly the room it
// promises: the localized texts, and the file choosers answered by a timer as a user would.
#include "ExactRoom.h"
#include "TestSupport.h"
#include "platform/frame/GuiApplication.h"

#include <KivMisc_Frameworks.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <string>
#include <vector>

using namespace kivtest::rows;
using kivtest::RoomRow;
using kivtest::ScopedEnv;

namespace {

// Runs `call` while a timer picks `path` in the modal file dialog once it lists the path's
// folder; a dialog still open after five seconds is cancelled.
short choosing(const std::string& path, const std::function<short()>& call) {
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (!dialog->property("kivCancel").toBool()) {
      dialog->setProperty("kivCancel", true);
      QTimer::singleShot(5000, dialog, &QFileDialog::reject);
    }
    const QString wanted = QString::fromStdString(path);
    dialog->setDirectory(QFileInfo(wanted).absolutePath());
    if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit"))
      edit->setText(QFileInfo(wanted).fileName());
    if (dialog->selectedFiles() == QStringList{wanted}) static_cast<QDialog*>(dialog)->accept();
  });
  timer.start(20);
  return call();
}

} // namespace

TEST(ExactRoom, LocalizedTexts) {
  ScopedEnv all("LC_ALL", std::string("C.UTF-8"));
  ScopedEnv language("LANGUAGE", std::string("en"));
  const std::string roman255 = std::string(255, '\xDB'); // the euro sign: three UTF-8 bytes
  const std::vector<RoomRow> rows = {
      {"GetCocoaCString 254",
       {c(255)},
       [](auto d) { GetCocoaCString(d[0], 128, 5, 0); },
       {cString(std::string(254, 'a'))}},
      {"GetCocoaCString 255",
       {c(255)},
       [](auto d) { GetCocoaCString(d[0], 128, 6, 0); },
       {cString("")}},
      {"GetCocoaCString outside Mac Roman",
       {c(255)},
       [](auto d) { GetCocoaCString(d[0], 128, 4, 0); },
       {cString("")}},
      {"GetCocoaCString missing key",
       {c(255)},
       [](auto d) { GetCocoaCString(d[0], -32768, -32768, 0); },
       {cString("CARBON_STR_-32768_-32768")}},
      {"GetCocoaString 254",
       {p(256)},
       [](auto d) { GetCocoaString(reinterpret_cast<unsigned char*>(d[0]), 128, 5); },
       {pascal(std::string(254, 'a'))}},
      {"GetCocoaString accented",
       {p(256)},
       [](auto d) { GetCocoaString(reinterpret_cast<unsigned char*>(d[0]), 128, 2); },
       {pascal("Caf\x8E")}},
      {"CocoaRomanToUTF",
       {c(13)},
       [](auto d) { CocoaRomanToUTF(const_cast<char*>("Caf\x8E"), d[0]); },
       {cString("Caf\xC3\xA9")}},
      {"CocoaRomanToUTF 255 three-byte characters",
       {c(766)},
       [&](auto d) { CocoaRomanToUTF(const_cast<char*>(roman255.c_str()), d[0]); }},
      {"CocoaRomanToUTF empty",
       {c(1)},
       [](auto d) { CocoaRomanToUTF(const_cast<char*>(""), d[0]); },
       {cString("")}},
      {"CocoaRomanToUTF null",
       {c(1)},
       [](auto d) { CocoaRomanToUTF(nullptr, d[0]); },
       {cString("")}},
  };
  kivtest::checkRows(rows);
}

TEST(ExactRoom, FileChoosers) {
  ASSERT_TRUE(kiv::platform::ensureGuiApplication());
  kivtest::TempDir t;
  const std::string file = t.write("caf\xC3\xA9.xml", "<a/>").string();
  const std::string folder = t.str(), location = (t.path() / "new.xml").string();
  const int fileRoom = static_cast<int>(file.size() + 1);
  const int folderRoom = static_cast<int>(folder.size() + 1);
  const int locationRoom = static_cast<int>(location.size() + 1);
  char type[] = "xml", name[] = "new.xml";
  const std::vector<RoomRow> rows = {
      {"doChooseFile",
       {c(4096)},
       [&](auto d) { choosing(file, [&] { return doChooseFile(type, d[0]); }); },
       {cString(file)}},
      {"doChooseFile sized fits",
       {c(fileRoom)},
       [&](auto d) { choosing(file, [&] { return doChooseFile(type, d[0], fileRoom); }); },
       {cString(file)}},
      {"doChooseFile sized one short",
       {c(fileRoom - 1)},
       [&](auto d) { choosing(file, [&] { return doChooseFile(type, d[0], fileRoom - 1); }); },
       {kivtest::kUntouched}},
      {"doChooseFolder",
       {c(4096)},
       [&](auto d) { choosing(folder, [&] { return doChooseFolder(d[0]); }); },
       {cString(folder)}},
      {"doChooseFolder sized fits",
       {c(folderRoom)},
       [&](auto d) { choosing(folder, [&] { return doChooseFolder(d[0], folderRoom); }); },
       {cString(folder)}},
      {"doChooseFileLocation",
       {c(4096)},
       [&](auto d) { choosing(location, [&] { return doChooseFileLocation(name, d[0]); }); },
       {cString(location)}},
      {"doChooseFileLocation sized fits",
       {c(locationRoom)},
       [&](auto d) {
         choosing(location, [&] { return doChooseFileLocation(name, d[0], locationRoom); });
       },
       {cString(location)}},
      {"doChooseFileLocation sized one short",
       {c(locationRoom - 1)},
       [&](auto d) {
         choosing(location, [&] { return doChooseFileLocation(name, d[0], locationRoom - 1); });
       },
       {kivtest::kUntouched}},
  };
  kivtest::checkRows(rows);
}
