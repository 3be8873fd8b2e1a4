// Scratch space for the text conversions: on the stack up to N elements, on the heap beyond.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace kiv::text {

template <typename T, size_t N = 512> class ScratchBuffer {
public:
  explicit ScratchBuffer(size_t n) {
    if (n <= N) {
      data_ = inline_;
    } else {
      heap_.reset(new (std::nothrow) T[n]);
      data_ = heap_.get();
    }
  }
  ScratchBuffer(const ScratchBuffer&) = delete;
  ScratchBuffer& operator=(const ScratchBuffer&) = delete;

  // Null when the heap could not provide the room.
  T* data() const { return data_; }

private:
  T inline_[N];
  std::unique_ptr<T[]> heap_;
  T* data_;
};

} // namespace kiv::text
