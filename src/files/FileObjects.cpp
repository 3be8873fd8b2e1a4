// Existence tests, catalogue information and moving, copying and deleting objects into folders,
// by path or by file reference.
#include "detail/FileObjects.h"

#include "detail/CFString.h"
#include "detail/FileOperations.h"
#include "detail/Paths.h"
#include "platform/files/Entries.h"
#include "platform/files/PathText.h"
#include "platform/memory/NoThrow.h"

#include <cstring>
#include <string>

namespace {

// Room of the fixed buffers the path and reference functions work with.
constexpr size_t kLeafRoom = 64;       // leaf name in the move and copy functions
constexpr size_t kMoveDestRoom = 312;  // destination path composed by the move
constexpr size_t kCopyDestRoom = 304;  // destination path composed by the copy
constexpr UInt32 kShortPathRoom = 255; // paths of references
constexpr UInt32 kLongPathRoom = 300;  // paths of references for leaf names

UInt8* bytes(char* s) { return reinterpret_cast<UInt8*>(s); }

// destFolder + "/" + leaf name of source, or false when the leaf is empty or either part is
// beyond its room.
bool intoFolder(const char* source, const char* destFolder, size_t room, std::string& dest) {
  if (!source || !destFolder) return false;
  char leaf[kLeafRoom];
  // An empty leaf (a source ending in '/') would make the destination the folder itself, which
  // the replacing move or copy would then remove.
  if (CFSGetNameFromPath(source, leaf, int(sizeof leaf)) != 0 || !leaf[0]) return false;
  dest = kiv::platform::joinPath(destFolder, leaf);
  return dest.size() < room;
}

} // namespace

bool Exist(const char* path) {
  return kiv::platform::kindOf(path) != kiv::platform::ObjectKind::none;
}

bool IsFile(const char* path) {
  auto kind = kiv::platform::kindOf(path);
  return kind != kiv::platform::ObjectKind::none && kind != kiv::platform::ObjectKind::folder;
}

int CreateEmptyFile(char* path) { return kiv::platform::truncateOrCreateFile(path) == 0 ? 0 : -1; }

bool CFSIsFolder(const char* path) {
  FSRef ref;
  Boolean isDir = 0;
  return path && FSPathMakeRef(reinterpret_cast<const UInt8*>(path), &ref, &isDir) == noErr &&
         isDir;
}

bool CFSIsFolder(FSCatalogInfo* info) {
  return info && (info->nodeFlags & kFSNodeIsDirectoryMask) != 0;
}

int CFSGetCatInfo(const char* path, FSCatalogInfo* info) {
  FSRef ref;
  int err = CFSPathMakeRef(const_cast<char*>(path), &ref);
  if (err != noErr) return err;
  return CFSGetCatInfo(&ref, info);
}

int CFSGetCatInfo(FSRef* ref, FSCatalogInfo* info) {
  return FSGetCatalogInfo(ref, kFSCatInfoGettableInfo, info, nullptr, nullptr, nullptr);
}

int CFSSetCatInfo(const char* path, unsigned int whichInfo, FSCatalogInfo* info) {
  FSRef ref;
  int err = CFSPathMakeRef(const_cast<char*>(path), &ref);
  if (err != noErr) return err;
  return FSSetCatalogInfo(&ref, whichInfo, info);
}

int CFSMoveObject(const char* source, const char* destFolder) {
  return kiv::platform::noThrow(-1, [&] {
    std::string dest;
    if (!intoFolder(source, destFolder, kMoveDestRoom, dest)) return -1;
    return int(doMoveObject(source, dest.c_str()));
  });
}

int CFCopyObject(const char* source, const char* destFolder) {
  return kiv::platform::noThrow(-1, [&] {
    std::string dest;
    if (!intoFolder(source, destFolder, kCopyDestRoom, dest)) return -1;
    std::string src = source;
    return int(doCopyObject(src.data(), dest.data()));
  });
}

int CFSDeleteObject(const char* path) { return doRemoveObject(path); }

int CFSPathMakeRef(char* path, FSRef* ref) {
  return FSPathMakeRef(reinterpret_cast<const UInt8*>(path), ref, nullptr);
}

int CFSRefMakePath(FSRef* ref, char* path) {
  return FSRefMakePath(ref, bytes(path), kShortPathRoom);
}

int CFSGetNameFromFSRef(FSRef* ref, char* name) {
  char path[kLongPathRoom];
  int err = FSRefMakePath(ref, bytes(path), sizeof path);
  if (err != noErr) return err;
  return CFSGetNameFromPath(path, name);
}

int CFSGetNameFromFSRef(FSRef* ref, char* name, int size) {
  char path[kLongPathRoom];
  int err = FSRefMakePath(ref, bytes(path), sizeof path);
  if (err != noErr) return err;
  return CFSGetNameFromPath(path, name, size);
}

int CFSGetNameFromFSRef(FSRef* ref, unsigned char* name) {
  HFSUniStr255 uni;
  int err = FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, &uni, nullptr, nullptr);
  if (err != noErr) return err;
  if (!name) return 0;
  // Mac Roman into length + 1 bytes: a name with a character outside Mac Roman comes out empty.
  name[0] = 0;
  CFStringRef text = CFStringCreateWithCharacters(kCFAllocatorDefault, uni.unicode, uni.length);
  if (!text) return 0;
  if (!CFStringGetPascalString(text, name, CFIndex(uni.length) + 1, kCFStringEncodingMacRoman))
    name[0] = 0;
  CFRelease(text);
  return 0;
}

int CFSGetFSS(FSRef* ref, FSSpec* spec) {
  return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, nullptr, spec, nullptr);
}

int CFSGetParent(const FSRef* ref, FSRef* parent) {
  return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, nullptr, nullptr, parent);
}

int CFSMoveObject(FSRef* source, FSRef* destFolder) {
  return FSMoveObject(source, destFolder, nullptr);
}

int CFCopyObject(FSRef* source, FSRef* destFolder) {
  char src[kShortPathRoom], dst[kShortPathRoom];
  int err = FSRefMakePath(source, bytes(src), sizeof src);
  if (err != noErr) return err;
  err = FSRefMakePath(destFolder, bytes(dst), sizeof dst);
  if (err != noErr) return err;
  return CFCopyObject(src, dst);
}
