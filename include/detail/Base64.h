/// \file
/// Lenient Base64 decoding of the values that KivXML documents store as Base64 text.
/// Compiles as C++11.
#ifndef KIV_DETAIL_BASE64_H
#define KIV_DETAIL_BASE64_H

#include <string>

#include "Export.h"

/// \addtogroup KivXML
/// @{

/// Decodes Base64 text with the standard alphabet and the pad character "=". Never fails:
/// - a byte outside the alphabet keeps its place and counts as 63 (all six bits set) in the
///   first three places of a group; in the fourth place it makes the group's third byte 255;
/// - "=" ends the decoding in the third or fourth place of a group; in the first two places it
///   is an ordinary byte outside the alphabet;
/// - groups need not be complete: 3 characters give 2 bytes, 2 characters and even a lone
///   final character give 1 byte (the position past the end reads as a byte outside the alphabet);
/// - nothing is skipped, line breaks included.
/// The result is never longer than the input; any byte value, zero included, passes through.
KIV_API std::string decode_base64(std::string encoded);

/// @}

#endif
