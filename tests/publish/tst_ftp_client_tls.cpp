// The FTP client over TLS: hostile and unusual servers scripted, then vsftpd
// and pyftpdlib requiring TLS on every connection, with a self-signed
// certificate made by the test.
#include "publish/ftp_client.h"
#include "publish/ftp_error.h"
#include "publish/site_trust.h"
#include "publish/tls_error.h"
#include "store/atomic_write.h"
#include "tests/publish/local_ftp_server.h"
#include "tests/publish/scripted_ftp_server.h"
#include "tests/publish/test_certificate.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

using quillery::FtpClient;
using quillery::FtpSecurity;

using ClientRun = std::function<void(FtpClient&)>;
using ClientCheck = std::function<void(const FtpClient&, const ScriptedFtpServer&)>;
Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(ClientRun)
Q_DECLARE_METATYPE(ClientCheck)
Q_DECLARE_METATYPE(FtpServerKind)

namespace {

ServerStep Step(ServerStep::Kind kind, int count = 0) {
    return {kind, {}, count};
}

Script UpToTls() {
    return {Reply("220 Ready"), Expect("AUTH TLS"), Reply("234 Go ahead"),
            Step(ServerStep::Kind::StartTls)};
}

Script LoginSteps() {
    return {Expect("USER bob"),    Reply("331 Password required"),
            Expect("PASS secret"), Reply("230 Logged in"),
            Expect("FEAT"),        Reply("500 No"),
            Expect("TYPE I"),      Reply("200 Binary"),
            Expect("SYST"),        Reply("215 UNIX Type: L8")};
}

Script TlsLogin() {
    return UpToTls() +
           Script{Expect("PBSZ 0"), Reply("200 PBSZ=0"), Expect("PROT P"),
                  Reply("200 Protection set to Private")} +
           LoginSteps();
}

Script Quit() {
    return {Expect("QUIT"), Reply("221 Bye")};
}

Script Passive() {
    return {Expect("PASV"),
            {ServerStep::Kind::Passive, "227 Entering Passive Mode (127,0,0,1,{p})"}};
}

bool Received(const ScriptedFtpServer& server, const std::string& verb) {
    for (const std::string& line : server.ReceivedCommands()) {
        if (line.starts_with(verb)) {
            return true;
        }
    }
    return false;
}

void NoUserSent(const FtpClient& client, const ScriptedFtpServer& server) {
    QVERIFY(!Received(server, "USER"));
    QVERIFY(!client.Connected());
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestFtpClientTls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void scripted_data();
    void scripted();
    void realServers_data();
    void realServers();
    void untrustedCertificateDescribed();
    void authorityAndHostName_data();
    void authorityAndHostName();

private:
    std::unique_ptr<TestCertificate> m_certificate;
    QTemporaryDir m_folder;
    std::string m_smallPath;
    QByteArray m_small;
};

void TestFtpClientTls::initTestCase() {
    m_certificate = std::make_unique<TestCertificate>();
    QVERIFY(m_folder.isValid());
    m_small = QByteArray("<html>\r\n\x00\xff body\n</html>", 24);
    m_smallPath = m_folder.filePath(QStringLiteral("small.htm")).toStdString();
    quillery::WriteFileAtomically(QString::fromStdString(m_smallPath), m_small);
}

void TestFtpClientTls::scripted_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<ClientRun>("run");
    // Part of the error text; empty when every operation succeeds.
    QTest::addColumn<QString>("failure");
    QTest::addColumn<ClientCheck>("check");

    const ClientRun connect = [](FtpClient& c) {
        c.Connect();
    };
    const ClientRun connectUnpinned = [](FtpClient& c) {
        c.SetPinnedCertificate({});
        c.Connect();
    };
    const std::string small = m_smallPath;
    const std::string smallContent = m_small.toStdString();

