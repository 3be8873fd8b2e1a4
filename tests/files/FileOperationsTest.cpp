#include "FilesTestSupport.h"
#include "KivMisc.h"
#include "KivMisc_Frameworks.h"
#include "WinFSRef.h"

#include <gtest/gtest.h>

#include <gio/gio.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sys/xattr.h>
#include <thread>

namespace fs = std::filesystem;
using filestest::StderrCapture;
using kivtest::ScopedEnv;
using kivtest::TempDir;

TEST(FileOperations, StandardFolders) {
  TempDir t;
  fs::create_directories(t.path() / "cfg");
  std::ofstream(t.path() / "cfg/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
  ScopedEnv home("HOME", (t.path() / "home").string());
  ScopedEnv cfg("XDG_CONFIG_HOME", (t.path() / "cfg").string());
  ScopedEnv data("XDG_DATA_HOME", (t.path() / "data").string());

  std::string docs = (t.path() / "home/Papers").string();
  short len = short(docs.size());
  std::vector<char> buf(docs.size() + 1, 'x');
  ASSERT_EQ(0, GetDocumentsPath(buf.data(), len)) << "a path of exactly maxLen is accepted";
  EXPECT_EQ(docs, buf.data());
  EXPECT_EQ(-1, GetDocumentsPath(buf.data(), short(len - 1)));
  EXPECT_EQ(0, buf[0]) << "refused paths leave the destination empty";

  char path[512];
  ASSERT_EQ(0, GetAppSupportPath(path, 511));
  EXPECT_EQ((t.path() / "data").string(), path);
  ASSERT_EQ(0, GetUserPrefsPath(path, 511));
  EXPECT_EQ((t.path() / "cfg").string(), path) << "the same folder as folder code 1";
  char code1[255];
  ASSERT_EQ(0, GetUnifiedFolderType(1, code1));
  EXPECT_STREQ(code1, path);
  EXPECT_EQ(-1, GetUserPrefsPath(path, short(std::strlen(code1) - 1)));

  // The limit counts UTF-8 bytes, which is what the destination must hold.
  ScopedEnv accented("XDG_DATA_HOME", "/d\xC3\xA9");
  EXPECT_EQ(-1, GetAppSupportPath(path, 3));
  EXPECT_EQ(0, GetAppSupportPath(path, 4));
  EXPECT_STREQ("/d\xC3\xA9", path);

  // Relative XDG values are ignored; without them the defaults below HOME apply.
  ScopedEnv relative("XDG_DATA_HOME", "relative/data");
  ASSERT_EQ(0, GetAppSupportPath(path, 511));
  EXPECT_EQ((t.path() / "home/.local/share").string(), path);
  ScopedEnv noCfg("XDG_CONFIG_HOME", std::nullopt);
  ASSERT_EQ(0, GetUserPrefsPath(path, 511));
  EXPECT_EQ((t.path() / "home/.config").string(), path);
}

TEST(FileOperations, DocumentsFallBackToHome) {
  TempDir t;
  fs::create_directories(t.path() / "cfg");
  ScopedEnv home("HOME", (t.path() / "home").string());
  ScopedEnv cfg("XDG_CONFIG_HOME", (t.path() / "cfg").string());
  // GLib keeps a documents folder it once found even when user-dirs.dirs no longer names one.
  g_reload_user_special_dirs_cache();
  if (g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS))
    GTEST_SKIP() << "GLib already knows a documents folder in this process";
  char path[512];
  ASSERT_EQ(0, GetDocumentsPath(path, 511));
  EXPECT_EQ((t.path() / "home/Documents").string(), path);
}

TEST(FileOperations, CopyAndMoveReplaceTheDestination) {
  TempDir t;
  t.write("src/a.txt", "A");
  t.write("src/sub/b.txt", "B");
  t.write("old/stale.txt", "stale");
  fs::create_symlink("a.txt", t.path() / "src/link");
  std::string src = t.str() + "/src", old = t.str() + "/old";

  StderrCapture quiet;
  ASSERT_EQ(0, doCopyObject(src.data(), old.data()));
  EXPECT_FALSE(fs::exists(t.path() / "old/stale.txt")) << "the old tree is removed first";
  EXPECT_EQ("B", kivtest::readFile(t.path() / "old/sub/b.txt"));
  EXPECT_TRUE(fs::is_symlink(t.path() / "old/link"));
  EXPECT_EQ("B", kivtest::readFile(t.path() / "src/sub/b.txt"));

  fs::path file = t.write("f.txt", "new");
  t.write("g.txt", "old");
  std::string f = file.string(), g = t.str() + "/g.txt";
  ASSERT_EQ(0, doCopyObject(f.data(), g.data()));
  EXPECT_EQ("new", kivtest::readFile(g));

  std::string moved = t.str() + "/moved";
  ASSERT_EQ(0, doMoveObject(src.c_str(), moved.c_str()));
  EXPECT_FALSE(fs::exists(src));
  EXPECT_EQ("A", kivtest::readFile(t.path() / "moved/a.txt"));
  EXPECT_EQ("", quiet.text());
}

