// Paths and file objects: path arithmetic on absolute POSIX paths held in C strings, existence
// tests, catalogue information, and moving, copying and deleting objects into folders, by path
// or by file reference. Compiles as C++11.
//
// Results are status codes: 0 for success, the file service's status when one of its
// operations fails, -1 when the function refuses by itself.
//
// The forms without a size trust the caller's buffers (a path is shorter than 32768 bytes).
// The forms that take `size` (the room of each destination, terminator included) never write
// past it: a result that does not fit leaves every destination empty.
#ifndef KIV_DETAIL_PATHS_H
#define KIV_DETAIL_PATHS_H

#include "Files.h"
#include "MacTypes.h"

// Leaf name: the text after the last '/' (not counting a '/' in the first position); the whole
// path when there is none. Always 0 for the first two; -1 when the name does not fit.
int CFSGetNameFromPath(const char* path, char* name);
int CFSGetNameFromPath(const char* path, unsigned char* name); // Pascal string, cut to 255 bytes
int CFSGetNameFromPath(const char* path, char* name, int size);

// Splits at the last '/': `folder` keeps that '/', `name` gets the rest. A path without '/'
// gives an empty folder and the whole text as name.
void GetFileNameAndPath(char* fullPath, char* folder, char* name);
void GetFileNameAndPath(char* fullPath, char* folder, char* name, int size);

// Splits at the last '/' (not counting the first character): `parent` gets the text before it,
// `name` (may be null) the text after it. Without such a '/', parent is empty and name is
// everything after the first character.
void GetParentPath(const char* path, char* parent, char* name);
void GetParentPath(const char* path, char* parent, char* name, int size);

// out = folder, a '/' unless folder is empty or ends with one, then name without one leading '/'.
void BuildPath(const char* folder, const char* name, char* out);
void BuildPath(const char* folder, const char* name, char* out, int size);

// The name without its extension. Pascal form: the last '.' must have at least two characters
// before it ('a.b' stays). C form: one is enough ('a.b' gives 'a'); a leading '.' stays.
void GetPNameWithoutExt(unsigned char* name, unsigned char* out);
void GetCNameWithoutExt(char* name, char* out);
void GetCNameWithoutExt(char* name, char* out, int size);

// True when stat succeeds (symbolic links followed); IsFile also needs a non-folder.
bool Exist(const char* path);
bool IsFile(const char* path);
// Creates the file, or empties an existing one: 0, or -1 when it cannot be opened for writing
// or what is there is not a regular file (a folder, a FIFO, a device), refused without waiting.
int CreateEmptyFile(char* path);

// True when an object exists at path and is a folder (symbolic links followed).
bool CFSIsFolder(const char* path);
// True when the record's node flags mark a folder (kFSNodeIsDirectoryMask); false for null.
bool CFSIsFolder(FSCatalogInfo* info);
// Fills info with every item FSGetCatalogInfo can read (kFSCatInfoGettableInfo) for the object
// at path or ref: 0, or the file service's status.
int CFSGetCatInfo(const char* path, FSCatalogInfo* info);
int CFSGetCatInfo(FSRef* ref, FSCatalogInfo* info);
// Sets the items of whichInfo from info on the object at path, as FSSetCatalogInfo does: 0, or
// the file service's status.
int CFSSetCatInfo(const char* path, unsigned int whichInfo, FSCatalogInfo* info);

// Move or copy `source` into `destFolder` under its own leaf name, replacing an object of that
// name there. -1 for an empty leaf name (a source ending in '/'), a leaf name of 64 bytes or
// more, or a destination path beyond 311 bytes (move) or 303 bytes (copy).
int CFSMoveObject(const char* source, const char* destFolder);
int CFCopyObject(const char* source, const char* destFolder);
// Removes the file or the whole folder tree: 0 or -1.
int CFSDeleteObject(const char* path);

// A reference to the existing object at path: 0, or the file service's status (fnfErr when
// nothing is there).
int CFSPathMakeRef(char* path, FSRef* ref);
// The path of ref into 255 bytes.
int CFSRefMakePath(FSRef* ref, char* path);
// The leaf name of ref's path (at most 299 bytes), or, for the Pascal form, its name in
// Mac Roman (empty when a character has no Mac Roman form).
int CFSGetNameFromFSRef(FSRef* ref, char* name);
int CFSGetNameFromFSRef(FSRef* ref, char* name, int size);
int CFSGetNameFromFSRef(FSRef* ref, unsigned char* name);
// The object's FSSpec: 0, or the file service's status.
int CFSGetFSS(FSRef* ref, FSSpec* spec);
// A reference to the folder holding the object (the root folder for the root): 0, or the file
// service's status.
int CFSGetParent(const FSRef* ref, FSRef* parent);
// Moves into destFolder without replacing: an object of the same name there is an error.
int CFSMoveObject(FSRef* source, FSRef* destFolder);
// Copies through the paths of both references (255 bytes each) and the path form.
int CFCopyObject(FSRef* source, FSRef* destFolder);

#endif
