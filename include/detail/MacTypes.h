/// \file
/// The platform's basic scalar types and the small records that several modules share.
/// Compiles as C++11.
#ifndef KIV_DETAIL_MACTYPES_H
#define KIV_DETAIL_MACTYPES_H

#include <stdint.h>

/// \addtogroup WinFSRef
/// @{

/// Integers of a fixed width and signedness: UInt8 is an unsigned 8-bit integer, SInt8 a signed
/// one, and so on up to 64 bits.
///@{
typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
///@}

/// A truth value in one byte: 0 is false, any other value true.
typedef unsigned char Boolean;
/// A 16-bit result code: 0 (noErr) for success, a negative value for an error.
typedef SInt16 OSErr;
/// A 32-bit result code of the same kind.
typedef SInt32 OSStatus;
/// A four-character code such as 'pref': the four bytes, the first one most significant, in 32
/// bits.
///@{
typedef UInt32 OSType;
typedef UInt32 FourCharCode;
///@}
/// A UTF-16 code unit.
typedef UInt16 UniChar;
/// A number of UTF-16 units.
typedef unsigned long UniCharCount;
/// A number of bytes.
typedef unsigned long ByteCount;

/// Pascal string buffers: a length byte and room for 255, 63 or 31 bytes of text.
///@{
typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
///@}
/// Pascal strings passed by address, for writing and for reading.
///@{
typedef unsigned char* StringPtr;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;
///@}

/// The result code of success.
enum { noErr = 0 };

/// A file name: a count of UTF-16 units and up to 255 of them.
struct HFSUniStr255 {
  /// The number of units used, 0 to 255.
  UInt16 length;
  /// The name's UTF-16 units; those past `length` are undefined.
  UniChar unicode[255];
};

/// A colour of three 16-bit components.
struct RGBColor {
  /// The red, green and blue components, each 0 to 65535.
  ///@{
  UInt16 red;
  UInt16 green;
  UInt16 blue;
  ///@}
};

/// A UTC date: 48 bits of seconds since 1904-01-01 00:00 UTC and a 16-bit fraction.
struct UTCDateTime {
  /// The upper 16 bits of the seconds.
  UInt16 highSeconds;
  /// The lower 32 bits of the seconds.
  UInt32 lowSeconds;
  /// Fractions of a second, in units of 1/65536 second.
  UInt16 fraction;
};

/// @}

#endif
