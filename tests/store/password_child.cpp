// Stores a site's password and reads it back, printing where it went and
// what was read: the process the keyring test runs inside a D-Bus session
// of its own, or without one.
// Usage: password_child CONFIG_FOLDER SITE_FOLDER PASSWORD
#include "store/site_password.h"

#include <QCoreApplication>
#include <QSettings>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fputs("usage: password_child CONFIG_FOLDER SITE_FOLDER PASSWORD\n", stderr);
        return 2;
    }
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, args[1]);
    const quillery::TPasswordPlace place = quillery::WriteSitePassword(args[2], args[3]);
    const QString read = quillery::ReadSitePassword(args[2]);
    std::printf("%s %s\n", place == quillery::TPasswordPlace::Keyring ? "keyring" : "sitekey",
                read.toUtf8().constData());
    return 0;
}
