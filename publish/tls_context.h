#pragma once

#include <string>

using SSL_CTX = struct ssl_ctx_st;
using SSL = struct ssl_st;
using SSL_SESSION = struct ssl_session_st;
using X509 = struct x509_st;

namespace quillery {

// What the user needs to decide about a server's certificate.
struct TlsCertificate {
    std::string subject;
    std::string issuer;
    std::string notBefore; // "YYYY-MM-DD HH:MM UTC"
    std::string notAfter;
    std::string fingerprint; // SHA-256, "AB:CD:…" as openssl x509 -fingerprint prints it
};

TlsCertificate DescribeCertificate(X509* certificate);

// The TLS settings one FTP session's connections share: TLS 1.2 or later,
// the system's trusted authorities, the host name to check the certificate
// against, and the latest session the server handed out, which data
// connections resume (servers may insist that they do). Sessions are chained
// from the control connection's; each connection's newest one is kept, as a
// TLS 1.3 server may take each ticket only once.
class TlsContext final {
public:
    explicit TlsContext(std::string host);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    SSL_CTX* Handle() const { return m_context; }
    const std::string& Host() const { return m_host; }

    // The sessions the server gives ssl are kept.
    void WatchSessions(SSL* ssl);
    // The latest session, or null before the server gave one.
    SSL_SESSION* Session() const { return m_session; }

private:
    static int KeepSession(SSL* ssl, SSL_SESSION* session);

    SSL_CTX* m_context = nullptr;
    std::string m_host;
    SSL_SESSION* m_session = nullptr;
};

// The reasons OpenSSL queued for the last failure, or fallback.
std::string TlsErrorText(const std::string& fallback);

} // namespace quillery
