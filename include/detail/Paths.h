/// \file
/// Path arithmetic on POSIX paths held in C strings and Pascal strings, without any access to
/// the file system. Compiles as C++11.
///
/// The forms without a size trust the caller's buffers (a path is shorter than 32768 bytes).
/// The forms that take `size` (the room of each destination, terminator included) never write
/// past it: a result that does not fit leaves every destination empty.
#ifndef KIV_DETAIL_PATHS_H
#define KIV_DETAIL_PATHS_H

#include "Export.h"

/// \addtogroup WinFSRef
/// @{

/// Leaf name: the text after the last '/' (not counting a '/' in the first position); the whole
/// path when there is none. Always 0 for the first two; -1 when the name does not fit.
///@{
KIV_API int CFSGetNameFromPath(const char* path, char* name);
KIV_API int CFSGetNameFromPath(const char* path,
                               unsigned char* name); ///< Pascal string, cut to 255 bytes
KIV_API int CFSGetNameFromPath(const char* path, char* name, int size);
///@}

/// Splits at the last '/': `folder` keeps that '/', `name` gets the rest. A path without '/'
/// gives an empty folder and the whole text as name.
///@{
KIV_API void GetFileNameAndPath(char* fullPath, char* folder, char* name);
KIV_API void GetFileNameAndPath(char* fullPath, char* folder, char* name, int size);
///@}

/// Splits at the last '/' (not counting the first character): `parent` gets the text before it,
/// `name` (may be null) the text after it. Without such a '/', parent is empty and name is
/// everything after the first character.
///@{
KIV_API void GetParentPath(const char* path, char* parent, char* name);
KIV_API void GetParentPath(const char* path, char* parent, char* name, int size);
///@}

/// out = folder, a '/' unless folder is empty or ends with one, then name without one leading '/'.
///@{
KIV_API void BuildPath(const char* folder, const char* name, char* out);
KIV_API void BuildPath(const char* folder, const char* name, char* out, int size);
///@}

/// The name without its extension. Pascal form: the last '.' must have at least two characters
/// before it ('a.b' stays). C form: one is enough ('a.b' gives 'a'); a leading '.' stays.
///@{
KIV_API void GetPNameWithoutExt(unsigned char* name, unsigned char* out);
KIV_API void GetCNameWithoutExt(char* name, char* out);
KIV_API void GetCNameWithoutExt(char* name, char* out, int size);
///@}

/// @}

#endif
