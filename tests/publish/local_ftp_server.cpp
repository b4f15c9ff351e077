#include "tests/publish/local_ftp_server.h"

#include "store/atomic_write.h"
#include "store/error.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <crypt.h>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int kPassivePortCount = 64;

bool PortIsFree(quint16 port) {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, port);
}

quint16 FreePort(const QHostAddress& address) {
    QTcpServer probe;
    if (!probe.listen(address, 0)) {
        throw quillery::Error("no free port on " + address.toString().toStdString());
    }
    return probe.serverPort();
}

bool IsIPv6(FtpServerKind kind) {
    return kind == FtpServerKind::VsftpdIPv6;
}

QHostAddress ListenAddress(FtpServerKind kind) {
    return IsIPv6(kind) ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost;
}

// The first port of a run of free ports for passive data connections.
quint16 FreePortRange(quint16 avoid) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        const auto first = quint16(QRandomGenerator::global()->bounded(20000, 60000));
        bool free = true;
        for (int i = 0; i < kPassivePortCount && free; ++i) {
            free = quint16(first + i) != avoid && PortIsFree(quint16(first + i));
        }
        if (free) {
            return first;
        }
    }
    throw quillery::Error("no free range of ports on 127.0.0.1");
}

QString FindProgram(const QString& name) {
    const QString found = QStandardPaths::findExecutable(
        name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
               QStringLiteral(QUILLERY_TEST_SERVERS)});
    if (found.isEmpty()) {
        throw quillery::Error(name.toStdString() + " is not installed (scripts/setup.sh)");
    }
    return found;
}

} // namespace

LocalFtpServer::LocalFtpServer(FtpServerKind kind, const FtpFaults& faults) : m_kind(kind) {
    Prepare();
    switch (kind) {
    case FtpServerKind::Vsftpd:
    case FtpServerKind::VsftpdIPv6:
        StartVsftpd(IsIPv6(kind), nullptr);
        break;
    case FtpServerKind::Pyftpdlib:
        StartPyftpdlib();
        break;
    case FtpServerKind::Proftpd:
        StartProftpd(faults.denyMlsd);
        break;
    case FtpServerKind::Faulty:
        StartFaulty(faults, nullptr);
        break;
    }
    WaitUntilGreeting();
}

// pyftpdlib's TLS handler runs in the faulty server's script, with no faults.
LocalFtpServer::LocalFtpServer(FtpServerKind kind, const FtpServerTls& tls)
    : m_kind(kind == FtpServerKind::Vsftpd ? kind : FtpServerKind::Faulty) {
    Prepare();
    if (m_kind == FtpServerKind::Vsftpd)
        StartVsftpd(false, &tls);
    else
        StartFaulty({}, &tls);
    if (!tls.implicit)
        WaitUntilGreeting();
    else if (!m_process.waitForStarted(5000))
        throw quillery::Error("cannot start the FTP server");
    else
        QThread::msleep(300);
}

