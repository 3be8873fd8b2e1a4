// A file written anew as one stream and then put in place of the file it replaces, through the
// staged replacement: the old file stays exactly as it was until the new content is complete
// and on the disk, and stays so when anything fails.
#pragma once

#include "platform/compression/Gzip.h"
#include "platform/files/StagedReplace.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

namespace kiv::platform {

class StagedFile {
public:
  StagedFile() = default;
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Prepares the new content of the file that `path` names: a symbolic link is followed to its
  // target, which a dangling link gets created; a relative path is fixed against the current
  // folder now. The content goes to a private temporary file (mode 0600) in the same folder,
  // through a gzip stream when `compressed`. False with `ec` when no file can be written there:
  // a missing folder, a folder, device or FIFO at the path, a file this process may not write,
  // a name too long for the file system.
  bool open(const char* path, bool compressed, std::error_code& ec);

  // Appends to the new content. False once any write has failed.
  bool write(const char* data, std::size_t size);

  // A last test of the complete content before it takes the old file's place: called by commit
  // with the bytes written and the bytes stored (fewer when compressed); a non-zero errno value
  // refuses the content, which then fails the commit at the step "checking".
  using ContentCheck = std::function<int(std::uint64_t written, std::uint64_t stored)>;
  void setContentCheck(ContentCheck check) { check_ = std::move(check); }

  // Completes the new content, waits until it is on the disk and puts it in place. A file that
  // is replaced passes on its owner and group (where permitted), its extended attributes and
  // access control list, and its permissions, which the new file receives last, just before it
  // takes the old one's place; a new file gets 0666 less the umask. A file with more than one
  // link is rewritten in place once the complete new content is on the disk, so that all its
  // names show it. False with `ec` on failure; `failedStep()` then says where. The old file is
  // kept, except when the in-place rewrite itself failed: the temporary file, holding the whole
  // new content, is then kept as `keptCopy()` to restore from.
  bool commit(std::error_code& ec);

  // Drops the new content; the old file stays.
  void abandon();

  const std::string& path() const { return path_; }
  const char* failedStep() const { return step_; }
  const std::string& keptCopy() const { return kept_; }

private:
  bool fail(const char* step, int error, std::error_code& ec);
  bool rewriteInPlace(std::error_code& ec);

  StagedReplace staged_;
  std::string path_;
  std::string kept_;
  int fd_ = -1;
  GzipWriter gzip_;
  int writeError_ = 0;
  std::uint64_t written_ = 0;
  ContentCheck check_;
  const char* step_ = "";
};

} // namespace kiv::platform
