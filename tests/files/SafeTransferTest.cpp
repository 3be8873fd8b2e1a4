// Copy, move and remove judged by identity, replacing through staged replacement, keeping what
// describes the objects, and never losing data on a failure or a retry.
#include "ChildProcess.h"
#include "ConsoleCapture.h"
#include "KivMisc.h"
#include "KivMisc_Frameworks.h"
#include "TestSupport.h"
#include "WinFSRef.h"
#include "platform/files/Identity.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using kivtest::ChildOptions;
using kivtest::ConsoleCapture;
using kivtest::Findings;
using kivtest::TempDir;
using testing::HasSubstr;

namespace {

char* m(const std::string& s) { return const_cast<char*>(s.c_str()); }

short copyObject(const std::string& from, const std::string& to) {
  std::string a = from, b = to;
  return doCopyObject(a.data(), b.data());
}

short transfer(bool move, const std::string& from, const std::string& to) {
  return move ? doMoveObject(from.c_str(), to.c_str()) : copyObject(from, to);
}

std::string userAttributes(const std::string& path) {
  char names[1024];
  std::set<std::string> found; // in name order
  ssize_t n = llistxattr(path.c_str(), names, sizeof names);
  for (ssize_t at = 0; at < n; at += ssize_t(std::strlen(names + at)) + 1) {
    char value[256];
    ssize_t len = lgetxattr(path.c_str(), names + at, value, sizeof value);
    if (std::strncmp(names + at, "user.", 5) == 0)
      found.insert(names + at + ("=" + std::string(value, size_t(std::max<ssize_t>(len, 0)))));
  }
  std::string out;
  for (auto& f : found)
    out += f + ",";
  return out;
}

// One line per entry of the tree, in name order, of what a copy must keep: type, permissions,
// owner, modification time, user attributes, the link text, and the names sharing the inode of
// a file linked more than once. `identity` adds inode numbers (an untouched tree); `atimes` the
// access time of files and FIFOs, which nothing here reads. Nothing is read that would change an
// access time.
std::string describe(const fs::path& root, bool identity, bool atimes = false) {
  std::vector<fs::path> paths = {root};
  std::error_code ec; // a root that is no folder has no entries below it
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
    paths.push_back(it->path());
  if (ec && fs::is_directory(root)) return "unreadable\n";
  std::map<std::string, struct stat> entries; // by name below the root
  std::map<ino_t, std::string> sharing;       // the names of each inode
  for (const fs::path& p : paths)
    if (lstat(p.c_str(), &entries[p.lexically_relative(root).string()]) != 0) return "missing\n";
  for (auto& [name, st] : entries)
    sharing[st.st_ino] += " =" + name;
  std::string out;
  for (auto& [name, st] : entries) {
    const std::string path = name == "." ? root.string() : (root / name).string();
    std::ostringstream line;
    line << name << " " << std::oct << st.st_mode << std::dec << " " << st.st_uid << ":"
         << st.st_gid << " m" << st.st_mtim.tv_sec << "." << st.st_mtim.tv_nsec;
    if (atimes && (S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode)))
      line << " a" << st.st_atim.tv_sec << "." << st.st_atim.tv_nsec;
    if (identity) line << " i" << st.st_ino;
    if (S_ISREG(st.st_mode) && st.st_nlink > 1) line << sharing[st.st_ino];
    line << " " << userAttributes(path);
    if (S_ISLNK(st.st_mode)) line << " -> " << fs::read_symlink(path).string();
    if (S_ISREG(st.st_mode)) line << " size " << st.st_size;
    out += line.str() + "\n";
  }
  return out;
}

// Entries left under hidden names (the staged objects) in a folder.
long hiddenEntries(const fs::path& folder) {
  const auto names = kivtest::entriesOf(folder);
  return std::count_if(names.begin(), names.end(),
                       [](const std::string& n) { return n[0] == '.'; });
}

// other/{f, D/x, dir/}, t/L a link to other/dir (so t/L/.. is other), and t/toOther a link to
// other/f.
void buildLinkedTree(const TempDir& t) {
  t.write("other/dir/.keep", "");
  t.write("other/f", "data");
  t.write("other/D/x", "x");
  fs::create_directory(t.path() / "t");
  fs::create_symlink(t.path() / "other/dir", t.path() / "t/L");
  fs::create_symlink("../other/f", t.path() / "t/toOther");
}

