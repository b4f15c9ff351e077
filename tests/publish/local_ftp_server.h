#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real FTP server (vsftpd, pyftpdlib or ProFTPD) started for a test on
// 127.0.0.1 at free ports, with a configuration of its own in a throwaway
// folder that it serves with a writable directory, and stopped when this
// object goes away. Works as root and as a normal user. VsftpdIPv6 listens
// on ::1 only. Faulty is pyftpdlib misbehaving as FtpFaults asks
// (faulty_ftp_server.py).
enum class FtpServerKind { Vsftpd, VsftpdIPv6, Pyftpdlib, Proftpd, Faulty };

struct FtpFaults {
    QStringList refuseStore;    // STOR of these names answered 553
    bool refuseList = false;    // every NLST and MLSD answered 451
    bool refuseRename = false;  // every RNFR answered 502
    bool refuseReplace = false; // RNTO over an existing file answered 553
    bool denyMlsd = false;      // ProFTPD: MLSD refused though FEAT offers it
    int delayMs = 0;            // each command answered this much later
    QString hangOn;             // this command, and all after it, never answered
    int throttle = 0;           // uploads taken at most this many bytes a second
    QStringList listExtra;      // lines added to every name listing
};

// TLS required on control and data connections, with this certificate.
// Explicit (AUTH TLS) unless implicit is set (vsftpd only).
struct FtpServerTls {
    QString certificate;
    QString key;
    bool implicit = false;
};

class LocalFtpServer final {
public:
    // Starts the server and waits until it greets; throws quillery::Error
    // with the server's own output when it does not come up.
    explicit LocalFtpServer(FtpServerKind kind, const FtpFaults& faults = {});
    // vsftpd or pyftpdlib with TLS required.
    LocalFtpServer(FtpServerKind kind, const FtpServerTls& tls);
    ~LocalFtpServer();
    LocalFtpServer(const LocalFtpServer&) = delete;
    LocalFtpServer& operator=(const LocalFtpServer&) = delete;

    quint16 Port() const { return m_port; }
    // What a user types as the host: "127.0.0.1:port" or "[::1]:port".
    QString HostAndPort() const;
    QString UserName() const;
    QString Password() const;
    // The writable directory as the client names it after logging in.
    QString RemoteDirectory() const { return QStringLiteral("upload"); }
    // The same directory on the local disk.
    QString LocalDirectory() const;
    // Every command the server received so far, in order ("STOR index").
    QStringList ReceivedCommands() const;

private:
    void Prepare();
    void StartVsftpd(bool ipv6, const FtpServerTls* tls);
    void StartPyftpdlib();
    void StartProftpd(bool denyMlsd);
    void StartFaulty(const FtpFaults& faults, const FtpServerTls* tls);
    QString Python() const;
    bool IsVsftpd() const;
    void WaitUntilGreeting();
    QString Log() const;
    QString LogPath() const;

    FtpServerKind m_kind;
    QTemporaryDir m_folder;
    QString m_root;
    quint16 m_port = 0;
    QProcess m_process;
};
