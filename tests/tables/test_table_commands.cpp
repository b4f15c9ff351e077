// The table and cell property commands on the real engine: a new table at
// the selection, a selected table's attributes read and written, a cell's
// attributes, the dialogs' checks and the colours that cannot be read.
#include "editor/commands/command_values.h"
#include "store/error.h"
#include "tables/cell_dlg.h"
#include "tables/color_box.h"
#include "tables/table_commands.h"
#include "tables/table_dlg.h"
#include "tables/up_down.h"
#include "tests/editor/engine_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace quillery;

namespace {

// The attribute text of the colour a swatch shows: RRGGBB.
QString SeenHtml(const char* name) {
    return SwatchColour(ColorNameToColor(name)).name().mid(1).toUpper();
}

} // namespace

class TestTableCommands final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newTableFragment_data();
    void newTableFragment();
    void newTableAtTheSelection_data();
    void newTableAtTheSelection();
    void cancelChangesNothing();
    void selectedTableWithoutAttributes();
    void selectedTableRoundTrip();
    void selectedTableLosesWidthAndColour();
    void systemColoursAreWrittenAsSeen_data();
    void systemColoursAreWrittenAsSeen();
    void selectedTableReadAsBrowsersDo_data();
    void selectedTableReadAsBrowsersDo();
    void refusedNumberKeepsTheDialogOpen();
    void unreadableTableValuesAbort_data();
    void unreadableTableValuesAbort();

    void cellOutsideTablesDoesNothing_data();
    void cellOutsideTablesDoesNothing();
    void cellPercentWidthRoundTrip();
    void cellDialogKeepsWhatTheCellLeavesOpen();
    void cellAlignOutsideTheList();
    void cellInHeaderOfNestedTable();
    void cellWrapAndColoursCleared();
    void cellUnreadableColourAborts();

private:
    QString attribute(const QString& id, const QString& name) {
        return m_fixture
            ->script(
                QStringLiteral("document.getElementById('%1').getAttribute('%2')").arg(id, name))
            .toString();
    }
    bool hasAttribute(const QString& id, const QString& name) {
        return m_fixture
            ->script(
                QStringLiteral("document.getElementById('%1').hasAttribute('%2')").arg(id, name))
            .toBool();
    }
    QString body() { return m_fixture->bodyHtml(); }
    // Runs a command with the dialog answered by answer (OK is pressed
    // after it unless it closed the dialog); true when a dialog showed.
    bool runTable(const std::function<void()>& answer = [] {});
    bool runCell(const std::function<void()>& answer = [] {});
    QString failureOf(const std::function<void()>& command);

    std::unique_ptr<EngineFixture> m_fixture;
    std::unique_ptr<TTableDlg> m_tableDlg;
    std::unique_ptr<TCellDlg> m_cellDlg;
    std::unique_ptr<TTableCommands> m_commands;
    bool m_undo = false;
};

void TestTableCommands::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("tables.htm")));
    m_tableDlg = std::make_unique<TTableDlg>(nullptr);
    m_cellDlg = std::make_unique<TCellDlg>(nullptr);
    m_undo = false;
    m_commands = std::make_unique<TTableCommands>(m_fixture->engine(), *m_tableDlg, *m_cellDlg,
                                                  UndoRedoFlags{[this](bool on) { m_undo = on; },
                                                                [](bool) {
                                                                }});
}

void TestTableCommands::cleanup() {
    m_commands.reset();
    m_cellDlg.reset();
    m_tableDlg.reset();
    m_fixture.reset();
}

bool TestTableCommands::runTable(const std::function<void()>& answer) {
    return AnswerDialogDuring([this] { m_commands->TableExecute(); },
                              [&](QDialog* dialog) {
                                  QCOMPARE(dialog, m_tableDlg.get());
                                  answer();
                                  if (dialog->isVisible())
                                      QTest::mouseClick(m_tableDlg->BitBtn1(), Qt::LeftButton);
                              });
}

bool TestTableCommands::runCell(const std::function<void()>& answer) {
    return AnswerDialogDuring([this] { m_commands->PropertyCellExecute(); },
                              [&](QDialog* dialog) {
                                  QCOMPARE(dialog, m_cellDlg.get());
                                  answer();
                                  if (dialog->isVisible())
                                      QTest::mouseClick(m_cellDlg->BitBtn1(), Qt::LeftButton);
                              });
}

