// Converts a text file to UTF-8 on standard output.
//
//   kivconv [--from macroman|cp1252|sjis|utf8] <file>      ("-" reads standard input)
//
// Without --from the encoding is detected: text in which DetectKanjiCode finds a JIS escape
// sequence is JIS; other text that is valid UTF-8 (plain ASCII included) is UTF-8; the rest is the
// Japanese encoding DetectKanjiCode finds in it, Shift-JIS or EUC-JP.
// The conversion is the library's string service, which converts whole texts or nothing: a text
// that does not convert writes nothing and names its first byte that does not decode.
//
// Exit status: 0 converted; 1 the text does not convert; 2 a usage error, a file that cannot be
// read or written, or an encoding the string service has no converter for.
#include <Kiv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Encoding {
  const char* option; // the --from name, or null for an encoding that is only detected
  const char* name;
  CFStringEncoding code;
};

// ISO-2022-JP, the encoding of JIS text, is not one of the header's codes.
const CFStringEncoding kISO2022JP = 0x0820;

const Encoding kEncodings[] = {
    {"macroman", "Mac Roman", kCFStringEncodingMacRoman},
    {"cp1252", "Windows Latin 1", kCFStringEncodingWindowsLatin1},
    {"sjis", "Shift-JIS", kCFStringEncodingShiftJIS},
    {"utf8", "UTF-8", kCFStringEncodingUTF8},
    {nullptr, "EUC-JP", kCFStringEncodingEUC_JP},
    {nullptr, "JIS (ISO-2022-JP)", kISO2022JP},
};

const Encoding* byCode(CFStringEncoding code) {
  for (const Encoding& e : kEncodings)
    if (e.code == code) return &e;
  return nullptr;
}

const Encoding* byOption(const char* option) {
  for (const Encoding& e : kEncodings)
    if (e.option && std::strcmp(e.option, option) == 0) return &e;
  return nullptr;
}

int usage() {
  std::fprintf(stderr, "usage: kivconv [--from macroman|cp1252|sjis|utf8] <file>\n");
  return 2;
}

bool readAll(const char* path, std::string& bytes) {
  FILE* f = std::strcmp(path, "-") == 0 ? stdin : std::fopen(path, "rb");
  if (!f) return false;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes.append(chunk, n);
  bool ok = !std::ferror(f);
  if (f != stdin) std::fclose(f);
  return ok;
}

// The Japanese encoding of the text by DetectKanjiCode, which reads a Pascal string: the text is
// looked at in pieces of up to 255 bytes, each ending after a plain ASCII byte where there is one,
// so that no two-byte character or escape sequence is split between pieces. The first decisive
// piece wins; text that stays undecided between EUC-JP and Shift-JIS (only byte pairs valid in
// both) is taken as EUC-JP, where such pairs are ordinary characters rather than half-width
// katakana, and text in which nothing was decided as Shift-JIS.
CFStringEncoding detect(const std::string& text) {
  bool undecided = false;
  for (size_t at = 0; at < text.size();) {
    size_t n = std::min<size_t>(255, text.size() - at);
    if (at + n < text.size()) {
      size_t cut = n;
      while (cut > 0) {
        unsigned char last = static_cast<unsigned char>(text[at + cut - 1]);
        bool inEscape = last == 0x1B || (cut >= 2 && text[at + cut - 2] == 0x1B);
        if (last < 0x80 && !inEscape) break;
        --cut;
      }
      if (cut > 0) n = cut;
    }
    unsigned char piece[256];
    piece[0] = static_cast<unsigned char>(n);
    std::memcpy(piece + 1, text.data() + at, n);
    switch (DetectKanjiCode(piece)) {
    case 1:
    case 2:
    case 3:
    case 4:
      return kISO2022JP;
    case 5:
      return kCFStringEncodingEUC_JP;
    case 6:
      return kCFStringEncodingShiftJIS;
    case 7:
      undecided = true;
      break;
    default:
      break;
    }
    at += n;
  }
  return undecided ? kCFStringEncodingEUC_JP : kCFStringEncodingShiftJIS;
}

CFStringRef decode(const std::string& bytes, size_t at, size_t n, CFStringEncoding encoding) {
  return CFStringCreateWithBytes(kCFAllocatorDefault,
                                 reinterpret_cast<const UInt8*>(bytes.data() + at),
                                 static_cast<CFIndex>(n), encoding, false);
}

// The offset of the first byte that does not decode: the text is decoded character by character,
// each the shortest run of bytes (up to four) that decodes.
size_t firstBadByte(const std::string& bytes, CFStringEncoding encoding) {
  size_t at = 0;
  while (at < bytes.size()) {
    size_t n = 1;
    for (; n <= 4 && at + n <= bytes.size(); ++n) {
      if (CFStringRef piece = decode(bytes, at, n, encoding)) {
        CFRelease(piece);
        break;
      }
    }
    if (n > 4 || at + n > bytes.size()) return at;
    at += n;
  }
  return at;
}

bool writeUTF8(CFStringRef text) {
  CFRange all = CFRangeMake(0, CFStringGetLength(text));
  CFIndex size = 0;
  CFStringGetBytes(text, all, kCFStringEncodingUTF8, 0, false, nullptr, 0, &size);
  std::vector<UInt8> utf8(static_cast<size_t>(size));
  CFStringGetBytes(text, all, kCFStringEncodingUTF8, 0, false, utf8.data(), size, &size);
  return std::fwrite(utf8.data(), 1, utf8.size(), stdout) == utf8.size() &&
         std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char* argv[]) {
  const Encoding* from = nullptr;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--from") == 0 && i + 1 < argc) {
      if (!(from = byOption(argv[++i]))) return usage();
    } else if (std::strncmp(argv[i], "--from=", 7) == 0) {
      if (!(from = byOption(argv[i] + 7))) return usage();
    } else if (path || (argv[i][0] == '-' && argv[i][1] != '\0')) {
      return usage();
    } else {
      path = argv[i];
    }
  }
  if (!path) return usage();

  std::string bytes;
  if (!readAll(path, bytes)) {
    std::fprintf(stderr, "kivconv: %s: %s\n", path, std::strerror(errno));
    return 2;
  }
  const Encoding* encoding = from;
  CFStringRef text = nullptr;
  if (!encoding) {
    CFStringEncoding detected = detect(bytes);
    // JIS text is 7-bit, and so valid UTF-8 too: its escape sequences decide.
    if (detected != kISO2022JP && (text = decode(bytes, 0, bytes.size(), kCFStringEncodingUTF8)))
      detected = kCFStringEncodingUTF8;
    encoding = byCode(detected);
  }
  if (!CFStringIsEncodingAvailable(encoding->code)) {
    std::fprintf(stderr, "kivconv: %s: %s text; the string service has no converter for it\n", path,
                 encoding->name);
    return 2;
  }

  if (!text) text = decode(bytes, 0, bytes.size(), encoding->code);
  if (!text) {
    size_t bad = firstBadByte(bytes, encoding->code);
    unsigned char byte = bad < bytes.size() ? static_cast<unsigned char>(bytes[bad]) : 0;
    std::fprintf(stderr, "kivconv: %s: not %s text: byte %zu (0x%02X) does not convert%s\n", path,
                 encoding->name, bad, byte, from ? "" : " (name the encoding with --from)");
    return 1;
  }
  bool written = writeUTF8(text);
  CFRelease(text);
  if (!written) {
    std::fprintf(stderr, "kivconv: writing the output failed\n");
    return 2;
  }
  return 0;
}