// A fresh folder on a file system other than the one of `here`, removed at the end.
struct OtherFileSystem {
  fs::path path;
  explicit OtherFileSystem(const fs::path& here) {
    struct stat a, b;
    std::string base = "/dev/shm/kivtest-XXXXXX";
    if (stat(here.c_str(), &a) == 0 && stat("/dev/shm", &b) == 0 && a.st_dev != b.st_dev &&
        mkdtemp(base.data()))
      path = base;
  }
  ~OtherFileSystem() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
  }
};

} // namespace

// The same object under another spelling is left alone (0, nothing logged); a folder into its
// own contents, a destination holding the source, or a link onto what it leads to is refused
// (-1, two console lines) before anything changes.
TEST(SafeTransfer, OverlappingSourceAndDestinationChangeNothing) {
  TempDir t;
  buildLinkedTree(t);
  fs::create_hard_link(t.path() / "other/f", t.path() / "other/h");
  fs::create_symlink("f", t.path() / "other/toF");
  std::string d = t.str(), before = describe(t.path(), true);
  const struct {
    const char* what;
    bool move;
    std::string from, to;
    short result;
  } rows[] = {
      {"file moved onto itself through a link's ..", true, d + "/t/L/../f", d + "/other/f", 0},
      {"file copied onto itself the other way", false, d + "/other/f", d + "/t/L/../f", 0},
      {"folder moved onto itself", true, d + "/t/L/../D", d + "/other/D", 0},
      {"folder copied onto itself", false, d + "/other/D/", d + "/t/L/../D", 0},
      {"file copied onto another link to it", false, d + "/other/f", d + "/other/h", 0},
      {"file moved onto another link to it", true, d + "/other/h", d + "/other/f", 0},
      {"folder copied into its own contents", false, d + "/other/D", d + "/t/L/../D/sub", -1},
      {"folder moved into its own contents", true, d + "/other/D", d + "/t/L/../D/sub", -1},
      {"destination holds the source", false, d + "/t/L/../D/x", d + "/other/D", -1},
      {"destination holds the source, moved", true, d + "/other/D/x", d + "/t/L/..", -1},
      {"destination holds the source, with a slash", true, d + "/other/f", d + "/other/", -1},
      {"link copied onto what it leads to", false, d + "/other/toF", d + "/t/L/../f", -1},
      {"link moved onto the folder holding its target", true, d + "/t/toOther", d + "/other", -1},
  };
  for (const auto& row : rows) {
    ConsoleCapture log;
    EXPECT_EQ(row.result, transfer(row.move, row.from, row.to)) << row.what;
    EXPECT_EQ(before, describe(t.path(), true)) << row.what;
    if (row.result == 0)
      EXPECT_EQ("", log.raw()) << row.what;
    else
      EXPECT_THAT(log.entries(), testing::ElementsAre(HasSubstr("Invalid argument"), testing::_))
          << row.what;
  }
}

// Two paths of one bind mount reach the same device and inode.
TEST(SafeTransfer, BindMountSpellings) {
  TempDir t;
  t.write("other/f", "data");
  t.write("other/D/x", "x");
  fs::create_directory(t.path() / "bind");
  std::string d = t.str();
  auto outcome = kivtest::runInChild({.privateMounts = true}, [&] {
    if (mount((d + "/other").c_str(), (d + "/bind").c_str(), nullptr, MS_BIND, nullptr) != 0)
      return std::string("skip: no bind mount here");
    Findings f;
    std::string before = describe(d + "/other", true);
    f.expect(copyObject(d + "/bind/f", d + "/other/f") == 0, "copy onto itself answers 0");
    f.expect(doMoveObject((d + "/other/D").c_str(), (d + "/bind/D").c_str()) == 0,
             "move onto itself answers 0");
    f.expect(copyObject(d + "/other/D", d + "/bind/D/sub") == -1, "copy into itself refused");
    f.expect(before == describe(d + "/other", true), "nothing changed");
    return f.text;
  });
  if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
  EXPECT_EQ("", outcome.failures) << outcome.errorText;
  EXPECT_EQ("data", kivtest::readFile(t.path() / "other/f"));
}