QString TestTableCommands::failureOf(const std::function<void()>& command) {
    try {
        command();
    } catch (const Error& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

// The dialog's values and the fragment they make.
void TestTableCommands::newTableFragment_data() {
    QTest::addColumn<int>("align");
    QTest::addColumn<QString>("cellpadding");
    QTest::addColumn<QString>("cellspacing");
    QTest::addColumn<QString>("width");  // "" unticked; a trailing % for percent
    QTest::addColumn<QString>("height"); // the same
    QTest::addColumn<QString>("border");
    QTest::addColumn<QList<int>>("colours"); // border, light, dark, background
    QTest::addColumn<QString>("fragment");
    QTest::addRow("defaults") << 0 << "1"
                              << "2"
                              << "100%"
                              << ""
                              << "1" << QList<int>{clNone, clNone, clNone, clNone}
                              << "<table cellpadding=1 cellspacing=2 width=100% border=1>"
                                 "<tr><td></td></tr></table>";
    QTest::addRow("every piece")
        << 2 << "4"
        << "0"
        << "600"
        << "50%"
        << "0"
        << QList<int>{ColorNameToColor("clRed"), clNone, ColorNameToColor("clBtnShadow"), 0xCCFFFF}
        << QStringLiteral("<table align=right cellpadding=4 cellspacing=0 width=600 height=50% "
                          "border=0 borderColor=FF0000 borderColorDark=%1 bgColor=FFFFCC>"
                          "<tr><td></td></tr></table>")
               .arg(SeenHtml("clBtnShadow"));
    QTest::addRow("left, no width, light border")
        << 1 << "0"
        << "0"
        << ""
        << "7"
        << "3" << QList<int>{clNone, 0xFFFFFF, clNone, clNone}
        << "<table align=left cellpadding=0 "
           "cellspacing=0 height=7 border=3 "
           "borderColorLight=FFFFFF>"
           "<tr><td></td></tr></table>";
    QTest::addRow("centre, typed as given") << 3 << "$A"
                                            << "2"
                                            << "100%"
                                            << ""
                                            << "1" << QList<int>{clNone, clNone, clNone, clNone}
                                            << "<table align=center cellpadding=$A cellspacing=2 "
                                               "width=100% border=1><tr><td></td></tr></table>";
}

void TestTableCommands::newTableFragment() {
    QFETCH(int, align);
    QFETCH(QString, cellpadding);
    QFETCH(QString, cellspacing);
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, border);
    QFETCH(QList<int>, colours);
    QFETCH(QString, fragment);
    TTableDlg& d = *m_tableDlg;
    d.ResetToDefaults();
    d.Align()->setCurrentIndex(align);
    d.Cellpadding()->setText(cellpadding);
    d.Cellspacing()->setText(cellspacing);
    for (const auto& [size, value] : {std::pair{&d.Widths(), width}, {&d.Heights(), height}}) {
        size->CheckBox->setChecked(!value.isEmpty());
        (value.endsWith(u'%') ? size->Percents : size->Pixels)->setChecked(true);
        if (!value.isEmpty())
            size->Edit->setText(value.endsWith(u'%') ? value.chopped(1) : value);
    }
    d.Border()->setText(border);
    const QList<TColorBox*> boxes = {d.Bordercolor(), d.Bordercolorlight(), d.Bordercolordark(),
                                     d.Bgcolor()};
    for (int i = 0; i < 4; ++i)
        boxes[i]->SetSelected(colours[i]);
    QCOMPARE(QString::fromStdString(NewTableFragment(d)), fragment);
}

// Where the selection is ("caret", "text" or "picture"), and where the new
// table (t) then stands, as a condition on the document. A table cannot stand
// in a paragraph: the paragraph is split around it.
void TestTableCommands::newTableAtTheSelection_data() {
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("placed");
    QTest::addRow("caret in a cell: a nested table")
        << "caret"
        << "t.parentElement.id === 'a1' && t.previousSibling.data === 'a' && "
           "t.nextSibling.data === '1'";
    QTest::addRow("text replaced") << "text"
                                   << "t.nextElementSibling.id === 'text' && "
                                      "document.getElementById('text').textContent.trim() === "
                                      "'абзаца'";
    QTest::addRow("picture replaced") << "picture"
                                      << "t.previousElementSibling.textContent === 'до' && "
                                         "t.nextElementSibling.textContent === 'после' && "
                                         "!document.getElementById('img')";
}

void TestTableCommands::newTableAtTheSelection() {
    QFETCH(QString, selection);
    QFETCH(QString, placed);
    const QString grid = m_fixture
                             ->script(QStringLiteral("document.getElementById('grid')"
                                                     ".cloneNode(false).outerHTML"))
                             .toString();
    if (selection == QLatin1String("caret"))
        m_fixture->selectText(QStringLiteral("#a1"), 1, 1);
    else if (selection == QLatin1String("text"))
        m_fixture->selectText(QStringLiteral("#text"), 0, 5);
    else
        m_fixture->click(QStringLiteral("#img"));
    QVERIFY(runTable());
    const QString newTable = QStringLiteral("document.querySelector('table:not([id])')");
    const QVariantList table =
        m_fixture
            ->script(QStringLiteral("(() => { const t = %1; "
                                    "return t ? [t.getAttribute('cellpadding'), "
                                    "t.getAttribute('cellspacing'), t.getAttribute('width'), "
                                    "t.getAttribute('border'), t.rows.length, "
                                    "t.rows[0].cells.length, t.attributes.length] : []; })()")
                         .arg(newTable))
            .toList();
    QCOMPARE(table, QVariantList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("100%"),
                                  QStringLiteral("1"), 1, 1, 4}));
    QVERIFY2(
        m_fixture
            ->script(QStringLiteral("(() => { const t = %1; return %2; })()").arg(newTable, placed))
            .toBool(),
        qPrintable(body()));
    // The table around the caret is not edited.
    QCOMPARE(m_fixture
                 ->script(QStringLiteral("document.getElementById('grid')"
                                         ".cloneNode(false).outerHTML"))
                 .toString(),
             grid);
    QVERIFY(m_undo);
}

