// A real HTTP server on 127.0.0.1: a thread accepts connections, records each request (head and
// the body its Content-Length announces) and answers with the next scripted response, the last
// one repeating. A silent server holds connections open unanswered; kPause bytes in a response
// are not sent but make the server wait `pause` there.
#pragma once

#include <arpa/inet.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace systemtest {

inline std::string httpResponse(int status, const std::string& body,
                                const std::string& extraHeaders = "") {
  return "HTTP/1.1 " + std::to_string(status) +
         " Scripted\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

// A socket bound to an ephemeral port on 127.0.0.1 (listening when asked); sets `port`.
inline int loopbackSocket(int& port, bool listening) {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  socklen_t len = sizeof addr;
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
      (listening && listen(s, 16) != 0) ||
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
    std::abort();
  port = ntohs(addr.sin_port);
  return s;
}

// A port on 127.0.0.1 on which nothing listens (bound once, then released).
inline int closedPort() {
  int port = 0;
  close(loopbackSocket(port, false));
  return port;
}

class WebTestServer {
public:
  static constexpr char kPause = '\x01';

  explicit WebTestServer(std::vector<std::string> responses, bool silent = false,
                         std::chrono::milliseconds pause = {})
      : responses_(std::move(responses)), silent_(silent), pause_(pause),
        thread_([this] { run(); }) {}
  ~WebTestServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }
  std::string url(const std::string& pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(port_) + pathAndQuery;
  }
  std::vector<std::string> requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

private:
  static void receiveTimeout(int s, long us) {
    timeval tv{us / 1000000, us % 1000000};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  }

  void run() {
    std::vector<int> held;
    receiveTimeout(listener_, 50000); // accept returns now and then to look at stop_
    for (size_t served = 0; !stop_;) {
      int c = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      record(c);
      if (silent_) {
        held.push_back(c);
        continue;
      }
      const std::string& answer = responses_[std::min(served++, responses_.size() - 1)];
      for (size_t at = 0, end; at < answer.size() && !stop_; at = end) {
        end = answer[at] == kPause ? at + 1 : std::min(answer.find(kPause, at), answer.size());
        if (answer[at] == kPause)
          std::this_thread::sleep_for(pause_);
        else if (send(c, answer.data() + at, end - at, MSG_NOSIGNAL) != ssize_t(end - at))
          break;
      }
      close(c);
    }
    for (int c : held)
      close(c);
  }

  // Records the head and the body its Content-Length announces, or what came before the client
  // went quiet for 5 seconds.
  void record(int c) {
    receiveTimeout(c, 5000000);
    std::string data;
    for (char buf[4096];;) {
      size_t end = data.find("\r\n\r\n"), at = data.substr(0, end).find("\r\nContent-Length:");
      size_t body = at == std::string::npos ? 0 : std::strtoul(&data[at + 17], nullptr, 10);
      if (end != std::string::npos && data.size() >= end + 4 + body) break;
      ssize_t n = recv(c, buf, sizeof buf, 0);
      if (n <= 0) break;
      data.append(buf, static_cast<size_t>(n));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(data);
  }

  std::vector<std::string> responses_;
  bool silent_;
  std::chrono::milliseconds pause_;
  int port_ = 0;
  int listener_ = loopbackSocket(port_, true);
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_; // last, so that it starts once everything else is ready
};

} // namespace systemtest
