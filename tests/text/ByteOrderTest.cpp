#include <KivMisc.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

TEST(ByteOrder, SwapsFollowTheOrderCodeAndTheType) {
  EXPECT_EQ(GetHostByteOrder(), 1);
  const unsigned short us = 0x1234;
  EXPECT_EQ(SwapToHost(us, 1), 0x1234);
  EXPECT_EQ(SwapToHost(us, 0), 0x3412);
  EXPECT_EQ(SwapToHost(us, 2), 0x3412);
  EXPECT_EQ(SwapToHost(static_cast<short>(0x0080), 0), -32768);
  EXPECT_EQ(SwapToHost(0x12345678, 1), 0x12345678);
  EXPECT_EQ(SwapToHost(0x12345678u, 0), 0x78563412u);
  EXPECT_EQ(SwapToHost(static_cast<int>(0x000000FF), 0), static_cast<int>(0xFF000000u));

  EXPECT_EQ(AlwaysSwapByte(static_cast<short>(0x0080)), -32768);
  EXPECT_EQ(AlwaysSwapByte(static_cast<unsigned short>(0xABCD)), 0xCDAB);
  EXPECT_EQ(AlwaysSwapByte(0x12345678u), 0x78563412u);
  EXPECT_EQ(AlwaysSwapByte(-2), static_cast<int>(0xFEFFFFFFu));
  EXPECT_EQ(IntelSwapByte(1), 1 << 24);
  EXPECT_EQ(IntelSwapByte(static_cast<short>(0x0102)), 0x0201);
  EXPECT_EQ(IntelSwapByte(0xFF000000u), 0xFFu);
}

TEST(ByteOrder, DoublesSwapTheirEightBytes) {
  const double v = 1.5; // 0x3FF8000000000000
  double swapped = AlwaysSwapByte(v);
  uint64_t bits;
  std::memcpy(&bits, &swapped, 8);
  EXPECT_EQ(bits, 0xF83Full);
  EXPECT_EQ(IntelSwapByte(v), swapped);

  double back = AlwaysSwapByte(swapped);
  EXPECT_EQ(std::memcmp(&back, &v, 8), 0);

  // Order 1 leaves even a signalling-NaN pattern untouched.
  const uint64_t nanBits = 0x7FF0000000000001ull;
  double nan;
  std::memcpy(&nan, &nanBits, 8);
  double same = SwapToHost(nan, 1);
  EXPECT_EQ(std::memcmp(&same, &nanBits, 8), 0);
  double swappedNan = SwapToHost(nan, 0);
  uint64_t sb;
  std::memcpy(&sb, &swappedNan, 8);
  EXPECT_EQ(sb, 0x010000000000F07Full);
}