void TestTableCommands::cancelChangesNothing() {
    m_fixture->click(QStringLiteral("#f1"), Qt::ControlModifier);
    const QString before = body();
    QVERIFY(runTable([this] {
        m_tableDlg->Widths().Edit->setText(QStringLiteral("50"));
        QTest::mouseClick(m_tableDlg->BitBtn2(), Qt::LeftButton);
    }));
    m_fixture->selectText(QStringLiteral("#text"), 2, 2);
    QVERIFY(runTable([this] { QTest::keyClick(m_tableDlg.get(), Qt::Key_Escape); }));
    QCOMPARE(body(), before);
}

void TestTableCommands::selectedTableWithoutAttributes() {
    m_fixture->click(QStringLiteral("#p1"), Qt::ControlModifier);
    QCOMPARE(m_fixture->engine().selectionType(), SelectionType::Control);
    QVERIFY(runTable([this] {
        const TTableDlg& d = *m_tableDlg;
        QCOMPARE(d.Cellpadding()->text(), QStringLiteral("1"));
        QCOMPARE(d.Cellspacing()->text(), QStringLiteral("2"));
        QCOMPARE(d.Border()->text(), QStringLiteral("0"));
        QCOMPARE(d.BorderUpDown()->Position(), 0);
        QCOMPARE(d.Align()->currentIndex(), 0);
        QVERIFY(!d.Widths().CheckBox->isChecked());
        QCOMPARE(d.Widths().Edit->text(), QStringLiteral("100"));
        QVERIFY(!d.Widths().Edit->isEnabled());
        QVERIFY(!d.Heights().CheckBox->isChecked());
    }));
    QCOMPARE(attribute(QStringLiteral("plain"), QStringLiteral("cellpadding")),
             QStringLiteral("1"));
    QCOMPARE(attribute(QStringLiteral("plain"), QStringLiteral("cellspacing")),
             QStringLiteral("2"));
    QCOMPARE(attribute(QStringLiteral("plain"), QStringLiteral("border")), QStringLiteral("0"));
    for (const char* absent :
         {"width", "height", "align", "bgcolor", "bordercolor", "bordercolorlight"})
        QVERIFY2(!hasAttribute(QStringLiteral("plain"), QString::fromLatin1(absent)), absent);
    // The table was edited, not replaced or joined by another.
    QCOMPARE(m_fixture->script(QStringLiteral("document.querySelectorAll('table').length")),
             QVariant(9));
}

