#pragma once

#include <QString>
#include <string>

namespace quillery {

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

extern const char kClearTextDeclinedStatus[];   // UTF-8
extern const char kCertificateDeclinedStatus[]; // UTF-8

} // namespace quillery
