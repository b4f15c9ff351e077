// The FTP client against a scripted server: one conversation per case, for
// replies and failures that real servers do not produce on demand.
#include "publish/ftp_client.h"
#include "publish/ftp_error.h"
#include "store/atomic_write.h"
#include "tests/publish/scripted_ftp_server.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

using quillery::FtpClient;

using ClientRun = std::function<void(FtpClient&)>;
using ClientCheck = std::function<void(const FtpClient&, const ScriptedFtpServer&)>;
Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(ClientRun)
Q_DECLARE_METATYPE(ClientCheck)

namespace {

std::string SmallFile() {
    return std::string("<html>\r\n\x00\xff body\n</html>", 24);
}

// Large enough that the socket buffers cannot take all of it, so a server
// that stops reading is noticed while sending.
constexpr std::size_t kLargeFileSize = 24 * 1024 * 1024;

ServerStep Step(ServerStep::Kind kind, int count = 0) {
    return {kind, {}, count};
}

// What follows a successful login: FEAT (refused), TYPE and SYST.
Script AfterLogin() {
    return {Expect("FEAT"),   Reply("500 FEAT not understood"),
            Expect("TYPE I"), Reply("200 Type set to I"),
            Expect("SYST"),   Reply("215 UNIX Type: L8")};
}

Script LoginSteps() {
    return Script{Expect("USER bob"), Reply("331 Password required"), Expect("PASS secret"),
                  Reply("230 Logged in")} +
           AfterLogin();
}

Script Login() {
    return Script{Reply("220 Scripted server ready")} + LoginSteps();
}

Script Quit() {
    return {Expect("QUIT"), Reply("221 Goodbye")};
}

Script Passive(const std::string& reply = "227 Entering Passive Mode (127,0,0,1,{p})") {
    return {Expect("PASV"), {ServerStep::Kind::Passive, reply}};
}

// STOR of name over a passive connection; the server answers preliminary
// and then runs the steps that end the transfer.
Script Store(const std::string& name, const std::string& preliminary, const Script& ending) {
    return Passive() +
           Script{Expect("STOR " + name), Step(ServerStep::Kind::AcceptData), Reply(preliminary)} +
           ending;
}

Script StoreOk(const std::string& name) {
    return Store(name, "150 Ok to send data",
                 {Step(ServerStep::Kind::ReceiveData), Reply("226 Transfer complete")});
}

Script Listing(const std::string& names) {
    return Script{Expect("TYPE A"), Reply("200 Type set to A")} + Passive() +
           Script{Expect("NLST *"),
                  Step(ServerStep::Kind::AcceptData),
                  Reply("150 Here comes the listing"),
                  {ServerStep::Kind::SendData, names},
                  Step(ServerStep::Kind::CloseData),
                  Reply("226 Directory send OK"),
                  Expect("TYPE I"),
                  Reply("200 Type set to I")};
}

void NoCheck(const FtpClient&, const ScriptedFtpServer&) {}

QStringList ToList(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) {
        list << QString::fromLatin1(line.data(), qsizetype(line.size()));
    }
    return list;
}

} // namespace

class TestFtpClientScripted : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::string m_smallPath;
    std::string m_largePath;

private slots:
    void initTestCase();
    void conversation_data();
    void conversation();
};

void TestFtpClientScripted::initTestCase() {
    QVERIFY(m_folder.isValid());
    const QString small = m_folder.filePath(QStringLiteral("small.htm"));
    const QString large = m_folder.filePath(QStringLiteral("large.bin"));
    const std::string smallContent = SmallFile();
    quillery::WriteFileAtomically(small,
                                  QByteArray(smallContent.data(), qsizetype(smallContent.size())));
    quillery::WriteFileAtomically(large, QByteArray(qsizetype(kLargeFileSize), 'x'));
    m_smallPath = small.toStdString();
    m_largePath = large.toStdString();
}

