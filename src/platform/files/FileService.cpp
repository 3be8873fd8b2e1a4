// The file service over POSIX. A reference is the canonical path of an object plus the device
// and inode it had; see include/detail/Files.h.
#include "detail/Files.h"

#include "platform/desktop/UserFolders.h"
#include "platform/files/Entries.h"
#include "platform/files/Identity.h"
#include "platform/files/PathText.h"
#include "platform/files/Transfer.h"
#include "platform/memory/NoThrow.h"
#include "platform/string/Utf8.h"
#include "platform/time/Time1904.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using kiv::platform::noThrow;

OSErr errnoStatus(int err) {
  switch (err) {
  case 0:
    return noErr;
  case ENOENT:
    return fnfErr;
  case ENOTDIR:
    return dirNFErr;
  case EACCES:
  case EPERM:
  case EROFS:
    return permErr;
  case EEXIST:
  case ENOTEMPTY:
    return dupFNErr;
  case ENAMETOOLONG:
    return bdNamErr;
  case EINVAL:
  case EISDIR:
  case ELOOP:
    return paramErr;
  default:
    return ioErr;
  }
}

kiv::platform::FileId idOf(const FSRef& ref) {
  kiv::platform::FileId id;
  id.device = ref.device;
  id.inode = ref.inode;
  id.hasBirth = ref.birthKnown != 0;
  id.birthSeconds = ref.birthSeconds;
  id.birthNanoseconds = ref.birthNanoseconds;
  return id;
}

// A reference to the object at the canonical path, with the identity it has now.
bool fillRef(const char* canonical, FSRef* ref) {
  size_t n = std::strlen(canonical);
  if (n >= sizeof ref->path) return false;
  kiv::platform::FileId id;
  std::error_code ec;
  if (!kiv::platform::identify(canonical, true, id, ec)) return false;
  std::memset(ref, 0, sizeof *ref);
  ref->device = id.device;
  ref->inode = id.inode;
  ref->birthKnown = id.hasBirth ? 1 : 0;
  ref->birthSeconds = id.birthSeconds;
  ref->birthNanoseconds = id.birthNanoseconds;
  std::memcpy(ref->path, canonical, n + 1);
  return true;
}

// Checks that `ref` is well formed and that its object is still where it was: the same device,
// inode and birth time.
OSErr checkRef(const FSRef* ref, struct stat* st) {
  if (!ref) return paramErr;
  if (ref->path[0] != '/' || !std::memchr(ref->path, 0, sizeof ref->path)) return paramErr;
  if (stat(ref->path, st) != 0) return errnoStatus(errno) == permErr ? permErr : fnfErr;
  kiv::platform::FileId now;
  std::error_code ec;
  if (!kiv::platform::identify(ref->path, true, now, ec)) return fnfErr;
  if (!kiv::platform::sameObject(idOf(*ref), now)) return fnfErr;
  return noErr;
}

UTCDateTime toUTC(const struct timespec& ts) {
  return kiv::platform::utcDateTimeFromPosix(ts.tv_sec, ts.tv_nsec);
}

struct timespec fromUTC(const UTCDateTime& d) {
  std::int64_t seconds = 0;
  long nanoseconds = 0;
  kiv::platform::posixTimeOf(d, seconds, nanoseconds);
  struct timespec ts;
  ts.tv_sec = time_t(seconds);
  ts.tv_nsec = nanoseconds;
  return ts;
}

// Volume numbers are negative and equal for objects on the same file system.
FSVolumeRefNum volumeOf(dev_t dev) { return FSVolumeRefNum(-1 - SInt32(UInt64(dev) % 32767u)); }

UInt32 countEntries(const char* path) {
  unsigned n = 0;
  kiv::platform::countEntries(path, n);
  return n;
}

void fillName(const std::string& leaf, HFSUniStr255* out) {
  // File names are bytes on Linux; a byte that is not UTF-8 becomes U+FFFD.
  out->length =
      UInt16(kiv::platform::decodeUtf8Substituting(leaf.data(), leaf.size(), out->unicode, 255));
}

void fillSpec(const std::string& leaf, const struct stat& st, const struct stat& parent,
              FSSpec* spec) {
  std::memset(spec, 0, sizeof *spec);
  spec->vRefNum = volumeOf(st.st_dev);
  spec->parID = SInt32(UInt32(parent.st_ino));
  // Never end inside a UTF-8 sequence.
  size_t n = kiv::platform::utf8CutLength(leaf.data(), leaf.size(), 63);
  spec->name[0] = UInt8(n);
  std::memcpy(spec->name + 1, leaf.data(), n);
}

