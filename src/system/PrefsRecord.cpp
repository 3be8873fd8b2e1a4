// The preferences record and its storage, which keeps nothing.
#include "detail/PrefsRecord.h"

#include <cstring>

KIVGlobalPref::KIVGlobalPref(int intParam, unsigned char* name, short shortParam)
    : fIntParam(intParam), fName{0}, fShortParam(shortParam) {
  if (!name) return;
  // The field holds 63 bytes of text: a longer name is cut rather than overrunning it.
  unsigned char length = name[0] > 63 ? 63 : name[0];
  fName[0] = length;
  std::memcpy(fName + 1, name + 1, length);
}

KIVGlobalPref::~KIVGlobalPref() {}

void KIVGlobalPref::DefaultValues(char*) {}

int KIVGlobalPref::Read(char* data) {
  DefaultValues(data);
  return -1;
}

int KIVGlobalPref::Write(char* data) {
  Swap(data);
  Swap(data);
  return -1;
}

void KIVGlobalPref::Swap(char*) {}

int GetPrefsData(const unsigned char*, char*, int, short) { return -1; }

int SetPrefsData(const unsigned char*, char*, int, short) { return -1; }
