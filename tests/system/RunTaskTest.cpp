#include "Kiv.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char* mut(std::string& s) { return s.data(); }

// Runs `run` with the process's standard output sent to a file, and returns what was written.
template <typename F> std::string captureStdout(const kivtest::TempDir& dir, F run) {
  std::string file = (dir.path() / "stdout.txt").string();
  std::fflush(stdout);
  int saved = dup(1);
  int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(fd, 1);
  close(fd);
  run();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  return kivtest::readFile(file);
}

} // namespace

TEST(RunTask, PassesFiveArgumentsUnsplitInTheWorkingFolder) {
  kivtest::TempDir dir;
  std::string helper = KIV_MARKER_HELPER;
  std::string work = dir.str();
  std::string marker = (dir.path() / "marker").string();
  std::string action = "exit:0", words = "two words", empty, last = "*";
  EXPECT_EQ(0, RunTaskCommand(mut(helper), mut(work), mut(marker), mut(action), mut(words),
                              mut(empty), mut(last)));
  EXPECT_EQ("argc=6\ncwd=" + work + "\narg=" + marker +
                "\narg=exit:0\narg=two words\narg=\narg=*\n",
            kivtest::readFile(marker));

  // Null arguments are passed as empty ones; the list keeps its five entries.
  std::remove(marker.c_str());
  EXPECT_EQ(
      0, RunTaskCommand(mut(helper), mut(work), mut(marker), nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ("argc=6\ncwd=" + work + "\narg=" + marker + "\narg=\narg=\narg=\narg=\n",
            kivtest::readFile(marker));
}

TEST(RunTask, OutputGoesToTheCallersStandardOutput) {
  kivtest::TempDir dir;
  std::string echo = "/bin/echo", tmp = "/tmp", a = "a", e1, e2, e3, e4;
  int status = -2;
  std::string out = captureStdout(dir, [&] {
    status = RunTaskCommand(mut(echo), mut(tmp), mut(a), mut(e1), mut(e2), mut(e3), mut(e4));
  });
  EXPECT_EQ(0, status);
  EXPECT_EQ("a    \n", out);
}

TEST(RunTask, ReturnsExitStatusAndSignalsAs128Plus) {
  kivtest::TempDir dir;
  std::string helper = KIV_MARKER_HELPER, work = dir.str();
  std::string marker = (dir.path() / "m").string();
  auto run = [&](std::string action) {
    return RunTaskCommand(mut(helper), mut(work), mut(marker), mut(action), nullptr, nullptr,
                          nullptr);
  };
  EXPECT_EQ(3, run("exit:3"));
  EXPECT_EQ(255, run("exit:255"));
  EXPECT_EQ(128 + SIGKILL, run("signal:9"));
  EXPECT_EQ(128 + SIGTERM, run("signal:15"));
}

TEST(RunTask, ProgramsThatCannotStartReturnMinusOne) {
  kivtest::TempDir dir;
  std::string helper = KIV_MARKER_HELPER, work = dir.str();
  std::string marker = (dir.path() / "m").string();
  std::string missing = (dir.path() / "no-such-program").string();
  std::string plain = dir.write("plain.txt", "#!/bin/sh\nexit 0\n").string(); // not executable
  std::string noFolder = (dir.path() / "no-such-folder").string();
  std::string byName = "echo"; // no search along PATH
  std::string empty;

  EXPECT_EQ(-1,
            RunTaskCommand(mut(missing), mut(work), nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(-1, RunTaskCommand(mut(plain), mut(work), nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(-1,
            RunTaskCommand(mut(byName), mut(work), nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(-1, RunTaskCommand(mut(empty), mut(work), nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(-1, RunTaskCommand(nullptr, mut(work), nullptr, nullptr, nullptr, nullptr, nullptr));
  // With a missing working folder the program is not run anywhere else.
  EXPECT_EQ(-1, RunTaskCommand(mut(helper), mut(noFolder), mut(marker), nullptr, nullptr, nullptr,
                               nullptr));
  EXPECT_FALSE(std::filesystem::exists(marker));

  // A null working folder keeps the caller's.
  char cwd[4096];
  ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
  EXPECT_EQ(0,
            RunTaskCommand(mut(helper), nullptr, mut(marker), nullptr, nullptr, nullptr, nullptr));
  EXPECT_NE(std::string::npos, kivtest::readFile(marker).find("cwd=" + std::string(cwd) + "\n"));
}
