// The FTP client against real servers (vsftpd and pyftpdlib) started by the
// test on 127.0.0.1: what it uploads arrives byte for byte.
#include "publish/ftp_client.h"
#include "publish/ftp_error.h"
#include "publish/ftp_host.h"
#include "publish/ftp_remote_folder.h"
#include "publish/site_trust.h"
#include "store/atomic_write.h"
#include "tests/publish/local_ftp_server.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <map>

using quillery::FtpClient;
Q_DECLARE_METATYPE(FtpServerKind)

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

void ConnectTo(FtpClient& client, const LocalFtpServer& server) {
    client.SetHost(quillery::ParseFtpHost(server.HostAndPort().toStdString()).host);
    client.SetPort(server.Port());
    client.SetUsername(server.UserName().toStdString());
    client.SetPassword(server.Password().toStdString());
    client.SetPassive(true);
    client.SetReadTimeout(std::chrono::milliseconds(10000));
    client.SetTransferTimeout(std::chrono::milliseconds(10000));
    client.Connect();
}

} // namespace

class TestFtpClientServers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void storeListDelete_data();
    void storeListDelete();
    void refusals_data();
    void refusals();
    void wrongPassword();
    void remoteFolder_data();
    void remoteFolder();

private:
    // Bodies of the tests; errors of the client and the servers throw.
    void StoreListDelete(FtpServerKind kind, bool globs);
    void Refusals(FtpServerKind kind);
    void WrongPassword();
    void RemoteFolder(FtpServerKind kind, bool machineListing);

    QTemporaryDir m_files;
    std::map<std::string, QByteArray> m_contents;
};

void TestFtpClientServers::initTestCase() {
    QVERIFY(m_files.isValid());
    // Site keys (the remote folder's trust decisions) go to a throwaway place.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       m_files.filePath(QStringLiteral("settings")));
    QByteArray large(5 * 1024 * 1024 + 7, Qt::Uninitialized);
    QRandomGenerator generator(20240607);
    generator.fillRange(reinterpret_cast<quint32*>(large.data()), large.size() / 4);
    m_contents = {
        {"empty.bin", QByteArray()},
        {"one.bin", QByteArray("\n")},
        {"large.bin", large},
        // The same page in UTF-8 and in Windows-1251, with CR LF and bare LF
        // line ends that a text-mode transfer would change.
        {"utf8.htm",
         QStringLiteral("<p>Съешь же ещё этих мягких французских булок</p>\r\n\n").toUtf8()},
        {"cp1251.htm", QByteArray("<p>\xd1\xfa\xe5\xf8\xfc \xe6\xe5 \xb8\xf9\xb8</p>\r\n\n")},
        {"страница.htm", QByteArray("<html>\x00\xff</html>", 15)},
    };
    for (const auto& [name, content] : m_contents) {
        quillery::WriteFileAtomically(m_files.filePath(QString::fromStdString(name)), content);
    }
}

void TestFtpClientServers::storeListDelete_data() {
    QTest::addColumn<FtpServerKind>("kind");
    // pyftpdlib takes the argument of NLST for a path, not a pattern.
    QTest::addColumn<bool>("globs");
    QTest::addRow("vsftpd") << FtpServerKind::Vsftpd << true;
    QTest::addRow("vsftpd on ::1") << FtpServerKind::VsftpdIPv6 << true;
    QTest::addRow("pyftpdlib") << FtpServerKind::Pyftpdlib << false;
    QTest::addRow("proftpd") << FtpServerKind::Proftpd << true;
}

void TestFtpClientServers::storeListDelete() {
    QFETCH(FtpServerKind, kind);
    QFETCH(bool, globs);
    try {
        StoreListDelete(kind, globs);
    } catch (const quillery::Error& error) {
        QFAIL(error.what());
    }
}

