// Selections, ranges and the command set with the meanings the editing
// commands rely on, on the real engine.
#include "store/error.h"
#include "tests/editor/engine_fixture.h"

#include <QTest>
#include <optional>

using namespace quillery;

class TestEngineCommands final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void selectionTypes_data();
    void selectionTypes();
    void controlRangeOfPicture();
    void controlRangeDeleteRemovesTable();
    void controlParentOuterHtmlReplaced();
    void controlSelectionEndsWhenCaretMoves();
    void rightClickSeesObjectSelection_data();
    void rightClickSeesObjectSelection();
    void textRangeHtmlAndKeptPaste();
    void rangeKindMismatchFails();
    void commandValues_data();
    void commandValues();
    void writtenValuesReadBack();
    void blockFormatsMatchFormatBlock();
    void createLinkWithoutDialog();
    void createLinkAroundPictureObject();
    void zeroBorderOutlineToggles();
    void cutAndPaste();
    void unknownCommandFails();

private:
    std::unique_ptr<EngineFixture> m_fixture;
    Engine& engine() { return m_fixture->engine(); }
};

void TestEngineCommands::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("editing.htm")));
}

void TestEngineCommands::cleanup() {
    m_fixture.reset();
}

void TestEngineCommands::selectionTypes_data() {
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<SelectionType>("type");
    QTest::addRow("caret") << "" << false << 3 << 3 << SelectionType::None;
    QTest::addRow("text") << "" << false << 0 << 5 << SelectionType::Text;
    QTest::addRow("picture clicked") << "#img" << false << 0 << 0 << SelectionType::Control;
    QTest::addRow("table ctrl-clicked") << "#c12" << true << 0 << 0 << SelectionType::Control;
    QTest::addRow("cell clicked plainly") << "#c12" << false << 0 << 0 << SelectionType::None;
}

void TestEngineCommands::selectionTypes() {
    QFETCH(QString, click);
    QFETCH(bool, ctrl);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(SelectionType, type);
    if (click.isEmpty())
        m_fixture->selectText(QStringLiteral("#body"), from, to);
    else
        m_fixture->click(click, ctrl ? Qt::ControlModifier : Qt::NoModifier);
    QCOMPARE(engine().selectionType(), type);
    QCOMPARE(engine().createRange()->isControl(), type == SelectionType::Control);
}

void TestEngineCommands::controlRangeOfPicture() {
    m_fixture->click(QStringLiteral("#img"));
    RangePtr range = engine().createRange();
    QCOMPARE(range->length(), 1);
    QCOMPARE(range->item(0)->tagName(), QStringLiteral("IMG"));
    QCOMPARE(range->commonParentElement()->tagName(), QStringLiteral("IMG"));
    QCOMPARE(range->item(0)->parentElement()->tagName(), QStringLiteral("P"));
    QVERIFY_THROWS_EXCEPTION(Error, range->item(1));
    range->execCommand(QStringLiteral("Delete"));
    QCOMPARE(m_fixture->script(QStringLiteral("document.getElementById('picture').innerHTML")),
             QVariant(QStringLiteral("допосле")));
    QCOMPARE(engine().selectionType(), SelectionType::None);
}

void TestEngineCommands::controlRangeDeleteRemovesTable() {
    m_fixture->click(QStringLiteral("#innercell"), Qt::ControlModifier);
    RangePtr range = engine().createRange();
    QCOMPARE(range->item(0)->tagName(), QStringLiteral("TABLE"));
    QVERIFY(range->item(0)->outerHTML().startsWith(QStringLiteral("<table id=\"inner\"")));
    range->execCommand(QStringLiteral("Delete"));
    QCOMPARE(m_fixture->script(QStringLiteral("document.getElementById('inner')")), QVariant());
    QVERIFY(
        m_fixture->script(QStringLiteral("document.getElementById('outer') !== null")).toBool());
    engine().ExecWB(WebCommand::Undo);
    QVERIFY(
        m_fixture->script(QStringLiteral("document.getElementById('inner') !== null")).toBool());
}

