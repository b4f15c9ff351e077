#include "publish/byte_stream.h"

#include "store/error.h"

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>

namespace quillery {
namespace {

// At most this much is read and dropped while waiting for the peer to close.
constexpr std::size_t kMaxDrain = 1024 * 1024;

// A socket as a BIO: its descriptor and whether the peer has closed.
struct SocketState {
    int socket;
    bool ended = false;
};

SocketState& StateOf(BIO* bio) {
    return *static_cast<SocketState*>(BIO_get_data(bio));
}

int SocketOf(BIO* bio) {
    return StateOf(bio).socket;
}

// OpenSSL's own socket BIO writes with write(), which raises SIGPIPE when the
// peer has gone; this one sends with MSG_NOSIGNAL, as TcpConnection does.
int SocketWrite(BIO* bio, const char* data, std::size_t size, std::size_t* written) {
    BIO_clear_retry_flags(bio);
    const ssize_t sent = send(SocketOf(bio), data, size, MSG_NOSIGNAL);
    if (sent >= 0) {
        *written = static_cast<std::size_t>(sent);
        return 1;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        BIO_set_retry_write(bio);
    }
    return 0;
}

int SocketRead(BIO* bio, char* data, std::size_t size, std::size_t* read) {
    BIO_clear_retry_flags(bio);
    const ssize_t received = recv(SocketOf(bio), data, size, 0);
    if (received > 0) {
        *read = static_cast<std::size_t>(received);
        return 1;
    }
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        BIO_set_retry_read(bio);
    } else if (received == 0) {
        StateOf(bio).ended = true;
    }
    *read = 0;
    return 0;
}

// OpenSSL asks BIO_CTRL_EOF to tell a closed connection from a failed one.
long SocketControl(BIO* bio, int command, long, void*) {
    switch (command) {
    case BIO_CTRL_FLUSH:
        return 1;
    case BIO_CTRL_EOF:
        return StateOf(bio).ended ? 1 : 0;
    default:
        return 0;
    }
}

int SocketDestroy(BIO* bio) {
    delete static_cast<SocketState*>(BIO_get_data(bio));
    BIO_set_data(bio, nullptr);
    return 1;
}

BIO_METHOD* SocketMethod() {
    static BIO_METHOD* const method = [] {
        BIO_METHOD* made =
            BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "quillery socket");
        BIO_meth_set_write_ex(made, SocketWrite);
        BIO_meth_set_read_ex(made, SocketRead);
        BIO_meth_set_ctrl(made, SocketControl);
        BIO_meth_set_destroy(made, SocketDestroy);
        return made;
    }();
    return method;
}

BIO* SocketBio(int socket) {
    BIO* bio = SocketMethod() ? BIO_new(SocketMethod()) : nullptr;
    if (bio == nullptr) {
        throw Error(TlsErrorText("Cannot set up TLS"));
    }
    BIO_set_data(bio, new SocketState{socket});
    BIO_set_init(bio, 1);
    return bio;
}

bool IsAddress(const std::string& host) {
    unsigned char address[16];
    return inet_pton(AF_INET, host.c_str(), address) == 1 ||
           inet_pton(AF_INET6, host.c_str(), address) == 1;
}

} // namespace

ByteStream::~ByteStream() {
    Close();
}

ByteStream::ByteStream(ByteStream&& other) noexcept
    : m_tcp(std::move(other.m_tcp)), m_ssl(other.m_ssl) {
    other.m_ssl = nullptr;
}

ByteStream& ByteStream::operator=(ByteStream&& other) noexcept {
    if (this != &other) {
        Close();
        m_tcp = std::move(other.m_tcp);
        m_ssl = other.m_ssl;
        other.m_ssl = nullptr;
    }
    return *this;
}

void ByteStream::Close() {
    if (m_ssl != nullptr) {
        if (SSL_is_init_finished(m_ssl)) {
            SSL_shutdown(m_ssl);
        }
        SSL_free(m_ssl);
        m_ssl = nullptr;
        ERR_clear_error();
    }
    m_tcp.Close();
}

void ByteStream::AwaitTls(int result, SteadyClock::time_point deadline, const char* timeout,
                          const char* what) {
    const int error = SSL_get_error(m_ssl, result);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
        if (!m_tcp.Wait(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline)) {
            throw Error(timeout);
        }
        return;
    }
    std::string reason = std::string(what) + " failed";
    if (error == SSL_ERROR_SYSCALL && errno != 0) {
        reason += std::string(": ") + std::strerror(errno);
    } else if (error == SSL_ERROR_SYSCALL || error == SSL_ERROR_ZERO_RETURN) {
        reason += ": connection closed by the server";
    }
    throw Error(TlsErrorText(reason));
}

