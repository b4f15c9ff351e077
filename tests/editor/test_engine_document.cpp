// Loading, design mode, the images and links collections and saving, on the
// real engine.
#include "editor/webengine/webengine_engine.h"
#include "store/error.h"
#include "store/text_codec.h"
#include "tests/editor/engine_fixture.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QUrl>
#include <QWebEngineView>
#include <optional>

using namespace quillery;

namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

QByteArray Cp1251(const QString& text) {
    const std::string bytes = ToCp1251(text);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

class TestEngineDocument final : public QObject {
    Q_OBJECT

private slots:
    void freshDocumentInheritsThenTurnsOn();
    void failedLoadRaisesOnce();
    void loadsFromFolderWithCyrillicAndBlanks();
    void collectionsReportFullUrls();
    void rewritingSourcesAndTargets();
    void rewriteOutOfRangeFails();
    void saveWritesWindows1251WithReferences();
    void saveLeavesNoAdapterArtefacts();
    void saveDeclaresCharsetWhereMissing();
    void saveWithoutFileFails();
    void saveKeepsBlocksOutOfParagraphs_data();
    void saveKeepsBlocksOutOfParagraphs();
    void linkClickNeverNavigates();
    void rightClickReachesHandler();
    void staleHandleFails();
    void callsFromPostedEvents();
};

void TestEngineDocument::freshDocumentInheritsThenTurnsOn() {
    EngineFixture f;
    Engine& engine = f.engine();
    engine.Navigate(QStringLiteral("about:blank"));
    engine.Navigate(f.copyFixture(QStringLiteral("document.htm")));
    QVERIFY(engine.ReadyState() < 4);
    engine.WaitForEngine();
    QCOMPARE(engine.ReadyState(), 4);
    QCOMPARE(engine.DesignMode(), QStringLiteral("Inherit"));
    engine.setDesignMode(QStringLiteral("On"));
    QCOMPARE(engine.DesignMode(), QStringLiteral("On"));
    QCOMPARE(engine.title(), QStringLiteral("Старое"));
    engine.Navigate(f.scratchPath(QStringLiteral("document.htm")));
    engine.WaitForEngine();
    QCOMPARE(engine.DesignMode(), QStringLiteral("Inherit"));
}

void TestEngineDocument::failedLoadRaisesOnce() {
    EngineFixture f;
    f.engine().Navigate(f.scratchPath(QStringLiteral("missing.htm")));
    QVERIFY_THROWS_EXCEPTION(Error, f.engine().WaitForEngine());
    f.engine().WaitForEngine();
}

void TestEngineDocument::loadsFromFolderWithCyrillicAndBlanks() {
    EngineFixture f;
    const QString folder = f.scratchPath(QStringLiteral("Мой сайт #1"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/документ 1.htm");
    QVERIFY(QFile::copy(f.copyFixture(QStringLiteral("document.htm")), path));
    f.open(path);
    QCOMPARE(f.engine().title(), QStringLiteral("Старое"));
    QCOMPARE(QUrl(f.engine().imageSources().first()).toLocalFile(),
             folder + QStringLiteral("/photo.jpg"));
    f.engine().ExecWB(WebCommand::Save);
    QVERIFY(ReadFile(path).contains(Cp1251(QStringLiteral("Привет, мир"))));
}

void TestEngineDocument::collectionsReportFullUrls() {
    EngineFixture f;
    const QString path = f.copyFixture(QStringLiteral("document.htm"));
    f.open(path);
    const QString documentUrl = QUrl::fromLocalFile(path).toString();
    const QString folderUrl =
        QUrl::fromLocalFile(f.scratchPath(QString())).toString() + QLatin1Char('/');
    QCOMPARE(f.engine().imageSources(),
             (QStringList{folderUrl + QStringLiteral("photo.jpg"),
                          QStringLiteral("http://example.com/pic.png")}));
    QCOMPARE(f.engine().linkTargets(),
             (QStringList{documentUrl + QStringLiteral("?0a1b2c3d-0000-4000-8000-00aa00bb00cd.htm"),
                          folderUrl + QStringLiteral("other.htm"),
                          QStringLiteral("http://example.com/")}));
    QCOMPARE(f.engine().image(1)->tagName(), QStringLiteral("IMG"));
    QCOMPARE(f.engine().link(0)->href(), f.engine().linkTargets().at(0));
}

void TestEngineDocument::rewritingSourcesAndTargets() {
    EngineFixture f;
    const QString path = f.copyFixture(QStringLiteral("document.htm"));
    f.open(path);
    f.engine().setImageSources({{0, QStringLiteral("копия.jpg")}});
    f.engine().setLinkTargets({{0, QStringLiteral("?x.htm")}, {2, QStringLiteral("y.htm")}});
    const QString folderUrl =
        QUrl::fromLocalFile(f.scratchPath(QString())).toString() + QLatin1Char('/');
    QCOMPARE(f.engine().imageSources().at(0),
             folderUrl + QStringLiteral("%D0%BA%D0%BE%D0%BF%D0%B8%D1%8F.jpg"));
    QCOMPARE(f.engine().linkTargets().at(2), folderUrl + QStringLiteral("y.htm"));
    f.engine().ExecWB(WebCommand::Save);
    const QByteArray saved = ReadFile(path);
    QVERIFY(saved.contains(Cp1251(QStringLiteral("src=\"копия.jpg\""))));
    QVERIFY(saved.contains("href=\"?x.htm\""));
    QVERIFY(saved.contains("href=\"y.htm\""));
}

void TestEngineDocument::rewriteOutOfRangeFails() {
    EngineFixture f;
    f.open(f.copyFixture(QStringLiteral("document.htm")));
    QVERIFY_THROWS_EXCEPTION(Error, f.engine().setImageSources({{2, QStringLiteral("a.jpg")}}));
    QVERIFY_THROWS_EXCEPTION(Error, f.engine().image(-1));
}

void TestEngineDocument::saveWritesWindows1251WithReferences() {
    EngineFixture f;
    const QString path = f.copyFixture(QStringLiteral("document.htm"));
    f.open(path);
    f.engine().setTitle(QStringLiteral("Новое"));
    f.selectText(QStringLiteral("#text"), 11, 11);
    f.engine().createRange()->pasteHTML(QStringLiteral(" — ☺ 😀 №"));
    f.engine().ExecWB(WebCommand::Save);
    const QByteArray saved = ReadFile(path);
    QVERIFY(saved.contains(Cp1251(QStringLiteral("<title>Новое</title>"))));
    QVERIFY2(saved.contains(Cp1251(QStringLiteral("Привет, мир — &#9786; &#128512; №"))),
             saved.constData());
    QVERIFY(saved.contains("content=\"text/html; charset=windows-1251\""));
    QCOMPARE(saved.count("charset"), 1);
    EngineFixture reread;
    reread.open(path);
    QCOMPARE(
        reread.script(QStringLiteral("document.getElementById('text').textContent")).toString(),
        QStringLiteral("Привет, мир — ☺ 😀 №"));
}

void TestEngineDocument::saveLeavesNoAdapterArtefacts() {
    EngineFixture f;
    const QString path = f.copyFixture(QStringLiteral("document.htm"));
    f.open(path);
    f.engine().Exec(TargetCommand::ShowZeroBorders);
    f.click(QStringLiteral("#local"));
    QCOMPARE(f.engine().selectionType(), SelectionType::Control);
    ElementPtr held = f.engine().createRange()->item(0);
    QCOMPARE(f.script(QStringLiteral("document.adoptedStyleSheets.length")).toInt(), 1);
    f.engine().ExecWB(WebCommand::Save);
    const QByteArray saved = ReadFile(path);
    for (const char* artefact : {"outline", "data-", "<style", "<script", "__q", "contenteditable"})
        QVERIFY2(!saved.contains(artefact), artefact);
    QVERIFY(saved.startsWith("<html><head>"));
}

void TestEngineDocument::saveDeclaresCharsetWhereMissing() {
    EngineFixture f;
    const QString path = f.scratchPath(QStringLiteral("bare.htm"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        Cp1251(QStringLiteral("<html><head><title>т</title></head><body>текст</body></html>")));
    file.close();
    f.open(path);
    f.engine().ExecWB(WebCommand::Save);
    QCOMPARE(ReadFile(path),
             Cp1251(QStringLiteral(
                 "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                 "charset=windows-1251\"><title>т</title></head><body>текст</body></html>")));
}

void TestEngineDocument::saveWithoutFileFails() {
    EngineFixture f;
    f.engine().Navigate(QStringLiteral("about:blank"));
    f.engine().WaitForEngine();
    QVERIFY_THROWS_EXCEPTION(Error, f.engine().ExecWB(WebCommand::Save));
    QVERIFY_THROWS_EXCEPTION(Error, f.engine().setCharset(QStringLiteral("utf-8")));
}

// What the page holds after a command, and what the file must hold so that
// opening it again gives the same page: a paragraph cannot hold a list, a
// rule or a table, and a browser reading one adds stray empty paragraphs.
void TestEngineDocument::saveKeepsBlocksOutOfParagraphs_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("build");
    QTest::addColumn<QString>("saved");
    QTest::addRow("numbered list made in a paragraph")
        << "InsertOrderedList" << QString()
        << "<ol><li>Простой текст абзаца</li></ol>\n<p id=\"bold\">";
    QTest::addRow("bulleted list made in a paragraph")
        << "InsertUnorderedList" << QString()
        << "<ul><li>Простой текст абзаца</li></ul>\n<p id=\"bold\">";
    QTest::addRow("text on both sides of a list and a rule")
        << QString()
        << "const p = document.getElementById('plain'); p.textContent = 'до';"
           "const ul = document.createElement('ul'); ul.innerHTML = '<li>пункт</li>';"
           "p.append(ul, 'между', document.createElement('hr'), ' ');"
        << "<p id=\"plain\">до</p><ul><li>пункт</li></ul><p>между</p><hr>\n<p id=\"bold\">";
}

void TestEngineDocument::saveKeepsBlocksOutOfParagraphs() {
    QFETCH(QString, command);
    QFETCH(QString, build);
    QFETCH(QString, saved);
    EngineFixture f;
    const QString path = f.copyFixture(QStringLiteral("formatting.htm"));
    f.open(path);
    f.selectText(QStringLiteral("#plain"), 2, 2);
    if (!command.isEmpty())
        static_cast<Engine&>(f.engine()).execCommand(command);
    if (!build.isEmpty())
        f.script(build);
    const QString page = f.bodyHtml();
    f.engine().ExecWB(WebCommand::Save);
    const QString file = FromCp1251(ReadFile(path).toStdString());
    QVERIFY2(file.contains(saved), qPrintable(file));
    // The page being edited stays as it was.
    QCOMPARE(f.bodyHtml(), page);
}

void TestEngineDocument::linkClickNeverNavigates() {
    EngineFixture f;
    const QString path = f.copyFixture(QStringLiteral("document.htm"));
    f.open(path);
    f.engine().setDesignMode(QStringLiteral("Off"));
    f.click(QStringLiteral("#file"));
    f.click(QStringLiteral("#site"), Qt::ControlModifier);
    QTest::qWait(300);
    auto* view = static_cast<QWebEngineView*>(f.engine().widget());
    QCOMPARE(view->url(), QUrl::fromLocalFile(path));
    QCOMPARE(f.engine().ReadyState(), 4);
}

void TestEngineDocument::rightClickReachesHandler() {
    EngineFixture f;
    f.open(f.copyFixture(QStringLiteral("document.htm")));
    QList<QPoint> points;
    f.engine().setShowContextMenu([&](const QPoint& p) { points.append(p); });
    QWidget* target = f.engine().widget()->focusProxy();
    const QPoint local(20, 20);
    QTest::mouseClick(target, Qt::RightButton, {}, local);
    QVERIFY(QTest::qWaitFor([&] { return !points.isEmpty(); }, 5000));
    QCOMPARE(points.first(), target->mapToGlobal(local));
}

void TestEngineDocument::staleHandleFails() {
    EngineFixture f;
    const QString path = f.copyFixture(QStringLiteral("document.htm"));
    f.open(path);
    ElementPtr image = f.engine().image(0);
    f.open(path);
    QVERIFY_THROWS_EXCEPTION(Error, image->tagName());
}

void TestEngineDocument::callsFromPostedEvents() {
    EngineFixture f;
    f.open(f.copyFixture(QStringLiteral("document.htm")));
    std::optional<QString> title;
    QMetaObject::invokeMethod(
        this, [&] { title = f.engine().title(); }, Qt::QueuedConnection);
    QVERIFY(QTest::qWaitFor([&] { return title.has_value(); }, 10000));
    QCOMPARE(*title, QStringLiteral("Старое"));
}

QTEST_MAIN(TestEngineDocument)
#include "test_engine_document.moc"