// The root folder is never removed, however it is spelled. The removals run in a child confined
// to a private mount namespace whose root is a fresh tmpfs, so the machine's root is never at
// risk; the identity check itself is also exercised directly.
TEST(SafeTransfer, RootIsNeverRemoved) {
  TempDir t;
  fs::create_directories(t.path() / "x");
  fs::create_symlink("/", t.path() / "x/rootlink");
  kiv::platform::FileId named;
  std::error_code ec;
  ASSERT_TRUE(kiv::platform::identify(t.str() + "/x/rootlink/..", false, named, ec)) << ec;
  EXPECT_TRUE(kiv::platform::sameObject(named, kiv::platform::rootId()));
  ASSERT_TRUE(kiv::platform::identify(t.str() + "/x/rootlink", false, named, ec)) << ec;
  EXPECT_FALSE(kiv::platform::sameObject(named, kiv::platform::rootId())) << "the link itself";

  std::string jail = t.str() + "/jail";
  fs::create_directory(jail);
  auto outcome = kivtest::runInChild({.privateMounts = true}, [&] {
    std::string why = kivtest::mountTmpfs(jail, "size=1m");
    if (!why.empty()) return "skip: " + why;
    fs::create_directories(jail + "/keep");
    fs::create_directories(jail + "/x");
    fs::create_directories(jail + "/b");
    std::ofstream(jail + "/keep/file") << "kept";
    fs::create_symlink("/", jail + "/x/rootlink");
    if (mount(jail.c_str(), (jail + "/b").c_str(), nullptr, MS_BIND, nullptr) != 0)
      return std::string("skip: no bind mount here");
    if (chdir(jail.c_str()) != 0 || chroot(".") != 0)
      return std::string("skip: chroot refused: ") + std::strerror(errno);
    Findings f;
    for (const char* spelled :
         {"/x/rootlink/..", "/", "//", "/x/..", "/.", "/b", "/b/.", "/keep/../x/rootlink/../"})
      f.expect(doRemoveObject(spelled) == -1, std::string("removed ") + spelled);
    f.expect(access("/keep/file", F_OK) == 0 && access("/b/keep/file", F_OK) == 0,
             "the root's contents are still there");
    f.expect(doRemoveObject("/x/rootlink") == 0, "the link itself may be removed");
    f.expect(access("/x", F_OK) == 0 && access("/keep/file", F_OK) == 0, "only the link went");
    return f.text;
  });
  if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
  EXPECT_EQ("", outcome.failures);
  EXPECT_THAT(outcome.errorText, HasSubstr("remove failed: Operation not permitted"));
}

TEST(SafeTransfer, ReplacingIsStaged) {
  TempDir t;
  t.write("src/file", "new file");
  t.write("src/tree/a", "new tree");
  std::string d = t.str();
  const struct {
    const char* what;
    bool move;
    std::string from, to;
    bool oldIsFolder;
    std::string check, content;
  } rows[] = {
      {"file over a folder", false, d + "/src/file", d + "/dst/one", true, "one", "new file"},
      {"folder over a file", false, d + "/src/tree", d + "/dst/two", false, "two/a", "new tree"},
      {"folder over a folder", false, d + "/src/tree", d + "/dst/3", true, "3/a", "new tree"},
      {"folder moved over a folder", true, d + "/src/tree", d + "/dst/4", true, "4/a", "new tree"},
      {"file moved over a file", true, d + "/src/file", d + "/dst/5", false, "5", "new file"},
  };
  for (const auto& row : rows) {
    t.write(row.to.substr(d.size() + 1) + (row.oldIsFolder ? "/old/deep" : ""), "old");
    EXPECT_EQ(0, transfer(row.move, row.from, row.to)) << row.what;
    EXPECT_EQ(row.content, kivtest::readFile(t.path() / "dst" / row.check)) << row.what;
    EXPECT_EQ(row.move, !fs::exists(row.from)) << row.what;
    EXPECT_FALSE(fs::exists(row.to + "/old")) << row.what;
    EXPECT_EQ(0, hiddenEntries(d + "/dst")) << row.what;
  }
}

// A failure half-way through building the new object (a full file system) leaves the old
// destination and the source as they were, and nothing under a hidden name.
TEST(SafeTransfer, FailureWhileBuildingChangesNothing) {
  TempDir t;
  t.write("src/big", std::string(256 * 1024, 'b'));
  t.write("src/small", "small");
  std::string d = t.str(), small = d + "/small";
  fs::create_directory(small);
  std::string before = describe(t.path() / "src", true);
  auto outcome = kivtest::runInChild({.privateMounts = true}, [&] {
    std::string why = kivtest::mountTmpfs(small, "size=64k");
    if (!why.empty()) return "skip: " + why;
    std::ofstream(small + "/old") << "old";
    fs::create_directories(small + "/tree/sub");
    std::ofstream(small + "/tree/sub/x") << "x";
    // The folder holding them gets and loses the temporary names; what is in it stays.
    auto old = [&] { return describe(small + "/old", true) + describe(small + "/tree", true); };
    std::string before = old();
    Findings f;
    f.expect(copyObject(d + "/src", small + "/tree") == -1, "copy of a tree too big");
    f.expect(copyObject(d + "/src/big", small + "/old") == -1, "copy of a file too big");
    f.expect(doMoveObject((d + "/src").c_str(), (small + "/tree").c_str()) == -1,
             "move of a tree too big");
    f.expect(doMoveObject((d + "/src/big").c_str(), (small + "/new").c_str()) == -1,
             "move of a file too big");
    f.expect(before == old(), "the destinations changed:\n" + old());
    f.expect(hiddenEntries(small) == 0, "a temporary was left behind");
    return f.text;
  });
  if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
  EXPECT_EQ("", outcome.failures);
  EXPECT_THAT(outcome.errorText, HasSubstr("No space left on device"));
  EXPECT_EQ(before, describe(t.path() / "src", true)) << "the source changed";
}

