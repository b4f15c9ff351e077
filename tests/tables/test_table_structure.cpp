// The offer of the ten table actions and the row and cell structure commands
// on the real engine, in plain and nested tables.
#include "tables/table_structure.h"
#include "tests/editor/engine_fixture.h"

#include <QTest>
#include <map>

using namespace quillery;

namespace {

// An offer written as the names of the actions it enables besides Table.
TTableOffer Offered(const QStringList& names) {
    TTableOffer offer;
    for (const QString& name : names) {
        bool* flag = name == QLatin1String("PropertyCell") ? &offer.PropertyCell
                     : name == QLatin1String("InsertRow")  ? &offer.InsertRow
                     : name == QLatin1String("DeleteRow")  ? &offer.DeleteRow
                     : name == QLatin1String("InsertCell") ? &offer.InsertCell
                     : name == QLatin1String("DeleteCell") ? &offer.DeleteCell
                     : name == QLatin1String("colspanadd") ? &offer.colspanadd
                     : name == QLatin1String("colspansub") ? &offer.colspansub
                     : name == QLatin1String("rowspanadd") ? &offer.rowspanadd
                     : name == QLatin1String("rowspansub") ? &offer.rowspansub
                                                           : nullptr;
        if (!flag)
            qFatal("no action %s", qPrintable(name));
        *flag = true;
    }
    return offer;
}

QStringList Names(const TTableOffer& o) {
    QStringList names;
    const std::pair<bool, const char*> flags[] = {
        {o.Table, "Table"},           {o.PropertyCell, "PropertyCell"},
        {o.InsertRow, "InsertRow"},   {o.DeleteRow, "DeleteRow"},
        {o.InsertCell, "InsertCell"}, {o.DeleteCell, "DeleteCell"},
        {o.colspanadd, "colspanadd"}, {o.colspansub, "colspansub"},
        {o.rowspanadd, "rowspanadd"}, {o.rowspansub, "rowspansub"}};
    for (const auto& [on, name] : flags)
        if (on)
            names.append(QString::fromLatin1(name));
    return names;
}

const QStringList kCellGrows = {QStringLiteral("PropertyCell"), QStringLiteral("InsertRow"),
                                QStringLiteral("DeleteRow"),    QStringLiteral("InsertCell"),
                                QStringLiteral("colspanadd"),   QStringLiteral("rowspanadd")};

} // namespace

class TestTableStructure final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void offer_data();
    void offer();
    void commands_data();
    void commands();
    void spanCommandsChangeTheOffer();

private:
    // Puts the selection at where: "#id" a caret in that element, "object
    // #id" a click that selects an object (a table by a Ctrl+click in it).
    void select(const QString& where);
    QString shape(const QString& table);

    std::unique_ptr<EngineFixture> m_fixture;
    std::unique_ptr<TTableStructureCommands> m_commands;
    TTableOffer m_offer;
    int m_offers = 0;
};

void TestTableStructure::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("tables.htm")));
    m_offers = 0;
    m_commands = std::make_unique<TTableStructureCommands>(m_fixture->engine(),
                                                           [this](const TTableOffer& o) {
                                                               m_offer = o;
                                                               ++m_offers;
                                                           });
}

void TestTableStructure::cleanup() {
    m_commands.reset();
    m_fixture.reset();
}

void TestTableStructure::select(const QString& where) {
    if (where == QLatin1String("picture"))
        m_fixture->click(QStringLiteral("#img"));
    else if (where.startsWith(QLatin1String("table ")))
        m_fixture->click(where.mid(6), Qt::ControlModifier);
    else
        m_fixture->selectText(where, 1, 1);
}

// Each row of the table as its id (or "-") and its cells' ids with their
// spans when not 1: "r1:a1,a2 r2:b1,b2/2x1".
QString TestTableStructure::shape(const QString& table) {
    return m_fixture
        ->script(QStringLiteral(
                     "Array.from(document.getElementById('%1').rows, r => (r.id || '-') + ':' + "
                     "Array.from(r.cells, c => (c.id || '-') + (c.colSpan > 1 || c.rowSpan > 1 ? "
                     "'/' + c.colSpan + 'x' + c.rowSpan : '')).join(',')).join(' ')")
                     .arg(table))
        .toString();
}

