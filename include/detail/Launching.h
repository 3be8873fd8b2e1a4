/// \file
/// Opening URLs, launching desktop applications and running executables. Compiles as C++11.
#ifndef KIV_DETAIL_LAUNCHING_H
#define KIV_DETAIL_LAUNCHING_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// Opens the URL (ASCII text, taken as it is) in the user's preferred application for its
/// scheme, and returns without waiting; the application receives the URL unchanged. Text that is
/// not a URL with a scheme (blanks, control characters or bytes outside ASCII in it) opens nothing.
/// Nothing is reported.
KIV_API void OpenURL(const char* url);

/// Starts a desktop application and returns without waiting. name is UTF-8: a desktop-file id
/// ("org.example.Editor" or "org.example.Editor.desktop"), an application's name as its desktop
/// entry shows it (compared without regard to case), the path of a .desktop file, the path of an
/// application bundle (`<Name>.app`) or the path of an executable. A path is used exactly as
/// given: whatever it holds ("%", quotes, blanks, "$", backslashes) names the program that is
/// run, and nothing in it is read as part of a command line. Nothing is reported; an unknown
/// name starts nothing.
KIV_API void LaunchApplication(const char* name);

/// Runs the executable at path (no shell, no search along PATH; a relative path is taken from
/// the caller's working folder at the time of the call, not from workDir) with exactly five
/// arguments, in the working folder workDir, waits for it to end and returns its exit status.
/// The child shares the caller's standard input, output and error. A null argument is passed as
/// an empty one; a null workDir keeps the caller's working folder.
///
/// Returns -1 when the program cannot be started (no such file, not executable, the working
/// folder missing or not enterable, null path): nothing has run then. A child ended by a signal
/// returns 128 plus the signal's number, as a shell reports it. The status is obtained even when
/// the caller ignores SIGCHLD or collects every ended child (a SIGCHLD handler, a thread waiting
/// for any child): a helper process of the call, which ends with no signal, waits for the
/// program and passes its status on. The program starts with SIGCHLD at its default action.
/// Should the status of a program that ran still be lost (the helper killed from outside), the
/// result is -2, never -1.
KIV_API int RunTaskCommand(char* path, char* workDir, char* arg1, char* arg2, char* arg3,
                           char* arg4, char* arg5);

/// @}

#endif
