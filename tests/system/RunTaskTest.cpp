#include "SystemTestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace systemtest;

TEST(RunTask, PassesFiveArgumentsUnsplitAndSharesStandardOutput) {
  kivtest::TempDir dir;
  std::string helper = KIV_MARKER_HELPER, work = dir.str(), marker = (dir.path() / "m").string();
  EXPECT_EQ(0, runTask(helper, work.c_str(), {marker, "exit:0", "two words", "", "*"}));
  EXPECT_EQ("argc=6\ncwd=" + work + "\narg=" + marker +
                "\narg=exit:0\narg=two words\narg=\narg=*\n",
            kivtest::readFile(marker));

  // Null arguments are passed as empty ones; a null working folder keeps the caller's.
  EXPECT_EQ(0, runTask(helper, nullptr, {marker}));
  EXPECT_EQ("argc=6\ncwd=" + fs::current_path().string() + "\narg=" + marker +
                "\narg=\narg=\narg=\narg=\n",
            kivtest::readFile(marker));

  // What the child prints goes to the caller's standard output (here sent to a file).
  std::string out = (dir.path() / "stdout.txt").string();
  std::fflush(stdout);
  int saved = dup(1), fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(fd, 1);
  int status = runTask("/bin/echo", "/tmp", {"a", "", "", "", ""});
  dup2(saved, 1);
  close(fd);
  close(saved);
  EXPECT_EQ(0, status);
  EXPECT_EQ("a    \n", kivtest::readFile(out));
}

TEST(RunTask, ReturnsTheExitStatusOr128PlusTheSignalOrMinusOne) {
  kivtest::TempDir dir;
  std::string helper = KIV_MARKER_HELPER, work = dir.str(), marker = (dir.path() / "m").string();
  std::string plain = dir.write("plain", "#!/bin/sh\nexit 0\n").string(); // not executable
  const std::tuple<std::string, std::string, std::string, int> cases[] = {
      {helper, work, "exit:3", 3},
      {helper, work, "exit:255", 255},
      {helper, work, "signal:9", 128 + SIGKILL},
      {helper, work, "signal:15", 128 + SIGTERM},
      {work + "/no-such-program", work, "", -1},
      {plain, work, "", -1},
      {"echo", work, "", -1}, // no search along PATH
      {"", work, "", -1},
      // With a missing working folder the program is not run anywhere else.
      {helper, work + "/no-such-folder", "", -1},
  };
  for (const auto& [exe, folder, action, expected] : cases) {
    SCOPED_TRACE(exe + " in " + folder + " " + action);
    fs::remove(marker);
    EXPECT_EQ(expected, runTask(exe, folder.c_str(), {marker, action}));
    EXPECT_EQ(expected != -1, fs::exists(marker));
  }
  EXPECT_EQ(-1, RunTaskCommand(nullptr, work.data(), nullptr, nullptr, nullptr, nullptr, nullptr));
}
