// Loads the answer of a web server into a buffer and prints it.
//
//   fetch <url> [seconds]          (default: 10 seconds without progress)
//
// The answer body is printed as it came, whatever its HTTP status (an error page is an answer
// too); an answer longer than the buffer (32766 bytes) is cut. Exit status: 0 when an answer
// came, 1 when none did (no connection, unknown host, time-out, a URL that is not http or https),
// 2 for a usage error.
#include <Kiv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: fetch <url> [seconds]\n");
    return 2;
  }
  int seconds = 10;
  if (argc == 3) {
    char* end = nullptr;
    long value = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || value < 1 || value > 3600) {
      std::fprintf(stderr, "fetch: the time-out is a number of seconds from 1 to 3600\n");
      return 2;
    }
    seconds = static_cast<int>(value);
  }

  // The capacity is a 16-bit count that includes the terminator.
  static char answer[32767];
  NSString url(argv[1]);
  if (LoadURLIntoString(&url, answer, sizeof answer, seconds) != 0) {
    std::fprintf(stderr, "fetch: %s: no answer (the request failed, or nothing came for %d s)\n",
                 argv[1], seconds);
    return 1;
  }
  std::fwrite(answer, 1, std::strlen(answer), stdout);
  return 0;
}
