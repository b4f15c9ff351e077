// The site's own pages as a visitor sees them: a copy of the sample site,
// served over HTTP from inside the test and opened in a real browser with
// scripts on, driven by real clicks and keys.
#include "store/atomic_write.h"
#include "store/contents_tree.h"
#include "store/index_file.h"
#include "store/text_codec.h"
#include "tests/site/site_browser.h"
#include "tests/site/static_http_server.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <memory>

using namespace quillery;

namespace {

const QString kFormat = QStringLiteral("dd.MM.yyyy");
const QString kGarden = QStringLiteral("3f6b2a10-5c1e-4d2b-9a7e-0b1c2d3e4f01.htm");
const QString kSorts = QStringLiteral("3f6b2a10-5c1e-4d2b-9a7e-0b1c2d3e4f02.htm");
const QString kHarvest = QStringLiteral("3f6b2a10-5c1e-4d2b-9a7e-0b1c2d3e4f03.htm");
// Added to the copy: a child whose title and note hold markup characters,
// with a thumbnail and a contents link as the program inserts it...
const QString kPrices = QStringLiteral("3f6b2a10-5c1e-4d2b-9a7e-0b1c2d3e4f04.htm");
const QString kMarkupTitle = QStringLiteral("Цены <b>и</b> сроки & скидки");
const QString kMarkupNote = QStringLiteral("Скидки <10%> & \"подарки\"");
// ...and a root whose document was never published.
const QString kDraft = QStringLiteral("3f6b2a10-5c1e-4d2b-9a7e-0b1c2d3e4f05.htm");

const QString kItems =
    QStringLiteral("[...document.querySelectorAll('#site-tree [role=treeitem]')]");
const QString kHeading =
    QStringLiteral("(document.querySelector('#site-document :is(h1, h2)') || {}).textContent");
const QString kIdle =
    QStringLiteral("!document.getElementById('site-document').hasAttribute('aria-busy')");

QString Item(const QString& title) {
    return kItems + QStringLiteral(".find(a => a.querySelector('.label').textContent === %1)")
                        .arg(JsText(title));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

QByteArray Document(const QString& title, const QString& body) {
    return QByteArray::fromStdString(
        ToCp1251(QStringLiteral("<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type "
                                "content=\"text/html; charset=windows-1251\">\r\n<TITLE>%1</TITLE>"
                                "\r\n</HEAD>\r\n<BODY>\r\n%2\r\n</BODY>\r\n</HTML>\r\n")
                     .arg(title, body)));
}

// The tree as lines of titles indented two blanks a level, in pre-order.
QStringList TreeLines(const TContentsTree& tree) {
    QStringList lines;
    for (const TTreeNode* node = tree.GetFirstNode(); node; node = node->GetNext())
        lines.append(QString(2 * node->Level(), QLatin1Char(' ')) + FromCp1251(node->Text()));
    return lines;
}

} // namespace

class TestSitePages final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sampleSiteShipsTheSitePages_data();
    void sampleSiteShipsTheSitePages();
    void treeShowsEveryNodeWithItsTitle();
    void selectingNodeShowsItsDocument_data();
    void selectingNodeShowsItsDocument();
    void addressOpensItsDocument_data();
    void addressOpensItsDocument();
    void linkShowsDocumentAndBackReturns_data();
    void linkShowsDocumentAndBackReturns();
    void titleWithMarkupIsShownAsCharacters();
    void nodeWithChildrenShowsCards();
    void pageTextsSurviveTheServersCharset_data();
    void pageTextsSurviveTheServersCharset();
    void keyboardMovesThroughTheTree_data();
    void keyboardMovesThroughTheTree();
    void phoneWidthKeepsContentsInDrawer();
    void longListsGrowWhenReached();
    void everyRequestStaysOnTheSite();

private:
    void Open(const QString& query, StaticHttpServer* server = nullptr);
    bool Shows(const QString& heading);

    QTemporaryDir m_site;
    std::unique_ptr<StaticHttpServer> m_server;
    std::unique_ptr<SiteBrowser> m_browser;
    TContentsTree m_tree;
};

