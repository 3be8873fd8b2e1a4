#include "SystemTestSupport.h"
#include "WebTestServer.h"

#include <signal.h>
#include <sys/wait.h>

#include <chrono>

using systemtest::httpResponse;
using systemtest::WebTestServer;

namespace {

constexpr size_t npos = std::string::npos;
std::string requestLine(const std::string& r) { return r.substr(0, r.find("\r\n")); }
std::string bodyOf(const std::string& r) {
  size_t end = r.find("\r\n\r\n");
  return end == npos ? std::string() : r.substr(end + 4);
}
// Where a whole header line stands in a raw request; npos when it was not sent.
size_t headerAt(const std::string& r, const std::string& line) {
  return r.substr(0, r.find("\r\n\r\n") + 2).find("\r\n" + line + "\r\n");
}
short load(bool post, NSString* url, char* result, short room, int timeout) {
  char body[] = "k=v";
  return post ? LoadPostURLIntoString(url, body, result, room, timeout)
              : LoadURLIntoString(url, result, room, timeout);
}

// Requests to the test servers go straight to 127.0.0.1, whatever proxy the environment names.
class WebRequests : public ::testing::Test {
  kivtest::ScopedEnv noProxy_{"no_proxy", std::string("127.0.0.1,localhost")};
  kivtest::ScopedEnv noProxyUpper_{"NO_PROXY", std::string("127.0.0.1,localhost")};
};

} // namespace

TEST_F(WebRequests, GetEscapesBaseAndQueryAndReloadsOnlyWithATimeOut) {
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
  auto requests = server.requests();
  std::vector<std::string> lines;
  for (const std::string& r : requests)
    lines.push_back(requestLine(r));
  EXPECT_EQ((std::vector<std::string>{
                "GET /path%2Bx?q=a%2Bb HTTP/1.1", "GET /path%2Bx?q=a%2Bb HTTP/1.1",
                "GET /find?name=John%20Smith%2BCo HTTP/1.1",
                "GET /find?name=a%22b%3Cc%3E&d=e/f%7C%7B%7D HTTP/1.1", "GET /find?name= HTTP/1.1"}),
            lines);
  ASSERT_EQ(5u, requests.size());
  EXPECT_EQ(npos, requests[0].find("Cache-Control:"));
  EXPECT_NE(npos, headerAt(requests[1], "Cache-Control: no-cache"));
}

// Cuts in a buffer of exactly the room are checked by the exact-room rows.
TEST_F(WebRequests, AnswerIsCutToTheRoomWhateverTheStatus) {
  std::string big = "B" + std::string(3 * 1024 * 1024, 'x'); // arrives in many pieces
  WebTestServer server(
      {httpResponse(200, big), httpResponse(404, "<h1>Not here</h1>"), httpResponse(500, "")});
  NSString url(server.url("/long").c_str());
  char result[20] = "Z";
  // No room even for the NUL: refused without a request.
  EXPECT_EQ(-1, LoadURLIntoString(&url, result, 0, 0));
  EXPECT_EQ(-1, LoadURLIntoString(&url, result, -5, 0));
  EXPECT_EQ(-1, LoadURLIntoString(&url, nullptr, 10, 0));
  EXPECT_STREQ("Z", result);
  EXPECT_EQ(0u, server.requests().size());
  for (const char* expected : {"Bxxxxxxxx", "<h1>Not here</h1>", ""}) {
    ASSERT_EQ(0, LoadURLIntoString(&url, result, *expected == 'B' ? 10 : 20, 0));
    EXPECT_STREQ(expected, result);
  }
}

