/// \file
/// The platform string service: reference-counted UTF-16 text objects with decoders and
/// encoders for 8-bit encodings. Compiles as C++11.
///
/// Every object created or copied here belongs to the caller, who releases it with CFRelease.
/// Creation returns null when the bytes are not valid in the encoding; encoding into a buffer
/// returns false, without substitute characters, when a character has no form in the encoding
/// or the result does not fit. Null object arguments are tolerated: queries answer 0, false or
/// null and modifications do nothing. The allocator arguments are ignored and capacities are
/// hints; a modification with text that does not decode appends nothing.
#ifndef KIV_DETAIL_CFSTRING_H
#define KIV_DETAIL_CFSTRING_H

#include "Export.h"
#include "MacTypes.h"

/// \addtogroup KIV_Str
/// @{

/// Any object of the service, for CFRetain and CFRelease.
typedef const void* CFTypeRef;
/// A length, a position or a count of UTF-16 units.
typedef long CFIndex;
/// A set of option bits.
typedef unsigned long CFOptionFlags;
/// An encoding code (the kCFStringEncoding... values).
typedef UInt32 CFStringEncoding;

/// A string object, read only.
typedef const struct __CFString* CFStringRef;
/// A string object that can be changed: the result of CFStringCreateMutable.
typedef struct __CFString* CFMutableStringRef;
/// An allocator; only kCFAllocatorDefault (null) exists.
typedef const struct __CFAllocator* CFAllocatorRef;
/// A locale object (see CFStringUppercase).
typedef const struct __CFLocale* CFLocaleRef;

/// The default allocator; the only one the service knows.
static const CFAllocatorRef kCFAllocatorDefault = 0;

/// A range of UTF-16 units: `length` units from position `location` (0-based).
struct CFRange {
  /// The first unit of the range.
  CFIndex location;
  /// The number of units.
  CFIndex length;
};

/// The range of `length` units from `location`.
inline CFRange CFRangeMake(CFIndex location, CFIndex length) {
  CFRange range;
  range.location = location;
  range.length = length;
  return range;
}

/// The result of CFStringCompare: kCFCompareLessThan (-1), kCFCompareEqualTo (0) or
/// kCFCompareGreaterThan (1).
typedef CFIndex CFComparisonResult;
/// The values of CFComparisonResult.
enum { kCFCompareLessThan = -1, kCFCompareEqualTo = 0, kCFCompareGreaterThan = 1 };

/// Options of CFStringCompare: 0, or kCFCompareCaseInsensitive.
typedef CFOptionFlags CFStringCompareFlags;
/// The options of CFStringCompare.
enum { kCFCompareCaseInsensitive = 1 };

/// Encoding codes. The first four are the library's own; the others are the codes that
/// CFStringGetSystemEncoding may report for the character set of the process's locale.
/// Shift-JIS is JIS X 0208 after the published mapping, without vendor rows (see
/// EncodingConversions.h).
enum {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingWindowsLatin1 = 0x0500,
  kCFStringEncodingShiftJIS = 0x0A01,
  kCFStringEncodingUTF8 = 0x08000100,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingISOLatin1 = 0x0201,
  kCFStringEncodingISOLatin2 = 0x0202,
  kCFStringEncodingISOLatin3 = 0x0203,
  kCFStringEncodingISOLatin4 = 0x0204,
  kCFStringEncodingISOLatinCyrillic = 0x0205,
  kCFStringEncodingISOLatinArabic = 0x0206,
  kCFStringEncodingISOLatinGreek = 0x0207,
  kCFStringEncodingISOLatinHebrew = 0x0208,
  kCFStringEncodingISOLatin5 = 0x0209,
  kCFStringEncodingISOLatin6 = 0x020A,
  kCFStringEncodingISOLatinThai = 0x020B,
  kCFStringEncodingISOLatin7 = 0x020D,
  kCFStringEncodingISOLatin8 = 0x020E,
  kCFStringEncodingISOLatin9 = 0x020F,
  kCFStringEncodingWindowsLatin2 = 0x0501,
  kCFStringEncodingWindowsCyrillic = 0x0502,
  kCFStringEncodingWindowsGreek = 0x0503,
  kCFStringEncodingWindowsLatin5 = 0x0504,
  kCFStringEncodingWindowsHebrew = 0x0505,
  kCFStringEncodingWindowsArabic = 0x0506,
  kCFStringEncodingWindowsBalticRim = 0x0507,
  kCFStringEncodingWindowsVietnamese = 0x0508,
  kCFStringEncodingGBK_95 = 0x0631,
  kCFStringEncodingGB_18030_2000 = 0x0632,
  kCFStringEncodingEUC_JP = 0x0920,
  kCFStringEncodingEUC_CN = 0x0930,
  kCFStringEncodingEUC_TW = 0x0931,
  kCFStringEncodingEUC_KR = 0x0940,
  kCFStringEncodingKOI8_R = 0x0A02,
  kCFStringEncodingBig5 = 0x0A03,
  kCFStringEncodingKOI8_U = 0x0A08
};
/// The code of no encoding.
enum { kCFStringEncodingInvalidId = 0xFFFFFFFFu };

