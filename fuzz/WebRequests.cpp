// The URL checks, escaping and redirects of the web requests, on arbitrary URLs, queries, bodies
// and answers. Every request goes to a proxy on 127.0.0.1 that this program runs (the proxy
// variables of the environment point there), so nothing leaves the machine and each request
// arrives as it was sent. Results must be 0 or -1; -1 leaves the caller's buffer untouched and
// is the answer to a URL with blanks, control characters or bytes outside ASCII, or of another
// scheme; 0 copies the answer, cut to the buffer, and the request line holds no blank, control
// character, byte outside ASCII or plus sign.
#include <fuzzer/FuzzedDataProvider.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FuzzSupport.h"
#include "KivMisc_Frameworks.h"

namespace {

// An HTTP proxy that records each request and answers the first one of a call with a scripted
// answer, any later one (a followed redirect) with 200 and the scripted body.
class Proxy {
public:
  Proxy() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    FUZZ_CHECK(listener_ >= 0 && bind(listener_, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
               listen(listener_, 16) == 0 &&
               getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) == 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
    for (const char* name : {"http_proxy", "https_proxy", "all_proxy"})
      setenv(name, url.c_str(), 1);
    for (const char* name : {"no_proxy", "NO_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
      unsetenv(name);
    std::thread([this] { serve(); }).detach();
  }

  void script(const std::string& first, const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
    first_ = first;
    body_ = body;
  }
  std::vector<std::string> requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

private:
  void serve() {
    for (;;) {
      int c = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      const std::string request = receive(c);
      std::string answer;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (request.compare(0, 8, "CONNECT ") == 0)
          answer = "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        else
          answer = requests_.empty() ? first_ : ok(body_);
        requests_.push_back(request);
      }
      for (size_t sent = 0; sent < answer.size();) {
        ssize_t n = send(c, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      close(c);
    }
  }

  // The head and the body its Content-Length announces.
  static std::string receive(int c) {
    timeval tv{5, 0};
    setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::string data;
    for (char buf[4096];;) {
      size_t end = data.find("\r\n\r\n");
      if (end != std::string::npos) {
        size_t at = data.substr(0, end).find("\r\nContent-Length: ");
        size_t body = at == std::string::npos ? 0 : std::strtoul(&data[at + 18], nullptr, 10);
        if (data.size() >= end + 4 + body) break;
      }
      ssize_t n = recv(c, buf, sizeof buf, 0);
      if (n <= 0) break;
      data.append(buf, static_cast<size_t>(n));
    }
    return data;
  }

public:
  static std::string ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
  }

private:
  int listener_ = -1;
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::string first_, body_;
};

bool isUrlText(const std::string& s) {
  for (unsigned char c : s)
    if (c <= 0x20 || c >= 0x7F) return false;
  return true;
}

bool isAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

bool isWebScheme(const std::string& s) {
  return strncasecmp(s.c_str(), "http:", 5) == 0 || strncasecmp(s.c_str(), "https:", 6) == 0;
}

// The request target of a request's first line.
std::string target(const std::string& request) {
  size_t from = request.find(' ');
  size_t to = request.find(' ', from + 1);
  FUZZ_CHECK(from != std::string::npos && to != std::string::npos);
  return request.substr(from + 1, to - from - 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Proxy proxy;
  FuzzedDataProvider input(data, size);
  const int mode = input.ConsumeIntegralInRange(0, 2);
  const short capacity = input.ConsumeIntegralInRange<short>(-1, 200);
  const std::string body = input.ConsumeRandomLengthString(64);
  std::string first = Proxy::ok(body);
  if (input.ConsumeBool()) {
    std::string location = input.ConsumeRandomLengthString(64);
    for (char& c : location)
      if (c == '\r' || c == '\n' || c == '\0') c = '_';
    first = "HTTP/1.1 " + std::to_string(input.PickValueInArray({301, 302, 303, 307, 308})) +
            " Moved\r\nLocation: " + location +
            "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  }
  const std::string url = input.ConsumeRandomLengthString(96).c_str();
  const std::string rest = input.ConsumeRemainingBytesAsString().c_str();
  proxy.script(first, body);

  kivfuzz::Room<char> result(capacity > 0 ? static_cast<size_t>(capacity) : 0);
  short code;
  std::string sent = url; // the URL text the request is made of
  if (mode == 0) {
    NSString u(url.c_str());
    code = LoadURLIntoString(&u, result.data(), capacity, 5);
    if (!isUrlText(url)) FUZZ_CHECK(code == -1);
  } else if (mode == 1) {
    code = LoadURLIntoString(url.c_str(), rest.c_str(), result.data(), capacity, 5);
    sent += rest;
    if (!isAscii(sent)) FUZZ_CHECK(code == -1);
  } else {
    NSString u(url.c_str());
    std::string post = rest;
    code = LoadPostURLIntoString(&u, post.data(), result.data(), capacity, 5);
    if (!isUrlText(url)) FUZZ_CHECK(code == -1);
  }
  FUZZ_CHECK(code == 0 || code == -1);
  if (code == -1) {
    for (size_t i = 0; i < result.size(); ++i)
      FUZZ_CHECK(result[i] == 0x5A);
    return 0;
  }
  FUZZ_CHECK(capacity > 0 && isWebScheme(sent));
  const auto requests = proxy.requests();
  FUZZ_CHECK(!requests.empty());
  // The caller's plus signs reach the server escaped; a redirect goes where the server said.
  FUZZ_CHECK(target(requests.front()).find('+') == std::string::npos);
  for (const std::string& request : requests)
    FUZZ_CHECK(isUrlText(target(request)));
  if (mode == 2) {
    // The body went out whole with the first request, announced by its length.
    const std::string& request = requests.front();
    FUZZ_CHECK(request.find("\r\nContent-Length: " + std::to_string(rest.size()) + "\r\n") !=
               std::string::npos);
    FUZZ_CHECK(request.size() >= rest.size() &&
               request.compare(request.size() - rest.size(), rest.size(), rest) == 0);
  }
  const std::string answer = requests.size() == 1 && first != Proxy::ok(body) ? "" : body;
  // The answer's bytes as they came (zero bytes too), cut to the room, then a zero byte.
  const size_t n = std::min(answer.size(), static_cast<size_t>(capacity) - 1);
  FUZZ_CHECK(std::memcmp(result.data(), answer.data(), n) == 0 && result[n] == '\0');
  return 0;
}
