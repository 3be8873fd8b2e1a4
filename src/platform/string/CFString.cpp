// The string service: reference-counted UTF-16 text over the ICU converters of Codec.cpp.
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

#include "detail/CFString.h"
#include "platform/memory/NoThrow.h"
#include "platform/string/CFObject.h"
#include "platform/string/CFStringObject.h"
#include "platform/string/Codec.h"
#include "platform/string/SharedText.h"

namespace {

// Strings are made and released in quick succession (copies, temporaries), so each thread keeps
// a few released string objects, with their storage, for reuse. Large texts are not kept.
class StringPool {
public:
  static constexpr size_t kMaxObjects = 32;
  static constexpr size_t kMaxUnits = 1024;

  enum State : unsigned char { kNotMade, kAlive, kGone };

  StringPool() { state() = kAlive; }
  ~StringPool() {
    state() = kGone;
    for (size_t i = 0; i < count_; ++i)
      delete objects_[i];
  }
  // kGone once this thread's pool is destroyed: strings released during thread or process exit
  // are then simply deleted.
  static State& state() {
    // The library is linked at start-up, never opened later, so the initial-exec model (no
    // look-up call per access) is safe and keeps string creation cheap.
    static thread_local State s __attribute__((tls_model("initial-exec"))) = kNotMade;
    return s;
  }
  __CFString* take() { return count_ ? objects_[--count_] : nullptr; }
  bool keep(__CFString* s) {
    if (count_ == kMaxObjects || s->text.capacity() > kMaxUnits) return false;
    s->text.clear();
    objects_[count_++] = s;
    return true;
  }

private:
  __CFString* objects_[kMaxObjects];
  size_t count_ = 0;
};

StringPool& pool() {
  static thread_local StringPool p __attribute__((tls_model("initial-exec")));
  return p;
}

} // namespace

__CFString* __CFString::make(bool isMutable) {
  if (StringPool::state() != StringPool::kGone) {
    if (__CFString* s = pool().take()) {
      s->isMutable = isMutable;
      s->revive();
      return s;
    }
  }
  return new __CFString(isMutable);
}

void __CFString::destroy() const {
  auto* self = const_cast<__CFString*>(this);
  if (StringPool::state() != StringPool::kAlive || !pool().keep(self)) delete this;
}

namespace {

using kiv::platform::kCodecInvalid;
using kiv::platform::kCodecOverflow;

using kiv::platform::noThrow;

int32_t clampLength(CFIndex n) { return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n); }

// Decodes n bytes and appends them to text; false, leaving text unchanged, when they do not
// decode.
bool appendDecoded(kiv::platform::Units& text, const char* bytes, CFIndex n,
                   CFStringEncoding encoding) {
  if (n < 0 || n > INT32_MAX) return false;
  const int32_t count = static_cast<int32_t>(n);
  const size_t old = text.size();
  // Every supported encoding gives at most one unit per byte; measure when that fails.
  text.resize(old + count);
  int32_t got = kiv::platform::decode(encoding, bytes, count, text.data() + old, count);
  if (got == kCodecOverflow) {
    const int32_t need = kiv::platform::decodedLength(encoding, bytes, count);
    if (need >= 0) {
      text.resize(old + need);
      got = kiv::platform::decode(encoding, bytes, count, text.data() + old, need);
    }
  }
  if (got < 0) {
    text.resize(old);
    return false;
  }
  text.resize(old + got);
  return true;
}

// Makes a string object and fills its units. When filling fails or runs out of memory the object
// is given back and the result is null, so a failed creation never leaks.
template <typename Fill> __CFString* makeFilled(bool isMutable, Fill fill) noexcept {
  __CFString* s = nullptr;
  try {
    s = __CFString::make(isMutable);
    if (fill(s->text)) return s;
  } catch (...) {
  }
  if (s) s->destroy();
  return nullptr;
}

