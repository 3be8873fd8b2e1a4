// The choosers run real Qt file dialogs on the offscreen platform; a timer finds the modal
// dialog once it is shown and answers it the way a user would.
#include "FilesTestSupport.h"
#include "KivMisc_Frameworks.h"
#include "platform/frame/GuiApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <cstring>
#include <functional>

namespace fs = std::filesystem;
using kivtest::ScopedEnv;
using kivtest::TempDir;

namespace {

// Waits for the modal file dialog and hands it to `answer` on every tick until that returns
// true (the dialog lists its folder asynchronously, so a selection may need another try). A
// dialog still open five seconds later is cancelled, so that a failing test cannot hang.
class DialogDriver {
public:
  explicit DialogDriver(std::function<bool(QFileDialog*)> answer) : answer_(std::move(answer)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      if (!seen_) QTimer::singleShot(5000, dialog, &QFileDialog::reject);
      seen_ = true;
      if (answer_(dialog)) timer_.stop();
    });
    timer_.start(20);
  }
  bool seen() const { return seen_; }

private:
  std::function<bool(QFileDialog*)> answer_;
  QTimer timer_;
  bool seen_ = false;
};

// Selects `path` in its folder and accepts once the dialog reports exactly that selection.
bool choose(QFileDialog* d, const std::string& path) {
  QString wanted = QString::fromStdString(path);
  d->setDirectory(QFileInfo(wanted).absolutePath());
  d->selectFile(wanted);
  // selectFile leaves the name field alone while it has the keyboard focus; type it then.
  auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
  if (edit && edit->text().isEmpty()) edit->setText(QFileInfo(wanted).fileName());
  if (d->selectedFiles() != QStringList{wanted}) return false;
  static_cast<QDialog*>(d)->accept(); // QFileDialog hides it as protected
  return true;
}

class FilePanels : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(kiv::platform::ensureGuiApplication()); }
};

} // namespace

TEST_F(FilePanels, ChooseFileByExtension) {
  TempDir t;
  fs::path xml = t.write("doc.xml", "<a/>");
  t.write("other.txt", "");
  QStringList filters;
  DialogDriver driver([&](QFileDialog* d) {
    filters = d->nameFilters();
    return choose(d, xml.string());
  });
  char type[] = "xml";
  char dest[4096];
  ASSERT_EQ(0, doChooseFile(type, dest));
  EXPECT_TRUE(driver.seen());
  EXPECT_EQ(xml.string(), dest);
  EXPECT_TRUE(filters.contains("*.xml")) << filters.join(";").toStdString();
}

TEST_F(FilePanels, ChooseFileByMimeTypeAndCancel) {
  QStringList mimes;
  DialogDriver driver([&](QFileDialog* d) {
    mimes = d->mimeTypeFilters();
    d->reject();
    return true;
  });
  char type[] = "text/plain";
  char dest[64] = "untouched";
  EXPECT_EQ(-1, doChooseFile(type, dest, sizeof dest));
  EXPECT_TRUE(driver.seen());
  EXPECT_STREQ("untouched", dest);
  EXPECT_EQ(QStringList{"text/plain"}, mimes);
}

TEST_F(FilePanels, ChooseFolderAndBoundedDestination) {
  TempDir t;
  fs::create_directories(t.path() / "chosen folder");
  std::string folder = (t.path() / "chosen folder").string();
  auto pick = [&](QFileDialog* d) { return choose(d, folder); };
  {
    DialogDriver driver(pick);
    char dest[4096];
    ASSERT_EQ(0, doChooseFolder(dest));
    EXPECT_EQ(folder, dest);
  }
  {
    // One byte short of the path and its terminator: refused, destination untouched.
    DialogDriver driver(pick);
    std::vector<char> dest(folder.size() + 1, 'x');
    dest[0] = 0;
    EXPECT_EQ(-1, doChooseFolder(dest.data(), int(folder.size()))) << dest.data();
    EXPECT_TRUE(driver.seen());
    EXPECT_EQ(0, dest[0]);
    EXPECT_EQ('x', dest[folder.size()]);
  }
}

TEST_F(FilePanels, ChooseFileLocation) {
  TempDir t;
  QString nameField;
  std::string expected = t.str() + "/R\xC3\xA9sum\xC3\xA9.txt";
  DialogDriver driver([&](QFileDialog* d) {
    auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
    if (nameField.isEmpty() && edit) nameField = edit->text();
    d->setDirectory(t.path().c_str());
    if (d->selectedFiles() != QStringList{QString::fromStdString(expected)}) return false;
    static_cast<QDialog*>(d)->accept(); // QFileDialog hides it as protected
    return true;
  });
  char proposed[] = "R\x8Esum\x8E.txt"; // Mac Roman
  char dest[4096];
  ASSERT_EQ(0, doChooseFileLocation(proposed, dest));
  EXPECT_EQ(QString::fromUtf8("R\xC3\xA9sum\xC3\xA9.txt"), nameField);
  EXPECT_EQ(expected, dest);
  EXPECT_FALSE(fs::exists(expected)) << "the file is not created";

  DialogDriver cancel([&](QFileDialog* d) {
    if (auto* edit = d->findChild<QLineEdit*>("fileNameEdit")) nameField = edit->text();
    d->reject();
    return true;
  });
  std::strcpy(dest, "untouched");
  EXPECT_EQ(-1, doChooseFileLocation(nullptr, dest));
  EXPECT_TRUE(nameField.isEmpty());
  EXPECT_STREQ("untouched", dest);
}

TEST(FilePanelsWithoutDisplay, AnswerAsCancelled) {
  if (QCoreApplication::instance())
    GTEST_SKIP() << "an application object already exists in this process";
  ScopedEnv platform("QT_QPA_PLATFORM", std::nullopt);
  ScopedEnv display("DISPLAY", std::nullopt);
  ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  char type[] = "xml";
  char dest[64] = "untouched";
  EXPECT_EQ(-1, doChooseFile(type, dest));
  EXPECT_EQ(-1, doChooseFolder(dest));
  EXPECT_EQ(-1, doChooseFileLocation(nullptr, dest, sizeof dest));
  EXPECT_STREQ("untouched", dest);
  EXPECT_EQ(nullptr, QCoreApplication::instance());
}
