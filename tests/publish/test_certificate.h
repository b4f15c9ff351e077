#pragma once

#include <QString>
#include <QTemporaryDir>
#include <string>

// A certificate made for a test with openssl: self-signed for 127.0.0.1, or
// signed by issuer (a self-signed one acting as authority) for altName.
class TestCertificate final {
public:
    // Throws quillery::Error when openssl fails.
    explicit TestCertificate(const QString& commonName = QStringLiteral("Quillery test server"));
    TestCertificate(const QString& commonName, const QString& altName,
                    const TestCertificate& issuer);

    QString CertificatePath() const { return m_folder.filePath(QStringLiteral("cert.pem")); }
    QString KeyPath() const { return m_folder.filePath(QStringLiteral("key.pem")); }
    // SHA-256 as "openssl x509 -fingerprint -sha256" prints it.
    const std::string& Fingerprint() const { return m_fingerprint; }

private:
    void ReadFingerprint();

    QTemporaryDir m_folder;
    std::string m_fingerprint;
};
