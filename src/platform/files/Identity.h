// Which object a path names: identity by device, inode and birth time, never by the text of the
// path. Every file operation of the library decides "same object" and "inside" here.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace kiv::platform {

// What makes an object itself. An inode number may be reused by a later object on the same
// device; its birth time, where the file system records one, tells the two apart.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t birthSeconds = 0;
  std::uint32_t birthNanoseconds = 0;
  bool hasBirth = false;
};

// True when both identities denote one object: same device and inode, and the same birth time
// where both record one.
bool sameObject(const FileId& a, const FileId& b);

// A directory entry named physically: the canonical path of the folder that holds it (every link
// and ".." on the way resolved, a link's ".." being the parent of its target) and its own name.
// The name is kept as written, so a symbolic link in the last place is the entry itself. A path
// that ends in "." or ".." names the folder it reaches; the root folder has an empty name.
struct Entry {
  std::string folder;
  std::string name;
  std::string path() const; // folder + "/" + name, or the folder for the root
};

// Resolves `path` (trailing separators ignored; relative to the current folder) into its entry.
// The entry itself need not exist; its folder must. False with `ec` set otherwise.
bool resolveEntry(const std::string& path, Entry& entry, std::error_code& ec);

// The identity of the object at `path`: the entry itself (a link as a link) when `followLast` is
// false, else what it finally leads to. False with `ec` set when nothing is there.
bool identify(const std::string& path, bool followLast, FileId& id, std::error_code& ec);

// The identity of the entry `name` in the folder open as `dirfd` (a link as a link), or of the
// object open as `dirfd` itself when `name` is empty.
bool identifyAt(int dirfd, const char* name, FileId& id, std::error_code& ec);

// The identity of the root folder of this process.
FileId rootId();

// True when the folder `folder` (a path, followed) is the object `outer` or lies somewhere below
// it, judged by climbing through ".." and comparing identities up to the root.
bool isSameOrBelow(const std::string& folder, const FileId& outer, std::error_code& ec);

} // namespace kiv::platform