// A normal user: a tree holding a read-only folder is copied; a move across file systems whose
// source cannot be removed whole fails before anything is copied or removed, and succeeds once
// it can.
TEST(SafeTransfer, UnprivilegedCopyAndMoveAcrossFileSystems) {
  TempDir t;
  OtherFileSystem other(t.path());
  if (other.path.empty()) GTEST_SKIP() << "/dev/shm is not a second file system here";
  const uid_t nobody = 65534;
  std::string d = t.str(), shm = other.path.string();
  t.write("src/a.txt", "a");
  t.write("src/locked/b.txt", "b");
  t.write("sticky/rootfile", "root's");
  fs::create_directories(shm + "/dst");
  std::ofstream(shm + "/dst/old.txt") << "old";
  if (geteuid() == 0) {
    for (const std::string& p : {d, d + "/src", d + "/src/a.txt", d + "/src/locked",
                                 d + "/src/locked/b.txt", shm, shm + "/dst", shm + "/dst/old.txt"})
      ASSERT_EQ(0, chown(p.c_str(), nobody, nobody)) << p;
  }
  chmod((d + "/src/locked").c_str(), 0555);
  chmod((d + "/sticky").c_str(), 01777);
  auto outcome = kivtest::runInChild({.unprivileged = true}, [&] {
    Findings f;
    std::string src = describe(d + "/src", true), dst = describe(shm + "/dst", true);
    f.expect(doMoveObject((d + "/src").c_str(), (shm + "/dst").c_str()) == -1,
             "moved a source with a folder it cannot empty");
    f.expect(src == describe(d + "/src", true), "the source changed");
    f.expect(dst == describe(shm + "/dst", true), "the destination changed");
    f.expect(doMoveObject((d + "/sticky/rootfile").c_str(), (shm + "/r").c_str()) == -1,
             "moved another user's file out of a sticky folder");
    f.expect(access((shm + "/r").c_str(), F_OK) != 0, "copied before refusing");
    f.expect(hiddenEntries(shm) == 0 && hiddenEntries(shm + "/dst") == 0, "temporary left");

    // The retry once the folder is writable moves everything.
    chmod((d + "/src/locked").c_str(), 0755);
    f.expect(doMoveObject((d + "/src").c_str(), (shm + "/dst").c_str()) == 0, "retry failed");
    f.expect(access((d + "/src").c_str(), F_OK) != 0, "the source stayed");
    f.expect(kivtest::readFile(shm + "/dst/locked/b.txt") == "b", "b.txt lost");
    f.expect(access((shm + "/dst/old.txt").c_str(), F_OK) != 0, "the old destination stayed");

    // A read-only folder is filled before it gets its mode.
    chmod((shm + "/dst/locked").c_str(), 0555);
    f.expect(copyObject(shm + "/dst", d + "/copy") == 0, "copy of a read-only folder failed");
    struct stat st;
    f.expect(stat((d + "/copy/locked").c_str(), &st) == 0 && (st.st_mode & 07777) == 0555,
             "the folder's mode was not kept");
    f.expect(kivtest::readFile(d + "/copy/locked/b.txt") == "b", "the folder was not filled");
    chmod((shm + "/dst/locked").c_str(), 0755);
    chmod((d + "/copy/locked").c_str(), 0755);
    return f.text;
  });
  if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
  EXPECT_EQ("", outcome.failures) << outcome.errorText;
  EXPECT_THAT(outcome.errorText, HasSubstr("move failed: Permission denied"));
  EXPECT_THAT(outcome.errorText, HasSubstr("move failed: Operation not permitted"));
}

