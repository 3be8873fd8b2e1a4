// Small questions and changes about single objects by path: what is there, the entries of a
// folder, reading a regular file without blocking, an empty file, the colour label attribute.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kiv::platform {

enum class ObjectKind { none, file, folder, other };

// What `path` leads to (links followed): nothing, a regular file, a folder, or anything else.
ObjectKind kindOf(const char* path);

// True when `path` leads to a regular file that someone may execute.
bool isExecutableFile(const char* path);

// The text of the symbolic link at `path`; empty when it is no link or cannot be read.
std::string linkTarget(const char* path);

// Calls `visit` with the name of each entry of the folder open as `fd`, without "." and "..".
// 0, or an errno value when the folder cannot be listed whole.
int forEachEntryName(int fd, const std::function<void(const char* name)>& visit);

// The number of entries directly inside the folder, without "." and ".."; false when it cannot
// be listed whole.
bool countEntries(const char* path, unsigned& count);

// What tells one state of a file from another: two stamps are equal while the same file keeps
// its size and its modification and status-change times.
struct FileStamp {
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t modified = 0, changed = 0; // nanoseconds since 1970
  bool operator==(const FileStamp& other) const;
};

// Opens the regular file at `path` for reading without waiting on it: a FIFO or a device never
// blocks the call, and what is opened is checked again through its descriptor, whatever
// replaced the name meanwhile. The descriptor (for closeFile) with the file's stamp, or -1:
// `exists` then tells whether anything was at the path.
int openRegularFile(const char* path, FileStamp& stamp, bool& exists);
void closeFile(int fd);

// The stamp of the regular file at `path`; false when nothing or something else is there.
bool regularFileStamp(const char* path, FileStamp& stamp);

// The whole content of the regular file at `path`, read as openRegularFile opens it, with the
// stamp of what was read; false when it cannot be read or holds more than `maxBytes` bytes.
bool readRegularFile(const char* path, std::size_t maxBytes, std::string& bytes, FileStamp& stamp);

// Makes the regular file at `path` empty, creating it when nothing is there (0666 less the
// umask). An existing object that is not a regular file (a folder, a FIFO, a device) is refused
// at once without being opened, so that nothing blocks. 0 or an errno value.
int truncateOrCreateFile(const char* path);

// Sets the colour label attribute of `path` to the decimal text of `label`; 0 removes it.
void setLabelAttribute(const char* path, int label);

} // namespace kiv::platform
