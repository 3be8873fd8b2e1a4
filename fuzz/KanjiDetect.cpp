// DetectKanjiCode on arbitrary Pascal strings held in buffers of exactly their size, so that
// any read past the text is caught.
#include <KIVStr.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte is the length byte; a length beyond the data is cut to it.
  const size_t available = size - 1 < 255 ? size - 1 : 255;
  const size_t length = data[0] < available ? data[0] : available;
  std::vector<unsigned char> p(1 + length);
  p[0] = static_cast<unsigned char>(length);
  std::memcpy(p.data() + 1, data + 1, length);

  const int code = DetectKanjiCode(p.data());
  if (code < 1 || code > 8) std::abort();
  // Only an escape sequence can give a JIS code.
  if (code <= 4 && std::memchr(p.data() + 1, 0x1B, length) == nullptr) std::abort();
  // Plain 7-bit text without escapes decides nothing.
  bool sevenBit = true;
  for (size_t i = 1; i <= length && p[i] != 0; ++i)
    sevenBit = sevenBit && p[i] < 0x80 && p[i] != 0x1B;
  if (sevenBit && code != 8) std::abort();
  return 0;
}
