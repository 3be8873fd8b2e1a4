// Drives the Pascal and C string primitives with arbitrary bytes and field sizes, and checks that
// no result is longer than 255 bytes and nothing is written past the room each call promises.
#include <KIVStr.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kGuard = 16;
constexpr unsigned char kFill = 0xA5;

struct Buffer {
  unsigned char bytes[256 + kGuard];
  Buffer() { std::memset(bytes, kFill, sizeof bytes); }
  // Aborts (a finding) when a byte from `room` on was written.
  void check(int room) const {
    for (int i = room; i < 256 + kGuard; ++i)
      if (bytes[i] != kFill) std::abort();
  }
};

void require(bool ok) {
  if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  short width = static_cast<short>(data[0] | (data[1] << 8));
  short gap = static_cast<short>(data[2] | (data[3] << 8));
  short align = static_cast<short>(static_cast<int8_t>(data[4]));
  data += 5;
  size -= 5;

  // Two Pascal strings cut from the rest of the input, and the rest as a C string.
  size_t half = size / 2;
  unsigned char a[256], b[256];
  a[0] = static_cast<unsigned char>(half > 255 ? 255 : half);
  std::memcpy(a + 1, data, a[0]);
  size_t restSize = size - half;
  b[0] = static_cast<unsigned char>(restSize > 255 ? 255 : restSize);
  std::memcpy(b + 1, data + half, b[0]);
  char* c = static_cast<char*>(std::malloc(size + 1));
  std::memcpy(c, data, size);
  c[size] = '\0';

  {
    Buffer d;
    PPcopy(a, d.bytes);
    d.check(a[0] + 1);
    PPcat(d.bytes, b);
    d.check(256);
    require(d.bytes[0] == (a[0] + b[0] > 255 ? 255 : a[0] + b[0]));
  }
  {
    Buffer d;
    C2PStrCopy(c, d.bytes);
    d.check(256);
    require(d.bytes[0] == (std::strlen(c) > 255 ? 255 : std::strlen(c)));
    Buffer e;
    P2CStrCopy(d.bytes, reinterpret_cast<char*>(e.bytes));
    e.check(d.bytes[0] + 1);
  }
  {
    int total = width + gap;
    int room = total < 0 ? 1 : total > 255 ? 256 : total + 1;
    Buffer d;
    JSTstr(a, d.bytes, width, gap);
    d.check(room);
    require(d.bytes[0] == room - 1);

    int value = static_cast<int>(a[0] | (b[0] << 8)) * (align % 2 ? -1 : 1);
    char digits[16];
    int n = std::snprintf(digits, sizeof digits, "%d", value);
    int w = width > n ? width : n;
    int total2 = w + gap;
    int room2 = total2 < 0 ? 1 : total2 > 255 ? 256 : total2 + 1;
    Buffer e;
    JSTlong(value, e.bytes, width, gap, align);
    e.check(room2);
    require(e.bytes[0] == room2 - 1);
  }
  {
    Buffer d;
    PPcopy(a, d.bytes);
    Trunc(d.bytes, gap);
    require(d.bytes[0] <= a[0]);
    EndsBy(a, b);
    StrBeginBy(a, b);
    size_t len = std::strlen(c);
    EndsBy(c, c + (len > 3 ? len - 3 : 0));
  }
  std::free(c);
  return 0;
}
