#include "FilesTestSupport.h"
#include "WinFSRef.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using kivtest::ScopedEnv;
using kivtest::TempDir;

namespace {

const UInt8* u8(const std::string& s) { return reinterpret_cast<const UInt8*>(s.c_str()); }

std::string refPath(const FSRef& ref) {
  UInt8 buf[4096];
  if (FSRefMakePath(&ref, buf, sizeof buf) != noErr) return "<error>";
  return reinterpret_cast<char*>(buf);
}

std::string name16(const HFSUniStr255& n) {
  std::string s;
  for (int i = 0; i < n.length; ++i)
    s += n.unicode[i] < 0x80 ? char(n.unicode[i]) : '?';
  return s;
}

UInt64 seconds1904(const UTCDateTime& d) { return (UInt64(d.highSeconds) << 32) | d.lowSeconds; }

} // namespace

TEST(FileService, MakeRefAndPath) {
  TempDir t;
  fs::path file = t.write("dir/file.txt", "hello");
  fs::create_directory_symlink(t.path() / "dir", t.path() / "link");
  FSRef ref;
  Boolean isDir = 7;
  ASSERT_EQ(noErr, FSPathMakeRef(u8((t.path() / "link/file.txt").string()), &ref, &isDir));
  EXPECT_EQ(0, isDir);
  EXPECT_EQ(file.string(), refPath(ref)) << "links resolved to the canonical path";
  ASSERT_EQ(noErr, FSPathMakeRef(u8((t.path() / "dir").string()), &ref, &isDir));
  EXPECT_EQ(1, isDir);

  EXPECT_EQ(fnfErr, FSPathMakeRef(u8((t.path() / "missing").string()), &ref, nullptr));
  EXPECT_EQ(dirNFErr, FSPathMakeRef(u8((file / "below").string()), &ref, nullptr));
  EXPECT_EQ(bdNamErr, FSPathMakeRef(u8(""), &ref, nullptr));
  EXPECT_EQ(bdNamErr, FSPathMakeRef(u8("/" + std::string(5000, 'a')), &ref, nullptr));
  EXPECT_NE(noErr, FSPathMakeRef(nullptr, &ref, nullptr));

  // The capacity includes the terminator; a short buffer is left empty, never overrun.
  ASSERT_EQ(noErr, FSPathMakeRef(u8(file.string()), &ref, nullptr));
  size_t len = file.string().size();
  std::vector<UInt8> buf(len + 8, 'x');
  EXPECT_EQ(noErr, FSRefMakePath(&ref, buf.data(), UInt32(len + 1)));
  EXPECT_EQ(file.string(), reinterpret_cast<char*>(buf.data()));
  std::fill(buf.begin(), buf.end(), 'x');
  EXPECT_EQ(buffersTooSmall, FSRefMakePath(&ref, buf.data(), UInt32(len)));
  EXPECT_EQ(0, buf[0]);
  EXPECT_EQ('x', buf[len]);

  // A copy is an independent value that keeps working.
  FSRef copy = ref;
  std::memset(&ref, 0, sizeof ref);
  EXPECT_EQ(file.string(), refPath(copy));
}

TEST(FileService, StaleReferences) {
  TempDir t;
  fs::path file = t.write("f", "1");
  FSRef ref;
  ASSERT_EQ(noErr, FSPathMakeRef(u8(file.string()), &ref, nullptr));
  // Replaced by another object under the same name: the reference no longer applies. (A second
  // link keeps the old inode in use, so the new file cannot get the same number.)
  fs::create_hard_link(file, t.path() / "keep");
  fs::remove(file);
  t.write("f", "2");
  UInt8 buf[512];
  EXPECT_EQ(fnfErr, FSRefMakePath(&ref, buf, sizeof buf));
  FSCatalogInfo info;
  EXPECT_EQ(fnfErr,
            FSGetCatalogInfo(&ref, kFSCatInfoGettableInfo, &info, nullptr, nullptr, nullptr));
  // Garbage references are refused, not followed.
  FSRef junk;
  std::memset(&junk, 'a', sizeof junk);
  EXPECT_EQ(paramErr, FSRefMakePath(&junk, buf, sizeof buf));
  EXPECT_EQ(paramErr, FSRefMakePath(nullptr, buf, sizeof buf));
}

