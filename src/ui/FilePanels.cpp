// Modal file choosers: the texts the caller gives in Mac Roman, the chosen path copied into the
// caller's buffer when it fits.
#include "detail/FilePanels.h"

#include "detail/LocalizedTexts.h"
#include "platform/frame/FilePanels.h"
#include "platform/memory/NoThrow.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// Room the forms without a size may use: the longest path Linux hands to a program.
constexpr int kDefaultRoom = 4096;

// A Mac Roman C string as UTF-8 (every Mac Roman byte is a character).
std::string fromMacRoman(char* text) {
  if (!text || !*text) return std::string();
  std::vector<char> utf8(std::strlen(text) * 3 + 1);
  CocoaRomanToUTF(text, utf8.data());
  return utf8.data();
}

// Copies the chosen path into destination: 0, or -1 when there is none or it does not fit.
short deliver(const std::optional<std::string>& path, char* destination, int size) {
  if (!path || path->empty() || path->size() >= size_t(size)) return -1;
  std::memcpy(destination, path->c_str(), path->size() + 1);
  return 0;
}

} // namespace

short doChooseFile(char* fileType, char* destination, int size) {
  if (!destination || size <= 0) return -1;
  return kiv::platform::noThrow<short>(-1, [&] {
    return deliver(kiv::platform::chooseExistingFile(fromMacRoman(fileType)), destination, size);
  });
}

short doChooseFile(char* fileType, char* destination) {
  return doChooseFile(fileType, destination, kDefaultRoom);
}

short doChooseFolder(char* destination, int size) {
  if (!destination || size <= 0) return -1;
  return kiv::platform::noThrow<short>(
      -1, [&] { return deliver(kiv::platform::chooseFolder(), destination, size); });
}

short doChooseFolder(char* destination) { return doChooseFolder(destination, kDefaultRoom); }

short doChooseFileLocation(char* proposedName, char* destination, int size) {
  if (!destination || size <= 0) return -1;
  return kiv::platform::noThrow<short>(-1, [&] {
    std::optional<std::string> name;
    if (proposedName) name = fromMacRoman(proposedName);
    return deliver(kiv::platform::chooseNewFileLocation(name), destination, size);
  });
}

short doChooseFileLocation(char* proposedName, char* destination) {
  return doChooseFileLocation(proposedName, destination, kDefaultRoom);
}
