/// \file
/// The file service: references to existing files and folders, their catalogue records, moving
/// objects between folders and finding standard folders. Compiles as C++11.
///
/// An FSRef is a fixed-size value: copy it freely. It holds the object's canonical absolute path
/// (symbolic links resolved, at most 4095 bytes) together with the device and inode numbers and,
/// where the file system records one, the birth time seen when it was made. Every operation on a
/// reference checks that the same object still sits at that path; if it was removed, replaced or
/// moved away, the operation answers fnfErr, also when a new object reuses the old inode number.
#ifndef KIV_DETAIL_FILES_H
#define KIV_DETAIL_FILES_H

#include "Export.h"
#include "MacTypes.h"

/// \addtogroup WinFSRef
/// @{

/// Status codes of the file service (0 is noErr).
enum {
  nsvErr = -35,          ///< no such volume
  ioErr = -36,           ///< any other input/output failure
  bdNamErr = -37,        ///< bad name: empty, too long or not absolute
  fnfErr = -43,          ///< no such file or folder, or a stale reference
  dupFNErr = -48,        ///< an object of that name already exists
  paramErr = -50,        ///< a null or invalid argument, or an item that cannot be set
  permErr = -54,         ///< permission denied
  dirNFErr = -120,       ///< a folder on the way does not exist or is not a folder
  buffersTooSmall = -207 ///< the caller's buffer cannot hold the result
};

/// A volume number: kOnSystemDisk, or the negative number FSGetCatalogInfo derives from a file
/// system's device number.
typedef SInt16 FSVolumeRefNum;
/// A set of the kFSCatInfo... selection bits.
typedef UInt32 FSCatalogInfoBitmap;

/// Volume selector for the system disk, and the folder types FSFindFolder knows.
enum {
  kOnSystemDisk = -32768,
  kPreferencesFolderType = 0x70726566, ///< 'pref': the XDG configuration home
  kDesktopFolderType = 0x6465736B,     ///< 'desk': the XDG desktop folder
  kTemporaryFolderType = 0x74656D70    ///< 'temp': the temporary folder
};

/// The room of an FSRef's path, terminator included.
enum { kFSRefPathCapacity = 4096 };

/// A reference to an existing file or folder (see the top of this header).
struct FSRef {
  /// The device and inode numbers of the object when the reference was made.
  ///@{
  UInt64 device;
  UInt64 inode;
  SInt64 birthSeconds; ///< birth time, where birthKnown is 1
  UInt32 birthNanoseconds;
  UInt32 birthKnown;
  char path[kFSRefPathCapacity]; ///< NUL-terminated; private to the service
  ///@}
};
/// An FSRef passed by address.
typedef FSRef* FSRefPtr;

/// The older reference form: volume, parent folder and a name of up to 63 bytes (UTF-8 bytes of
/// the leaf name, cut at a character boundary).
struct FSSpec {
  /// The volume of the object's file system (see FSVolumeRefNum).
  FSVolumeRefNum vRefNum;
  /// The lower 32 bits of the parent folder's inode number.
  SInt32 parID;
  /// The leaf name as a Pascal string.
  Str63 name;
};

/// The owner and the POSIX mode of an object, in a catalogue record.
struct FSPermissionInfo {
  /// The owner's user id and group id.
  ///@{
  UInt32 userID;
  UInt32 groupID;
  ///@}
  /// Always zero.
  ///@{
  UInt8 reserved1;
  UInt8 userAccess; ///< unused
  UInt16 mode;      ///< POSIX mode: file type and permission bits
  ///@}

  /// Always zero.
  UInt32 reserved2;
};

/// Catalogue record. Dates are UTC since 1904. On Linux: createDate is the birth time where the
/// file system records one, else the modification time; attributeModDate is the status-change
/// time; backupDate is always zero. valence is the number of entries of a folder.
struct FSCatalogInfo {
  /// kFSNodeIsDirectoryMask for a folder, else 0.
  UInt16 nodeFlags;
  /// The volume of the object's file system (see FSVolumeRefNum).
  FSVolumeRefNum volume;
  /// The lower 32 bits of the parent folder's inode number.
  UInt32 parentDirID;
  /// The lower 32 bits of the object's inode number.
  UInt32 nodeID;
  /// Always zero.
  ///@{
  UInt8 sharingFlags;
  UInt8 userPrivileges;
  UInt8 reserved1;
  UInt8 reserved2;
  ///@}
  /// Creation (birth, else modification), modification, status change, access and backup
  /// (always zero) dates.
  ///@{
  UTCDateTime createDate;
  UTCDateTime contentModDate;
  UTCDateTime attributeModDate;
  UTCDateTime accessDate;
  UTCDateTime backupDate;
  ///@}
  /// The owner and the POSIX mode.
  ///@{
  FSPermissionInfo permissions;
  UInt8 typeInfo[16];    ///< file type and creator data; always zero here
  UInt8 extTypeInfo[16]; ///< extended type data; always zero here
  ///@}

