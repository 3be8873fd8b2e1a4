// Conversions between the library's string forms and encodings. Compiles as C++11.
//
// None returns a value: a conversion that cannot produce the whole text (a character without
// a form in the target encoding, a result longer than the room it is given, a source that does
// not decode, a Pascal string over 255 bytes) leaves an empty destination. The room each
// conversion may fill is fixed by its source (see each function), or for a Unicode string by
// its result: count + 1 units, and 1 unit when it fails. Nothing is written past it, not even a
// terminator. Unicode strings are unit 0 = count n, then n UTF-16 units; counts above 32767 are
// refused.
//
// Shift-JIS follows the published JIS X 0208 mapping: bytes 0x00 to 0x7F stand for themselves,
// 0xA1 to 0xDF for the half-width katakana, and a lead byte (0x81 to 0x9F, 0xE0 to 0xEA) with a
// trail byte (0x40 to 0x7E, 0x80 to 0xFC) for a character of JIS X 0208 (0x8160 is U+301C WAVE
// DASH). Vendor rows and the user-defined area are not converted. The yen sign U+00A5 and the
// overline U+203E are written as 0x5C and 0x7E.
#ifndef KIV_DETAIL_ENCODINGCONVERSIONS_H
#define KIV_DETAIL_ENCODINGCONVERSIONS_H

#include "MacTypes.h"

// Unicode string to Pascal string in the system encoding, in u[0] + 1 bytes. The third
// argument is not consulted.
void UniStringToPString(unsigned short* u, unsigned char* p, short);
// File name to Mac Roman Pascal string, in length + 1 bytes.
void UniStringToPString(HFSUniStr255* u, unsigned char* p);
// File name to Mac Roman C string, in length + 1 bytes.
void UniStringToCString(HFSUniStr255* u, char* c);

// Mac Roman Pascal string to Unicode string (p[0] + 1 units). The third argument is not
// consulted.
void PStringToUniString(unsigned char* p, unsigned short* u, short);
// Mac Roman Pascal string to file name.
void PStringToUniString(unsigned char* p, HFSUniStr255* u);
// Mac Roman C string to Unicode string (strlen(c) + 1 units).
void CStringToUniString(const char* c, unsigned short* u);
// Shift-JIS Pascal string to Unicode string (count + 1 units, at most p[0] + 1).
void SJIS_PStringToUniString(unsigned char* p, unsigned short* u);
// Unicode string to Shift-JIS Pascal string, in 255 bytes.
void UniStringToSJIS_PString(unsigned short* u, unsigned char* p);
// Pascal string to Unicode string byte by byte: each byte becomes the unit of the same value.
void RomanStringToUniString(unsigned char* p, unsigned short* u);

// UTF-8 C string to Unicode string (count + 1 units, at most strlen(s) + 1).
void UTFStringToUniString(char* s, unsigned short* u);
// UTF-8 C string to Mac Roman C string, in 255 bytes.
void UTFStringToCString(char* s, char* c);
// UTF-8 C string to Mac Roman C string, in size bytes.
void UTFStringToCString(char* s, char* c, int size);
// UTF-8 C string to Mac Roman Pascal string, in 255 bytes.
void UTFStringToPString(char* s, unsigned char* p);
// Unicode string to UTF-8 C string, in 2 * u[0] bytes (1 byte when u[0] is 0: the empty
// result is its terminator alone).
void UniStringToUTFString(unsigned short* u, char* s);
// Mac Roman C string to UTF-8 C string, in 2 * strlen(c) bytes.
void CStringToUTFString(char* c, char* s);
// Mac Roman Pascal string to UTF-8 C string, in 2 * p[0] bytes.
void PStringToUTFString(unsigned char* p, char* s);

#endif
