/// \file
/// Pascal strings (a length byte 0..255, then the text, no terminator; a 256-byte buffer holds
/// any of them) and C strings (bytes up to the first zero byte). Compiles as C++11.
///
/// Copies take the source first; functions that change or extend a string take it first. None
/// checks its destination's room: each states how many bytes it writes. Beyond the documented
/// limits the results are clipped so that no Pascal string gets more than 255 bytes and nothing is
/// written past total + 1 (justification) or 256 (conversion to a Pascal string) bytes. A null
/// pointer argument makes a function do nothing (and answer false or return its first argument).
#ifndef KIV_DETAIL_PASCALSTRINGS_H
#define KIV_DETAIL_PASCALSTRINGS_H

#include "Export.h"

/// \addtogroup KIVStr
/// @{

/// Copies the length byte and the text of src to dst (src[0] + 1 bytes).
KIV_API void PPcopy(const unsigned char* src, unsigned char* dst);

/// Appends src's text to dst and returns dst. A joined length above 255 is cut to 255 bytes.
KIV_API unsigned char* PPcat(unsigned char* dst, const unsigned char* src);

/// Writes src's text and a zero byte to dst (src[0] + 1 bytes).
KIV_API void P2CStrCopy(const unsigned char* src, char* dst);

/// Writes the length of src and its bytes to dst (n + 1 bytes). Only the first 255 bytes of a
/// longer C string are taken.
KIV_API void C2PStrCopy(const char* src, unsigned char* dst);

/// Turns the C string in s into a Pascal string in place (n + 1 bytes written) and returns s.
/// Only the first 255 bytes of a longer C string are kept.
KIV_API char* C2pstr(char* s);

/// Turns the Pascal string in s into a C string in place and returns s.
KIV_API unsigned char* P2cstr(unsigned char* s);

/// Lowers the length of s to max when it is greater; a negative max counts as 0.
KIV_API void Trunc(unsigned char* s, short max);

/// True when the first occurrence of suffix in s ends at the end of s: "xabc" ends by "abc",
/// "abcabc" does not; an empty suffix ends only an empty s.
KIV_API bool EndsBy(char* s, char* suffix);
/// The same on Pascal strings; false at once when s is shorter than suffix.
KIV_API bool EndsBy(unsigned char* s, unsigned char* suffix);

/// True when the first prefix[0] bytes of s and prefix agree, compared as strncmp compares the
/// two strings converted to C strings.
KIV_API bool StrBeginBy(const unsigned char* s, const unsigned char* prefix);

/// Left-justifies src in a field: dst gets width + gap characters, src's text cut or padded with
/// blanks to width, then blanks. src and dst may be the same buffer. Returns dst. A total below 0
/// gives the empty string, above 255 is cut to 255.
KIV_API unsigned char* JSTstr(const unsigned char* src, unsigned char* dst, short width, short gap);

/// Writes value in decimal in a field of max(width, digits) characters, left-justified when align
/// is greater than 0, otherwise right-justified, followed by gap blanks (a negative gap cuts the
/// field short). Returns dst. A total below 0 gives the empty string, above 255 is cut to 255.
KIV_API unsigned char* JSTlong(int value, unsigned char* dst, short width, short gap, short align);

/// @}

#endif