  /// The size of a file's data in bytes, and the room it takes on disk; 0 for a folder.
  ///@{
  UInt64 dataLogicalSize;
  UInt64 dataPhysicalSize;
  ///@}
  /// Always zero: Linux files have no resource fork.
  ///@{
  UInt64 rsrcLogicalSize;
  UInt64 rsrcPhysicalSize;
  ///@}
  /// The number of entries directly inside a folder; 0 for a file.
  UInt32 valence;
  /// Always zero.
  UInt32 textEncodingHint;
};

/// nodeFlags bits.
enum { kFSNodeLockedMask = 0x0001, kFSNodeIsDirectoryMask = 0x0010 };

/// Selection bits of FSGetCatalogInfo and FSSetCatalogInfo.
enum {
  kFSCatInfoNone = 0x00000000,
  kFSCatInfoTextEncoding = 0x00000001,
  kFSCatInfoNodeFlags = 0x00000002,
  kFSCatInfoVolume = 0x00000004,
  kFSCatInfoParentDirID = 0x00000008,
  kFSCatInfoNodeID = 0x00000010,
  kFSCatInfoCreateDate = 0x00000020,
  kFSCatInfoContentMod = 0x00000040,
  kFSCatInfoAttrMod = 0x00000080,
  kFSCatInfoAccessDate = 0x00000100,
  kFSCatInfoBackupDate = 0x00000200,
  kFSCatInfoPermissions = 0x00000400,
  kFSCatInfoTypeInfo = 0x00000800,
  kFSCatInfoExtTypeInfo = 0x00001000,
  kFSCatInfoValence = 0x00002000,
  kFSCatInfoDataSizes = 0x00004000,
  kFSCatInfoRsrcSizes = 0x00008000,
  kFSCatInfoSharingFlags = 0x00010000,
  kFSCatInfoUserPrivs = 0x00020000,
  kFSCatInfoAllDates = 0x000003E0,
  kFSCatInfoGettableInfo = 0x0003FFFF,
  /// What FSSetCatalogInfo can change on Linux: modification and access dates, permissions.
  kFSCatInfoSettableInfo = kFSCatInfoContentMod | kFSCatInfoAccessDate | kFSCatInfoPermissions
};

/// A reference to the existing object at `path` (UTF-8; a relative path is taken from the
/// current folder). `isDirectory` may be null. fnfErr or dirNFErr when nothing is there,
/// bdNamErr for an empty or over-long path.
KIV_API OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory);

/// The object's absolute path with its terminator into `maxPathSize` bytes; buffersTooSmall
/// when it does not fit (the buffer is then left empty when it has room for one byte).
KIV_API OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize);

/// Fills each of `catalogInfo`, `outName`, `fsSpec` and `parentRef` that is not null; only the
/// items of `whichInfo` are written into `catalogInfo`, the others keep their values. The parent
/// of the root folder is the root folder itself.
KIV_API OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo,
                               FSCatalogInfo* catalogInfo, HFSUniStr255* outName, FSSpec* fsSpec,
                               FSRef* parentRef);

/// Sets the items of `whichInfo` that Linux can set (kFSCatInfoSettableInfo). Any other bit
/// refuses the whole call with paramErr before anything is changed. Permissions set the mode's
/// permission bits and, when they differ, the owner and group.
KIV_API OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo,
                               const FSCatalogInfo* catalogInfo);

/// Moves the object into `destDirectory` under its own name, across file systems too.
/// dupFNErr when that folder already holds an object of the name. `newRef` may be null.
KIV_API OSErr FSMoveObject(const FSRef* ref, const FSRef* destDirectory, FSRef* newRef);

/// The standard folder of `folderType` on kOnSystemDisk (any other volume: nsvErr). Folders are
/// never created, whatever `createFolder` says: fnfErr when the folder does not exist.
KIV_API OSErr FSFindFolder(FSVolumeRefNum vRefNum, OSType folderType, Boolean createFolder,
                           FSRef* foundRef);

/// @}

#endif
