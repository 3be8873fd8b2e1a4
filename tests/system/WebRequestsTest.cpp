#include "Kiv.h"
#include "TestSupport.h"
#include "WebTestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

using systemtest::httpResponse;
using systemtest::WebTestServer;

namespace {

std::string requestLine(const std::string& request) {
  return request.substr(0, request.find("\r\n"));
}

// The header lines of a request, in the order they were sent.
std::vector<std::string> headerLines(const std::string& request) {
  std::vector<std::string> lines;
  size_t end = request.find("\r\n\r\n");
  size_t at = request.find("\r\n");
  while (at != std::string::npos && at < end) {
    size_t next = request.find("\r\n", at + 2);
    lines.push_back(request.substr(at + 2, next - at - 2));
    at = next;
  }
  return lines;
}

std::string bodyOf(const std::string& request) {
  size_t end = request.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : request.substr(end + 4);
}

bool hasHeader(const std::string& request, const std::string& line) {
  for (const std::string& h : headerLines(request))
    if (h == line) return true;
  return false;
}

int indexOfHeader(const std::vector<std::string>& lines, const std::string& prefix) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  return -1;
}

// Requests to the test servers go straight to 127.0.0.1, whatever proxy the environment names.
class WebRequests : public ::testing::Test {
  kivtest::ScopedEnv noProxy_{"no_proxy", std::string("127.0.0.1,localhost")};
  kivtest::ScopedEnv noProxyUpper_{"NO_PROXY", std::string("127.0.0.1,localhost")};
};

} // namespace

TEST_F(WebRequests, GetRewritesPlusAndReloadsOnlyWithATimeout) {
  WebTestServer server({httpResponse(200, "hello, world")});
  NSString url(server.url("/path+x?q=a+b").c_str());
  char result[64];
  ASSERT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 0));
  EXPECT_STREQ("hello, world", result);
  ASSERT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 5));
  auto requests = server.requests();
  ASSERT_EQ(2u, requests.size());
  EXPECT_EQ("GET /path%2Bx?q=a%2Bb HTTP/1.1", requestLine(requests[0]));
  // Without a time-out the request takes the defaults; with one it reloads from the origin.
  EXPECT_EQ(-1, indexOfHeader(headerLines(requests[0]), "Cache-Control:"));
  EXPECT_TRUE(hasHeader(requests[1], "Cache-Control: no-cache"));
}

TEST_F(WebRequests, BaseAndQueryAreEscapedThenRewritten) {
  WebTestServer server({httpResponse(200, "ok")});
  char result[16];
  std::string base = server.url("/find?name=");
  ASSERT_EQ(0, LoadURLIntoString(base.c_str(), "John Smith+Co", result, sizeof result, 0));
  EXPECT_STREQ("ok", result);
  ASSERT_EQ(0, LoadURLIntoString(base.c_str(), "a\"b<c>&d=e/f|{}", result, sizeof result, 0));
  ASSERT_EQ(0, LoadURLIntoString(base.c_str(), nullptr, result, sizeof result, 0));
  auto requests = server.requests();
  ASSERT_EQ(3u, requests.size());
  EXPECT_EQ("GET /find?name=John%20Smith%2BCo HTTP/1.1", requestLine(requests[0]));
  EXPECT_EQ("GET /find?name=a%22b%3Cc%3E&d=e/f%7C%7B%7D HTTP/1.1", requestLine(requests[1]));
  EXPECT_EQ("GET /find?name= HTTP/1.1", requestLine(requests[2]));

  // Text outside ASCII cannot be escaped: nothing is requested, the buffer stays as it was.
  std::memcpy(result, "untouched", 10);
  EXPECT_EQ(-1, LoadURLIntoString(base.c_str(), "caf\xC3\xA9", result, sizeof result, 0));
  EXPECT_STREQ("untouched", result);
  EXPECT_EQ(3u, server.requests().size());
}

