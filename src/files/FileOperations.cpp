// The user's standard folders and the user-level file operations: copy, move and remove of
// files and folder trees, counting entries, opening with the default application and the
// colour label.
#include "detail/FileOperations.h"

#include "detail/Console.h"
#include "platform/files/Trees.h"
#include "platform/files/UserFolders.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/xattr.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const char kLabelAttribute[] = "user.kiv.label";

short copyFolderPath(const std::string& path, char* destination, short maxLen) {
  if (!destination || maxLen < 0) return -1;
  destination[0] = 0;
  // A UTF-8 text never has fewer bytes than UTF-16 units, so this one test covers both the
  // character limit and the room of maxLen + 1 bytes.
  if (path.size() > size_t(maxLen)) return -1;
  std::memcpy(destination, path.c_str(), path.size() + 1);
  return 0;
}

std::string quoted(const char* s) { return s ? "\"" + std::string(s) + "\"" : "(null)"; }

// The two console lines of a failed operation: the error, then its details.
void report(const char* operation, const char* source, const char* destination,
            const std::error_code& ec) {
  std::string message = ec.message();
  std::string first = std::string(operation) + " failed: " + message + " (error " +
                      std::to_string(ec.value()) + ")";
  std::string second = std::string("{operation = ") + operation;
  if (destination) {
    second += "; source = " + quoted(source) + "; destination = " + quoted(destination);
  } else {
    second += "; path = " + quoted(source);
  }
  second += "; reason = \"" + message + "\"}";
  __SendToConsole(first.c_str());
  __SendToConsole(second.c_str());
}

std::error_code errorOf(std::errc e) { return std::make_error_code(e); }

// The path without trailing separators (the root stays "/").
std::string trimmed(const char* path) {
  std::string s = path;
  while (s.size() > 1 && s.back() == '/')
    s.pop_back();
  return s;
}

// A key that names the directory entry itself: folders on the way resolved, the last component
// kept as written (a symbolic link there is the entry, not its target).
fs::path entryKey(const fs::path& p) {
  std::error_code ec;
  fs::path abs = fs::absolute(p, ec).lexically_normal();
  if (ec) return p.lexically_normal();
  fs::path parent = fs::weakly_canonical(abs.parent_path(), ec);
  if (ec) parent = abs.parent_path().lexically_normal();
  if (!abs.has_filename()) return parent;
  return parent / abs.filename();
}

// True when `inner` lies strictly below `outer`.
bool isBelow(const fs::path& inner, const fs::path& outer) {
  auto o = outer.begin(), i = inner.begin();
  for (; o != outer.end(); ++o, ++i) {
    if (i == inner.end() || *i != *o) return false;
  }
  return i != inner.end();
}

bool entryExists(const fs::path& p) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(p, ec));
}

short transfer(bool move, const char* source, const char* destination) {
  const char* operation = move ? "move" : "copy";
  if (!source || !destination || !*source || !*destination) {
    report(operation, source, destination, errorOf(std::errc::invalid_argument));
    return -1;
  }
  fs::path from = trimmed(source), to = trimmed(destination);
  fs::path fromKey = entryKey(from), toKey = entryKey(to);

  if (fromKey == toKey) {
    // The object is already where it should be; replacing it would destroy it.
    if (entryExists(from)) return 0;
    report(operation, source, destination, errorOf(std::errc::no_such_file_or_directory));
    return -1;
  }
  // Removing the destination must not remove the source, nor what a source link points to, and
  // a folder cannot go inside itself.
  std::error_code linkError;
  fs::path target = fs::is_symlink(fs::symlink_status(from, linkError))
                        ? fs::weakly_canonical(fs::absolute(from), linkError)
                        : fromKey;
  if (isBelow(fromKey, toKey) || isBelow(toKey, fromKey) || target == toKey ||
      isBelow(target, toKey)) {
    report(operation, source, destination, errorOf(std::errc::invalid_argument));
    return -1;
  }

  std::error_code ec;
  if (entryExists(to)) {
    fs::remove_all(to, ec);
    if (ec) {
      report(operation, source, destination, ec);
      return -1;
    }
  }
  if (move)
    kiv::platform::moveTree(from, to, ec);
  else
    kiv::platform::copyTree(from, to, ec);
  if (ec) {
    report(operation, source, destination, ec);
    return -1;
  }
  return 0;
}

} // namespace

short GetDocumentsPath(char* destination, short maxLen) {
  return copyFolderPath(kiv::platform::documentsFolder(), destination, maxLen);
}

short GetAppSupportPath(char* destination, short maxLen) {
  return copyFolderPath(kiv::platform::dataHome(), destination, maxLen);
}

short GetUserPrefsPath(char* destination, short maxLen) {
  return copyFolderPath(kiv::platform::configHome(), destination, maxLen);
}

short doCopyObject(char* source, char* destination) { return transfer(false, source, destination); }

short doMoveObject(const char* source, const char* destination) {
  return transfer(true, source, destination);
}

short doRemoveObject(const char* path) {
  if (!path || !*path) {
    report("remove", path, nullptr, errorOf(std::errc::invalid_argument));
    return -1;
  }
  fs::path target = trimmed(path);
  if (entryKey(target) == fs::path("/")) {
    report("remove", path, nullptr, errorOf(std::errc::operation_not_permitted));
    return -1;
  }
  if (!entryExists(target)) {
    report("remove", path, nullptr, errorOf(std::errc::no_such_file_or_directory));
    return -1;
  }
  std::error_code ec;
  fs::remove_all(target, ec);
  if (ec) {
    report("remove", path, nullptr, ec);
    return -1;
  }
  return 0;
}

int GetNumberOfFilesInFolder(const char* path) {
  if (!path) return 0;
  std::error_code ec;
  int count = 0;
  for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
    ++count;
  return ec ? 0 : count;
}

void OpenFile(const char* path) { kiv::platform::openWithDefaultApplication(path); }

void SetFinderLabel(const char* path, int label) {
  if (!path) return;
  if (label == 0) {
    removexattr(path, kLabelAttribute);
    return;
  }
  std::string value = std::to_string(label);
  setxattr(path, kLabelAttribute, value.data(), value.size(), 0);
}
