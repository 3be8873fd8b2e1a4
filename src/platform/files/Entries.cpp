#include "platform/files/Entries.h"

#include <cerrno>
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
}

ObjectKind kindOf(const char* path) {
  struct stat st;
  if (!path || stat(path, &st) != 0) return ObjectKind::none;
  if (S_ISREG(st.st_mode)) return ObjectKind::file;
  if (S_ISDIR(st.st_mode)) return ObjectKind::folder;
  return ObjectKind::other;
}

bool countEntries(const char* path, unsigned& count) {
  count = 0;
  DIR* dir = path ? opendir(path) : nullptr;
  if (!dir) return false;
  errno = 0;
  while (struct dirent* e = readdir(dir)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) ++count;
    errno = 0;
  }
  bool ok = errno == 0;
  closedir(dir);
  if (!ok) count = 0;
  return ok;
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
