// Fuzz target: the lenient Base64 decoder on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "KivXML.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string output = decode_base64(input);
  // The decoding is never longer than its text, and an empty text decodes to nothing.
  if (output.size() > input.size()) std::abort();
  if (input.empty() != output.empty()) std::abort();
  // Decoding stops at the first pad character in the third or fourth place of a group, so
  // whatever follows it cannot change the result.
  for (size_t g = 0; g + 2 < size; g += 4) {
    size_t pad = input[g + 2] == '=' ? g + 2 : (g + 3 < size && input[g + 3] == '=') ? g + 3 : 0;
    if (pad != 0) {
      if (decode_base64(input.substr(0, pad + 1) + "junk") != output) std::abort();
      break;
    }
  }
  return 0;
}
