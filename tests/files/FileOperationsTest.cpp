#include "../log/StderrCapture.h"
#include "KivMisc.h"
#include "KivMisc_Frameworks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <gio/gio.h>

#include <chrono>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using kivtest::ScopedEnv;
using kivtest::StderrCapture;
using kivtest::TempDir;

namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A folder on a file system other than the one of `near` (created), or an empty path.
fs::path folderOnOtherFileSystem(const fs::path& near) {
  struct stat a, b;
  if (stat(near.c_str(), &a) != 0) return {};
  for (const char* base : {"/dev/shm", "/run/user", "/tmp", "/var/tmp"}) {
    if (stat(base, &b) != 0 || b.st_dev == a.st_dev || access(base, W_OK) != 0) continue;
    std::string tmpl = std::string(base) + "/kivfiles-XXXXXX";
    if (mkdtemp(tmpl.data())) return tmpl;
  }
  return {};
}

} // namespace

TEST(FileOperations, StandardFolders) {
  TempDir t;
  t.write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  ScopedEnv home("HOME", (t.path() / "home").string());
  ScopedEnv cfg("XDG_CONFIG_HOME", (t.path() / "cfg/").string());
  ScopedEnv data("XDG_DATA_HOME", (t.path() / "data").string());

  std::string docs = (t.path() / "home/Papers").string();
  std::vector<char> buf(docs.size() + 1, 'x');
  ASSERT_EQ(0, GetDocumentsPath(buf.data(), short(docs.size()))) << "exactly maxLen is accepted";
  EXPECT_EQ(docs, buf.data());
  EXPECT_EQ(-1, GetDocumentsPath(buf.data(), short(docs.size() - 1)));
  EXPECT_EQ(0, buf[0]) << "refused paths leave the destination empty";

  char path[512];
  ASSERT_EQ(0, GetAppSupportPath(path, 511));
  EXPECT_EQ((t.path() / "data").string(), path);
  ASSERT_EQ(0, GetUserPrefsPath(path, 511));
  char code1[255];
  ASSERT_EQ(0, GetUnifiedFolderType(1, code1));
  EXPECT_STREQ(code1, path) << "the same folder as folder code 1";
  EXPECT_EQ((t.path() / "cfg").string(), path);
  EXPECT_EQ(-1, GetUserPrefsPath(path, short(std::strlen(path) - 1)));

  // The limit counts UTF-8 bytes, which is what the destination must hold.
  ScopedEnv accented("XDG_DATA_HOME", "/d\xC3\xA9");
  EXPECT_EQ(-1, GetAppSupportPath(path, 3));
  EXPECT_EQ(0, GetAppSupportPath(path, 4));
  // Relative XDG values are ignored; without them the defaults below HOME apply.
  ScopedEnv relative("XDG_DATA_HOME", "relative/data");
  ScopedEnv noCfg("XDG_CONFIG_HOME", std::nullopt);
  ASSERT_EQ(0, GetAppSupportPath(path, 511));
  EXPECT_EQ((t.path() / "home/.local/share").string(), path);
  ASSERT_EQ(0, GetUserPrefsPath(path, 511));
  EXPECT_EQ((t.path() / "home/.config").string(), path);
}

TEST(FileOperations, CopyMoveAndRemoveTrees) {
  TempDir t;
  t.write("src/a.txt", "A");
  t.write("src/sub/b.txt", "B");
  t.write("old/stale.txt", "stale");
  fs::create_symlink("a.txt", t.path() / "src/link");
  std::string src = t.str() + "/src", old = t.str() + "/old", moved = t.str() + "/moved";

  StderrCapture quiet;
  ASSERT_EQ(0, doCopyObject(src.data(), old.data()));
  EXPECT_FALSE(fs::exists(t.path() / "old/stale.txt")) << "the old tree is removed first";
  EXPECT_EQ("B", kivtest::readFile(t.path() / "old/sub/b.txt"));
  EXPECT_TRUE(fs::is_symlink(t.path() / "old/link"));
  ASSERT_EQ(0, doMoveObject(src.c_str(), moved.c_str()));
  EXPECT_FALSE(fs::exists(src));
  EXPECT_EQ("A", kivtest::readFile(t.path() / "moved/a.txt"));
  ASSERT_EQ(0, doRemoveObject(moved.c_str()));
  EXPECT_FALSE(fs::exists(moved));
  EXPECT_EQ("", quiet.raw()) << "success writes nothing";
}

TEST(FileOperations, NeverDestroysTheSource) {
  TempDir t;
  fs::path file = t.write("dir/f.txt", "keep");
  fs::create_symlink(file, t.path() / "link");
  std::string f = file.string(), dir = t.str() + "/dir", link = t.str() + "/link";
  std::string spelled = t.str() + "/dir/../dir/f.txt", inside = dir + "/copy";
  StderrCapture log;
  EXPECT_EQ(0, doCopyObject(f.data(), f.data())) << "onto its own path: left alone";
  EXPECT_EQ(0, doMoveObject(f.c_str(), spelled.c_str()));
  // Removing these destinations would remove the source or what the source link points to.
  EXPECT_EQ(-1, doCopyObject(f.data(), dir.data()));
  EXPECT_EQ(-1, doMoveObject(f.c_str(), (dir + "/").c_str()));
  EXPECT_EQ(-1, doCopyObject(link.data(), f.data()));
  EXPECT_EQ(-1, doCopyObject(dir.data(), inside.data())) << "a folder into itself";
  EXPECT_EQ("keep", kivtest::readFile(file));
  EXPECT_FALSE(fs::exists(inside));
  EXPECT_EQ(8u, log.entries().size());
}

