// UTF-8 text: the one place where it is cut at a character boundary, and bytes that may not be
// UTF-8 read as UTF-16.
#pragma once

#include "detail/MacTypes.h"

#include <cstddef>

namespace kiv::platform {

// The length of text[0..length) without a character that is cut short at its end (a lead byte
// followed by fewer continuation bytes than it announces), so that the text cut to that length
// ends on a whole character. Bytes that are not UTF-8 are kept as they are.
std::size_t utf8CompleteLength(const char* text, std::size_t length);

// The length of the longest start of the `length` bytes of text that fits in `room` bytes and
// ends on a whole character: `length` when it fits.
inline std::size_t utf8CutLength(const char* text, std::size_t length, std::size_t room) {
  return length <= room ? length : utf8CompleteLength(text, room);
}

// Decodes `length` bytes of UTF-8 into at most `room` UTF-16 units, each byte that is not part
// of a UTF-8 character as U+FFFD, and returns the number of units written (a longer text is
// cut).
int decodeUtf8Substituting(const char* text, std::size_t length, UniChar* out, int room);

} // namespace kiv::platform
