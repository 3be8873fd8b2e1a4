/// \file
/// Module header WinFSRef: files and folders: the file service with its references and catalogue
/// records, path arithmetic, and file objects by path or by reference. The standard folders are
/// in KivMisc.h, the user-level file operations in KivMisc_Frameworks.h. Compiles as C++11.
#ifndef KIV_WINFSREF_H
#define KIV_WINFSREF_H

#include "detail/FileObjects.h"
#include "detail/Files.h"
#include "detail/MacTypes.h"
#include "detail/Paths.h"

/// \addtogroup WinFSRef
/// @{

/// @}

#endif
