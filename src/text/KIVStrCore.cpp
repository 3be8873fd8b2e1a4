// KIVStr: construction, destruction, accessors and the failure channel.
#include "KIV_Str.h"
#include "platform/memory/Memory.h"
#include "platform/string/SharedText.h"

#include <climits>
#include <cstring>

KIVFeedback::~KIVFeedback() {}

namespace {

// Capacities arrive as int and are cut to 16 bits; what is left below zero
// means no hint.
CFIndex capacityHint(int capacity) {
  short cut = static_cast<short>(capacity);
  return cut > 0 ? cut : 0;
}

} // namespace

// StrInit and CreateEmptyString, done in place: strings are made often, and calls between
// the class's own members go through the library's symbol table.
KIVStr::KIVStr(int capacity, unsigned int encoding, KIVFeedback* feedback)
    : text(kiv::platform::newText(capacityHint(capacity))), cStringBufferPresent(false),
      encoding(encoding), feedback(feedback), ownsFeedback(false), cStringBuffer(nullptr) {
  pascalBuffer[0] = 0;
}

KIVStr::KIVStr(int capacity, KIVFeedback* feedback)
    : KIVStr(capacity, CFStringGetSystemEncoding(), feedback) {}

KIVStr::KIVStr(const char* s, KIVFeedback* feedback)
    : KIVStr(s ? static_cast<int>(std::strlen(s) & 0xFFFF) : 0, CFStringGetSystemEncoding(),
             feedback) {
  Affect(s);
}

KIVStr::KIVStr(const unsigned char* pascal, KIVFeedback* feedback)
    : KIVStr(pascal ? pascal[0] : 0, CFStringGetSystemEncoding(), feedback) {
  Affect(pascal);
}

KIVStr::KIVStr(const KIVStr& other)
    : text(kiv::platform::shareText(other.text)), cStringBufferPresent(false),
      encoding(other.encoding), feedback(other.feedback), ownsFeedback(false),
      cStringBuffer(nullptr) {
  pascalBuffer[0] = 0;
  // Only a lent text is copied, and a copy that cannot be made leaves an empty string rather
  // than none.
  if (!text) text = kiv::platform::newText(0);
}

KIVStr::~KIVStr() {
  if (cStringBufferPresent) ReleaseBuffer();
  if (ownsFeedback && feedback) delete feedback;
  kiv::platform::releaseText(text);
}

void KIVStr::StrInit(unsigned int enc, KIVFeedback* fb) {
  // A buffer made before a second initialisation would otherwise be lost with
  // its flag.
  ReleaseBuffer();
  encoding = enc;
  feedback = fb;
  ownsFeedback = false;
  pascalBuffer[0] = 0;
}

void KIVStr::CreateEmptyString(short capacity) {
  CFMutableStringRef fresh = kiv::platform::newText(capacity > 0 ? capacity : 0);
  if (!fresh)
    return; // keep whatever text there was: the reference must never become
            // null
  // The object owns its text: a text made earlier is released rather than
  // leaked.
  kiv::platform::releaseText(text);
  text = fresh;
}

unsigned int KIVStr::GetEncoding() const { return encoding; }

KIVFeedback* KIVStr::GetExcept() const { return feedback; }

short KIVStr::Length() const {
  long units = Units();
  return units > SHRT_MAX ? SHRT_MAX : static_cast<short>(units);
}

// Whoever gets the text may change it: it becomes this string's alone first. Should no copy be
// possible, nothing is handed out (the string service takes null as an empty string and
// ignores changes to it).
CFMutableStringRef KIVStr::GetCFString() const {
  return kiv::platform::lendText(text) ? text : nullptr;
}

bool KIVStr::IsEmpty() const { return Units() == 0; }

bool KIVStr::RomanEncoding() const { return encoding == kCFStringEncodingMacRoman; }

void KIVStr::Report(const char* message) const {
  if (feedback) feedback->Report(message);
}

long KIVStr::Units() const { return CFStringGetLength(text); }

void KIVStr::DebugString(const char*) {}
