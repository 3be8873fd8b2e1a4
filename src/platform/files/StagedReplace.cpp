#include "platform/files/StagedReplace.h"

#include "platform/files/Trees.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace kiv::platform {

namespace {

std::error_code errorOf(int e) { return std::error_code(e, std::generic_category()); }

// A fresh hidden name for the leaf `leaf`: "." + leaf + "." + a tag + ".tmp".
std::string hiddenName(const std::string& leaf) {
  static std::atomic<unsigned> counter{0};
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  unsigned long tag = static_cast<unsigned long>(now.tv_nsec) ^
                      (static_cast<unsigned long>(counter.fetch_add(1)) << 20) ^
                      (static_cast<unsigned long>(getpid()) << 36);
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%lx.tmp", tag);
  // At most 200 bytes of the leaf keep the name within NAME_MAX.
  return "." + leaf.substr(0, 200) + suffix;
}

bool isFolder(int dirfd, const char* name, bool& exists) {
  struct stat st;
  exists = fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
  return exists && S_ISDIR(st.st_mode);
}

} // namespace

int renameNoReplace(int fromDir, const char* from, int toDir, const char* to) {
  if (renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without the flag: test, then rename.
  struct stat st;
  if (fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  return renameat(fromDir, from, toDir, to) == 0 ? 0 : errno;
}

void syncFolder(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

StagedReplace::~StagedReplace() {
  abandon();
  if (folder_ >= 0) close(folder_);
}

bool StagedReplace::open(const Entry& destination, std::error_code& ec) {
  ec.clear();
  if (destination.name.empty()) {
    ec = errorOf(EBUSY); // the root folder is never replaced
    return false;
  }
  destination_ = destination;
  if (folder_ >= 0) close(folder_);
  folder_ = ::open(destination.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) {
    ec = errorOf(errno);
    return false;
  }
  return true;
}

std::string StagedReplace::temporaryPath() const {
  return Entry{destination_.folder, temporary_}.path();
}

bool StagedReplace::stage(const Builder& build, std::error_code& ec) {
  ec.clear();
  abandon();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = hiddenName(destination_.name);
    int e = build(folder_, name.c_str());
    if (e == EEXIST) continue;
    if (e != 0) {
      ec = errorOf(e);
      return false;
    }
    temporary_ = name;
    staged_ = true;
    return true;
  }
  ec = errorOf(EEXIST);
  return false;
}

bool StagedReplace::commit(Mode mode, std::error_code& ec) {
  ec.clear();
  if (!staged_) {
    ec = errorOf(EINVAL);
    return false;
  }
  const char* name = destination_.name.c_str();
  const char* temp = temporary_.c_str();
  bool staged = false, exists = false;
  bool newIsFolder = isFolder(folder_, temp, staged);
  bool oldIsFolder = isFolder(folder_, name, exists);
  if (!exists || mode == Mode::create) {
    int e = renameNoReplace(folder_, temp, folder_, name);
    if (e != 0) {
      ec = errorOf(e);
      return false;
    }
    staged_ = false;
    syncFolder(destination_.folder);
    return true;
  }
  if (mode == Mode::replaceFile || (!newIsFolder && !oldIsFolder)) {
    // One rename replaces the old object atomically; nothing of it remains to remove.
    if (renameat(folder_, temp, folder_, name) != 0) {
      ec = errorOf(errno);
      return false;
    }
    staged_ = false;
    syncFolder(destination_.folder);
    return true;
  }
  // A folder on either side: exchange the names, so that the old object ends under the
  // temporary name, then remove it.
  std::string oldName = temporary_;
  if (renameat2(folder_, temp, folder_, name, RENAME_EXCHANGE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) {
      ec = errorOf(errno);
      return false;
    }
    // No exchange on this file system: move the old object aside, then the new one in.
    int e = EEXIST;
    for (int attempt = 0; e == EEXIST && attempt < 100; ++attempt)
      e = renameNoReplace(folder_, name, folder_, (oldName = hiddenName(name)).c_str());
    if (e != 0) {
      ec = errorOf(e);
      return false;
    }
    if (renameat(folder_, temp, folder_, name) != 0) {
      ec = errorOf(errno);
      renameat(folder_, oldName.c_str(), folder_, name);
      return false;
    }
  }
  staged_ = false;
  syncFolder(destination_.folder);
  return removeEntry(folder_, oldName.c_str(), false, ec);
}

void StagedReplace::abandon() {
  if (!staged_) return;
  std::error_code ignored;
  removeEntry(folder_, temporary_.c_str(), true, ignored);
  staged_ = false;
}

} // namespace kiv::platform