TEST_F(WebRequests, AnswerIsCutToCapacityMinusOne) {
  std::string big = "B" + std::string(3 * 1024 * 1024, 'x'); // arrives in many pieces
  WebTestServer server({httpResponse(200, "0123456789abcdefghijklmno"), httpResponse(200, big),
                        httpResponse(200, "0123")});
  NSString url(server.url("/long").c_str());
  char result[16];
  std::memset(result, 'Z', sizeof result);
  ASSERT_EQ(0, LoadURLIntoString(&url, result, 10, 0));
  EXPECT_STREQ("012345678", result);
  EXPECT_EQ('Z', result[10]); // nothing written past the capacity
  ASSERT_EQ(0, LoadURLIntoString(&url, result, 10, 0));
  EXPECT_STREQ("Bxxxxxxxx", result);

  std::memset(result, 'Z', sizeof result);
  ASSERT_EQ(0, LoadURLIntoString(&url, result, 1, 0));
  EXPECT_EQ('\0', result[0]);
  EXPECT_EQ('Z', result[1]);

  // No room even for the NUL: refused without a request.
  size_t before = server.requests().size();
  EXPECT_EQ(-1, LoadURLIntoString(&url, result, 0, 0));
  EXPECT_EQ(-1, LoadURLIntoString(&url, result, -5, 0));
  EXPECT_EQ(-1, LoadURLIntoString(&url, nullptr, 10, 0));
  EXPECT_EQ('\0', result[0]);
  EXPECT_EQ(before, server.requests().size());
}

TEST_F(WebRequests, ErrorStatusAndEmptyAnswersCountAsAnswers) {
  WebTestServer server(
      {httpResponse(404, "<h1>Not here</h1>"), httpResponse(500, ""), httpResponse(200, "")});
  NSString url(server.url("/missing").c_str());
  char result[64] = "previous";
  ASSERT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 0));
  EXPECT_STREQ("<h1>Not here</h1>", result);
  ASSERT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 0));
  EXPECT_STREQ("", result);
  std::strcpy(result, "previous");
  ASSERT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 0));
  EXPECT_STREQ("", result);
}

TEST_F(WebRequests, PostSendsHeadersInOrderAndTheBodyUnchanged) {
  WebTestServer server({httpResponse(200, "posted")});
  NSString url(server.url("/submit?k=1+2").c_str());
  char body[] = "a=1&b=2";
  char result[32];
  ASSERT_EQ(0, LoadPostURLIntoString(&url, body, result, sizeof result, 0));
  EXPECT_STREQ("posted", result);
  // A large body goes out unescaped and whole; a time-out does not change the cache policy.
  std::string large = "v=" + std::string(5000, 'q') + "+%20&x";
  ASSERT_EQ(0, LoadPostURLIntoString(&url, large.data(), result, sizeof result, 3));
  ASSERT_EQ(0, LoadPostURLIntoString(&url, nullptr, result, sizeof result, 0));
  auto requests = server.requests();
  ASSERT_EQ(3u, requests.size());
  EXPECT_EQ(large, bodyOf(requests[1]));
  EXPECT_TRUE(hasHeader(requests[1], "Content-Length: " + std::to_string(large.size())));
  EXPECT_EQ(-1, indexOfHeader(headerLines(requests[1]), "Cache-Control:"));
  EXPECT_EQ("", bodyOf(requests[2]));
  EXPECT_TRUE(hasHeader(requests[2], "Content-Length: 0"));

  const std::string& r = requests[0];
  EXPECT_EQ("POST /submit?k=1%2B2 HTTP/1.1", requestLine(r));
  EXPECT_EQ("a=1&b=2", bodyOf(r));

  char system[64];
  GetSystemInfo(system);
  auto lines = headerLines(r);
  int length = indexOfHeader(lines, "Content-Length:");
  int agent = indexOfHeader(lines, "User-Agent:");
  int type = indexOfHeader(lines, "Content-Type:");
  ASSERT_GE(length, 0);
  EXPECT_EQ("Content-Length: 7", lines[length]);
  EXPECT_EQ("User-Agent: test_system - " + std::string(system), lines[agent]);
  EXPECT_EQ("Content-Type: application/x-www-form-urlencoded", lines[type]);
  EXPECT_LT(length, agent);
  EXPECT_LT(agent, type);
  EXPECT_EQ(-1, indexOfHeader(lines, "Expect:"));
}

