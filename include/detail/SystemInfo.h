// System name and version, bundle versions and the locale identifier. Compiles as C++11.
#ifndef KIV_DETAIL_SYSTEMINFO_H
#define KIV_DETAIL_SYSTEMINFO_H

struct __CFBundle;
struct FSRef;

// The system's name and version: the name from /etc/os-release ("NAME", at most 31 bytes of
// it), one blank and the text of GetCocoaSystemVersion, for example "Debian GNU/Linux 12".
// The Pascal form needs a 256-byte buffer; the C string form writes at most 64 bytes with the
// NUL.
void GetSystemInfo(unsigned char* info);
void GetSystemInfo(char* info);

// The "CFBundleShortVersionString" of the bundle's Info.plist as a Mac Roman Pascal string of
// at most 31 characters (32-byte buffer; a longer version is cut, a character without a Mac
// Roman form leaves it empty). The destination is emptied first. Returns -1 when the bundle
// has no information dictionary (no readable Info.plist holding a dictionary, or a null
// bundle), else 0, also when the key is absent.
short GetBundleVersion(__CFBundle* bundle, unsigned char* version);

// The same for the bundle folder (<Name>.app) that ref designates. Returns -1 when the
// reference gives no path; 0 with an empty version when no bundle can be made from it (it is
// not a folder).
short FSGetBundleVersion(FSRef* ref, unsigned char* version);

// The identifier of the user's current locale (such as "en_US") as a Mac Roman Pascal string
// in a 32-byte buffer; empty when there is none.
void GetLocaleIdentifier(unsigned char* identifier);

#endif