void TestSitePages::initTestCase() {
    QVERIFY(m_site.isValid());
    const QDir sample(QStringLiteral(QUILLERY_SAMPLE_SITE));
    for (const QString& name : sample.entryList(QDir::Files))
        WriteFileAtomically(m_site.filePath(name), ReadAll(sample.filePath(name)));

    const QByteArray index = ReadAll(m_site.filePath(QStringLiteral("index")));
    std::vector<std::string> faults;
    ReadContents(index.toStdString(), m_tree, kFormat, QDateTime::currentDateTime(), &faults);
    QVERIFY(faults.empty());
    QCOMPARE(m_tree.NodeCount(), std::size_t(3));
    const QDateTime june(QDate(2024, 6, 1), QTime(9, 30));
    m_tree.AddChild(m_tree.Root(0), ToCp1251(kMarkupTitle),
                    {kPrices.toStdString(), "apple-thumb.jpg", ToCp1251(kMarkupNote), june});
    m_tree.AddChild(nullptr, ToCp1251(QStringLiteral("Черновик")),
                    {kDraft.toStdString(), {}, {}, june});
    SaveContents(m_tree, m_site.path() + QLatin1Char('/'), kFormat);
    WriteFileAtomically(m_site.filePath(kPrices),
                        Document(QStringLiteral("Цены"),
                                 QStringLiteral("<H2>Цены и сроки</H2>\r\n<P>Что выросло, смотрите "
                                                "на странице <A HREF=\"?%1\" TARGET=\"index\">"
                                                "Урожай 2024</A>.</P>")
                                     .arg(kHarvest)));
    m_server = std::make_unique<StaticHttpServer>(m_site.path());
}

void TestSitePages::init() {
    m_browser = std::make_unique<SiteBrowser>();
}

void TestSitePages::cleanup() {
    const QStringList errors = m_browser->Errors();
    m_browser.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

void TestSitePages::Open(const QString& query, StaticHttpServer* server) {
    m_browser->Load((server ? server : m_server.get())->Url(QStringLiteral("index.html") + query));
    QVERIFY(m_browser->WaitFor(kIdle + QStringLiteral(" && document.querySelector('#site-tree a')"
                                                      " || document.querySelector('.notice')")));
}

bool TestSitePages::Shows(const QString& heading) {
    return m_browser->WaitFor(kIdle +
                              QStringLiteral(" && %1 === %2").arg(kHeading, JsText(heading)));
}

void TestSitePages::sampleSiteShipsTheSitePages_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"index.html", "site.css", "site.js"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestSitePages::sampleSiteShipsTheSitePages() {
    QFETCH(QString, name);
    QCOMPARE(ReadAll(QStringLiteral(QUILLERY_SAMPLE_SITE "/") + name),
             ReadAll(QStringLiteral(QUILLERY_SITE_PAGES "/") + name));
}

void TestSitePages::treeShowsEveryNodeWithItsTitle() {
    Open({});
    // Open every closed branch with the mouse, as a visitor would.
    const QString closed = QStringLiteral("(document.querySelector('#site-tree "
                                          "[aria-expanded=false] .label') || {}).textContent");
    for (QString title; !(title = m_browser->Js(closed).toString()).isEmpty();) {
        m_browser->Click(Item(title) + QStringLiteral(".querySelector('.twisty')"));
        QVERIFY(m_browser->WaitFor(Item(title) +
                                   QStringLiteral(".getAttribute('aria-expanded') === 'true'")));
    }
    const QStringList shown =
        m_browser
            ->Js(kItems + QStringLiteral(".filter(a => a.offsetParent).map(a => {"
                                         "  let depth = 0;"
                                         "  for (let g = a.closest('[role=group]'); g;"
                                         "       g = g.parentElement.closest('[role=group]'))"
                                         "    ++depth;"
                                         "  return ' '.repeat(2 * depth) +"
                                         "         a.querySelector('.label').textContent; })"))
            .toStringList();
    QCOMPARE(shown, TreeLines(m_tree));
    QCOMPARE(shown.size(), 5);
    QCOMPARE(shown[0], QStringLiteral("О нашем саде"));
}

void TestSitePages::selectingNodeShowsItsDocument_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<int>("pictures");
    QTest::newRow("root with a picture") << kHarvest << QStringLiteral("О нашем саде") << kGarden
                                         << QStringLiteral("О нашем саде") << 1;
    QTest::newRow("child with a table")
        << kGarden << QStringLiteral("Наши сорта") << kSorts << QStringLiteral("Наши сорта") << 0;
    QTest::newRow("child with markup in its title")
        << kGarden << kMarkupTitle << kPrices << QStringLiteral("Цены и сроки") << 0;
    QTest::newRow("leaf root") << kGarden << QStringLiteral("Урожай 2024") << kHarvest
                               << QStringLiteral("Урожай 2024") << 0;
}

