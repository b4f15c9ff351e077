#include "publish/tcp_connection.h"

#include "store/error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace quillery {

namespace {

[[noreturn]] void ThrowSystemError(const std::string& what, int error) {
    throw Error(what + ": " + std::strerror(error));
}

int RemainingMilliseconds(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

} // namespace

TcpConnection::~TcpConnection() {
    Close();
}

TcpConnection::TcpConnection(TcpConnection&& other) noexcept : m_socket(other.m_socket) {
    other.m_socket = -1;
}

TcpConnection& TcpConnection::operator=(TcpConnection&& other) noexcept {
    if (this != &other) {
        Close();
        m_socket = other.m_socket;
        other.m_socket = -1;
    }
    return *this;
}

TcpConnection TcpConnection::Open(const std::string& host, std::uint16_t port,
                                  SteadyClock::time_point deadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        status != 0) {
        throw Error("Cannot resolve host " + host + ": " + gai_strerror(status));
    }
    const std::unique_ptr<addrinfo, AddressListDeleter> addresses(found);
    std::string lastError = "no address";
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        sockaddr_storage address{};
        std::memcpy(&address, entry->ai_addr, entry->ai_addrlen);
        try {
            return Open(address, entry->ai_addrlen, deadline);
        } catch (const Error& error) {
            lastError = error.what();
        }
    }
    throw Error("Cannot connect to " + host + ": " + lastError);
}

TcpConnection TcpConnection::Open(const sockaddr_storage& address, socklen_t addressSize,
                                  SteadyClock::time_point deadline) {
    const int descriptor = socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        ThrowSystemError("Cannot create socket", errno);
    }
    TcpConnection connection(descriptor);
    const int on = 1;
    setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (connect(descriptor, reinterpret_cast<const sockaddr*>(&address), addressSize) != 0) {
        if (errno != EINPROGRESS) {
            ThrowSystemError("Connection failed", errno);
        }
        if (!connection.Wait(POLLOUT, deadline)) {
            throw Error("Connect Timeout");
        }
        int error = 0;
        socklen_t errorSize = sizeof error;
        getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &errorSize);
        if (error != 0) {
            ThrowSystemError("Connection failed", error);
        }
    }
    return connection;
}

void TcpConnection::Close() {
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
}

void TcpConnection::ShutdownSending() {
    if (m_socket >= 0) {
        shutdown(m_socket, SHUT_WR);
    }
}

bool TcpConnection::Wait(short events, SteadyClock::time_point deadline) {
    for (;;) {
        pollfd entry{m_socket, events, 0};
        const int ready = poll(&entry, 1, RemainingMilliseconds(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0) {
            return false;
        }
        if (errno != EINTR) {
            ThrowSystemError("poll failed", errno);
        }
    }
}

void TcpConnection::SendAll(std::string_view data, std::chrono::milliseconds idleLimit) {
    if (!IsOpen()) {
        throw Error("Not Connected");
    }
    while (!data.empty()) {
        const ssize_t sent = send(m_socket, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            ThrowSystemError("Send failed", errno);
        }
        if (!Wait(POLLOUT, SteadyClock::now() + idleLimit)) {
            throw Error("Write Timeout");
        }
    }
}

std::size_t TcpConnection::Receive(char* buffer, std::size_t size,
                                   SteadyClock::time_point deadline) {
    if (!IsOpen()) {
        throw Error("Not Connected");
    }
    for (;;) {
        const ssize_t received = recv(m_socket, buffer, size, 0);
        if (received >= 0) {
            return static_cast<std::size_t>(received);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            ThrowSystemError("Receive failed", errno);
        }
        if (!Wait(POLLIN, deadline)) {
            throw Error("Read Timeout");
        }
    }
}

bool TcpConnection::DataArrivesWithin(std::chrono::milliseconds limit) {
    if (!IsOpen() || !Wait(POLLIN, SteadyClock::now() + limit)) {
        return false;
    }
    char byte = 0;
    return recv(m_socket, &byte, 1, MSG_PEEK) == 1;
}

sockaddr_storage TcpConnection::PeerAddressWithPort(std::uint16_t port,
                                                    socklen_t& addressSize) const {
    sockaddr_storage address{};
    addressSize = sizeof address;
    if (getpeername(m_socket, reinterpret_cast<sockaddr*>(&address), &addressSize) != 0) {
        ThrowSystemError("Cannot read the server's address", errno);
    }
    if (address.ss_family == AF_INET) {
        reinterpret_cast<sockaddr_in*>(&address)->sin_port = htons(port);
    } else if (address.ss_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&address)->sin6_port = htons(port);
    }
    return address;
}

bool TcpConnection::PeerIsIPv6() const {
    socklen_t addressSize = 0;
    const sockaddr_storage address = PeerAddressWithPort(0, addressSize);
    return address.ss_family == AF_INET6 &&
           !IN6_IS_ADDR_V4MAPPED(&reinterpret_cast<const sockaddr_in6*>(&address)->sin6_addr);
}

} // namespace quillery
