#include "platform/compression/Gzip.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace kiv::platform {

void GzipCloser::operator()(gzFile_s* file) const { gzclose(file); }

int GzipWriter::open(int fd) {
  if (file_) return EBUSY;
  // The stream writes to its own copy of the descriptor: no name ever reaches it.
  int copy = dup(fd);
  if (copy < 0) return errno;
  file_.reset(gzdopen(copy, "wb1"));
  if (!file_) {
    ::close(copy);
    return ENOMEM;
  }
  return 0;
}

int GzipWriter::write(const char* data, std::size_t size) {
  if (!file_) return EBADF;
  for (std::size_t done = 0; done < size;) {
    unsigned chunk = unsigned(std::min<std::size_t>(size - done, 1u << 30));
    errno = 0;
    if (gzwrite(file_.get(), data + done, chunk) == 0) {
      int code = Z_OK;
      gzerror(file_.get(), &code);
      return code == Z_ERRNO && errno != 0 ? errno : EIO;
    }
    done += chunk;
  }
  return 0;
}

int GzipWriter::close() {
  if (!file_) return EBADF;
  errno = 0;
  int result = gzclose(file_.release());
  if (result == Z_OK) return 0;
  return result == Z_ERRNO && errno ? errno : EIO;
}

bool GzipReader::open(int fd) {
  file_.reset(gzdopen(fd, "rb"));
  if (!file_) ::close(fd);
  return file_ != nullptr;
}

int GzipReader::read(char* buffer, unsigned size) {
  if (!file_) return -1;
  int n = gzread(file_.get(), buffer, size);
  return n < 0 ? -1 : n;
}

bool GzipReader::direct() const { return file_ && gzdirect(file_.get()); }

} // namespace kiv::platform
