#pragma once

#include "publish/tls_context.h"
#include "store/error.h"

#include <string>

namespace quillery {

// The server answered AUTH TLS with one of the codes that mean it has no
// TLS, and clear text was not allowed. Nothing else was sent.
class TlsRefusedError final : public Error {
public:
    explicit TlsRefusedError(int code)
        : Error("The FTP server does not offer TLS (AUTH TLS answered " + std::to_string(code) +
                ")."),
          m_code(code) {}
    int Code() const { return m_code; }

private:
    int m_code;
};

// The server's certificate could not be verified and is not the pinned one,
// or differs from the pinned one. Thrown before USER; the connection is
// closed.
class UntrustedCertificateError final : public Error {
public:
    UntrustedCertificateError(TlsCertificate certificate, long verifyResult, std::string pinned)
        : Error(Describe(certificate, verifyResult, pinned)), m_certificate(std::move(certificate)),
          m_verifyResult(verifyResult), m_pinned(std::move(pinned)) {}

    const TlsCertificate& Certificate() const { return m_certificate; }
    // OpenSSL's X509_V_ result; 0 when the certificate verified but differs
    // from the pin.
    long VerifyResult() const { return m_verifyResult; }
    // The fingerprint that was expected, empty when none was pinned.
    const std::string& Pinned() const { return m_pinned; }

private:
    static std::string Describe(const TlsCertificate& certificate, long verifyResult,
                                const std::string& pinned);

    TlsCertificate m_certificate;
    long m_verifyResult;
    std::string m_pinned;
};

} // namespace quillery
