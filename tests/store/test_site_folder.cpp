// Names, the document skeleton, publication states, the listing,
// the clean-up at close, and staying safe where extended attributes are
// refused (a real ramfs mount when the machine allows it, and simulated).

#include "store/error.h"
#include "store/index_file.h"
#include "store/site_folder.h"
#include "store/text_codec.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace quillery;

namespace {

QString SitePath(const QTemporaryDir& dir) {
    return dir.path() + u'/';
}

// A file as another program writes it: no state of ours.
void Put(const QString& path, const QByteArray& data = "x") {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void SetRawXattr(const QString& path, const char* text) {
    QCOMPARE(::setxattr(QFile::encodeName(path).constData(), "user.quillery.attrib", text,
                        std::strlen(text), 0),
             0);
}

QStringList Names(const std::vector<TSiteFile>& files) {
    QStringList names;
    for (const TSiteFile& f : files)
        names << f.Name;
    return names;
}

std::uint32_t WordIn(const std::vector<TSiteFile>& files, const QString& name) {
    for (const TSiteFile& f : files)
        if (f.Name == name)
            return f.Attributes;
    return 0xFFFFFFFF;
}

const QRegularExpression
    kGuidName(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}"));

// Counts refusal notices.
int g_notices = 0;
std::string g_notice;

} // namespace

class TestSiteFolder : public QObject {
    Q_OBJECT

private slots:
    void init() {
        testing::SimulateAttributeRefusal(false);
        g_notices = 0;
        SetAttributeRefusalHandler([](const std::string& m) {
            ++g_notices;
            g_notice = m;
        });
    }

    // ---- names -------------------------------------------------------------------

    void plainNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("plain");
        QTest::addRow("letters digits - . _") << "photo_1-A.JPG" << true;
        QTest::addRow("blank") << "photo 1.jpg" << false;
        QTest::addRow("cyrillic") << QStringLiteral("Фото.jpg") << false;
        QTest::addRow("plus") << "a+b.jpg" << false;
        QTest::addRow("tilde") << "a~.jpg" << false;
        QTest::addRow("slash") << "a/b" << false;
        QTest::addRow("dot-file") << ".htaccess" << true;
    }
    void plainNames() {
        QFETCH(QString, name);
        QFETCH(bool, plain);
        QCOMPARE(IsPlainFileName(QStringView(name)), plain);
        if (FitsCp1251(name))
            QCOMPARE(IsPlainFileName(std::string_view(ToCp1251(name))), plain);
    }

