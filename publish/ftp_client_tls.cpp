// The TLS parts of FtpClient: AUTH TLS, the trust decision, PBSZ and PROT,
// and the handshakes of data connections.

#include "publish/ftp_client.h"
#include "publish/ftp_error.h"
#include "publish/tls_error.h"

#include <openssl/x509.h>

namespace quillery {

std::string UntrustedCertificateError::Describe(const TlsCertificate& certificate,
                                                long verifyResult, const std::string& pinned) {
    const std::string why = pinned.empty()
                                ? std::string(X509_verify_cert_error_string(verifyResult))
                                : "it is not the certificate pinned for this site (" + pinned + ")";
    return "The server's certificate is not trusted: " + why + ". Subject: " + certificate.subject +
           "; issuer: " + certificate.issuer + "; valid from " + certificate.notBefore + " to " +
           certificate.notAfter + "; SHA-256: " + certificate.fingerprint + ".";
}

bool FtpClient::NegotiateExplicitTls() {
    // vsftpd without TLS answers 530 (log in first): no TLS either.
    const FtpReply reply = SendCommand("AUTH TLS", {234, 500, 502, 504, 530, 534});
    if (reply.code != 234) {
        if (!m_clearTextAllowed) {
            throw TlsRefusedError(reply.code);
        }
        return false;
    }
    if (m_control.HasUnreadInput()) {
        throw Error("The FTP server sent more after accepting AUTH TLS.");
    }
    SecureControlConnection();
    return true;
}

void FtpClient::SecureControlConnection() {
    m_tls = std::make_unique<TlsContext>(m_host);
    ByteStream& stream = m_control.Connection();
    stream.StartTls(*m_tls, ByteStream::Role::Control, SteadyClock::now() + ConnectLimit());
    TlsCertificate certificate = stream.PeerCertificate();
    const long verified = stream.VerificationResult();
    if (!m_pinnedCertificate.empty()) {
        if (certificate.fingerprint != m_pinnedCertificate) {
            throw UntrustedCertificateError(std::move(certificate), verified, m_pinnedCertificate);
        }
        m_certificatePinned = true;
    } else if (verified != X509_V_OK) {
        throw UntrustedCertificateError(std::move(certificate), verified, {});
    }
    m_serverFingerprint = certificate.fingerprint;
    m_tlsProtocol = stream.Protocol();
}

void FtpClient::ProtectData() {
    SendCommand("PBSZ 0", {200});
    try {
        SendCommand("PROT P", {200});
    } catch (const FtpError& refused) {
        // Pages would travel unprotected, open to change on the way.
        throw Error("The FTP server refuses to protect data connections (PROT P answered " +
                    std::to_string(refused.Code()) + ").");
    }
}

void FtpClient::SecureDataConnection(ByteStream& data) {
    if (!m_tls) {
        return;
    }
    data.StartTls(*m_tls, ByteStream::Role::Data, SteadyClock::now() + ConnectLimit());
    // Resumed or not, it must be the server the user trusted.
    if (data.PeerCertificate().fingerprint != m_serverFingerprint) {
        throw Error("The data connection presented another certificate than the server.");
    }
}

} // namespace quillery