// Where the selection is, and the actions offered besides Table.
void TestTableStructure::offer_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QStringList>("offered");
    QTest::addRow("plain text") << "#text" << QStringList();
    QTest::addRow("picture selected as an object") << "picture" << QStringList();
    QTest::addRow("table selected as an object") << "table #a2" << QStringList();
    QTest::addRow("only cell of its row, spans 2")
        << "#solo"
        << kCellGrows + QStringList{QStringLiteral("colspansub"), QStringLiteral("rowspansub")};
    QTest::addRow("only cell of its row, span 1") << "#p1" << kCellGrows;
    QTest::addRow("first of three cells")
        << "#a1" << kCellGrows + QStringList{QStringLiteral("DeleteCell")};
    QTest::addRow("bold text in the middle cell")
        << "#bold" << kCellGrows + QStringList{QStringLiteral("DeleteCell")};
    QTest::addRow("data cell after a header cell")
        << "#h2" << kCellGrows + QStringList{QStringLiteral("DeleteCell")};
    QTest::addRow("header cell, table not nested")
        << "#h1" << QStringList{QStringLiteral("InsertRow"), QStringLiteral("DeleteRow")};
    QTest::addRow("header cell of a nested table: the outer cell")
        << "#ih" << kCellGrows + QStringList{QStringLiteral("DeleteCell")};
    QTest::addRow("only cell of a nested table's row") << "#ic" << kCellGrows;
}

void TestTableStructure::offer() {
    QFETCH(QString, where);
    QFETCH(QStringList, offered);
    select(where);
    m_commands->UpdateTableActions();
    QCOMPARE(m_offers, 1);
    QCOMPARE(Names(m_offer), Names(Offered(offered)));
}

// Where the caret is, the command, the table looked at, and its rows after.
void TestTableStructure::commands_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("after");
    QTest::addRow("insert row in the middle of three by three")
        << "#bold"
        << "InsertRow"
        << "grid"
        << "r1:a1,a2,a3 r2:b1,b2,b3 -:- r3:c1,c2,c3";
    QTest::addRow("insert row below a header row") << "#h1"
                                                   << "InsertRow"
                                                   << "heads"
                                                   << "hr:h1,h2 -:- solorow:solo/2x2";
    QTest::addRow("delete the middle row") << "#b1"
                                           << "DeleteRow"
                                           << "grid"
                                           << "r1:a1,a2,a3 r3:c1,c2,c3";
    QTest::addRow("delete the only row: the table stays") << "#p1"
                                                          << "DeleteRow"
                                                          << "plain"
                                                          << "";
    QTest::addRow("insert cell after the first") << "#a1"
                                                 << "InsertCell"
                                                 << "grid"
                                                 << "r1:a1,-,a2,a3 r2:b1,b2,b3 r3:c1,c2,c3";
    QTest::addRow("insert cell after the last") << "#c3"
                                                << "InsertCell"
                                                << "grid"
                                                << "r1:a1,a2,a3 r2:b1,b2,b3 r3:c1,c2,c3,-";
    QTest::addRow("delete the second of two cells") << "#o2"
                                                    << "DeleteCell"
                                                    << "outer"
                                                    << "outerrow:o1";
    QTest::addRow("delete the first cell") << "#a1"
                                           << "DeleteCell"
                                           << "grid"
                                           << "r1:a2,a3 r2:b1,b2,b3 r3:c1,c2,c3";
    QTest::addRow("widen across columns") << "#a2"
                                          << "colspanadd"
                                          << "grid"
                                          << "r1:a1,a2/2x1,a3 r2:b1,b2,b3 r3:c1,c2,c3";
    QTest::addRow("narrow across columns") << "#solo"
                                           << "colspansub"
                                           << "heads"
                                           << "hr:h1,h2 solorow:solo/1x2";
    QTest::addRow("widen across rows") << "#b3"
                                       << "rowspanadd"
                                       << "grid"
                                       << "r1:a1,a2,a3 r2:b1,b2,b3/1x2 r3:c1,c2,c3";
    QTest::addRow("narrow across rows") << "#solo"
                                        << "rowspansub"
                                        << "heads"
                                        << "hr:h1,h2 solorow:solo/2x1";
    QTest::addRow("nested: the inner row gets the cell") << "#ic"
                                                         << "InsertCell"
                                                         << "inner"
                                                         << "ir1:ih ir2:ic,-";
    QTest::addRow("nested: the outer table keeps its cells") << "#ic"
                                                             << "InsertCell"
                                                             << "outer"
                                                             << "outerrow:o1,o2";
    QTest::addRow("nested: the inner table gets the row") << "#ic"
                                                          << "InsertRow"
                                                          << "inner"
                                                          << "ir1:ih ir2:ic -:-";
    QTest::addRow("nested header: the inner row goes") << "#ih"
                                                       << "DeleteRow"
                                                       << "inner"
                                                       << "ir2:ic";
    QTest::addRow("nested header: a cell command acts on the outer cell") << "#ih"
                                                                          << "colspanadd"
                                                                          << "outer"
                                                                          << "outerrow:o1/2x1,o2";
    QTest::addRow("no cell around the caret: nothing") << "#text"
                                                       << "DeleteCell"
                                                       << "grid"
                                                       << "r1:a1,a2,a3 r2:b1,b2,b3 r3:c1,c2,c3";
    QTest::addRow("no row around the caret: nothing") << "#text"
                                                      << "InsertRow"
                                                      << "grid"
                                                      << "r1:a1,a2,a3 r2:b1,b2,b3 r3:c1,c2,c3";
    QTest::addRow("header cell is no cell: nothing") << "#h1"
                                                     << "InsertCell"
                                                     << "heads"
                                                     << "hr:h1,h2 solorow:solo/2x2";
}

