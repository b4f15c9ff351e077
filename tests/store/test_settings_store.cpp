// The INI-style view, site keys, owner-only key files and the
// recent folders list. Everything lives in a temporary config folder; the
// real user's settings are never touched.

#include "store/settings_store.h"
#include "store/text_codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace quillery;

namespace {

QString L(const char* s) {
    return QString::fromLatin1(s);
}

mode_t ModeOf(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 0777;
}

// Entries "0".."12" of LastDirs as stored ("-" for absent).
QStringList Stored() {
    QSettings s(TIniView::ProgramKey().FilePath(), QSettings::IniFormat);
    QStringList out;
    for (int i = 0; i <= 12; ++i)
        out << s.value(QStringLiteral("LastDirs/%1").arg(i), QStringLiteral("-")).toString();
    return out;
}

void Store(const QStringList& entries) {
    QSettings s(TIniView::ProgramKey().FilePath(), QSettings::IniFormat);
    s.remove(QStringLiteral("LastDirs"));
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i] != u"-")
            s.setValue(QStringLiteral("LastDirs/%1").arg(i), entries[i]);
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    // Site folders below a path without capitals, so lower-cased entries
    // name them exactly.
    QString m_sites =
        QDir::tempPath() + QStringLiteral("/quillery-settings-%1").arg(qApp->applicationPid());
    QStringList m_folders; // f00 .. f13, existing, lower-case, with '/'

    QString Folder(const QString& name) {
        QDir().mkpath(m_sites + u'/' + name);
        return m_sites + u'/' + name + u'/';
    }

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        QVERIFY(QDir().mkpath(m_sites));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
        QVERIFY(TIniView::ProgramKey().FilePath().startsWith(m_config.path()));
        QCOMPARE(TIniView::ProgramKey().FilePath(),
                 m_config.path() + QStringLiteral("/Brakvel/Quillery.ini"));
        for (int i = 0; i < 14; ++i)
            m_folders << Folder(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0')));
        QCOMPARE(AsciiLowerPath(m_sites), m_sites);
    }

    void cleanupTestCase() { QDir(m_sites).removeRecursively(); }

    // ---- site key path and its file ---------------------------------------------------

    void siteKeyPath_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("key");
        QTest::addRow("folder") << "/home/anna/Sites/Garden/"
                                << "/home/anna/Sites/Garden";
        QTest::addRow("root names the top") << "/"
                                            << "/";
        QTest::addRow("drive removed") << "D:/Sites/Garden/"
                                       << "/Sites/Garden";
        QTest::addRow("other drive, same key") << "E:/Sites/Garden/"
                                               << "/Sites/Garden";
        QTest::addRow("windows form") << "D:\\Sites\\Garden\\"
                                      << "\\Sites\\Garden";
        QTest::addRow("root of a drive") << "C:/"
                                         << "/";
    }
    void siteKeyPath() {
        QFETCH(QString, folder);
        QFETCH(QString, key);
        QCOMPARE(SiteKeyPath(folder), key);
    }

    void keyFiles() {
        const QString root = m_config.path() + QStringLiteral("/Brakvel/Quillery");
        QCOMPARE(KeyFilePath(L("/")), root + L("/_key.ini"));
        QCOMPARE(KeyFilePath(L("/home/anna/site")), root + L("/home/anna/site/_key.ini"));
        // A folder named like a key file or like ".." stays apart and inside.
        QCOMPARE(KeyFilePath(L("/a/_key.ini")), root + L("/a/__key.ini/_key.ini"));
        QCOMPARE(KeyFilePath(L("/a/../b")), root + L("/a/_../b/_key.ini"));
    }

    // ---- the view -------------------------------------------------------------------------

    void readDefaultsWriteAndReadBack() {
        const QString key = SiteKeyPath(Folder(L("site1")));
        {
            TIniView view(key);
            QCOMPARE(view.ReadText(L("Status"), L("Sync"), QString::fromUtf8(kDefaultSyncStatus)),
                     QStringLiteral("Синхронизация не проводилась"));
            QCOMPARE(view.ReadText(L("FTP"), L("Host")), QString());
        }
        // Reading created the key but no section.
        QFile file(KeyFilePath(key));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("Status"));
        file.close();
        {
            TIniView view(key);
            view.WriteText(L("FTP"), L("Host"), L("ftp.example.org"));
            view.WriteString(L("FTP"), L("Dir"), ToCp1251(QStringLiteral("/сайт, новый")));
            view.WriteText(L("Status"), L("Sync"),
                           QStringLiteral("Синхронизация проведена 01.02.2009 10:00:00"));
        }
        TIniView view(key);
        QCOMPARE(view.ReadText(L("FTP"), L("Host")), L("ftp.example.org"));
        QCOMPARE(view.ReadString(L("FTP"), L("Dir")), ToCp1251(QStringLiteral("/сайт, новый")));
        QCOMPARE(view.ReadString(L("FTP"), L("Missing"), "def"), std::string("def"));
        QCOMPARE(view.ReadText(L("Status"), L("Sync")),
                 QStringLiteral("Синхронизация проведена 01.02.2009 10:00:00"));
    }

    void sitesOnTwoDrivesShareTheirKey() {
        TIniView(SiteKeyPath(L("D:/Sites/Garden/"))).WriteText(L("FTP"), L("Username"), L("anna"));
        QCOMPARE(TIniView(SiteKeyPath(L("E:/Sites/Garden/"))).ReadText(L("FTP"), L("Username")),
                 L("anna"));
    }

    void nothingCachedBetweenUses() {
        const QString key = SiteKeyPath(Folder(L("site2")));
        TIniView(key).WriteText(L("FTP"), L("Host"), L("one"));
        {
            QSettings other(KeyFilePath(key), QSettings::IniFormat); // another writer
            other.setValue(L("FTP/Host"), L("two"));
        }
        QCOMPARE(TIniView(key).ReadText(L("FTP"), L("Host")), L("two"));
    }

    void passwordFilesAreOwnerOnly() {
        const QString key = SiteKeyPath(Folder(L("site3")));
        {
            TIniView view(key);
            view.WriteText(L("FTP"), L("Password"), L("secret"));
        }
        const QString file = KeyFilePath(key);
        QCOMPARE(ModeOf(file), mode_t(0600));
        QCOMPARE(ModeOf(QFileInfo(file).absolutePath()), mode_t(0700));
        // Written again (QSettings replaces the file): still owner-only.
        TIniView(key).WriteText(L("FTP"), L("Password"), L("other"));
        QCOMPARE(ModeOf(file), mode_t(0600));
        // A file made readable by hand is made owner-only at the next use.
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0644), 0);
        TIniView(key).ReadText(L("FTP"), L("Password"));
        QCOMPARE(ModeOf(file), mode_t(0600));
        QCOMPARE(ModeOf(TIniView::ProgramKey().FilePath()), mode_t(0600));
    }

    // ---- recent folders -----------------------------------------------------------------

    void readingKeepsExistingFoldersInOrder() {
        Store({m_folders[0], L("/no/such/folder/"), L(""), m_folders[2], L("-"), m_folders[1]});
        QCOMPARE(ReadRecentFolders(), QStringList({m_folders[0], m_folders[2], m_folders[1]}));
    }

    void readingFindsFoldersStoredLowerCase() {
        const QString real = Folder(L("MySite"));
        Store({AsciiLowerPath(real)});
        QCOMPARE(ReadRecentFolders(), QStringList({real}));
        const QString noDelimiter = Folder(L("Plain"));
        Store({noDelimiter.chopped(1)});
        QCOMPARE(ReadRecentFolders(), QStringList({noDelimiter}));
    }

    void writing_data() {
        QTest::addColumn<QStringList>("before"); // stored entries
        QTest::addColumn<int>("chosen");         // index into m_folders
        QTest::addColumn<QStringList>("after");  // as indexes/markers, see below
        // "fN" stands for m_folders[N]; "-" for absent; other texts literally.
        const QStringList full = {L("f00"), L("f01"), L("f02"), L("f03"), L("f04"), L("f05"),
                                  L("f06"), L("f07"), L("f08"), L("f09"), L("f10"), L("f11")};
        QTest::addRow("entry 3 of a full list moves to 0")
            << full << 3
            << QStringList({L("f03"), L("f00"), L("f01"), L("f02"), L("f04"), L("f05"), L("f06"),
                            L("f07"), L("f08"), L("f09"), L("f10"), L("f11"), L("-")});
        QTest::addRow("new folder with twelve listed: old 11 gone")
            << full << 12
            << QStringList({L("f12"), L("f00"), L("f01"), L("f02"), L("f03"), L("f04"), L("f05"),
                            L("f06"), L("f07"), L("f08"), L("f09"), L("f10"), L("-")});
        QTest::addRow("two listed, second chosen: stale entry 2 kept")
            << QStringList({L("f00"), L("f01"), L("/stale/")}) << 1
            << QStringList({L("f01"), L("f00"), L("/stale/"), L("-"), L("-"), L("-"), L("-"),
                            L("-"), L("-"), L("-"), L("-"), L("-"), L("-")});
        QTest::addRow("vanished folders dropped, the rest close up")
            << QStringList({L("f00"), L("/gone/"), L("f01"), L("/gone2/"), L("f02")}) << 5
            << QStringList({L("f05"), L("f00"), L("f01"), L("f02"), L("f02"), L("-"), L("-"),
                            L("-"), L("-"), L("-"), L("-"), L("-"), L("-")});
        QTest::addRow("empty list")
            << QStringList() << 4
            << QStringList({L("f04"), L("-"), L("-"), L("-"), L("-"), L("-"), L("-"), L("-"),
                            L("-"), L("-"), L("-"), L("-"), L("-")});
        QTest::addRow("first chosen again")
            << QStringList({L("f00"), L("f01")}) << 0
            << QStringList({L("f00"), L("f01"), L("-"), L("-"), L("-"), L("-"), L("-"), L("-"),
                            L("-"), L("-"), L("-"), L("-"), L("-")});
    }
    void writing() {
        QFETCH(QStringList, before);
        QFETCH(int, chosen);
        QFETCH(QStringList, after);
        Store(Expand(before));
        const QStringList shown = ReadRecentFolders();
        WriteRecentFolders(m_folders[chosen], shown);
        QCOMPARE(Stored(), Expand(after));
    }

    void writingLowerCasesAsciiAndAddsDelimiter() {
        const QString mixed = Folder(L("Mixed"));
        Store({m_folders[0], AsciiLowerPath(mixed)});
        const QStringList shown = ReadRecentFolders();
        QCOMPARE(shown, QStringList({m_folders[0], mixed}));
        // Chosen as typed, other ASCII case, no delimiter: the same entry.
        QString typed = mixed.chopped(1);
        typed.replace(L("Mixed"), L("MIXED"));
        WriteRecentFolders(typed, shown);
        QCOMPARE(Stored().mid(0, 3), QStringList({AsciiLowerPath(mixed), m_folders[0], L("-")}));
    }

    void cyrillicCaseMakesDifferentEntries() {
        const QString lower = Folder(QStringLiteral("сайт"));
        const QString upper = Folder(QStringLiteral("САЙТ"));
        Store({lower});
        WriteRecentFolders(upper, ReadRecentFolders());
        QCOMPARE(Stored().mid(0, 3), QStringList({upper, lower, L("-")}));
        QVERIFY(upper.contains(QStringLiteral("САЙТ"))); // Cyrillic not lower-cased
    }

private:
    QStringList Expand(const QStringList& marks) const {
        QStringList out;
        for (const QString& m : marks) {
            if (m.size() == 3 && m.startsWith(u'f') && m[1].isDigit())
                out << m_folders[m.mid(1).toInt()];
            else
                out << m;
        }
        return out;
    }
    static QString AsciiLowerPath(const QString& s) {
        QString out = s;
        for (QChar& c : out)
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
        return out;
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