void fillCatalog(const FSRef* ref, const struct stat& st, const struct stat& parent,
                 FSCatalogInfoBitmap which, FSCatalogInfo* info) {
  bool isDir = S_ISDIR(st.st_mode);
  if (which & kFSCatInfoTextEncoding) info->textEncodingHint = 0;
  if (which & kFSCatInfoNodeFlags) info->nodeFlags = isDir ? kFSNodeIsDirectoryMask : 0;
  if (which & kFSCatInfoVolume) info->volume = volumeOf(st.st_dev);
  if (which & kFSCatInfoParentDirID) info->parentDirID = UInt32(parent.st_ino);
  if (which & kFSCatInfoNodeID) info->nodeID = UInt32(st.st_ino);
  if (which & kFSCatInfoCreateDate) {
    struct statx sx;
    if (statx(AT_FDCWD, ref->path, 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
      struct timespec b = {time_t(sx.stx_btime.tv_sec), long(sx.stx_btime.tv_nsec)};
      info->createDate = toUTC(b);
    } else {
      info->createDate = toUTC(st.st_mtim);
    }
  }
  if (which & kFSCatInfoContentMod) info->contentModDate = toUTC(st.st_mtim);
  if (which & kFSCatInfoAttrMod) info->attributeModDate = toUTC(st.st_ctim);
  if (which & kFSCatInfoAccessDate) info->accessDate = toUTC(st.st_atim);
  if (which & kFSCatInfoBackupDate) info->backupDate = UTCDateTime{0, 0, 0};
  if (which & kFSCatInfoPermissions) {
    std::memset(&info->permissions, 0, sizeof info->permissions);
    info->permissions.userID = st.st_uid;
    info->permissions.groupID = st.st_gid;
    info->permissions.mode = UInt16(st.st_mode);
  }
  if (which & kFSCatInfoTypeInfo) std::memset(info->typeInfo, 0, sizeof info->typeInfo);
  if (which & kFSCatInfoExtTypeInfo) std::memset(info->extTypeInfo, 0, sizeof info->extTypeInfo);
  if (which & kFSCatInfoValence) info->valence = isDir ? countEntries(ref->path) : 0;
  if (which & kFSCatInfoDataSizes) {
    info->dataLogicalSize = isDir ? 0 : UInt64(st.st_size);
    info->dataPhysicalSize = isDir ? 0 : UInt64(st.st_blocks) * 512u;
  }
  if (which & kFSCatInfoRsrcSizes) info->rsrcLogicalSize = info->rsrcPhysicalSize = 0;
  if (which & kFSCatInfoSharingFlags) info->sharingFlags = 0;
  if (which & kFSCatInfoUserPrivs) info->userPrivileges = 0;
}

OSStatus pathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory);

OSErr makeRefFromPath(const std::string& path, FSRef* ref, Boolean* isDirectory) {
  return OSErr(pathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), ref, isDirectory));
}

OSStatus pathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory) {
  if (!path || !ref) return paramErr;
  const char* p = reinterpret_cast<const char*>(path);
  size_t len = strnlen(p, kFSRefPathCapacity);
  if (len == 0 || len >= kFSRefPathCapacity) return bdNamErr;
  char canonical[PATH_MAX];
  if (!realpath(p, canonical)) return errnoStatus(errno);
  struct stat st;
  if (stat(canonical, &st) != 0) return errnoStatus(errno);
  if (!fillRef(canonical, ref)) return bdNamErr;
  if (isDirectory) *isDirectory = S_ISDIR(st.st_mode) ? 1 : 0;
  return noErr;
}

OSStatus refMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize) {
  if (!path || maxPathSize == 0) return paramErr;
  struct stat st;
  OSErr err = checkRef(ref, &st);
  if (err != noErr) return err;
  size_t n = std::strlen(ref->path);
  if (n + 1 > maxPathSize) {
    path[0] = 0;
    return buffersTooSmall;
  }
  std::memcpy(path, ref->path, n + 1);
  return noErr;
}

OSErr getCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                     HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef) {
  struct stat st;
  OSErr err = checkRef(ref, &st);
  if (err != noErr) return err;
  std::string path = ref->path;
  std::string parentPath = kiv::platform::folderOf(path, "/");
  struct stat parent;
  if (stat(parentPath.c_str(), &parent) != 0) return errnoStatus(errno);
  std::string leaf = path == "/" ? path : std::string(kiv::platform::leafOf(path));

  if (catalogInfo) fillCatalog(ref, st, parent, whichInfo, catalogInfo);
  if (outName) fillName(leaf, outName);
  if (fsSpec) fillSpec(leaf, st, parent, fsSpec);
  if (parentRef && !fillRef(parentPath.c_str(), parentRef)) return bdNamErr;
  return noErr;
}

