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
  // Returns true when this was the last reference; the caller then destroys the object. The
  // holder of the only reference needs no locked operation: nobody else can take one.
  bool release() const {
    if (refs_.load(std::memory_order_acquire) == 1) return true;
    return refs_.fetch_sub(1, std::memory_order_acq_rel) == 1;
  }
  // True when more than one reference holds the object. Seeing 1 after other holders released
  // theirs also orders their last reads before whatever this holder does next.
  bool shared() const { return refs_.load(std::memory_order_acquire) > 1; }
  // Marks an object that its holder handed out to be changed: such an object is not shared.
  void pin() const { pinned_ = true; }
  bool pinned() const { return pinned_; }
  // Ends the life of an object whose last reference went. A kind may recycle its objects.
  virtual void destroy() const { delete this; }

protected:
  // Gives a recycled object its first reference again.
  void revive() const {
    refs_.store(1, std::memory_order_relaxed);
    pinned_ = false;
  }

private:
  mutable std::atomic<long> refs_{1};
  mutable bool pinned_ = false;
};

} // namespace kiv::platform