void TestTableCommands::selectedTableRoundTrip() {
    m_fixture->click(QStringLiteral("#f1"), Qt::ControlModifier);
    QVERIFY(runTable([this] {
        const TTableDlg& d = *m_tableDlg;
        QCOMPARE(d.Align()->currentIndex(), 3);
        QCOMPARE(d.Cellpadding()->text(), QStringLiteral("3"));
        QCOMPARE(d.CellpaddingUpDown()->Position(), 3);
        QCOMPARE(d.Cellspacing()->text(), QStringLiteral("0"));
        QVERIFY(d.Widths().CheckBox->isChecked());
        QVERIFY(d.Widths().Percents->isChecked());
        QCOMPARE(d.Widths().Edit->text(), QStringLiteral("100"));
        QCOMPARE(d.Border()->text(), QStringLiteral("1"));
        QCOMPARE(d.Bgcolor()->Selected(), 0xCCFFFF);
        QCOMPARE(d.Bordercolor()->Selected(), ColorNameToColor("clBtnFace"));
        QCOMPARE(d.Bordercolordark()->Selected(), clNone);
        d.Widths().Edit->setText(QStringLiteral("50"));
        d.Bordercolordark()->SetSelected(ColorNameToColor("clGradientActiveCaption"));
    }));
    const QString t = QStringLiteral("full");
    QCOMPARE(attribute(t, QStringLiteral("width")), QStringLiteral("50%"));
    QCOMPARE(attribute(t, QStringLiteral("align")), QStringLiteral("center"));
    QCOMPARE(attribute(t, QStringLiteral("cellpadding")), QStringLiteral("3"));
    QCOMPARE(attribute(t, QStringLiteral("bgcolor")), QStringLiteral("FFFFCC"));
    QCOMPARE(attribute(t, QStringLiteral("bordercolor")), SeenHtml("clBtnFace"));
    QCOMPARE(attribute(t, QStringLiteral("bordercolordark")), SeenHtml("clGradientActiveCaption"));
    QVERIFY(!hasAttribute(t, QStringLiteral("height")));

    // Filled again, the written table gives the same values back.
    m_fixture->click(QStringLiteral("#f1"), Qt::ControlModifier);
    QVERIFY(runTable([this] {
        const TTableDlg& d = *m_tableDlg;
        QCOMPARE(d.Widths().Edit->text(), QStringLiteral("50"));
        QVERIFY(d.Widths().Percents->isChecked());
        QCOMPARE(d.Bgcolor()->Selected(), 0xCCFFFF);
        QCOMPARE(d.Bordercolordark()->Selected(),
                 TColor(ValueFromColor(SwatchColour(ColorNameToColor("clGradientActiveCaption")))));
        QTest::keyClick(m_tableDlg.get(), Qt::Key_Escape);
    }));
}

void TestTableCommands::selectedTableLosesWidthAndColour() {
    m_fixture->click(QStringLiteral("#f1"), Qt::ControlModifier);
    QVERIFY(runTable([this] {
        QTest::mouseClick(m_tableDlg->Widths().CheckBox, Qt::LeftButton, {},
                          QPoint(5, m_tableDlg->Widths().CheckBox->height() / 2));
        QVERIFY(!m_tableDlg->Widths().CheckBox->isChecked());
        m_tableDlg->Bgcolor()->SetSelected(clNone);
        m_tableDlg->Align()->setCurrentIndex(0);
    }));
    for (const char* gone : {"width", "bgcolor", "align"})
        QVERIFY2(!hasAttribute(QStringLiteral("full"), QString::fromLatin1(gone)), gone);
    QCOMPARE(attribute(QStringLiteral("full"), QStringLiteral("bordercolor")),
             SeenHtml("clBtnFace"));
}

// A table written elsewhere: keywords in any case, sizes with a unit or a
// fraction. The dialog shows what a browser shows; OK keeps the alignment.
// A system colour chosen in either dialog reaches the page as the colour its
// swatch showed: browsers read no system colour names in these attributes.
void TestTableCommands::systemColoursAreWrittenAsSeen_data() {
    QTest::addColumn<bool>("cell");
    QTest::addColumn<QString>("colour");
    for (const bool cell : {false, true})
        for (const char* colour : {"clBtnFace", "clWindow", "clInfoBk", "clGradientActiveCaption"})
            QTest::addRow("%s %s", cell ? "cell" : "table", colour) << cell << colour;
}