TEST(FileService, CatalogInfo) {
  TempDir t;
  fs::path file = t.write("folder/data.bin", std::string(1000, 'z'));
  t.write("folder/.hidden", "");
  fs::create_directory(t.path() / "folder/sub");
  ::chmod(file.c_str(), 0640);
  struct stat st;
  ASSERT_EQ(0, ::stat(file.c_str(), &st));

  FSRef ref, folderRef, parent;
  ASSERT_EQ(noErr, FSPathMakeRef(u8(file.string()), &ref, nullptr));
  ASSERT_EQ(noErr, FSPathMakeRef(u8((t.path() / "folder").string()), &folderRef, nullptr));

  FSCatalogInfo info;
  std::memset(&info, 0xAB, sizeof info);
  HFSUniStr255 name;
  FSSpec spec;
  ASSERT_EQ(noErr, FSGetCatalogInfo(&ref, kFSCatInfoGettableInfo, &info, &name, &spec, &parent));
  EXPECT_EQ(0, info.nodeFlags & kFSNodeIsDirectoryMask);
  EXPECT_EQ(1000u, info.dataLogicalSize);
  EXPECT_EQ(0640, info.permissions.mode & 07777);
  EXPECT_EQ(st.st_uid, info.permissions.userID);
  EXPECT_EQ(UInt64(st.st_mtim.tv_sec) + 2082844800u, seconds1904(info.contentModDate));
  EXPECT_EQ(UInt64(st.st_atim.tv_sec) + 2082844800u, seconds1904(info.accessDate));
  EXPECT_EQ(UInt32(st.st_ino), info.nodeID);
  EXPECT_EQ("data.bin", name16(name));
  EXPECT_EQ(8, spec.name[0]);
  EXPECT_EQ(0, std::memcmp(spec.name + 1, "data.bin", 8));
  EXPECT_EQ((t.path() / "folder").string(), refPath(parent));

  ASSERT_EQ(noErr,
            FSGetCatalogInfo(&folderRef, kFSCatInfoGettableInfo, &info, nullptr, nullptr, nullptr));
  EXPECT_EQ(kFSNodeIsDirectoryMask, info.nodeFlags & kFSNodeIsDirectoryMask);
  EXPECT_EQ(3u, info.valence);

  // Only the items asked for are written.
  std::memset(&info, 0xAB, sizeof info);
  ASSERT_EQ(noErr, FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr));
  EXPECT_EQ(0, info.nodeFlags);
  EXPECT_EQ(0xABABu, info.valence & 0xFFFF);

  // The root's parent is the root.
  FSRef root;
  ASSERT_EQ(noErr, FSPathMakeRef(u8("/"), &root, nullptr));
  ASSERT_EQ(noErr, FSGetCatalogInfo(&root, kFSCatInfoNone, nullptr, nullptr, nullptr, &parent));
  EXPECT_EQ("/", refPath(parent));
}

TEST(FileService, SetCatalogInfo) {
  TempDir t;
  fs::path file = t.write("f.txt", "x");
  ::chmod(file.c_str(), 0600);
  FSRef ref;
  ASSERT_EQ(noErr, FSPathMakeRef(u8(file.string()), &ref, nullptr));
  FSCatalogInfo info;
  ASSERT_EQ(noErr,
            FSGetCatalogInfo(&ref, kFSCatInfoGettableInfo, &info, nullptr, nullptr, nullptr));

  const UInt64 when = 1000000000ull + 2082844800ull; // 2001-09-09 UTC
  info.contentModDate = UTCDateTime{UInt16(when >> 32), UInt32(when), 0x8000};
  info.accessDate = UTCDateTime{UInt16(when >> 32), UInt32(when + 60), 0};
  info.permissions.mode = 0644;
  ASSERT_EQ(noErr,
            FSSetCatalogInfo(
                &ref, kFSCatInfoContentMod | kFSCatInfoAccessDate | kFSCatInfoPermissions, &info));
  struct stat st;
  ASSERT_EQ(0, ::stat(file.c_str(), &st));
  EXPECT_EQ(1000000000, st.st_mtim.tv_sec);
  EXPECT_EQ(500000000, st.st_mtim.tv_nsec);
  EXPECT_EQ(1000000060, st.st_atim.tv_sec);
  EXPECT_EQ(0644u, st.st_mode & 07777);

  // What Linux cannot set refuses the whole call and changes nothing.
  info.permissions.mode = 0600;
  EXPECT_EQ(paramErr, FSSetCatalogInfo(&ref, kFSCatInfoPermissions | kFSCatInfoCreateDate, &info));
  EXPECT_EQ(paramErr, FSSetCatalogInfo(&ref, kFSCatInfoNodeFlags, &info));
  ASSERT_EQ(0, ::stat(file.c_str(), &st));
  EXPECT_EQ(0644u, st.st_mode & 07777);
  EXPECT_EQ(paramErr, FSSetCatalogInfo(&ref, kFSCatInfoPermissions, nullptr));
}

