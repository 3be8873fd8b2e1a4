#include "FileDialogs.h"
#include "KivMisc_Frameworks.h"
#include "TestSupport.h"
#include "platform/frame/GuiApplication.h"

namespace fs = std::filesystem;
using kivtest::TempDir;
using namespace uitest;

namespace {
struct FilePanels : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(kiv::platform::ensureGuiApplication()); }
};
} // namespace

// Results in buffers of exactly their room are checked by the exact-room rows.
TEST_F(FilePanels, ChooseFileFolderAndLocationOrCancel) {
  TempDir t;
  fs::path xml = t.write("doc.xml", "<a/>");
  std::string folder = t.str() + "/chosen folder", location = t.str() + "/R\xC3\xA9sum\xC3\xA9.txt";
  fs::create_directory(folder);
  char type[] = "xml", proposed[] = "R\x8Esum\x8E.txt", dest[4096]; // Mac Roman
  Shown shown;
  ASSERT_EQ(0, withDialog(
                   choose(xml), [&] { return doChooseFile(type, dest); }, &shown));
  EXPECT_EQ(xml.string(), dest);
  EXPECT_TRUE(shown.nameFilters.contains("*.xml")) << shown.nameFilters.join(";").toStdString();
  ASSERT_EQ(0, withDialog(choose(folder), [&] { return doChooseFolder(dest); }));
  EXPECT_EQ(folder, dest);
  ASSERT_EQ(0, withDialog(
                   choose(location), [&] { return doChooseFileLocation(proposed, dest); }, &shown));
  EXPECT_EQ(QString::fromUtf8("R\xC3\xA9sum\xC3\xA9.txt"), shown.name);
  EXPECT_EQ(location, dest);
  EXPECT_FALSE(fs::exists(location)) << "the file is not created";

  char mime[] = "text/plain", kept[64] = "untouched";
  Answer cancel = [](QFileDialog* d) { return d->reject(), true; };
  EXPECT_EQ(-1, withDialog(
                    cancel, [&] { return doChooseFile(mime, kept, sizeof kept); }, &shown));
  EXPECT_EQ(QStringList{"text/plain"}, shown.mimeFilters);
  EXPECT_EQ(-1, withDialog(
                    cancel, [&] { return doChooseFileLocation(nullptr, kept); }, &shown));
  EXPECT_EQ("", shown.name) << "no proposed name";
  EXPECT_STREQ("untouched", kept);
}

TEST(FilePanelsWithoutDisplay, AnswerAsCancelled) {
  if (QCoreApplication::instance()) GTEST_SKIP() << "this process already has a Qt application";
  kivtest::ScopedEnv platform("QT_QPA_PLATFORM", std::nullopt), display("DISPLAY", std::nullopt),
      wayland("WAYLAND_DISPLAY", std::nullopt);
  char type[] = "xml", dest[64] = "untouched";
  EXPECT_EQ(-1, doChooseFile(type, dest));
  EXPECT_EQ(-1, doChooseFolder(dest));
  EXPECT_EQ(-1, doChooseFileLocation(nullptr, dest, sizeof dest));
  EXPECT_STREQ("untouched", dest);
}
