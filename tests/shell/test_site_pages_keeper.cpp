// The site's own pages kept in a site as it is opened: a new site gets them,
// an existing one without them is offered them once, unmodified old copies
// are updated and copies edited by hand are left alone. The program's own
// copy is the one the build puts beside the program.
#include "shell/site_pages_keeper.h"
#include "store/error.h"
#include "store/settings_store.h"
#include "store/site_folder.h"
#include "store/site_pages.h"
#include "tests/shell/shell_fixture.h"

#include <QTest>

using namespace quillery;

namespace {

const QString kShipped = QStringLiteral(QUILLERY_SHIPPED_PAGES);

TSitePage Shipped(const QString& name) {
    for (const TSitePage& page : ReadShippedPages(kShipped).Pages)
        if (page.Name == name)
            return page;
    qFatal("no shipped page %s", qPrintable(name));
}

// A copy as an earlier or later version of the program wrote it: marked
// with that version, the text being content.
QByteArray MarkedAs(int version, const QString& name, const QByteArray& content) {
    QByteArray marked = MarkedPage({name, content});
    marked.replace("Quillery site pages " + QByteArray::number(kSitePagesVersion) + " sha256:",
                   "Quillery site pages " + QByteArray::number(version) + " sha256:");
    return marked;
}

void WriteIndex(SiteFixture& site) {
    site.WriteFlatIndex({{QStringLiteral("Главная"), QStringLiteral("a.htm")}});
}

} // namespace

class TestSitePagesKeeper final : public QObject {
    Q_OBJECT

private slots:
    void newSiteGetsEveryPageChanged();
    void siteWithoutPagesIsOfferedThemOnce_data();
    void siteWithoutPagesIsOfferedThemOnce();
    void unmodifiedOldCopyIsUpdated_data();
    void unmodifiedOldCopyIsUpdated();
    void copyEditedByHandIsLeftAloneAndToldOnce();
    void copyOfALaterVersionIsLeftAlone_data();
    void copyOfALaterVersionIsLeftAlone();
    void missingProgramCopyIsReported();
};

void TestSitePagesKeeper::newSiteGetsEveryPageChanged() {
    SiteFixture site;
    KeepSitePages(site.SitePath(), true, kShipped, site.asker);
    for (const TSitePage& page : ReadShippedPages(kShipped).Pages) {
        const QString path = site.SiteFile(page.Name);
        QCOMPARE(SiteFixture::ReadFile(path), MarkedPage(page));
        QCOMPARE(ExamineSiteCopy(site.SitePath(), page), TSiteCopy::Current);
        QCOMPARE(FileAttributes(path), std::uint32_t(kAttrNormal));
    }
    QVERIFY(site.asker.questions.isEmpty());
    QVERIFY(site.asker.warnings.isEmpty());
}

void TestSitePagesKeeper::siteWithoutPagesIsOfferedThemOnce_data() {
    QTest::addColumn<bool>("answer");
    QTest::newRow("Да adds the missing ones") << true;
    QTest::newRow("Нет is remembered") << false;
}

void TestSitePagesKeeper::siteWithoutPagesIsOfferedThemOnce() {
    QFETCH(bool, answer);
    SiteFixture site;
    WriteIndex(site);
    // One page is there already and stays as it is, published.
    const TSitePage css = Shipped(QStringLiteral("site.css"));
    SiteFixture::WriteFile(site.SiteFile(css.Name), MarkedPage(css));
    QVERIFY(SetPublished(site.SiteFile(css.Name)));
    site.asker.answers = {answer};
    KeepSitePages(site.SitePath(), false, kShipped, site.asker);
    QCOMPARE(site.asker.questions.size(), 1);
    QVERIFY(site.asker.questions.front().contains(QStringLiteral("index.html, site.js")));
    QVERIFY(!site.asker.questions.front().contains(css.Name));
    for (const QString& name : {QStringLiteral("index.html"), QStringLiteral("site.js")}) {
        QCOMPARE(QFile::exists(site.SiteFile(name)), answer);
        if (answer)
            QCOMPARE(FileAttributes(site.SiteFile(name)), std::uint32_t(kAttrNormal));
    }
    QCOMPARE(FileAttributes(site.SiteFile(css.Name)), std::uint32_t(kAttrArchive));

    // Never asked again for this site, whatever is missing then.
    QFile::remove(site.SiteFile(QStringLiteral("index.html")));
    KeepSitePages(site.SitePath(), false, kShipped, site.asker);
    QCOMPARE(site.asker.questions.size(), 1);
    QVERIFY(!QFile::exists(site.SiteFile(QStringLiteral("index.html"))));
    QCOMPARE(TIniView(SiteKeyPath(site.SitePath()))
                 .ReadText(QLatin1String(kSectionSitePages), QLatin1String(kEntryOffer)),
             answer ? QStringLiteral("yes") : QStringLiteral("no"));
}