void ByteStream::StartTls(TlsContext& context, Role role, SteadyClock::time_point deadline) {
    if (!IsOpen()) {
        throw Error("Not Connected");
    }
    try {
        m_ssl = SSL_new(context.Handle());
        if (m_ssl == nullptr) {
            throw Error(TlsErrorText("Cannot set up TLS"));
        }
        BIO* bio = SocketBio(m_tcp.Descriptor());
        SSL_set_bio(m_ssl, bio, bio);
        const std::string& host = context.Host();
        if (IsAddress(host)) {
            X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_ssl), host.c_str());
        } else {
            SSL_set_tlsext_host_name(m_ssl, host.c_str());
            SSL_set1_host(m_ssl, host.c_str());
        }
        context.WatchSessions(m_ssl);
        if (role == Role::Data && context.Session() != nullptr) {
            SSL_set_session(m_ssl, context.Session());
        }
        for (;;) {
            ERR_clear_error();
            errno = 0;
            const int result = SSL_connect(m_ssl);
            if (result == 1) {
                return;
            }
            AwaitTls(result, deadline, "TLS handshake timeout", "TLS handshake");
        }
    } catch (const Error&) {
        // Half a handshake leaves nothing either side could go on with.
        SSL_free(m_ssl);
        m_ssl = nullptr;
        m_tcp.Close();
        throw;
    }
}

std::string ByteStream::Protocol() const {
    return m_ssl != nullptr ? SSL_get_version(m_ssl) : std::string();
}

TlsCertificate ByteStream::PeerCertificate() const {
    X509* certificate = m_ssl != nullptr ? SSL_get1_peer_certificate(m_ssl) : nullptr;
    if (certificate == nullptr) {
        throw Error("The server presented no certificate.");
    }
    try {
        TlsCertificate described = DescribeCertificate(certificate);
        X509_free(certificate);
        return described;
    } catch (const Error&) {
        X509_free(certificate);
        throw;
    }
}

long ByteStream::VerificationResult() const {
    return m_ssl != nullptr ? SSL_get_verify_result(m_ssl) : X509_V_ERR_UNSPECIFIED;
}

bool ByteStream::SessionReused() const {
    return m_ssl != nullptr && SSL_session_reused(m_ssl) == 1;
}

void ByteStream::SendAll(std::string_view data, std::chrono::milliseconds idleLimit) {
    if (m_ssl == nullptr) {
        m_tcp.SendAll(data, idleLimit);
        return;
    }
    if (!IsOpen()) {
        throw Error("Not Connected");
    }
    const auto deadlineFromNow = [&] {
        return SteadyClock::now() + idleLimit;
    };
    while (!data.empty()) {
        ERR_clear_error();
        errno = 0;
        std::size_t written = 0;
        const int result = SSL_write_ex(m_ssl, data.data(), data.size(), &written);
        if (result == 1) {
            data.remove_prefix(written);
            continue;
        }
        AwaitTls(result, deadlineFromNow(), "Write Timeout", "TLS send");
    }
}

std::size_t ByteStream::Receive(char* buffer, std::size_t size, SteadyClock::time_point deadline) {
    if (m_ssl == nullptr) {
        return m_tcp.Receive(buffer, size, deadline);
    }
    if (!IsOpen()) {
        throw Error("Not Connected");
    }
    for (;;) {
        ERR_clear_error();
        errno = 0;
        std::size_t received = 0;
        const int result = SSL_read_ex(m_ssl, buffer, size, &received);
        if (result == 1) {
            return received;
        }
        // close_notify, or (SSL_OP_IGNORE_UNEXPECTED_EOF) a plain close.
        if (SSL_get_error(m_ssl, result) == SSL_ERROR_ZERO_RETURN) {
            return 0;
        }
        AwaitTls(result, deadline, "Read Timeout", "TLS receive");
    }
}

bool ByteStream::DataArrivesWithin(std::chrono::milliseconds limit) {
    if (m_ssl != nullptr && SSL_pending(m_ssl) > 0) {
        return true;
    }
    return m_tcp.DataArrivesWithin(limit);
}

void ByteStream::FinishSending(std::chrono::milliseconds limit) noexcept {
    if (m_ssl == nullptr) {
        m_tcp.ShutdownSending();
        return;
    }
    const auto deadline = SteadyClock::now() + limit;
    try {
        for (;;) {
            ERR_clear_error();
            errno = 0;
            const int result = SSL_shutdown(m_ssl);
            if (result == 1) {
                break;
            }
            if (result == 0) {
                m_tcp.ShutdownSending();
                std::array<char, 16384> scratch;
                std::size_t drained = 0;
                while (drained < kMaxDrain) {
                    const std::size_t count = Receive(scratch.data(), scratch.size(), deadline);
                    if (count == 0) {
                        break;
                    }
                    drained += count;
                }
                break;
            }
            AwaitTls(result, deadline, "Write Timeout", "TLS shutdown");
        }
    } catch (const Error&) {
        // The peer went first; what it received its reply tells.
    }
    ERR_clear_error();
}

} // namespace quillery