// Objects.

/// Adds a reference to the object and returns it; a null object is returned as it is.
KIV_API CFTypeRef CFRetain(CFTypeRef object);
/// Gives up a reference: the object is released with its last reference. A null object does
/// nothing.
KIV_API void CFRelease(CFTypeRef object);

// Creation. The allocator argument is ignored; capacities are hints.

/// A new empty string that can be changed; maxLength is a hint, not a limit.
KIV_API CFMutableStringRef CFStringCreateMutable(CFAllocatorRef alloc, CFIndex maxLength);
/// A new string that can be changed, holding the units of `string` (empty for a null string).
KIV_API CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex maxLength,
                                                     CFStringRef string);
/// A new string of numChars UTF-16 units, taken unchanged; null for a negative count or null
/// units.
KIV_API CFStringRef CFStringCreateWithCharacters(CFAllocatorRef alloc, const UniChar* chars,
                                                 CFIndex numChars);
/// A new string decoded from the text of a Pascal string; null when it does not decode, for an
/// unknown encoding or a null string.
KIV_API CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr,
                                                   CFStringEncoding encoding);
/// A new string decoded from a C string up to its terminator; null as above.
KIV_API CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                              CFStringEncoding encoding);
/// A new string decoded from numBytes bytes; null as above.
/// No byte-order mark handling: isExternalRepresentation is ignored.
KIV_API CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes,
                                            CFIndex numBytes, CFStringEncoding encoding,
                                            Boolean isExternalRepresentation);
/// A string that will not change holding the same text: the string itself, retained, when it
/// cannot change, else a new one. Null for a null string.
KIV_API CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef string);

// Reading.

/// The number of UTF-16 units.
KIV_API CFIndex CFStringGetLength(CFStringRef string);
/// The unit at `index`; 0 for a position outside the text.
KIV_API UniChar CFStringGetCharacterAtIndex(CFStringRef string, CFIndex index);
/// Copies the units of range into buffer; a range outside the text copies nothing.
KIV_API void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer);
/// The text and its terminator encoded into bufferSize bytes.
/// False, with the empty string in the buffer, when it does not fit or does not encode.
KIV_API Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                                   CFStringEncoding encoding);
/// The length byte and the text encoded into bufferSize bytes (at most 255 text bytes).
/// False, with the empty string in the buffer, when it does not fit or does not encode.
KIV_API Boolean CFStringGetPascalString(CFStringRef string, StringPtr buffer, CFIndex bufferSize,
                                        CFStringEncoding encoding);
/// The object's storage lent as a C string when no conversion is needed; the storage is
/// UTF-16, so this always answers null and callers fall back to CFStringGetCString.
KIV_API const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding);
/// Encodes whole characters of range until maxBufLen bytes are used (a null buffer only
/// measures). With lossByte 0, encoding stops at the first character without a form in the
/// encoding; another lossByte is written in place of such a character. Returns the number of
/// UTF-16 units converted and sets usedBufLen (when not null) to the bytes used.
KIV_API CFIndex CFStringGetBytes(CFStringRef string, CFRange range, CFStringEncoding encoding,
                                 UInt8 lossByte, Boolean isExternalRepresentation, UInt8* buffer,
                                 CFIndex maxBufLen, CFIndex* usedBufLen);

// Modification of mutable strings. Text that does not decode appends nothing.

/// Appends the text of `appended` (the string itself may be appended to itself).
KIV_API void CFStringAppend(CFMutableStringRef string, CFStringRef appended);
/// Appends a C string decoded in `encoding`; nothing when it does not decode.
KIV_API void CFStringAppendCString(CFMutableStringRef string, const char* cStr,
                                   CFStringEncoding encoding);
/// Appends a Pascal string's text decoded in `encoding`; nothing when it does not decode.
KIV_API void CFStringAppendPascalString(CFMutableStringRef string, ConstStr255Param pStr,
                                        CFStringEncoding encoding);
/// Appends numChars UTF-16 units unchanged.
KIV_API void CFStringAppendCharacters(CFMutableStringRef string, const UniChar* chars,
                                      CFIndex numChars);
/// Removes range, clipped to the text.
KIV_API void CFStringDelete(CFMutableStringRef string, CFRange range);
/// Locale-independent case mapping of the whole text; the locale argument is ignored.
///@{
KIV_API void CFStringUppercase(CFMutableStringRef string, CFLocaleRef locale);
KIV_API void CFStringLowercase(CFMutableStringRef string, CFLocaleRef locale);
///@}

/// Comparison of UTF-16 units; kCFCompareCaseInsensitive compares case-folded text. A null
/// string orders before any other.
KIV_API CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b,
                                           CFStringCompareFlags options);

// Encodings.

/// The code of the character set of the process's locale as the environment sets it
/// (LC_ALL, LC_CTYPE, LANG): UTF-8 on a UTF-8 locale, ASCII in the C locale.
KIV_API CFStringEncoding CFStringGetSystemEncoding(void);
/// True when the service can decode and encode text in `encoding`: the codes listed above.
KIV_API Boolean CFStringIsEncodingAvailable(CFStringEncoding encoding);

/// @}

#endif