// Appends all units of appended, which may be string itself; nothing on allocation failure.
void appendUnits(CFMutableStringRef string, CFStringRef appended) {
  noThrow<bool>(false, [&] {
    // Appending a string to itself must read a stable copy of the units.
    if (appended == string) {
      const size_t n = string->text.size();
      string->text.reserve(2 * n);
      string->text.append(string->text.data(), n);
    } else {
      string->text.append(appended->text.data(), appended->text.size());
    }
    return true;
  });
}

// The capacity of a new mutable string is only a hint; an unreasonable one is ignored.
void reserveHint(kiv::platform::Units& text, CFIndex maxLength) {
  if (maxLength > 0 && maxLength <= 1 << 20) text.reserve(static_cast<size_t>(maxLength));
}

CFMutableStringRef createMutable(CFIndex maxLength) {
  return makeFilled(true, [&](kiv::platform::Units& text) {
    reserveHint(text, maxLength);
    return true;
  });
}

CFStringRef createDecoded(const char* bytes, CFIndex n, CFStringEncoding encoding) {
  return makeFilled(
      false, [&](kiv::platform::Units& text) { return appendDecoded(text, bytes, n, encoding); });
}

bool validRange(CFStringRef s, CFRange r) {
  return r.location >= 0 && r.length >= 0 &&
         r.location <= static_cast<CFIndex>(s->text.size()) - r.length;
}

// Text longer than ICU's 32-bit lengths cannot be encoded in one call.
bool encodable(CFStringRef s) { return s->text.size() <= static_cast<size_t>(INT32_MAX); }

void mapCase(CFMutableStringRef s, bool upper) {
  if (!s || !s->isMutable || s->text.empty() || !encodable(s)) return;
  noThrow<bool>(false, [&] {
    const UChar* src = reinterpret_cast<const UChar*>(s->text.data());
    const int32_t n = static_cast<int32_t>(s->text.size());
    // The root locale gives the locale-independent mapping; the length may change (ß, ŉ).
    auto map = [&](UChar* dst, int32_t cap, UErrorCode* status) {
      return upper ? u_strToUpper(dst, cap, src, n, "", status)
                   : u_strToLower(dst, cap, src, n, "", status);
    };
    UErrorCode status = U_ZERO_ERROR;
    const int32_t need = map(nullptr, 0, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return false;
    kiv::platform::Units out;
    out.resize(static_cast<size_t>(need) + 1);
    status = U_ZERO_ERROR;
    const int32_t got = map(reinterpret_cast<UChar*>(out.data()), need + 1, &status);
    if (U_FAILURE(status)) return false;
    out.resize(got);
    s->text.swap(out);
    return true;
  });
}

} // namespace

CFTypeRef CFRetain(CFTypeRef object) {
  if (object) static_cast<const kiv::platform::CFObject*>(object)->retain();
  return object;
}

void CFRelease(CFTypeRef object) {
  if (!object) return;
  auto* o = static_cast<const kiv::platform::CFObject*>(object);
  if (o->release()) o->destroy();
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef, CFIndex maxLength) {
  return createMutable(maxLength);
}

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef, CFIndex maxLength,
                                             CFStringRef string) {
  return makeFilled(true, [&](kiv::platform::Units& text) {
    if (string)
      text.assign(string->text.data(), string->text.size());
    else
      reserveHint(text, maxLength);
    return true;
  });
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars) {
  if (numChars < 0 || (numChars > 0 && !chars)) return nullptr;
  return makeFilled(false, [&](kiv::platform::Units& text) {
    text.assign(chars, static_cast<size_t>(numChars));
    return true;
  });
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param pStr,
                                           CFStringEncoding encoding) {
  if (!pStr) return nullptr;
  return createDecoded(reinterpret_cast<const char*>(pStr + 1), pStr[0], encoding);
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
  if (!cStr) return nullptr;
  return createDecoded(cStr, static_cast<CFIndex>(std::strlen(cStr)), encoding);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean) {
  if (numBytes < 0 || (numBytes > 0 && !bytes)) return nullptr;
  return createDecoded(reinterpret_cast<const char*>(bytes), numBytes, encoding);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef string) {
  if (!string) return nullptr;
  // An immutable string never changes, so its copy can be the same object.
  if (!string->isMutable) return static_cast<CFStringRef>(CFRetain(string));
  return CFStringCreateWithCharacters(nullptr, string->text.data(),
                                      static_cast<CFIndex>(string->text.size()));
}

