// KIVStr: the conversion operators with their buffers, and the copies into
// caller buffers.
#include "KIV_Str.h"
#include "platform/memory/Memory.h"
#include "platform/string/SharedText.h"

#include <cstring>

using kiv::platform::DisposePtr;
using kiv::platform::GetPtrSize;
using kiv::platform::NewPtr;

namespace {

const char kPascalTooLong[] = "KIVStr::GetPStringCopy : string is larger than 255 !";
const char kPascalNotRoman[] = "KIVStr::GetPStringCopy : string is not roman. "
                               "Impossible to copy to Pstr !";
const char kCStringTooLong[] = "KIVStr::GetCStringCopy : string is larger than len !";

// Handed out when not even a one-byte buffer can be had.
char emptyCString[1];

// Bytes the C string buffer reserves per UTF-16 unit. Two cover the single- and
// double-byte encodings; UTF-8 takes up to three for a unit outside the
// surrogate range.
long bytesPerUnit(CFStringEncoding encoding) { return encoding == kCFStringEncodingUTF8 ? 3 : 2; }

bool isHighSurrogate(UniChar u) { return u >= 0xD800 && u <= 0xDBFF; }

} // namespace

void KIVStr::AllocBuffer(short n) {
  if (cStringBufferPresent) return;
  long bytes = 2L * n;
  cStringBuffer = NewPtr(bytes > 0 ? bytes : 1);
  cStringBufferPresent = cStringBuffer != nullptr;
}

void KIVStr::ReleaseBuffer() {
  if (!cStringBufferPresent) return;
  DisposePtr(cStringBuffer);
  cStringBuffer = nullptr;
  cStringBufferPresent = false;
}

char* KIVStr::ToCString() const {
  if (const char* lent = CFStringGetCStringPtr(text, encoding)) return const_cast<char*>(lent);
  // The buffer holds 2 bytes a unit (3 for UTF-8) and the terminator; it is made on first use
  // and replaced when the text has outgrown it.
  const long bytes = kiv::platform::textLength(text) * bytesPerUnit(encoding) + 1;
  if (!cStringBufferPresent || GetPtrSize(cStringBuffer) < bytes) {
    if (cStringBufferPresent) DisposePtr(cStringBuffer);
    cStringBuffer = NewPtr(bytes);
    cStringBufferPresent = cStringBuffer != nullptr;
  }
  if (!cStringBufferPresent) {
    emptyCString[0] = 0;
    return emptyCString;
  }
  if (!CFStringGetCString(text, cStringBuffer, GetPtrSize(cStringBuffer), encoding))
    cStringBuffer[0] = 0;
  return cStringBuffer;
}

unsigned char* KIVStr::ToPascalString() const {
  if (!CFStringGetPascalString(text, pascalBuffer, sizeof pascalBuffer, encoding))
    pascalBuffer[0] = 0;
  return pascalBuffer;
}

KIVStr::operator char*() { return ToCString(); }

KIVStr::operator char const*() const { return ToCString(); }

KIVStr::operator unsigned char*() { return ToPascalString(); }

KIVStr::operator unsigned char const*() const { return ToPascalString(); }

void KIVStr::GetPStringCopy(unsigned char* dst) {
  if (!dst) return;
  dst[0] = 0;
  long units = Units();
  if (units <= 0) return;
  if (units > 255) Report(kPascalTooLong);
  if (encoding != kCFStringEncodingMacRoman) {
    Report(kPascalNotRoman);
    return;
  }
  if (units > 255) return;
  const unsigned char* pascal = ToPascalString();
  std::memcpy(dst, pascal, pascal[0] + 1u);
}

bool KIVStr::GetCStringCopy(char* dst, short len) const {
  if (Units() > len) Report(kCStringTooLong);
  if (!dst || len <= 0) return false;
  if (CFStringGetCString(text, dst, len, encoding)) return true;
  dst[0] = 0;
  return false;
}

void KIVStr::GetUniStringCopy(unsigned short* dst, int max) const {
  if (!dst) return;
  dst[0] = 0;
  long units = Units();
  if (units <= 0) return;
  long n = units;
  if (units > max) {
    Report(kPascalTooLong);
    n = max > 0 ? max : 0;
  }
  // Unit 0 cannot count more than this.
  if (n > 0xFFFF) n = 0xFFFF;
  if (n == 0) return;
  CFStringGetCharacters(text, CFRangeMake(0, n), dst + 1);
  dst[0] = static_cast<unsigned short>(n);
}

void KIVStr::GetUTF8StringCopy(char* dst, long max) const {
  // dst holds max + 1 bytes: a negative max leaves no room even for the
  // terminator.
  if (!dst || max < 0) return;
  dst[0] = 0;
  long units = Units();
  long n = units < max ? units : max;
  if (n <= 0) return;
  // Never split a surrogate pair: its first half alone has no UTF-8 form.
  if (n < units && isHighSurrogate(CFStringGetCharacterAtIndex(text, n - 1))) --n;
  if (n <= 0) return;
  CFIndex used = 0;
  CFStringGetBytes(text, CFRangeMake(0, n), kCFStringEncodingUTF8, 0, false,
                   reinterpret_cast<UInt8*>(dst), max, &used);
  if (used < 0 || used > max) used = 0;
  dst[used] = 0;
}

CFStringRef KIVStr::GetCFStringCopy() const {
  return CFStringCreateCopy(kCFAllocatorDefault, text);
}