void TestEngineCommands::controlParentOuterHtmlReplaced() {
    m_fixture->click(QStringLiteral("#img"));
    RangePtr kept = engine().createRange();
    ElementPtr parent = kept->commonParentElement();
    QCOMPARE(parent->outerHTML(),
             QStringLiteral("<img id=\"img\" src=\"photo.jpg\" width=\"60\" height=\"40\">"));
    parent->setOuterHTML(QStringLiteral("<b>вместо</b>"));
    QCOMPARE(m_fixture->script(QStringLiteral("document.getElementById('picture').innerHTML")),
             QVariant(QStringLiteral("до<b>вместо</b>после")));
}

void TestEngineCommands::controlSelectionEndsWhenCaretMoves() {
    m_fixture->click(QStringLiteral("#img"));
    QCOMPARE(engine().selectionType(), SelectionType::Control);
    m_fixture->click(QStringLiteral("#last"));
    QCOMPARE(engine().selectionType(), SelectionType::None);
    QCOMPARE(
        m_fixture->script(QStringLiteral("document.adoptedStyleSheets[0].cssRules.length")).toInt(),
        0);
}

// What is clicked first (with Ctrl for a table), where the right click goes,
// and the selection the context-menu handler then finds.
void TestEngineCommands::rightClickSeesObjectSelection_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("right");
    QTest::addColumn<SelectionType>("type");
    QTest::addColumn<QString>("item");
    QTest::addRow("selected picture") << "#img"
                                      << "#img" << SelectionType::Control << "IMG";
    QTest::addRow("unselected picture") << "#last"
                                        << "#img" << SelectionType::Control << "IMG";
    QTest::addRow("inside selected table") << "#innercell"
                                           << "#innercell" << SelectionType::Control << "TABLE";
    QTest::addRow("text") << "#last"
                          << "#body" << SelectionType::None << "";
}

void TestEngineCommands::rightClickSeesObjectSelection() {
    QFETCH(QString, first);
    QFETCH(QString, right);
    QFETCH(SelectionType, type);
    QFETCH(QString, item);
    std::optional<SelectionType> seen;
    QString seenItem;
    engine().setShowContextMenu([&](const QPoint&) {
        // The menu asks the engine synchronously from inside the request.
        seen = engine().selectionType();
        if (seen == SelectionType::Control)
            seenItem = engine().createRange()->item(0)->tagName();
        engine().queryCommandEnabled(QStringLiteral("JustifyLeft"));
    });
    m_fixture->click(first, item == QLatin1String("TABLE") ? Qt::ControlModifier : Qt::NoModifier);
    m_fixture->click(right, {}, Qt::RightButton);
    QVERIFY(QTest::qWaitFor([&] { return seen.has_value(); }, 5000));
    QCOMPARE(*seen, type);
    QCOMPARE(seenItem, item);
}

void TestEngineCommands::textRangeHtmlAndKeptPaste() {
    m_fixture->selectText(QStringLiteral("#c11"), 0, 3);
    RangePtr kept = engine().createRange();
    // The bold element holding the whole range comes with it.
    QCOMPARE(kept->htmlText(), QStringLiteral("<b id=\"bold\">жир</b>"));
    QCOMPARE(kept->parentElement()->tagName(), QStringLiteral("B"));
    m_fixture->selectText(QStringLiteral("#sizes"), 2, 10);
    QCOMPARE(engine().createRange()->htmlText(),
             QStringLiteral("<font size=\"2\">лкий</font> <font size=\"5\">кру</font>"));
    QCOMPARE(engine().createRange()->parentElement()->tagName(), QStringLiteral("P"));
    m_fixture->selectText(QStringLiteral("#c11"), 0, 3);
    kept = engine().createRange();
    m_fixture->selectText(QStringLiteral("#last"), 0, 0);
    kept->pasteHTML(QStringLiteral("<i>курсив</i>"));
    QCOMPARE(m_fixture->script(QStringLiteral("document.getElementById('c11').textContent")),
             QVariant(QStringLiteral("курсивный")));
    m_fixture->selectText(QStringLiteral("#last"), 2, 2);
    QCOMPARE(engine().createRange()->htmlText(), QString());
}

void TestEngineCommands::rangeKindMismatchFails() {
    m_fixture->selectText(QStringLiteral("#body"), 0, 3);
    RangePtr text = engine().createRange();
    QVERIFY_THROWS_EXCEPTION(Error, text->item(0));
    m_fixture->click(QStringLiteral("#img"));
    RangePtr control = engine().createRange();
    QVERIFY_THROWS_EXCEPTION(Error, control->pasteHTML(QStringLiteral("x")));
}

