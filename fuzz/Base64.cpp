// The lenient Base64 decoder on arbitrary bytes: its documented rules, and the round trip of
// every encoding that GLib's encoder makes, whole or in lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include <glib.h>

#include "FuzzSupport.h"
#include "KivXML.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string output = decode_base64(input);
  // Never longer than its text; an empty text decodes to nothing, any other to something.
  FUZZ_CHECK(output.size() <= input.size());
  FUZZ_CHECK(input.empty() == output.empty());
  // Decoding stops at the first pad character in the third or fourth place of a group, so
  // whatever follows it cannot change the result.
  for (size_t g = 0; g + 2 < size; g += 4) {
    size_t pad = input[g + 2] == '=' ? g + 2 : (g + 3 < size && input[g + 3] == '=') ? g + 3 : 0;
    if (pad != 0) {
      FUZZ_CHECK(decode_base64(input.substr(0, pad + 1) + "junk") == output);
      break;
    }
  }
  // Encoded data decodes back to itself, every byte value included.
  gchar* encoded = g_base64_encode(data, size);
  const std::string whole = encoded;
  g_free(encoded);
  FUZZ_CHECK(decode_base64(whole) == input);
  return 0;
}
