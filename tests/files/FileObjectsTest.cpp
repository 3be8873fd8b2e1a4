#include "KivMisc.h"
#include "WinFSRef.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace fs = std::filesystem;
using kivtest::ScopedEnv;
using kivtest::TempDir;

TEST(FileObjects, ExistenceAndEmptyFiles) {
  TempDir t;
  fs::path file = t.write("f.txt", "content");
  std::string dir = t.str(), missing = t.str() + "/missing", fresh = t.str() + "/new";
  EXPECT_TRUE(Exist(dir.c_str()) && !IsFile(dir.c_str()));
  EXPECT_TRUE(Exist(file.c_str()) && IsFile(file.c_str()));
  EXPECT_FALSE(Exist(missing.c_str()) || IsFile(missing.c_str()));
  EXPECT_TRUE(CFSIsFolder(dir.c_str()) && !CFSIsFolder(file.c_str()));

  std::string f = file.string(), nowhere = missing + "/file";
  EXPECT_EQ(0, CreateEmptyFile(f.data()));
  EXPECT_EQ(0u, fs::file_size(file));
  EXPECT_EQ(0, CreateEmptyFile(fresh.data()));
  EXPECT_TRUE(IsFile(fresh.c_str()));
  EXPECT_EQ(-1, CreateEmptyFile(nowhere.data()));
}

TEST(FileObjects, NamesOfReferences) {
  TempDir t;
  fs::path file = t.write("sub/caf\xC3\xA9.txt", "abc");
  FSRef ref;
  std::string path = file.string();
  ASSERT_EQ(0, CFSPathMakeRef(path.data(), &ref));
  char name[300], small[4];
  ASSERT_EQ(0, CFSGetNameFromFSRef(&ref, name));
  EXPECT_STREQ("caf\xC3\xA9.txt", name);
  EXPECT_EQ(-1, CFSGetNameFromFSRef(&ref, small, 4));
  unsigned char pname[256];
  ASSERT_EQ(0, CFSGetNameFromFSRef(&ref, pname));
  EXPECT_EQ(std::string("\x08"
                        "caf\x8E.txt"),
            std::string(reinterpret_cast<char*>(pname), 9))
      << "the Pascal name is Mac Roman";
  FSCatalogInfo info;
  ASSERT_EQ(0, CFSGetCatInfo(t.str().c_str(), &info));
  EXPECT_TRUE(CFSIsFolder(&info));
}

TEST(FileObjects, MoveAndCopyIntoFolders) {
  TempDir t;
  fs::path file = t.write("x/file.txt", "one");
  t.write("x/tree/inner.txt", "two");
  t.write("dest/file.txt", "old");
  std::string dest = t.str() + "/dest";
  EXPECT_EQ(0, CFCopyObject(file.c_str(), dest.c_str()));
  EXPECT_EQ("one", kivtest::readFile(t.path() / "dest/file.txt")) << "replaced";
  EXPECT_EQ(0, CFSMoveObject((t.str() + "/x/tree").c_str(), (dest + "/").c_str()));
  EXPECT_EQ("two", kivtest::readFile(t.path() / "dest/tree/inner.txt"));
  EXPECT_EQ(0, CFSDeleteObject((dest + "/tree").c_str()));
  EXPECT_FALSE(fs::exists(t.path() / "dest/tree"));

  // Leaf names of 64 bytes or more, and destinations beyond the room, are refused untouched.
  fs::path longLeaf = t.write("x/" + std::string(64, 'L'), "long");
  EXPECT_EQ(-1, CFSMoveObject(longLeaf.c_str(), dest.c_str()));
  EXPECT_EQ(-1, CFCopyObject(longLeaf.c_str(), dest.c_str()));
  std::string far = t.str() + "/" + std::string(200, 'f') + "/" + std::string(200, 'g');
  fs::create_directories(far);
  EXPECT_EQ(-1, CFSMoveObject(file.c_str(), far.c_str()));
  EXPECT_EQ(-1, CFCopyObject((t.str() + "/x/").c_str(), dest.c_str())) << "empty leaf name";
  EXPECT_TRUE(fs::exists(longLeaf) && fs::exists(file) && fs::exists(dest + "/file.txt"));

  // By reference a move does not replace; a copy does.
  FSRef src, folder;
  std::string fp = file.string();
  ASSERT_EQ(0, CFSPathMakeRef(fp.data(), &src));
  ASSERT_EQ(0, CFSPathMakeRef(dest.data(), &folder));
  EXPECT_EQ(dupFNErr, CFSMoveObject(&src, &folder));
  EXPECT_EQ(0, CFCopyObject(&src, &folder));
}

TEST(FileObjects, StandardFoldersByCode) {
  TempDir t;
  fs::create_directories(t.path() / "cfg");
  fs::create_directories(t.path() / "home/Bureau");
  std::ofstream(t.path() / "cfg/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n";
  ScopedEnv home("HOME", (t.path() / "home").string());
  ScopedEnv cfg("XDG_CONFIG_HOME", (t.path() / "cfg").string());

  FSRef ref;
  char path[255] = "untouched";
  EXPECT_EQ(-1, GetUnifiedFolderType(0, &ref));
  EXPECT_EQ(-1, GetUnifiedFolderType(4, path));
  EXPECT_STREQ("untouched", path);
  ASSERT_EQ(0, GetUnifiedFolderType(1, path));
  EXPECT_EQ((t.path() / "cfg").string(), path);
  ASSERT_EQ(0, GetUnifiedFolderType(2, path));
  EXPECT_EQ((t.path() / "home/Bureau").string(), path);
  ASSERT_EQ(0, GetUnifiedFolderType(3, path));
  EXPECT_EQ(fs::canonical(fs::temp_directory_path()).string(), path);
  EXPECT_EQ(nsvErr, FSFindFolder(-1, kPreferencesFolderType, false, &ref));

  char name[] = "settings.xml";
  EXPECT_EQ(fnfErr, GetUnifiedFileRef(1, name, &ref)) << "only existing objects";
  t.write("cfg/settings.xml", "<a/>");
  ASSERT_EQ(0, GetUnifiedFileRef(1, name, &ref));
  ASSERT_EQ(0, CFSRefMakePath(&ref, path));
  EXPECT_EQ((t.path() / "cfg/settings.xml").string(), path);
  std::string huge(400, 'h');
  EXPECT_EQ(-1, GetUnifiedFileRef(1, huge.data(), &ref));

  // A missing folder is reported and never created, even when creation is asked for.
  ScopedEnv missing("XDG_CONFIG_HOME", (t.path() / "nowhere").string());
  EXPECT_EQ(fnfErr, FSFindFolder(kOnSystemDisk, kPreferencesFolderType, true, &ref));
  EXPECT_FALSE(fs::exists(t.path() / "nowhere"));
}