// Where the selection lies, the command, and its value: an invalid QVariant
// is Null.
void TestEngineCommands::commandValues_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QVariant>("value");
    QTest::addRow("size 2") << "#sizes" << 1 << 3 << "FontSize" << QVariant(2);
    QTest::addRow("size 5 at caret") << "#sizes" << 10 << 10 << "FontSize" << QVariant(5);
    QTest::addRow("default size 3") << "#body" << 1 << 1 << "FontSize" << QVariant(3);
    QTest::addRow("mixed sizes") << "#sizes" << 2 << 10 << "FontSize" << QVariant();
    QTest::addRow("default font") << "#body" << 1 << 1 << "FontName"
                                  << QVariant(QStringLiteral("Times New Roman"));
    QTest::addRow("orange as BBGGRR") << "#colors" << 1 << 4 << "ForeColor" << QVariant(0x0080ff);
    QTest::addRow("black text") << "#body" << 1 << 3 << "ForeColor" << QVariant(0);
    QTest::addRow("mixed colours") << "#colors" << 5 << 12 << "ForeColor" << QVariant();
    QTest::addRow("blue highlight") << "#colors" << 12 << 14 << "BackColor" << QVariant(0xff0000);
    QTest::addRow("no highlight is white")
        << "#body" << 1 << 1 << "BackColor" << QVariant(0xffffff);
    QTest::addRow("mixed highlight") << "#colors" << 5 << 14 << "BackColor" << QVariant();
    QTest::addRow("centred") << "#centered" << 1 << 1 << "JustifyCenter" << QVariant(true);
    QTest::addRow("not centred") << "#body" << 1 << 1 << "JustifyCenter" << QVariant(false);
    QTest::addRow("left") << "#body" << 1 << 1 << "JustifyLeft" << QVariant(true);
    QTest::addRow("mixed alignment") << "#body" << 3 << 50 << "JustifyCenter" << QVariant();
    QTest::addRow("heading") << "#heading" << 1 << 1 << "FormatBlock"
                             << QVariant(QStringLiteral("Заголовок 2"));
    QTest::addRow("paragraph") << "#body" << 1 << 1 << "FormatBlock"
                               << QVariant(QStringLiteral("Обычный"));
}

void TestEngineCommands::commandValues() {
    QFETCH(QString, where);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, command);
    QFETCH(QVariant, value);
    if (to == 50) {
        // From the first paragraph into the centred one.
        m_fixture->script(
            QStringLiteral("(() => { const r = document.createRange(); "
                           "r.setStart(document.getElementById('body').firstChild, 3); "
                           "r.setEnd(document.getElementById('centered').firstChild, 3); "
                           "getSelection().removeAllRanges(); getSelection().addRange(r); })()"));
    } else {
        m_fixture->selectText(where, from, to);
    }
    const QVariant actual = engine().queryCommandValue(command);
    QCOMPARE(IsNull(actual), IsNull(value));
    if (!IsNull(value))
        QCOMPARE(actual, value);
}

void TestEngineCommands::writtenValuesReadBack() {
    m_fixture->selectText(QStringLiteral("#body"), 0, 6);
    engine().execCommand(QStringLiteral("FontSize"), false, QVariant::fromValue<quint8>(6));
    engine().execCommand(QStringLiteral("ForeColor"), false, 0x3366cc);
    engine().execCommand(QStringLiteral("FontName"), false, QStringLiteral("Arial"));
    QCOMPARE(engine().queryCommandValue(QStringLiteral("FontSize")), QVariant(6));
    QCOMPARE(engine().queryCommandValue(QStringLiteral("ForeColor")), QVariant(0x3366cc));
    QCOMPARE(engine().queryCommandValue(QStringLiteral("FontName")),
             QVariant(QStringLiteral("Arial")));
    engine().execCommand(QStringLiteral("Bold"));
    QVERIFY(engine().queryCommandState(QStringLiteral("Bold")));
    engine().execCommand(QStringLiteral("Underline"));
    QVERIFY(engine().queryCommandState(QStringLiteral("UnderLine")));
    engine().execCommand(QStringLiteral("JustifyCenter"));
    QCOMPARE(engine().queryCommandValue(QStringLiteral("JustifyCenter")), QVariant(true));
    engine().execCommand(QStringLiteral("JustifyNone"));
    QCOMPARE(engine().queryCommandValue(QStringLiteral("JustifyCenter")), QVariant(false));
    QCOMPARE(engine().queryCommandValue(QStringLiteral("JustifyLeft")), QVariant(true));
    const QString html =
        m_fixture->script(QStringLiteral("document.getElementById('body').outerHTML")).toString();
    QVERIFY2(html.contains(QStringLiteral("size=\"6\"")), qPrintable(html));
    QVERIFY2(html.contains(QStringLiteral("#cc6633")), qPrintable(html));
}

