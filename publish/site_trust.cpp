#include "publish/site_trust.h"

#include "publish/ftp_client.h"
#include "publish/tls_error.h"
#include "store/settings_store.h"

#include <openssl/x509_vfy.h>

namespace quillery {

const char kClearTextDeclinedStatus[] =
    "Публикация отменена: сервер не поддерживает шифрование. Ничего не отправлено.";
const char kCertificateDeclinedStatus[] =
    "Публикация отменена: сертификат сервера не принят. Ничего не отправлено.";

namespace {

const QString kSection = QStringLiteral("Trust");
const QString kClearText = QStringLiteral("ClearText");
const QString kCertificate = QStringLiteral("Certificate");

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString PlainReason(long verifyResult) {
    switch (verifyResult) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return QStringLiteral("сертификат выписан самим сервером, его не заверил ни один "
                              "известный центр сертификации");
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return QStringLiteral("сертификат заверен неизвестным центром сертификации");
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return QStringLiteral("срок действия сертификата истёк");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return QStringLiteral("срок действия сертификата ещё не начался");
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return QStringLiteral("сертификат выдан на другое имя сервера (так бывает у "
                              "хостинга, где сертификат называет сервер хостинга, а не ваш сайт)");
    default:
        return QStringLiteral("сертификат не прошёл проверку (%1)")
            .arg(QString::fromUtf8(X509_verify_cert_error_string(verifyResult)));
    }
}

QString CertificateLines(const TlsCertificate& certificate) {
    return QStringLiteral("Кому выдан: %1\nКем выдан: %2\nДействителен: с %3 по %4\n")
               .arg(Utf8(certificate.subject), Utf8(certificate.issuer),
                    Utf8(certificate.notBefore), Utf8(certificate.notAfter)) +
           QStringLiteral("Отпечаток SHA-256: %1").arg(Utf8(certificate.fingerprint));
}

} // namespace

TSiteTrust ReadSiteTrust(const QString& sitePath) {
    const TIniView siteKey(SiteKeyPath(sitePath));
    return {siteKey.ReadText(kSection, kClearText) == QLatin1String("1"),
            siteKey.ReadText(kSection, kCertificate).toStdString()};
}

void AllowClearText(const QString& sitePath) {
    TIniView siteKey(SiteKeyPath(sitePath));
    siteKey.WriteText(kSection, kClearText, QStringLiteral("1"));
    siteKey.Close();
}

void PinCertificate(const QString& sitePath, const std::string& fingerprint) {
    TIniView siteKey(SiteKeyPath(sitePath));
    siteKey.WriteText(kSection, kCertificate, Utf8(fingerprint));
    siteKey.Close();
}

QString ClearTextQuestion() {
    return QStringLiteral("Сервер не поддерживает шифрование. Логин, пароль и страницы будут "
                          "переданы открытым текстом. Продолжить?");
}

QString CertificateQuestion(const UntrustedCertificateError& error) {
    const TlsCertificate& certificate = error.Certificate();
    if (!error.Pinned().empty()) {
        return QStringLiteral("Внимание! Сертификат сервера изменился с тех пор, как вы "
                              "доверились ему. Возможно, кто-то перехватывает соединение.\n\n"
                              "Прежний отпечаток SHA-256: %1\nНовый отпечаток SHA-256: %2\n\n")
                   .arg(Utf8(error.Pinned()), Utf8(certificate.fingerprint)) +
               CertificateLines(certificate) +
               QStringLiteral("\n\nДоверять новому сертификату для этого сайта?");
    }
    return QStringLiteral("Сертификат сервера не удалось проверить: %1.\n\n")
               .arg(PlainReason(error.VerifyResult())) +
           CertificateLines(certificate) +
           QStringLiteral("\n\nДоверять этому сертификату для этого сайта?");
}

void ConnectTrusting(FtpClient& client, const TSiteQuestions& site) {
    const auto asked = [&site](const QString& question) {
        return site.ask && site.ask(question);
    };
    // A Да settles one question; a server that raises new ones each time
    // (a certificate changing on every connection) is not followed forever.
    for (int attempt = 0;; ++attempt) {
        const TSiteTrust trust = ReadSiteTrust(site.sitePath);
        client.SetClearTextAllowed(trust.clearTextAllowed);
        client.SetPinnedCertificate(trust.pinnedCertificate);
        try {
            client.Connect();
            return;
        } catch (const TlsRefusedError& refused) {
            if (attempt == 2 || !asked(ClearTextQuestion()))
                throw TDeclinedError(refused.what(), QString::fromUtf8(kClearTextDeclinedStatus));
            AllowClearText(site.sitePath);
        } catch (const UntrustedCertificateError& untrusted) {
            if (attempt == 2 || !asked(CertificateQuestion(untrusted)))
                throw TDeclinedError(untrusted.what(),
                                     QString::fromUtf8(kCertificateDeclinedStatus));
            PinCertificate(site.sitePath, untrusted.Certificate().fingerprint);
        }
    }
}

QString DescribeProtection(const FtpClient& client) {
    if (client.TlsProtocol().empty())
        return QStringLiteral("без шифрования (разрешено для этого сайта)");
    return QString::fromStdString(client.TlsProtocol()) +
           (client.CertificatePinned() ? QStringLiteral(", сертификат закреплён для этого сайта")
                                       : QStringLiteral(", сертификат проверен"));
}

} // namespace quillery
