// The lenient Base64 decoder.
#include "detail/Base64.h"

#include "platform/memory/NoThrow.h"

#include <array>
#include <cstdint>

namespace {

// Value of each byte in the Base64 alphabet; 0xFF for every byte outside it. Combined with
// shifts and ORs below, 0xFF acts as 63 in the first three places of a group and makes the
// third byte 255 in the fourth place.
constexpr std::array<std::uint8_t, 256> makeTable() {
  std::array<std::uint8_t, 256> t{};
  for (auto& v : t)
    v = 0xFF;
  const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (int i = 0; i < 64; ++i)
    t[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
  return t;
}

constexpr std::array<std::uint8_t, 256> kValue = makeTable();

std::string decode(const std::string& encoded) {
  const std::size_t n = encoded.size();
  std::string out;
  if (n == 0) return out;
  out.reserve(n / 4 * 3 + 3);

  // The position just past the end reads as NUL, a byte outside the alphabet.
  auto value = [&](std::size_t i) -> unsigned {
    return kValue[i < n ? static_cast<unsigned char>(encoded[i]) : 0];
  };
  for (std::size_t g = 0;; g += 4) {
    unsigned a = value(g), b = value(g + 1);
    out.push_back(static_cast<char>(((a << 2) | ((b >> 4) & 0x3)) & 0xFF));
    if (g + 2 >= n) break;
    if (encoded[g + 2] == '=') break;
    unsigned c = value(g + 2);
    out.push_back(static_cast<char>(((b << 4) | ((c >> 2) & 0xF)) & 0xFF));
    if (g + 3 >= n) break;
    if (encoded[g + 3] == '=') break;
    unsigned d = value(g + 3);
    out.push_back(static_cast<char>(((c << 6) | d) & 0xFF));
    if (g + 4 >= n) break;
  }
  return out;
}

} // namespace

// Decoding never fails; without the memory for the result, the result is empty.
std::string decode_base64(std::string encoded) {
  return kiv::platform::noThrow(std::string(), [&] { return decode(encoded); });
}
