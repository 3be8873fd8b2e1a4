// The storage of a string object's UTF-16 units: a growable array that appends in place, with
// the part of a vector's interface the string service uses. Units added by resize are left
// undefined, to be written by the caller. Allocation failure throws std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "detail/CFString.h"

namespace kiv::platform {

class Units {
public:
  Units() = default;
  Units(const Units&) = delete;
  Units& operator=(const Units&) = delete;
  ~Units() { std::free(data_); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::size_t capacity() const { return capacity_; }
  UniChar* data() { return data_; }
  const UniChar* data() const { return data_; }
  const UniChar* begin() const { return data_; }
  const UniChar* end() const { return data_ + size_; }
  UniChar& operator[](std::size_t i) { return data_[i]; }
  UniChar operator[](std::size_t i) const { return data_[i]; }

  void clear() { size_ = 0; }
  void reserve(std::size_t n) {
    if (n > capacity_) reallocate(n);
  }
  void resize(std::size_t n) {
    if (n > capacity_) grow(n);
    size_ = n;
  }
  // Appends n units, which may be this array's own.
  void append(const UniChar* units, std::size_t n) {
    if (n == 0) return; // units may then be null, and so may the storage
    if (n > capacity_ - size_) {
      // Compared as numbers: units may be about to move with the storage.
      const auto from = reinterpret_cast<std::uintptr_t>(units);
      const auto start = reinterpret_cast<std::uintptr_t>(data_);
      const bool own = from >= start && from < start + size_ * sizeof(UniChar);
      grow(size_ + n);
      if (own) units = data_ + (from - start) / sizeof(UniChar);
    }
    // Short runs, the common case, as two overlapping 16-byte copies rather than a call.
    auto* to = reinterpret_cast<unsigned char*>(data_ + size_);
    const auto* from = reinterpret_cast<const unsigned char*>(units);
    const std::size_t bytes = n * sizeof(UniChar);
    if (bytes >= 16 && bytes <= 32) {
      std::memcpy(to, from, 16);
      std::memcpy(to + bytes - 16, from + bytes - 16, 16);
    } else {
      std::memcpy(to, from, bytes);
    }
    size_ += n;
  }
  void assign(const UniChar* units, std::size_t n) {
    size_ = 0;
    append(units, n);
  }
  // Removes the units from `from` up to `to`.
  void erase(std::size_t from, std::size_t to) {
    std::memmove(data_ + from, data_ + to, (size_ - to) * sizeof(UniChar));
    size_ -= to - from;
  }
  void swap(Units& other) {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }
  bool operator==(const Units& other) const {
    return size_ == other.size_ &&
           (size_ == 0 || std::memcmp(data_, other.data_, size_ * sizeof(UniChar)) == 0);
  }

private:
  // At least n units, and at least twice as many as now, so that appending costs constant time.
  void grow(std::size_t n) {
    const std::size_t doubled = capacity_ > max() / 2 ? max() : 2 * capacity_;
    reallocate(n > doubled ? n : (doubled < 16 ? 16 : doubled));
  }
  void reallocate(std::size_t n) {
    if (n > max()) throw std::bad_alloc();
    void* grown = std::realloc(data_, n * sizeof(UniChar));
    if (!grown) throw std::bad_alloc();
    data_ = static_cast<UniChar*>(grown);
    capacity_ = n;
  }
  static constexpr std::size_t max() { return static_cast<std::size_t>(-1) / 2 / sizeof(UniChar); }

  UniChar* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

} // namespace kiv::platform