void TestSitePages::selectingNodeShowsItsDocument() {
    QFETCH(QString, from);
    QFETCH(QString, title);
    QFETCH(QString, file);
    QFETCH(QString, heading);
    QFETCH(int, pictures);
    Open(QLatin1Char('?') + from);
    m_browser->Click(Item(title) + QStringLiteral(".querySelector('.label')"));
    QVERIFY(Shows(heading));
    QCOMPARE(m_browser->Js(QStringLiteral("location.search")).toString(), QLatin1Char('?') + file);
    QCOMPARE(
        m_browser->Js(Item(title) + QStringLiteral(".getAttribute('aria-current')")).toString(),
        QStringLiteral("page"));
    QVERIFY(m_browser->Js(QStringLiteral("document.title")).toString().startsWith(title));
    const QString images = QStringLiteral("[...document.querySelectorAll('#site-document img')]");
    QCOMPARE(m_browser->Js(images + QStringLiteral(".length")).toInt(), pictures);
    QVERIFY(
        m_browser->WaitFor(images + QStringLiteral(".every(i => i.complete && i.naturalWidth)")));
}

void TestSitePages::addressOpensItsDocument_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no query: the first document")
        << QString() << QStringLiteral("О нашем саде") << QStringLiteral("О нашем саде");
    QTest::newRow("a child, its branch opened")
        << QLatin1Char('?') + kSorts << QStringLiteral("Наши сорта")
        << QStringLiteral("Наши сорта");
    QTest::newRow("upper-case letters in the name")
        << QLatin1Char('?') + kSorts.toUpper() << QStringLiteral("Наши сорта")
        << QStringLiteral("Наши сорта");
    QTest::newRow("a name not in the contents")
        << QStringLiteral("?nothing.htm") << QString()
        << QStringLiteral("Такой страницы нет в содержании сайта.");
    QTest::newRow("a document missing on the server")
        << QLatin1Char('?') + kDraft << QStringLiteral("Черновик")
        << QStringLiteral("Не удалось загрузить страницу «Черновик» (404 Not Found).");
}

void TestSitePages::addressOpensItsDocument() {
    QFETCH(QString, query);
    QFETCH(QString, current);
    QFETCH(QString, shown);
    Open(query);
    QVERIFY(m_browser->WaitFor(kIdle));
    const QString text = m_browser
                             ->Js(QStringLiteral("(document.querySelector('#site-document "
                                                 ":is(h1, h2, .notice)') || {}).textContent"))
                             .toString();
    QCOMPARE(text, shown);
    const QString marked = QStringLiteral("(document.querySelector('#site-tree [aria-current=page]"
                                          " .label') || {}).textContent || ''");
    QCOMPARE(m_browser->Js(marked).toString(), current);
    if (!current.isEmpty())
        QVERIFY(m_browser->Js(Item(current) + QStringLiteral(".offsetParent !== null")).toBool());
}

void TestSitePages::linkShowsDocumentAndBackReturns_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("fromHeading");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("toHeading");
    QTest::newRow("contents link in a document")
        << kGarden << QStringLiteral("document.querySelector('#site-document a[href^=\"?\"]')")
        << QStringLiteral("О нашем саде") << kSorts << QStringLiteral("Наши сорта");
    QTest::newRow("contents link with the target index")
        << kPrices << QStringLiteral("document.querySelector('#site-document a[target=index]')")
        << QStringLiteral("Цены и сроки") << kHarvest << QStringLiteral("Урожай 2024");
    QTest::newRow("card of a child")
        << kGarden << QStringLiteral("document.querySelector('#site-cards .card-title a')")
        << QStringLiteral("О нашем саде") << kSorts << QStringLiteral("Наши сорта");
    QTest::newRow("next page") << kSorts
                               << QStringLiteral("document.querySelector('#site-pager .next')")
                               << QStringLiteral("Наши сорта") << kPrices
                               << QStringLiteral("Цены и сроки");
    QTest::newRow("trail") << kPrices << QStringLiteral("document.querySelector('#site-trail a')")
                           << QStringLiteral("Цены и сроки") << kGarden
                           << QStringLiteral("О нашем саде");
}

