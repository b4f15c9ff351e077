#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real FTP server (vsftpd or pyftpdlib) started for a test on 127.0.0.1
// at free ports, serving a throwaway folder with a writable directory, and
// stopped when this object goes away. Works as root and as a normal user.
enum class FtpServerKind { Vsftpd, Pyftpdlib };

class LocalFtpServer final {
public:
    // Starts the server and waits until it greets; throws quillery::Error
    // with the server's own output when it does not come up.
    explicit LocalFtpServer(FtpServerKind kind);
    ~LocalFtpServer();
    LocalFtpServer(const LocalFtpServer&) = delete;
    LocalFtpServer& operator=(const LocalFtpServer&) = delete;

    quint16 Port() const { return m_port; }
    QString UserName() const;
    QString Password() const;
    // The writable directory as the client names it after logging in.
    QString RemoteDirectory() const { return QStringLiteral("upload"); }
    // The same directory on the local disk.
    QString LocalDirectory() const;

private:
    void StartVsftpd();
    void StartPyftpdlib();
    void WaitUntilGreeting();
    QString Log() const;

    FtpServerKind m_kind;
    QTemporaryDir m_folder;
    QString m_root;
    quint16 m_port = 0;
    QProcess m_process;
};
