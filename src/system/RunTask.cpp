// Running an executable with five arguments in a working folder, waiting for its end.
#include "detail/Launching.h"

#include <cerrno>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  // A missing working folder makes the spawn fail: the program is not run elsewhere.
  if (workDir && posix_spawn_file_actions_addchdir_np(&actions, workDir) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return -1;
  }
  pid_t pid = 0;
  // posix_spawn, not posix_spawnp: the path names the file, no search along PATH.
  int err = posix_spawn(&pid, path, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) return -1;

  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited != pid) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}
