#include "detail/ByteOrder.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char kHostOrder = 1; // little-endian

static_assert(sizeof(double) == 8, "doubles are 8-byte IEEE 754 values");

double swapDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  bits = __builtin_bswap64(bits);
  std::memcpy(&value, &bits, sizeof bits);
  return value;
}

} // namespace

int GetHostByteOrder() { return kHostOrder; }

unsigned short AlwaysSwapByte(unsigned short value) { return __builtin_bswap16(value); }
short AlwaysSwapByte(short value) {
  return static_cast<short>(__builtin_bswap16(static_cast<unsigned short>(value)));
}
int AlwaysSwapByte(int value) {
  return static_cast<int>(__builtin_bswap32(static_cast<unsigned int>(value)));
}
unsigned int AlwaysSwapByte(unsigned int value) { return __builtin_bswap32(value); }
double AlwaysSwapByte(double value) { return swapDouble(value); }

unsigned short SwapToHost(unsigned short value, char order) {
  return order == kHostOrder ? value : AlwaysSwapByte(value);
}
short SwapToHost(short value, char order) {
  return order == kHostOrder ? value : AlwaysSwapByte(value);
}
int SwapToHost(int value, char order) {
  return order == kHostOrder ? value : AlwaysSwapByte(value);
}
unsigned int SwapToHost(unsigned int value, char order) {
  return order == kHostOrder ? value : AlwaysSwapByte(value);
}
double SwapToHost(double value, char order) {
  return order == kHostOrder ? value : AlwaysSwapByte(value);
}

short IntelSwapByte(short value) { return AlwaysSwapByte(value); }
int IntelSwapByte(int value) { return AlwaysSwapByte(value); }
unsigned int IntelSwapByte(unsigned int value) { return AlwaysSwapByte(value); }
double IntelSwapByte(double value) { return AlwaysSwapByte(value); }
