// The one way the library puts a new object where another may stand. The new object is built
// complete under a hidden temporary name in the destination's folder; it is put in place by one
// rename (or, when a folder is on either side, by exchanging the two names), and only then is
// the old object removed. Until the commit the destination is untouched, and a staged object
// that is not committed is removed again: a failure at any step leaves no temporary behind.
#pragma once

#include "platform/files/Identity.h"

#include <functional>
#include <string>
#include <system_error>

namespace kiv::platform {

class StagedReplace {
public:
  StagedReplace() = default;
  ~StagedReplace();
  StagedReplace(const StagedReplace&) = delete;
  StagedReplace& operator=(const StagedReplace&) = delete;

  // Binds to the entry that the new object will become; its folder must exist.
  bool open(const Entry& destination, std::error_code& ec);

  // Builds the new object. `build` is called with the destination's folder (a descriptor) and a
  // fresh hidden name, and answers 0 or an errno value. EEXIST, with nothing created, asks for
  // another name; any other failure must leave nothing under the name.
  using Builder = std::function<int(int folder, const char* name)>;
  bool stage(const Builder& build, std::error_code& ec);

  // How the staged object may take the destination's place.
  enum class Mode {
    create,      // only where nothing is: an existing destination is refused with EEXIST
    replace,     // whatever is there is replaced, a folder too
    replaceFile, // by one rename, which refuses to replace a folder
  };

  // Puts the staged object in place and removes the object it replaces. When putting in place
  // fails, the staged object is still there (the caller may take it back) and the destination is as
  // it was; when only the removal of the old object fails, the new one is in place and the failure
  // is reported.
  bool commit(Mode mode, std::error_code& ec);

  // Removes the staged object, if any.
  void abandon();

  // Forgets the staged object without removing it (it was moved away or is to be kept).
  void release() { staged_ = false; }

  int folder() const { return folder_; }
  const Entry& destination() const { return destination_; }
  const std::string& temporaryName() const { return temporary_; }
  std::string temporaryPath() const;

private:
  Entry destination_;
  int folder_ = -1;
  std::string temporary_;
  bool staged_ = false;
};

// Renames `from` in `fromDir` to `to` in `toDir` unless an object of that name exists (EEXIST).
int renameNoReplace(int fromDir, const char* from, int toDir, const char* to);

// Waits until the entries of the folder at `path` are on the disk (best effort).
void syncFolder(const std::string& path);

} // namespace kiv::platform
