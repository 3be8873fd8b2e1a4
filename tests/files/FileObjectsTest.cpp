#include "FilesTestSupport.h"
#include "KivMisc.h"
#include "WinFSRef.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace fs = std::filesystem;
using kivtest::ScopedEnv;
using kivtest::TempDir;

TEST(FileObjects, ExistenceAndEmptyFiles) {
  TempDir t;
  fs::path file = t.write("f.txt", "content");
  std::string dir = t.str(), missing = t.str() + "/missing";
  EXPECT_TRUE(Exist(dir.c_str()));
  EXPECT_FALSE(IsFile(dir.c_str()));
  EXPECT_TRUE(Exist(file.c_str()));
  EXPECT_TRUE(IsFile(file.c_str()));
  EXPECT_FALSE(Exist(missing.c_str()));
  EXPECT_FALSE(IsFile(missing.c_str()));
  EXPECT_FALSE(Exist(nullptr));

  std::string f = file.string();
  EXPECT_EQ(0, CreateEmptyFile(f.data()));
  EXPECT_EQ(0u, fs::file_size(file));
  std::string fresh = t.str() + "/new.txt", nowhere = t.str() + "/no/such/file";
  EXPECT_EQ(0, CreateEmptyFile(fresh.data()));
  EXPECT_TRUE(IsFile(fresh.c_str()));
  EXPECT_EQ(-1, CreateEmptyFile(nowhere.data()));
  EXPECT_EQ(-1, CreateEmptyFile(nullptr));
}

TEST(FileObjects, ReferencesAndCatalogInfo) {
  TempDir t;
  fs::path file = t.write("sub/caf\xC3\xA9.txt", "abc");
  std::string sub = (t.path() / "sub").string();
  EXPECT_TRUE(CFSIsFolder(sub.c_str()));
  EXPECT_FALSE(CFSIsFolder(file.c_str()));
  EXPECT_FALSE(CFSIsFolder((sub + "/missing").c_str()));

  FSCatalogInfo info;
  ASSERT_EQ(0, CFSGetCatInfo(sub.c_str(), &info));
  EXPECT_TRUE(CFSIsFolder(&info));
  EXPECT_EQ(1u, info.valence);
  ASSERT_EQ(0, CFSGetCatInfo(file.c_str(), &info));
  EXPECT_FALSE(CFSIsFolder(&info));
  EXPECT_EQ(3u, info.dataLogicalSize);
  EXPECT_EQ(fnfErr, CFSGetCatInfo((sub + "/missing").c_str(), &info));

  info.permissions.mode = 0604;
  EXPECT_EQ(0, CFSSetCatInfo(file.c_str(), kFSCatInfoPermissions, &info));
  EXPECT_EQ(fs::perms(0604), fs::status(file).permissions());

  FSRef ref, parent;
  std::string path = file.string();
  ASSERT_EQ(0, CFSPathMakeRef(path.data(), &ref));
  char name[300];
  ASSERT_EQ(0, CFSGetNameFromFSRef(&ref, name));
  EXPECT_STREQ("caf\xC3\xA9.txt", name);
  unsigned char pname[256];
  ASSERT_EQ(0, CFSGetNameFromFSRef(&ref, pname));
  EXPECT_EQ(std::string("caf\x8E.txt"), std::string(reinterpret_cast<char*>(pname + 1), pname[0]))
      << "the Pascal name is Mac Roman";
  char small[4];
  EXPECT_EQ(-1, CFSGetNameFromFSRef(&ref, small, 4));
  EXPECT_STREQ("", small);

  FSSpec spec;
  ASSERT_EQ(0, CFSGetFSS(&ref, &spec));
  EXPECT_EQ(9, spec.name[0]);
  ASSERT_EQ(0, CFSGetParent(&ref, &parent));
  char ppath[255];
  ASSERT_EQ(0, CFSRefMakePath(&parent, ppath));
  EXPECT_EQ(sub, ppath);

  // CFSRefMakePath has room for 254 bytes and the terminator.
  std::string deep = t.str() + "/";
  deep += std::string(254 - deep.size(), 'd');
  fs::create_directory(deep);
  ASSERT_EQ(0, CFSPathMakeRef(deep.data(), &ref));
  ASSERT_EQ(0, CFSRefMakePath(&ref, ppath));
  EXPECT_EQ(deep, ppath);
  fs::rename(deep, deep + "e");
  std::string deeper = deep + "e";
  ASSERT_EQ(0, CFSPathMakeRef(deeper.data(), &ref));
  EXPECT_EQ(buffersTooSmall, CFSRefMakePath(&ref, ppath));
}