TEST_F(WebRequests, PostSendsHeadersInOrderAndTheBodyUnchanged) {
  WebTestServer server({httpResponse(200, "posted")});
  NSString url(server.url("/submit?k=1+2").c_str());
  char body[] = "a=1&b=2", result[32];
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
  WebTestServer server({httpResponse(200, "should not be fetched")});
  // Unusable URLs are refused without a request.
  for (const std::string& text :
       {server.url("/a\r\nX-Injected: 1"), server.url("/a b"), server.url("/\x01"),
        server.url("/caf\xC3\xA9"), std::string("ftp://127.0.0.1/file"),
        std::string("file:///etc/passwd"), std::string("not a url"), std::string(),
        "http://127.0.0.1:" + std::to_string(systemtest::closedPort()) + "/"}) {
    SCOPED_TRACE(text);
    NSString url(text.c_str());
    EXPECT_EQ(-1, load(false, &url, result, sizeof result, 1));
    EXPECT_EQ(-1, load(true, &url, result, sizeof result, 1));
  }
  EXPECT_EQ(-1, load(false, nullptr, result, sizeof result, 1));
  EXPECT_EQ(-1, load(true, nullptr, result, sizeof result, 1));
  // A host that decodes to a blank or a control character is refused, even by way of a proxy,
  // which would otherwise receive it raw in the request line.
  setenv("http_proxy", server.url("").c_str(), 1);
  for (const char* host : {"a%7Fb", "a%20b", "a%0Db",
                           "a\x7F"
                           "b"}) {
    SCOPED_TRACE(host);
    const std::string text = std::string("http://") + host + "/";
    NSString url(text.c_str());
    EXPECT_EQ(-1, load(false, &url, result, sizeof result, 1));
    EXPECT_EQ(-1, LoadURLIntoString(text.c_str(), "", result, sizeof result, 1));
  }
  unsetenv("http_proxy");
  EXPECT_STREQ("untouched", result);
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(WebRequests, RedirectsAreFollowedWithinLimits) {
  // Status, place, POST or GET, result, requests made, and the second request's line and body.
  const std::tuple<int, const char*, bool, short, size_t, const char*, const char*> cases[] = {
      {302, "/second", false, 0, 2, "GET /second HTTP/1.1", ""},
      // A POST answered with 303 continues as a GET without the body; 307 repeats the POST.
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
    char result[16] = "untouched";
    EXPECT_EQ(rc, load(post, &url, result, sizeof result, 0));
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

// The time-out counts seconds in which no byte moves: a silent server fails the request between
// n and n + 1 seconds (with slack for a busy machine), and an answer that keeps coming is never
// cut, however slowly it comes.
TEST_F(WebRequests, TimeOutCountsSecondsWithoutAByteMoved) {
  const std::string P(1, WebTestServer::kPause);
  const struct {
    const char* name;
    bool silent, post;
    int timeout, pauseMs;
    std::string response;
    double atLeast, below;
  } rows[] = {
      {"silent GET", true, false, 1, 0, "", 1.0, 2.3},
      {"silent POST", true, true, 2, 0, "", 2.0, 3.3},
      // Pauses of 1.5 s within the status line, before the end of the head and in the body.
      {"dripping", false, false, 2, 1500,
       "HTTP/1.1 2" + P + "00 OK\r\nContent-Length: 2\r\n" + P + "\r\n" + P + "o" + P + "k", 6.0,
       60},
      {"slow but steady", false, true, 1, 300,
       "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0" + P + "1" + P + "2" + P + "3" + P + "4" +
           P + "5" + P + "6" + P + "7" + P + "8" + P + "9",
       2.7, 60},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WebTestServer server({row.response}, row.silent, std::chrono::milliseconds(row.pauseMs));
    NSString url(server.url("/slow").c_str());
    char result[16] = "untouched";
    auto start = std::chrono::steady_clock::now();
    short rc = load(row.post, &url, result, sizeof result, row.timeout);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(row.silent ? -1 : 0, rc);
    EXPECT_STREQ(row.silent ? "untouched" : row.post ? "0123456789" : "ok", result);
    EXPECT_GE(seconds, row.atLeast);
    EXPECT_LT(seconds, row.below);
    EXPECT_EQ(1u, server.requests().size());
  }
}

// A TLS server on 127.0.0.1 presenting a self-signed certificate: the request fails as a
// transport failure instead of loading the page.
TEST(WebRequestsTls, UntrustedCertificateIsATransportFailure) {
  kivtest::TempDir dir;
  kivtest::ScopedEnv noProxy("no_proxy", std::string("127.0.0.1"));
  const std::string key = dir.str() + "/key.pem", cert = dir.str() + "/cert.pem";
  ASSERT_EQ(0, std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
                            " -keyout " +
                            key + " -out " + cert + " >/dev/null 2>&1")
                               .c_str()));
  const std::string at = "127.0.0.1:" + std::to_string(systemtest::closedPort());
  pid_t server = fork();
  ASSERT_GE(server, 0);
  if (server == 0) {
    execl("/bin/sh", "sh", "-c",
          "exec openssl s_server -quiet -www -accept \"$0\" -cert \"$1\" "
          "-key \"$2\" </dev/null >/dev/null 2>&1",
          at.c_str(), cert.c_str(), key.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // The server is sound: a client that trusts its certificate completes the handshake.
  const std::string trusting = "openssl s_client -connect " + at + " -CAfile " + cert +
                               " -verify_return_error </dev/null >/dev/null 2>&1";
  int trusted = -1;
  for (int i = 0; i < 100 && (trusted = std::system(trusting.c_str())) != 0; ++i)
    usleep(50000);
  EXPECT_EQ(0, trusted) << "the TLS test server did not start";
  NSString url(("https://" + at + "/").c_str());
  char result[64] = "untouched";
  EXPECT_EQ(-1, LoadURLIntoString(&url, result, sizeof result, 10));
  EXPECT_STREQ("untouched", result);
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
}
