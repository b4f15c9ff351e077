// Table, row and cell members on a real table.
#include "editor/selection_helpers.h"
#include "store/error.h"
#include "tests/editor/engine_fixture.h"

#include <QTest>

using namespace quillery;

class TestEngineTables final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stringProperties_data();
    void stringProperties();
    void colourPropertiesReadAsRgbText_data();
    void colourPropertiesReadAsRgbText();
    void noWrapReadsAndWrites();
    void insertRowWithOneCell();
    void cellsInsertDeleteAndSpans();
    void deleteLastRowKeepsTable();
    void membersOfTheWrongElementFail();

private:
    ElementPtr byId(const QString& id);
    QString outer(const QString& id);

    std::unique_ptr<EngineFixture> m_fixture;
};

void TestEngineTables::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("editing.htm")));
}

void TestEngineTables::cleanup() {
    m_fixture.reset();
}

ElementPtr TestEngineTables::byId(const QString& id) {
    m_fixture->selectText(QStringLiteral("#") + id, 0, 0);
    ElementPtr found = SelectedElement(m_fixture->engine(), QStringLiteral("TD"));
    if (!found)
        qFatal("no cell at %s", qPrintable(id));
    return found;
}

QString TestEngineTables::outer(const QString& id) {
    return m_fixture->script(QStringLiteral("document.getElementById('%1').outerHTML").arg(id))
        .toString();
}

// Element, property, value read, value written, and the markup that shows the
// write (absent when the write removes the attribute).
void TestEngineTables::stringProperties_data() {
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("markup");
    QTest::addRow("table cellPadding") << "TABLE"
                                       << "cellPadding"
                                       << "3"
                                       << "7"
                                       << "cellpadding=\"7\"";
    QTest::addRow("table width removed") << "TABLE"
                                         << "width"
                                         << "100%"
                                         << ""
                                         << "";
    QTest::addRow("table absent bgColor") << "TABLE"
                                          << "bgColor"
                                          << ""
                                          << "#ffffcc"
                                          << "bgcolor=\"#ffffcc\"";
    QTest::addRow("table absent align") << "TABLE"
                                        << "align"
                                        << ""
                                        << ""
                                        << "";
    QTest::addRow("table borderColorDark") << "TABLE"
                                           << "borderColorDark"
                                           << ""
                                           << "buttonshadow"
                                           << "bordercolordark=\"buttonshadow\"";
    QTest::addRow("cell vAlign") << "TD"
                                 << "vAlign"
                                 << ""
                                 << "top"
                                 << "valign=\"top\"";
    QTest::addRow("cell colSpan as text") << "TD"
                                          << "colSpan"
                                          << "2"
                                          << ""
                                          << "";
}

void TestEngineTables::stringProperties() {
    QFETCH(QString, tag);
    QFETCH(QString, name);
    QFETCH(QString, read);
    QFETCH(QString, write);
    QFETCH(QString, markup);
    ElementPtr cell = byId(QStringLiteral("c12"));
    ElementPtr element = EnclosingElement(tag, std::move(cell));
    QCOMPARE(element->property(name), read);
    element->setProperty(name, write);
    QCOMPARE(element->property(name), write);
    const QString html = element->outerHTML();
    const QString start = html.left(html.indexOf(QLatin1Char('>')));
    if (markup.isEmpty())
        QVERIFY2(!start.contains(name.toLower() + QLatin1Char('=')), qPrintable(start));
    else
        QVERIFY2(start.contains(markup), qPrintable(start));
}

// Text written into a property and the text read back.
void TestEngineTables::colourPropertiesReadAsRgbText_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::addRow("bare digits") << "bgColor"
                                 << "FFFFCC"
                                 << "#ffffcc";
    QTest::addRow("bare digits, border") << "borderColorDark"
                                         << "00a0Ff"
                                         << "#00a0ff";
    QTest::addRow("with #, as written") << "borderColor"
                                        << "#ABCDEF"
                                        << "#ABCDEF";
    QTest::addRow("system colour name") << "borderColorLight"
                                        << "Window"
                                        << "Window";
    QTest::addRow("five digits") << "bgColor"
                                 << "FFFFC"
                                 << "FFFFC";
    QTest::addRow("not a colour property") << "width"
                                           << "123456"
                                           << "123456";
}