void TestFtpClientServers::StoreListDelete(FtpServerKind kind, bool globs) {
    const LocalFtpServer server(kind);

    FtpClient client;
    ConnectTo(client, server);
    QCOMPARE(client.Greeting().code, 220);
    QCOMPARE(client.CurrentTransferType(), quillery::FtpTransferType::ftBinary);
    client.ChangeDirectory(server.RemoteDirectory().toStdString());

    std::vector<std::string> names;
    for (const auto& [name, content] : m_contents) {
        client.StoreFile(m_files.filePath(QString::fromStdString(name)).toStdString(), name);
        names.push_back(name);
    }
    for (const auto& [name, content] : m_contents) {
        QCOMPARE(ReadAll(server.LocalDirectory() + QLatin1Char('/') + QString::fromStdString(name)),
                 content);
    }
    if (globs) {
        client.ListNames("*");
    } else {
        QVERIFY_THROWS_EXCEPTION(quillery::FtpError, client.ListNames("*"));
        QVERIFY(client.NameList().empty());
        QCOMPARE(client.CurrentTransferType(), quillery::FtpTransferType::ftBinary);
        client.ListNames("");
    }
    QCOMPARE(Sorted(client.NameList()), Sorted(names));
    QCOMPARE(client.CurrentTransferType(), quillery::FtpTransferType::ftBinary);

    // An upload over an existing file replaces it, also with a shorter one.
    client.StoreFile(m_files.filePath(QStringLiteral("one.bin")).toStdString(), "large.bin");
    QCOMPARE(ReadAll(server.LocalDirectory() + QStringLiteral("/large.bin")), QByteArray("\n"));

    for (const std::string& name : names) {
        client.DeleteRemoteFile(name);
    }
    QVERIFY(QDir(server.LocalDirectory()).isEmpty());
    client.Disconnect();
    QVERIFY(!client.Connected());
    QCOMPARE(client.LastReply().code, 221);
}

void TestFtpClientServers::refusals_data() {
    QTest::addColumn<FtpServerKind>("kind");
    QTest::addRow("vsftpd") << FtpServerKind::Vsftpd;
    QTest::addRow("pyftpdlib") << FtpServerKind::Pyftpdlib;
}

void TestFtpClientServers::refusals() {
    QFETCH(FtpServerKind, kind);
    try {
        Refusals(kind);
    } catch (const quillery::Error& error) {
        QFAIL(error.what());
    }
}

void TestFtpClientServers::Refusals(FtpServerKind kind) {
    const LocalFtpServer server(kind);
    FtpClient client;
    ConnectTo(client, server);

    const auto codeOf = [](const std::function<void()>& operation) {
        try {
            operation();
        } catch (const quillery::FtpError& error) {
            return error.Code();
        }
        return 0;
    };
    QCOMPARE(codeOf([&] { client.ChangeDirectory("no-such-directory"); }), 550);
    client.ChangeDirectory(server.RemoteDirectory().toStdString());
    QCOMPARE(codeOf([&] { client.DeleteRemoteFile("no-such-file.htm"); }), 550);
    // A local file that cannot be opened fails before anything is sent.
    QVERIFY_THROWS_EXCEPTION(
        quillery::Error,
        client.StoreFile(m_files.filePath(QStringLiteral("absent")).toStdString(), "absent.htm"));
    client.StoreFile(m_files.filePath(QStringLiteral("one.bin")).toStdString(), "one.bin");
    QCOMPARE(ReadAll(server.LocalDirectory() + QStringLiteral("/one.bin")), QByteArray("\n"));
    client.Disconnect();
}

void TestFtpClientServers::wrongPassword() {
    try {
        WrongPassword();
    } catch (const quillery::Error& error) {
        QFAIL(error.what());
    }
}

void TestFtpClientServers::WrongPassword() {
    // vsftpd serves anonymous sessions and takes any password.
    const LocalFtpServer server(FtpServerKind::Pyftpdlib);
    FtpClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.SetUsername(server.UserName().toStdString());
    client.SetPassword("wrong");
    client.SetPassive(true);
    try {
        client.Connect();
        QFAIL("logged in with a wrong password");
    } catch (const quillery::FtpError& error) {
        QCOMPARE(error.Code(), 530);
    }
    QVERIFY(!client.Connected());
}