void TestSitePages::linkShowsDocumentAndBackReturns() {
    QFETCH(QString, from);
    QFETCH(QString, link);
    QFETCH(QString, fromHeading);
    QFETCH(QString, to);
    QFETCH(QString, toHeading);
    Open(QLatin1Char('?') + from);
    QVERIFY(Shows(fromHeading));
    QCOMPARE(m_browser->Js(QStringLiteral("window.name")).toString(), QStringLiteral("index"));
    const int before = m_browser->Js(QStringLiteral("history.length")).toInt();
    m_browser->Click(link);
    QVERIFY(Shows(toHeading));
    const QString search = QStringLiteral("location.search");
    QCOMPARE(m_browser->Js(search).toString(), QLatin1Char('?') + to);
    QCOMPARE(m_browser->Js(QStringLiteral("history.length")).toInt(), before + 1);
    QVERIFY(m_browser->Js(QStringLiteral("document.activeElement.id")).toString() ==
            QStringLiteral("site-main"));

    m_browser->View().back();
    QVERIFY(Shows(fromHeading));
    QCOMPARE(m_browser->Js(search).toString(), QLatin1Char('?') + from);
    m_browser->View().forward();
    QVERIFY(Shows(toHeading));
    QCOMPARE(m_browser->Js(search).toString(), QLatin1Char('?') + to);
}

void TestSitePages::titleWithMarkupIsShownAsCharacters() {
    Open(QLatin1Char('?') + kPrices);
    QVERIFY(Shows(QStringLiteral("Цены и сроки")));
    const QStringList texts =
        m_browser
            ->Js(QStringLiteral("[document.querySelector('#site-tree [aria-current=page] .label'),"
                                " document.querySelector('#site-trail [aria-current=page]')]"
                                ".map(e => e.textContent)"))
            .toStringList();
    QCOMPARE(texts, QStringList({kMarkupTitle, kMarkupTitle}));
    QCOMPARE(m_browser->Js(QStringLiteral("document.title")).toString(),
             kMarkupTitle + QStringLiteral(" — О нашем саде"));
    m_browser->Click(QStringLiteral("document.querySelector('#site-trail a')"));
    QVERIFY(Shows(QStringLiteral("О нашем саде")));
    QCOMPARE(m_browser
                 ->Js(QStringLiteral("document.querySelectorAll('#site-cards .card-title')[1]"
                                     ".textContent"))
                 .toString(),
             kMarkupTitle);
    QCOMPARE(m_browser
                 ->Js(QStringLiteral("document.querySelectorAll('#site-tree b, #site-trail b, "
                                     "#site-cards b').length"))
                 .toInt(),
             0);
}

void TestSitePages::nodeWithChildrenShowsCards() {
    Open({});
    QVERIFY(Shows(QStringLiteral("О нашем саде")));
    QVERIFY(m_browser->WaitFor(QStringLiteral(
        "[...document.querySelectorAll('#site-cards img')].every(i => i.complete)")));
    const QString card = QStringLiteral(
        "[...document.querySelectorAll('#site-cards .card')].map(c => {"
        "  const img = c.querySelector('img');"
        "  return [c.querySelector('.card-title').textContent,"
        "          (c.querySelector('.card-note') || {}).textContent || '',"
        "          (c.querySelector('.card-date') || {}).textContent || '',"
        "          img ? img.getAttribute('src') + ' ' + img.naturalWidth + 'x' + img.naturalHeight"
        "              : 'no picture'].join(' | '); })");
    QCOMPARE(m_browser->Js(card).toStringList(),
             QStringList({QStringLiteral("Наши сорта | Яблони, груши, вишни | 12.05.2024 | "
                                         "no picture"),
                          kMarkupTitle + QStringLiteral(" | ") + kMarkupNote +
                              QStringLiteral(" | 01.06.2024 | apple-thumb.jpg 129x86")}));
    const QString shown = QStringLiteral("document.getElementById('%1').offsetParent !== null");
    QVERIFY(m_browser->Js(shown.arg(QStringLiteral("site-children"))).toBool());
    QVERIFY(!m_browser->Js(shown.arg(QStringLiteral("site-more-cards"))).toBool());

    m_browser->Click(Item(QStringLiteral("Урожай 2024")));
    QVERIFY(Shows(QStringLiteral("Урожай 2024")));
    QVERIFY(!m_browser->Js(shown.arg(QStringLiteral("site-children"))).toBool());
}

