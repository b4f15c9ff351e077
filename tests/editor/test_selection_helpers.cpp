// SelectedElement, EnclosingElement, InsertHTML and the Undo/Redo refresh on
// the real engine.
#include "editor/selection_helpers.h"
#include "store/error.h"
#include "store/text_codec.h"
#include "tests/editor/engine_fixture.h"

#include <QTest>

using namespace quillery;

class TestSelectionHelpers final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void selectedElement_data();
    void selectedElement();
    void lowerCaseNameNeverMatches();
    void enclosingElementCountsStartAndNone();
    void insertReplacesSelection_data();
    void insertReplacesSelection();
    void insertReplacesPictureObject();
    void insertWidensWindows1251();
    void undoRedoFollowEngine();

private:
    std::unique_ptr<EngineFixture> m_fixture;
    bool m_undo = true;
    bool m_redo = true;
    UndoRedoFlags flags() {
        return {[this](bool on) { m_undo = on; },
                [this](bool on) {
                    m_redo = on;
                }};
    }
};

void TestSelectionHelpers::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("editing.htm")));
    m_undo = m_redo = true;
}

void TestSelectionHelpers::cleanup() {
    m_fixture.reset();
}

// Where the caret stands, the tag asked for, and the id of the element found
// (empty for none).
void TestSelectionHelpers::selectedElement_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("found");
    QTest::addRow("caret in body text") << "#body"
                                        << "TD"
                                        << "";
    QTest::addRow("caret in a cell's bold text") << "#bold"
                                                 << "TD"
                                                 << "c11";
    QTest::addRow("bold text itself") << "#bold"
                                      << "B"
                                      << "bold";
    QTest::addRow("row of that cell") << "#bold"
                                      << "TR"
                                      << "row1";
    QTest::addRow("inner table cell") << "#innercell"
                                      << "TD"
                                      << "innercell";
    QTest::addRow("inner table") << "#innercell"
                                 << "TABLE"
                                 << "inner";
    QTest::addRow("header cell is no TD") << "#head"
                                          << "TD"
                                          << "";
    QTest::addRow("header cell's row") << "#head"
                                       << "TR"
                                       << "row2";
}

void TestSelectionHelpers::selectedElement() {
    QFETCH(QString, where);
    QFETCH(QString, tag);
    QFETCH(QString, found);
    m_fixture->selectText(where, 2, 2);
    Engine& engine = m_fixture->engine();
    QCOMPARE(engine.selectionType(), SelectionType::None);
    ElementPtr element = SelectedElement(engine, tag);
    if (found.isEmpty()) {
        QVERIFY(!element);
        return;
    }
    QVERIFY(element);
    QCOMPARE(element->tagName(), tag);
    QVERIFY(element->outerHTML().contains(QStringLiteral("id=\"%1\"").arg(found)));
}

void TestSelectionHelpers::lowerCaseNameNeverMatches() {
    m_fixture->selectText(QStringLiteral("#bold"), 1, 4);
    QCOMPARE(m_fixture->engine().selectionType(), SelectionType::Text);
    QVERIFY(!SelectedElement(m_fixture->engine(), QStringLiteral("td")));
    QVERIFY(SelectedElement(m_fixture->engine(), QStringLiteral("TD")));
}

void TestSelectionHelpers::enclosingElementCountsStartAndNone() {
    Engine& engine = m_fixture->engine();
    m_fixture->selectText(QStringLiteral("#c12"), 1, 1);
    ElementPtr cell = SelectedElement(engine, QStringLiteral("TD"));
    QVERIFY(cell);
    ElementPtr same = EnclosingElement(QStringLiteral("TD"), std::move(cell));
    QVERIFY(same);
    QCOMPARE(same->cellIndex(), 1);
    QVERIFY(!EnclosingElement(QStringLiteral("TD"), nullptr));
    QVERIFY(!EnclosingElement(QStringLiteral("FORM"), std::move(same)));
}

// Selection from..to in the first paragraph, the fragment, and the text of the
// paragraph afterwards.
void TestSelectionHelpers::insertReplacesSelection_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("html");
    QTest::addRow("text replaced") << 0 << 6 << "<b>Новый</b>"
                                   << "<b>Новый</b> текст абзаца";
    QTest::addRow("caret inserts") << 6 << 6 << "<i>!</i>"
                                   << "Просто<i>!</i> текст абзаца";
    QTest::addRow("empty fragment removes") << 6 << 12 << ""
                                            << "Просто абзаца";
    QTest::addRow("entity") << 0 << 0 << "&laquo;"
                            << "«Просто текст абзаца";
}

void TestSelectionHelpers::insertReplacesSelection() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, fragment);
    QFETCH(QString, html);
    m_fixture->selectText(QStringLiteral("#body"), from, to);
    InsertHTML(m_fixture->engine(), ToCp1251(fragment), flags());
    // The engine keeps a blank next to inserted markup as a no-break space.
    QCOMPARE(m_fixture->script(QStringLiteral("document.getElementById('body').innerHTML"))
                 .toString()
                 .replace(QStringLiteral("&nbsp;"), QStringLiteral(" ")),
             html);
}

void TestSelectionHelpers::insertReplacesPictureObject() {
    m_fixture->click(QStringLiteral("#img"));
    QCOMPARE(m_fixture->engine().selectionType(), SelectionType::Control);
    InsertHTML(m_fixture->engine(), "<table><tr><td>new</td></tr></table>", flags());
    QCOMPARE(m_fixture->script(QStringLiteral("document.getElementById('img')")), QVariant());
    const QString picture = m_fixture->bodyHtml();
    QVERIFY2(picture.indexOf(QStringLiteral("до<")) < picture.indexOf(QStringLiteral("new")),
             qPrintable(picture));
    QVERIFY2(picture.indexOf(QStringLiteral("new")) < picture.indexOf(QStringLiteral("после")),
             qPrintable(picture));
}

void TestSelectionHelpers::insertWidensWindows1251() {
    m_fixture->selectText(QStringLiteral("#last"), 0, 0);
    InsertHTML(m_fixture->engine(), "\xc0\xe1\xe2 ", flags()); // "Абв " in Windows-1251
    QCOMPARE(
        m_fixture->script(QStringLiteral("document.getElementById('last').textContent")).toString(),
        QStringLiteral("Абв конец"));
}

void TestSelectionHelpers::undoRedoFollowEngine() {
    Engine& engine = m_fixture->engine();
    m_fixture->selectText(QStringLiteral("#body"), 0, 0);
    InsertHTML(engine, "x", flags());
    QVERIFY(m_undo);
    QVERIFY(!m_redo);
    engine.ExecWB(WebCommand::Undo);
    QCOMPARE(
        m_fixture->script(QStringLiteral("document.getElementById('body').textContent")).toString(),
        QStringLiteral("Просто текст абзаца"));
    VISUALEditCommandStateChange(engine, flags());
    QVERIFY(!m_undo);
    QVERIFY(m_redo);
    engine.ExecWB(WebCommand::Redo);
    VISUALEditCommandStateChange(engine, flags());
    QVERIFY(m_undo);
    QVERIFY(!m_redo);
}

QTEST_MAIN(TestSelectionHelpers)
#include "test_selection_helpers.moc"