CFIndex CFStringGetLength(CFStringRef string) {
  return string ? static_cast<CFIndex>(string->text.size()) : 0;
}

UniChar CFStringGetCharacterAtIndex(CFStringRef string, CFIndex index) {
  if (!string || index < 0 || index >= static_cast<CFIndex>(string->text.size())) return 0;
  return string->text[static_cast<size_t>(index)];
}

void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer) {
  if (!string || !buffer || !validRange(string, range) || range.length == 0) return;
  std::memcpy(buffer, string->text.data() + range.location,
              sizeof(UniChar) * static_cast<size_t>(range.length));
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
  if (!buffer || bufferSize <= 0) return false;
  buffer[0] = 0;
  if (!string || !encodable(string)) return false;
  const int32_t room = clampLength(bufferSize - 1);
  const int32_t n = kiv::platform::encode(encoding, string->text.data(),
                                          static_cast<int32_t>(string->text.size()), buffer, room);
  if (n < 0) {
    buffer[0] = 0;
    return false;
  }
  buffer[n] = 0;
  return true;
}

Boolean CFStringGetPascalString(CFStringRef string, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding) {
  if (!buffer || bufferSize <= 0) return false;
  buffer[0] = 0;
  if (!string || !encodable(string)) return false;
  const int32_t room = static_cast<int32_t>(std::min<CFIndex>(bufferSize - 1, 255));
  const int32_t n = kiv::platform::encode(encoding, string->text.data(),
                                          static_cast<int32_t>(string->text.size()),
                                          reinterpret_cast<char*>(buffer + 1), room);
  if (n < 0) return false;
  buffer[0] = static_cast<unsigned char>(n);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef, CFStringEncoding) { return nullptr; }

CFIndex CFStringGetBytes(CFStringRef string, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean, UInt8* buffer, CFIndex maxBufLen,
                         CFIndex* usedBufLen) {
  if (usedBufLen) *usedBufLen = 0;
  if (!string || !validRange(string, range) || !kiv::platform::isKnownEncoding(encoding)) return 0;
  if (buffer && maxBufLen < 0) return 0;
  const UniChar* text = string->text.data() + range.location;
  const CFIndex length = range.length;
  CFIndex used = 0;
  CFIndex i = 0;
  // One character at a time, so that only whole characters are written.
  while (i < length) {
    const CFIndex start = i;
    ++i;
    if (U16_IS_LEAD(text[start]) && i < length && U16_IS_TRAIL(text[i])) ++i;
    char bytes[16];
    int32_t n = kiv::platform::encode(encoding, text + start, static_cast<int32_t>(i - start),
                                      bytes, sizeof bytes);
    if (n < 0) {
      if (lossByte == 0) {
        i = start;
        break;
      }
      bytes[0] = static_cast<char>(lossByte);
      n = 1;
    }
    if (buffer) {
      if (used + n > maxBufLen) {
        i = start;
        break;
      }
      std::memcpy(buffer + used, bytes, static_cast<size_t>(n));
    }
    used += n;
  }
  if (usedBufLen) *usedBufLen = used;
  return i;
}

void CFStringAppend(CFMutableStringRef string, CFStringRef appended) {
  if (!string || !string->isMutable || !appended) return;
  appendUnits(string, appended);
}

void CFStringAppendCString(CFMutableStringRef string, const char* cStr, CFStringEncoding encoding) {
  if (!string || !string->isMutable || !cStr) return;
  noThrow<bool>(false, [&] {
    return appendDecoded(string->text, cStr, static_cast<CFIndex>(std::strlen(cStr)), encoding);
  });
}

void CFStringAppendPascalString(CFMutableStringRef string, ConstStr255Param pStr,
                                CFStringEncoding encoding) {
  if (!string || !string->isMutable || !pStr) return;
  noThrow<bool>(false, [&] {
    return appendDecoded(string->text, reinterpret_cast<const char*>(pStr + 1), pStr[0], encoding);
  });
}

