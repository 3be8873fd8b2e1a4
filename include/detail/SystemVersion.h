// The system version, screens, the application bundle's folder and the locale. Compiles as
// C++11.
//
// The system version is VERSION_ID of /etc/os-release or, where the system states none, the
// numeric part of the kernel release ("6.1.0" of "6.1.0-18-amd64"). The version description
// read by GetOSVersion and GetFullOSVersion is
//   "Version <kernel release> (Build <kernel version>)"
// as uname reports them.
#ifndef KIV_DETAIL_SYSTEMVERSION_H
#define KIV_DETAIL_SYSTEMVERSION_H

#include <stddef.h>

// The system version as a C string, at most 31 bytes and the NUL (buffer of 32 bytes).
void GetCocoaSystemVersion(char* version);

// The minor number of the version description when its major number is 10, else 0.
void GetOSVersion(short& minor);

// The three numbers of the version description. An output that the description does not
// reach keeps the value the caller put in it.
void GetFullOSVersion(int& major, int& minor, int& patch);

// The number of screens and the size of the main screen. Without a display, or without a main
// screen, width and height are 0 (and without a display, the count too).
void GetScreensInfo(int& count, int& width, int& height);

// The folder that contains the running application's bundle: "/opt/Tools" for the bundle
// "/opt/Tools/Example.app", the empty string for "/Example.app". The buffer must hold the whole
// bundle path and its NUL (PATH_MAX, 4096 bytes, is always enough).
void GetThisAppBundleParentPathN(char* parent);
// The same with the buffer's size: a parent path that does not fit leaves the empty string and
// returns -1; 0 otherwise.
int GetThisAppBundleParentPathN(char* parent, size_t parentSize);

// Looks up the current locale's identifier and does nothing else.
void SetLocale();

#endif
