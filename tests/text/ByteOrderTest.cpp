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
  EXPECT_EQ(SwapToHost(0x12345678u, 0), 0x78563412u);
  EXPECT_EQ(SwapToHost(0x000000FF, 0), static_cast<int>(0xFF000000u));

  EXPECT_EQ(AlwaysSwapByte(static_cast<short>(0x0080)), -32768);
  EXPECT_EQ(AlwaysSwapByte(static_cast<unsigned short>(0xABCD)), 0xCDAB);
  EXPECT_EQ(AlwaysSwapByte(0x12345678u), 0x78563412u);
  EXPECT_EQ(AlwaysSwapByte(-2), static_cast<int>(0xFEFFFFFFu));
  EXPECT_EQ(IntelSwapByte(1), 1 << 24);
  EXPECT_EQ(IntelSwapByte(static_cast<short>(0x0102)), 0x0201);
  EXPECT_EQ(IntelSwapByte(0xFF000000u), 0xFFu);

  // Doubles reverse their eight bytes; order 1 leaves even a signalling-NaN pattern untouched.
  auto bits = [](double d) {
    uint64_t b;
    std::memcpy(&b, &d, 8);
    return b;
  };
  const uint64_t nanBits = 0x7FF0000000000001ull;
  double nan;
  std::memcpy(&nan, &nanBits, 8);
  EXPECT_EQ(bits(AlwaysSwapByte(1.5)), 0xF83Full);
  EXPECT_EQ(bits(IntelSwapByte(1.5)), 0xF83Full);
  EXPECT_EQ(bits(AlwaysSwapByte(AlwaysSwapByte(1.5))), bits(1.5));
  EXPECT_EQ(bits(SwapToHost(nan, 1)), nanBits);
  EXPECT_EQ(bits(SwapToHost(nan, 0)), 0x010000000000F07Full);
}
