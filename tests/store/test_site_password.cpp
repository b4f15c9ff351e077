// Where the FTP password is kept: in a real Secret Service (gnome-keyring in
// a private D-Bus session started here) and, without one, in the site key.
#include "store/settings_store.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSite = QStringLiteral("/sites/garden/");
const QString kPassword = QStringLiteral("s3cret-пароль");

struct ChildRun {
    QString output;
    QString keyFile;
};

class TestSitePassword final : public QObject {
    Q_OBJECT

private slots:
    void keptInTheKeyringWhereOneAnswers();
    void keptInTheSiteKeyWithoutAService();

private:
    // Runs the child in environment; command wraps it (empty: run as is).
    ChildRun RunChild(const QProcessEnvironment& environment, const QString& shellWrapper);
    // Writes an old-style password into the site key first.
    void SeedOldPassword();

    QTemporaryDir m_home;
};

QString KeyFileOf(const QString& config) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    return quillery::KeyFilePath(quillery::SiteKeyPath(kSite));
}

ChildRun TestSitePassword::RunChild(const QProcessEnvironment& environment,
                                    const QString& shellWrapper) {
    const QString config = m_home.filePath(QStringLiteral("config"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QStringList childArguments = {config, kSite, kPassword};
    if (shellWrapper.isEmpty()) {
        child.start(QStringLiteral(QUILLERY_PASSWORD_CHILD), childArguments);
    } else {
        child.start(QStringLiteral("dbus-run-session"),
                    QStringList{QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                                shellWrapper, QStringLiteral(QUILLERY_PASSWORD_CHILD)} +
                        childArguments);
    }
    if (!child.waitForFinished(60000))
        qFatal("the password child did not end");
    return {QString::fromUtf8(child.readAllStandardOutput()).trimmed(), KeyFileOf(config)};
}

void TestSitePassword::SeedOldPassword() {
    KeyFileOf(m_home.filePath(QStringLiteral("config")));
    quillery::TIniView siteKey(quillery::SiteKeyPath(kSite));
    siteKey.WriteText(QStringLiteral("FTP"), QStringLiteral("Password"), kPassword);
    siteKey.Close();
}

QByteArray FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestSitePassword::keptInTheKeyringWhereOneAnswers() {
    if (QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")).isEmpty())
        QFAIL("gnome-keyring and dbus are needed (deps/debian-packages.txt)");
    QVERIFY(m_home.isValid());
    // A password from before the keyring: read, then moved on storing.
    SeedOldPassword();
    QVERIFY(FileText(KeyFileOf(m_home.filePath(QStringLiteral("config")))).contains("s3cret"));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The keyring's files go to the throwaway home, not the user's.
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
    // An unlocked login keyring, then the child.
    const QString wrapper = QStringLiteral(
        "printf quillery | gnome-keyring-daemon --unlock --components=secrets >/dev/null && "
        "exec \"$0\" \"$@\"");
    const ChildRun run = RunChild(environment, wrapper);
    QCOMPARE(run.output, QStringLiteral("keyring ") + kPassword);
    const QByteArray key = FileText(run.keyFile);
    QVERIFY2(!key.contains("s3cret"), key.constData());
}

void TestSitePassword::keptInTheSiteKeyWithoutAService() {
    QTemporaryDir noBus;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + noBus.filePath(QStringLiteral("none")));
    environment.insert(QStringLiteral("HOME"), m_home.path());
    const ChildRun run = RunChild(environment, {});
    QCOMPARE(run.output, QStringLiteral("sitekey ") + kPassword);
    QVERIFY(FileText(run.keyFile).contains(kPassword.toUtf8()));
    QCOMPARE(QFile::permissions(run.keyFile) & 0x0077, QFileDevice::Permissions());
}

} // namespace

QTEST_GUILESS_MAIN(TestSitePassword)
#include "test_site_password.moc"
