// Three standard folders by a small code: 1 preferences, 2 desktop, 3 temporary items.
// Compiles as C++11.
#ifndef KIV_DETAIL_FOLDERCODES_H
#define KIV_DETAIL_FOLDERCODES_H

#include "Files.h"

// The folder of `code` (never created): -1 for a code outside 1 to 3, else the file service's
// status (non-zero when the folder does not exist).
int GetUnifiedFolderType(short code, FSRef* folder);
// The same as a path in 255 bytes.
int GetUnifiedFolderType(short code, char* path);
// A reference to the existing object `name` directly inside the folder of `code`; -1 when the
// composed path would exceed 303 bytes.
int GetUnifiedFileRef(short code, char* name, FSRef* file);

#endif