void TestEngineTables::colourPropertiesReadAsRgbText() {
    QFETCH(QString, name);
    QFETCH(QString, written);
    QFETCH(QString, read);
    ElementPtr table = EnclosingElement(QStringLiteral("TABLE"), byId(QStringLiteral("c11")));
    table->setProperty(name, written);
    QCOMPARE(table->property(name), read);
    // The document keeps what was written.
    QVERIFY(table->outerHTML().contains(QStringLiteral("=\"%1\"").arg(written)));
}

void TestEngineTables::noWrapReadsAndWrites() {
    ElementPtr wrapped = byId(QStringLiteral("c11"));
    ElementPtr unwrapped = byId(QStringLiteral("c12"));
    QVERIFY(!wrapped->noWrap());
    QVERIFY(unwrapped->noWrap());
    unwrapped->setNoWrap(false);
    wrapped->setNoWrap(true);
    QVERIFY(!outer(QStringLiteral("c12")).contains(QStringLiteral("nowrap")));
    QVERIFY(outer(QStringLiteral("c11")).contains(QStringLiteral("nowrap")));
}

void TestEngineTables::insertRowWithOneCell() {
    ElementPtr cell = byId(QStringLiteral("c11"));
    ElementPtr row = EnclosingElement(QStringLiteral("TR"), std::move(cell));
    QCOMPARE(row->rowIndex(), 0);
    QCOMPARE(row->cellCount(), 2);
    const int below = row->rowIndex() + 1;
    ElementPtr table = EnclosingElement(QStringLiteral("TABLE"), std::move(row));
    ElementPtr added = table->insertRow(below);
    QCOMPARE(added->tagName(), QStringLiteral("TR"));
    ElementPtr newCell = added->insertCell(-1);
    QCOMPARE(newCell->tagName(), QStringLiteral("TD"));
    QCOMPARE(added->rowIndex(), 1);
    QCOMPARE(added->cellCount(), 1);
    QCOMPARE(m_fixture->script(QStringLiteral("Array.from(document.getElementById('outer').rows, r "
                                              "=> r.id + ':' + r.cells.length).join()")),
             QVariant(QStringLiteral("row1:2,:1,row2:2")));
}

void TestEngineTables::cellsInsertDeleteAndSpans() {
    ElementPtr cell = byId(QStringLiteral("c12"));
    QCOMPARE(cell->cellIndex(), 1);
    QCOMPARE(cell->colSpan(), 2);
    QCOMPARE(cell->rowSpan(), 1);
    cell->setColSpan(3);
    cell->setRowSpan(2);
    QCOMPARE(cell->colSpan(), 3);
    QCOMPARE(cell->rowSpan(), 2);
    QVERIFY(outer(QStringLiteral("c12")).contains(QStringLiteral("rowspan=\"2\"")));
    const int after = cell->cellIndex() + 1;
    ElementPtr row = EnclosingElement(QStringLiteral("TR"), std::move(cell));
    ElementPtr inserted = row->insertCell(after);
    QCOMPARE(inserted->cellIndex(), 2);
    QCOMPARE(row->cellCount(), 3);
    QCOMPARE(row->cell(2)->cellIndex(), 2);
    row->deleteCell(0);
    QCOMPARE(row->cellCount(), 2);
    QCOMPARE(row->cell(0)->property(QStringLiteral("id")), QStringLiteral("c12"));
    QVERIFY_THROWS_EXCEPTION(Error, row->deleteCell(5));
}

void TestEngineTables::deleteLastRowKeepsTable() {
    ElementPtr cell = byId(QStringLiteral("innercell"));
    ElementPtr table = EnclosingElement(QStringLiteral("TABLE"), std::move(cell));
    table->deleteRow(0);
    QCOMPARE(m_fixture->script(QStringLiteral("document.getElementById('inner').rows.length")),
             QVariant(0));
}

void TestEngineTables::membersOfTheWrongElementFail() {
    ElementPtr cell = byId(QStringLiteral("c11"));
    QVERIFY_THROWS_EXCEPTION(Error, cell->insertRow(0));
    QVERIFY_THROWS_EXCEPTION(Error, cell->rowIndex());
    QVERIFY_THROWS_EXCEPTION(Error, cell->href());
    ElementPtr row = EnclosingElement(QStringLiteral("TR"), std::move(cell));
    QVERIFY_THROWS_EXCEPTION(Error, row->colSpan());
}

QTEST_MAIN(TestEngineTables)
#include "test_engine_tables.moc"