TEST(FileOperations, FailuresWriteTwoConsoleLines) {
  TempDir t;
  std::string missing = t.str() + "/missing", dest = t.str() + "/dest";
  t.write("dest", "existing");
  StderrCapture log;
  EXPECT_EQ(-1, doMoveObject(missing.c_str(), dest.c_str()));
  auto lines = log.entries();
  ASSERT_EQ(2u, lines.size());
  EXPECT_TRUE(contains(lines[0], "move failed: No such file or directory")) << lines[0];
  EXPECT_TRUE(contains(lines[1], "source = \"" + missing + "\"; destination = \"" + dest + "\""))
      << lines[1];
  EXPECT_FALSE(fs::exists(dest)) << "the destination was removed before the move failed";

  StderrCapture removal;
  EXPECT_EQ(-1, doRemoveObject(missing.c_str()));
  EXPECT_EQ(-1, doRemoveObject("/"));
  if (geteuid() != 0) {
    t.write("locked/inner/x", "x");
    fs::permissions(t.path() / "locked/inner", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(-1, doRemoveObject((t.str() + "/locked").c_str()));
  }
  lines = removal.entries();
  ASSERT_EQ(geteuid() != 0 ? 6u : 4u, lines.size());
  EXPECT_TRUE(contains(lines[1], "path = \"" + missing + "\"")) << lines[1];
  EXPECT_TRUE(geteuid() == 0 || contains(lines[4], "Permission denied")) << lines[4];
}

TEST(FileOperations, MoveAcrossFileSystems) {
  TempDir t;
  fs::path other = folderOnOtherFileSystem(t.path());
  if (other.empty()) GTEST_SKIP() << "no second file system is writable here";
  t.write("tree/sub/leaf", "leaf");
  std::string src = t.str() + "/tree", dst = (other / "tree").string();
  short result = doMoveObject(src.c_str(), dst.c_str());
  std::string leaf = kivtest::readFile(other / "tree/sub/leaf");
  fs::remove_all(other);
  EXPECT_EQ(0, result);
  EXPECT_EQ("leaf", leaf);
  EXPECT_FALSE(fs::exists(src));
}

TEST(FileOperations, CountAndLabel) {
  TempDir t;
  std::string dir = t.str() + "/d", file = dir + "/one";
  fs::create_directory(dir);
  EXPECT_EQ(0, GetNumberOfFilesInFolder(dir.c_str()));
  t.write("d/one", "");
  t.write("d/.hidden", "");
  for (int i = 0; i < 10; ++i)
    t.write("d/sub/f" + std::to_string(i), "");
  EXPECT_EQ(3, GetNumberOfFilesInFolder(dir.c_str()));
  EXPECT_EQ(0, GetNumberOfFilesInFolder(file.c_str()));
  EXPECT_EQ(0, GetNumberOfFilesInFolder((dir + "/none").c_str()));

  if (setxattr(file.c_str(), "user.kivtest", "1", 1, 0) != 0)
    GTEST_SKIP() << "this file system keeps no user extended attributes";
  SetFinderLabel(file.c_str(), 6);
  char value[16] = {0};
  ASSERT_EQ(1, getxattr(file.c_str(), "user.kiv.label", value, sizeof value));
  EXPECT_STREQ("6", value);
  SetFinderLabel(file.c_str(), 0);
  EXPECT_EQ(-1, getxattr(file.c_str(), "user.kiv.label", value, sizeof value));
}

// A desktop entry registered as the default for plain text writes the opened path to a marker.
TEST(FileOperations, OpenFileUsesTheDefaultApplication) {
  TempDir t;
  ScopedEnv data("XDG_DATA_HOME", (t.path() / "data").string());
  ScopedEnv cfg("XDG_CONFIG_HOME", (t.path() / "cfg").string());
  ScopedEnv dirs("XDG_DATA_DIRS", (t.path() / "none").string() + ":/usr/share");
  if (t.path() / "data" != fs::path(g_get_user_data_dir()))
    GTEST_SKIP() << "GLib already fixed its data folder in this process";
  fs::path marker = t.path() / "opened";
  t.write("data/applications/kivtest-open.desktop",
          "[Desktop Entry]\nType=Application\nName=KivTest\nExec=sh -c 'echo \"$1\" > " +
              marker.string() + "' sh %f\n");
  t.write("cfg/mimeapps.list", "[Default Applications]\ntext/plain=kivtest-open.desktop\n"
                               "application/octet-stream=kivtest-open.desktop\n");
  fs::path doc = t.write("doc.txt", "hello");
  OpenFile(doc.c_str());
  for (int i = 0; i < 100 && !fs::exists(marker); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(doc.string() + "\n", kivtest::readFile(marker));
}
