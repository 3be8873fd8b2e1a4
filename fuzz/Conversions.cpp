// The string service and the conversions on random bytes and random encodings. Every
// destination is a heap block of exactly the room the conversion is promised, so a write past
// it is caught; round trips that must hold are checked.
#include <KIVStr.h>
#include <KIV_Str.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const CFStringEncoding kEncodings[] = {
    kCFStringEncodingMacRoman,      kCFStringEncodingWindowsLatin1, kCFStringEncodingShiftJIS,
    kCFStringEncodingUTF8,          kCFStringEncodingASCII,         kCFStringEncodingEUC_JP,
    kCFStringEncodingGB_18030_2000, kCFStringEncodingBig5,          0x12345,
    kCFStringEncodingInvalidId};

void check(bool condition) {
  if (!condition) std::abort();
}

std::vector<unsigned char> pascalOf(const std::string& bytes) {
  const size_t n = std::min<size_t>(bytes.size(), 255);
  std::vector<unsigned char> p(1 + n);
  p[0] = static_cast<unsigned char>(n);
  std::memcpy(p.data() + 1, bytes.data(), n);
  return p;
}

std::vector<unsigned short> uniOf(const std::string& bytes) {
  const size_t n = bytes.size() / 2;
  std::vector<unsigned short> u(1 + n);
  u[0] = static_cast<unsigned short>(n);
  std::memcpy(u.data() + 1, bytes.data(), 2 * n);
  return u;
}

void service(CFStringEncoding encoding, const std::string& bytes) {
  CFStringRef s =
      CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()),
                              static_cast<CFIndex>(bytes.size()), encoding, false);
  if (!s) return;
  const CFIndex length = CFStringGetLength(s);
  // Decoding then encoding in the same encoding gives the bytes back, for the encodings that
  // have one form per character.
  std::vector<UInt8> out(bytes.size() + 1);
  CFIndex used = 0;
  const CFIndex converted = CFStringGetBytes(s, CFRangeMake(0, length), encoding, 0, false,
                                             out.data(), static_cast<CFIndex>(bytes.size()), &used);
  check(converted <= length && used <= static_cast<CFIndex>(bytes.size()));
  if (encoding == kCFStringEncodingUTF8 || encoding == kCFStringEncodingMacRoman)
    check(converted == length && used == static_cast<CFIndex>(bytes.size()) &&
          std::memcmp(out.data(), bytes.data(), bytes.size()) == 0);

  std::vector<char> c(bytes.size() % 300 + 1);
  CFStringGetCString(s, c.data(), static_cast<CFIndex>(c.size()), kCFStringEncodingUTF8);
  check(std::memchr(c.data(), 0, c.size()) != nullptr);
  std::vector<unsigned char> p(bytes.size() % 300 + 1);
  if (CFStringGetPascalString(s, p.data(), static_cast<CFIndex>(p.size()), encoding))
    check(p[0] < p.size());

  CFMutableStringRef m = CFStringCreateMutableCopy(kCFAllocatorDefault, 0, s);
  CFStringUppercase(m, nullptr);
  CFStringLowercase(m, nullptr);
  check(CFStringCompare(m, s, kCFCompareCaseInsensitive) == kCFCompareEqualTo ||
        CFStringCompare(s, m, 0) != kCFCompareEqualTo);
  CFStringDelete(m, CFRangeMake(length / 2, length));
  CFStringAppend(m, s);
  CFRelease(m);
  CFRelease(s);
}

void conversions(const std::string& bytes) {
  const std::string cstr(bytes.c_str());
  std::vector<char> text(cstr.begin(), cstr.end());
  text.push_back(0);
  const auto pascal = pascalOf(bytes);
  auto uni = uniOf(bytes);

  {
    std::vector<unsigned char> p(std::min<size_t>(uni[0], 255) + 1);
    UniStringToPString(uni.data(), p.data(), 0);
    check(p[0] < p.size());
  }
  {
    HFSUniStr255 name = {};
    name.length = static_cast<UInt16>(uni[0]);
    std::memcpy(name.unicode, uni.data() + 1, 2 * std::min<size_t>(uni[0], 255));
    std::vector<unsigned char> p(std::min<size_t>(name.length, 255) + 1);
    UniStringToPString(&name, p.data());
    std::vector<char> c(std::min<size_t>(name.length, 255) + 1);
    UniStringToCString(&name, c.data());
    check(std::strlen(c.data()) == strnlen(reinterpret_cast<const char*>(p.data() + 1), p[0]));
  }
  {
    std::vector<unsigned short> u(pascal[0] + 1u);
    PStringToUniString(const_cast<unsigned char*>(pascal.data()), u.data(), 0);
    // Mac Roman has a character for every byte, and they all come back.
    check(u[0] == pascal[0]);
    HFSUniStr255 name;
    PStringToUniString(const_cast<unsigned char*>(pascal.data()), &name);
    check(name.length == pascal[0]);
    std::vector<unsigned char> back(pascal.size());
    UniStringToPString(&name, back.data());
    check(back == pascal);
    SJIS_PStringToUniString(const_cast<unsigned char*>(pascal.data()), u.data());
    check(u[0] <= pascal[0]);
    RomanStringToUniString(const_cast<unsigned char*>(pascal.data()), u.data());
  }
  {
    std::vector<unsigned short> u(text.size());
    CStringToUniString(text.data(), u.data());
    UTFStringToUniString(text.data(), u.data());
    std::vector<char> c(255);
    UTFStringToCString(text.data(), c.data());
    const int size = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
    std::vector<char> sized(std::max(size, 1));
    UTFStringToCString(text.data(), sized.data(), size);
    std::vector<unsigned char> p(255);
    UTFStringToPString(text.data(), p.data());
    check(p[0] <= 254);
    std::vector<char> utf(std::max<size_t>(2 * (text.size() - 1), 1));
    CStringToUTFString(text.data(), utf.data());
    std::vector<char> putf(std::max<size_t>(2u * pascal[0], 1));
    PStringToUTFString(const_cast<unsigned char*>(pascal.data()), putf.data());
  }
  {
    std::vector<unsigned char> p(255);
    UniStringToSJIS_PString(uni.data(), p.data());
    std::vector<char> s(std::max<size_t>(2u * uni[0], 1));
    UniStringToUTFString(uni.data(), s.data());
    // Valid UTF-16 comes back unchanged through UTF-8 whenever it fit.
    if (s[0] != 0) {
      std::vector<unsigned short> back(s.size() + 1);
      UTFStringToUniString(s.data(), back.data());
      check(back[0] <= uni[0]);
    }
  }
  {
    std::vector<unsigned char> p(pascal);
    ConvertWinString2MacString(p.data());
    std::vector<char> c(text);
    if (ConvertCWinString2MacString(c.data())) check(std::strlen(c.data()) == cstr.size());
    std::vector<unsigned short> u(uni);
    AlwaysSwapUniString(u.data());
    std::vector<unsigned short> dst(2 * uni.size());
    PPUcopy(uni.data(), dst.data());
    PPUcat(dst.data(), uni.data());
    check(uni[0] == 0 || EqualStringUni(uni.data(), PPUcopy(uni.data(), dst.data())));
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const CFStringEncoding encoding = kEncodings[data[0] % (sizeof kEncodings / sizeof *kEncodings)];
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  service(encoding, bytes);
  conversions(bytes);
  return 0;
}
