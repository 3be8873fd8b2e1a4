#include "platform/files/Attributes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace kiv::platform {

namespace {

std::error_code lastError() { return std::error_code(errno, std::generic_category()); }

bool required(const std::string& name) {
  return name.rfind("user.", 0) == 0 || name.rfind("system.posix_acl_", 0) == 0;
}

// Reads a whole attribute list or value with `get(buffer, size)`, growing the buffer when the
// value grew between the size query and the read.
template <class Get> bool readAll(Get get, std::vector<char>& out) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    ssize_t n = get(nullptr, 0);
    if (n < 0) return false;
    out.resize(size_t(n));
    if (n == 0) return true;
    n = get(out.data(), out.size());
    if (n >= 0) {
      out.resize(size_t(n));
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

} // namespace

void copyOwner(int to, const struct stat& from) {
  if (fchown(to, from.st_uid, from.st_gid) != 0 && fchown(to, uid_t(-1), from.st_gid) != 0) {
    // Neither is permitted: the object stays the caller's, as a copy by a normal user does.
  }
}

bool copyExtendedAttributes(int fromFd, const char* fromPath, int to, std::error_code& ec) {
  ec.clear();
  std::vector<char> names;
  bool listed = readAll(
      [&](char* buf, size_t size) {
        return fromFd >= 0 ? flistxattr(fromFd, buf, size) : llistxattr(fromPath, buf, size);
      },
      names);
  if (!listed) {
    // A file system without extended attributes has none to copy.
    if (errno == ENOTSUP || errno == ENOENT) return true;
    ec = lastError();
    return false;
  }
  std::vector<char> value;
  for (size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
    std::string name = names.data() + at;
    if (name.empty()) continue;
    bool read = readAll(
        [&](char* buf, size_t size) {
          return fromFd >= 0 ? fgetxattr(fromFd, name.c_str(), buf, size)
                             : lgetxattr(fromPath, name.c_str(), buf, size);
        },
        value);
    if (!read) {
      if (errno == ENODATA) continue; // removed meanwhile
      if (required(name) && errno != EACCES && errno != EPERM) {
        ec = lastError();
        return false;
      }
      continue; // an attribute this process may not read
    }
    if (fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0 && required(name) &&
        errno != ENOTSUP) {
      ec = lastError();
      return false;
    }
  }
  return true;
}

bool copyModeAndTimes(int to, const struct stat& from, bool times, std::error_code& ec) {
  ec.clear();
  if (fchmod(to, from.st_mode & 07777) != 0) {
    ec = lastError();
    return false;
  }
  if (times) {
    struct timespec t[2] = {from.st_atim, from.st_mtim};
    if (futimens(to, t) != 0) {
      ec = lastError();
      return false;
    }
  }
  return true;
}

bool copyEntryMetadata(int dirfd, const char* name, const struct stat& from, std::error_code& ec) {
  ec.clear();
  if (fchownat(dirfd, name, from.st_uid, from.st_gid, AT_SYMLINK_NOFOLLOW) != 0 &&
      fchownat(dirfd, name, uid_t(-1), from.st_gid, AT_SYMLINK_NOFOLLOW) != 0) {
    // Not permitted: the entry stays the caller's.
  }
  if (!S_ISLNK(from.st_mode) && fchmodat(dirfd, name, from.st_mode & 07777, 0) != 0) {
    ec = lastError();
    return false;
  }
  struct timespec t[2] = {from.st_atim, from.st_mtim};
  if (utimensat(dirfd, name, t, AT_SYMLINK_NOFOLLOW) != 0) {
    ec = lastError();
    return false;
  }
  return true;
}

} // namespace kiv::platform
