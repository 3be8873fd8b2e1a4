// Text helpers that GLib provides, for the platform layer: repairing bytes that are not UTF-8,
// comparing texts without regard to case, and the less specific forms of a locale name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kiv::platform {

// The `length` bytes of text as valid UTF-8: each byte that is not part of a UTF-8 character
// becomes U+FFFD.
std::string validUtf8(const char* text, std::size_t length);

// True when the two UTF-8 texts are equal once case-folded; false when either is null.
bool sameTextIgnoringCase(const char* a, const char* b);

// A locale name and its less specific forms, most specific first, as the C library orders them:
// "de_AT.UTF-8@euro" gives "de_AT.UTF-8@euro", "de_AT.UTF-8", "de_AT@euro", "de_AT",
// "de.UTF-8@euro", "de.UTF-8", "de@euro", "de".
std::vector<std::string> localeVariants(const std::string& name);

} // namespace kiv::platform