void LocalFtpServer::Prepare() {
    if (!m_folder.isValid()) {
        throw quillery::Error("cannot create a temporary folder");
    }
    m_root = m_folder.filePath(QStringLiteral("root"));
    QDir().mkpath(m_root + QStringLiteral("/upload"));
    // The root readable by all; the upload directory writable by all, as the
    // anonymous session of a server started by root runs as user "ftp".
    QFile::setPermissions(m_folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                               QFileDevice::ExeOther);
    QFile::setPermissions(m_root, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                      QFileDevice::ExeOther);
    QFile::setPermissions(LocalDirectory(), QFileDevice::Permissions(0x7777));
    m_port = FreePort(ListenAddress(m_kind));
    m_process.setStandardOutputFile(LogPath());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // The server goes with the test, also when the test crashes.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

LocalFtpServer::~LocalFtpServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString LocalFtpServer::HostAndPort() const {
    return (IsIPv6(m_kind) ? QStringLiteral("[::1]:%1") : QStringLiteral("127.0.0.1:%1"))
        .arg(m_port);
}

bool LocalFtpServer::IsVsftpd() const {
    return m_kind == FtpServerKind::Vsftpd || m_kind == FtpServerKind::VsftpdIPv6;
}

QString LocalFtpServer::UserName() const {
    return IsVsftpd() ? QStringLiteral("ftp") : QStringLiteral("quillery");
}

QString LocalFtpServer::Password() const {
    return IsVsftpd() ? QStringLiteral("quillery@") : QStringLiteral("s3cret");
}

QString LocalFtpServer::LocalDirectory() const {
    return m_root + QStringLiteral("/upload");
}

void LocalFtpServer::StartVsftpd(bool ipv6, const FtpServerTls* tls) {
    const QString empty = m_folder.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    const quint16 passive = FreePortRange(m_port);
    QString config =
        (ipv6 ? QStringLiteral("listen=NO\nlisten_ipv6=YES\nlisten_address6=::1\n")
              : QStringLiteral("listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n")) +
        QStringLiteral(
            "listen_port=%1\n"
            "background=NO\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n"
            "anonymous_enable=YES\nlocal_enable=NO\nno_anon_password=NO\nanon_root=%2\n"
            "write_enable=YES\nanon_upload_enable=YES\nanon_mkdir_write_enable=NO\n"
            "anon_other_write_enable=YES\nanon_world_readable_only=NO\nanon_umask=022\n"
            "chown_uploads=NO\nallow_writeable_chroot=YES\nsecure_chroot_dir=%3\n"
            "pasv_enable=YES\npasv_min_port=%4\npasv_max_port=%5\nconnect_from_port_20=NO\n"
            "xferlog_enable=YES\nxferlog_std_format=NO\nlog_ftp_protocol=YES\n"
            "vsftpd_log_file=%6\nsyslog_enable=NO\ndual_log_enable=NO\ntcp_wrappers=NO\n"
            "userlist_enable=NO\nmax_clients=0\nmax_per_ip=0\n")
            .arg(m_port)
            .arg(m_root, empty)
            .arg(passive)
            .arg(passive + kPassivePortCount - 1)
            .arg(m_folder.filePath(QStringLiteral("vsftpd.log")));
    // Without root the server cannot change users or chroot; it then serves
    // every session as the user who started it.
    if (geteuid() != 0) {
        config += QStringLiteral("run_as_launching_user=YES\n");
    }
    if (tls) {
        // The anonymous session is the one these tests log in with; the
        // force_anon settings make it as strict as the local ones.
        config += QStringLiteral("ssl_enable=YES\nrsa_cert_file=%1\nrsa_private_key_file=%2\n"
                                 "require_ssl_reuse=YES\nforce_local_logins_ssl=YES\n"
                                 "force_local_data_ssl=YES\nallow_anon_ssl=YES\n"
                                 "force_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\n"
                                 "ssl_ciphers=HIGH\nimplicit_ssl=%3\n")
                      .arg(tls->certificate, tls->key,
                           tls->implicit ? QStringLiteral("YES") : QStringLiteral("NO"));
    }
    const QString configPath = m_folder.filePath(QStringLiteral("vsftpd.conf"));
    quillery::WriteFileAtomically(configPath, config.toUtf8());
    m_process.start(FindProgram(QStringLiteral("vsftpd")), {configPath});
}

// Debian's own interpreter, which has the python3-pyftpdlib package.
QString LocalFtpServer::Python() const {
    return QFile::exists(QStringLiteral("/usr/bin/python3"))
               ? QStringLiteral("/usr/bin/python3")
               : FindProgram(QStringLiteral("python3"));
}

void LocalFtpServer::StartFaulty(const FtpFaults& faults, const FtpServerTls* tls) {
    const quint16 passive = FreePortRange(m_port);
    QStringList arguments = {
        QStringLiteral(QUILLERY_FAULTY_FTP_SERVER),
        QStringLiteral("--port"),
        QString::number(m_port),
        QStringLiteral("--passive"),
        QStringLiteral("%1-%2").arg(passive).arg(passive + kPassivePortCount - 1),
        QStringLiteral("--root"),
        m_root,
        QStringLiteral("--user"),
        UserName(),
        QStringLiteral("--password"),
        Password()};
    for (const QString& name : faults.refuseStore)
        arguments << QStringLiteral("--refuse-store") << name;
    if (faults.refuseList)
        arguments << QStringLiteral("--refuse-list");
    if (faults.delayMs > 0)
        arguments << QStringLiteral("--delay-ms") << QString::number(faults.delayMs);
    if (!faults.hangOn.isEmpty())
        arguments << QStringLiteral("--hang-on") << faults.hangOn;
    if (faults.throttle > 0)
        arguments << QStringLiteral("--throttle") << QString::number(faults.throttle);
    for (const QString& line : faults.listExtra)
        arguments << QStringLiteral("--list-extra") << line;
    if (faults.refuseRename)
        arguments << QStringLiteral("--refuse-rename");
    if (faults.refuseReplace)
        arguments << QStringLiteral("--refuse-replace");
    if (tls)
        arguments << QStringLiteral("--tls-cert") << tls->certificate << QStringLiteral("--tls-key")
                  << tls->key;
    m_process.start(Python(), arguments);
}

void LocalFtpServer::StartPyftpdlib() {
    const quint16 passive = FreePortRange(m_port);
    m_process.start(Python(),
                    {QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
                     QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
                     QStringLiteral("-w"), QStringLiteral("-d"), m_root, QStringLiteral("-u"),
                     UserName(), QStringLiteral("-P"), Password(), QStringLiteral("-D"),
                     QStringLiteral("-r"),
                     QStringLiteral("%1-%2").arg(passive).arg(passive + kPassivePortCount - 1)});
}

// ProFTPD with a user of its own (the one running the test: as root that
// needs RootLogin), chrooted to the served folder, every command logged.
void LocalFtpServer::StartProftpd(bool denyMlsd) {
    const quint16 passive = FreePortRange(m_port);
    const QString salt = QStringLiteral("$6$quillery$");
    const char* hash = ::crypt(Password().toUtf8().constData(), salt.toUtf8().constData());
    if (!hash) {
        throw quillery::Error("crypt failed");
    }
    const QString passwd = m_folder.filePath(QStringLiteral("passwd"));
    const QString group = m_folder.filePath(QStringLiteral("group"));
    quillery::WriteFileAtomically(passwd, QStringLiteral("%1:%2:%3:%4::%5:/bin/sh\n")
                                              .arg(UserName(), QString::fromLatin1(hash))
                                              .arg(getuid())
                                              .arg(getgid())
                                              .arg(m_root)
                                              .toUtf8());
    quillery::WriteFileAtomically(group, QStringLiteral("quillery:x:%1:\n").arg(getgid()).toUtf8());
    QFile::setPermissions(passwd, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::setPermissions(group, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString config =
        QStringLiteral(
            "ServerType standalone\nDefaultServer on\nServerName \"quillery test\"\n"
            "Port %1\nDefaultAddress 127.0.0.1\nSocketBindTight on\nUseIPv6 off\n"
            "PassivePorts %2 %3\nPidFile %4/proftpd.pid\nScoreboardFile %4/proftpd.score\n"
            "DelayTable none\nWtmpLog off\nUseReverseDNS off\n"
            "User %5\nGroup %6\nRootLogin on\nRequireValidShell off\n"
            "AuthOrder mod_auth_file.c\nAuthUserFile %7\nAuthGroupFile %8\n"
            "DefaultRoot ~\nAllowOverwrite on\nUmask 022\nMaxInstances 30\n"
            "SystemLog %4/proftpd.log\nTransferLog none\n"
            "LogFormat commands \"%r\"\nExtendedLog %4/commands.log ALL commands\n")
            .arg(m_port)
            .arg(passive)
            .arg(passive + kPassivePortCount - 1)
            .arg(m_folder.path(), QString::fromLocal8Bit(getpwuid(getuid())->pw_name),
                 QString::fromLocal8Bit(getgrgid(getgid())->gr_name), passwd, group);
    const QString configPath = m_folder.filePath(QStringLiteral("proftpd.conf"));
    quillery::WriteFileAtomically(
        configPath,
        (config + (denyMlsd ? QStringLiteral("<Limit MLSD>\nDenyAll\n</Limit>\n") : QString()))
            .toUtf8());
    m_process.start(FindProgram(QStringLiteral("proftpd")),
                    {QStringLiteral("--nodaemon"), QStringLiteral("--config"), configPath});
}

void LocalFtpServer::WaitUntilGreeting() {
    if (!m_process.waitForStarted(5000)) {
        throw quillery::Error("cannot start the FTP server: " +
                              m_process.errorString().toStdString());
    }
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (m_process.state() == QProcess::NotRunning) {
            break;
        }
        QTcpSocket probe;
        probe.connectToHost(ListenAddress(m_kind), m_port);
        if (probe.waitForConnected(200) && probe.waitForReadyRead(2000) &&
            probe.readLine().startsWith("220")) {
            probe.disconnectFromHost();
            return;
        }
        QThread::msleep(50);
    }
    throw quillery::Error("the FTP server did not come up: " + Log().toStdString());
}

QString LocalFtpServer::LogPath() const {
    return m_folder.filePath(QStringLiteral("server.log"));
}

QStringList LocalFtpServer::ReceivedCommands() const {
    // vsftpd: FTP command: Client "127.0.0.1", "STOR index"
    // pyftpdlib: ... <- STOR index
    static const QRegularExpression vsftpd(
        QStringLiteral("FTP command: Client \"[^\"]*\", \"(.*)\"$"));
    static const QRegularExpression pyftpdlib(QStringLiteral("<- (.*)$"));
    static const QRegularExpression proftpd(QStringLiteral("^(.*)$"));
    const bool isVsftpd = IsVsftpd();
    const QString path = isVsftpd ? m_folder.filePath(QStringLiteral("vsftpd.log"))
                         : m_kind == FtpServerKind::Proftpd
                             ? m_folder.filePath(QStringLiteral("commands.log"))
                             : LogPath();
    const QRegularExpression& pattern = isVsftpd                           ? vsftpd
                                        : m_kind == FtpServerKind::Proftpd ? proftpd
                                                                           : pyftpdlib;
    QFile log(path);
    QStringList commands;
    if (!log.open(QIODevice::ReadOnly))
        return commands;
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(line).trimmed());
        if (match.hasMatch() && !match.captured(1).isEmpty())
            commands << match.captured(1);
    }
    return commands;
}

QString LocalFtpServer::Log() const {
    QFile log(LogPath());
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(2000)) : QString();
}
