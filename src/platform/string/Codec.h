// Encoding and decoding between 8-bit encodings and UTF-16. Single-byte encodings go through
// tables read once from ICU (SingleByte.h), Shift-JIS through its own (ShiftJis.h), UTF-8 through
// ICU's UTF-8 functions and the others through cached ICU converters. Every function here works
// in the caller's buffers and allocates nothing once the encoding's table or the calling
// thread's converter is ready.
#pragma once

#include <cstdint>

#include "detail/CFString.h"

namespace kiv::platform {

// Results of decode and encode besides a non-negative length.
constexpr int32_t kCodecInvalid = -1;      // bytes not valid in the encoding, or a character
                                           // without a form in it, or an unknown encoding
constexpr int32_t kCodecOverflow = -2;     // the result does not fit the room given
constexpr int32_t kCodecNoDirectPath = -3; // transcode: the pair goes through UTF-16

// An encoding the service knows, with the ICU converter it is read from (null for Shift-JIS).
struct KnownEncoding {
  CFStringEncoding code;
  const char* icuName;
};
constexpr int kMaxKnownEncodings = 64;

// Every encoding the service knows, count of them in *count.
const KnownEncoding* knownEncodings(int* count);
// The encoding's position in knownEncodings, or -1.
int encodingIndex(CFStringEncoding encoding);
// The name of the ICU converter behind the encoding, or null.
const char* icuConverterName(CFStringEncoding encoding);

// True when the encoding code names a converter this service knows.
bool isKnownEncoding(CFStringEncoding encoding);

// Decodes n bytes into at most cap UTF-16 units. Returns the number of units written,
// kCodecInvalid or kCodecOverflow. Nothing is written past dst[cap - 1], but anything before it
// may be: a terminator after a shorter result, part of a text that then fails. A caller whose
// room is only known from the result decodes into scratch space.
int32_t decode(CFStringEncoding encoding, const char* src, int32_t n, UniChar* dst, int32_t cap);

// The number of UTF-16 units that decode would produce, or kCodecInvalid.
int32_t decodedLength(CFStringEncoding encoding, const char* src, int32_t n);

// Encodes n UTF-16 units into at most cap bytes, without substitute characters. Returns the
// number of bytes written, kCodecInvalid or kCodecOverflow. As with decode, nothing is written
// past dst[cap - 1], and a terminator or a failed text's first bytes may be written before it.
int32_t encode(CFStringEncoding encoding, const UniChar* src, int32_t n, char* dst, int32_t cap);

// Converts n bytes from one encoding straight into at most cap bytes of another, with the
// results of decode followed by encode (kCodecInvalid before kCodecOverflow), when the service has
// a direct path for the pair: a single-byte encoding and UTF-8 either way, or two single-byte
// encodings. kCodecNoDirectPath for any other pair. The room rule is encode's.
int32_t transcode(CFStringEncoding from, const char* src, int32_t n, CFStringEncoding to, char* dst,
                  int32_t cap);

// The system encoding as read from the environment (LC_ALL, LC_CTYPE, LANG).
CFStringEncoding systemEncodingFromEnvironment();

} // namespace kiv::platform