// Copies, and moves across file systems, keep what an archive copy keeps.
TEST(SafeTransfer, CopiesKeepModeOwnerTimesAttributesAndLinks) {
  TempDir t;
  std::string d = t.str(), tree = d + "/tree";
  t.write("tree/f", "content");
  t.write("tree/sub/g", "g");
  t.write("tree/ro/r", "r");
  t.write("tree/h1", "shared");
  fs::create_hard_link(tree + "/h1", tree + "/h2");
  fs::create_symlink("f", tree + "/link");
  ASSERT_EQ(0, mkfifo((tree + "/fifo").c_str(), 0604));
  if (setxattr((tree + "/f").c_str(), "user.kivtest", "v", 1, 0) != 0)
    GTEST_SKIP() << "no user extended attributes here";
  SetFinderLabel((tree + "/f").c_str(), 3);
  SetFinderLabel((tree + "/sub").c_str(), 5);
  for (auto [p, mode] : {std::pair("/f", 0640), std::pair("/sub", 0750), std::pair("/ro", 0555)})
    chmod((tree + p).c_str(), mode);
  for (const char* p : {"/f", "/sub", "/fifo", "/ro", "/link"})
    if (geteuid() == 0) ASSERT_EQ(0, lchown((tree + p).c_str(), 65534, 65534)) << p;
  // Old times, set last, children first.
  struct timespec times[2] = {{1000000000, 111}, {900000000, 222}};
  for (const char* p : {"/f", "/sub/g", "/sub", "/h1", "/fifo", "/link", "/ro", ""})
    ASSERT_EQ(0, utimensat(AT_FDCWD, (tree + p).c_str(), times, AT_SYMLINK_NOFOLLOW)) << p;

  OtherFileSystem other(t.path());
  std::vector<std::pair<bool, std::string>> rows = {{false, d + "/copy"}};
  if (!other.path.empty()) rows.push_back({true, other.path.string() + "/moved"});
  for (const auto& [move, dest] : rows) {
    std::string expected = describe(tree, false, true);
    ASSERT_EQ(0, transfer(move, tree, dest)) << dest;
    EXPECT_EQ(expected, describe(dest, false, true)) << dest;
    EXPECT_EQ(move, !fs::exists(tree)) << dest;
    EXPECT_EQ("content", kivtest::readFile(dest + "/f")) << dest;
  }
  if (other.path.empty()) GTEST_SKIP() << "/dev/shm is not a second file system here";
  // Back by reference, across the file systems again.
  FSRef moved, home;
  ASSERT_EQ(noErr, CFSPathMakeRef(m(other.path.string() + "/moved"), &moved));
  ASSERT_EQ(noErr, CFSPathMakeRef(m(d), &home));
  EXPECT_EQ(noErr, FSMoveObject(&moved, &home, nullptr));
  EXPECT_FALSE(fs::exists(other.path / "moved"));
  EXPECT_EQ("content", kivtest::readFile(d + "/moved/f"));
}

TEST(SafeTransfer, SocketsAndDevicesFailBeforeAnythingChanges) {
  TempDir t;
  OtherFileSystem other(t.path());
  std::string d = t.str();
  t.write("tree/a", "a");
  t.write("dst/old", "old");
  std::vector<std::pair<bool, std::string>> rows = {{false, d + "/copy"}, {false, d + "/dst"}};
  if (!other.path.empty()) rows.push_back({true, other.path.string() + "/moved"});
  const std::string old = describe(d + "/dst", true);
  for (auto [name, mode] : {std::pair("sock", S_IFSOCK | 0600), std::pair("dev", S_IFCHR | 0600)}) {
    if (mknod((d + "/tree/" + name).c_str(), mode, makedev(1, 3)) != 0) {
      EXPECT_STREQ("dev", name) << "a socket could not be made"; // devices need privileges
      break;
    }
    const std::string source = describe(d + "/tree", true);
    for (const auto& [move, dest] : rows) {
      SCOPED_TRACE(std::string(name) + " to " + dest);
      ConsoleCapture log;
      EXPECT_EQ(-1, transfer(move, d + "/tree", dest));
      EXPECT_THAT(log.entries(),
                  testing::ElementsAre(HasSubstr("Operation not supported"), HasSubstr("tree")));
      EXPECT_EQ(source, describe(d + "/tree", true));
      if (dest == d + "/dst")
        EXPECT_EQ(old, describe(dest, true));
      else
        EXPECT_FALSE(fs::exists(dest));
      EXPECT_EQ(0, hiddenEntries(fs::path(dest).parent_path()));
    }
    fs::remove(d + "/tree/" + name);
  }
}