    void bareNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bare");
        QTest::addRow("file") << "a.htm" << true;
        QTest::addRow("dot-file") << ".htaccess" << true;
        QTest::addRow("empty") << "" << false;
        QTest::addRow("dot") << "." << false;
        QTest::addRow("dot dot") << ".." << false;
        QTest::addRow("path") << "../secret" << false;
        QTest::addRow("absolute") << "/etc/passwd" << false;
        QTest::addRow("three dots") << "..." << true;
        QTest::addRow("backslash is a character here") << "a\\b" << true;
    }
    void bareNames() {
        QFETCH(QString, name);
        QFETCH(bool, bare);
        QCOMPARE(IsBareFileName(QStringView(name)), bare);
        QCOMPARE(IsBareFileName(std::string_view(name.toStdString())), bare);
        QCOMPARE(SiteFilePath(QStringLiteral("/s/"), name).isEmpty(), !bare);
        QVERIFY(!IsBareFileName(std::string_view("a\0b", 3)));
    }

    void extensions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::addRow("simple") << "a.JPG"
                                << ".JPG";
        QTest::addRow("two dots") << "a.tar.gz"
                                  << ".gz";
        QTest::addRow("none") << "README"
                              << "";
        QTest::addRow("trailing dot") << "a."
                                      << ".";
        QTest::addRow("dot-file") << ".htaccess"
                                  << ".htaccess";
    }
    void extensions() {
        QFETCH(QString, name);
        QFETCH(QString, ext);
        QCOMPARE(FileExtension(name), ext);
    }

    void importedNames() {
        QTemporaryDir site, elsewhere;
        const QString s = SitePath(site);
        Put(s + QStringLiteral("Taken.jpg"));
        auto outside = [&](const char* name) {
            return elsewhere.filePath(QString::fromUtf8(name));
        };
        // Outside, plain, free: its own name, lower-cased.
        QCOMPARE(ImportedFileName(outside("photo_1.JPG"), s), QStringLiteral("photo_1.jpg"));
        // Not plain: GUID stem + extension, lower-cased.
        const QString cyr = ImportedFileName(outside("Фото 1.JPG"), s);
        QVERIFY2(kGuidName.match(cyr).hasMatch() && cyr.endsWith(QStringLiteral(".jpg")) &&
                     cyr.size() == 40,
                 qPrintable(cyr));
        // Taken, whatever the ASCII case.
        const QString taken = ImportedFileName(outside("TAKEN.JPG"), s);
        QVERIFY(kGuidName.match(taken).hasMatch() && taken.endsWith(QStringLiteral(".jpg")));
        // A site file (even under another ASCII case of the folder path).
        QString inside = s + QStringLiteral("new.png");
        QVERIFY(kGuidName.match(ImportedFileName(inside, s)).hasMatch());
        QString upper = s;
        upper.replace(QStringLiteral("/tmp/"), QStringLiteral("/TMP/"));
        QVERIFY(IsInSiteFolder(upper + QStringLiteral("x.png"), s));
        QVERIFY(!IsInSiteFolder(elsewhere.filePath(QStringLiteral("x.png")), s));
        QVERIFY(!IsInSiteFolder(s + QStringLiteral("sub/x.png"), s));
        // No file name.
        QCOMPARE(ImportedFileName(elsewhere.path() + u'/', s), QString());
        // GUID names are new every time.
        QVERIFY(GuidFileName(u".JPG") != GuidFileName(u".JPG"));
        QVERIFY(GuidFileName(u".JPG").endsWith(QStringLiteral(".jpg")));
    }

    void siteFileExistsIgnoresAsciiCaseOnly() {
        QTemporaryDir site;
        const QString s = SitePath(site);
        Put(s + QStringLiteral("Photo.JPG"));
        Put(s + QStringLiteral("Фото.jpg"));
        QVERIFY(QDir(site.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(SiteFileExists(s, u"Photo.JPG"));
        QVERIFY(SiteFileExists(s, u"photo.jpg"));
        QVERIFY(SiteFileExists(s, u"Фото.JPG"));
        QVERIFY(!SiteFileExists(s, u"фото.jpg")); // Cyrillic keeps its case
        QVERIFY(!SiteFileExists(s, u"folder"));   // a folder is no file
        QVERIFY(!SiteFileExists(s, u"missing"));
        QVERIFY(!SiteFileExists(s, u"../etc"));
    }

    // ---- writing ------------------------------------------------------------------

    void skeleton() {
        QTemporaryDir site;
        const QString s = SitePath(site);
        const QString name = QStringLiteral("0a1b2c3d-0000-4000-8000-00aa00bb00cc.htm");
        CreateDocumentSkeleton(s, name);
        QCOMPARE(
            ReadAll(s + name),
            QByteArray("<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; "
                       "charset=windows-1251\">\r\n</HEAD>\r\n<BODY>\r\n</BODY>\r\n</HTML>\r\n"));
        QCOMPARE(DocumentSkeleton().count("\r\n"), 7);
        QCOMPARE(FileAttributes(s + name), std::uint32_t(kAttrNormal));
        // An empty FileName would name the folder itself.
        QVERIFY_THROWS_EXCEPTION(Error, CreateDocumentSkeleton(s, u""));
        QVERIFY_THROWS_EXCEPTION(Error, CreateDocumentSkeleton(s, u"../outside.htm"));
        QVERIFY_THROWS_EXCEPTION(Error,
                                 CreateDocumentSkeleton(s + QStringLiteral("missing/"), name));
    }

    void siteWritesLeaveFilesChanged() {
        QTemporaryDir site, elsewhere;
        const QString s = SitePath(site);
        Put(s + QStringLiteral("a.jpg"), "old");
        QVERIFY(SetPublished(s + QStringLiteral("a.jpg")));
        QCOMPARE(FileAttributes(s + QStringLiteral("a.jpg")), std::uint32_t(kAttrArchive));
        WriteSiteFile(s, u"a.jpg", "new");
        QCOMPARE(ReadAll(s + QStringLiteral("a.jpg")), QByteArray("new"));
        QCOMPARE(FileAttributes(s + QStringLiteral("a.jpg")), std::uint32_t(kAttrNormal));
        const QString source = elsewhere.filePath(QStringLiteral("pic.jpg"));
        Put(source, "picture");
        QVERIFY(CopyFileIntoSite(source, s, u"pic.jpg"));
        QCOMPARE(ReadAll(s + QStringLiteral("pic.jpg")), QByteArray("picture"));
        QCOMPARE(FileAttributes(s + QStringLiteral("pic.jpg")), std::uint32_t(kAttrNormal));
        QVERIFY(!CopyFileIntoSite(elsewhere.filePath(QStringLiteral("missing.jpg")), s, u"m.jpg"));
        QVERIFY(!QFile::exists(s + QStringLiteral("m.jpg")));
    }

    // ---- states ------------------------------------------------------------------------

    void states() {
        QTemporaryDir site;
        const QString f = SitePath(site) + QStringLiteral("page.htm");
        Put(f);
        QCOMPARE(FileAttributes(f),
                 std::uint32_t(kAttrNormal)); // another program's file, never marked: changed
        QVERIFY(!IsPublishedWord(FileAttributes(f)));
        QVERIFY(SetPublished(f));
        QVERIFY(IsPublishedWord(FileAttributes(f)));
        QVERIFY(SetChanged(f));
        QCOMPARE(FileAttributes(f), std::uint32_t(kAttrNormal));
        QVERIFY(!IsPublishedWord(FileAttributes(f)));
        QVERIFY(SetDiscarded(f));
        QCOMPARE(FileAttributes(f), std::uint32_t(kAttrHidden));
        QVERIFY(IsDiscardedWord(FileAttributes(f)));
        QVERIFY(SetPublished(f));
        QCOMPARE(FileAttributes(f), std::uint32_t(kAttrArchive));
        char buf[96] = {};
        QVERIFY(::getxattr(QFile::encodeName(f).constData(), "user.quillery.attrib", buf,
                           sizeof buf) > 0);
        QVERIFY2(QByteArray(buf).startsWith("0x20;1;"), buf);
        // Read-only is the owner's missing write permission: published + read-only is changed.
        QCOMPARE(::chmod(QFile::encodeName(f).constData(), 0444), 0);
        QCOMPARE(FileAttributes(f), std::uint32_t(kAttrArchive | kAttrReadOnly));
        QVERIFY(!IsPublishedWord(FileAttributes(f)));
        QVERIFY(SetPublished(f)); // clears read-only
        QCOMPARE(FileAttributes(f), std::uint32_t(kAttrArchive));
        QVERIFY(SetFileAttributes(f, kAttrReadOnly));
        QCOMPARE(FileAttributes(f), std::uint32_t(kAttrReadOnly));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(f).constData(), &st), 0);
        QVERIFY(!(st.st_mode & S_IWUSR));
        QVERIFY(SetFileAttributes(f, 0));
        QCOMPARE(FileAttributes(f), std::uint32_t(kAttrNormal));
        // Unknown text reads as changed.
        SetRawXattr(f, "soon");
        QCOMPARE(FileAttributes(f), std::uint32_t(kAttrNormal));
        // A missing file: no effect, nothing reported, nothing created.
        const QString missing = SitePath(site) + QStringLiteral("missing.htm");
        QVERIFY(SetDiscarded(missing));
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(FileAttributes(missing), std::uint32_t(0));
        QCOMPARE(g_notices, 0);
    }

    // A published mark holds the size and modification time the file had
    // when it was marked: whoever rewrites it, it counts as changed.
    void publishedMarkFollowsContent_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<std::uint32_t>("after");
        QTest::addRow("untouched") << "" << std::uint32_t(kAttrArchive);
        QTest::addRow("rewritten in place, same size") << "same size" << std::uint32_t(kAttrNormal);
        QTest::addRow("rewritten in place, longer") << "longer" << std::uint32_t(kAttrNormal);
        QTest::addRow("replaced through a rename") << "rename" << std::uint32_t(kAttrNormal);
        QTest::addRow("only its time changed") << "touch" << std::uint32_t(kAttrNormal);
        QTest::addRow("mark of an earlier version") << "old mark" << std::uint32_t(kAttrArchive);
        QTest::addRow("garbled record") << "garbled" << std::uint32_t(kAttrNormal);
    }

    void publishedMarkFollowsContent() {
        QFETCH(QString, change);
        QFETCH(std::uint32_t, after);
        QTemporaryDir site;
        const QString f = SitePath(site) + QStringLiteral("picture.jpg");
        Put(f, "picture");
        QVERIFY(SetPublished(f));
        const QByteArray native = QFile::encodeName(f);
        timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 5}};
        if (change == QLatin1String("same size")) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write("PICTURE");
            file.close();
            QCOMPARE(::utimensat(AT_FDCWD, native.constData(), later, 0), 0);
        } else if (change == QLatin1String("longer")) {
            Put(f, "a new picture");
        } else if (change == QLatin1String("rename")) {
            const QString other = SitePath(site) + QStringLiteral("saved.tmp");
            Put(other, "new one");
            QVERIFY(::rename(QFile::encodeName(other).constData(), native.constData()) == 0);
        } else if (change == QLatin1String("touch")) {
            QCOMPARE(::utimensat(AT_FDCWD, native.constData(), later, 0), 0);
        } else if (change == QLatin1String("old mark")) {
            SetRawXattr(f, "0x20");
        } else if (change == QLatin1String("garbled")) {
            SetRawXattr(f, "0x20;seven;now");
        }
        QCOMPARE(FileAttributes(f), after);
    }

    // ---- uploads ---------------------------------------------------------------------------

    // A file becomes published after its upload only when what was sent is
    // still the file at its path.
    void uploadFileMarksOnlyWhatWasSent_data() {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("refuseAttributes");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<std::uint32_t>("after");
        QTest::addRow("nothing") << "" << false << true << std::uint32_t(kAttrArchive);
        QTest::addRow("written in place")
            << "append" << false << false << std::uint32_t(kAttrNormal);
        QTest::addRow("replaced by a save")
            << "save" << false << false << std::uint32_t(kAttrNormal);
        QTest::addRow("read-only") << "read-only" << false << true << std::uint32_t(kAttrArchive);
        QTest::addRow("no extended attributes")
            << "" << true << true << std::uint32_t(kAttrArchive);
        QTest::addRow("no extended attributes, written")
            << "append" << true << false << std::uint32_t(kAttrNormal);
    }

    void uploadFileMarksOnlyWhatWasSent() {
        QFETCH(QString, meanwhile);
        QFETCH(bool, refuseAttributes);
        QFETCH(bool, marked);
        QFETCH(std::uint32_t, after);
        testing::SimulateAttributeRefusal(refuseAttributes);
        QTemporaryDir site;
        const QString s = SitePath(site);
        const QString f = s + QStringLiteral("page.htm");
        WriteSiteFile(s, u"page.htm", "sent");
        if (meanwhile == QLatin1String("read-only"))
            QCOMPARE(::chmod(QFile::encodeName(f).constData(), 0444), 0);

        TUploadFile upload(f);
        char sent[8] = {};
        QCOMPARE(::pread(upload.Descriptor(), sent, sizeof sent, 0), ssize_t(4));
        if (meanwhile == QLatin1String("append")) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::Append));
            file.write(" and more");
        } else if (meanwhile == QLatin1String("save")) {
            WriteSiteFile(s, u"page.htm", "saved again");
        }
        QCOMPARE(upload.MarkPublished(), marked);
        QCOMPARE(FileAttributes(f), after);
        testing::SimulateAttributeRefusal(false);
    }

    void uploadFileThatCannotBeOpened() {
        QTemporaryDir site;
        QVERIFY_THROWS_EXCEPTION(Error, TUploadFile(SitePath(site) + QStringLiteral("missing")));
        QVERIFY_THROWS_EXCEPTION(Error, TUploadFile(site.path()));
    }

    // ---- listing and purge ------------------------------------------------------------------

    void listing() {
        QTemporaryDir site;
        const QString s = SitePath(site);
        Put(s + QStringLiteral("index"));
        Put(s + QStringLiteral(".htaccess"));
        SetPublished(s + QStringLiteral(".htaccess"));
        Put(s + QStringLiteral("changed.htm"));
        SetChanged(s + QStringLiteral("changed.htm"));
        Put(s + QStringLiteral("gone.jpg"));
        SetDiscarded(s + QStringLiteral("gone.jpg"));
        Put(s + QStringLiteral("system.bin"));
        SetRawXattr(s + QStringLiteral("system.bin"), "0x04");
        Put(s + QStringLiteral("hidsys.bin"));
        SetRawXattr(s + QStringLiteral("hidsys.bin"), "0x06");
        Put(s + QStringLiteral("ro.htm"));
        ::chmod(QFile::encodeName(s + QStringLiteral("ro.htm")).constData(), 0444);
        Put(s + QStringLiteral(".~quillery-index.XyZ123"));
        QVERIFY(QDir(site.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(QFile::link(s + QStringLiteral("index"), s + QStringLiteral("link")));

        const auto publish = ListSiteFiles(s, TListMode::Publish);
        QCOMPARE(Names(publish),
                 QStringList({QStringLiteral(".htaccess"), QStringLiteral("changed.htm"),
                              QStringLiteral("index"), QStringLiteral("link"),
                              QStringLiteral("ro.htm")}));
        QCOMPARE(WordIn(publish, QStringLiteral(".htaccess")), std::uint32_t(0x20));
        QCOMPARE(WordIn(publish, QStringLiteral("changed.htm")), std::uint32_t(0x80));
        QCOMPARE(WordIn(publish, QStringLiteral("ro.htm")), std::uint32_t(0x01));
        const auto all = ListSiteFiles(s, TListMode::WithHidden);
        QCOMPARE(Names(all),
                 QStringList({QStringLiteral(".htaccess"), QStringLiteral("changed.htm"),
                              QStringLiteral("gone.jpg"), QStringLiteral("index"),
                              QStringLiteral("link"), QStringLiteral("ro.htm")}));
        QCOMPARE(WordIn(all, QStringLiteral("gone.jpg")), std::uint32_t(0x02));
        QVERIFY(ListSiteFiles(s + QStringLiteral("missing/"), TListMode::Publish).empty());
    }

    void purge() {
        QTemporaryDir site;
        const QString s = SitePath(site);
        const char* names[] = {"discarded.htm",  "by-hand.jpg", "hidden-ro.jpg",
                               "hidden-sys.jpg", "changed.htm", "published.htm"};
        for (const char* n : names)
            Put(s + QString::fromLatin1(n));
        SetDiscarded(s + QStringLiteral("discarded.htm"));
        SetRawXattr(s + QStringLiteral("by-hand.jpg"), "0x02"); // hidden by hand: deleted too
        SetFileAttributes(s + QStringLiteral("hidden-ro.jpg"), kAttrHidden | kAttrReadOnly);
        SetRawXattr(s + QStringLiteral("hidden-sys.jpg"), "0x06");
        SetChanged(s + QStringLiteral("changed.htm"));
        PurgeDiscardedFiles(s);
        QCOMPARE(QDir(site.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({QStringLiteral("changed.htm"), QStringLiteral("hidden-ro.jpg"),
                              QStringLiteral("hidden-sys.jpg"), QStringLiteral("published.htm")}));
        PurgeDiscardedFiles(s + QStringLiteral("missing/")); // failures ignored
    }

    // ---- refusal of extended attributes -------------------------------------------------------

    void refusalSimulated() {
        QTemporaryDir site;
        RefusalScenario(SitePath(site), true);
    }

    void refusalOnRealRamfs() {
        QTemporaryDir mountPoint;
        const QByteArray path = QFile::encodeName(mountPoint.path());
        if (::mount("ramfs", path.constData(), "ramfs", 0, nullptr) != 0)
            QSKIP("cannot mount a ramfs here (needs root); the simulated case covers it");
        struct Unmount {
            QByteArray p;
            ~Unmount() { ::umount2(p.constData(), MNT_DETACH); }
        } unmount{path};
        RefusalScenario(mountPoint.path() + u'/', false);
    }

private:
    void RefusalScenario(const QString& s, bool simulate) {
        testing::SimulateAttributeRefusal(simulate);
        testing::ResetAttributeRefusalState();
        g_notices = 0;
        const QString mine = s + QStringLiteral("page.htm");
        const QString other = s + QStringLiteral("theirs.htm");
        const QString dropped = s + QStringLiteral("old.jpg");
        const QString hand = s + QStringLiteral("by-hand.jpg");
        Put(other);
        Put(dropped);
        Put(hand);
        // Nothing known: every file reads as changed, never as published.
        QCOMPARE(FileAttributes(other), std::uint32_t(kAttrNormal));
        QCOMPARE(g_notices, 1);
        QCOMPARE(QString::fromStdString(g_notice), QString::fromUtf8(kAttributeRefusalMessage));
        CreateDocumentSkeleton(s, u"page.htm");
        QCOMPARE(FileAttributes(mine), std::uint32_t(kAttrNormal));
        // States set in this run hold for this run.
        QVERIFY(!SetPublished(mine));
        QCOMPARE(FileAttributes(mine), std::uint32_t(kAttrArchive));
        QVERIFY(!SetDiscarded(dropped));
        QCOMPARE(FileAttributes(dropped), std::uint32_t(kAttrHidden));
        // A later write by anyone makes it changed again.
        Put(mine, "edited elsewhere, longer");
        QCOMPARE(FileAttributes(mine), std::uint32_t(kAttrNormal));
        // index and index.txt: both read changed (the safe side).
        TContentsTree tree;
        SaveContents(tree, s, QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(FileAttributes(s + QStringLiteral("index")), std::uint32_t(kAttrNormal));
        // Publishing sends every file not published in this run.
        const auto publish = ListSiteFiles(s, TListMode::Publish);
        for (const TSiteFile& f : publish)
            QVERIFY2(!IsPublishedWord(f.Attributes), qPrintable(f.Name));
        QVERIFY(!Names(publish).contains(QStringLiteral("old.jpg")));
        // Clean-up deletes what was discarded in this run, nothing else.
        PurgeDiscardedFiles(s);
        QVERIFY(!QFile::exists(dropped));
        QVERIFY(QFile::exists(mine) && QFile::exists(other) && QFile::exists(hand));
        // A new run knows nothing: still nothing deleted, all changed.
        testing::ResetAttributeRefusalState();
        PurgeDiscardedFiles(s);
        QVERIFY(QFile::exists(mine) && QFile::exists(other) && QFile::exists(hand));
        QCOMPARE(FileAttributes(mine), std::uint32_t(kAttrNormal));
        QCOMPARE(g_notices, 2); // once per run (the reset stands for a new run)
        testing::SimulateAttributeRefusal(false);
    }
};

QTEST_GUILESS_MAIN(TestSiteFolder)
#include "test_site_folder.moc"
