// What a TCP connection has carried, as the kernel counts it.
#pragma once

#include <cstdint>

namespace kiv::platform {

// The bytes the TCP socket has received, plus those it has sent and the peer has acknowledged:
// every byte of the stream (protocol headers, TLS records and bodies alike), however the program
// above the socket groups them. 0 when the socket reports no such counts (not a TCP socket, or
// a kernel without them).
std::uint64_t tcpBytesMoved(int socket);

} // namespace kiv::platform