TEST(FileObjects, MoveCopyDeleteIntoFolders) {
  TempDir t;
  fs::path file = t.write("x/file.txt", "one");
  t.write("x/tree/inner.txt", "two");
  t.write("dest/file.txt", "old");
  std::string dest = t.str() + "/dest";

  EXPECT_EQ(0, CFCopyObject(file.c_str(), dest.c_str()));
  EXPECT_EQ("one", kivtest::readFile(t.path() / "dest/file.txt")) << "replaced";
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(0, CFSMoveObject((t.str() + "/x/tree").c_str(), (dest + "/").c_str()));
  EXPECT_EQ("two", kivtest::readFile(t.path() / "dest/tree/inner.txt"));
  EXPECT_FALSE(fs::exists(t.path() / "x/tree"));
  EXPECT_EQ(0, CFSDeleteObject((dest + "/tree").c_str()));
  EXPECT_FALSE(fs::exists(t.path() / "dest/tree"));

  // Leaf names of 64 bytes or more, and destinations beyond the room, are refused untouched.
  fs::path longLeaf = t.write("x/" + std::string(64, 'L'), "long");
  EXPECT_EQ(-1, CFSMoveObject(longLeaf.c_str(), dest.c_str()));
  EXPECT_EQ(-1, CFCopyObject(longLeaf.c_str(), dest.c_str()));
  EXPECT_TRUE(fs::exists(longLeaf));
  std::string farFolder = t.str() + "/" + std::string(200, 'f') + "/" + std::string(200, 'g');
  fs::create_directories(farFolder);
  EXPECT_EQ(-1, CFSMoveObject(file.c_str(), farFolder.c_str()));
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(-1, CFSMoveObject(nullptr, dest.c_str()));

  // By reference: no replacing.
  FSRef src, folder;
  std::string fp = file.string();
  ASSERT_EQ(0, CFSPathMakeRef(fp.data(), &src));
  ASSERT_EQ(0, CFSPathMakeRef(dest.data(), &folder));
  EXPECT_EQ(dupFNErr, CFSMoveObject(&src, &folder));
  EXPECT_EQ(0, CFCopyObject(&src, &folder));
  fs::remove(t.path() / "dest/file.txt");
  EXPECT_EQ(0, CFSMoveObject(&src, &folder));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ("one", kivtest::readFile(t.path() / "dest/file.txt"));
}

TEST(FileObjects, StandardFoldersByCode) {
  TempDir t;
  fs::create_directories(t.path() / "cfg");
  fs::create_directories(t.path() / "home/Desktop");
  ScopedEnv home("HOME", (t.path() / "home").string());
  ScopedEnv cfg("XDG_CONFIG_HOME", (t.path() / "cfg").string());

  FSRef ref;
  char path[255];
  std::strcpy(path, "untouched");
  EXPECT_EQ(-1, GetUnifiedFolderType(0, &ref));
  EXPECT_EQ(-1, GetUnifiedFolderType(4, path));
  EXPECT_STREQ("untouched", path);
  ASSERT_EQ(0, GetUnifiedFolderType(1, path));
  EXPECT_EQ((t.path() / "cfg").string(), path);
  ASSERT_EQ(0, GetUnifiedFolderType(2, path));
  EXPECT_EQ((t.path() / "home/Desktop").string(), path);
  ASSERT_EQ(0, GetUnifiedFolderType(3, &ref));

  char name[] = "settings.xml";
  EXPECT_EQ(fnfErr, GetUnifiedFileRef(1, name, &ref)) << "only existing objects";
  t.write("cfg/settings.xml", "<a/>");
  ASSERT_EQ(0, GetUnifiedFileRef(1, name, &ref));
  ASSERT_EQ(0, CFSRefMakePath(&ref, path));
  EXPECT_EQ((t.path() / "cfg/settings.xml").string(), path);
  EXPECT_EQ(-1, GetUnifiedFileRef(5, name, &ref));
  std::string huge(400, 'h');
  EXPECT_EQ(-1, GetUnifiedFileRef(1, huge.data(), &ref));

  fs::remove_all(t.path() / "home/Desktop");
  EXPECT_NE(0, GetUnifiedFolderType(2, &ref)) << "a missing folder is not created";
  EXPECT_FALSE(fs::exists(t.path() / "home/Desktop"));
}
