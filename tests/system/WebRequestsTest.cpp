#include "SystemTestSupport.h"
#include "WebTestServer.h"

#include <chrono>

using systemtest::httpResponse;
using systemtest::WebTestServer;

namespace {

constexpr size_t npos = std::string::npos;

std::string requestLine(const std::string& r) { return r.substr(0, r.find("\r\n")); }

std::vector<std::string> requestLines(const WebTestServer& server) {
  std::vector<std::string> lines;
  for (const std::string& r : server.requests())
    lines.push_back(requestLine(r));
  return lines;
}

std::string bodyOf(const std::string& r) {
  size_t end = r.find("\r\n\r\n");
  return end == npos ? std::string() : r.substr(end + 4);
}

// Where a whole header line stands in a raw request; npos when it was not sent.
size_t headerAt(const std::string& r, const std::string& line) {
  return r.substr(0, r.find("\r\n\r\n") + 2).find("\r\n" + line + "\r\n");
}

// Requests to the test servers go straight to 127.0.0.1, whatever proxy the environment names.
class WebRequests : public ::testing::Test {
  kivtest::ScopedEnv noProxy_{"no_proxy", std::string("127.0.0.1,localhost")};
  kivtest::ScopedEnv noProxyUpper_{"NO_PROXY", std::string("127.0.0.1,localhost")};
};

} // namespace

TEST_F(WebRequests, GetRewritesPlusEscapesBaseAndQueryAndReloadsOnlyWithATimeout) {
  WebTestServer server({httpResponse(200, "hello, world")});
  NSString url(server.url("/path+x?q=a+b").c_str());
  std::string base = server.url("/find?name=");
  char result[64];
  ASSERT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 0));
  EXPECT_STREQ("hello, world", result);
  ASSERT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 5));
  for (const char* query : {"John Smith+Co", "a\"b<c>&d=e/f|{}", static_cast<const char*>(nullptr)})
    ASSERT_EQ(0, LoadURLIntoString(base.c_str(), query, result, sizeof result, 0));
  // Text outside ASCII cannot be escaped: nothing is requested, the buffer stays as it was.
  std::strcpy(result, "untouched");
  EXPECT_EQ(-1, LoadURLIntoString(base.c_str(), "caf\xC3\xA9", result, sizeof result, 0));
  EXPECT_STREQ("untouched", result);

  EXPECT_EQ((std::vector<std::string>{
                "GET /path%2Bx?q=a%2Bb HTTP/1.1", "GET /path%2Bx?q=a%2Bb HTTP/1.1",
                "GET /find?name=John%20Smith%2BCo HTTP/1.1",
                "GET /find?name=a%22b%3Cc%3E&d=e/f%7C%7B%7D HTTP/1.1", "GET /find?name= HTTP/1.1"}),
            requestLines(server));
  auto requests = server.requests();
  ASSERT_EQ(5u, requests.size());
  // Without a time-out the request takes the defaults; with one it reloads from the origin.
  EXPECT_EQ(npos, requests[0].find("Cache-Control:"));
  EXPECT_NE(npos, headerAt(requests[1], "Cache-Control: no-cache"));
}

