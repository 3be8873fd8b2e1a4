// KivXML writing: creating a document in a folder given by reference, in a standard folder,
// or over an existing file given by reference.
#include "KivXML.h"

#include <cstring>

#include "KIV_Str.h"
#include "KivMisc.h"
#include "WinFSRef.h"
#include "xml/KivXMLWriteSupport.h"

OSErr KivXML::CreateDoc(FSRef* folder, const char* fileName, const char* rootName,
                        bool compressed) {
  if (folder == nullptr) return kKivXMLNoFolderPath;
  char path[kiv::xml::kPathLimit + 1];
  if (CFSRefMakePath(folder, path) != 0) return kKivXMLNoFolderPath;
  if (fileName == nullptr || *fileName == '\0') return kKivXMLCannotCreate;
  // The joined path is refused, not cut, beyond kPathLimit bytes: a cut path names another file.
  size_t folderLength = strlen(path);
  size_t nameLength = strnlen(fileName, kiv::xml::kPathLimit + 1);
  if (folderLength + 1 + nameLength > kiv::xml::kPathLimit) return kKivXMLCannotCreate;
  path[folderLength] = '/';
  memcpy(path + folderLength + 1, fileName, nameLength + 1);
  return CreateDoc(path, rootName, compressed);
}

OSErr KivXML::CreateDoc(FSRef* file, const char* rootName, bool compressed) {
  if (file == nullptr) return paramErr;
  HFSUniStr255 name;
  FSRef parent;
  OSErr err = FSGetCatalogInfo(file, kFSCatInfoNone, nullptr, &name, nullptr, &parent);
  if (err != 0) return err;
  // The name passes through 64-byte buffers in Mac Roman and in UTF-8: longer names, and names
  // with characters that Mac Roman lacks, are refused.
  if (name.length > kiv::xml::kFileNameLimit) return kKivXMLCannotCreate;
  char roman[kiv::xml::kFileNameLimit + 1];
  UniStringToCString(&name, roman);
  if (roman[0] == '\0') return kKivXMLCannotCreate;
  char utf8[kiv::xml::kFileNameLimit + 1];
  if (!kiv::xml::romanToUtf8(roman, utf8, sizeof utf8)) return kKivXMLCannotCreate;
  return CreateDoc(&parent, utf8, rootName, compressed);
}

OSErr KivXML::CreateDoc(short folder, const char* fileName, const char* rootName, bool compressed) {
  FSRef ref;
  if (GetUnifiedFolderType(folder, &ref) != 0) return kKivXMLFolderNotFound;
  return CreateDoc(&ref, fileName, rootName, compressed);
}
