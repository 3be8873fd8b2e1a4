#include "platform/files/Trees.h"

#include "platform/files/Attributes.h"
#include "platform/files/Entries.h"
#include "platform/files/Identity.h"
#include "platform/files/PathText.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kiv::platform {

namespace {

std::error_code errorOf(int e) { return std::error_code(e, std::generic_category()); }

#ifdef STATX_MNT_ID
constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID;
#else
constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_BTIME;
#endif

int statEntry(int dirfd, const char* name, struct statx& sx) {
  int flags = AT_SYMLINK_NOFOLLOW | (*name ? 0 : AT_EMPTY_PATH);
  return statx(dirfd, name, flags, kStatxMask, &sx) == 0 ? 0 : errno;
}

FileId idOf(const struct statx& sx) {
  FileId id;
  id.device = (std::uint64_t(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
  id.inode = sx.stx_ino;
  return id;
}

// True when the folder `inner` is the root of a mount inside `outer`.
bool isMountPoint(const struct statx& outer, const struct statx& inner) {
  if (outer.stx_dev_major != inner.stx_dev_major || outer.stx_dev_minor != inner.stx_dev_minor)
    return true;
#ifdef STATX_MNT_ID
  if ((outer.stx_mask & inner.stx_mask & STATX_MNT_ID) && outer.stx_mnt_id != inner.stx_mnt_id)
    return true;
#endif
  return false;
}

bool isLocked(const struct statx& sx) {
  return (sx.stx_attributes & sx.stx_attributes_mask &
          (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND)) != 0;
}

// The names in the open folder `fd`, without "." and "..".
int listNames(int fd, std::vector<std::string>& names) {
  return forEachEntryName(fd, [&names](const char* name) { names.emplace_back(name); });
}

struct Checker {
  bool copy = false, remove = false;
  uid_t euid = geteuid();
  FileId root = rootId();
};

// Whether this process may remove entries of the folder `fd` (described by `sx`).
int checkHolder(const Checker& c, int fd, const struct statx& sx) {
  if (isLocked(sx)) return EPERM;
  return faccessat(fd, ".", W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

int checkEntry(const Checker& c, int dirfd, const struct statx& holder, const char* name) {
  struct statx sx;
  if (int e = statEntry(dirfd, name, sx)) return e;
  mode_t mode = sx.stx_mode;
  if (c.copy && (S_ISSOCK(mode) || S_ISCHR(mode) || S_ISBLK(mode))) return EOPNOTSUPP;
  if (c.copy && S_ISREG(mode) && faccessat(dirfd, name, R_OK, AT_EACCESS) != 0) return errno;
  if (c.remove) {
    if (isLocked(sx)) return EPERM;
    // In a sticky folder only the owner of the folder or of the entry may remove it.
    if ((holder.stx_mode & S_ISVTX) && c.euid != 0 && c.euid != holder.stx_uid &&
        c.euid != sx.stx_uid)
      return EPERM;
  }
  if (!S_ISDIR(mode)) return 0;
  if (c.remove && (isMountPoint(holder, sx) || sameObject(idOf(sx), c.root))) return EBUSY;
  int fd = openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno;
  std::vector<std::string> names;
  int e = listNames(fd, names);
  if (!e && !names.empty() && c.remove) e = checkHolder(c, fd, sx);
  if (!e && !names.empty() && c.copy && faccessat(fd, ".", X_OK, AT_EACCESS) != 0) e = errno;
  for (size_t i = 0; !e && i < names.size(); ++i)
    e = checkEntry(c, fd, sx, names[i].c_str());
  close(fd);
  return e;
}

struct Copier {
  int rootDir;                                           // where `rel` starts
  std::map<std::pair<dev_t, ino_t>, std::string> linked; // files seen with links
};

int copyIn(Copier& c, int srcDir, const char* srcName, int dstDir, const char* dstName,
           const std::string& rel);

int copyData(int in, int out) {
  bool started = false;
  for (;;) {
    ssize_t n = copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
    if (n == 0) return 0;
    if (n > 0) {
      started = true;
      continue;
    }
    if (errno == EINTR) continue;
    if (started || (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
                    errno != EBADF))
      return errno;
    break; // no in-kernel copy between these two: read and write
  }
  std::vector<char> buffer(size_t(1) << 17);
  for (;;) {
    ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(out, buffer.data() + done, size_t(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return w < 0 ? errno : EIO;
      done += w;
    }
  }
}

int copyFile(Copier& c, const struct stat& st, int srcDir, const char* srcName, int dstDir,
             const char* dstName, const std::string& rel) {
  std::pair<dev_t, ino_t> key(st.st_dev, st.st_ino);
  if (st.st_nlink > 1) {
    auto seen = c.linked.find(key);
    if (seen != c.linked.end())
      return linkat(c.rootDir, seen->second.c_str(), dstDir, dstName, 0) == 0 ? 0 : errno;
  }
  int in = openat(srcDir, srcName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (in < 0) return errno;
  struct stat now;
  if (fstat(in, &now) != 0 || !S_ISREG(now.st_mode) || now.st_ino != st.st_ino) {
    close(in);
    return EAGAIN; // replaced while it was being copied
  }
  int out = openat(dstDir, dstName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (out < 0) {
    int e = errno;
    close(in);
    return e;
  }
  std::error_code ec;
  int e = copyData(in, out);
  if (!e) {
    copyOwner(out, st);
    if (!copyExtendedAttributes(in, nullptr, out, ec) || !copyModeAndTimes(out, st, true, ec))
      e = ec.value();
  }
  if (close(out) != 0 && !e) e = errno;
  close(in);
  if (e) {
    unlinkat(dstDir, dstName, 0);
    return e;
  }
  if (st.st_nlink > 1) c.linked[key] = rel;
  return 0;
}

int copyFolder(Copier& c, const struct stat& st, int srcDir, const char* srcName, int dstDir,
               const char* dstName, const std::string& rel) {
  // Writable while it is filled; its own permissions come last.
  if (mkdirat(dstDir, dstName, 0700) != 0) return errno;
  int e = 0;
  int in = openat(srcDir, srcName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) e = errno;
  int out = openat(dstDir, dstName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (out < 0 && !e) e = errno;
  std::vector<std::string> names;
  if (!e) e = listNames(in, names);
  for (size_t i = 0; !e && i < names.size(); ++i)
    e = copyIn(c, in, names[i].c_str(), out, names[i].c_str(), joinPath(rel, names[i]));
  std::error_code ec;
  if (!e) {
    copyOwner(out, st);
    if (!copyExtendedAttributes(in, nullptr, out, ec) || !copyModeAndTimes(out, st, true, ec))
      e = ec.value();
  }
  if (in >= 0) close(in);
  if (out >= 0) close(out);
  if (e) {
    removeEntry(dstDir, dstName, true, ec);
    if (e == EEXIST) e = EIO; // EEXIST is kept for a name taken at the top
  }
  return e;
}

int copyLink(const struct stat& st, int srcDir, const char* srcName, int dstDir,
             const char* dstName) {
  std::vector<char> target(size_t(st.st_size) + 2);
  for (;;) {
    ssize_t n = readlinkat(srcDir, srcName, target.data(), target.size());
    if (n < 0) return errno;
    if (size_t(n) < target.size()) {
      target[size_t(n)] = 0;
      break;
    }
    target.resize(target.size() * 2);
  }
  if (symlinkat(target.data(), dstDir, dstName) != 0) return errno;
  std::error_code ec;
  if (!copyEntryMetadata(dstDir, dstName, st, ec)) {
    unlinkat(dstDir, dstName, 0);
    return ec.value();
  }
  return 0;
}

int copyFifo(const struct stat& st, int dstDir, const char* dstName) {
  if (mkfifoat(dstDir, dstName, 0600) != 0) return errno;
  std::error_code ec;
  if (!copyEntryMetadata(dstDir, dstName, st, ec)) {
    unlinkat(dstDir, dstName, 0);
    return ec.value();
  }
  return 0;
}

int copyIn(Copier& c, int srcDir, const char* srcName, int dstDir, const char* dstName,
           const std::string& rel) {
  struct stat st;
  if (fstatat(srcDir, srcName, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  switch (st.st_mode & S_IFMT) {
  case S_IFREG:
    return copyFile(c, st, srcDir, srcName, dstDir, dstName, rel);
  case S_IFDIR:
    return copyFolder(c, st, srcDir, srcName, dstDir, dstName, rel);
  case S_IFLNK:
    return copyLink(st, srcDir, srcName, dstDir, dstName);
  case S_IFIFO:
    return copyFifo(st, dstDir, dstName);
  default:
    return EOPNOTSUPP; // sockets and devices are not copied
  }
}

int removeIn(int dirfd, const char* name, bool own, const FileId& root) {
  struct statx sx;
  if (int e = statEntry(dirfd, name, sx)) return e;
  if (!S_ISDIR(sx.stx_mode)) return unlinkat(dirfd, name, 0) == 0 ? 0 : errno;
  struct statx holder;
  if (int e = statEntry(dirfd, "", holder)) return e;
  // The contents of another mount, or the root folder reached through a bind mount, are not
  // this tree's to remove.
  if (isMountPoint(holder, sx) || sameObject(idOf(sx), root)) return EBUSY;
  if (own) fchmodat(dirfd, name, 0700, 0);
  int fd = openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno;
  std::vector<std::string> names;
  int e = listNames(fd, names);
  for (size_t i = 0; !e && i < names.size(); ++i)
    e = removeIn(fd, names[i].c_str(), own, root);
  close(fd);
  if (e) return e;
  return unlinkat(dirfd, name, AT_REMOVEDIR) == 0 ? 0 : errno;
}

} // namespace

bool checkTree(int dirfd, const char* name, bool copy, bool remove, std::error_code& ec) {
  ec.clear();
  Checker c;
  c.copy = copy;
  c.remove = remove;
  struct statx holder;
  int e = statEntry(dirfd, "", holder);
  if (!e && remove) e = checkHolder(c, dirfd, holder);
  if (!e) e = checkEntry(c, dirfd, holder, name);
  if (e) ec = errorOf(e);
  return !e;
}

int copyEntry(int srcDir, const char* srcName, int dstDir, const char* dstName) {
  Copier c{dstDir, {}};
  return copyIn(c, srcDir, srcName, dstDir, dstName, dstName);
}

bool removeEntry(int dirfd, const char* name, bool own, std::error_code& ec) {
  ec.clear();
  int e = removeIn(dirfd, name, own, rootId());
  if (e) ec = errorOf(e);
  return !e;
}

} // namespace kiv::platform
