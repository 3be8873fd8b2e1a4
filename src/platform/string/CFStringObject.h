// The string object behind CFStringRef: UTF-16 units and whether they may change. Known to the
// string service and, for its fast paths, to the text shared between string objects.
#pragma once

#include "detail/CFString.h"
#include "platform/string/CFObject.h"
#include "platform/string/Units.h"

struct __CFString : kiv::platform::CFObject {
  explicit __CFString(bool isMutable) : isMutable(isMutable) {}
  kiv::platform::Units text;
  bool isMutable;

  // A new string object, taken from this thread's recycled ones when it has any.
  static __CFString* make(bool isMutable);
  void destroy() const override;
};
