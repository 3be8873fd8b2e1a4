/// \file
/// File objects by path or by file reference: existence tests, catalogue information, and
/// moving, copying and deleting objects into folders. Compiles as C++11.
///
/// Results are status codes: 0 for success, the file service's status when one of its
/// operations fails, -1 when the function refuses by itself. Paths are absolute POSIX paths in
/// C strings.
#ifndef KIV_DETAIL_FILEOBJECTS_H
#define KIV_DETAIL_FILEOBJECTS_H

#include "Export.h"
#include "Files.h"
#include "MacTypes.h"

/// \addtogroup WinFSRef
/// @{

/// True when stat succeeds (symbolic links followed); IsFile also needs a non-folder.
///@{
KIV_API bool Exist(const char* path);
KIV_API bool IsFile(const char* path);
///@}
/// Creates the file, or empties an existing one: 0, or -1 when it cannot be opened for writing
/// or what is there is not a regular file (a folder, a FIFO, a device), refused without waiting.
KIV_API int CreateEmptyFile(char* path);

/// True when an object exists at path and is a folder (symbolic links followed).
KIV_API bool CFSIsFolder(const char* path);
/// True when the record's node flags mark a folder (kFSNodeIsDirectoryMask); false for null.
KIV_API bool CFSIsFolder(FSCatalogInfo* info);
/// Fills info with every item FSGetCatalogInfo can read (kFSCatInfoGettableInfo) for the object
/// at path or ref: 0, or the file service's status.
///@{
KIV_API int CFSGetCatInfo(const char* path, FSCatalogInfo* info);
KIV_API int CFSGetCatInfo(FSRef* ref, FSCatalogInfo* info);
///@}
/// Sets the items of whichInfo from info on the object at path, as FSSetCatalogInfo does: 0, or
/// the file service's status.
KIV_API int CFSSetCatInfo(const char* path, unsigned int whichInfo, FSCatalogInfo* info);

/// Move or copy `source` into `destFolder` under its own leaf name, replacing an object of that
/// name there. -1 for an empty leaf name (a source ending in '/'), a leaf name of 64 bytes or
/// more, or a destination path beyond 311 bytes (move) or 303 bytes (copy).
///@{
KIV_API int CFSMoveObject(const char* source, const char* destFolder);
KIV_API int CFCopyObject(const char* source, const char* destFolder);
///@}
/// Removes the file or the whole folder tree: 0 or -1.
KIV_API int CFSDeleteObject(const char* path);

/// A reference to the existing object at path: 0, or the file service's status (fnfErr when
/// nothing is there).
KIV_API int CFSPathMakeRef(char* path, FSRef* ref);
/// The path of ref into 255 bytes.
KIV_API int CFSRefMakePath(FSRef* ref, char* path);
/// The leaf name of ref's path (at most 299 bytes), or, for the Pascal form, its name in
/// Mac Roman (empty when a character has no Mac Roman form).
///@{
KIV_API int CFSGetNameFromFSRef(FSRef* ref, char* name);
KIV_API int CFSGetNameFromFSRef(FSRef* ref, char* name, int size);
KIV_API int CFSGetNameFromFSRef(FSRef* ref, unsigned char* name);
///@}
/// The object's FSSpec: 0, or the file service's status.
KIV_API int CFSGetFSS(FSRef* ref, FSSpec* spec);
/// A reference to the folder holding the object (the root folder for the root): 0, or the file
/// service's status.
KIV_API int CFSGetParent(const FSRef* ref, FSRef* parent);
/// Moves into destFolder without replacing: an object of the same name there is an error.
KIV_API int CFSMoveObject(FSRef* source, FSRef* destFolder);
/// Copies through the paths of both references (255 bytes each) and the path form.
KIV_API int CFCopyObject(FSRef* source, FSRef* destFolder);

/// @}

#endif
