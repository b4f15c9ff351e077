#pragma once

#include "publish/remote_folder.h"

#include <QString>
#include <string>

namespace quillery {

class FtpClient;
class UntrustedCertificateError;

// What the user decided about a site's server, kept in its site key
// (section "Trust"): clear text allowed when the server offers no TLS, and
// the fingerprint of the certificate they chose to trust.
struct TSiteTrust {
    bool clearTextAllowed = false;
    std::string pinnedCertificate;
};

TSiteTrust ReadSiteTrust(const QString& sitePath);
void AllowClearText(const QString& sitePath);
void PinCertificate(const QString& sitePath, const std::string& fingerprint);

// The questions put to the user before anything is sent, default No.
QString ClearTextQuestion();
// For an unknown certificate, or for one that differs from the pinned one:
// why, in plain words, and the certificate's subject, issuer, dates and
// fingerprint (both fingerprints when the pin changed).
QString CertificateQuestion(const UntrustedCertificateError& error);

// Connects the client, set up but for its trust settings, with what the
// user decided for the site; a question the server raises (no TLS, an
// unknown or changed certificate) is asked and, answered Да, kept for the
// site before connecting again. Нет: TDeclinedError.
void ConnectTrusting(FtpClient& client, const TSiteQuestions& site);
// "TLSv1.3, сертификат проверен" and the like, for a connected client.
QString DescribeProtection(const FtpClient& client);

extern const char kClearTextDeclinedStatus[];   // UTF-8
extern const char kCertificateDeclinedStatus[]; // UTF-8

} // namespace quillery
