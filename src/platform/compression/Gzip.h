// gzip streams on open file descriptors, through zlib: the writer of compressed files and the
// reader that decompresses what it is given (and passes content that is not gzip unchanged).
#pragma once

#include <cstddef>
#include <memory>

struct gzFile_s;

namespace kiv::platform {

// Closes a stream, flushing what a writer still holds.
struct GzipCloser {
  void operator()(gzFile_s* file) const;
};

class GzipWriter {
public:
  // Starts a stream, compressed for speed, on a copy of the descriptor `fd` (which stays the
  // caller's). 0 or an errno value.
  int open(int fd);
  bool isOpen() const { return file_ != nullptr; }
  // Compresses and appends the bytes. 0 or an errno value.
  int write(const char* data, std::size_t size);
  // Completes the stream and closes the copy. 0 or an errno value (EBADF when none is open).
  int close();

private:
  std::unique_ptr<gzFile_s, GzipCloser> file_;
};

class GzipReader {
public:
  // Reads the file open as `fd`, which the reader takes over and closes, also when it fails.
  bool open(int fd);
  // Up to `size` bytes of the content, decompressed: the number read, 0 at the end, -1 when the
  // file cannot be read or its compressed content is broken.
  int read(char* buffer, unsigned size);
  // True when the content is read as it is stored: it is not gzip.
  bool direct() const;

private:
  std::unique_ptr<gzFile_s, GzipCloser> file_;
};

} // namespace kiv::platform
