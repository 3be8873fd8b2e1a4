// Running a program as a child process and waiting for its end.
#pragma once

namespace kiv::platform {

enum class ChildOutcome {
  NotStarted, // the program could not be started; nothing ran
  Ended,      // the program ran and ended; the wait status is known
  StatusLost, // the program ran, but its end could not be observed
};

// How a program that ran ended, from its wait status: its exit status, or 128 plus the number
// of the signal that ended it (as a shell reports it); -1 for a status that says neither.
int exitCodeOf(int waitStatus);

// Runs the executable file at `path` (no shell, no search along PATH; a relative path is taken
// from the caller's working folder at the time of the call) with `argv` (null-terminated, argv[0]
// first) and the caller's environment, in the working folder `workDir` (null: the caller's),
// and waits for it to end, setting `waitStatus` as waitpid reports it. The program shares the
// caller's standard input, output and error and starts with the caller's signal mask, every
// caught signal at its default action, and SIGCHLD at its default action even where the caller
// ignores it.
//
// The program's status is obtained whatever the caller does with SIGCHLD: the program is the
// child of a small watcher process of this call, which waits for it and hands its status back
// through shared memory. The watcher announces its own end with no signal, so a caller that
// ignores SIGCHLD, or collects every ended child in a SIGCHLD handler, neither discards nor
// takes anything this call needs. StatusLost stands for a watcher killed from outside while
// the program ran.
ChildOutcome runChildAndWait(const char* path, const char* workDir, char* const argv[],
                             int& waitStatus);

} // namespace kiv::platform