void CFStringAppendCharacters(CFMutableStringRef string, const UniChar* chars, CFIndex numChars) {
  if (!string || !string->isMutable || !chars || numChars <= 0) return;
  noThrow<bool>(false, [&] {
    string->text.append(chars, static_cast<size_t>(numChars));
    return true;
  });
}

void CFStringDelete(CFMutableStringRef string, CFRange range) {
  if (!string || !string->isMutable || range.length <= 0) return;
  const CFIndex size = static_cast<CFIndex>(string->text.size());
  CFIndex from = std::max<CFIndex>(range.location, 0);
  CFIndex to = range.location > size - range.length ? size : range.location + range.length;
  if (from >= to) return;
  string->text.erase(static_cast<size_t>(from), static_cast<size_t>(to));
}

void CFStringUppercase(CFMutableStringRef string, CFLocaleRef) { mapCase(string, true); }

void CFStringLowercase(CFMutableStringRef string, CFLocaleRef) { mapCase(string, false); }

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options) {
  if (!a || !b)
    return a == b ? kCFCompareEqualTo : (a ? kCFCompareGreaterThan : kCFCompareLessThan);
  int order;
  if ((options & kCFCompareCaseInsensitive) && encodable(a) && encodable(b)) {
    UErrorCode status = U_ZERO_ERROR;
    order = u_strCaseCompare(reinterpret_cast<const UChar*>(a->text.data()),
                             static_cast<int32_t>(a->text.size()),
                             reinterpret_cast<const UChar*>(b->text.data()),
                             static_cast<int32_t>(b->text.size()), U_FOLD_CASE_DEFAULT, &status);
  } else {
    order =
        std::lexicographical_compare(a->text.begin(), a->text.end(), b->text.begin(), b->text.end())
            ? -1
            : (a->text == b->text ? 0 : 1);
  }
  return order < 0 ? kCFCompareLessThan : (order > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo);
}

CFStringEncoding CFStringGetSystemEncoding(void) {
  return kiv::platform::systemEncodingFromEnvironment();
}

Boolean CFStringIsEncodingAvailable(CFStringEncoding encoding) {
  return kiv::platform::isKnownEncoding(encoding);
}

namespace kiv::platform {

thread_local constinit CFMutableStringRef spareShare __attribute__((tls_model("initial-exec"))) =
    nullptr;
thread_local constinit bool spareShareReleasedAtExit __attribute__((tls_model("initial-exec"))) =
    false;

void releaseSpareShareAtExit() {
  struct Release {
    ~Release() {
      CFMutableStringRef text = spareShare;
      spareShare = nullptr;
      releaseText(text);
    }
  };
  static thread_local Release release;
  (void)release;
  spareShareReleasedAtExit = true;
}

CFMutableStringRef newText(CFIndex capacity) {
  CFMutableStringRef text = createMutable(capacity);
  return text || capacity <= 0 ? text : createMutable(0);
}

CFMutableStringRef copyText(CFStringRef text) {
  return CFStringCreateMutableCopy(nullptr, 0, text);
}

bool takeOwnCopy(CFMutableStringRef& text) {
  // The reference this thread keeps is no holder: without it the text may be this one's alone.
  if (spareShare == text) {
    spareShare = nullptr;
    releaseText(text);
    if (!textShared(text)) return true;
  }
  CFMutableStringRef copy = copyText(text);
  if (!copy) return false;
  releaseText(text);
  text = copy;
  return true;
}

bool shareInto(CFMutableStringRef& text, CFMutableStringRef other) {
  if (!text || !text->text.empty() || text->pinned() || other->pinned()) return false;
  CFMutableStringRef shared = shareText(other);
  releaseText(text);
  text = shared;
  return true;
}

bool lendText(CFMutableStringRef& text) {
  if (!ownText(text)) return false;
  text->pin();
  return true;
}

} // namespace kiv::platform
