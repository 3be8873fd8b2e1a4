#include "platform/files/StagedFile.h"

#include "platform/files/Attributes.h"
#include "platform/files/Identity.h"
#include "platform/files/PathText.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kiv::platform {

namespace {

std::error_code errorOf(int e) { return std::error_code(e, std::generic_category()); }

// The file that writing to `path` really writes: symbolic links followed, a dangling one to the
// target it names. A relative path is taken from the current folder.
bool followLinks(const char* path, std::string& target, std::error_code& ec) {
  std::string p = path;
  if (p[0] != '/') {
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) {
      ec = errorOf(errno);
      return false;
    }
    p = joinPath(cwd, p);
    std::free(cwd);
  }
  for (int hops = 0;; ++hops) {
    struct stat st;
    if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    if (hops == 40) {
      ec = errorOf(ELOOP);
      return false;
    }
    std::vector<char> text(size_t(st.st_size) + PATH_MAX);
    ssize_t n = readlink(p.c_str(), text.data(), text.size() - 1);
    if (n <= 0) {
      ec = errorOf(n < 0 ? errno : ENOENT);
      return false;
    }
    std::string link(text.data(), size_t(n));
    // A relative link starts from the link's own folder, resolved physically later on.
    p = link[0] == '/' ? link : joinPath(folderOf(p, "."), link);
  }
  target = p;
  return true;
}

// The process's file-creation mask, read without changing it.
mode_t currentUmask() {
  mode_t mask = 022;
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned value;
    while (std::fgets(line, sizeof line, status))
      if (std::sscanf(line, "Umask: %o", &value) == 1) mask = mode_t(value) & 0777;
    std::fclose(status);
  }
  return mask;
}