OSErr setCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo,
                     const FSCatalogInfo* catalogInfo) {
  struct stat st;
  OSErr err = checkRef(ref, &st);
  if (err != noErr) return err;
  if (whichInfo & ~FSCatalogInfoBitmap(kFSCatInfoSettableInfo)) return paramErr;
  if (whichInfo == 0) return noErr;
  if (!catalogInfo) return paramErr;

  if (whichInfo & kFSCatInfoPermissions) {
    const FSPermissionInfo& p = catalogInfo->permissions;
    if ((p.userID != st.st_uid || p.groupID != st.st_gid) &&
        chown(ref->path, uid_t(p.userID), gid_t(p.groupID)) != 0)
      return errnoStatus(errno);
    if (chmod(ref->path, mode_t(p.mode & 07777)) != 0) return errnoStatus(errno);
  }
  if (whichInfo & (kFSCatInfoContentMod | kFSCatInfoAccessDate)) {
    struct timespec times[2];
    times[0].tv_nsec = times[1].tv_nsec = UTIME_OMIT;
    times[0].tv_sec = times[1].tv_sec = 0;
    if (whichInfo & kFSCatInfoAccessDate) times[0] = fromUTC(catalogInfo->accessDate);
    if (whichInfo & kFSCatInfoContentMod) times[1] = fromUTC(catalogInfo->contentModDate);
    if (utimensat(AT_FDCWD, ref->path, times, 0) != 0) return errnoStatus(errno);
  }
  return noErr;
}

OSErr moveObject(const FSRef* ref, const FSRef* destDirectory, FSRef* newRef) {
  struct stat st, dst;
  OSErr err = checkRef(ref, &st);
  if (err != noErr) return err;
  if ((err = checkRef(destDirectory, &dst)) != noErr) return err;
  if (!S_ISDIR(dst.st_mode)) return dirNFErr;
  std::string source = ref->path;
  if (source == "/") return paramErr;
  std::string folder = destDirectory->path;
  std::string target = kiv::platform::joinPath(folder, kiv::platform::leafOf(source));
  if (target.size() >= kFSRefPathCapacity) return bdNamErr;
  struct stat existing;
  if (lstat(target.c_str(), &existing) == 0) return dupFNErr; // itself included

  std::error_code ec;
  kiv::platform::transferObject(source, target, true, false, ec);
  if (ec) return errnoStatus(ec.value());
  if (newRef) return makeRefFromPath(target, newRef, nullptr);
  return noErr;
}

OSErr findFolder(FSVolumeRefNum vRefNum, OSType folderType, Boolean createFolder, FSRef* foundRef) {
  (void)createFolder; // look-ups never create folders
  if (!foundRef) return paramErr;
  if (vRefNum != FSVolumeRefNum(kOnSystemDisk)) return nsvErr;
  std::string path;
  switch (folderType) {
  case kPreferencesFolderType:
    path = kiv::platform::configHome();
    break;
  case kDesktopFolderType:
    path = kiv::platform::desktopFolder();
    break;
  case kTemporaryFolderType:
    path = kiv::platform::temporaryFolder();
    break;
  default:
    return paramErr;
  }
  Boolean isDir = 0;
  OSErr err = makeRefFromPath(path, foundRef, &isDir);
  if (err != noErr) return err;
  return isDir ? OSErr(noErr) : OSErr(dirNFErr);
}

} // namespace

// The service's functions: their work allocates (paths are strings), and an allocation failure
// is the input/output failure it stands for.

OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory) {
  return noThrow<OSStatus>(ioErr, [&] { return pathMakeRef(path, ref, isDirectory); });
}

OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize) {
  return noThrow<OSStatus>(ioErr, [&] { return refMakePath(ref, path, maxPathSize); });
}

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef) {
  return noThrow<OSErr>(ioErr, [&] {
    return getCatalogInfo(ref, whichInfo, catalogInfo, outName, fsSpec, parentRef);
  });
}

OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo,
                       const FSCatalogInfo* catalogInfo) {
  return noThrow<OSErr>(ioErr, [&] { return setCatalogInfo(ref, whichInfo, catalogInfo); });
}

OSErr FSMoveObject(const FSRef* ref, const FSRef* destDirectory, FSRef* newRef) {
  return noThrow<OSErr>(ioErr, [&] { return moveObject(ref, destDirectory, newRef); });
}

OSErr FSFindFolder(FSVolumeRefNum vRefNum, OSType folderType, Boolean createFolder,
                   FSRef* foundRef) {
  return noThrow<OSErr>(ioErr,
                        [&] { return findFolder(vRefNum, folderType, createFolder, foundRef); });
}