void TestTableCommands::systemColoursAreWrittenAsSeen() {
    QFETCH(bool, cell);
    QFETCH(QString, colour);
    const TColor value = ColorNameToColor(colour.toStdString());
    const QColor seen = SwatchColour(value);
    if (cell) {
        m_fixture->selectText(QStringLiteral("#bare"), 1, 1);
        QVERIFY(runCell([&] { m_cellDlg->Bgcolor()->SetSelected(value); }));
    } else {
        m_fixture->click(QStringLiteral("#p1"), Qt::ControlModifier);
        QVERIFY(runTable([&] { m_tableDlg->Bgcolor()->SetSelected(value); }));
    }
    const QString id = cell ? QStringLiteral("bare") : QStringLiteral("plain");
    QCOMPARE(attribute(id, QStringLiteral("bgcolor")), seen.name().mid(1).toUpper());
    QCOMPARE(m_fixture
                 ->script(QStringLiteral("getComputedStyle(document.getElementById('%1'))"
                                         ".backgroundColor")
                              .arg(id))
                 .toString(),
             QStringLiteral("rgb(%1, %2, %3)").arg(seen.red()).arg(seen.green()).arg(seen.blue()));
}

void TestTableCommands::selectedTableReadAsBrowsersDo_data() {
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("align");
    QTest::addColumn<QString>("numbers"); // cellpadding, cellspacing, border
    QTest::addColumn<QString>("width");   // the edit, then "%" for percent
    QTest::addColumn<QString>("written"); // align, cellpadding, width after OK
    QTest::addRow("capitals and units")
        << "align=Center cellpadding=\"4px\" cellspacing=\" 2\" border=\"1px\" width=\"50%\"" << 3
        << "4,2,1"
        << "50%"
        << "center,4,50%";
    QTest::addRow("blanks, fractions and pixels")
        << "align=\" RIGHT \" cellpadding=\"3.5\" border=\"+2\" width=\"200px\"" << 2 << "3,2,2"
        << "200"
        << "right,3,200";
    QTest::addRow("fraction of a percent") << "align=LEFT width=\"33.3%\"" << 1 << "1,2,0"
                                           << "33%"
                                           << "left,1,33%";
}

void TestTableCommands::selectedTableReadAsBrowsersDo() {
    QFETCH(QString, attributes);
    QFETCH(int, align);
    QFETCH(QString, numbers);
    QFETCH(QString, width);
    QFETCH(QString, written);
    m_fixture->script(QStringLiteral("document.body.insertAdjacentHTML('beforeend', "
                                     "'<table id=odd %1><tr><td id=odd1>x</td></tr></table>')")
                          .arg(QString(attributes).replace(u'\'', QStringLiteral("\\'"))));
    m_fixture->click(QStringLiteral("#odd1"), Qt::ControlModifier);
    QCOMPARE(m_fixture->engine().selectionType(), SelectionType::Control);
    QVERIFY(runTable([&] {
        const TTableDlg& d = *m_tableDlg;
        QCOMPARE(d.Align()->currentIndex(), align);
        QCOMPARE((QStringList{d.Cellpadding()->text(), d.Cellspacing()->text(), d.Border()->text()})
                     .join(u','),
                 numbers);
        QVERIFY(d.Widths().CheckBox->isChecked());
        QCOMPARE(d.Widths().Edit->text() +
                     (d.Widths().Percents->isChecked() ? QStringLiteral("%") : QString()),
                 width);
    }));
    QCOMPARE((QStringList{attribute(QStringLiteral("odd"), QStringLiteral("align")),
                          attribute(QStringLiteral("odd"), QStringLiteral("cellpadding")),
                          attribute(QStringLiteral("odd"), QStringLiteral("width"))})
                 .join(u','),
             written);
}