void TestTableStructure::commands() {
    QFETCH(QString, where);
    QFETCH(QString, command);
    QFETCH(QString, table);
    QFETCH(QString, after);
    const std::map<QString, void (TTableStructureCommands::*)()> handlers = {
        {QStringLiteral("InsertRow"), &TTableStructureCommands::InsertRowExecute},
        {QStringLiteral("DeleteRow"), &TTableStructureCommands::DeleteRowExecute},
        {QStringLiteral("InsertCell"), &TTableStructureCommands::InsertCellExecute},
        {QStringLiteral("DeleteCell"), &TTableStructureCommands::DeleteCellExecute},
        {QStringLiteral("colspanadd"), &TTableStructureCommands::colspanaddExecute},
        {QStringLiteral("colspansub"), &TTableStructureCommands::colspansubExecute},
        {QStringLiteral("rowspanadd"), &TTableStructureCommands::rowspanaddExecute},
        {QStringLiteral("rowspansub"), &TTableStructureCommands::rowspansubExecute}};
    select(where);
    ((*m_commands).*handlers.at(command))();
    QCOMPARE(shape(table), after);
    // Every new cell is a TD.
    QCOMPARE(m_fixture->script(QStringLiteral("document.querySelectorAll('th:not([id])').length")),
             QVariant(0));
}

// Narrowing is offered once a cell spans more than one column, not before.
void TestTableStructure::spanCommandsChangeTheOffer() {
    select(QStringLiteral("#a2"));
    m_commands->UpdateTableActions();
    QVERIFY(!m_offer.colspansub);
    m_commands->colspanaddExecute();
    m_commands->UpdateTableActions();
    QVERIFY(m_offer.colspansub);
    QVERIFY(!m_offer.rowspansub);
    m_commands->colspansubExecute();
    m_commands->UpdateTableActions();
    QVERIFY(!m_offer.colspansub);
    QCOMPARE(shape(QStringLiteral("grid")), QStringLiteral("r1:a1,a2,a3 r2:b1,b2,b3 r3:c1,c2,c3"));
}

QTEST_MAIN(TestTableStructure)
#include "test_table_structure.moc"
