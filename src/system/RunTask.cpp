// Running an executable with five arguments in a working folder, waiting for its end.
#include "detail/Launching.h"

#include "platform/process/ChildProcess.h"

int RunTaskCommand(char* path, char* workDir, char* arg1, char* arg2, char* arg3, char* arg4,
                   char* arg5) {
  if (!path || !*path) return -1;
  char empty[] = "";
  char* argv[] = {path,
                  arg1 ? arg1 : empty,
                  arg2 ? arg2 : empty,
                  arg3 ? arg3 : empty,
                  arg4 ? arg4 : empty,
                  arg5 ? arg5 : empty,
                  nullptr};
  int status = 0;
  switch (kiv::platform::runChildAndWait(path, workDir, argv, status)) {
  case kiv::platform::ChildOutcome::NotStarted:
    return -1;
  case kiv::platform::ChildOutcome::StatusLost:
    return -2;
  case kiv::platform::ChildOutcome::Ended:
    break;
  }
  // A status that tells neither an exit nor a signal counts as lost.
  const int code = kiv::platform::exitCodeOf(status);
  return code < 0 ? -2 : code;
}