void TestTableCommands::refusedNumberKeepsTheDialogOpen() {
    m_fixture->selectText(QStringLiteral("#last"), 2, 2);
    const QString before = body();
    QString warning;
    bool open = false;
    QVERIFY(runTable([&] {
        m_tableDlg->Widths().Edit->setText(QStringLiteral("0"));
        AnswerDialogDuring([&] { QTest::mouseClick(m_tableDlg->BitBtn1(), Qt::LeftButton); },
                           [&](QDialog* box) {
                               warning = static_cast<QMessageBox*>(box)->text();
                               box->accept();
                           });
        open = m_tableDlg->isVisible();
        QCOMPARE(m_tableDlg->Widths().Edit->text(), QStringLiteral("0"));
        QTest::keyClick(m_tableDlg.get(), Qt::Key_Escape);
    }));
    QCOMPARE(warning, QStringLiteral("Указано неверное число."));
    QVERIFY(open);
    QCOMPARE(body(), before);
}

// The table selected and the failure that stops the command.
void TestTableCommands::unreadableTableValuesAbort_data() {
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("message");
    QTest::addRow("colour name with a capital") << "#bc"
                                                << "'clButtonface' is not a valid integer value";
    QTest::addRow("cell margins without a number") << "#bp"
                                                   << "'wide' is not a valid integer value";
}

void TestTableCommands::unreadableTableValuesAbort() {
    QFETCH(QString, cell);
    QFETCH(QString, message);
    m_fixture->click(cell, Qt::ControlModifier);
    const QString before = body();
    QString failure;
    const bool shown = AnswerDialogDuring(
        [&] { failure = failureOf([this] { m_commands->TableExecute(); }); }, [](QDialog*) {});
    QVERIFY(!shown);
    QCOMPARE(failure, message);
    QCOMPARE(body(), before);
}

void TestTableCommands::cellOutsideTablesDoesNothing_data() {
    QTest::addColumn<QString>("where");
    QTest::addRow("body text") << "#text";
    QTest::addRow("header cell of a table that is not nested") << "#h1";
}

void TestTableCommands::cellOutsideTablesDoesNothing() {
    QFETCH(QString, where);
    m_fixture->selectText(where, 2, 2);
    const QString before = body();
    QVERIFY(!runCell());
    QCOMPARE(body(), before);
}

void TestTableCommands::cellPercentWidthRoundTrip() {
    m_fixture->selectText(QStringLiteral("#w30"), 1, 1);
    QVERIFY(runCell([this] {
        const TCellDlg& d = *m_cellDlg;
        QVERIFY(d.Widths().CheckBox->isChecked());
        QVERIFY(d.Widths().Percents->isChecked());
        QCOMPARE(d.Widths().Edit->text(), QStringLiteral("30"));
        QCOMPARE(d.Align()->currentIndex(), 1);
        QCOMPARE(d.Valign()->currentIndex(), 1);
        QVERIFY(!d.Heights().CheckBox->isChecked());
    }));
    QCOMPARE(attribute(QStringLiteral("w30"), QStringLiteral("width")), QStringLiteral("30%"));
    QCOMPARE(attribute(QStringLiteral("w30"), QStringLiteral("align")), QStringLiteral("left"));
    QCOMPARE(attribute(QStringLiteral("w30"), QStringLiteral("valign")), QStringLiteral("top"));
    QVERIFY(!hasAttribute(QStringLiteral("w30"), QStringLiteral("height")));
}

// A cell without a width after a use on one of 200 pixels: the box is
// unticked, the edit still holds 200 in pixels, and ticking it writes 200.
void TestTableCommands::cellDialogKeepsWhatTheCellLeavesOpen() {
    m_fixture->selectText(QStringLiteral("#w200"), 1, 1);
    QVERIFY(runCell([this] {
        QCOMPARE(m_cellDlg->Widths().Edit->text(), QStringLiteral("200"));
        QVERIFY(m_cellDlg->Widths().Pixels->isChecked());
        QCOMPARE(m_cellDlg->Heights().Edit->text(), QStringLiteral("50"));
        QVERIFY(m_cellDlg->Heights().Pixels->isChecked());
        QTest::keyClick(m_cellDlg.get(), Qt::Key_Escape);
    }));
    m_fixture->selectText(QStringLiteral("#bare"), 1, 1);
    QVERIFY(runCell([this] {
        const TCellDlg& d = *m_cellDlg;
        QVERIFY(!d.Widths().CheckBox->isChecked());
        QVERIFY(!d.Widths().Edit->isEnabled());
        QCOMPARE(d.Widths().Edit->text(), QStringLiteral("200"));
        QVERIFY(d.Widths().Pixels->isChecked());
        QTest::mouseClick(d.Widths().CheckBox, Qt::LeftButton, {},
                          QPoint(5, d.Widths().CheckBox->height() / 2));
    }));
    QCOMPARE(attribute(QStringLiteral("bare"), QStringLiteral("width")), QStringLiteral("200"));
    QVERIFY(!hasAttribute(QStringLiteral("bare"), QStringLiteral("height")));
}

