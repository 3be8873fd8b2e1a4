#include "platform/files/Entries.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kiv::platform {

namespace {

const char kLabelAttribute[] = "user.kiv.label";

FileStamp stampOf(const struct stat& st) {
  FileStamp stamp;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = std::uint64_t(st.st_size);
  stamp.modified = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.changed = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return stamp;
}

} // namespace

bool FileStamp::operator==(const FileStamp& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         modified == other.modified && changed == other.changed;
}

ObjectKind kindOf(const char* path) {
  struct stat st;
  if (!path || stat(path, &st) != 0) return ObjectKind::none;
  if (S_ISREG(st.st_mode)) return ObjectKind::file;
  if (S_ISDIR(st.st_mode)) return ObjectKind::folder;
  return ObjectKind::other;
}

bool isExecutableFile(const char* path) {
  struct stat st;
  return path && stat(path, &st) == 0 && S_ISREG(st.st_mode) &&
         (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

std::string linkTarget(const char* path) {
  std::string target(PATH_MAX, '\0');
  ssize_t n = path ? readlink(path, target.data(), target.size()) : -1;
  if (n <= 0 || size_t(n) >= target.size()) return std::string();
  target.resize(size_t(n));
  return target;
}

int forEachEntryName(int fd, const std::function<void(const char* name)>& visit) {
  // The listing reads through its own descriptor, which closedir closes.
  int copy = dup(fd);
  if (copy < 0) return errno;
  DIR* dir = fdopendir(copy);
  if (!dir) {
    int e = errno;
    close(copy);
    return e;
  }
  errno = 0;
  while (struct dirent* d = readdir(dir)) {
    if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0) visit(d->d_name);
    errno = 0;
  }
  int e = errno;
  closedir(dir);
  return e;
}

bool countEntries(const char* path, unsigned& count) {
  count = 0;
  int fd = path ? open(path, O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC) : -1;
  if (fd < 0) return false;
  unsigned n = 0;
  bool ok = forEachEntryName(fd, [&n](const char*) { ++n; }) == 0;
  close(fd);
  if (ok) count = n;
  return ok;
}

int openRegularFile(const char* path, FileStamp& stamp, bool& exists) {
  struct stat st;
  exists = path && *path && stat(path, &st) == 0;
  if (!exists || !S_ISREG(st.st_mode)) return -1;
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  stamp = stampOf(st);
  return fd;
}

void closeFile(int fd) {
  if (fd >= 0) close(fd);
}

bool regularFileStamp(const char* path, FileStamp& stamp) {
  struct stat st;
  if (!path || stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  stamp = stampOf(st);
  return true;
}

bool readRegularFile(const char* path, std::size_t maxBytes, std::string& bytes, FileStamp& stamp) {
  bool exists = false;
  int fd = openRegularFile(path, stamp, exists);
  if (fd < 0) return false;
  bool read = stamp.size <= maxBytes;
  if (read) {
    bytes.resize(size_t(stamp.size));
    for (size_t done = 0; read && done < bytes.size();) {
      ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      read = n > 0;
      if (read) done += size_t(n);
    }
  }
  close(fd);
  return read;
}

int truncateOrCreateFile(const char* path) {
  if (!path || !*path) return EINVAL;
  struct stat st;
  if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  // Without blocking even if a FIFO took the file's place meanwhile; checked again once open.
  int fd = open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  int e = 0;
  if (fstat(fd, &st) != 0)
    e = errno;
  else if (!S_ISREG(st.st_mode))
    e = EINVAL;
  else if (ftruncate(fd, 0) != 0)
    e = errno;
  if (close(fd) != 0 && !e) e = errno;
  return e;
}

void setLabelAttribute(const char* path, int label) {
  if (!path) return;
  if (label == 0) {
    removexattr(path, kLabelAttribute);
    return;
  }
  std::string value = std::to_string(label);
  setxattr(path, kLabelAttribute, value.data(), value.size(), 0);
}

} // namespace kiv::platform
