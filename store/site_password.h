#pragma once

// The FTP password of a site. It lives in the system's keyring (a Secret
// Service such as GNOME Keyring or KWallet, through QtKeychain) under the
// site key path where one answers; otherwise in the owner-only site key
// file, entry "Password" of section "FTP", as before. A password found in
// the site key is read as ever and moves into the keyring the next time it
// is stored.

#include <QString>

namespace quillery {

enum class TPasswordPlace { Keyring, SiteKey };

QString ReadSitePassword(const QString& sitePath);
// Where the password went.
TPasswordPlace WriteSitePassword(const QString& sitePath, const QString& password);

} // namespace quillery
