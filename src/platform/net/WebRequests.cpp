// GET and POST requests over libcurl whose answer body is copied into a caller's buffer.
#include "detail/WebRequests.h"
#include "detail/SystemVersion.h"

#include "platform/bundle/Bundle.h"
#include "platform/desktop/OsRelease.h"
#include "platform/files/PathText.h"
#include "platform/memory/NoThrow.h"
#include "platform/net/TcpTraffic.h"

#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Owners of libcurl's objects.
struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
  void operator()(char* text) const { curl_free(text); }
};
template <class T> using CurlOwned = std::unique_ptr<T, CurlDeleter>;

constexpr long kDefaultTimeoutSeconds = 60;
constexpr long kMaxRedirects = 10;
// libcurl's own limit on connecting (300 s unless set) would cut a connection whose handshake
// is still moving bytes; the stall watch below decides instead, so libcurl's is set out of reach.
constexpr long kConnectLimitSeconds = INT_MAX / 1000;

// The time-out counts the seconds in which nothing moved: no byte sent or received on any of
// the request's connections. libcurl calls onProgress whenever data moves and at least once a
// second while it waits, so a silent server fails the request between n and n + 1 seconds,
// while bytes trickling at any pace keep it going. The kernel counts the bytes of each socket
// (status line, headers and TLS records included, which libcurl's counters leave out); libcurl
// counts the bodies.
struct StallWatch {
  Clock::duration limit{};
  Clock::time_point lastMove;
  std::uint64_t moved = 0;
  std::vector<curl_socket_t> sockets; // the open sockets of the request's connections
};

int onSocketOpened(void* user, curl_socket_t socket, curlsocktype) {
  static_cast<StallWatch*>(user)->sockets.push_back(socket);
  return CURL_SOCKOPT_OK;
}

int onSocketClosing(void* user, curl_socket_t socket) {
  auto& sockets = static_cast<StallWatch*>(user)->sockets;
  sockets.erase(std::remove(sockets.begin(), sockets.end(), socket), sockets.end());
  return close(socket);
}

// Non-zero ends the transfer with CURLE_ABORTED_BY_CALLBACK.
int onProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
  StallWatch* watch = static_cast<StallWatch*>(user);
  std::uint64_t moved = static_cast<std::uint64_t>(received) + static_cast<std::uint64_t>(sent);
  for (curl_socket_t socket : watch->sockets)
    moved += kiv::platform::tcpBytesMoved(socket);
  Clock::time_point now = Clock::now();
  if (moved != watch->moved) {
    watch->moved = moved;
    watch->lastMove = now;
    return 0;
  }
  return now - watch->lastMove >= watch->limit ? 1 : 0;
}

// Keeps the first `room` bytes of the answer; the rest is received and dropped, so that a
// long answer completes (or fails) exactly as a short one would without being held in memory.
struct Answer {
  std::string bytes;
  size_t room = 0;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
  Answer* answer = static_cast<Answer*>(user);
  size_t n = size * count;
  if (answer->bytes.size() < answer->room) {
    size_t take = answer->room - answer->bytes.size();
    answer->bytes.append(data, n < take ? n : take);
  }
  return n;
}

void initCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Every "+" becomes "%2B", so that a literal plus sign is not read as a form-encoded blank.
std::string rewritePlus(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p == '+')
      out += "%2B";
    else
      out += *p;
  }
  return out;
}

// A URL text must be printable ASCII without blanks; anything else is not a URL.
bool isUrlText(const std::string& text) {
  if (text.empty()) return false;
  for (unsigned char c : text)
    if (c <= 0x20 || c >= 0x7F) return false;
  return true;
}

// Appends c as "%" and two upper-case hexadecimal digits.
void appendEscaped(std::string& out, unsigned char c) {
  static const char hex[] = "0123456789ABCDEF";
  out += '%';
  out += hex[c >> 4];
  out += hex[c & 0xF];
}

// A redirect target as a URL text: servers may send bytes outside printable ASCII (UTF-8 paths,
// blanks), which are percent-escaped as a browser does, so that only URL text ever reaches the
// request line.
std::string escapedTarget(const std::string& location) {
  std::string out;
  for (unsigned char c : location) {
    if (c > 0x20 && c < 0x7F)
      out += static_cast<char>(c);
    else
      appendEscaped(out, c);
  }
  return out;
}

// Characters that may stand in a URL as they are; every other one is percent-escaped.
bool isLegalUrlChar(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return c != 0 && std::strchr("-_.!~*'();/?:@&=+$,#%", c) != nullptr;
}

// Percent-escapes base+query; false when a byte lies outside ASCII.
bool escapeForUrl(const std::string& text, std::string& out) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
    if (isLegalUrlChar(c))
      out += static_cast<char>(c);
    else
      appendEscaped(out, c);
  }
  return true;
}

std::string userAgent() {
  std::string name = kiv::platform::mainBundleInfoValue("CFBundleName").value_or("");
  if (name.empty()) name = kiv::platform::leafOf(kiv::platform::executablePath());
  char version[32];
  GetCocoaSystemVersion(version);
  return name + " - " + kiv::platform::systemName() + " " + version;
}

struct Request {
  const char* url = nullptr;  // as the caller gave it, before the "+" rewriting
  const char* body = nullptr; // POST body; null for a GET
  int timeout = 0;
  char* result = nullptr;
  short capacity = 0;
};

