// The standard folders: by code, through the file service, and the user's folders by path.
#include "detail/StandardFolders.h"

#include "detail/FileObjects.h"
#include "platform/desktop/UserFolders.h"
#include "platform/files/PathText.h"
#include "platform/memory/NoThrow.h"

#include <cstring>
#include <string>

namespace {

// Room of the fixed buffers of the look-ups by code.
constexpr size_t kFileRefRoom = 304;    // the path composed by the file look-up
constexpr UInt32 kFolderPathRoom = 300; // the folder's path in the file look-up

const OSType kFolderTypes[3] = {kPreferencesFolderType, kDesktopFolderType, kTemporaryFolderType};

// Copies the folder's path, as `folder` gives it, into destination (maxLen + 1 bytes).
short copyFolderPath(std::string (*folder)(), char* destination, short maxLen) {
  if (!destination || maxLen < 0) return -1;
  destination[0] = 0;
  return kiv::platform::noThrow<short>(-1, [&]() -> short {
    const std::string path = folder();
    // A UTF-8 text never has fewer bytes than UTF-16 units, so this one test covers both the
    // character limit and the room of maxLen + 1 bytes.
    if (path.size() > size_t(maxLen)) return -1;
    std::memcpy(destination, path.c_str(), path.size() + 1);
    return 0;
  });
}

} // namespace

int GetUnifiedFolderType(short code, FSRef* folder) {
  if (code < 1 || code > 3) return -1;
  return FSFindFolder(kOnSystemDisk, kFolderTypes[code - 1], false, folder);
}

int GetUnifiedFolderType(short code, char* path) {
  FSRef ref;
  int err = GetUnifiedFolderType(code, &ref);
  if (err != noErr) return err;
  return CFSRefMakePath(&ref, path);
}

int GetUnifiedFileRef(short code, char* name, FSRef* file) {
  FSRef folder;
  int err = GetUnifiedFolderType(code, &folder);
  if (err != noErr) return err;
  char path[kFolderPathRoom];
  err = FSRefMakePath(&folder, reinterpret_cast<UInt8*>(path), sizeof path);
  if (err != noErr) return err;
  if (!name) return -1;
  return kiv::platform::noThrow(-1, [&] {
    std::string full = kiv::platform::joinPath(path, name);
    if (full.size() >= kFileRefRoom) return -1;
    return int(FSPathMakeRef(reinterpret_cast<const UInt8*>(full.c_str()), file, nullptr));
  });
}

short GetDocumentsPath(char* destination, short maxLen) {
  return copyFolderPath(kiv::platform::documentsFolder, destination, maxLen);
}

short GetAppSupportPath(char* destination, short maxLen) {
  return copyFolderPath(kiv::platform::dataHome, destination, maxLen);
}

short GetUserPrefsPath(char* destination, short maxLen) {
  return copyFolderPath(kiv::platform::configHome, destination, maxLen);
}