TEST(FileService, MoveObject) {
  TempDir t;
  fs::path file = t.write("a/file.txt", "payload");
  fs::create_directory(t.path() / "b");
  t.write("c/file.txt", "other");
  FSRef src, b, c, moved;
  ASSERT_EQ(noErr, FSPathMakeRef(u8(file.string()), &src, nullptr));
  ASSERT_EQ(noErr, FSPathMakeRef(u8((t.path() / "b").string()), &b, nullptr));
  ASSERT_EQ(noErr, FSPathMakeRef(u8((t.path() / "c").string()), &c, nullptr));

  EXPECT_EQ(dupFNErr, FSMoveObject(&src, &c, nullptr)) << "an existing name is not replaced";
  EXPECT_EQ("other", kivtest::readFile(t.path() / "c/file.txt"));
  EXPECT_EQ(dirNFErr, FSMoveObject(&b, &src, nullptr)) << "destination must be a folder";

  ASSERT_EQ(noErr, FSMoveObject(&src, &b, &moved));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ("payload", kivtest::readFile(t.path() / "b/file.txt"));
  EXPECT_EQ((t.path() / "b/file.txt").string(), refPath(moved));

  // A folder cannot go inside itself.
  FSRef a;
  ASSERT_EQ(noErr, FSPathMakeRef(u8((t.path() / "b").string()), &a, nullptr));
  EXPECT_NE(noErr, FSMoveObject(&a, &a, nullptr));
  EXPECT_TRUE(fs::exists(t.path() / "b/file.txt"));
}

TEST(FileService, MoveObjectAcrossFileSystems) {
  TempDir t;
  fs::path other = filestest::folderOnOtherFileSystem(t.path());
  if (other.empty()) GTEST_SKIP() << "no second file system is writable here";
  t.write("tree/sub/leaf.txt", "deep");
  t.write("tree/top.txt", "top");
  FSRef tree, dest, moved;
  ASSERT_EQ(noErr, FSPathMakeRef(u8((t.path() / "tree").string()), &tree, nullptr));
  ASSERT_EQ(noErr, FSPathMakeRef(u8(other.string()), &dest, nullptr));
  OSErr err = FSMoveObject(&tree, &dest, &moved);
  std::string deep = kivtest::readFile(other / "tree/sub/leaf.txt");
  bool sourceGone = !fs::exists(t.path() / "tree");
  fs::remove_all(other);
  EXPECT_EQ(noErr, err);
  EXPECT_EQ("deep", deep);
  EXPECT_TRUE(sourceGone);
}

TEST(FileService, FindFolder) {
  TempDir t;
  fs::create_directories(t.path() / "config");
  fs::create_directories(t.path() / "home/Bureau");
  std::ofstream(t.path() / "config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n";
  ScopedEnv home("HOME", (t.path() / "home").string());
  ScopedEnv config("XDG_CONFIG_HOME", (t.path() / "config").string());

  FSRef ref;
  ASSERT_EQ(noErr, FSFindFolder(kOnSystemDisk, kPreferencesFolderType, false, &ref));
  EXPECT_EQ((t.path() / "config").string(), refPath(ref));
  ASSERT_EQ(noErr, FSFindFolder(kOnSystemDisk, kDesktopFolderType, false, &ref));
  EXPECT_EQ((t.path() / "home/Bureau").string(), refPath(ref));
  ASSERT_EQ(noErr, FSFindFolder(kOnSystemDisk, kTemporaryFolderType, false, &ref));
  EXPECT_EQ(fs::canonical(fs::temp_directory_path()).string(), refPath(ref));

  EXPECT_EQ(nsvErr, FSFindFolder(-1, kPreferencesFolderType, false, &ref));
  EXPECT_EQ(paramErr, FSFindFolder(kOnSystemDisk, 0x61626364, false, &ref));

  // A missing folder is reported and never created, even when creation is asked for.
  ScopedEnv missing("XDG_CONFIG_HOME", (t.path() / "nowhere").string());
  EXPECT_EQ(fnfErr, FSFindFolder(kOnSystemDisk, kPreferencesFolderType, true, &ref));
  EXPECT_FALSE(fs::exists(t.path() / "nowhere"));
  // Without XDG_CONFIG_HOME the configuration home is ~/.config.
  ScopedEnv unset("XDG_CONFIG_HOME", std::nullopt);
  fs::create_directories(t.path() / "home/.config");
  ASSERT_EQ(noErr, FSFindFolder(kOnSystemDisk, kPreferencesFolderType, false, &ref));
  EXPECT_EQ((t.path() / "home/.config").string(), refPath(ref));
}
