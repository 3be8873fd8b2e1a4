#include "ChildProcess.h"
#include "ConsoleCapture.h"
#include "KivMisc.h"
#include "KivMisc_Frameworks.h"
#include "TestSupport.h"
#include "WinFSRef.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;
using kivtest::ConsoleCapture;
using kivtest::ScopedEnv;
using kivtest::TempDir;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// What a look-up leaves in a buffer of exactly maxLen + 1 bytes; "-1:" and the rest on refusal.
std::string folder(short (*lookUp)(char*, short), size_t maxLen) {
  std::vector<char> buf(maxLen + 1, 'x');
  short status = lookUp(buf.data(), short(maxLen));
  std::string text(buf.data(), strnlen(buf.data(), buf.size()));
  return status == 0 ? text : std::to_string(status) + ":" + text;
}

std::string byCode(short code) {
  char buf[255] = "untouched";
  int status = GetUnifiedFolderType(code, buf);
  return status == 0 ? buf : std::to_string(status) + ":" + buf;
}

} // namespace

TEST(FileOperations, StandardFolders) {
  TempDir t;
  t.write("cfg/user-dirs.dirs",
          "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
  fs::create_directories(t.path() / "home/Bureau");
  ScopedEnv home("HOME", t.str() + "/home");
  ScopedEnv cfg("XDG_CONFIG_HOME", t.str() + "/cfg/");
  ScopedEnv data("XDG_DATA_HOME", t.str() + "/data");
  std::string docs = t.str() + "/home/Papers", config = t.str() + "/cfg";
  EXPECT_EQ(docs, folder(GetDocumentsPath, docs.size()));
  EXPECT_EQ("-1:", folder(GetDocumentsPath, docs.size() - 1)) << "a refusal empties the buffer";
  EXPECT_EQ(t.str() + "/data", folder(GetAppSupportPath, 511));
  EXPECT_EQ(config, folder(GetUserPrefsPath, config.size()));
  EXPECT_EQ("-1:", folder(GetUserPrefsPath, config.size() - 1));

  // Folder codes: 1 preferences (the same folder), 2 desktop, 3 temporary; others refused.
  const std::pair<short, std::string> codes[] = {{1, config},
                                                 {2, t.str() + "/home/Bureau"},
                                                 {3, fs::canonical(fs::temp_directory_path())},
                                                 {4, "-1:untouched"}};
  for (auto& [code, expected] : codes)
    EXPECT_EQ(expected, byCode(code)) << code;
  FSRef ref;
  EXPECT_EQ(-1, GetUnifiedFolderType(0, &ref));
  EXPECT_EQ(nsvErr, FSFindFolder(-1, kPreferencesFolderType, false, &ref));
  char name[] = "settings.xml", path[255];
  EXPECT_EQ(fnfErr, GetUnifiedFileRef(1, name, &ref)) << "only existing objects";
  t.write("cfg/settings.xml", "<a/>");
  ASSERT_EQ(0, GetUnifiedFileRef(1, name, &ref));
  ASSERT_EQ(0, CFSRefMakePath(&ref, path));
  EXPECT_EQ(config + "/settings.xml", path);
  std::string huge(400, 'h');
  EXPECT_EQ(-1, GetUnifiedFileRef(1, huge.data(), &ref));

  ScopedEnv accented("XDG_DATA_HOME", "/d\xC3\xA9"); // the limit counts UTF-8 bytes
  EXPECT_EQ("-1:", folder(GetAppSupportPath, 3));
  EXPECT_EQ("/d\xC3\xA9", folder(GetAppSupportPath, 4));
  // Relative or missing XDG values give the defaults below HOME.
  ScopedEnv relative("XDG_DATA_HOME", "relative/data");
  ScopedEnv noCfg("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(t.str() + "/home/.local/share", folder(GetAppSupportPath, 511));
  EXPECT_EQ(t.str() + "/home/.config", folder(GetUserPrefsPath, 511));
  // That folder is missing: reported, and never created even when creation is asked for.
  EXPECT_EQ(fnfErr, FSFindFolder(kOnSystemDisk, kPreferencesFolderType, true, &ref));
  EXPECT_FALSE(fs::exists(t.path() / "home/.config"));
}

TEST(FileOperations, FailuresWriteTwoConsoleLines) {
  TempDir t;
  std::string missing = t.str() + "/missing", dest = t.write("dest", "existing").string();
  const std::string both = "source = \"" + missing + "\"; destination = \"" + dest + "\"";
  const struct {
    const char* what;
    std::function<short()> call;
    std::string details;
  } rows[] = {
      {"move", [&] { return doMoveObject(missing.c_str(), dest.c_str()); }, both},
      {"copy", [=]() mutable { return doCopyObject(missing.data(), dest.data()); }, both},
      {"remove", [&] { return doRemoveObject(missing.c_str()); }, "path = \"" + missing + "\""},
  };
  for (const auto& row : rows) {
    ConsoleCapture log;
    EXPECT_EQ(-1, row.call()) << row.what;
    EXPECT_THAT(log.entries(),
                ElementsAre(HasSubstr(row.what + std::string(" failed: No such file or directory")),
                            HasSubstr(row.details)))
        << row.what;
    EXPECT_EQ("existing", kivtest::readFile(dest)) << "a missing source leaves the destination";
  }

  // A normal user's removal that cannot remove everything removes nothing.
  t.write("locked/a", "a");
  t.write("locked/inner/x", "x");
  std::string locked = t.str() + "/locked";
  if (geteuid() == 0)
    for (const std::string& p : {t.str(), locked, locked + "/a", locked + "/inner"})
      ASSERT_EQ(0, chown(p.c_str(), 65534, 65534));
  fs::permissions(t.path() / "locked/inner", fs::perms::owner_read | fs::perms::owner_exec);
  auto outcome = kivtest::runInChild({.unprivileged = true}, [&] {
    return doRemoveObject(locked.c_str()) == -1 ? "" : "removed";
  });
  if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
  EXPECT_EQ("", outcome.failures);
  EXPECT_THAT(outcome.errorText, HasSubstr("remove failed: Permission denied"));
  EXPECT_TRUE(fs::exists(locked + "/a") && fs::exists(locked + "/inner/x"));
}

TEST(FileOperations, CountAndLabel) {
  TempDir t;
  std::string dir = t.str() + "/d", file = t.write("d/one", "").string();
  t.write("d/.hidden", "");
  t.write("d/sub/f", "");
  EXPECT_EQ(3, GetNumberOfFilesInFolder(dir.c_str())) << "hidden counted, subfolder not entered";
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