// Parses a URL text; true when it is an http or https URL.
bool isWebUrl(CURLU* url, const std::string& text) {
  if (curl_url_set(url, CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return false;
  char* scheme = nullptr;
  bool got = curl_url_get(url, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK;
  CurlOwned<char> ownedScheme(scheme);
  if (!got || !scheme || (std::strcmp(scheme, "http") != 0 && std::strcmp(scheme, "https") != 0))
    return false;
  // libcurl decodes a percent-escaped host name and would send its bytes as they are (to a
  // proxy, in the request line): a host that decodes to a blank, a control character or a byte
  // outside ASCII is not a URL's.
  char* host = nullptr;
  got = curl_url_get(url, CURLUPART_HOST, &host, 0) == CURLUE_OK;
  CurlOwned<char> ownedHost(host);
  return got && host && isUrlText(host);
}

// One exchange with the server, redirects not followed: on success the answer's status and,
// for a redirect, the absolute URL it points to.
bool exchange(CURL* curl, CURLU* url, const Request& req, bool post, const std::string& agent,
              StallWatch& watch, Answer& answer, long& status, std::string& location) {
  curl_easy_reset(curl);
  curl_easy_setopt(curl, CURLOPT_CURLU, url);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  // The time-out counts seconds without a byte moved, while connecting and while waiting for
  // the answer alike.
  watch.limit = std::chrono::seconds(req.timeout > 0 ? req.timeout : kDefaultTimeoutSeconds);
  watch.lastMove = Clock::now();
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectLimitSeconds);
  curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, onSocketOpened);
  curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, &watch);
  curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, onSocketClosing);
  curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, &watch);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &watch);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);

  CurlOwned<curl_slist> headerList;
  curl_slist* headers = nullptr;
  if (post) {
    // The three headers are set by hand so that they go out in this order.
    size_t length = std::strlen(req.body);
    if (length > 0x7FFFFFFF) length = 0x7FFFFFFF;
    std::string contentLength = "Content-Length: " + std::to_string(length);
    std::string agentHeader = "User-Agent: " + agent;
    headers = curl_slist_append(headers, contentLength.c_str());
    headers = curl_slist_append(headers, agentHeader.c_str());
    headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
    headers = curl_slist_append(headers, "Expect:"); // send the body at once
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, req.body);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(length));
  } else {
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    // A GET with a time-out reloads from the origin server, past every cache.
    if (req.timeout != 0) headers = curl_slist_append(headers, "Cache-Control: no-cache");
  }
  headerList.reset(headers);
  if (headers) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  if (curl_easy_perform(curl) != CURLE_OK) return false;
  status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  char* target = nullptr;
  curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &target);
  location = target ? target : "";
  return true;
}

bool isFollowedRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

short perform(const Request& req) {
  if (!req.url || !req.result || req.capacity < 1) return -1;
  std::string urlText = rewritePlus(req.url);
  if (!isUrlText(urlText)) return -1;

  initCurlOnce();
  // Outlives the handle: libcurl closes the connections it keeps through onSocketClosing.
  StallWatch watch;
  CurlOwned<CURLU> urlOwner(curl_url());
  CurlOwned<CURL> curlOwner(curl_easy_init());
  CURLU* url = urlOwner.get();
  CURL* curl = curlOwner.get();
  bool ok = url && curl && isWebUrl(url, urlText);
  bool post = req.body != nullptr;
  std::string agent = userAgent();
  Answer answer;
  // Redirects are followed here rather than by libcurl, so that a POST turned into a GET
  // (301, 302, 303) loses its body headers along with its body.
  for (long redirects = 0; ok; ++redirects) {
    answer.bytes.clear();
    answer.room = static_cast<size_t>(req.capacity - 1);
    long status = 0;
    std::string location;
    ok = exchange(curl, url, req, post, agent, watch, answer, status, location);
    if (!ok || !isFollowedRedirect(status) || location.empty()) break;
    ok = redirects < kMaxRedirects && isWebUrl(url, escapedTarget(location));
    if (status != 307 && status != 308) post = false;
  }
  if (ok) {
    std::memcpy(req.result, answer.bytes.data(), answer.bytes.size());
    req.result[answer.bytes.size()] = '\0';
  }
  return ok ? 0 : -1;
}

} // namespace

short LoadURLIntoString(NSString* url, char* result, short capacity, int timeout) {
  Request req;
  req.url = url ? url->UTF8String() : nullptr;
  req.timeout = timeout;
  req.result = result;
  req.capacity = capacity;
  return kiv::platform::noThrow<short>(-1, [&] { return perform(req); });
}

short LoadURLIntoString(const char* base, const char* query, char* result, short capacity,
                        int timeout) {
  return kiv::platform::noThrow<short>(-1, [&]() -> short {
    std::string joined = std::string(base ? base : "") + (query ? query : "");
    std::string escaped;
    if (!escapeForUrl(joined, escaped)) return -1;
    NSString url(escaped.c_str());
    return LoadURLIntoString(&url, result, capacity, timeout);
  });
}

short LoadPostURLIntoString(NSString* url, char* body, char* result, short capacity, int timeout) {
  Request req;
  req.url = url ? url->UTF8String() : nullptr;
  req.body = body ? body : "";
  req.timeout = timeout;
  req.result = result;
  req.capacity = capacity;
  return kiv::platform::noThrow<short>(-1, [&] { return perform(req); });
}