int writeAll(int fd, const char* data, size_t size, off_t at = -1) {
  for (size_t done = 0; done < size;) {
    ssize_t n = at < 0 ? ::write(fd, data + done, size - done)
                       : pwrite(fd, data + done, size - done, at + off_t(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += size_t(n);
  }
  return 0;
}

} // namespace

StagedFile::~StagedFile() { abandon(); }

void StagedFile::abandon() {
  if (gzip_.isOpen()) gzip_.close();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  staged_.abandon();
}

bool StagedFile::fail(const char* step, int error, std::error_code& ec) {
  step_ = step;
  ec = errorOf(error);
  abandon();
  return false;
}

bool StagedFile::open(const char* path, bool compressed, std::error_code& ec) {
  abandon();
  ec.clear();
  writeError_ = 0;
  kept_.clear();
  step_ = "";
  if (!path || !*path) return fail("opening", ENOENT, ec);
  if (path[std::strlen(path) - 1] == '/') return fail("opening", EISDIR, ec);
  std::string target;
  Entry entry;
  if (!followLinks(path, target, ec) || !resolveEntry(target, entry, ec) ||
      !staged_.open(entry, ec))
    return fail("opening", ec.value(), ec);
  path_ = entry.path();
  int dir = staged_.folder();
  const char* name = entry.name.c_str();
  struct stat old;
  if (fstatat(dir, name, &old, AT_SYMLINK_NOFOLLOW) == 0) {
    // Only a file this process may write is replaced: a rename would get round its permissions.
    if (!S_ISREG(old.st_mode)) return fail("opening", S_ISDIR(old.st_mode) ? EISDIR : EINVAL, ec);
    if (faccessat(dir, name, W_OK, AT_EACCESS) != 0) return fail("opening", errno, ec);
  } else if (errno != ENOENT) {
    return fail("opening", errno, ec);
  }
  // A name the file system cannot hold would fail only at the final rename.
  long nameMax = pathconf(entry.folder.c_str(), _PC_NAME_MAX);
  if (nameMax > 0 && entry.name.size() > size_t(nameMax)) return fail("opening", ENAMETOOLONG, ec);

  auto create = [this](int folder, const char* temporary) {
    fd_ = openat(folder, temporary, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    return fd_ < 0 ? errno : 0;
  };
  if (!staged_.stage(create, ec)) return fail("opening", ec.value(), ec);
  if (compressed) {
    if (int e = gzip_.open(fd_)) return fail("opening", e, ec);
  }
  return true;
}

bool StagedFile::write(const char* data, std::size_t size) {
  if (fd_ < 0 || writeError_ != 0) return false;
  writeError_ = gzip_.isOpen() ? gzip_.write(data, size) : writeAll(fd_, data, size);
  if (writeError_ == 0) written_ += size;
  return writeError_ == 0;
}

bool StagedFile::commit(std::error_code& ec) {
  ec.clear();
  kept_.clear();
  if (fd_ < 0) return fail("opening", EBADF, ec);
  if (writeError_ != 0) return fail("writing", writeError_, ec);
  if (gzip_.isOpen()) {
    if (int e = gzip_.close()) return fail("flushing", e, ec);
  }
  // The new content reaches the disk before it replaces the old file, so that even a power loss
  // leaves one whole version.
  if (fsync(fd_) != 0) return fail("flushing", errno, ec);
  if (check_) {
    struct stat stored;
    if (fstat(fd_, &stored) != 0) return fail("checking", errno, ec);
    if (int refused = check_(written_, std::uint64_t(stored.st_size)))
      return fail("checking", refused, ec);
  }

  int dir = staged_.folder();
  const char* name = staged_.destination().name.c_str();
  struct stat old;
  bool replacing = fstatat(dir, name, &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);
  if (replacing && old.st_nlink > 1) return rewriteInPlace(ec);
  if (replacing) {
    copyOwner(fd_, old);
    if (!copyExtendedAttributes(-1, path_.c_str(), fd_, ec))
      return fail("keeping the attributes", ec.value(), ec);
  }
  // Private until now; the old file's permissions come last.
  mode_t mode = replacing ? old.st_mode & 07777 : 0666 & ~currentUmask();
  if (fchmod(fd_, mode) != 0) return fail("keeping the attributes", errno, ec);
  int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) return fail("flushing", errno, ec);
  if (!staged_.commit(StagedReplace::Mode::replaceFile, ec))
    return fail("renaming", ec.value(), ec);
  return true;
}

bool StagedFile::rewriteInPlace(std::error_code& ec) {
  const char* step = "rewriting in place";
  int dir = staged_.folder();
  const char* name = staged_.destination().name.c_str();
  int out = openat(dir, name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (out < 0) return fail(step, errno, ec);
  struct stat now, fresh;
  int e = 0;
  if (fstat(out, &now) != 0 || fstat(fd_, &fresh) != 0)
    e = errno;
  else if (!S_ISREG(now.st_mode))
    e = EINVAL;
  off_t size = fresh.st_size;
  // Room for the whole new content first: a full disk then fails before the old file changes.
  if (!e && size > 0 && fallocate(out, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
      errno != ENOSYS)
    e = errno;
  if (e) {
    close(out);
    return fail(step, e, ec);
  }
  std::vector<char> buffer(size_t(1) << 16);
  for (off_t at = 0; !e && at < size;) {
    ssize_t n = pread(fd_, buffer.data(), buffer.size(), at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      e = n < 0 ? errno : EIO;
      break;
    }
    e = writeAll(out, buffer.data(), size_t(n), at);
    at += n;
  }
  if (!e && ftruncate(out, size) != 0) e = errno;
  if (!e && fsync(out) != 0) e = errno;
  if (close(out) != 0 && !e) e = errno;
  if (e) {
    // The old file is partly rewritten: the temporary file, complete and on the disk, stays as
    // the copy to restore it from.
    step_ = step;
    ec = errorOf(e);
    kept_ = staged_.temporaryPath();
    staged_.release();
    close(fd_);
    fd_ = -1;
    return false;
  }
  abandon(); // the temporary file has served
  return true;
}

} // namespace kiv::platform
