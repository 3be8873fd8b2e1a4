// Text that several string objects hold at once, each as if it were its own: a copy takes
// another reference instead of the units, and a holder about to change the text first takes a
// copy of its own when others still hold it (copy on first change). A text lent out for
// changes (through the string object's GetCFString) is never shared again, so that no change
// made through the lent reference reaches another holder.
//
// The counts are atomic: holders of one text may be used on different threads.
#pragma once

#include <cstddef>

#include "detail/CFString.h"
#include "platform/string/CFObject.h"
#include "platform/string/CFStringObject.h"

// Internal to the library: called directly, not through its symbol table; the small ones are
// always inlined.
#define KIV_SHARED_TEXT_HIDDEN __attribute__((visibility("hidden")))
#define KIV_SHARED_TEXT_INLINE inline __attribute__((always_inline, visibility("hidden")))

namespace kiv::platform {

// Every platform object starts with its CFObject (CFObject.h).
KIV_SHARED_TEXT_INLINE const CFObject* objectOf(CFStringRef text) {
  return static_cast<const CFObject*>(static_cast<const void*>(text));
}

// The number of units of text.
KIV_SHARED_TEXT_INLINE long textLength(CFStringRef text) {
  return text ? static_cast<long>(text->text.size()) : 0;
}

// A new empty text with room for capacity units (only a hint); null when none can be made.
KIV_SHARED_TEXT_HIDDEN CFMutableStringRef newText(CFIndex capacity);

// A new text holding a copy of text's units; null when it cannot be made.
KIV_SHARED_TEXT_HIDDEN CFMutableStringRef copyText(CFStringRef text);

// Gives up a holder's reference.
KIV_SHARED_TEXT_INLINE void releaseText(CFMutableStringRef text) {
  const CFObject* object = objectOf(text);
  if (object && object->release()) object->destroy();
}

// The reference that giveUpShare keeps for this thread (see there), and whether the thread
// releases it when it ends.
// (constinit: no initialisation to run on first use; initial-exec: the library is loaded at
// start-up, so each access is a single load.)
extern thread_local constinit CFMutableStringRef spareShare
    __attribute__((tls_model("initial-exec"))) KIV_SHARED_TEXT_HIDDEN;
extern thread_local constinit bool spareShareReleasedAtExit
    __attribute__((tls_model("initial-exec"))) KIV_SHARED_TEXT_HIDDEN;
// Has the thread release its spareShare when it ends.
KIV_SHARED_TEXT_HIDDEN void releaseSpareShareAtExit();

// The text for a new holder: the same object, one more reference (or the one this thread kept,
// see giveUpShare), or a copy of a text that was lent out. Null when the copy cannot be made.
KIV_SHARED_TEXT_INLINE CFMutableStringRef shareText(CFMutableStringRef text) {
  // The kept reference is never to a lent text: lending drops it first (takeOwnCopy).
  if (text == spareShare && text) {
    spareShare = nullptr; // taken over
    return text;
  }
  const CFObject* object = objectOf(text);
  if (!object) return nullptr;
  if (object->pinned()) return copyText(text);
  object->retain();
  return text;
}

// True when other holders have text, so that replacing it beats changing a copy of it.
KIV_SHARED_TEXT_INLINE bool textShared(CFMutableStringRef text) {
  const CFObject* object = objectOf(text);
  return object && !object->pinned() && object->shared();
}

// Gives up the reference of a holder about to end on this thread, such as a string object
// passed by value, without a locked operation: the thread keeps it for the next copy of the
// same text, which takes it over. text is then null. (The thread keeps one such reference; it
// is released when another takes its place, when the text is to change, or when the thread
// ends.)
KIV_SHARED_TEXT_INLINE void giveUpShare(CFMutableStringRef& text) {
  // A sole holder's text ends now: nothing to keep it for.
  if (textShared(text)) {
    CFMutableStringRef before = spareShare;
    spareShare = text;
    releaseText(before);
    if (!spareShareReleasedAtExit) releaseSpareShareAtExit();
  } else {
    releaseText(text);
  }
  text = nullptr;
}

// Replaces text by a copy of its own, releasing the shared one; false when no copy can be made.
KIV_SHARED_TEXT_HIDDEN bool takeOwnCopy(CFMutableStringRef& text);

// Makes text its holder's alone before a change: a copy replaces it when other holders have it.
// False, with text unchanged, when the copy cannot be made: the change must then not be made.
KIV_SHARED_TEXT_INLINE bool ownText(CFMutableStringRef& text) {
  if (!textShared(text)) return text != nullptr;
  return takeOwnCopy(text);
}

// Appends n units to text, made its holder's own first; nothing when memory runs out.
KIV_SHARED_TEXT_INLINE void appendUnits(CFMutableStringRef& text, const UniChar* units,
                                        std::size_t n) {
  if (n == 0 || !ownText(text)) return;
  try {
    text->text.append(units, n);
  } catch (...) {
  }
}

// Makes an empty text that was not lent out a share of other (not lent out either), as a copy of
// other would be; false, with nothing done, otherwise.
KIV_SHARED_TEXT_HIDDEN bool shareInto(CFMutableStringRef& text, CFMutableStringRef other);

// Appends the whole of other to text, made its holder's own first; nothing when memory runs
// out. With share, an empty text becomes a share of other instead where shareInto allows: best
// when text is not to grow further. False, with nothing done, when other is empty.
KIV_SHARED_TEXT_INLINE bool appendText(CFMutableStringRef& text, CFMutableStringRef other,
                                       bool share) {
  if (!other || other->text.empty()) return false;
  if (share && shareInto(text, other)) return true;
  appendUnits(text, other->text.data(), other->text.size());
  return true;
}

// Makes text its holder's alone, as ownText, and marks it lent: it is never shared again.
KIV_SHARED_TEXT_HIDDEN bool lendText(CFMutableStringRef& text);

} // namespace kiv::platform

#undef KIV_SHARED_TEXT_HIDDEN
#undef KIV_SHARED_TEXT_INLINE
