// The Pascal and C string primitives with arbitrary bytes and field sizes. Each destination is a
// heap block of exactly the room the call promises to write, so that a write past it is caught;
// no result is longer than 255 bytes, and the results agree with their sources.
#include <KIVStr.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "FuzzSupport.h"

using kivfuzz::Room;

namespace {

std::string textOf(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

// The room of a justified field of `total` characters: the empty string below 0, 255 at most.
size_t fieldRoom(int total) { return total < 0 ? 1 : total > 255 ? 256 : total + 1; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const short width = input.ConsumeIntegral<short>();
  const short gap = input.ConsumeIntegral<short>();
  const short align = input.ConsumeIntegral<int8_t>();
  const auto a = kivfuzz::pascal(input.ConsumeRandomLengthString(300));
  const auto b = kivfuzz::pascal(input.ConsumeRandomLengthString(300));
  const std::string c = input.ConsumeRemainingBytesAsString().c_str();
  const size_t cLen = std::min<size_t>(c.size(), 255);

  {
    Room<unsigned char> d(a[0] + 1u);
    PPcopy(a.data(), d.data());
    FUZZ_CHECK(textOf(d.data()) == textOf(a.data()));
    Room<unsigned char> joined(256);
    PPcopy(a.data(), joined.data());
    PPcat(joined.data(), b.data());
    FUZZ_CHECK(textOf(joined.data()) == (textOf(a.data()) + textOf(b.data())).substr(0, 255));
    Trunc(joined.data(), gap);
    FUZZ_CHECK(joined[0] == std::min<int>(std::max<int>(gap, 0), std::min(a[0] + b[0], 255)));
  }
  {
    Room<unsigned char> p(cLen + 1);
    C2PStrCopy(c.c_str(), p.data());
    FUZZ_CHECK(textOf(p.data()) == c.substr(0, 255));
    Room<char> back(p[0] + 1u);
    P2CStrCopy(p.data(), back.data());
    FUZZ_CHECK(back.cString() == c.substr(0, 255));
    // The same in place: n + 1 bytes written into the string's own buffer.
    Room<char> s(c.size() + 1);
    std::memcpy(s.data(), c.c_str(), c.size() + 1);
    C2pstr(s.data());
    FUZZ_CHECK(textOf(reinterpret_cast<unsigned char*>(s.data())) == c.substr(0, 255));
    P2cstr(reinterpret_cast<unsigned char*>(s.data()));
    FUZZ_CHECK(std::string(s.data(), cLen) == c.substr(0, 255));
  }
  {
    const int total = width + gap;
    Room<unsigned char> d(fieldRoom(total));
    JSTstr(a.data(), d.data(), width, gap);
    FUZZ_CHECK(d[0] == d.size() - 1);
    // The text, cut or padded to the width, then blanks.
    const std::string field = textOf(a.data()).substr(0, std::max<int>(width, 0)) +
                              std::string(static_cast<size_t>(std::max(0, total)), ' ');
    FUZZ_CHECK(textOf(d.data()) == field.substr(0, d[0]));

    const int value = (a[0] | (b[0] << 8)) * (align % 2 ? -1 : 1);
    const std::string digits = std::to_string(value);
    const int w = std::max<int>(width, static_cast<int>(digits.size()));
    Room<unsigned char> e(fieldRoom(w + gap));
    JSTlong(value, e.data(), width, gap, align);
    FUZZ_CHECK(e[0] == e.size() - 1);
    const std::string number = textOf(e.data());
    if (number.size() >= static_cast<size_t>(w))
      FUZZ_CHECK(number.find(digits) != std::string::npos);
  }
  {
    // Compared as C strings (up to a zero byte), and never when s is the shorter.
    auto s = a, suffix = b;
    const std::string st = textOf(s.data()).c_str(), su = textOf(suffix.data()).c_str();
    const size_t at = st.find(su);
    FUZZ_CHECK(EndsBy(s.data(), suffix.data()) ==
               (s[0] >= suffix[0] && at != std::string::npos && at + su.size() == st.size()));
    StrBeginBy(a.data(), b.data());
    std::string cs = c;
    EndsBy(cs.data(), cs.data() + (cs.size() > 3 ? cs.size() - 3 : 0));
  }
  return 0;
}