void TestSitePages::pageTextsSurviveTheServersCharset_data() {
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<QByteArray>("indexType"); // `index` has no extension
    const QByteArray bytes = "application/octet-stream";
    QTest::newRow("none announced") << QByteArray() << bytes;
    QTest::newRow("windows-1251 announced") << QByteArrayLiteral("windows-1251") << bytes;
    QTest::newRow("koi8-r announced") << QByteArrayLiteral("koi8-r") << bytes;
    QTest::newRow("utf-8 announced for index too")
        << QByteArrayLiteral("utf-8") << QByteArrayLiteral("text/plain");
}

void TestSitePages::pageTextsSurviveTheServersCharset() {
    QFETCH(QByteArray, charset);
    QFETCH(QByteArray, indexType);
    StaticHttpServer server(m_site.path(), charset);
    server.SetDefaultType(indexType);
    Open({}, &server);
    QVERIFY(Shows(QStringLiteral("О нашем саде")));
    // The site's name: the first root's title, in the header and the title.
    QCOMPARE(m_browser->Js(QStringLiteral("document.title")).toString(),
             QStringLiteral("О нашем саде"));
    const QStringList texts =
        m_browser
            ->Js(
                QStringLiteral("['#site-contents-heading', '#site-brand', '#site-children-heading',"
                               " '#site-tree .label', '.pager-label']"
                               ".map(s => document.querySelector(s).textContent)"))
            .toStringList();
    QCOMPARE(texts, QStringList({QStringLiteral("Содержание"), QStringLiteral("О нашем саде"),
                                 QStringLiteral("В этом разделе"), QStringLiteral("О нашем саде"),
                                 QStringLiteral("Дальше →")}));
}

void TestSitePages::keyboardMovesThroughTheTree_data() {
    QTest::addColumn<QString>("keys"); // pressed in turn
    QTest::addColumn<QString>("focused");
    QTest::addColumn<bool>("gardenOpen");
    QTest::addColumn<QString>("shown");
    const QString harvest = QStringLiteral("Урожай 2024");
    const QString garden = QStringLiteral("О нашем саде");
    const QString sorts = QStringLiteral("Наши сорта");
    QTest::newRow("tab reaches the current item") << QString() << harvest << false << harvest;
    QTest::newRow("down") << QStringLiteral("Down") << QStringLiteral("Черновик") << false
                          << harvest;
    QTest::newRow("home") << QStringLiteral("Home") << garden << false << harvest;
    QTest::newRow("right opens, right enters")
        << QStringLiteral("Home Right Right") << sorts << true << harvest;
    QTest::newRow("down passes through an open branch")
        << QStringLiteral("Home Right Down Down") << kMarkupTitle << true << harvest;
    QTest::newRow("left goes to the parent, left closes")
        << QStringLiteral("Home Right Right Left Left") << garden << false << harvest;
    QTest::newRow("up from a closed branch skips its children")
        << QStringLiteral("Up") << garden << false << harvest;
    QTest::newRow("end") << QStringLiteral("Home End") << QStringLiteral("Черновик") << false
                         << harvest;
    QTest::newRow("asterisk opens the siblings")
        << QStringLiteral("*") << harvest << true << harvest;
    QTest::newRow("enter opens the document")
        << QStringLiteral("Home Right Right Return") << sorts << true << sorts;
    QTest::newRow("space opens the document")
        << QStringLiteral("Home Space") << garden << true << garden;
    QTest::newRow("a letter finds the next title")
        << QStringLiteral("Home у") << harvest << false << harvest;
}

