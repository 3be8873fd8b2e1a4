// The platform's basic scalar types and the small records that several modules share.
// Compiles as C++11.
#ifndef KIV_DETAIL_MACTYPES_H
#define KIV_DETAIL_MACTYPES_H

#include <stdint.h>

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;

typedef unsigned char Boolean;
typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef UInt32 OSType;
typedef UInt32 FourCharCode;
typedef UInt16 UniChar;
typedef unsigned long UniCharCount;
typedef unsigned long ByteCount;

typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
typedef unsigned char* StringPtr;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;

enum { noErr = 0 };

// A file name: a count of UTF-16 units and up to 255 of them.
struct HFSUniStr255 {
  UInt16 length;
  UniChar unicode[255];
};

// A colour of three 16-bit components.
struct RGBColor {
  UInt16 red;
  UInt16 green;
  UInt16 blue;
};

// A UTC date: 48 bits of seconds since 1904-01-01 00:00 UTC and a 16-bit fraction.
struct UTCDateTime {
  UInt16 highSeconds;
  UInt32 lowSeconds;
  UInt16 fraction;
};

#endif
