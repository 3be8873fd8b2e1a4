#include "platform/files/Identity.h"

#include "platform/files/PathText.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiv::platform {

namespace {

std::error_code lastError() { return std::error_code(errno, std::generic_category()); }

FileId fromStatx(const struct statx& sx) {
  FileId id;
  id.device = (std::uint64_t(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
  id.inode = sx.stx_ino;
  if (sx.stx_mask & STATX_BTIME) {
    id.hasBirth = true;
    id.birthSeconds = sx.stx_btime.tv_sec;
    id.birthNanoseconds = sx.stx_btime.tv_nsec;
  }
  return id;
}

bool statxId(int dirfd, const char* name, int flags, FileId& id, std::error_code& ec) {
  struct statx sx;
  if (statx(dirfd, name, flags, STATX_INO | STATX_BTIME, &sx) != 0) {
    ec = lastError();
    return false;
  }
  id = fromStatx(sx);
  return true;
}

// The path's text without trailing separators (the root stays "/").
std::string trimmed(const std::string& path) {
  std::string s = path;
  while (s.size() > 1 && s.back() == '/')
    s.pop_back();
  return s;
}

bool canonical(const std::string& path, std::string& out, std::error_code& ec) {
  char* real = realpath(path.c_str(), nullptr);
  if (!real) {
    ec = lastError();
    return false;
  }
  out = real;
  std::free(real);
  return true;
}

} // namespace

bool sameObject(const FileId& a, const FileId& b) {
  if (a.device != b.device || a.inode != b.inode) return false;
  if (a.hasBirth && b.hasBirth)
    return a.birthSeconds == b.birthSeconds && a.birthNanoseconds == b.birthNanoseconds;
  return true;
}

std::string Entry::path() const { return name.empty() ? folder : joinPath(folder, name); }

bool resolveEntry(const std::string& path, Entry& entry, std::error_code& ec) {
  ec.clear();
  if (path.empty()) {
    ec = std::make_error_code(std::errc::no_such_file_or_directory);
    return false;
  }
  std::string s = trimmed(path);
  std::string last(leafOf(s));
  std::string resolved;
  if (s == "/" || last == "." || last == "..") {
    // The path names a folder reached through "." or "..": resolve it whole, then split.
    if (!canonical(s, resolved, ec)) return false;
    if (resolved == "/") {
      entry = Entry{"/", ""};
      return true;
    }
    entry.folder = folderOf(resolved, "/");
    entry.name = leafOf(resolved);
    return true;
  }
  std::string folder = folderOf(s, ".");
  if (!canonical(folder, resolved, ec)) return false;
  struct stat st;
  if (stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    ec = std::make_error_code(std::errc::not_a_directory);
    return false;
  }
  entry.folder = resolved;
  entry.name = last;
  return true;
}

bool identify(const std::string& path, bool followLast, FileId& id, std::error_code& ec) {
  ec.clear();
  if (followLast) return statxId(AT_FDCWD, path.c_str(), 0, id, ec);
  Entry entry;
  if (!resolveEntry(path, entry, ec)) return false;
  return statxId(AT_FDCWD, entry.path().c_str(), AT_SYMLINK_NOFOLLOW, id, ec);
}

bool identifyAt(int dirfd, const char* name, FileId& id, std::error_code& ec) {
  ec.clear();
  return statxId(dirfd, name, AT_SYMLINK_NOFOLLOW | (*name ? 0 : AT_EMPTY_PATH), id, ec);
}

FileId rootId() {
  FileId id;
  std::error_code ignored;
  statxId(AT_FDCWD, "/", 0, id, ignored);
  return id;
}

bool isSameOrBelow(const std::string& folder, const FileId& outer, std::error_code& ec) {
  ec.clear();
  int fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    ec = lastError();
    return false;
  }
  bool found = false;
  FileId here, up;
  // Climb until a folder is its own parent: the root of this process's view.
  bool ok = statxId(fd, "", AT_EMPTY_PATH, here, ec);
  for (int level = 0; ok && level < PATH_MAX; ++level) {
    if (sameObject(here, outer)) {
      found = true;
      break;
    }
    int parent = openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
      ec = lastError();
      break;
    }
    close(fd);
    fd = parent;
    ok = statxId(fd, "", AT_EMPTY_PATH, up, ec) && !sameObject(up, here);
    here = up;
  }
  close(fd);
  return found;
}

} // namespace kiv::platform