// What publishing asks of a server: listings with types where it offers
// MLSD, an empty directory as an empty listing, renames over a file.
void TestFtpClientServers::remoteFolder_data() {
    QTest::addColumn<FtpServerKind>("kind");
    QTest::addColumn<bool>("machineListing");
    QTest::addRow("vsftpd") << FtpServerKind::Vsftpd << false;
    QTest::addRow("vsftpd on ::1") << FtpServerKind::VsftpdIPv6 << false;
    QTest::addRow("pyftpdlib") << FtpServerKind::Pyftpdlib << true;
    QTest::addRow("proftpd") << FtpServerKind::Proftpd << true;
}

void TestFtpClientServers::remoteFolder() {
    QFETCH(FtpServerKind, kind);
    QFETCH(bool, machineListing);
    try {
        RemoteFolder(kind, machineListing);
    } catch (const quillery::Error& error) {
        QFAIL(error.what());
    }
}

void TestFtpClientServers::RemoteFolder(FtpServerKind kind, bool machineListing) {
    using Type = quillery::TRemoteEntry::Type;
    const LocalFtpServer server(kind);
    FtpClient client;
    client.SetPassive(true);
    client.SetReadTimeout(std::chrono::milliseconds(10000));
    quillery::TFtpRemoteFolder folder(client);
    // A plain server: the clear-text question, once; Да is kept for the site.
    QTemporaryDir site;
    QStringList questions;
    const quillery::TSiteQuestions decisions{site.path(), [&questions](const QString& text) {
                                                 questions << text;
                                                 return true;
                                             }};
    const quillery::TFtpAccount account{
        server.HostAndPort(), server.UserName(), server.Password(), {}};
    folder.Connect(account, decisions);
    QCOMPARE(questions, QStringList{quillery::ClearTextQuestion()});
    QVERIFY(!folder.Protection().contains(QStringLiteral("TLS")));
    QCOMPARE(client.OffersMachineListing(), machineListing);
    folder.Open(server.RemoteDirectory().toStdString());
    QCOMPARE(folder.List(), std::vector<quillery::TRemoteEntry>());

    const QString remote = server.LocalDirectory() + u'/';
    QVERIFY(QDir(remote).mkdir(QStringLiteral("cgi-bin")));
    QFile one(m_files.filePath(QStringLiteral("one.bin")));
    QVERIFY(one.open(QIODevice::ReadOnly));
    folder.Store(one.handle(), ".htaccess");
    folder.Store(one.handle(), "old.htm");
    QFile large(m_files.filePath(QStringLiteral("large.bin")));
    QVERIFY(large.open(QIODevice::ReadOnly));
    folder.Store(large.handle(), "_new.htm");
    folder.Rename("_new.htm", "old.htm");
    QCOMPARE(ReadAll(remote + QStringLiteral("old.htm")), m_contents.at("large.bin"));
    QVERIFY(!QFile::exists(remote + QStringLiteral("_new.htm")));

    std::vector<quillery::TRemoteEntry> entries = folder.List();
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    // Only MLSD names dot-files and tells folders from files.
    const std::vector<quillery::TRemoteEntry> expected =
        machineListing ? std::vector<quillery::TRemoteEntry>{{".htaccess", Type::File},
                                                             {"cgi-bin", Type::Folder},
                                                             {"old.htm", Type::File}}
                       : std::vector<quillery::TRemoteEntry>{{"cgi-bin", Type::Unknown},
                                                             {"old.htm", Type::Unknown}};
    QCOMPARE(entries, expected);
    QVERIFY(folder.IsFolder("cgi-bin"));
    QVERIFY(!folder.IsFolder("old.htm"));
    folder.Delete("old.htm");
    QVERIFY(!QFile::exists(remote + QStringLiteral("old.htm")));
    folder.Disconnect();
    QVERIFY(!folder.Connected());
    folder.Connect(account, decisions);
    QCOMPARE(questions.size(), 1);
    folder.Disconnect();
    const QStringList commands = server.ReceivedCommands();
    QCOMPARE(commands.contains(QStringLiteral("EPSV")), kind == FtpServerKind::VsftpdIPv6);
    QCOMPARE(commands.contains(QStringLiteral("PASV")), kind != FtpServerKind::VsftpdIPv6);
}

QTEST_GUILESS_MAIN(TestFtpClientServers)
#include "tst_ftp_client_servers.moc"
