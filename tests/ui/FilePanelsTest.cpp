#include "FileDialogs.h"
#include "KivMisc_Frameworks.h"
#include "TestSupport.h"
#include "platform/frame/GuiApplication.h"

using namespace uitest;

namespace {
struct FilePanels : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(kiv::platform::ensureGuiApplication()); }
};
} // namespace

// Chosen paths, in buffers of exactly their room, are checked by the exact-room rows; here, what
// the dialogs show, and a cancel that leaves the buffer as it was.
TEST_F(FilePanels, DialogsShowTheTypeAndTheProposedNameAndMayBeCancelled) {
  char type[] = "xml", mime[] = "text/plain", proposed[] = "R\x8Esum\x8E.txt"; // Mac Roman
  char kept[64] = "untouched";
  Answer cancel = [](QFileDialog* d) { return d->reject(), true; };
  Shown shown;
  EXPECT_EQ(-1, withDialog(
                    cancel, [&] { return doChooseFile(type, kept, sizeof kept); }, &shown));
  EXPECT_TRUE(shown.nameFilters.contains("*.xml")) << shown.nameFilters.join(";").toStdString();
  EXPECT_EQ(-1, withDialog(
                    cancel, [&] { return doChooseFile(mime, kept, sizeof kept); }, &shown));
  EXPECT_EQ(QStringList{"text/plain"}, shown.mimeFilters);
  EXPECT_EQ(-1,
            withDialog(
                cancel, [&] { return doChooseFileLocation(proposed, kept, sizeof kept); }, &shown));
  EXPECT_EQ(QString::fromUtf8("R\xC3\xA9sum\xC3\xA9.txt"), shown.name);
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
