#include "tests/publish/test_certificate.h"

#include "store/atomic_write.h"
#include "store/error.h"

#include <QProcess>

namespace {

QByteArray RunOpenssl(const QStringList& arguments) {
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        throw quillery::Error("openssl failed: " + openssl.readAll().toStdString());
    }
    return openssl.readAll();
}

} // namespace

TestCertificate::TestCertificate(const QString& commonName) {
    if (!m_folder.isValid()) {
        throw quillery::Error("cannot create a temporary folder");
    }
    RunOpenssl({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=") + commonName,
                QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                QStringLiteral("-keyout"), KeyPath(), QStringLiteral("-out"), CertificatePath()});
    ReadFingerprint();
}

TestCertificate::TestCertificate(const QString& commonName, const QString& altName,
                                 const TestCertificate& issuer) {
    if (!m_folder.isValid()) {
        throw quillery::Error("cannot create a temporary folder");
    }
    const QString request = m_folder.filePath(QStringLiteral("request.pem"));
    const QString extensions = m_folder.filePath(QStringLiteral("extensions.cnf"));
    quillery::WriteFileAtomically(extensions,
                                  (QStringLiteral("subjectAltName=") + altName).toUtf8());
    RunOpenssl({QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                QStringLiteral("-nodes"), QStringLiteral("-subj"),
                QStringLiteral("/CN=") + commonName, QStringLiteral("-keyout"), KeyPath(),
                QStringLiteral("-out"), request});
    RunOpenssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), request,
                QStringLiteral("-CA"), issuer.CertificatePath(), QStringLiteral("-CAkey"),
                issuer.KeyPath(), QStringLiteral("-CAcreateserial"), QStringLiteral("-days"),
                QStringLiteral("2"), QStringLiteral("-extfile"), extensions, QStringLiteral("-out"),
                CertificatePath()});
    ReadFingerprint();
}

void TestCertificate::ReadFingerprint() {
    // "sha256 Fingerprint=AB:CD:…"
    const QByteArray printed =
        RunOpenssl({QStringLiteral("x509"), QStringLiteral("-noout"), QStringLiteral("-sha256"),
                    QStringLiteral("-fingerprint"), QStringLiteral("-in"), CertificatePath()});
    m_fingerprint = printed.mid(printed.indexOf('=') + 1).trimmed().toStdString();
}
