// What the fuzz targets share: a check that names the broken promise, exactly-sized heap
// destinations, and a private scratch folder.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace kivfuzz {

// A broken promise is a finding: say which one, then abort so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "\nFUZZ CHECK FAILED at %s:%d: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
  do {                                                                                             \
    if (!(condition)) ::kivfuzz::fail(#condition, __FILE__, __LINE__);                             \
  } while (0)

// Whether a result code is one of a call's documented codes.
inline bool oneOf(int code, std::initializer_list<int> codes) {
  for (int c : codes)
    if (code == c) return true;
  return false;
}

// A heap block of exactly `room` elements, filled with a marker: the address sanitizer reports
// any write or read past it. A room of 0 is a block of 0 bytes, which no access may touch.
template <typename T> class Room {
public:
  explicit Room(size_t room, T fill = T(0x5A)) : data_(new T[room > 0 ? room : 0]), size_(room) {
    for (size_t i = 0; i < room; ++i)
      data_[i] = fill;
  }
  ~Room() { delete[] data_; }
  Room(const Room&) = delete;
  Room& operator=(const Room&) = delete;
  T* data() { return data_; }
  const T* data() const { return data_; }
  size_t size() const { return size_; }
  T& operator[](size_t i) { return data_[i]; }

  // The C string the room holds; it must be terminated inside the room.
  std::string cString() const {
    size_t n = 0;
    while (n < size_ && data_[n] != 0)
      ++n;
    FUZZ_CHECK(n < size_);
    return std::string(reinterpret_cast<const char*>(data_), n);
  }

private:
  T* data_;
  size_t size_;
};

// A Pascal string of the given bytes (at most 255 of them) in a block of exactly its size.
inline std::vector<unsigned char> pascal(const std::string& bytes) {
  const size_t n = bytes.size() < 255 ? bytes.size() : 255;
  std::vector<unsigned char> p(1 + n);
  p[0] = static_cast<unsigned char>(n);
  std::memcpy(p.data() + 1, bytes.data(), n);
  return p;
}

// A folder of this process's own below $TMPDIR (or /tmp), made on first use and removed with
// everything in it when the process ends.
inline const std::filesystem::path& scratchFolder() {
  // Never destroyed, so that the removal at exit still finds it.
  static const std::filesystem::path* folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    auto* p =
        new std::filesystem::path(std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") +
                                  "/kiv-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(*p);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(scratchFolder(), ec);
    });
    return p;
  }();
  return *folder;
}

// Writes a whole file; false when it cannot be written.
inline bool writeFile(const std::filesystem::path& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

} // namespace kivfuzz
