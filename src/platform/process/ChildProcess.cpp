#include "platform/process/ChildProcess.h"

#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/files/PathText.h"
#include "platform/memory/NoThrow.h"

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

extern char** environ;

namespace kiv::platform {

namespace {

// Written by the watcher and its child into memory shared with the caller.
struct Report {
  int error;       // why the program could not be started; 0 when it was
  int ran;         // 1 once the program runs
  int statusKnown; // 1 once its wait status is in `status`
  int status;
};

struct Launch {
  const char* path;
  const char* workDir;
  char* const* argv;
  sigset_t callerMask;
  Report* report;
};

// The watcher: a copy of the caller (its own memory, the calling thread alone) that starts
// with every signal blocked. It puts the caller's signal handlers and SIGCHLD back to their
// default actions, so that nothing of the caller runs in it and the program's status is kept
// for it, starts the program, waits for it and reports. It only makes system calls.
[[noreturn]] void watch(const Launch* launch) {
  Report* report = launch->report;
  for (int sig = 1; sig < NSIG; ++sig) {
    struct sigaction action;
    if (sigaction(sig, nullptr, &action) != 0) continue;
    // SIGCHLD also loses SA_NOCLDWAIT, which would discard the program's status.
    if (sig != SIGCHLD && (action.sa_handler == SIG_DFL || action.sa_handler == SIG_IGN)) continue;
    action.sa_handler = SIG_DFL;
    action.sa_flags = 0;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
  }
  if (launch->workDir && chdir(launch->workDir) != 0) {
    report->error = errno;
    _exit(0);
  }
  pid_t program = vfork();
  if (program == 0) {
    sigprocmask(SIG_SETMASK, &launch->callerMask, nullptr);
    execve(launch->path, launch->argv, environ);
    report->error = errno ? errno : ENOEXEC;
    _exit(127);
  }
  if (program < 0 || report->error != 0) {
    if (program < 0)
      report->error = errno;
    else
      waitpid(program, nullptr, 0);
    _exit(0);
  }
  report->ran = 1;
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(program, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited == program) {
    report->status = status;
    report->statusKnown = 1;
  }
  _exit(0);
}

} // namespace

ChildOutcome runChildAndWait(const char* path, const char* workDir, char* const argv[],
                             int& waitStatus) {
  if (!path || !*path || !argv) return ChildOutcome::NotStarted;
  // Resolved here: the program's working folder is set before it starts. Without the memory
  // for the path, nothing starts.
  std::string absolute;
  const bool resolved = noThrow(false, [&] {
    absolute = path;
    if (path[0] == '/') return true;
    std::unique_ptr<char, decltype(&std::free)> here(getcwd(nullptr, 0), &std::free);
    if (here) absolute = joinPath(here.get(), path);
    return here != nullptr;
  });
  if (!resolved) return ChildOutcome::NotStarted;

  void* shared =
      mmap(nullptr, sizeof(Report), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED) return ChildOutcome::NotStarted;
  Report* report = new (shared) Report{0, 0, 0, 0};
  Launch launch{absolute.c_str(), workDir, argv, {}, report};
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &launch.callerMask);
  // A copy of the caller as fork makes it, on a copy of this stack, but with exit signal 0: its
  // end sends the caller no SIGCHLD, is never discarded for an ignored SIGCHLD (it runs no
  // other program), and plain waits for any child (waitpid(-1, ...)) pass it over. The C
  // library has no fork with another exit signal, hence the system call.
  long watcher = syscall(SYS_clone, 0UL, nullptr, nullptr, nullptr, 0UL);
  if (watcher == 0) watch(&launch);
  pthread_sigmask(SIG_SETMASK, &launch.callerMask, nullptr);
  if (watcher > 0) {
    // Returns once the watcher has ended, whether this wait or another one collected it.
    while (waitpid(static_cast<pid_t>(watcher), nullptr, __WALL) < 0 && errno == EINTR) {
    }
  }
  Report result = *report;
  munmap(shared, sizeof(Report));
  if (watcher <= 0 || !result.ran) return ChildOutcome::NotStarted;
  if (!result.statusKnown) return ChildOutcome::StatusLost;
  waitStatus = result.status;
  return ChildOutcome::Ended;
}

int exitCodeOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return -1;
}

} // namespace kiv::platform