TEST_F(WebRequests, AnswerIsCutToCapacityMinusOneWhateverTheStatus) {
  std::string big = "B" + std::string(3 * 1024 * 1024, 'x'); // arrives in many pieces
  WebTestServer server({httpResponse(200, "0123456789abcdefghijklmno"), httpResponse(200, big),
                        httpResponse(200, "0123"), httpResponse(404, "<h1>Not here</h1>"),
                        httpResponse(500, "")});
  NSString url(server.url("/long").c_str());
  char result[20];
  std::memset(result, 'Z', sizeof result);
  ASSERT_EQ(0, LoadURLIntoString(&url, result, 10, 0));
  EXPECT_STREQ("012345678", result);
  EXPECT_EQ('Z', result[10]); // nothing written past the capacity
  ASSERT_EQ(0, LoadURLIntoString(&url, result, 10, 0));
  EXPECT_STREQ("Bxxxxxxxx", result);
  std::memset(result, 'Z', sizeof result);
  ASSERT_EQ(0, LoadURLIntoString(&url, result, 1, 0));
  EXPECT_EQ(std::string("\0Z", 2), std::string(result, 2));

  // No room even for the NUL: refused without a request.
  EXPECT_EQ(-1, LoadURLIntoString(&url, result, 0, 0));
  EXPECT_EQ(-1, LoadURLIntoString(&url, result, -5, 0));
  EXPECT_EQ(-1, LoadURLIntoString(&url, nullptr, 10, 0));
  EXPECT_EQ(std::string("\0Z", 2), std::string(result, 2));
  EXPECT_EQ(3u, server.requests().size());

  // The status is not examined: an error page and an empty answer are answers.
  ASSERT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 0));
  EXPECT_STREQ("<h1>Not here</h1>", result);
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
  EXPECT_NE(npos, headerAt(requests[1], "Content-Length: " + std::to_string(large.size())));
  EXPECT_EQ(npos, requests[1].find("Cache-Control:"));
  EXPECT_EQ("", bodyOf(requests[2]));
  EXPECT_NE(npos, headerAt(requests[2], "Content-Length: 0"));

  const std::string& r = requests[0];
  EXPECT_EQ("POST /submit?k=1%2B2 HTTP/1.1", requestLine(r));
  EXPECT_EQ("a=1&b=2", bodyOf(r));
  char system[64];
  GetSystemInfo(system);
  size_t length = headerAt(r, "Content-Length: 7");
  size_t agent = headerAt(r, "User-Agent: test_system - " + std::string(system));
  size_t type = headerAt(r, "Content-Type: application/x-www-form-urlencoded");
  EXPECT_NE(npos, type);
  EXPECT_LT(length, agent);
  EXPECT_LT(agent, type);
  EXPECT_EQ(npos, r.find("Expect:"));
}

