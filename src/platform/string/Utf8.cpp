#include "platform/string/Utf8.h"

#include <unicode/ustring.h>

#include <climits>

namespace kiv::platform {

std::size_t utf8CompleteLength(const char* text, std::size_t length) {
  // A lead byte announces at most three continuation bytes.
  std::size_t continuation = 0;
  while (continuation < 3 && continuation < length &&
         (static_cast<unsigned char>(text[length - 1 - continuation]) & 0xC0) == 0x80)
    ++continuation;
  if (continuation == length) return length;
  const unsigned char lead = static_cast<unsigned char>(text[length - 1 - continuation]);
  const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return need > continuation + 1 ? length - 1 - continuation : length;
}

int decodeUtf8Substituting(const char* text, std::size_t length, UniChar* out, int room) {
  if (room <= 0) return 0;
  UErrorCode status = U_ZERO_ERROR;
  int32_t units = 0;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out), room, &units, text,
                       length > INT32_MAX ? INT32_MAX : int32_t(length), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR) return 0;
  return units > room ? room : units;
}

} // namespace kiv::platform