void TestFtpClientScripted::conversation_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<ClientRun>("run");
    // Part of the text of the error the last operation fails with; empty
    // when every operation succeeds.
    QTest::addColumn<QString>("failure");
    QTest::addColumn<ClientCheck>("check");

    const ClientRun connect = [](FtpClient& c) {
        c.Connect();
    };
    const std::string smallPath = m_smallPath;
    const std::string largePath = m_largePath;
    const ClientRun storeSmall = [smallPath](FtpClient& c) {
        c.Connect();
        c.StoreFile(smallPath, "small.htm");
    };
    const ClientRun storeLarge = [largePath](FtpClient& c) {
        c.Connect();
        c.StoreFile(largePath, "large.bin");
    };
    const ClientCheck receivedSmall = [](const FtpClient&, const ScriptedFtpServer& s) {
        QCOMPARE(s.ReceivedData(), SmallFile());
    };

    // Greeting and login.
    QTest::addRow("greeting 120 then 220 fails")
        << Script{Reply("120 Wait a moment"), Reply("220 Ready")} << connect << "120"
        << ClientCheck(
               [](const FtpClient& c, const ScriptedFtpServer&) { QVERIFY(!c.Connected()); });
    QTest::addRow("multi-line banner byte by byte")
        << Script{{ServerStep::Kind::SendByteByByte,
                   "\r\n220-Welcome\r\n  to the\n220 server\r\n"}} +
               LoginSteps() + Quit()
        << connect << "" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QCOMPARE(c.Greeting().code, 220);
               QCOMPARE(c.Greeting().text,
                        (std::vector<std::string>{"Welcome", "to the", "server"}));
               QCOMPARE(c.SystemDescription(), std::string("UNIX Type: L8"));
           });
    QTest::addRow("230 after USER sends no PASS; SYST 500 is Unknown")
        << Script{Reply("220 Ready"), Expect("USER bob"),   Reply("230 No password needed"),
                  Expect("FEAT"),     Reply("500 Unknown"), Expect("TYPE I"),
                  Reply("200 Ok"),    Expect("SYST"),       Reply("500 Unknown command")} +
               Quit()
        << connect << "" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QCOMPARE(c.SystemDescription(), std::string("Unknown"));
               QVERIFY(c.Features().empty());
           });
    QTest::addRow("332 with an account sends ACCT")
        << Script{Reply("220 Ready"),    Expect("USER bob"),        Reply("331 Password"),
                  Expect("PASS secret"), Reply("332 Need account"), Expect("ACCT dept7"),
                  Reply("230 Logged in")} +
               AfterLogin() + Quit()
        << ClientRun([](FtpClient& c) {
               c.SetAccount("dept7");
               c.Connect();
           })
        << "" << ClientCheck(NoCheck);
    QTest::addRow("332 without an account fails")
        << Script{Reply("220 Ready"), Expect("USER bob"), Reply("331 Password"),
                  Expect("PASS secret"), Reply("332 Need account for login")}
        << connect << "332" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QVERIFY(!c.Connected());
           });
    QTest::addRow("ACCOUNT in the 230 text with an account sends ACCT")
        << Script{Reply("220 Ready"),
                  Expect("USER bob"),
                  Reply("331 Password"),
                  Expect("PASS secret"),
                  Reply("230 Logged in, ACCOUNT optional"),
                  Expect("ACCT dept7"),
                  Reply("202 Superfluous")} +
               AfterLogin() + Quit()
        << ClientRun([](FtpClient& c) {
               c.SetAccount("dept7");
               c.Connect();
           })
        << "" << ClientCheck(NoCheck);
    // Expected words from the test vectors of RFC 2289, Appendix C.
    QTest::addRow("otp-md5 challenge")
        << Script{Reply("220 Ready"), Expect("USER bob"),
                  Reply("331 Response to otp-md5 99 TeSt required for skey."),
                  Expect("PASS BAIL TUFT BITS GANG CHEF THY"), Reply("230 Logged in")} +
               AfterLogin() + Quit()
        << ClientRun([](FtpClient& c) {
               c.SetPassword("This is a test.");
               c.Connect();
           })
        << "" << ClientCheck(NoCheck);
    QTest::addRow("otp-sha1 challenge on a second line")
        << Script{Reply("220 Ready"), Expect("USER bob"),
                  Reply("331-Password or one-time password\r\n331 otp-sha1 1 alpha1 ext"),
                  Expect("PASS RITE TAKE GELD COST TUNE RECK"), Reply("230 Logged in")} +
               AfterLogin() + Quit()
        << ClientRun([](FtpClient& c) {
               c.SetPassword("AbCdEfGhIjK");
               c.Connect();
           })
        << "" << ClientCheck(NoCheck);
    QTest::addRow("Serv-U greeting asks for SITE ZONE")
        << Script{Reply("220 Serv-U FTP Server v6.4 for WinSock ready...")} + LoginSteps() +
               Script{Expect("SITE ZONE"), Reply("210 UTC-300")} + Quit()
        << connect << "" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QCOMPARE(c.ServerUtcOffset(), std::optional<int>(-300));
           });
    QTest::addRow("SITE ZONE feature asks for SITE ZONE")
        << Script{Reply("220 Ready"),
                  Expect("USER bob"),
                  Reply("331 Password"),
                  Expect("PASS secret"),
                  Reply("230 Logged in"),
                  Expect("FEAT"),
                  Reply(
                      "211-Extensions supported:\r\n SITE PSWD;SET;ZONE;CHMOD\r\n MDTM\r\n211 End"),
                  Expect("TYPE I"),
                  Reply("200 Ok"),
                  Expect("SYST"),
                  Reply("215 UNIX"),
                  Expect("SITE ZONE"),
                  Reply("500 Not here")} +
               Quit()
        << connect << "" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QCOMPARE(c.Features(),
                        (std::vector<std::string>{"SITE PSWD;SET;ZONE;CHMOD", "MDTM"}));
               QVERIFY(!c.ServerUtcOffset());
           });
    QTest::addRow("Connect while connected") << Login() + Quit() << ClientRun([](FtpClient& c) {
        c.Connect();
        c.Connect();
    }) << "Already connected." << ClientCheck(NoCheck);

    // Passive transfers.
    QTest::addRow("FEAT 500: no PRET before PASV")
        << Login() + StoreOk("small.htm") + Quit() << storeSmall << "" << receivedSmall;
    QTest::addRow("FEAT lists PRET: PRET before PASV")
        << Script{Reply("220 Ready"),
                  Expect("USER bob"),
                  Reply("331 Password"),
                  Expect("PASS secret"),
                  Reply("230 Logged in"),
                  Expect("FEAT"),
                  Reply("211-Features:\r\n PRET\r\n SIZE\r\n211 End"),
                  Expect("TYPE I"),
                  Reply("200 Ok"),
                  Expect("SYST"),
                  Reply("215 UNIX"),
                  Expect("PRET STOR small.htm"),
                  Reply("200 Ready for STOR")} +
               StoreOk("small.htm") + Quit()
        << storeSmall << "" << receivedSmall;
    QTest::addRow("PASV numbers without parentheses")
        << Login() + Passive("227 Entering Passive Mode 127,0,0,1,{p}") +
               Script{Expect("STOR small.htm"), Step(ServerStep::Kind::AcceptData), Reply("150 Ok"),
                      Step(ServerStep::Kind::ReceiveData), Reply("226 Ok")} +
               Quit()
        << storeSmall << "" << receivedSmall;
    QTest::addRow("PASV number out of range")
        << Login() + Passive("227 Entering Passive Mode (127,0,0,1,256,1)") + Quit() << storeSmall
        << "PASV" << ClientCheck(NoCheck);
    QTest::addRow("PASV naming another address")
        << Login() + Passive("227 Entering Passive Mode (192,0,2,7,{p})") +
               Script{Expect("STOR small.htm"), Step(ServerStep::Kind::AcceptData), Reply("150 Ok"),
                      Step(ServerStep::Kind::ReceiveData), Reply("226 Ok")} +
               Quit()
        << storeSmall << "" << receivedSmall;

    QTest::addRow("PASV refused: EPSV")
        << Login() +
               Script{
                   Expect("PASV"),
                   Reply("500 PASV not understood"),
                   Expect("EPSV"),
                   {ServerStep::Kind::Passive, "229 Entering Extended Passive Mode (|||{port}|)"},
                   Expect("STOR small.htm"),
                   Step(ServerStep::Kind::AcceptData),
                   Reply("150 Ok"),
                   Step(ServerStep::Kind::ReceiveData),
                   Reply("226 Ok")} +
               Quit()
        << storeSmall << "" << receivedSmall;
    QTest::addRow("EPSV port that cannot be read")
        << Login() +
               Script{Expect("PASV"),
                      Reply("502 No"),
                      Expect("EPSV"),
                      {ServerStep::Kind::Passive, "229 Extended Passive Mode (|||0|)"}} +
               Quit()
        << storeSmall << "EPSV" << ClientCheck(NoCheck);
    QTest::addRow("EPSV with a delimiter of its own")
        << Login() +
               Script{Expect("EPSV"),
                      {ServerStep::Kind::Passive, "229 Entering Extended Passive Mode "
                                                  "(!!!{port}!)"},
                      Expect("STOR small.htm"),
                      Step(ServerStep::Kind::AcceptData),
                      Reply("150 Ok"),
                      Step(ServerStep::Kind::ReceiveData),
                      Reply("226 Ok")} +
               Quit()
        << ClientRun([&](FtpClient& c) {
               c.SetUseExtensionDataPort(true);
               c.Connect();
               c.StoreFile(m_smallPath, "small.htm");
           })
        << "" << receivedSmall;

    // Renames.
    QTest::addRow("RNFR then RNTO")
        << Login() +
               Script{Expect("RNFR _tmp-a.htm"), Reply("350 Ready for destination name"),
                      Expect("RNTO a.htm"), Reply("250 Rename successful")} +
               Quit()
        << ClientRun([](FtpClient& c) {
               c.Connect();
               c.Rename("_tmp-a.htm", "a.htm");
           })
        << "" << ClientCheck(NoCheck);
    QTest::addRow("RNFR refused: no RNTO")
        << Login() + Script{Expect("RNFR _tmp-a.htm"), Reply("502 Command not implemented")} +
               Quit()
        << ClientRun([](FtpClient& c) {
               c.Connect();
               c.Rename("_tmp-a.htm", "a.htm");
           })
        << "502" << ClientCheck(NoCheck);
    QTest::addRow("RNTO name with a line break: nothing sent")
        << Login() + Quit() << ClientRun([](FtpClient& c) {
               c.Connect();
               c.Rename("_tmp-a.htm", "a.htm\r\nDELE index");
           })
        << "line break" << ClientCheck(NoCheck);

    // Machine listings.
    const auto entries = std::make_shared<std::vector<quillery::TRemoteEntry>>();
    QTest::addRow("MLSD names types, leaves out . and ..")
        << Script{Reply("220 Ready"),
                  Expect("USER bob"),
                  Reply("230 Logged in"),
                  Expect("FEAT"),
                  Reply("211-Features:\r\n MLST type*;size*;\r\n211 End"),
                  Expect("TYPE I"),
                  Reply("200 Ok"),
                  Expect("SYST"),
                  Reply("215 UNIX")} +
               Passive() +
               Script{Expect("MLSD"),
                      Step(ServerStep::Kind::AcceptData),
                      Reply("150 Listing"),
                      {ServerStep::Kind::SendData,
                       "type=cdir;perm=el; .\r\ntype=pdir; ..\r\n"
                       "Type=File;size=3; a b.htm\r\ntype=dir;modify=20240101; img\r\n"
                       "type=OS.unix=slink:/x; link\r\nsize=1; .htaccess\r\nbroken\r\n"},
                      Step(ServerStep::Kind::CloseData),
                      Reply("226 Done")} +
               Quit()
        << ClientRun([entries](FtpClient& c) {
               c.Connect();
               *entries = c.ListEntries();
           })
        << "" << ClientCheck([entries](const FtpClient& c, const ScriptedFtpServer&) {
               using Type = quillery::TRemoteEntry::Type;
               QVERIFY(c.OffersMachineListing());
               const std::vector<quillery::TRemoteEntry> expected = {{"a b.htm", Type::File},
                                                                     {"img", Type::Folder},
                                                                     {"link", Type::Unknown},
                                                                     {".htaccess", Type::Unknown}};
               QCOMPARE(*entries, expected);
           });

    // Uploads.
    QTest::addRow("STOR answered 125")
        << Login() +
               Store("small.htm", "125 Data connection already open",
                     {Step(ServerStep::Kind::ReceiveData), Reply("226 Ok")}) +
               Quit()
        << storeSmall << "" << receivedSmall;
    QTest::addRow("STOR refused") << Login() + Passive() +
                                         Script{Expect("STOR small.htm"),
                                                Reply("553 Could not create file.")} +
                                         Quit()
                                  << storeSmall << "553" << ClientCheck(NoCheck);
    QTest::addRow("data connection closed early, 426")
        << Login() +
               Store("large.bin", "150 Ok",
                     {{ServerStep::Kind::ReceiveDataThenClose, {}, 1000},
                      Reply("426 Connection closed; transfer aborted.")}) +
               Quit()
        << storeLarge << "426" << ClientCheck(NoCheck);
    // The server's orderly close arrives before the first byte is sent: a
    // send without MSG_NOSIGNAL would raise SIGPIPE and end the program.
    QTest::addRow("data connection closed before the data")
        << Login() + Passive() +
               Script{Expect("STOR large.bin"),
                      Step(ServerStep::Kind::AcceptData),
                      Step(ServerStep::Kind::CloseData),
                      Step(ServerStep::Kind::Pause, 200),
                      Reply("150 Ok"),
                      Reply("426 Connection closed; transfer aborted.")} +
               Quit()
        << storeLarge << "426" << ClientCheck(NoCheck);
    QTest::addRow("data connection closed early, 226 anyway")
        << Login() +
               Store("large.bin", "150 Ok",
                     {{ServerStep::Kind::ReceiveDataThenClose, {}, 1000},
                      Reply("226 Transfer complete")}) +
               Quit()
        << storeLarge << "Upload incomplete" << ClientCheck(NoCheck);
    QTest::addRow("552 after the data")
        << Login() +
               Store("small.htm", "150 Ok",
                     {Step(ServerStep::Kind::ReceiveData), Reply("552 Quota exceeded")}) +
               Quit()
        << storeSmall << "552" << receivedSmall;
    QTest::addRow("server closes everything mid-transfer")
        << Login() + Store("large.bin", "150 Ok",
                           {{ServerStep::Kind::ReceiveDataThenClose, {}, 1},
                            Step(ServerStep::Kind::CloseControl)})
        << storeLarge << "closed" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QVERIFY(!c.Connected());
           });
    QTest::addRow("server stops reading data")
        << Login() +
               Store("large.bin", "150 Ok",
                     {Step(ServerStep::Kind::Pause, 1200), Step(ServerStep::Kind::ReceiveData),
                      Reply("226 Transfer complete")}) +
               Quit()
        << ClientRun([largePath](FtpClient& c) {
               c.SetTransferTimeout(std::chrono::milliseconds(300));
               c.Connect();
               c.StoreFile(largePath, "large.bin");
           })
        << "Write Timeout" << ClientCheck(NoCheck);
    QTest::addRow("name with CR LF refused before sending")
        << Login() + Quit() << ClientRun([smallPath](FtpClient& c) {
               c.Connect();
               c.StoreFile(smallPath, "a\r\nDELE index");
           })
        << "line break" << ClientCheck(NoCheck);
    QTest::addRow("directory with NUL refused before sending")
        << Login() + Quit() << ClientRun([](FtpClient& c) {
               c.Connect();
               c.ChangeDirectory(std::string("www\0x", 5));
           })
        << "NUL" << ClientCheck(NoCheck);
    QTest::addRow("user name with LF: no connection at all")
        << Script{} << ClientRun([](FtpClient& c) {
               c.SetUsername("bob\nDELE index");
               c.Connect();
           })
        << "line break" << ClientCheck([](const FtpClient&, const ScriptedFtpServer& s) {
               QVERIFY(!s.ClientConnected());
           });

    // Name listings.
    QTest::addRow("NLST with CR, LF and CR LF line ends")
        << Login() + Listing("one\rtwo\nthree\r\nfour") + Quit() << ClientRun([](FtpClient& c) {
               c.Connect();
               c.ListNames(" * ");
           })
        << "" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QCOMPARE(c.NameList(), (std::vector<std::string>{"one", "two", "three", "four"}));
               QCOMPARE(c.CurrentTransferType(), quillery::FtpTransferType::ftBinary);
           });
    QTest::addRow("NLST 550 keeps NameList and restores TYPE I")
        << Login() + Listing("a.htm\r\nb.htm\r\n") + Script{Expect("TYPE A"), Reply("200 Ok")} +
               Passive() +
               Script{Expect("NLST *"), Reply("550 No files found"), Expect("TYPE I"),
                      Reply("200 Ok")} +
               Quit()
        << ClientRun([](FtpClient& c) {
               c.Connect();
               c.ListNames("*");
               c.ListNames("*");
           })
        << "550" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QCOMPARE(c.NameList(), (std::vector<std::string>{"a.htm", "b.htm"}));
               QVERIFY(c.Connected());
           });
    QTest::addRow("listing stalls")
        << Login() + Script{Expect("TYPE A"), Reply("200 Ok")} + Passive() +
               Script{Expect("NLST *"),
                      Step(ServerStep::Kind::AcceptData),
                      Reply("150 Ok"),
                      {ServerStep::Kind::SendData, "partial"},
                      Step(ServerStep::Kind::Pause, 800),
                      Step(ServerStep::Kind::CloseData),
                      Reply("226 Ok"),
                      Expect("TYPE I"),
                      Reply("200 Ok")} +
               Quit()
        << ClientRun([](FtpClient& c) {
               c.SetTransferTimeout(std::chrono::milliseconds(300));
               c.Connect();
               c.ListNames("*");
           })
        << "Read Timeout" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QVERIFY(c.NameList().empty());
           });

    // Reply reader limits.
    QTest::addRow("line of 16384 bytes accepted")
        << Script{Reply("220 " + std::string(16380, 'x'))} + LoginSteps() + Quit() << connect << ""
        << ClientCheck(NoCheck);
    QTest::addRow("line of 16385 bytes refused")
        << Script{Reply("220 " + std::string(16381, 'x'))} << connect << "Max line length exceeded."
        << ClientCheck(NoCheck);
    std::string longBanner;
    for (int line = 0; line < 20; ++line) {
        longBanner += "220-" + std::string(1000, char('a' + line)) + "\r\n";
    }
    QTest::addRow("reply of 20 KB in lines accepted")
        << Script{SendRaw(longBanner), Reply("220 Ready")} + LoginSteps() + Quit() << connect << ""
        << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QCOMPARE(c.Greeting().text.size(), std::size_t(21));
           });
    QTest::addRow("reply of 1.6 MB refused")
        << Script{{ServerStep::Kind::Dribble, "220-" + std::string(16000, 'y') + "\r\n", 1}}
        << connect << "too long" << ClientCheck(NoCheck);
    QTest::addRow("NUL in a reply is kept")
        << Script{SendRaw(std::string("220 Wel\0come\r\n", 14))} + LoginSteps() + Quit() << connect
        << "" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QCOMPARE(c.Greeting().text.front(), std::string("Wel\0come", 8));
           });
    QTest::addRow("not a reply") << Script{Reply("hello there")} << connect << "Invalid reply"
                                 << ClientCheck(NoCheck);

    // Time limits and lost connections.
    QTest::addRow("server never answers")
        << Login() + Script{Expect("CWD www")} << ClientRun([](FtpClient& c) {
               c.SetReadTimeout(std::chrono::milliseconds(300));
               c.Connect();
               c.ChangeDirectory("www");
           })
        << "Read Timeout" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QVERIFY(!c.Connected());
           });
    QTest::addRow("continuation lines dribbling")
        << Script{Reply("220 Ready"),
                  Expect("USER bob"),
                  {ServerStep::Kind::Dribble, "230-still here\r\n", 50}}
        << ClientRun([](FtpClient& c) {
               c.SetReadTimeout(std::chrono::milliseconds(400));
               c.Connect();
           })
        << "Read Timeout" << ClientCheck(NoCheck);
    QTest::addRow("421 in the middle")
        << Login() + Script{Expect("DELE old.htm"), Reply("421 Service not available"),
                            Step(ServerStep::Kind::CloseControl)}
        << ClientRun([](FtpClient& c) {
               c.Connect();
               c.DeleteRemoteFile("old.htm");
           })
        << "421" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QVERIFY(!c.Connected());
           });
    QTest::addRow("operation after a lost connection")
        << Login() + Script{Expect("DELE old.htm"), Reply("421 Bye"),
                            Step(ServerStep::Kind::CloseControl)}
        << ClientRun([](FtpClient& c) {
               c.Connect();
               QVERIFY_THROWS_EXCEPTION(quillery::FtpError, c.DeleteRemoteFile("old.htm"));
               c.ChangeDirectory("www");
           })
        << "Not Connected" << ClientCheck(NoCheck);
    QTest::addRow("unexpected code keeps the connection")
        << Login() +
               Script{Expect("CWD missing"), Reply("550 No such directory"), Expect("CWD www"),
                      Reply("250 Ok"),       Expect("DELE old.htm"),         Reply("250 Deleted")} +
               Quit()
        << ClientRun([](FtpClient& c) {
               c.Connect();
               try {
                   c.ChangeDirectory("missing");
                   QFAIL("CWD missing succeeded");
               } catch (const quillery::FtpError& error) {
                   QCOMPARE(error.Code(), 550);
                   QCOMPARE(error.Text(), std::vector<std::string>{"No such directory"});
               }
               c.ChangeDirectory("www");
               c.DeleteRemoteFile("old.htm");
           })
        << "" << ClientCheck(NoCheck);
    QTest::addRow("empty directory still sends CWD")
        << Login() + Script{Expect("CWD "), Reply("550 Failed to change directory.")} + Quit()
        << ClientRun([](FtpClient& c) {
               c.Connect();
               c.ChangeDirectory("");
           })
        << "550" << ClientCheck(NoCheck);
    QTest::addRow("unasked-for preliminary reply ends the conversation")
        << Login() + Script{Expect("CWD www"), Reply("150 Opening"), Reply("250 Ok")}
        << ClientRun([](FtpClient& c) {
               c.Connect();
               c.ChangeDirectory("www");
           })
        << "150" << ClientCheck([](const FtpClient& c, const ScriptedFtpServer&) {
               QVERIFY(!c.Connected());
           });
    QTest::addRow("active transfers refused before sending")
        << Login() + Quit() << ClientRun([smallPath](FtpClient& c) {
               c.SetPassive(false);
               c.Connect();
               c.StoreFile(smallPath, "small.htm");
           })
        << "Passive" << ClientCheck(NoCheck);
    QTest::addRow("QUIT reply not awaited")
        << Login() + Script{Expect("QUIT"), Step(ServerStep::Kind::Pause, 500), Reply("221 Bye")}
        << ClientRun([](FtpClient& c) {
               c.Connect();
               QElapsedTimer timer;
               timer.start();
               c.Disconnect();
               QVERIFY(timer.elapsed() < 300);
               QVERIFY(!c.Connected());
           })
        << "" << ClientCheck(NoCheck);

    // The working directory, and uploads from an open file.
    QTest::addRow("PWD with quotes doubled inside")
        << Login() + Script{Expect("PWD"), Reply("257 \"/home/a \"\"b\"\"\" is current")} + Quit()
        << ClientRun([](FtpClient& c) {
               c.Connect();
               QCOMPARE(c.PrintWorkingDirectory(), std::string("/home/a \"b\""));
           })
        << "" << ClientCheck(NoCheck);
    QTest::addRow("PWD without a quoted name")
        << Login() + Script{Expect("PWD"), Reply("257 somewhere")} + Quit()
        << ClientRun([](FtpClient& c) {
               c.Connect();
               c.PrintWorkingDirectory();
           })
        << "No directory name" << ClientCheck(NoCheck);
    QTest::addRow("open file sent from its first byte")
        << Login() + StoreOk("small.htm") + Quit() << ClientRun([smallPath](FtpClient& c) {
               const int fd = ::open(smallPath.c_str(), O_RDONLY | O_CLOEXEC);
               QVERIFY(fd >= 0);
               // Wherever the descriptor stands, the whole file goes.
               QVERIFY(::lseek(fd, 0, SEEK_END) > 0);
               c.Connect();
               c.StoreFile(fd, "small.htm");
               ::close(fd);
           })
        << "" << receivedSmall;
}

