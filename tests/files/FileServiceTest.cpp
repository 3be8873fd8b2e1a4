#include "WinFSRef.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using kivtest::TempDir;

namespace {

OSStatus makeRef(const fs::path& p, FSRef* ref, Boolean* isDir = nullptr) {
  return FSPathMakeRef(reinterpret_cast<const UInt8*>(p.c_str()), ref, isDir);
}

// The reference to an object that must exist.
FSRef refTo(const fs::path& p) {
  FSRef ref{};
  EXPECT_EQ(noErr, makeRef(p, &ref)) << p;
  return ref;
}

std::string refPath(const FSRef& ref) {
  UInt8 buf[4096];
  if (FSRefMakePath(&ref, buf, sizeof buf) != noErr) return "<error>";
  return reinterpret_cast<char*>(buf);
}

} // namespace

TEST(FileService, MakeRefAndPath) {
  TempDir t;
  fs::path file = t.write("dir/file.txt", "hello");
  fs::create_directory_symlink(t.path() / "dir", t.path() / "link");
  FSRef ref;
  Boolean isDir = 7;
  ASSERT_EQ(noErr, makeRef(t.path() / "link/file.txt", &ref, &isDir));
  EXPECT_EQ(0, isDir);
  EXPECT_EQ(file.string(), refPath(ref)) << "links resolved to the canonical path";
  EXPECT_EQ(fnfErr, makeRef(t.path() / "missing", &ref));
  EXPECT_EQ(dirNFErr, makeRef(file / "below", &ref));

  // The capacity includes the terminator (what a short buffer holds: the exact-room rows).
  ref = refTo(file);
  UInt8 buf[4096];
  const UInt32 len = UInt32(file.string().size());
  EXPECT_EQ(noErr, FSRefMakePath(&ref, buf, len + 1));
  EXPECT_EQ(buffersTooSmall, FSRefMakePath(&ref, buf, len));

  // A reference whose object was replaced no longer applies (the second link keeps the old
  // inode in use, so the new file cannot reuse its number); garbage is refused.
  fs::create_hard_link(file, t.path() / "keep");
  fs::remove(file);
  t.write("dir/file.txt", "new");
  EXPECT_EQ(fnfErr, FSRefMakePath(&ref, buf, sizeof buf));
  std::memset(&ref, 'a', sizeof ref);
  EXPECT_EQ(paramErr, FSRefMakePath(&ref, buf, sizeof buf));
}

TEST(FileService, CatalogInfo) {
  TempDir t;
  fs::path file = t.write("folder/data.bin", std::string(1000, 'z'));
  t.write("folder/.hidden", "");
  fs::create_directory(t.path() / "folder/sub");
  ::chmod(file.c_str(), 0640);
  struct stat st;
  ASSERT_EQ(0, ::stat(file.c_str(), &st));

  FSRef ref = refTo(file), folder = refTo(t.path() / "folder"), parent;
  FSCatalogInfo info;
  HFSUniStr255 name;
  FSSpec spec;
  ASSERT_EQ(noErr, FSGetCatalogInfo(&ref, kFSCatInfoGettableInfo, &info, &name, &spec, &parent));
  EXPECT_EQ(0, info.nodeFlags & kFSNodeIsDirectoryMask);
  EXPECT_EQ(1000u, info.dataLogicalSize);
  EXPECT_EQ(0640, info.permissions.mode & 07777);
  const UTCDateTime& mod = info.contentModDate;
  EXPECT_EQ(UInt64(st.st_mtim.tv_sec) + 2082844800u,
            (UInt64(mod.highSeconds) << 32) | mod.lowSeconds)
      << "seconds since 1904";
  EXPECT_EQ(std::u16string(u"data.bin"), std::u16string(name.unicode, name.unicode + name.length));
  EXPECT_EQ("\010data.bin", std::string(reinterpret_cast<char*>(spec.name), 9));
  EXPECT_EQ((t.path() / "folder").string(), refPath(parent));

  ASSERT_EQ(noErr,
            FSGetCatalogInfo(&folder, kFSCatInfoGettableInfo, &info, nullptr, nullptr, nullptr));
  EXPECT_EQ(kFSNodeIsDirectoryMask, info.nodeFlags & kFSNodeIsDirectoryMask);
  EXPECT_EQ(3u, info.valence);

  // Only the items asked for are written.
  std::memset(&info, 0xAB, sizeof info);
  ASSERT_EQ(noErr, FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr));
  EXPECT_EQ(0, info.nodeFlags);
  EXPECT_EQ(0xABABABABu, info.valence);
}

