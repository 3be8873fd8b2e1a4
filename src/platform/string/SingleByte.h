// Single-byte encodings (Mac Roman, the Windows and ISO 8859 sets, KOI8...) without a converter:
// a 256-entry decoding table and a compact encoding map, read once per process from ICU's own
// converter for the encoding, so that every mapping is ICU's by construction. Runs of ASCII go
// several bytes a step, widened or narrowed without a table.
//
// Same results and room rules as decode and encode of Codec.h; nothing here allocates once an
// encoding's table is built.
#pragma once

#include <cstdint>

#include "detail/CFString.h"

namespace kiv::platform::singlebyte {

class Table;

// The table of a single-byte encoding, built on first use (any thread may ask); null for an
// encoding that is not single-byte, that ICU cannot open, or whose converter does something a
// table cannot (several units for a byte, characters beyond the Basic Multilingual Plane).
const Table* tableFor(CFStringEncoding encoding);

int32_t decode(const Table& t, const char* src, int32_t n, UniChar* dst, int32_t cap);
int32_t decodedLength(const Table& t, const char* src, int32_t n);
int32_t encode(const Table& t, const UniChar* src, int32_t n, char* dst, int32_t cap);

// Straight between the encoding and UTF-8, with the results of decoding and then encoding
// through UTF-16 (UTF-8 that is not well-formed, as ICU defines it, is invalid).
int32_t toUtf8(const Table& t, const char* src, int32_t n, char* dst, int32_t cap);
int32_t fromUtf8(const Table& t, const char* src, int32_t n, char* dst, int32_t cap);
// Straight from one single-byte encoding into another.
int32_t recode(const Table& from, const Table& to, const char* src, int32_t n, char* dst,
               int32_t cap);

} // namespace kiv::platform::singlebyte