void TestSitePages::keyboardMovesThroughTheTree() {
    QFETCH(QString, keys);
    QFETCH(QString, focused);
    QFETCH(bool, gardenOpen);
    QFETCH(QString, shown);
    Open(QLatin1Char('?') + kHarvest);
    QVERIFY(Shows(QStringLiteral("Урожай 2024")));
    m_browser->Js(QStringLiteral("document.getElementById('site-brand').focus()"));
    m_browser->Press(QStringLiteral("Tab"));
    for (const QString& key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        m_browser->Press(key);
    const QString active = QStringLiteral("(document.activeElement.querySelector('.label') || {})"
                                          ".textContent === %1")
                               .arg(JsText(focused));
    QVERIFY2(
        m_browser->WaitFor(active),
        qPrintable(m_browser->Js(QStringLiteral("document.activeElement.textContent")).toString()));
    QVERIFY(Shows(shown));
    QCOMPARE(m_browser
                 ->Js(Item(QStringLiteral("О нашем саде")) +
                      QStringLiteral(".getAttribute('aria-expanded')"))
                 .toString(),
             gardenOpen ? QStringLiteral("true") : QStringLiteral("false"));
    // One tab stop in the tree, on the focused item.
    QCOMPARE(m_browser
                 ->Js(QStringLiteral("document.querySelectorAll('#site-tree [tabindex=\"0\"]')"
                                     ".length"))
                 .toInt(),
             1);
    QVERIFY(m_browser->Js(QStringLiteral("document.activeElement.tabIndex === 0")).toBool());
}

void TestSitePages::phoneWidthKeepsContentsInDrawer() {
    m_browser = std::make_unique<SiteBrowser>(QSize(390, 800));
    Open({});
    QVERIFY(Shows(QStringLiteral("О нашем саде")));
    const QString drawer =
        QStringLiteral("getComputedStyle(document.getElementById('site-contents')).visibility");
    const QString toggle = QStringLiteral("document.getElementById('site-contents-toggle')");
    QCOMPARE(m_browser->Js(drawer).toString(), QStringLiteral("hidden"));
    QVERIFY(m_browser->Js(QStringLiteral("document.documentElement.scrollWidth <= innerWidth"))
                .toBool());

    m_browser->Click(toggle);
    QVERIFY(m_browser->WaitFor(drawer + QStringLiteral(" === 'visible'")));
    QCOMPARE(m_browser->Js(toggle + QStringLiteral(".getAttribute('aria-expanded')")).toString(),
             QStringLiteral("true"));
    QVERIFY(m_browser->Js(QStringLiteral("document.activeElement.getAttribute('aria-current')"))
                .toString() == QStringLiteral("page"));
    QTest::qWait(300); // the drawer slides in
    m_browser->Click(Item(QStringLiteral("Урожай 2024")));
    QVERIFY(Shows(QStringLiteral("Урожай 2024")));
    QVERIFY(m_browser->WaitFor(drawer + QStringLiteral(" === 'hidden'")));

    m_browser->Click(toggle);
    QVERIFY(m_browser->WaitFor(drawer + QStringLiteral(" === 'visible'")));
    m_browser->Press(QStringLiteral("Esc"));
    QVERIFY(m_browser->WaitFor(drawer + QStringLiteral(" === 'hidden'")));
    QVERIFY(m_browser->Js(QStringLiteral("document.activeElement === ") + toggle).toBool());
}

// A site whose lists are longer than the page shows at first: 300 roots, the
// first with 150 children.
void TestSitePages::longListsGrowWhenReached() {
    QTemporaryDir folder;
    const QString site = folder.path() + QLatin1Char('/');
    TContentsTree tree;
    const auto file = [](int i) {
        return QStringLiteral("page%1.htm").arg(i);
    };
    for (int i = 0; i < 300; ++i)
        tree.AddChild(nullptr, ToCp1251(QStringLiteral("Раздел %1").arg(i)),
                      {file(i).toStdString(), {}, {}, QDateTime::currentDateTime()});
    for (int i = 0; i < 150; ++i)
        tree.AddChild(tree.Root(0), ToCp1251(QStringLiteral("Страница %1").arg(i)),
                      {file(1000 + i).toStdString(), {}, {}, QDateTime::currentDateTime()});
    SaveContents(tree, site, kFormat);
    for (const int i : {0, 299})
        WriteFileAtomically(site + file(i), Document(QStringLiteral("Раздел"),
                                                     QStringLiteral("<H1>Раздел %1</H1>").arg(i)));
    for (const char* name : {"index.html", "site.css", "site.js"})
        WriteFileAtomically(
            site + QString::fromLatin1(name),
            ReadAll(QStringLiteral(QUILLERY_SITE_PAGES "/") + QString::fromLatin1(name)));
    StaticHttpServer server(site);

    // The address names a root far down the list: it is shown and marked.
    Open(QLatin1Char('?') + file(299), &server);
    QVERIFY(Shows(QStringLiteral("Раздел 299")));
    const QString marked =
        QStringLiteral("document.querySelector('#site-tree [aria-current=page]')");
    QCOMPARE(m_browser->Js(marked + QStringLiteral(".textContent")).toString(),
             QStringLiteral("Раздел 299"));
    QCOMPARE(m_browser
                 ->Js(marked + QStringLiteral(".getAttribute('aria-posinset') + '/' + ") + marked +
                      QStringLiteral(".getAttribute('aria-setsize')"))
                 .toString(),
             QStringLiteral("300/300"));

    // Home, then End: the keyboard reaches the last root of the long list.
    Open({}, &server);
    QVERIFY(Shows(QStringLiteral("Раздел 0")));
    const QString items = QStringLiteral("document.querySelectorAll('#site-tree [role=treeitem]')");
    QVERIFY(m_browser->Js(items + QStringLiteral(".length")).toInt() < 450);
    m_browser->Js(marked + QStringLiteral(".focus()"));
    m_browser->Press(QStringLiteral("End"));
    QVERIFY(
        m_browser->WaitFor(QStringLiteral("document.activeElement.textContent === 'Раздел 299'")));

    // Scrolling down the contents pane, a screen at a time, shows every item
    // on the way.
    const QString pane = QStringLiteral("document.getElementById('site-contents')");
    m_browser->Js(pane + QStringLiteral(".scrollTop = 0"));
    for (int i = 0; i < 200 && !m_browser
                                    ->Js(pane + QStringLiteral(".scrollTop + ") + pane +
                                         QStringLiteral(".clientHeight >= ") + pane +
                                         QStringLiteral(".scrollHeight"))
                                    .toBool();
         ++i) {
        m_browser->Js(pane + QStringLiteral(".scrollTop += ") + pane +
                      QStringLiteral(".clientHeight"));
        QTest::qWait(50);
    }
    QCOMPARE(m_browser->Js(items + QStringLiteral(".length")).toInt(), 450);
    QCOMPARE(
        m_browser->Js(QStringLiteral("document.querySelectorAll('.tree-more').length")).toInt(), 0);

    // Cards come in portions, with a button for the next one.
    const QString cards = QStringLiteral("document.querySelectorAll('#site-cards .card').length");
    const QString more = QStringLiteral("document.getElementById('site-more-cards')");
    // Each press shows the next portion and takes the focus to its first card.
    for (int shown = m_browser->Js(cards).toInt(), presses = 0; shown < 150; ++presses) {
        QVERIFY(shown > 0 && presses < 150);
        QCOMPARE(m_browser->Js(more + QStringLiteral(".textContent")).toString(),
                 QStringLiteral("Показать ещё (%1)").arg(150 - shown));
        m_browser->Click(more);
        QVERIFY(m_browser->WaitFor(cards + QStringLiteral(" > %1").arg(shown)));
        QCOMPARE(m_browser->Js(QStringLiteral("document.activeElement.textContent")).toString(),
                 QStringLiteral("Страница %1").arg(shown));
        shown = m_browser->Js(cards).toInt();
    }
    QCOMPARE(m_browser->Js(cards).toInt(), 150);
    QVERIFY(m_browser->Js(more + QStringLiteral(".offsetParent === null")).toBool());
}

void TestSitePages::everyRequestStaysOnTheSite() {
    Open({});
    QVERIFY(Shows(QStringLiteral("О нашем саде")));
    m_browser->Click(Item(QStringLiteral("Наши сорта")));
    QVERIFY(Shows(QStringLiteral("Наши сорта")));
    const QString site = m_server->Url().toString();
    QVERIFY(m_browser->Requested().size() >= 6);
    for (const QString& url : m_browser->Requested())
        QVERIFY2(url.startsWith(site), qPrintable(url));
    QVERIFY(m_server->Requests().contains(QStringLiteral("/index")));
}

QTEST_MAIN(TestSitePages)
#include "test_site_pages.moc"
