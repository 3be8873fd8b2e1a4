// Shift-JIS after the published JIS X 0208 mapping: bytes 0x00 to 0x7F are themselves, 0xA1 to
// 0xDF the half-width katakana, and a lead byte with a trail byte one of the 6879 characters of
// JIS X 0208 rows 1 to 84. Nothing else is accepted: no vendor rows, no user-defined area.
// Encoding also writes the yen sign as 0x5C and the overline as 0x7E, as JIS X 0201 does.
//
// Same results and room rules as decode and encode of Codec.h.
#pragma once

#include <cstdint>

#include "detail/CFString.h"

namespace kiv::platform::shiftjis {

int32_t decode(const char* src, int32_t n, UniChar* dst, int32_t cap);
int32_t decodedLength(const char* src, int32_t n);
int32_t encode(const UniChar* src, int32_t n, char* dst, int32_t cap);

} // namespace kiv::platform::shiftjis