void TestTableCommands::cellAlignOutsideTheList() {
    // The first use: no item is selected, and OK leaves the value alone.
    m_fixture->selectText(QStringLiteral("#justify"), 1, 1);
    QVERIFY(runCell([this] { QCOMPARE(m_cellDlg->Align()->currentIndex(), -1); }));
    QCOMPARE(attribute(QStringLiteral("justify"), QStringLiteral("align")),
             QStringLiteral("justify"));
    QVERIFY(!hasAttribute(QStringLiteral("justify"), QStringLiteral("valign")));
    // Later uses keep the previous selection and write it.
    m_fixture->selectText(QStringLiteral("#w30"), 1, 1);
    QVERIFY(runCell([this] { QTest::keyClick(m_cellDlg.get(), Qt::Key_Escape); }));
    m_fixture->selectText(QStringLiteral("#justify"), 1, 1);
    QVERIFY(runCell([this] { QCOMPARE(m_cellDlg->Align()->currentIndex(), 1); }));
    QCOMPARE(attribute(QStringLiteral("justify"), QStringLiteral("align")), QStringLiteral("left"));
    // The cell decides its vertical alignment: none.
    QVERIFY(!hasAttribute(QStringLiteral("justify"), QStringLiteral("valign")));
}

void TestTableCommands::cellInHeaderOfNestedTable() {
    m_fixture->selectText(QStringLiteral("#ih"), 2, 2);
    QVERIFY(runCell([this] { m_cellDlg->Bgcolor()->SetSelected(ColorNameToColor("clYellow")); }));
    QCOMPARE(attribute(QStringLiteral("o1"), QStringLiteral("bgcolor")), QStringLiteral("FFFF00"));
    QVERIFY(!hasAttribute(QStringLiteral("ih"), QStringLiteral("bgcolor")));
}

void TestTableCommands::cellWrapAndColoursCleared() {
    m_fixture->selectText(QStringLiteral("#w200"), 1, 1);
    QVERIFY(runCell([this] {
        const TCellDlg& d = *m_cellDlg;
        QVERIFY(d.NoWrap()->isChecked());
        QCOMPARE(d.Bgcolor()->Selected(), 0x0080FF);
        QCOMPARE(d.Bordercolor()->Selected(), ColorNameToColor("clWindow"));
        QCOMPARE(d.Bordercolorlight()->Selected(), clNone);
        d.NoWrap()->setChecked(false);
        d.Bgcolor()->SetSelected(clNone);
    }));
    QVERIFY(!hasAttribute(QStringLiteral("w200"), QStringLiteral("nowrap")));
    QVERIFY(!hasAttribute(QStringLiteral("w200"), QStringLiteral("bgcolor")));
    QCOMPARE(attribute(QStringLiteral("w200"), QStringLiteral("bordercolor")),
             SeenHtml("clWindow"));
    QCOMPARE(attribute(QStringLiteral("w200"), QStringLiteral("width")), QStringLiteral("200"));
    QCOMPARE(attribute(QStringLiteral("w200"), QStringLiteral("height")), QStringLiteral("50"));
}

void TestTableCommands::cellUnreadableColourAborts() {
    m_fixture->selectText(QStringLiteral("#orange"), 1, 1);
    const QString before = body();
    QString failure;
    const bool shown = AnswerDialogDuring(
        [&] { failure = failureOf([this] { m_commands->PropertyCellExecute(); }); },
        [](QDialog*) {});
    QVERIFY(!shown);
    QCOMPARE(failure, QStringLiteral("'clorange' is not a valid integer value"));
    QCOMPARE(body(), before);
}

QTEST_MAIN(TestTableCommands)
#include "test_table_commands.moc"
