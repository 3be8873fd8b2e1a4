// Bundles on disk, their information dictionaries and file URLs, as platform objects that
// CFRelease handles. Only what the bundle-version queries need.
#pragma once

#include "detail/CFString.h"

struct FSRef;

typedef const struct __CFURL* CFURLRef;
typedef struct __CFBundle* CFBundleRef;
typedef const struct __CFDictionary* CFDictionaryRef;

// A file URL for the object the reference designates; null when the reference gives no path.
CFURLRef CFURLCreateFromFSRef(CFAllocatorRef alloc, const FSRef* ref);
// A file URL for an absolute path; null for a null or relative path.
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef alloc, const char* path);

// A bundle for the folder the URL names; null when it is not a folder.
CFBundleRef CFBundleCreate(CFAllocatorRef alloc, CFURLRef url);
// The bundle's Info.plist as a dictionary of its text values (strings, numbers, dates and
// booleans as text); null when the file is missing or holds no dictionary. The bundle owns it.
CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);

// The value under a string key, or null; owned by the dictionary.
const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key);
