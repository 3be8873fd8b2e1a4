#include "platform/files/Transfer.h"

#include "platform/files/Identity.h"
#include "platform/files/PathText.h"
#include "platform/files/StagedReplace.h"
#include "platform/files/Trees.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiv::platform {

namespace {

std::error_code errorOf(int e) { return std::error_code(e, std::generic_category()); }

// A folder descriptor that closes itself.
struct Folder {
  int fd = -1;
  explicit Folder(const std::string& path)
      : fd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}
  ~Folder() {
    if (fd >= 0) close(fd);
  }
};

// The entry `name` of `dirfd`: its mode and identity, or false when nothing is there.
bool examine(int dirfd, const std::string& name, mode_t& mode, FileId& id, std::error_code& ec) {
  struct stat st;
  const char* n = name.empty() ? "" : name.c_str();
  if (fstatat(dirfd, n, &st, AT_SYMLINK_NOFOLLOW | (name.empty() ? AT_EMPTY_PATH : 0)) != 0) {
    ec = errorOf(errno);
    return false;
  }
  mode = st.st_mode;
  return identifyAt(dirfd, n, id, ec);
}

// True when the source link leads to the destination or to something inside it, so that
// putting the link in the destination's place would destroy what it names.
bool linkLeadsInto(const Entry& link, const FileId& dst, bool dstIsFolder) {
  std::error_code ec;
  FileId target;
  if (!identify(link.path(), true, target, ec)) return false; // a dangling link names nothing
  if (sameObject(target, dst)) return true;
  if (!dstIsFolder) return false;
  char* real = realpath(link.path().c_str(), nullptr);
  if (!real) return false;
  std::string resolved = real;
  std::free(real);
  return isSameOrBelow(folderOf(resolved, "/"), dst, ec);
}

// Copies the source tree under a hidden name beside the destination and puts it in place.
bool stagedCopy(StagedReplace& staged, int fromDir, const std::string& fromName,
                StagedReplace::Mode mode, std::error_code& ec) {
  if (!checkTree(fromDir, fromName.c_str(), true, false, ec)) return false;
  auto build = [&](int folder, const char* name) {
    return copyEntry(fromDir, fromName.c_str(), folder, name);
  };
  if (!staged.stage(build, ec)) return false;
  if (!staged.commit(mode, ec)) {
    staged.abandon();
    return false;
  }
  return true;
}

} // namespace

void transferObject(const std::string& source, const std::string& destination, bool move,
                    bool replace, std::error_code& ec) {
  ec.clear();
  Entry from, to;
  if (!resolveEntry(source, from, ec) || !resolveEntry(destination, to, ec)) return;
  Folder fromDir(from.folder), toDir(to.folder);
  if (fromDir.fd < 0 || toDir.fd < 0) {
    ec = errorOf(errno);
    return;
  }
  mode_t srcMode = 0, dstMode = 0;
  FileId src, dst;
  if (!examine(fromDir.fd, from.name, srcMode, src, ec)) return;
  std::error_code missing;
  bool exists = examine(toDir.fd, to.name, dstMode, dst, missing);
  if (!exists && missing != std::errc::no_such_file_or_directory) {
    ec = missing;
    return;
  }
  if (exists && sameObject(src, dst)) return; // already where it should be

  // Nothing may go inside itself, and replacing the destination must not remove the source.
  bool dstIsFolder = exists && S_ISDIR(dstMode);
  if (from.name.empty() || to.name.empty() ||
      (S_ISDIR(srcMode) && isSameOrBelow(to.folder, src, ec)) ||
      (dstIsFolder && isSameOrBelow(from.folder, dst, ec)) ||
      (exists && S_ISLNK(srcMode) && linkLeadsInto(from, dst, dstIsFolder))) {
    ec = errorOf(EINVAL);
    return;
  }
  ec.clear();
  if (exists && !replace) {
    ec = errorOf(EEXIST);
    return;
  }
  // The old destination goes only after the new object is in place, and then it must go whole.
  if (dstIsFolder && !checkTree(toDir.fd, to.name.c_str(), false, true, ec)) return;

  StagedReplace staged;
  if (!staged.open(to, ec)) return;
  auto mode = replace ? StagedReplace::Mode::replace : StagedReplace::Mode::create;
  if (!move) {
    stagedCopy(staged, fromDir.fd, from.name, mode, ec);
    return;
  }

  // On one file system a move is a rename: straight to the destination when it is free, else
  // under a hidden name beside it first, so that the old object is replaced like any other.
  int e;
  if (!exists) {
    e = renameNoReplace(fromDir.fd, from.name.c_str(), toDir.fd, to.name.c_str());
    if (e == 0) {
      syncFolder(to.folder);
      return;
    }
  } else {
    auto build = [&](int folder, const char* name) {
      return renameNoReplace(fromDir.fd, from.name.c_str(), folder, name);
    };
    e = staged.stage(build, ec) ? 0 : ec.value();
    if (e == 0) {
      if (!staged.commit(mode, ec)) {
        // Back to where it came from. The staged object is the caller's source: it is never
        // removed, even where it cannot go back.
        renameNoReplace(toDir.fd, staged.temporaryName().c_str(), fromDir.fd, from.name.c_str());
        staged.release();
      }
      return;
    }
  }
  if (e != EXDEV) {
    ec = errorOf(e);
    return;
  }
  // Across file systems: copy, then remove the source. Every entry of the source must be
  // removable first, so that no failure and retry can leave a file in neither place.
  if (!checkTree(fromDir.fd, from.name.c_str(), false, true, ec)) return;
  if (!stagedCopy(staged, fromDir.fd, from.name, mode, ec)) return;
  if (removeEntry(fromDir.fd, from.name.c_str(), false, ec)) syncFolder(from.folder);
}

void removeObject(const std::string& path, std::error_code& ec) {
  ec.clear();
  Entry entry;
  if (!resolveEntry(path, entry, ec)) return;
  FileId id;
  mode_t mode;
  Folder dir(entry.folder);
  if (dir.fd < 0) {
    ec = errorOf(errno);
    return;
  }
  if (!examine(dir.fd, entry.name, mode, id, ec)) return;
  if (entry.name.empty() || sameObject(id, rootId())) {
    ec = errorOf(EPERM); // the root folder, however it is spelled
    return;
  }
  if (!checkTree(dir.fd, entry.name.c_str(), false, true, ec)) return;
  if (removeEntry(dir.fd, entry.name.c_str(), false, ec)) syncFolder(entry.folder);
}

} // namespace kiv::platform
