// The user-level file operations: copy, move and remove of files and folder trees, counting
// entries, opening with the default application and the colour label.
#include "detail/FileOperations.h"

#include "detail/Console.h"
#include "platform/desktop/Workspace.h"
#include "platform/files/Entries.h"
#include "platform/files/Transfer.h"
#include "platform/memory/NoThrow.h"

#include <cstring>
#include <string>
#include <system_error>

namespace {

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

short transfer(bool move, const char* source, const char* destination) {
  const char* operation = move ? "move" : "copy";
  if (!source || !destination || !*source || !*destination) {
    report(operation, source, destination, errorOf(std::errc::invalid_argument));
    return -1;
  }
  std::error_code ec;
  kiv::platform::transferObject(source, destination, move, true, ec);
  if (ec) {
    report(operation, source, destination, ec);
    return -1;
  }
  return 0;
}

} // namespace

// The operations build paths and messages as strings: when memory runs out they fail (-1), and
// the console lines that the failure would write may be missing.

short doCopyObject(char* source, char* destination) {
  return kiv::platform::noThrow<short>(-1, [&] { return transfer(false, source, destination); });
}

short doMoveObject(const char* source, const char* destination) {
  return kiv::platform::noThrow<short>(-1, [&] { return transfer(true, source, destination); });
}

short doRemoveObject(const char* path) {
  return kiv::platform::noThrow<short>(-1, [&]() -> short {
    if (!path || !*path) {
      report("remove", path, nullptr, errorOf(std::errc::invalid_argument));
      return -1;
    }
    std::error_code ec;
    kiv::platform::removeObject(path, ec);
    if (ec) {
      report("remove", path, nullptr, ec);
      return -1;
    }
    return 0;
  });
}

int GetNumberOfFilesInFolder(const char* path) {
  unsigned count = 0;
  return kiv::platform::countEntries(path, count) ? int(count) : 0;
}

void OpenFile(const char* path) { kiv::platform::openFile(path); }

void SetFinderLabel(const char* path, int label) { kiv::platform::setLabelAttribute(path, label); }
