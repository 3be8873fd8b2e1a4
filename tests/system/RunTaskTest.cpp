#include "SystemTestSupport.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace systemtest;

namespace {
const std::string helper = KIV_SYSTEM_HELPER;
std::string started(int argc, const std::string& cwd, const std::vector<std::string>& args) {
  std::string text = "argc=" + std::to_string(argc) + "\ncwd=" + cwd + "\n";
  for (const std::string& a : args)
    text += "arg=" + a + "\n";
  return text;
}
} // namespace

TEST(RunTask, PassesFiveArgumentsUnsplitAndSharesStandardOutput) {
  kivtest::TempDir dir;
  std::string work = dir.str(), marker = work + "/m";
  EXPECT_EQ(0, runTask(helper, work.c_str(), {marker, "exit:0", "two words", "", "*"}));
  EXPECT_EQ(started(6, work, {marker, "exit:0", "two words", "", "*"}), kivtest::readFile(marker));
  // Null arguments are passed as empty ones; a null working folder keeps the caller's.
  EXPECT_EQ(0, runTask(helper, nullptr, {marker}));
  EXPECT_EQ(started(6, fs::current_path(), {marker, "", "", "", ""}), kivtest::readFile(marker));
  // What the child prints goes to the caller's standard output (here sent to a file).
  std::string out = work + "/stdout.txt";
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
  std::string work = dir.str(), marker = work + "/m";
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
      {helper, work + "/no-such-folder", "", -1}, // not run in another folder instead
  };
  for (const auto& [exe, folder, action, expected] : cases) {
    SCOPED_TRACE(exe + " in " + folder + " " + action);
    fs::remove(marker);
    EXPECT_EQ(expected, runTask(exe, folder.c_str(), {marker, action}));
    EXPECT_EQ(expected != -1, fs::exists(marker));
  }
  EXPECT_EQ(-1, RunTaskCommand(nullptr, work.data(), nullptr, nullptr, nullptr, nullptr, nullptr));
}

// A relative executable path is taken from the caller's working folder when the call is made,
// never from the child's working folder, which holds programs of the same names.
TEST(RunTask, RelativePathsStartFromTheCallersFolder) {
  kivtest::TempDir dir;
  const std::string marker = dir.str() + "/m", work = dir.str() + "/work";
  for (const char* folder : {"first", "second", "work"})
    for (const char* name : {"prog", "inner/prog"})
      fs::permissions(dir.write(std::string(folder) + "/" + name,
                                "#!/bin/sh\nexec \"" + helper + "\" \"$1\" " + folder + "\n"),
                      fs::perms::owner_all);
  struct RestoreFolder {
    fs::path saved = fs::current_path();
    ~RestoreFolder() { fs::current_path(saved); }
  } restore;
  for (const char* caller : {"first", "second"})
    for (const char* exe : {"./prog", "prog", "inner/prog", "inner/../prog"}) {
      SCOPED_TRACE(std::string(caller) + " " + exe);
      fs::current_path(dir.path() / caller);
      fs::remove(marker);
      EXPECT_EQ(0, runTask(exe, work.c_str(), {marker}));
      EXPECT_EQ(started(3, work, {marker, caller}), kivtest::readFile(marker));
    }
}

namespace {
std::atomic<int> reaped{0};
void reapEveryChild(int) {
  int saved = errno;
  while (waitpid(-1, nullptr, WNOHANG) > 0)
    ++reaped;
  errno = saved;
}
} // namespace

// The status of a program that ran is obtained whatever the caller does with SIGCHLD or with
// children it did not start, and the program starts with SIGCHLD at its default action. Should
// the status still be lost, the result says that the program ran: -2, not -1.
TEST(RunTask, StatusSurvivesTheCallersChildHandling) {
  kivtest::TempDir dir;
  const std::string marker = dir.str() + "/m";
  const struct {
    const char* name;
    void (*handler)(int);
    int flags;
    bool thief;
  } rows[] = {{"SIGCHLD ignored", SIG_IGN, 0, false},
              {"no zombies kept", SIG_DFL, SA_NOCLDWAIT, false},
              {"a handler reaping every child", reapEveryChild, SA_RESTART, false},
              {"a thread collecting any child", SIG_DFL, 0, true}};
  for (const auto& row : rows) {
    struct sigaction wanted {
    }, previous{};
    wanted.sa_handler = row.handler;
    wanted.sa_flags = row.flags;
    sigaction(SIGCHLD, &wanted, &previous);
    std::atomic<bool> done{false};
    std::thread thief([&] {
      for (siginfo_t info; row.thief && !done;) {
        waitid(P_ALL, 0, &info, WEXITED | WNOHANG | __WALL);
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
    });
    const std::pair<const char*, int> runs[] = {
        {"exit:3", 3}, {"signal:15", 128 + SIGTERM}, {"sigchld", 0}};
    for (const auto& [action, expected] : runs) {
      SCOPED_TRACE(std::string(row.name) + " " + action);
      fs::remove(marker);
      EXPECT_EQ(expected, runTask(helper, dir.str().c_str(), {marker, action}));
      EXPECT_TRUE(fs::exists(marker));
    }
    done = true;
    thief.join();
    sigaction(SIGCHLD, &previous, nullptr);
  }
  EXPECT_EQ(0, reaped.load()) << "the handler saw a child of RunTaskCommand";

  // The process waiting on the call's behalf (this process's one child) is killed while the
  // program runs; the program runs long enough for that on a busy machine.
  std::thread killer([&] {
    for (int i = 0; i < 500 && !fs::exists(marker); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (const auto& entry : fs::directory_iterator("/proc")) {
      std::string stat = kivtest::readFile(entry.path() / "stat");
      size_t end = stat.rfind(')');
      int parent = 0;
      if (end != std::string::npos &&
          std::sscanf(stat.c_str() + end + 1, " %*c %d", &parent) == 1 && parent == getpid())
        kill(std::stoi(entry.path().filename().string()), SIGKILL);
    }
  });
  fs::remove(marker);
  EXPECT_EQ(-2, runTask("/bin/sh", dir.str().c_str(),
                        {"-c", "touch \"$0\"; exec sleep 5 >/dev/null 2>&1", marker}));
  killer.join();
}
