// Runs part of a test in a child process: as an unprivileged user (tests run as root in CI), or
// confined to a private mount namespace whose mounts vanish with the child. The child's verdict
// comes back as text, its standard error is collected, and a child that hangs is killed when
// its time is up, which fails the test instead of stalling it.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <functional>
#include <string>

namespace kivtest {

struct ChildOptions {
  bool unprivileged = false;  // run as uid and gid 65534 (when started as root)
  bool privateMounts = false; // a mount namespace of its own, all mounts private
  int timeoutSeconds = 30;
};

struct ChildOutcome {
  std::string skipped;   // why the child could not be set up; empty when the body ran
  std::string failures;  // what the body found wrong, or how the child died; empty when all held
  std::string errorText; // everything the child wrote to standard error
};

// Collects a child's findings: each failed expectation adds a line.
class Findings {
public:
  void expect(bool holds, const std::string& what) {
    if (!holds) text += what + "\n";
  }
  std::string text;
};

namespace detail {

inline void writeAll(int fd, const std::string& s) {
  for (size_t done = 0; done < s.size();) {
    ssize_t n = ::write(fd, s.data() + done, s.size() - done);
    if (n <= 0 && errno != EINTR) return;
    if (n > 0) done += size_t(n);
  }
}

inline std::string setUp(const ChildOptions& options) {
  if (options.privateMounts) {
    if (unshare(CLONE_NEWNS) != 0)
      return std::string("no private mount namespace here: ") + std::strerror(errno);
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      return std::string("mounts cannot be made private: ") + std::strerror(errno);
  }
  if (options.unprivileged && geteuid() == 0) {
    const gid_t nobody = 65534;
    if (setgroups(0, nullptr) != 0 || setresgid(nobody, nobody, nobody) != 0 ||
        setresuid(nobody, nobody, nobody) != 0)
      return std::string("cannot drop to an unprivileged user: ") + std::strerror(errno);
  }
  return "";
}

} // namespace detail

// Runs `body` in a child set up as `options` asks. The body answers "" when everything held,
// "skip:" and a reason when the system cannot run it, else what went wrong; it may also throw.
inline ChildOutcome runInChild(const ChildOptions& options,
                               const std::function<std::string()>& body) {
  ChildOutcome outcome;
  int verdict[2], errors[2];
  if (pipe2(verdict, O_CLOEXEC) != 0) {
    outcome.failures = "pipe failed";
    return outcome;
  }
  if (pipe2(errors, O_CLOEXEC) != 0) {
    close(verdict[0]);
    close(verdict[1]);
    outcome.failures = "pipe failed";
    return outcome;
  }
  fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    close(verdict[0]);
    close(errors[0]);
    dup2(errors[1], STDERR_FILENO);
    std::string why = detail::setUp(options);
    std::string result;
    if (!why.empty()) {
      result = "S" + why;
    } else {
      try {
        result = "R" + body();
      } catch (const std::exception& e) {
        result = std::string("Rthrew: ") + e.what();
      } catch (...) {
        result = "Rthrew";
      }
    }
    detail::writeAll(verdict[1], result);
    fflush(nullptr);
    _exit(0);
  }
  close(verdict[1]);
  close(errors[1]);
  if (child < 0) {
    close(verdict[0]);
    close(errors[0]);
    outcome.failures = "fork failed";
    return outcome;
  }
  // Read both pipes until the child closes them or its time is up.
  std::string said;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
  struct pollfd fds[2] = {{verdict[0], POLLIN, 0}, {errors[0], POLLIN, 0}};
  std::string* sinks[2] = {&said, &outcome.errorText};
  int live = 2;
  bool timedOut = false;
  while (live > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    if (poll(fds, 2, int(left.count())) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[4096];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, size_t(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --live;
      }
    }
  }
  close(verdict[0]);
  close(errors[0]);
  if (timedOut) kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  if (timedOut) {
    outcome.failures =
        "the child did not finish within " + std::to_string(options.timeoutSeconds) + " s";
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || said.empty()) {
    outcome.failures = "the child died (status " + std::to_string(status) + ")";
  } else if (said[0] == 'S') {
    outcome.skipped = said.substr(1);
  } else if (said.rfind("Rskip:", 0) == 0) {
    outcome.skipped = said.substr(6);
  } else {
    outcome.failures = said.substr(1);
  }
  return outcome;
}

// In a child with private mounts: a fresh tmpfs on `folder`, with mount options such as
// "size=64k". "" on success, else why not.
inline std::string mountTmpfs(const std::string& folder, const std::string& options) {
  if (mount("kivtest", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
    return std::string("cannot mount a tmpfs: ") + std::strerror(errno);
  return "";
}

} // namespace kivtest
