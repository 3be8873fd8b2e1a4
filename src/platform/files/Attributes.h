// Carrying what describes an object, beyond its content, from one object to another: owner and
// group, extended attributes (the access control lists among them), permissions and times.
#pragma once

#include <sys/stat.h>
#include <system_error>

namespace kiv::platform {

// Gives `to` the owner and group of `from`, where this process may: a caller that may not give a
// file away still keeps the group when it belongs to it. Never fails.
void copyOwner(int to, const struct stat& from);

// Copies every extended attribute of the source to the open object `to`. The source is the open
// descriptor `fromFd`, or the path `fromPath` (a link there is not followed) when `fromFd` is
// negative. The user attributes and the access control lists must arrive, unless the target's
// file system keeps none; other namespaces are copied where this process may and skipped
// otherwise. False with `ec` set when a required attribute could not be copied.
bool copyExtendedAttributes(int fromFd, const char* fromPath, int to, std::error_code& ec);

// Gives `to` the permission bits of `from` and, when `times` is set, its access and
// modification times.
bool copyModeAndTimes(int to, const struct stat& from, bool times, std::error_code& ec);

// The same for the entry `name` in the folder `dirfd` that cannot be opened (a symbolic link, a
// FIFO): owner where permitted, permission bits (not for a link) and times.
bool copyEntryMetadata(int dirfd, const char* name, const struct stat& from, std::error_code& ec);

} // namespace kiv::platform
