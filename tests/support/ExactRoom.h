// Destinations of exactly the room an interface promises, and a table runner over them.
//
// An ExactRoom is a heap block of exactly the promised size, so that AddressSanitizer stops the
// program at the first byte written past it. Without the sanitizer the room is followed by
// guard bytes, which are checked after the call instead.
//
// A RoomRow names one function and one case: the call, and for each destination its form and
// its room. A room may be given, or be the size of the result itself (kRoomOfResult, for the
// interfaces whose room depends on what they write). checkRows runs each call twice: once into
// generous buffers to learn the result (and compare it with the expected one when the row
// states it), then into exact rooms, where the result must come out the same and nothing may be
// written past the room. Every failure names its row; so does a sanitizer's report.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#define KIV_EXACT_ROOM_SANITIZED 1
#else
#define KIV_EXACT_ROOM_SANITIZED 0
#endif

namespace kivtest {

class ExactRoom {
public:
  static constexpr unsigned char kFill = 0xEE;
  static constexpr size_t kGuard = KIV_EXACT_ROOM_SANITIZED ? 0 : 64;

  explicit ExactRoom(size_t room) : room_(room) {
    data_ = static_cast<char*>(std::malloc(room + kGuard));
    if (!data_) std::abort();
    std::memset(data_, kFill, room + kGuard);
  }
  ~ExactRoom() { std::free(data_); }
  ExactRoom(const ExactRoom&) = delete;
  ExactRoom& operator=(const ExactRoom&) = delete;

  char* data() const { return data_; }
  size_t room() const { return room_; }
  // False when a byte after the room was written (never seen under the sanitizer, which stops
  // the program at the write).
  bool intact() const {
    for (size_t i = 0; i < kGuard; ++i)
      if (static_cast<unsigned char>(data_[room_ + i]) != kFill) return false;
    return true;
  }

private:
  size_t room_;
  char* data_;
};

// How a destination's result is read back: a C string and its terminator, a Pascal string and
// its length byte, a Unicode string and its count, or an opaque record (room checked only).
enum class Form { CString, Pascal, Unicode, Record };

constexpr size_t kRoomOfResult = SIZE_MAX;

struct Dest {
  Form form;
  size_t room; // bytes, or kRoomOfResult
};

struct RoomRow {
  std::string name;
  std::vector<Dest> dests;
  // Calls the function with the destinations in the order of dests.
  std::function<void(char* const*)> call;
  // The expected results in the forms of dests (none: not stated by the row).
  std::vector<std::string> expected = {};
};

// Results in their forms, as they are compared.
inline std::string cString(const std::string& s) { return s + '\0'; }
inline std::string pascal(const std::string& s) {
  return static_cast<char>(static_cast<unsigned char>(s.size())) + s;
}
inline std::string unicode(const std::u16string& s) {
  std::u16string u = static_cast<char16_t>(s.size()) + s;
  return std::string(reinterpret_cast<const char*>(u.data()), 2 * u.size());
}

// What a destination that was not written at all reads as.
const std::string kUntouched = "<untouched>";

// The result at p under its form, never read beyond room bytes.
inline std::string resultOf(Form form, const char* p, size_t room) {
  if (form != Form::Record && room > 0 &&
      std::all_of(p, p + room, [](char c) { return (unsigned char)c == ExactRoom::kFill; }))
    return kUntouched;
  size_t n = room;
  switch (form) {
  case Form::CString:
    n = strnlen(p, room);
    n = n < room ? n + 1 : n;
    break;
  case Form::Pascal:
    n = room ? 1 + static_cast<unsigned char>(p[0]) : 0;
    break;
  case Form::Unicode: {
    uint16_t count = 0;
    if (room >= 2) std::memcpy(&count, p, 2);
    n = room >= 2 ? 2 * (1 + size_t(count)) : 0;
    break;
  }
  case Form::Record:
    return std::string();
  }
  return std::string(p, n < room ? n : room);
}

// Shorthands for writing rows: destinations (c() or p() alone for the room of the result) and
// the casts the interfaces need.
namespace rows {
using kivtest::cString;
using kivtest::pascal;
using kivtest::unicode;
inline Dest c(size_t room = kRoomOfResult) { return {Form::CString, room}; }
inline Dest p(size_t room = kRoomOfResult) { return {Form::Pascal, room}; }
inline Dest u(size_t units = kRoomOfResult) {
  return {Form::Unicode, units == kRoomOfResult ? kRoomOfResult : 2 * units};
}
inline Dest record(size_t bytes) { return {Form::Record, bytes}; }
inline unsigned char* pas(char* p) { return reinterpret_cast<unsigned char*>(p); }
inline unsigned short* uni(char* p) { return reinterpret_cast<unsigned short*>(p); }
} // namespace rows

namespace detail {
inline const char*& currentRow() {
  static const char* row = nullptr;
  return row;
}
inline void nameRowOnDeath() {
  if (const char* row = currentRow()) std::fprintf(stderr, "\n*** exact-room row: %s ***\n", row);
}
} // namespace detail

inline void checkRows(const std::vector<RoomRow>& rows) {
#if KIV_EXACT_ROOM_SANITIZED
  __sanitizer_set_death_callback(detail::nameRowOnDeath);
#endif
  for (const RoomRow& row : rows) {
    SCOPED_TRACE("row: " + row.name);
    detail::currentRow() = row.name.c_str();
    // Generous buffers first: the result, and the room of the rows that take it from there.
    std::vector<std::string> results;
    {
      std::vector<std::unique_ptr<ExactRoom>> rooms;
      std::vector<char*> pointers;
      for (const Dest& d : row.dests) {
        rooms.push_back(std::make_unique<ExactRoom>((d.room == kRoomOfResult ? 0 : d.room) +
                                                    (d.form == Form::Record ? 0 : 1 << 16)));
        pointers.push_back(rooms.back()->data());
      }
      row.call(pointers.data());
      for (size_t i = 0; i < row.dests.size(); ++i)
        results.push_back(resultOf(row.dests[i].form, pointers[i], rooms[i]->room()));
    }
    if (!row.expected.empty()) EXPECT_EQ(results, row.expected);
    std::vector<std::unique_ptr<ExactRoom>> rooms;
    std::vector<char*> pointers;
    for (size_t i = 0; i < row.dests.size(); ++i) {
      const Dest& d = row.dests[i];
      const size_t fromResult = results[i] == kUntouched ? 0 : results[i].size();
      rooms.push_back(std::make_unique<ExactRoom>(d.room == kRoomOfResult ? fromResult : d.room));
      pointers.push_back(rooms.back()->data());
    }
    row.call(pointers.data());
    for (size_t i = 0; i < row.dests.size(); ++i) {
      EXPECT_TRUE(rooms[i]->intact()) << "written past the room of destination " << i;
      const std::string got = resultOf(row.dests[i].form, pointers[i], rooms[i]->room());
      EXPECT_TRUE(got == results[i] || (got.empty() && results[i] == kUntouched))
          << "destination " << i << ": " << testing::PrintToString(got) << " instead of "
          << testing::PrintToString(results[i]) << ", in exactly " << rooms[i]->room() << " bytes";
    }
  }
  detail::currentRow() = nullptr;
}

} // namespace kivtest