TEST_F(WebRequests, TransportFailuresLeaveTheBufferUntouched) {
  char result[32] = "untouched";
  NSString refused(
      ("http://127.0.0.1:" + std::to_string(WebTestServer::closedPort()) + "/").c_str());
  EXPECT_EQ(-1, LoadURLIntoString(&refused, result, sizeof result, 2));
  char body[] = "a=1";
  EXPECT_EQ(-1, LoadPostURLIntoString(&refused, body, result, sizeof result, 2));
  EXPECT_STREQ("untouched", result);

  WebTestServer silent({}, WebTestServer::kSilent);
  NSString url(silent.url("/wait").c_str());
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(-1, LoadURLIntoString(&url, result, sizeof result, 1));
  EXPECT_EQ(-1, LoadPostURLIntoString(&url, body, result, sizeof result, 1));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_STREQ("untouched", result);
  EXPECT_EQ(2u, silent.requests().size()); // both requests did reach the server
  EXPECT_LT(elapsed, std::chrono::seconds(10));
}

TEST_F(WebRequests, UnusableUrlsAreRefusedWithoutARequest) {
  WebTestServer server({httpResponse(200, "should not be fetched")});
  char result[32] = "untouched";
  const std::string bad[] = {
      server.url("/a\r\nX-Injected: 1"),
      server.url("/a b"),
      server.url("/\x01"),
      server.url("/caf\xC3\xA9"),
      "ftp://127.0.0.1/file",
      "file:///etc/passwd",
      "not a url",
      "",
  };
  for (const std::string& text : bad) {
    NSString url(text.c_str());
    EXPECT_EQ(-1, LoadURLIntoString(&url, result, sizeof result, 1)) << text;
    char body[] = "x=1";
    EXPECT_EQ(-1, LoadPostURLIntoString(&url, body, result, sizeof result, 1)) << text;
  }
  EXPECT_EQ(-1, LoadURLIntoString(nullptr, result, sizeof result, 1));
  EXPECT_EQ(-1, LoadPostURLIntoString(nullptr, nullptr, result, sizeof result, 1));
  EXPECT_STREQ("untouched", result);
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(WebRequests, RedirectsAreFollowedWithinLimits) {
  // A GET follows a redirect to the page it names.
  {
    WebTestServer server(
        {httpResponse(302, "", "Location: /second\r\n"), httpResponse(200, "arrived")});
    NSString url(server.url("/first").c_str());
    char result[16];
    ASSERT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 0));
    EXPECT_STREQ("arrived", result);
    auto requests = server.requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("GET /second HTTP/1.1", requestLine(requests[1]));
  }
  // A POST answered with 303 continues as a GET without the body or its headers.
  {
    WebTestServer server(
        {httpResponse(303, "", "Location: /done\r\n"), httpResponse(200, "thanks")});
    NSString url(server.url("/form").c_str());
    char body[] = "a=1&b=2";
    char result[16];
    ASSERT_EQ(0, LoadPostURLIntoString(&url, body, result, sizeof result, 0));
    EXPECT_STREQ("thanks", result);
    auto requests = server.requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("GET /done HTTP/1.1", requestLine(requests[1]));
    EXPECT_EQ(-1, indexOfHeader(headerLines(requests[1]), "Content-Length:"));
    EXPECT_EQ("", bodyOf(requests[1]));
  }
  // 307 repeats the POST, body and all, at the new place.
  {
    WebTestServer server(
        {httpResponse(307, "", "Location: /again\r\n"), httpResponse(200, "kept")});
    NSString url(server.url("/form").c_str());
    char form[] = "k=v";
    char result[16];
    ASSERT_EQ(0, LoadPostURLIntoString(&url, form, result, sizeof result, 0));
    EXPECT_STREQ("kept", result);
    auto requests = server.requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("POST /again HTTP/1.1", requestLine(requests[1]));
    EXPECT_EQ("k=v", bodyOf(requests[1]));
  }
  // Endless redirects fail after ten; a redirect to another scheme is not followed.
  {
    WebTestServer server({httpResponse(302, "", "Location: /again\r\n")});
    NSString url(server.url("/loop").c_str());
    char result[16] = "untouched";
    EXPECT_EQ(-1, LoadURLIntoString(&url, result, sizeof result, 0));
    EXPECT_STREQ("untouched", result);
    EXPECT_EQ(11u, server.requests().size());
  }
  {
    WebTestServer server({httpResponse(302, "", "Location: file:///etc/passwd\r\n")});
    NSString url(server.url("/escape").c_str());
    char result[16] = "untouched";
    EXPECT_EQ(-1, LoadURLIntoString(&url, result, sizeof result, 0));
    EXPECT_STREQ("untouched", result);
  }
}
