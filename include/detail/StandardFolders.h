/// \file
/// The standard folders: the three folders by a small code (1 preferences, 2 desktop,
/// 3 temporary items), as references or paths, and the user's documents, application support and
/// preferences folders as paths. None of them is created by a look-up. Compiles as C++11.
#ifndef KIV_DETAIL_STANDARDFOLDERS_H
#define KIV_DETAIL_STANDARDFOLDERS_H

#include "Export.h"
#include "Files.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// The folder of `code` (never created): -1 for a code outside 1 to 3, else the file service's
/// status (non-zero when the folder does not exist).
KIV_API int GetUnifiedFolderType(short code, FSRef* folder);
/// The same as a path in 255 bytes.
KIV_API int GetUnifiedFolderType(short code, char* path);
/// A reference to the existing object `name` directly inside the folder of `code`; -1 when the
/// composed path would exceed 303 bytes.
KIV_API int GetUnifiedFileRef(short code, char* name, FSRef* file);

/// Standard folders as UTF-8 paths: the XDG documents folder, the XDG data home, and the
/// preferences folder (the XDG configuration home, the same folder as folder code 1). The
/// destination must hold maxLen + 1 bytes; a longer path gives -1 and an empty destination.
/// The folders need not exist.
///@{
KIV_API short GetDocumentsPath(char* destination, short maxLen);
KIV_API short GetAppSupportPath(char* destination, short maxLen);
KIV_API short GetUserPrefsPath(char* destination, short maxLen);
///@}

/// @}

#endif
