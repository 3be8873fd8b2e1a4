/// \file
/// User-level file operations: copying, moving and removing files and folder trees, counting a
/// folder's entries, opening a file, the colour label. Compiles as C++11.
#ifndef KIV_DETAIL_FILEOPERATIONS_H
#define KIV_DETAIL_FILEOPERATIONS_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// Copy or move a file or folder tree to the full path `destination`, replacing whatever is
/// there. 0, or -1 with two console lines (the error, then the operation, the paths and the
/// system's error text). Objects are judged by identity (device and inode once every link and
/// ".." is resolved), not by the text of their paths:
/// - an object copied or moved onto itself, however spelled, is left alone (0);
/// - a folder into its own contents, a destination that contains the source, and a source link
///   onto what it leads to are refused (-1) before anything changes.
/// Replacing is staged: the new object is built complete under a hidden name in the
/// destination's folder, put in place by rename (an exchange for folders), and only then is the
/// old destination removed. A failure leaves the old destination and the source as they were;
/// a missing source fails with the destination untouched. Copies keep permissions, owner and
/// group where permitted, access and modification times and extended attributes (the colour
/// label); links stay links, FIFOs are made anew, and a socket or device in the tree fails the
/// operation before anything changes. A move to another file system first checks that every
/// entry of the source can be removed, then copies, then removes the source.
///@{
KIV_API short doCopyObject(char* source, char* destination);
KIV_API short doMoveObject(const char* source, const char* destination);
///@}
/// Removes a file or a whole folder tree: 0, or -1 with two console lines (also when nothing is
/// there). Nothing is removed unless every entry can be. The root folder is never removed,
/// however it is spelled.
KIV_API short doRemoveObject(const char* path);

/// Number of entries directly inside the folder, hidden ones included; 0 when it cannot be read.
KIV_API int GetNumberOfFilesInFolder(const char* path);

/// Opens the file with the user's default application for it. The outcome is not reported.
KIV_API void OpenFile(const char* path);

/// Sets the colour label (0 none, 1 to 7) as the extended attribute "user.kiv.label" holding the
/// number in decimal; 0 removes the attribute. The outcome is not reported.
KIV_API void SetFinderLabel(const char* path, int label);

/// @}

#endif