TEST(FileService, SetCatalogInfo) {
  TempDir t;
  fs::path file = t.write("f.txt", "x");
  FSRef ref = refTo(file);
  FSCatalogInfo info;
  ASSERT_EQ(noErr,
            FSGetCatalogInfo(&ref, kFSCatInfoGettableInfo, &info, nullptr, nullptr, nullptr));
  const UInt64 when = 1000000000ull + 2082844800ull;
  info.contentModDate = UTCDateTime{UInt16(when >> 32), UInt32(when), 0x8000};
  info.accessDate = UTCDateTime{UInt16(when >> 32), UInt32(when + 60), 0};
  info.permissions.mode = 0604;
  ASSERT_EQ(noErr, FSSetCatalogInfo(&ref, kFSCatInfoSettableInfo, &info));
  struct stat st;
  ASSERT_EQ(0, ::stat(file.c_str(), &st));
  EXPECT_EQ(1000000000, st.st_mtim.tv_sec);
  EXPECT_EQ(500000000, st.st_mtim.tv_nsec);
  EXPECT_EQ(1000000060, st.st_atim.tv_sec);
  EXPECT_EQ(0604u, st.st_mode & 07777);

  // What Linux cannot set refuses the whole call, and nothing changes.
  info.permissions.mode = 0600;
  EXPECT_EQ(paramErr, FSSetCatalogInfo(&ref, kFSCatInfoPermissions | kFSCatInfoCreateDate, &info));
  ASSERT_EQ(0, ::stat(file.c_str(), &st));
  EXPECT_EQ(0604u, st.st_mode & 07777);
}

TEST(FileService, MoveObject) {
  TempDir t;
  fs::path file = t.write("a/file.txt", "payload");
  fs::create_directory(t.path() / "b");
  t.write("c/file.txt", "other");
  FSRef src = refTo(file), b = refTo(t.path() / "b"), c = refTo(t.path() / "c"), moved;
  EXPECT_EQ(dupFNErr, FSMoveObject(&src, &c, nullptr)) << "an existing name is not replaced";
  EXPECT_EQ("other", kivtest::readFile(t.path() / "c/file.txt"));
  EXPECT_EQ(dirNFErr, FSMoveObject(&b, &src, nullptr));
  EXPECT_NE(noErr, FSMoveObject(&b, &b, nullptr)) << "a folder cannot go inside itself";

  ASSERT_EQ(noErr, FSMoveObject(&src, &b, &moved));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ("payload", kivtest::readFile(t.path() / "b/file.txt"));
  EXPECT_EQ((t.path() / "b/file.txt").string(), refPath(moved));
}

// A reference recorded the object's birth time: a later object that reuses the inode number is
// another object.
TEST(FileService, ReusedInodeIsAnotherObject) {
  TempDir t;
  fs::path file = t.write("f", "first");
  FSRef ref = refTo(file);
  if (!ref.birthKnown) GTEST_SKIP() << "this file system records no birth times";
  FSRef forged = ref; // as if the inode number had been reused by a younger file
  forged.birthNanoseconds = (forged.birthNanoseconds + 1) % 1000000000u;
  UInt8 buf[4096];
  EXPECT_EQ(noErr, FSRefMakePath(&ref, buf, sizeof buf));
  EXPECT_EQ(fnfErr, FSRefMakePath(&forged, buf, sizeof buf));

  // The real thing, where the file system hands the number out again at once.
  struct stat st;
  ASSERT_EQ(0, ::stat(file.c_str(), &st));
  for (int attempt = 0; attempt < 20; ++attempt) {
    fs::remove(file);
    t.write("f", "second");
    struct stat now;
    ASSERT_EQ(0, ::stat(file.c_str(), &now));
    if (now.st_ino != st.st_ino) continue;
    EXPECT_EQ(fnfErr, FSRefMakePath(&ref, buf, sizeof buf));
    FSCatalogInfo info;
    EXPECT_EQ(fnfErr, FSGetCatalogInfo(&ref, kFSCatInfoNone, &info, nullptr, nullptr, nullptr));
    return;
  }
  std::cout << "[   NOTE   ] the inode number was not reused; the forged reference stands in\n";
}
