#pragma once

#include "publish/tcp_connection.h"
#include "publish/tls_context.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace quillery {

// A connection's bytes, plain over TCP or through TLS once StartTls has
// succeeded. The same rules as TcpConnection: every wait bounded, expiry and
// failures throw quillery::Error, no read larger than asked for.
class ByteStream final {
public:
    enum class Role { Control, Data };

    ByteStream() = default;
    explicit ByteStream(TcpConnection connection) : m_tcp(std::move(connection)) {}
    ~ByteStream();
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;
    ByteStream(ByteStream&& other) noexcept;
    ByteStream& operator=(ByteStream&& other) noexcept;

    bool IsOpen() const { return m_tcp.IsOpen(); }
    // With TLS, says close_notify first when that can go out at once.
    void Close();

    // The TLS handshake as client, within deadline. A data connection
    // offers the control connection's session for resumption.
    void StartTls(TlsContext& context, Role role, SteadyClock::time_point deadline);
    bool IsSecure() const { return m_ssl != nullptr; }
    // "TLSv1.3" and the like.
    std::string Protocol() const;
    TlsCertificate PeerCertificate() const;
    // 0 (X509_V_OK) when the certificate chains to a trusted authority and
    // names the host; otherwise OpenSSL's X509_V_ERR_ code.
    long VerificationResult() const;
    bool SessionReused() const;

    void SendAll(std::string_view data, std::chrono::milliseconds idleLimit);
    // At most size bytes; 0 at the end of the stream, also when a TLS peer
    // closed without close_notify: what the data were worth is for the
    // server's reply on the control connection to say.
    std::size_t Receive(char* buffer, std::size_t size, SteadyClock::time_point deadline);
    bool DataArrivesWithin(std::chrono::milliseconds limit);
    // Nothing more will be sent: close_notify with TLS, then the TCP half
    // close. With TLS the peer's remaining records are read and dropped
    // until it closes too (within limit), so closing does not reset a
    // connection whose last bytes the peer has not yet taken. Never throws:
    // whether the data arrived is for the server's reply to say.
    void FinishSending(std::chrono::milliseconds limit) noexcept;

    sockaddr_storage PeerAddressWithPort(std::uint16_t port, socklen_t& addressSize) const {
        return m_tcp.PeerAddressWithPort(port, addressSize);
    }
    bool PeerIsIPv6() const { return m_tcp.PeerIsIPv6(); }

private:
    // After an OpenSSL call returned result: waits for what it needs and
    // returns true to try again; throws for anything else.
    void AwaitTls(int result, SteadyClock::time_point deadline, const char* timeout,
                  const char* what);

    TcpConnection m_tcp;
    SSL* m_ssl = nullptr;
};

} // namespace quillery
