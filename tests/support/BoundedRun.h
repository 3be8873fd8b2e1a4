// Runs a piece of work in a child process under a time-out, and measures how long it took and
// how much memory it added at its peak. A hang is killed and reported, never waited for.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace kivtest {

struct BoundedRun {
  bool finished = false; // false: killed at the time-out, or crashed
  int result = -1;       // the work's result (0 to 255)
  double seconds = 0;    // wall-clock time of the work
  long peakGrowthKb = 0; // peak resident memory above what the child started with

  std::string describe() const {
    char text[128];
    std::snprintf(text, sizeof text, "%s, result %d, %.3f s, peak +%ld KB",
                  finished ? "finished" : "did not finish", result, seconds, peakGrowthKb);
    return text;
  }
};

namespace detail {
inline double now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}
inline long residentKb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
} // namespace detail

// Runs work() in a forked child; its result is the child's exit status. The child is killed
// when it has not finished after timeoutSeconds.
inline BoundedRun runBounded(const std::function<int()>& work, double timeoutSeconds) {
  BoundedRun run;
  int fds[2];
  if (pipe(fds) != 0) return run;
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    long before = detail::residentKb();
    double start = detail::now();
    int result = work();
    double seconds = detail::now() - start;
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    long figures[2] = {static_cast<long>(seconds * 1e6), usage.ru_maxrss - before};
    ssize_t written = write(fds[1], figures, sizeof figures);
    _exit(written == sizeof figures ? result & 0xFF : 255);
  }
  close(fds[1]);
  if (child < 0) {
    close(fds[0]);
    return run;
  }
  int status = 0;
  double deadline = detail::now() + timeoutSeconds;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (detail::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      close(fds[0]);
      return run;
    }
    usleep(10000);
  }
  long figures[2] = {0, 0};
  bool measured = read(fds[0], figures, sizeof figures) == sizeof figures;
  close(fds[0]);
  run.finished = measured && WIFEXITED(status);
  run.result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.seconds = figures[0] / 1e6;
  run.peakGrowthKb = figures[1];
  return run;
}

} // namespace kivtest
