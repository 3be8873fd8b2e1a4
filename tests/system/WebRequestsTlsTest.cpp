// HTTPS: the server's certificate is verified. A real TLS server on 127.0.0.1 presents a
// self-signed certificate that no trusted authority signed, so the request must fail as a
// transport failure instead of loading the page.
#include "SystemTestSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// A free TCP port on 127.0.0.1 (bound once and released, so the server can take it).
int freePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  close(fd);
  return ntohs(a.sin_port);
}

bool accepts(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

} // namespace

TEST(WebRequestsTls, UntrustedCertificateIsATransportFailure) {
  kivtest::TempDir dir;
  kivtest::ScopedEnv noProxy("no_proxy", std::string("127.0.0.1"));
  std::string key = (dir.path() / "key.pem").string(), cert = (dir.path() / "cert.pem").string();
  ASSERT_EQ(0, std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
                            " -keyout " +
                            key + " -out " + cert + " >/dev/null 2>&1")
                               .c_str()));
  const int port = freePort();
  pid_t server = fork();
  ASSERT_GE(server, 0);
  if (server == 0) {
    int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0), dup2(devnull, 1), dup2(devnull, 2);
    std::string accept = "127.0.0.1:" + std::to_string(port);
    execl("/usr/bin/openssl", "openssl", "s_server", "-quiet", "-www", "-accept", accept.c_str(),
          "-cert", cert.c_str(), "-key", key.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 100 && !accepts(port); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(accepts(port)) << "the TLS test server did not start";
  // The server is sound: a client that trusts its certificate completes the handshake.
  EXPECT_EQ(0, std::system(("openssl s_client -connect 127.0.0.1:" + std::to_string(port) +
                            " -CAfile " + cert + " -verify_return_error </dev/null >/dev/null 2>&1")
                               .c_str()));

  NSString url(("https://127.0.0.1:" + std::to_string(port) + "/").c_str());
  char result[64];
  std::strcpy(result, "untouched");
  EXPECT_EQ(-1, LoadURLIntoString(&url, result, sizeof result, 10));
  EXPECT_STREQ("untouched", result);

  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
}