    QTest::addRow("pinned certificate: login over TLS")
        << TlsLogin() + Quit() << connect << "" << ClientCheck([](const FtpClient& c, auto&) {
               QVERIFY(c.TlsProtocol() == "TLSv1.3" || c.TlsProtocol() == "TLSv1.2");
               QVERIFY(c.CertificatePinned());
           });
    QTest::addRow("self-signed certificate, nothing pinned")
        << UpToTls() << connectUnpinned << "self-signed" << ClientCheck(NoUserSent);
    QTest::addRow("another certificate pinned") << UpToTls() << ClientRun([](FtpClient& c) {
        c.SetPinnedCertificate(std::string(95, 'A'));
        c.Connect();
    }) << "not the certificate pinned" << ClientCheck(NoUserSent);
    QTest::addRow("234 then garbage")
        << Script{Reply("220 Ready"), Expect("AUTH TLS"), Reply("234 Go ahead"),
                  SendRaw("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html>")}
        << connect << "TLS handshake failed" << ClientCheck(NoUserSent);
    QTest::addRow("handshake stalls")
        << Script{Reply("220 Ready"), Expect("AUTH TLS"), Reply("234 Go ahead"),
                  Step(ServerStep::Kind::Pause, 3000)}
        << ClientRun([](FtpClient& c) {
               c.SetConnectTimeout(std::chrono::milliseconds(300));
               c.Connect();
           })
        << "TLS handshake timeout" << ClientCheck(NoUserSent);
    QTest::addRow("clear text after 234")
        << Script{Reply("220 Ready"), Expect("AUTH TLS"), SendRaw("234 Go ahead\r\n230 In\r\n")}
        << connect << "sent more after accepting" << ClientCheck(NoUserSent);
    QTest::addRow("AUTH TLS refused")
        << Script{Reply("220 Ready"), Expect("AUTH TLS"), Reply("502 Not implemented")} << connect
        << "does not offer TLS" << ClientCheck(NoUserSent);
    QTest::addRow("AUTH TLS answered 530, as vsftpd without TLS does")
        << Script{Reply("220 Ready"), Expect("AUTH TLS"),
                  Reply("530 Please login with USER and PASS.")}
        << connect << "does not offer TLS" << ClientCheck(NoUserSent);
    QTest::addRow("AUTH TLS refused, clear text allowed")
        << Script{Reply("220 Ready"), Expect("AUTH TLS"), Reply("534 Not here")} + LoginSteps() +
               Quit()
        << ClientRun([](FtpClient& c) {
               c.SetClearTextAllowed(true);
               c.Connect();
           })
        << "" << ClientCheck([](const FtpClient& c, auto&) { QVERIFY(c.TlsProtocol().empty()); });
    QTest::addRow("PROT P refused")
        << UpToTls() + Script{Expect("PBSZ 0"), Reply("200 Ok"), Expect("PROT P"),
                              Reply("536 Data protection not supported")}
        << connect << "refuses to protect data connections" << ClientCheck(NoUserSent);
    // An upload of small.htm whose data connection ends with dataEnd.
    const auto tlsUpload = [](ServerStep::Kind dataEnd) {
        return TlsLogin() + Passive() +
               Script{Expect("STOR small.htm"),
                      Step(ServerStep::Kind::AcceptData),
                      Reply("150 Ok"),
                      Step(ServerStep::Kind::StartDataTls),
                      Step(ServerStep::Kind::ReceiveData),
                      Step(dataEnd),
                      Reply("226 Done")} +
               Quit();
    };
    const ClientRun storeSmall = [small](FtpClient& c) {
        c.Connect();
        c.StoreFile(small, "small.htm");
    };
    QTest::addRow("upload over TLS resuming the session")
        << tlsUpload(ServerStep::Kind::CloseData) << storeSmall << ""
        << ClientCheck([smallContent](const FtpClient&, const ScriptedFtpServer& s) {
               QCOMPARE(s.ReceivedData(), smallContent);
               QVERIFY(s.DataSessionsResumed());
           });
    QTest::addRow("upload: data closed without close_notify")
        << tlsUpload(ServerStep::Kind::DropData) << storeSmall << ""
        << ClientCheck([smallContent](const FtpClient& c, const ScriptedFtpServer& s) {
               QCOMPARE(c.LastReply().code, 226);
               QCOMPARE(s.ReceivedData(), smallContent);
           });
    QTest::addRow("listing: data closed without close_notify")
        << TlsLogin() + Script{Expect("TYPE A"), Reply("200 Ok")} + Passive() +
               Script{Expect("NLST *"),
                      Step(ServerStep::Kind::AcceptData),
                      Reply("150 Here it comes"),
                      Step(ServerStep::Kind::StartDataTls),
                      {ServerStep::Kind::SendData, "a.htm\r\nb.htm\r\n"},
                      Step(ServerStep::Kind::DropData),
                      Reply("226 Done"),
                      Expect("TYPE I"),
                      Reply("200 Ok")} +
               Quit()
        << ClientRun([](FtpClient& c) {
               c.Connect();
               c.ListNames("*");
           })
        << "" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer& s) {
               QCOMPARE(c.NameList(), (std::vector<std::string>{"a.htm", "b.htm"}));
               QVERIFY(s.DataSessionsResumed());
           });
}

