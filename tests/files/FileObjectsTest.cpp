#include "KivMisc.h"
#include "WinFSRef.h"

#include "ChildProcess.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;
using kivtest::TempDir;

TEST(FileObjects, ExistenceAndEmptyFiles) {
  TempDir t;
  fs::path file = t.write("f.txt", "content");
  std::string dir = t.str(), f = file.string(), missing = dir + "/missing", fresh = dir + "/new";
  EXPECT_TRUE(Exist(dir.c_str()) && !IsFile(dir.c_str()));
  EXPECT_TRUE(Exist(f.c_str()) && IsFile(f.c_str()));
  EXPECT_FALSE(Exist(missing.c_str()) || IsFile(missing.c_str()));
  EXPECT_TRUE(CFSIsFolder(dir.c_str()) && !CFSIsFolder(f.c_str()));
  FSCatalogInfo info;
  ASSERT_EQ(0, CFSGetCatInfo(dir.c_str(), &info));
  EXPECT_TRUE(CFSIsFolder(&info));

  std::string nowhere = missing + "/file";
  EXPECT_EQ(0, CreateEmptyFile(f.data()));
  EXPECT_EQ(0u, fs::file_size(file));
  EXPECT_EQ(0, CreateEmptyFile(fresh.data()));
  EXPECT_TRUE(IsFile(fresh.c_str()));
  EXPECT_EQ(-1, CreateEmptyFile(nowhere.data()));

  // What is not a regular file is refused at once, never opened: a FIFO would block for ever.
  std::string fifo = dir + "/fifo";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  auto outcome = kivtest::runInChild({.timeoutSeconds = 10}, [&] {
    kivtest::Findings found;
    for (std::string p : {fifo, dir, std::string("/dev/null")})
      found.expect(CreateEmptyFile(p.data()) == -1, p + " was taken for a file");
    return found.text;
  });
  EXPECT_EQ("", outcome.failures);
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
