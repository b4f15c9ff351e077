// What the user reads of publishing: the server address with its port, the
// status texts with the moment of the run, and the report of the last run.
#include "publish/ftp_host.h"
#include "publish/publish_report.h"
#include "store/error.h"

#include <QTest>

using namespace quillery;

class TestPublishTexts : public QObject {
    Q_OBJECT

private slots:
    void hostAndPort_data() {
        QTest::addColumn<QString>("text");
        // "ftps:" in front when implicit TLS is selected.
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port"); // 0: refused
        QTest::addRow("name") << "ftp.example.com"
                              << "ftp.example.com" << 21;
        QTest::addRow("name and port") << "ftp.example.com:2121"
                                       << "ftp.example.com" << 2121;
        QTest::addRow("blanks around") << "  ftp.example.com:21 "
                                       << "ftp.example.com" << 21;
        QTest::addRow("address") << "192.0.2.7"
                                 << "192.0.2.7" << 21;
        QTest::addRow("v6 in brackets with port") << "[::1]:2121"
                                                  << "::1" << 2121;
        QTest::addRow("v6 in brackets") << "[2001:db8::7]"
                                        << "2001:db8::7" << 21;
        QTest::addRow("bare v6") << "2001:db8::7"
                                 << "2001:db8::7" << 21;
        QTest::addRow("empty port") << "ftp.example.com:"
                                    << "" << 0;
        QTest::addRow("port 0") << "ftp.example.com:0"
                                << "" << 0;
        QTest::addRow("port too large") << "ftp.example.com:65536"
                                        << "" << 0;
        QTest::addRow("port with letters") << "ftp.example.com:21a"
                                           << "" << 0;
        QTest::addRow("v6 port with letters") << "[::1]:ftp"
                                              << "" << 0;
        QTest::addRow("ftps: implicit TLS on 990") << "ftps://ftp.example.com"
                                                   << "ftps:ftp.example.com" << 990;
        QTest::addRow("ftps with port") << " FTPS://ftp.example.com:2990"
                                        << "ftps:ftp.example.com" << 2990;
        QTest::addRow("ftps v6") << "ftps://[::1]"
                                 << "ftps:::1" << 990;
        QTest::addRow("ftp: explicit TLS") << "ftp://ftp.example.com:2121"
                                           << "ftp.example.com" << 2121;
        QTest::addRow("ftps with a bad port") << "ftps://ftp.example.com:0"
                                              << "" << 0;
    }

    void hostAndPort() {
        QFETCH(QString, text);
        QFETCH(QString, host);
        QFETCH(int, port);
        if (port == 0) {
            QVERIFY_THROWS_EXCEPTION(Error, ParseFtpHost(text.toStdString()));
            return;
        }
        const TFtpEndpoint endpoint = ParseFtpHost(text.toStdString());
        QCOMPARE(QString::fromUtf8(endpoint.implicitTls ? "ftps:" : "") +
                     QString::fromStdString(endpoint.host),
                 host);
        QCOMPARE(int(endpoint.port), port);
    }

    // The short date, then the time with seconds and no time zone.
    void moment_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("text");
        const auto at = [](int h, int m, int s) {
            return QDateTime(QDate(2026, 12, 10), QTime(h, m, s));
        };
        QTest::addRow("afternoon") << "ru_RU" << at(14, 3, 5) << "10.12.2026 14:03:05";
        QTest::addRow("midnight: the date alone") << "ru_RU" << at(0, 0, 0) << "10.12.2026";
        QTest::addRow("a second after midnight") << "ru_RU" << at(0, 0, 1) << "10.12.2026 00:00:01";
        QTest::addRow("English desktop") << "en_US" << at(14, 3, 5) << "12/10/26 2:03:05 PM";
        QTest::addRow("German desktop") << "de_DE" << at(9, 3, 5) << "10.12.26 09:03:05";
    }

    void moment() {
        QFETCH(QString, locale);
        QFETCH(QDateTime, moment);
        QFETCH(QString, text);
        QCOMPARE(FormatSyncMoment(moment, QLocale(locale)), text);
    }

    void status_data() {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("failures");
        QTest::addColumn<QString>(
            "text"); // followed by the moment where the run reached the server
        using O = TPublishOutcome;
        QTest::addRow("completed") << int(O::Completed) << 0 << "Синхронизация проведена ";
        QTest::addRow("completed with failures")
            << int(O::Completed) << 3 << "Синхронизация проведена с ошибками (3) ";
        QTest::addRow("stopped") << int(O::Stopped) << 0 << "Синхронизация остановлена ";
        QTest::addRow("stopped with failures")
            << int(O::Stopped) << 1 << "Синхронизация остановлена с ошибками (1) ";
        QTest::addRow("connection lost")
            << int(O::ConnectionLost) << 2 << "Синхронизация прервана с ошибками (2) ";
        QTest::addRow("connecting failed")
            << int(O::ConnectFailed) << 0
            << "Ошибка соединения. Проверьте логин, пароль и имя сервера FTP.";
        QTest::addRow("directory refused")
            << int(O::DirectoryFailed) << 0
            << "Ошибка соединения. Проверьте правильность указания директории на сервере FTP.";
    }

    void status() {
        QFETCH(int, outcome);
        QFETCH(int, failures);
        QFETCH(QString, text);
        TPublishReport report;
        report.outcome = TPublishOutcome(outcome);
        report.finished = QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0));
        for (int i = 0; i < failures; ++i)
            report.entries.push_back({TPublishEntry::Kind::Failed, QStringLiteral("f"), {}});
        report.entries.push_back({TPublishEntry::Kind::Uploaded, QStringLiteral("index"), {}});
        const QLocale locale(QLocale::Russian, QLocale::Russia);
        const QString expected =
            report.ReachedServer() ? text + FormatSyncMoment(report.finished, locale) : text;
        QCOMPARE(PublishStatusText(report, locale), expected);
    }

    void reportPutsFailuresFirst() {
        TPublishReport report;
        report.host = QStringLiteral("ftp.example.com");
        report.dir = QStringLiteral("www");
        report.finished = QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0));
        report.entries = {
            {TPublishEntry::Kind::Uploaded, QStringLiteral("index"), {}},
            {TPublishEntry::Kind::Deleted, QStringLiteral("old.htm"), {}},
            {TPublishEntry::Kind::Failed, QStringLiteral("photo.jpg"),
             QStringLiteral("отправка: 553 Could not create file.")},
            {TPublishEntry::Kind::KeptFolder, QStringLiteral("cgi-bin"), {}},
        };
        const QString text = PublishReportText(report, QLocale(QLocale::Russian, QLocale::Russia));
        const QStringList lines = text.split(u'\n');
        QVERIFY(lines[0].startsWith(QStringLiteral("Синхронизация проведена с ошибками (1) ")));
        QVERIFY(lines[1].contains(QStringLiteral("ftp.example.com")));
        const qsizetype failed = text.indexOf(QStringLiteral("photo.jpg — отправка: 553"));
        QVERIFY(failed > 0);
        QVERIFY(failed < text.indexOf(QStringLiteral("    index")));
        QVERIFY(text.contains(QStringLiteral("Удалены на сервере (1):\n    old.htm")));
        QVERIFY(text.contains(QStringLiteral("(папки) (1):\n    cgi-bin")));
    }
};

QTEST_GUILESS_MAIN(TestPublishTexts)
#include "tst_publish_texts.moc"
