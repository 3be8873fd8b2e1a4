/// \file
/// Modal file choosers. Compiles as C++11.
///
/// Each returns 0 and writes the chosen UTF-8 path, or -1 (destination untouched) when the user
/// cancels, when there is no display, or when the path does not fit. The forms without a size
/// assume a destination of 4096 bytes; the forms with `size` never write past it.
#ifndef KIV_DETAIL_FILEPANELS_H
#define KIV_DETAIL_FILEPANELS_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// Lets the user pick one existing file. fileType (Mac Roman) is a file-name extension such as
/// "xml", or a MIME type such as "text/plain" when it contains '/'.
///@{
KIV_API short doChooseFile(char* fileType, char* destination);
KIV_API short doChooseFile(char* fileType, char* destination, int size);
///@}

/// Lets the user pick one folder.
///@{
KIV_API short doChooseFolder(char* destination);
KIV_API short doChooseFolder(char* destination, int size);
///@}

/// Lets the user pick a folder and a name for a new file; proposedName (Mac Roman, may be null)
/// fills the name field. The file is not created.
///@{
KIV_API short doChooseFileLocation(char* proposedName, char* destination);
KIV_API short doChooseFileLocation(char* proposedName, char* destination, int size);
///@}

/// @}

#endif