void TestEngineCommands::blockFormatsMatchFormatBlock() {
    const QStringList formats = engine().Exec(TargetCommand::BlockFormats);
    QVERIFY(formats.contains(QStringLiteral("Обычный")));
    QVERIFY(formats.contains(QStringLiteral("Заголовок 1")));
    m_fixture->selectText(QStringLiteral("#body"), 1, 1);
    for (const QString& name : formats) {
        engine().execCommand(QStringLiteral("FormatBlock"), false, name);
        QCOMPARE(engine().queryCommandValue(QStringLiteral("FormatBlock")), QVariant(name));
    }
    QVERIFY_THROWS_EXCEPTION(Error, engine().execCommand(QStringLiteral("FormatBlock"), false,
                                                         QStringLiteral("Heading 1")));
}

void TestEngineCommands::createLinkWithoutDialog() {
    m_fixture->selectText(QStringLiteral("#body"), 0, 6);
    engine().execCommand(QStringLiteral("CreateLink"), false, QStringLiteral("?doc.htm"));
    const QString html =
        m_fixture->script(QStringLiteral("document.getElementById('body').innerHTML")).toString();
    QCOMPARE(html, QStringLiteral("<a href=\"?doc.htm\">Просто</a> текст абзаца"));
}

void TestEngineCommands::createLinkAroundPictureObject() {
    m_fixture->click(QStringLiteral("#img"));
    engine().execCommand(QStringLiteral("CreateLink"), false,
                         QStringLiteral("c:\\photos\\big.jpg"));
    QCOMPARE(engine().selectionType(), SelectionType::Control);
    ElementPtr link = engine().createRange()->item(0)->parentElement();
    QCOMPARE(link->tagName(), QStringLiteral("A"));
    link->setAttribute(QStringLiteral("target"), QStringLiteral("_blank"));
    const QString html =
        m_fixture->script(QStringLiteral("document.getElementById('picture').innerHTML"))
            .toString();
    QVERIFY2(html.contains(QStringLiteral("target=\"_blank\"><img id=\"img\"")), qPrintable(html));
}

void TestEngineCommands::zeroBorderOutlineToggles() {
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("document.htm")));
    const QString outline =
        QStringLiteral("getComputedStyle(document.getElementById('plain')).outlineStyle");
    QCOMPARE(m_fixture->script(outline), QVariant(QStringLiteral("none")));
    engine().Exec(TargetCommand::ShowZeroBorders);
    QCOMPARE(m_fixture->script(outline), QVariant(QStringLiteral("dotted")));
    engine().Exec(TargetCommand::ShowZeroBorders);
    QCOMPARE(m_fixture->script(outline), QVariant(QStringLiteral("none")));
}

void TestEngineCommands::cutAndPaste() {
    m_fixture->selectText(QStringLiteral("#body"), 0, 7);
    engine().ExecWB(WebCommand::Cut);
    QCOMPARE(m_fixture->script(QStringLiteral("document.getElementById('body').textContent")),
             QVariant(QStringLiteral("текст абзаца")));
    m_fixture->selectText(QStringLiteral("#last"), 0, 0);
    engine().ExecWB(WebCommand::Paste);
    QCOMPARE(m_fixture->script(QStringLiteral("document.getElementById('last').textContent")),
             QVariant(QStringLiteral("Просто конец")));
}

void TestEngineCommands::unknownCommandFails() {
    QVERIFY_THROWS_EXCEPTION(Error, engine().execCommand(QStringLiteral("NoSuchCommand")));
}

QTEST_MAIN(TestEngineCommands)
#include "test_engine_commands.moc"
