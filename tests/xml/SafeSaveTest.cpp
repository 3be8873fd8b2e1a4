// Saving a document: the output goes to exactly the file the library created, whatever the path
// holds; the old file's attributes, access control list and links survive; a dangling link's
// target is written; a save that fails at its end says so once and keeps the old file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ChildProcess.h"
#include "ConsoleCapture.h"
#include "KivMisc_Frameworks.h"
#include "WinFSRef.h"
#include "XmlSupport.h"

namespace fs = std::filesystem;
using testing::HasSubstr;
using namespace xmltest;

namespace {

std::string gunzip(const fs::path& p) {
  std::string out;
  if (FILE* pipe = popen(("gzip -dc < '" + p.string() + "'").c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
      out.append(buf, n);
    pclose(pipe);
  }
  return out;
}

// The permission bits of the one hidden (temporary) file in the folder, or -1.
int temporaryMode(const fs::path& folder) {
  int mode = -1, count = 0;
  for (const auto& e : fs::directory_iterator(folder)) {
    struct stat st;
    if (e.path().filename().string()[0] == '.' && stat(e.path().c_str(), &st) == 0) {
      mode = int(st.st_mode & 07777);
      ++count;
    }
  }
  return count == 1 ? mode : -1;
}

std::string attribute(const fs::path& p, const char* name) {
  char value[256];
  ssize_t n = getxattr(p.c_str(), name, value, sizeof value);
  return n < 0 ? "(none)" : std::string(value, size_t(n));
}

// An access control list in the kernel's form: the owner rw, user 65534 r, the owning group r,
// the mask r, others nothing.
std::string accessControlList() {
  struct Entry {
    uint16_t tag, perm;
    uint32_t id;
  };
  const Entry entries[] = {
      {0x01, 6, ~0u}, {0x02, 4, 65534}, {0x04, 4, ~0u}, {0x10, 4, ~0u}, {0x20, 0, ~0u}};
  uint32_t version = 2;
  std::string acl(reinterpret_cast<const char*>(&version), sizeof version);
  acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
  return acl;
}

const std::string kDoc = kHeader + "<r>\n\t<a>1</a>\n</r>\n";

// Writes the document kDoc to `path` and completes it.
OSErr save(const std::string& path, bool compressed) {
  KivXML xml;
  OSErr e = xml.CreateDoc(path.c_str(), "r", compressed);
  if (e == 0) e = xml.AddNode("a", "1");
  xml.CloseDoc();
  return e;
}

} // namespace

TEST(SafeSave, OutputGoesToExactlyTheFileCreated) {
  const struct {
    const char* name;
    bool compressed, existing, byReference;
  } rows[] = {
      {"a%20b.xml", true, true, false},   {"a%20b.xml", false, true, false},
      {"sub%2Fx.xml", true, true, false}, {"100%25.xml", true, false, false},
      {"a%20b.xml", true, true, true},
  };
  mode_t saved = umask(027);
  for (const auto& row : rows) {
    kivtest::TempDir dir;
    fs::create_directory(dir.path() / "sub"); // where an unescaped name would lead
    fs::path file = dir.path() / row.name;
    if (row.existing) {
      dir.write(row.name, "old");
      chmod(file.c_str(), 0600);
    }
    KivXML xml;
    FSRef ref;
    if (row.byReference) ASSERT_EQ(0, CFSPathMakeRef(const_cast<char*>(file.c_str()), &ref));
    ASSERT_EQ(0, row.byReference ? xml.CreateDoc(&ref, "r", row.compressed)
                                 : xml.CreateDoc(file.c_str(), "r", row.compressed))
        << row.name;
    EXPECT_EQ(0, xml.AddNode("a", "1"));
    EXPECT_EQ(0600, temporaryMode(dir.path())) << row.name << ": readable while written";
    xml.CloseDoc();
    EXPECT_THAT(entriesOf(dir.path()), testing::UnorderedElementsAre(row.name, "sub")) << row.name;
    EXPECT_TRUE(fs::is_empty(dir.path() / "sub")) << row.name;
    EXPECT_EQ(kDoc, row.compressed ? gunzip(file) : readFile(file)) << row.name;
    struct stat st;
    ASSERT_EQ(0, stat(file.c_str(), &st));
    EXPECT_EQ(row.existing ? 0600u : 0640u, st.st_mode & 07777) << row.name;
  }
  umask(saved);
}

TEST(SafeSave, KeepsAttributesAccessListOwnerAndLinks) {
  kivtest::TempDir dir;
  fs::path doc = dir.write("doc.xml", "old"), alias = dir.path() / "alias.xml";
  if (setxattr(doc.c_str(), "user.kivtest", "v", 1, 0) != 0)
    GTEST_SKIP() << "no user extended attributes here";
  SetFinderLabel(doc.c_str(), 4);
  std::string acl = accessControlList();
  bool withAcl = setxattr(doc.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
  chmod(doc.c_str(), 0640);
  bool root = geteuid() == 0;
  if (root) ASSERT_EQ(0, chown(doc.c_str(), 65534, 65534));
  ASSERT_EQ(0, save(doc, false));
  EXPECT_EQ(kDoc, readFile(doc));
  EXPECT_EQ("4", attribute(doc, "user.kiv.label"));
  EXPECT_EQ("v", attribute(doc, "user.kivtest"));
  if (withAcl) EXPECT_EQ(acl, attribute(doc, "system.posix_acl_access"));
  struct stat st;
  ASSERT_EQ(0, stat(doc.c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 07777);
  if (root) EXPECT_EQ(65534u, st.st_uid);

  // Hard links: every name shows the new document, which stays the same file.
  fs::create_hard_link(doc, alias);
  ASSERT_EQ(0, stat(doc.c_str(), &st));
  KivXML xml;
  ASSERT_EQ(0, xml.CreateDoc(doc.c_str(), "linked", true));
  xml.CloseDoc();
  EXPECT_EQ(kHeader + "<linked/>\n", gunzip(alias));
  struct stat after;
  ASSERT_EQ(0, stat(alias.c_str(), &after));
  EXPECT_EQ(st.st_ino, after.st_ino);
  EXPECT_EQ(2u, after.st_nlink);
  EXPECT_EQ("4", attribute(alias, "user.kiv.label"));
  EXPECT_THAT(entriesOf(dir.path()), testing::ElementsAre("alias.xml", "doc.xml"));

  // A dangling link, reached through a second link: its target is written, the links stay.
  fs::create_symlink("target.xml", dir.path() / "link.xml");
  fs::create_symlink(dir.path() / "link.xml", dir.path() / "link2.xml");
  ASSERT_EQ(0, save((dir.path() / "link2.xml").string(), false));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.xml") && fs::is_symlink(dir.path() / "link2.xml"));
  EXPECT_EQ(kDoc, readFile(dir.path() / "target.xml"));
  fs::create_symlink("nowhere/x.xml", dir.path() / "lost.xml");
  EXPECT_EQ(-7, save((dir.path() / "lost.xml").string(), false)) << "its folder is missing";
}

// The end of a save fails: files may not grow past 16 bytes, so the document, held whole in the
// writer's buffers until then, cannot be written when it is completed. The failure is reported
// once, the old file stays and no temporary is left.
TEST(SafeSave, FailureAtTheEndIsReportedOnceAndKeepsTheOldFile) {
  kivtest::TempDir dir;
  fs::path doc = dir.write("doc.xml", "previous");
  for (bool compressed : {false, true}) {
    auto outcome = kivtest::runInChild({}, [&] {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit small = {16, 16};
      setrlimit(RLIMIT_FSIZE, &small);
      kivtest::Findings f;
      KivXML xml;
      f.expect(xml.CreateDoc(doc.c_str(), "r", compressed) == 0, "CreateDoc failed");
      for (int i = 0; i < 20; ++i)
        f.expect(xml.AddNodeFormat("n", "%d", i * 7919) == 0, "a write failed early");
      xml.CloseDoc();
      return f.text;
    });
    SCOPED_TRACE(compressed ? "compressed" : "plain");
    EXPECT_EQ("", outcome.failures);
    EXPECT_EQ("previous", readFile(doc));
    EXPECT_THAT(entriesOf(dir.path()), testing::ElementsAre("doc.xml"));
    const std::string& log = outcome.errorText;
    EXPECT_THAT(log, HasSubstr("KivXML::CloseDoc() : \"" + doc.string() + "\" not saved"));
    EXPECT_THAT(log, HasSubstr("File too large"));
    EXPECT_EQ(log.find("KivXML::"), log.rfind("KivXML::")) << "one entry:\n" << log;
  }

  // The rename fails: a folder took the file's place meanwhile, and stays.
  KivXML xml;
  ASSERT_EQ(0, xml.CreateDoc(doc.c_str(), "r", false));
  fs::remove(doc);
  fs::create_directories(doc / "inside");
  kivtest::ConsoleCapture log;
  xml.CloseDoc();
  EXPECT_THAT(log.entries(), testing::ElementsAre(HasSubstr("(renaming: Is a directory)")));
  EXPECT_TRUE(fs::is_directory(doc / "inside"));
  EXPECT_THAT(entriesOf(dir.path()), testing::ElementsAre("doc.xml"));
}

// A file with two links is rewritten in place, and only when the whole new content fits: on a
// nearly full file system the old content stays under both names.
TEST(SafeSave, InPlaceRewriteNeedsRoomFirst) {
  kivtest::TempDir dir;
  std::string disk = dir.str() + "/disk";
  fs::create_directory(disk);
  auto outcome = kivtest::runInChild({.privateMounts = true}, [&] {
    std::string why = kivtest::mountTmpfs(disk, "size=56k");
    if (!why.empty()) return "skip: " + why;
    std::string old(8192, 'o'), doc = disk + "/doc.xml";
    std::ofstream(doc) << old;
    fs::create_hard_link(doc, disk + "/alias.xml");
    kivtest::Findings f;
    KivXML xml;
    f.expect(xml.CreateDoc(doc.c_str(), "r", false) == 0, "CreateDoc failed");
    for (int i = 0; i < 40; ++i)
      f.expect(xml.AddNode("n", std::string(1000, 'n').c_str()) == 0, "a write failed");
    xml.CloseDoc();
    f.expect(readFile(doc) == old && readFile(disk + "/alias.xml") == old,
             "the old content changed");
    f.expect(entriesOf(disk).size() == 2, "a temporary was left behind");
    return f.text;
  });
  if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
  EXPECT_EQ("", outcome.failures);
  EXPECT_THAT(outcome.errorText,
              HasSubstr("not saved (rewriting in place: No space left on device)"));
}
