// The base of every platform object that CFRetain and CFRelease handle.
#pragma once

#include <atomic>

namespace kiv::platform {

// Every platform object type (__CFString and the others) derives from CFObject as its first
// and only base, so that a CFTypeRef, which is the object's own address, is also the address
// of its CFObject and can be retained or released without knowing the object's kind.
class CFObject {
public:
  CFObject() = default;
  CFObject(const CFObject&) = delete;
  CFObject& operator=(const CFObject&) = delete;
  virtual ~CFObject() = default;

  void retain() const { refs_.fetch_add(1, std::memory_order_relaxed); }
  // Returns true when this was the last reference; the caller then destroys the object.
  bool release() const { return refs_.fetch_sub(1, std::memory_order_acq_rel) == 1; }
  // Ends the life of an object whose last reference went. A kind may recycle its objects.
  virtual void destroy() const { delete this; }

protected:
  // Gives a recycled object its first reference again.
  void revive() const { refs_.store(1, std::memory_order_relaxed); }

private:
  mutable std::atomic<long> refs_{1};
};

} // namespace kiv::platform