void TestFtpClientTls::scripted() {
    QFETCH(Script, script);
    QFETCH(ClientRun, run);
    QFETCH(QString, failure);
    QFETCH(ClientCheck, check);

    ScriptedFtpServer server(script, m_certificate->CertificatePath().toStdString(),
                             m_certificate->KeyPath().toStdString());
    FtpClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.SetUsername("bob");
    client.SetPassword("secret");
    client.SetPassive(true);
    client.SetSecurity(FtpSecurity::ExplicitTls);
    client.SetPinnedCertificate(m_certificate->Fingerprint());
    client.SetReadTimeout(std::chrono::milliseconds(3000));
    client.SetTransferTimeout(std::chrono::milliseconds(3000));
    client.SetConnectTimeout(std::chrono::milliseconds(2000));
    QString error;
    try {
        run(client);
    } catch (const quillery::Error& e) {
        error = QString::fromUtf8(e.what());
    }
    check(client, server);
    client.Disconnect();
    server.Finish();
    if (failure.isEmpty())
        QVERIFY2(error.isEmpty(), qPrintable(error));
    else
        QVERIFY2(error.contains(failure), qPrintable(error));
}

void TestFtpClientTls::realServers_data() {
    QTest::addColumn<FtpServerKind>("kind");
    QTest::addColumn<bool>("implicit");
    QTest::addRow("vsftpd, explicit") << FtpServerKind::Vsftpd << false;
    QTest::addRow("vsftpd, implicit") << FtpServerKind::Vsftpd << true;
    QTest::addRow("pyftpdlib, explicit") << FtpServerKind::Pyftpdlib << false;
}

// Several uploads and a listing, each data connection resuming the control
// connection's session (vsftpd refuses any that does not).
void TestFtpClientTls::realServers() {
    QFETCH(FtpServerKind, kind);
    QFETCH(bool, implicit);
    LocalFtpServer server(
        kind, FtpServerTls{m_certificate->CertificatePath(), m_certificate->KeyPath(), implicit});
    QByteArray large(3 * 1024 * 1024 + 5, Qt::Uninitialized);
    QRandomGenerator(21).fillRange(reinterpret_cast<quint32*>(large.data()), large.size() / 4);
    const QString largePath = m_folder.filePath(QStringLiteral("large.bin"));
    quillery::WriteFileAtomically(largePath, large);

    FtpClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.SetUsername(server.UserName().toStdString());
    client.SetPassword(server.Password().toStdString());
    client.SetPassive(true);
    client.SetSecurity(implicit ? FtpSecurity::ImplicitTls : FtpSecurity::ExplicitTls);
    client.SetPinnedCertificate(m_certificate->Fingerprint());
    client.SetReadTimeout(std::chrono::milliseconds(10000));
    client.SetTransferTimeout(std::chrono::milliseconds(10000));
    try {
        client.Connect();
        client.ChangeDirectory(server.RemoteDirectory().toStdString());
        client.StoreFile(m_smallPath, "small.htm");
        client.StoreFile(largePath.toStdString(), "large.bin");
        client.StoreFile(m_smallPath, "again.htm");
        try {
            client.ListNames("*");
        } catch (const quillery::FtpError&) {
            // pyftpdlib takes no pattern; the run falls back the same way.
            client.ListNames("");
        }
        client.Disconnect();
    } catch (const quillery::Error& e) {
        QFAIL(e.what());
    }
    QVERIFY(client.CertificatePinned());
    QVERIFY(!client.TlsProtocol().empty());
    std::vector<std::string> names = client.NameList();
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (std::vector<std::string>{"again.htm", "large.bin", "small.htm"}));
    QCOMPARE(ReadAll(server.LocalDirectory() + QStringLiteral("/small.htm")), m_small);
    QCOMPARE(ReadAll(server.LocalDirectory() + QStringLiteral("/large.bin")), large);
    QCOMPARE(ReadAll(server.LocalDirectory() + QStringLiteral("/again.htm")), m_small);
}