TEST(FileOperations, NeverDestroysTheSource) {
  TempDir t;
  fs::path file = t.write("dir/f.txt", "keep");
  std::string f = file.string(), dir = t.str() + "/dir";
  StderrCapture log;
  // Onto its own path, also spelled differently.
  EXPECT_EQ(0, doCopyObject(f.data(), f.data()));
  std::string spelled = t.str() + "/dir/../dir/f.txt";
  EXPECT_EQ(0, doMoveObject(f.c_str(), spelled.c_str()));
  EXPECT_EQ("keep", kivtest::readFile(file));
  // A destination that contains the source would take the source with it.
  EXPECT_EQ(-1, doCopyObject(f.data(), dir.data()));
  EXPECT_EQ(-1, doMoveObject(f.c_str(), (dir + "/").c_str()));
  EXPECT_EQ("keep", kivtest::readFile(file));
  // Nor would the object a source link points to.
  fs::create_symlink(file, t.path() / "link");
  std::string link = t.str() + "/link";
  EXPECT_EQ(-1, doCopyObject(link.data(), f.data()));
  EXPECT_EQ("keep", kivtest::readFile(file));
  // A folder cannot be copied into itself.
  std::string inside = dir + "/copy";
  EXPECT_EQ(-1, doCopyObject(dir.data(), inside.data()));
  EXPECT_FALSE(fs::exists(inside));
  std::string text = log.text();
  EXPECT_EQ(8, filestest::countLines(text)) << text;
}

TEST(FileOperations, FailuresWriteTwoConsoleLines) {
  TempDir t;
  std::string missing = t.str() + "/missing", dest = t.str() + "/dest";
  t.write("dest", "existing");
  {
    StderrCapture log;
    EXPECT_EQ(-1, doMoveObject(missing.c_str(), dest.c_str()));
    std::string text = log.text();
    ASSERT_EQ(2, filestest::countLines(text)) << text;
    EXPECT_NE(std::string::npos, text.find("move failed: No such file or directory")) << text;
    EXPECT_NE(std::string::npos, text.find("source = \"" + missing + "\"")) << text;
    EXPECT_NE(std::string::npos, text.find("destination = \"" + dest + "\"")) << text;
    EXPECT_FALSE(fs::exists(dest)) << "the destination was removed before the move failed";
  }
  {
    StderrCapture log;
    EXPECT_EQ(-1, doRemoveObject(missing.c_str()));
    EXPECT_EQ(-1, doRemoveObject(nullptr));
    EXPECT_EQ(-1, doRemoveObject("/"));
    std::string text = log.text();
    EXPECT_EQ(6, filestest::countLines(text)) << text;
    EXPECT_NE(std::string::npos, text.find("path = \"" + missing + "\"")) << text;
  }
  if (geteuid() != 0) {
    t.write("locked/inner/x", "x");
    fs::permissions(t.path() / "locked/inner", fs::perms::owner_read | fs::perms::owner_exec);
    StderrCapture log;
    EXPECT_EQ(-1, doRemoveObject((t.str() + "/locked").c_str()));
    EXPECT_NE(std::string::npos, log.text().find("Permission denied"));
  }
  t.write("tree/x", "x");
  StderrCapture quiet;
  EXPECT_EQ(0, doRemoveObject((t.str() + "/tree").c_str()));
  EXPECT_FALSE(fs::exists(t.path() / "tree"));
  EXPECT_EQ("", quiet.text());
}

TEST(FileOperations, MoveAcrossFileSystems) {
  TempDir t;
  fs::path other = filestest::folderOnOtherFileSystem(t.path());
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

TEST(FileOperations, CountLabelAndOpen) {
  TempDir t;
  std::string dir = t.str() + "/d";
  fs::create_directory(dir);
  EXPECT_EQ(0, GetNumberOfFilesInFolder(dir.c_str()));
  t.write("d/one", "");
  t.write("d/.hidden", "");
  for (int i = 0; i < 10; ++i)
    t.write("d/sub/f" + std::to_string(i), "");
  EXPECT_EQ(3, GetNumberOfFilesInFolder(dir.c_str()));
  EXPECT_EQ(0, GetNumberOfFilesInFolder((dir + "/one").c_str()));
  EXPECT_EQ(0, GetNumberOfFilesInFolder((dir + "/none").c_str()));
  EXPECT_EQ(0, GetNumberOfFilesInFolder(nullptr));

  std::string file = dir + "/one";
  if (setxattr(file.c_str(), "user.kivtest", "1", 1, 0) != 0) {
    GTEST_SKIP() << "this file system keeps no user extended attributes";
  }
  SetFinderLabel(file.c_str(), 6);
  char value[16] = {0};
  ASSERT_EQ(1, getxattr(file.c_str(), "user.kiv.label", value, sizeof value));
  EXPECT_STREQ("6", value);
  SetFinderLabel(file.c_str(), 0);
  EXPECT_EQ(-1, getxattr(file.c_str(), "user.kiv.label", value, sizeof value));
  SetFinderLabel(nullptr, 3); // no effect, no crash
}

// Opens a file through a desktop entry registered as the default for plain text, whose
// command writes the opened path to a marker file.
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
  std::string mime = "[Default Applications]\n";
  for (const char* type : {"text/plain", "application/octet-stream"})
    mime += std::string(type) + "=kivtest-open.desktop\n";
  t.write("cfg/mimeapps.list", mime);
  fs::path doc = t.write("doc.txt", "hello");

  OpenFile(doc.c_str());
  for (int i = 0; i < 100 && !fs::exists(marker); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(doc.string() + "\n", kivtest::readFile(marker));
  OpenFile(nullptr); // nothing happens
}