void TestFtpClientScripted::conversation() {
    QFETCH(Script, script);
    QFETCH(ClientRun, run);
    QFETCH(QString, failure);
    QFETCH(ClientCheck, check);

    ScriptedFtpServer server(script);
    FtpClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.SetUsername("bob");
    client.SetPassword("secret");
    client.SetPassive(true);
    client.SetReadTimeout(std::chrono::milliseconds(3000));
    client.SetTransferTimeout(std::chrono::milliseconds(3000));
    client.SetConnectTimeout(std::chrono::milliseconds(2000));

    QElapsedTimer timer;
    timer.start();
    QString error;
    try {
        run(client);
    } catch (const quillery::Error& e) {
        error = QString::fromUtf8(e.what());
    }
    QVERIFY2(timer.elapsed() < 5000, "the client waited too long");
    // Before Disconnect, so that the state the operations left is seen.
    check(client, server);
    client.Disconnect();
    server.Finish();

    if (failure.isEmpty()) {
        QVERIFY2(error.isEmpty(), qPrintable(error));
    } else {
        QVERIFY2(error.contains(failure), qPrintable(QStringLiteral("failed with: ") + error));
    }
    QCOMPARE(ToList(server.ReceivedCommands()), ToList(server.ExpectedCommands()));
}

QTEST_GUILESS_MAIN(TestFtpClientScripted)
#include "tst_ftp_client_scripted.moc"
