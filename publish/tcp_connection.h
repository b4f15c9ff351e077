#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/socket.h>

namespace quillery {

using SteadyClock = std::chrono::steady_clock;

// A TCP connection on a non-blocking POSIX socket. Every wait goes through
// poll with a limit, so no call can block longer than it is given; expiry and
// socket errors throw quillery::Error. Sending never raises SIGPIPE.
class TcpConnection final {
public:
    TcpConnection() = default;
    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;
    TcpConnection(TcpConnection&& other) noexcept;
    TcpConnection& operator=(TcpConnection&& other) noexcept;

    // Resolves host and tries its addresses in turn until the deadline.
    static TcpConnection Open(const std::string& host, std::uint16_t port,
                              SteadyClock::time_point deadline);
    static TcpConnection Open(const sockaddr_storage& address, socklen_t addressSize,
                              SteadyClock::time_point deadline);

    bool IsOpen() const { return m_socket >= 0; }
    void Close();
    // Tells the peer that nothing more will be sent.
    void ShutdownSending();

    // Sends all of data; each wait for buffer space may last up to idleLimit.
    void SendAll(std::string_view data, std::chrono::milliseconds idleLimit);
    // Receives at most size bytes, waiting until deadline; 0 at end of stream.
    std::size_t Receive(char* buffer, std::size_t size, SteadyClock::time_point deadline);
    // True when at least one byte can be read within limit.
    bool DataArrivesWithin(std::chrono::milliseconds limit);

    // The address of the peer with its port replaced.
    sockaddr_storage PeerAddressWithPort(std::uint16_t port, socklen_t& addressSize) const;
    // The peer is reached over IPv6 (an IPv4-mapped address does not count).
    bool PeerIsIPv6() const;

    // For a layer on top (TLS), which does its own reading and writing.
    int Descriptor() const { return m_socket; }
    // Waits for events until deadline; false when it passed first.
    bool Wait(short events, SteadyClock::time_point deadline);

private:
    explicit TcpConnection(int socket) : m_socket(socket) {}

    int m_socket = -1;
};

} // namespace quillery
