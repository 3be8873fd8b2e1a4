/// \file
/// Windows Latin 1 to Mac Roman conversion, 16-bit Unicode string primitives and detection of
/// the Japanese encoding of a byte string. Compiles as C++11.
///
/// Unicode strings: unit 0 holds the count n, units 1 to n the UTF-16 units, no terminator.
#ifndef KIV_DETAIL_CHARSETS_H
#define KIV_DETAIL_CHARSETS_H

#include "Export.h"

/// \addtogroup KIVStr
/// @{

/// Converts the Pascal string s from Windows-1252 to Mac Roman in place. False, leaving s as
/// it was, when a character has no Mac Roman form or s holds more than 253 characters.
KIV_API bool ConvertWinString2MacString(unsigned char* s);
/// The same for a C string; the result has the input's length.
KIV_API bool ConvertCWinString2MacString(char* s);
/// Leave s unchanged.
///@{
KIV_API void WinStr2MacStr(unsigned char* s);
KIV_API void MacStr2WinStr(unsigned char* s);
///@}

/// Copies src (count and units) into dst; returns dst. The caller provides the room.
KIV_API unsigned short* PPUcopy(unsigned short* src, unsigned short* dst);
/// Appends the units of src to dst; returns dst. The caller provides the room. An append whose
/// result would exceed 32767 units is refused and leaves dst unchanged.
KIV_API unsigned short* PPUcat(unsigned short* dst, unsigned short* src);
/// True when a and b have the same non-zero count and the same units.
KIV_API bool EqualStringUni(unsigned short* a, unsigned short* b);
/// c with its two bytes exchanged.
KIV_API unsigned short AlwaysSwapUniChar(unsigned short c);
/// Reverses the byte order of the count and the units of s, whichever order s is in. A count of
/// 1 to 255 is recognised in either order; a string of 256 units or more must be in host order,
/// since its count in the foreign order reads like another host-order count (its reversal reads
/// that many units), and a host-order count that is a multiple of 256 reads as the foreign-order
/// count it resembles (256 as 1).
///@{
KIV_API void AlwaysSwapUniString(unsigned short* s);
KIV_API void SwapUniString(unsigned short* s);
///@}

/// Kanji codes: 1 JIS (`ESC $ B`), 2 JIS 1978 (`ESC $ @`), 3 JIS with half-width katakana
/// (`ESC ( I`), 4 NEC JIS (`ESC K`), 5 EUC-JP, 6 Shift-JIS, 7 EUC-JP or Shift-JIS undecided,
/// 8 nothing decided.
KIV_API int DetectKanjiCode(const unsigned char* s);

/// @}

#endif
