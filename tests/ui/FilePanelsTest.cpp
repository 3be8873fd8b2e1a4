// The choosers run real Qt file dialogs on the offscreen platform; a timer finds the modal
// dialog once it is shown and answers it the way a user would.
#include "KivMisc_Frameworks.h"
#include "platform/frame/GuiApplication.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <functional>

namespace fs = std::filesystem;
using kivtest::TempDir;

namespace {

using Answer = std::function<bool(QFileDialog*)>;
struct Shown { // what a dialog showed when it appeared
  QString name;
  QStringList nameFilters, mimeFilters;
};

// Runs `call` while a timer hands the modal dialog to `answer` on every tick until that returns
// true (the dialog lists its folder asynchronously, so a selection may need another try). A
// dialog still open five seconds later is cancelled, so that a failing test cannot hang.
short withDialog(const Answer& answer, const std::function<short()>& call, Shown* shown = nullptr) {
  QTimer timer;
  bool seen = false;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (!seen) {
      QTimer::singleShot(5000, dialog, &QFileDialog::reject);
      auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
      if (shown)
        *shown = {edit ? edit->text() : "?", dialog->nameFilters(), dialog->mimeTypeFilters()};
    }
    seen = true;
    if (answer(dialog)) timer.stop();
  });
  timer.start(20);
  short result = call();
  EXPECT_TRUE(seen) << "no dialog was shown";
  return result;
}

// Opens the folder of `path`, types its name unless the name field holds one (a proposed name),
// and accepts once the dialog reports exactly that selection.
Answer choose(const std::string& path) {
  return [path](QFileDialog* d) {
    QString wanted = QString::fromStdString(path);
    d->setDirectory(QFileInfo(wanted).absolutePath());
    auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
    if (edit && edit->text().isEmpty()) edit->setText(QFileInfo(wanted).fileName());
    if (d->selectedFiles() != QStringList{wanted}) return false;
    static_cast<QDialog*>(d)->accept(); // protected in QFileDialog
    return true;
  };
}

struct FilePanels : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(kiv::platform::ensureGuiApplication()); }
};

} // namespace

TEST_F(FilePanels, ChooseFileAndFolder) {
  TempDir t;
  fs::path xml = t.write("doc.xml", "<a/>");
  std::string folder = (t.path() / "chosen folder").string();
  fs::create_directory(folder);
  char type[] = "xml", dest[4096];
  Shown shown;
  ASSERT_EQ(0, withDialog(
                   choose(xml), [&] { return doChooseFile(type, dest); }, &shown));
  EXPECT_EQ(xml.string(), dest);
  EXPECT_TRUE(shown.nameFilters.contains("*.xml")) << shown.nameFilters.join(";").toStdString();
  ASSERT_EQ(0, withDialog(choose(folder), [&] { return doChooseFolder(dest); }));
  EXPECT_EQ(folder, dest);

  // One byte short of the path and its terminator: refused, destination untouched.
  std::vector<char> small(folder.size() + 1, 'x');
  EXPECT_EQ(-1, withDialog(choose(folder),
                           [&] { return doChooseFolder(small.data(), int(folder.size())); }));
  EXPECT_EQ('x', small[0]);
}

TEST_F(FilePanels, ChooseFileLocationOrCancel) {
  TempDir t;
  std::string expected = t.str() + "/R\xC3\xA9sum\xC3\xA9.txt";
  char proposed[] = "R\x8Esum\x8E.txt", dest[4096]; // Mac Roman
  Shown shown;
  ASSERT_EQ(0, withDialog(
                   choose(expected), [&] { return doChooseFileLocation(proposed, dest); }, &shown));
  EXPECT_EQ(QString::fromUtf8("R\xC3\xA9sum\xC3\xA9.txt"), shown.name);
  EXPECT_EQ(expected, dest);
  EXPECT_FALSE(fs::exists(expected)) << "the file is not created";

  char type[] = "text/plain", kept[64] = "untouched";
  Answer cancel = [](QFileDialog* d) { return d->reject(), true; };
  EXPECT_EQ(-1, withDialog(
                    cancel, [&] { return doChooseFile(type, kept, sizeof kept); }, &shown));
  EXPECT_EQ(QStringList{"text/plain"}, shown.mimeFilters);
  EXPECT_EQ(-1, withDialog(
                    cancel, [&] { return doChooseFileLocation(nullptr, kept); }, &shown));
  EXPECT_EQ("", shown.name) << "no proposed name";
  EXPECT_STREQ("untouched", kept);
}

TEST(FilePanelsWithoutDisplay, AnswerAsCancelled) {
  if (QCoreApplication::instance()) GTEST_SKIP() << "this process already has a Qt application";
  kivtest::ScopedEnv platform("QT_QPA_PLATFORM", std::nullopt);
  kivtest::ScopedEnv display("DISPLAY", std::nullopt);
  kivtest::ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  char type[] = "xml", dest[64] = "untouched";
  EXPECT_EQ(-1, doChooseFile(type, dest));
  EXPECT_EQ(-1, doChooseFolder(dest));
  EXPECT_EQ(-1, doChooseFileLocation(nullptr, dest, sizeof dest));
  EXPECT_STREQ("untouched", dest);
}