// What the user is shown: the certificate as openssl itself describes it,
// and no credential has been sent.
void TestFtpClientTls::untrustedCertificateDescribed() {
    LocalFtpServer server(FtpServerKind::Vsftpd,
                          FtpServerTls{m_certificate->CertificatePath(), m_certificate->KeyPath()});
    FtpClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.SetUsername(server.UserName().toStdString());
    client.SetPassword(server.Password().toStdString());
    client.SetSecurity(FtpSecurity::ExplicitTls);
    try {
        client.Connect();
        QFAIL("a self-signed certificate was accepted");
    } catch (const quillery::UntrustedCertificateError& e) {
        QCOMPARE(e.Certificate().fingerprint, m_certificate->Fingerprint());
        QCOMPARE(e.Certificate().subject, std::string("CN=Quillery test server"));
        QCOMPARE(e.Certificate().issuer, e.Certificate().subject);
        QVERIFY(e.Certificate().notAfter > e.Certificate().notBefore);
        QVERIFY(e.Pinned().empty());
    }
    QVERIFY(!client.Connected());
    const QStringList commands = server.ReceivedCommands();
    QVERIFY2(commands.filter(QStringLiteral("USER")).isEmpty(), qPrintable(commands.join(u',')));
    QVERIFY2(commands.contains(QStringLiteral("AUTH TLS")), qPrintable(commands.join(u',')));
}

void TestFtpClientTls::authorityAndHostName_data() {
    QTest::addColumn<QString>("altName");
    QTest::addColumn<QString>("question"); // empty: accepted as verified
    QTest::addRow("names the address") << "IP:127.0.0.1"
                                       << "";
    QTest::addRow("names another host") << "DNS:ftp.hosting.example"
                                        << "другое имя сервера";
}

// A certificate from an authority the system trusts (the test's own, given
// through SSL_CERT_FILE) is accepted without asking, but only for the host
// it names.
void TestFtpClientTls::authorityAndHostName() {
    QFETCH(QString, altName);
    QFETCH(QString, question);
    const TestCertificate authority(QStringLiteral("Quillery test authority"));
    const TestCertificate certificate(QStringLiteral("server"), altName, authority);
    qputenv("SSL_CERT_FILE", authority.CertificatePath().toLocal8Bit());
    ScriptedFtpServer server(TlsLogin() + Quit(), certificate.CertificatePath().toStdString(),
                             certificate.KeyPath().toStdString());
    FtpClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.SetUsername("bob");
    client.SetPassword("secret");
    client.SetSecurity(FtpSecurity::ExplicitTls);
    client.SetReadTimeout(std::chrono::milliseconds(3000));
    QString asked;
    try {
        client.Connect();
    } catch (const quillery::UntrustedCertificateError& e) {
        asked = quillery::CertificateQuestion(e);
    }
    qunsetenv("SSL_CERT_FILE");
    const bool loggedIn = client.Connected();
    client.Disconnect();
    server.Finish();
    if (question.isEmpty()) {
        QVERIFY2(loggedIn, qPrintable(asked));
        QVERIFY(!client.CertificatePinned());
    } else {
        QVERIFY(!loggedIn);
        QVERIFY2(asked.contains(question), qPrintable(asked));
        QVERIFY(!Received(server, "USER"));
    }
}

QTEST_GUILESS_MAIN(TestFtpClientTls)
#include "tst_ftp_client_tls.moc"