void TestSitePagesKeeper::unmodifiedOldCopyIsUpdated_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("copy");
    const TSitePage js = Shipped(QStringLiteral("site.js"));
    const TSitePage html = Shipped(QStringLiteral("index.html"));
    QTest::newRow("marked by an earlier version")
        << js.Name << MarkedAs(kSitePagesVersion - 1, js.Name, "// an earlier site.js\n");
    QTest::newRow("earlier text of this version")
        << html.Name << MarkedPage({html.Name, "<!DOCTYPE html>\n<title>old</title>\n"});
    QTest::newRow("copied by hand, without a mark") << js.Name << js.Content;
}

void TestSitePagesKeeper::unmodifiedOldCopyIsUpdated() {
    QFETCH(QString, name);
    QFETCH(QByteArray, copy);
    SiteFixture site;
    WriteIndex(site);
    KeepSitePages(site.SitePath(), true, kShipped, site.asker);
    SiteFixture::WriteFile(site.SiteFile(name), copy);
    SetPublished(site.SiteFile(name)); // as a publishing run leaves it
    KeepSitePages(site.SitePath(), false, kShipped, site.asker);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(name)), MarkedPage(Shipped(name)));
    QCOMPARE(FileAttributes(site.SiteFile(name)), std::uint32_t(kAttrNormal));
    QVERIFY(site.asker.questions.isEmpty());
    QVERIFY(site.asker.warnings.isEmpty());
}

void TestSitePagesKeeper::copyEditedByHandIsLeftAloneAndToldOnce() {
    SiteFixture site;
    WriteIndex(site);
    KeepSitePages(site.SitePath(), true, kShipped, site.asker);
    const TSitePage css = Shipped(QStringLiteral("site.css"));
    QByteArray edited = MarkedAs(kSitePagesVersion - 1, css.Name, "body { color: red; }\n");
    edited.replace("red", "navy");
    SiteFixture::WriteFile(site.SiteFile(css.Name), edited);
    SetPublished(site.SiteFile(css.Name));
    KeepSitePages(site.SitePath(), false, kShipped, site.asker);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(css.Name)), edited);
    QCOMPARE(FileAttributes(site.SiteFile(css.Name)), std::uint32_t(kAttrArchive));
    QCOMPARE(site.asker.warnings.size(), 1);
    QVERIFY(site.asker.warnings.front().contains(css.Name));
    QVERIFY(site.asker.warnings.front().contains(kShipped));

    KeepSitePages(site.SitePath(), false, kShipped, site.asker);
    QCOMPARE(site.asker.warnings.size(), 1);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(css.Name)), edited);
}

void TestSitePagesKeeper::copyOfALaterVersionIsLeftAlone_data() {
    QTest::addColumn<QByteArray>("copy");
    QTest::newRow("unmodified") << MarkedAs(kSitePagesVersion + 1, QStringLiteral("site.js"),
                                            "// a later site.js\n");
    QByteArray edited =
        MarkedAs(kSitePagesVersion + 1, QStringLiteral("site.js"), "// a later site.js\n");
    QTest::newRow("edited") << edited.replace("later", "LATER");
}

void TestSitePagesKeeper::copyOfALaterVersionIsLeftAlone() {
    QFETCH(QByteArray, copy);
    SiteFixture site;
    WriteIndex(site);
    KeepSitePages(site.SitePath(), true, kShipped, site.asker);
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("site.js")), copy);
    KeepSitePages(site.SitePath(), false, kShipped, site.asker);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(QStringLiteral("site.js"))), copy);
    QVERIFY(site.asker.warnings.isEmpty());
}

void TestSitePagesKeeper::missingProgramCopyIsReported() {
    SiteFixture site;
    QVERIFY_THROWS_EXCEPTION(Error, KeepSitePages(site.SitePath(), true, QString(), site.asker));
    QVERIFY_THROWS_EXCEPTION(Error,
                             KeepSitePages(site.SitePath(), true, site.OutsidePath(), site.asker));
    QVERIFY(site.SiteFileNames().isEmpty());
}

QTEST_MAIN(TestSitePagesKeeper)
#include "test_site_pages_keeper.moc"