TEST_F(WebRequests, FailuresAndUnusableUrlsLeaveTheBufferUntouched) {
  char result[32] = "untouched";
  char body[] = "a=1";
  auto both = [&](NSString* url, int timeout) {
    EXPECT_EQ(-1, LoadURLIntoString(url, result, sizeof result, timeout));
    EXPECT_EQ(-1, LoadPostURLIntoString(url, body, result, sizeof result, timeout));
  };
  NSString refused(
      ("http://127.0.0.1:" + std::to_string(WebTestServer::closedPort()) + "/").c_str());
  both(&refused, 2);

  // Unusable URLs are refused without a request.
  WebTestServer server({httpResponse(200, "should not be fetched")});
  for (const std::string& text :
       {server.url("/a\r\nX-Injected: 1"), server.url("/a b"), server.url("/\x01"),
        server.url("/caf\xC3\xA9"), std::string("ftp://127.0.0.1/file"),
        std::string("file:///etc/passwd"), std::string("not a url"), std::string()}) {
    SCOPED_TRACE(text);
    NSString url(text.c_str());
    both(&url, 1);
  }
  both(nullptr, 1);
  EXPECT_EQ(-1, LoadPostURLIntoString(nullptr, nullptr, result, sizeof result, 1));
  EXPECT_STREQ("untouched", result);
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(WebRequests, RedirectsAreFollowedWithinLimits) {
  // Status, place, POST or GET, result, requests made, and the second request's line and body.
  const std::tuple<int, const char*, bool, short, size_t, const char*, const char*> cases[] = {
      {302, "/second", false, 0, 2, "GET /second HTTP/1.1", ""},
      // A POST answered with 303 continues as a GET without the body or its headers; 307
      // repeats the POST, body and all.
      {303, "/done", true, 0, 2, "GET /done HTTP/1.1", ""},
      {307, "/again", true, 0, 2, "POST /again HTTP/1.1", "k=v"},
      // Endless redirects fail after ten; a redirect to another scheme is not followed.
      {302, "/first", false, -1, 11, "GET /first HTTP/1.1", ""},
      {302, "file:///etc/passwd", false, -1, 1, nullptr, nullptr},
  };
  for (const auto& [status, location, post, rc, count, next, nextBody] : cases) {
    SCOPED_TRACE(std::to_string(status) + " to " + location);
    std::vector<std::string> script{
        httpResponse(status, "", std::string("Location: ") + location + "\r\n")};
    if (rc == 0) script.push_back(httpResponse(200, "arrived"));
    WebTestServer server(script);
    NSString url(server.url("/first").c_str());
    char body[] = "k=v", result[16] = "untouched";
    EXPECT_EQ(rc, post ? LoadPostURLIntoString(&url, body, result, sizeof result, 0)
                       : LoadURLIntoString(&url, result, sizeof result, 0));
    EXPECT_STREQ(rc == 0 ? "arrived" : "untouched", result);
    auto requests = server.requests();
    ASSERT_EQ(count, requests.size());
    if (!next) continue;
    EXPECT_EQ(next, requestLine(requests[1]));
    EXPECT_EQ(nextBody, bodyOf(requests[1]));
    EXPECT_EQ(*nextBody != '\0', requests[1].find("Content-Length:") != npos);
  }

  // Bytes outside printable ASCII in an absolute target are escaped, never sent raw.
  WebTestServer target({httpResponse(200, "arrived")});
  WebTestServer first(
      {httpResponse(302, "", "Location: " + target.url("/caf\xC3\xA9 au") + "\r\n")});
  NSString url(first.url("/").c_str());
  char result[16] = "";
  EXPECT_EQ(0, LoadURLIntoString(&url, result, sizeof result, 0));
  ASSERT_EQ(1u, target.requests().size());
  EXPECT_EQ("GET /caf%C3%A9%20au HTTP/1.1", requestLine(target.requests()[0]));
}

// The time-out counts seconds in which no byte moves, whatever part of the answer is due: a
// silent server fails the request between n and n + 1 seconds (some slack is allowed for a busy
// machine), and an answer that keeps coming is never cut, however slowly it comes.
TEST_F(WebRequests, TimeOutCountsSecondsWithoutAByteMoved) {
  const std::string P(1, WebTestServer::kPause);
  const struct {
    const char* name;
    bool silent, post;
    int timeout, pauseMs;
    std::string response;
    short rc;
    double atLeast, below;
  } rows[] = {
      {"silent GET", true, false, 1, 0, "", -1, 1.0, 2.3},
      {"silent POST", true, true, 2, 0, "", -1, 2.0, 3.3},
      // A pause of 1.5 s within the status line, before the end of the head and in the body.
      {"dripping", false, false, 2, 1500,
       "HTTP/1.1 2" + P + "00 OK\r\nContent-Length: 2\r\n" + P + "\r\n" + P + "o" + P + "k", 0, 6.0,
       60},
      {"slow but steady", false, true, 1, 300,
       "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0" + P + "1" + P + "2" + P + "3" + P + "4" +
           P + "5" + P + "6" + P + "7" + P + "8" + P + "9",
       0, 2.7, 60},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WebTestServer server({row.response}, row.silent, std::chrono::milliseconds(row.pauseMs));
    NSString url(server.url("/slow").c_str());
    char body[] = "k=v", result[16] = "untouched";
    auto start = std::chrono::steady_clock::now();
    short rc = row.post ? LoadPostURLIntoString(&url, body, result, sizeof result, row.timeout)
                        : LoadURLIntoString(&url, result, sizeof result, row.timeout);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(row.rc, rc);
    EXPECT_STREQ(row.rc ? "untouched" : row.post ? "0123456789" : "ok", result);
    EXPECT_GE(seconds, row.atLeast);
    EXPECT_LT(seconds, row.below);
    EXPECT_EQ(1u, server.requests().size());
  }
}
