// Walking file trees entry by entry through folder descriptors: checking before anything
// changes, copying with what describes each object, and removing.
#pragma once

#include <system_error>

namespace kiv::platform {

// Checks, before anything changes, the tree of the entry `name` in the folder `dirfd`:
// - with `copy`, that it can be copied: only files, folders, symbolic links and FIFOs (a socket
//   or device gives EOPNOTSUPP), every file readable, every folder readable and searchable;
// - with `remove`, that this process can remove every entry: write and search permission on
//   every folder that holds one, the sticky-bit rule, nothing immutable or append-only, no
//   mount point and never the root folder (EBUSY).
bool checkTree(int dirfd, const char* name, bool copy, bool remove, std::error_code& ec);

// Copies the tree of `srcName` in `srcDir` to the new entry `dstName` in `dstDir`, as an archive
// copy does where the caller is allowed: permissions, owner and group, access and modification
// times, extended attributes; symbolic links stay links, FIFOs are made anew, files linked more
// than once inside the tree stay linked. Folders are created writable and receive their final
// permissions and times once filled. Answers 0 or an errno value; EEXIST when `dstName` was
// taken (nothing created). On any other failure nothing remains under `dstName`.
int copyEntry(int srcDir, const char* srcName, int dstDir, const char* dstName);

// Removes the entry `name` in `dirfd` with everything below it. It never descends into a mount
// point nor removes the root folder. `own` marks a tree this process built: its folders are made
// writable before they are emptied. Stops at the first failure.
bool removeEntry(int dirfd, const char* name, bool own, std::error_code& ec);

} // namespace kiv::platform
