// KivXML: opening a file named by a file reference or by a standard folder and a name.
#include "KivXML.h"

#include "detail/FileObjects.h"
#include "detail/StandardFolders.h"

OSErr KivXML::OpenDoc(FSRef* fileRef) {
  if (fileRef == nullptr) return kKivXMLNoPath;
  char path[300];
  if (CFSRefMakePath(fileRef, path) != 0) return kKivXMLNoPath;
  return OpenDoc(path);
}

OSErr KivXML::OpenDoc(short folder, const char* fileName) {
  if (fileName == nullptr) return kKivXMLNoPath;
  FSRef ref;
  // The reference names an existing file; a folder outside 1 to 3, a folder that is not found
  // or a missing file give the file service's code, passed on.
  int err = GetUnifiedFileRef(folder, const_cast<char*>(fileName), &ref);
  if (err != 0) return static_cast<OSErr>(err);
  return OpenDoc(&ref);
}
