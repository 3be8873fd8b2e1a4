// A small HTTP server on 127.0.0.1 for the web-request tests. It accepts connections on an
// ephemeral port in a thread of its own, records each request's raw bytes (headers and the body
// its Content-Length announces) and answers each connection with the next scripted response,
// the last one repeating. A silent server records requests and never answers. Everything is
// bounded in time: reads give up after a few seconds and the destructor stops the thread.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
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

// A whole response with a Content-Length and "Connection: close".
inline std::string httpResponse(int status, const std::string& body,
                                const std::string& extraHeaders = "") {
  return "HTTP/1.1 " + std::to_string(status) +
         " Scripted\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

class WebTestServer {
public:
  enum Mode { kAnswer, kSilent };

  explicit WebTestServer(std::vector<std::string> responses, Mode mode = kAnswer)
      : responses_(std::move(responses)), mode_(mode) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
      std::abort();
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
  }

  ~WebTestServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }

  int port() const { return port_; }
  std::string url(const std::string& pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(port_) + pathAndQuery;
  }

  std::vector<std::string> requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  // A port on 127.0.0.1 on which nothing listens (bound once, then released).
  static int closedPort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    close(s);
    return ntohs(addr.sin_port);
  }

private:
  void run() {
    std::vector<int> silentConnections;
    size_t served = 0;
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      int c = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      std::string request = readRequest(c);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
      }
      if (mode_ == kSilent) {
        silentConnections.push_back(c); // held open, unanswered, until the server stops
        continue;
      }
      const std::string& answer =
          responses_.empty() ? std::string() : responses_[std::min(served, responses_.size() - 1)];
      ++served;
      for (size_t sent = 0; sent < answer.size();) {
        ssize_t n = send(c, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      close(c);
    }
    for (int c : silentConnections)
      close(c);
  }

  // The request head and as many body bytes as its Content-Length announces; stops early when
  // the client goes quiet for 5 seconds.
  std::string readRequest(int c) {
    std::string data;
    size_t need = std::string::npos;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline && !stop_) {
      size_t headEnd = data.find("\r\n\r\n");
      if (headEnd != std::string::npos && need == std::string::npos) {
        need = headEnd + 4;
        std::string head = data.substr(0, headEnd);
        for (const char* name : {"\r\nContent-Length:", "\r\ncontent-length:"}) {
          size_t at = head.find(name);
          if (at != std::string::npos) need += std::strtoul(head.c_str() + at + 17, nullptr, 10);
        }
      }
      if (need != std::string::npos && data.size() >= need) break;
      pollfd p{c, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char buf[4096];
      ssize_t n = recv(c, buf, sizeof buf, 0);
      if (n <= 0) break;
      data.append(buf, static_cast<size_t>(n));
    }
    return data;
  }

  std::vector<std::string> responses_;
  Mode mode_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

} // namespace systemtest
