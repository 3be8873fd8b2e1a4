#include "platform/net/TcpTraffic.h"

// The kernel's own tcp_info: the C library's copy lacks the byte counters.
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstddef>

namespace kiv::platform {

std::uint64_t tcpBytesMoved(int socket) {
  tcp_info info{};
  socklen_t length = sizeof info;
  if (getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return 0;
  // An older kernel fills a shorter record.
  if (length < offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received) return 0;
  return info.tcpi_bytes_received + info.tcpi_bytes_acked;
}

} // namespace kiv::platform
