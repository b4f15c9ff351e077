// The table actions and the editing context menu in the main window: the
// actions as the user sees them, a real right click opening the menu with
// the states it sets, those states holding for the shortcuts, and tables
// and cells made through the menu, the keys and the dialogs surviving the
// page being left.
#include "editor/engine.h"
#include "editor/menu/popup_menu.h"
#include "shell/format_actions.h"
#include "tables/cell_dlg.h"
#include "tables/color_box.h"
#include "tables/table_dlg.h"
#include "tests/editor/engine_fixture.h"
#include "tests/shell/shell_fixture.h"

#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace quillery {
namespace {

const QString kA = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000a.htm");
const QString kB = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000b.htm");

void WaitUntilActive(TMainForm& form) {
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form))
        qFatal("the main window never became active");
}

std::unique_ptr<TMainForm> OpenWithFocusInPage(SiteFixture& site, const QString& body) {
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(site.SiteFile(kA), SiteFixture::Document(body));
    SiteFixture::WriteFile(site.SiteFile(kB), SiteFixture::Document(QStringLiteral("<P>B</P>")));
    auto form = site.OpenForm();
    WaitUntilActive(*form);
    return form;
}

const QString kBody = QStringLiteral(
    "<P id=text>Текст абзаца</P><P id=picture>до<IMG id=img src=\"x.jpg\" width=40 "
    "height=30>после</P><TABLE id=t border=1><TR id=r1><TH id=head>Заголовок</TH>"
    "<TD id=cell>ячейка</TD></TR></TABLE><P id=fixed contenteditable=false>неизменяемый</P>");

// A real right click on the element, and the menu that opens.
QMenu* RightClick(TMainForm& form, const QString& selector) {
    QMenu* menu = form.PopupMenu().PopupMenu0();
    ClickElement(form.VISUALEdit(), selector, {}, Qt::RightButton);
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, 10000))
        qFatal("no menu after a right click on %s", qPrintable(selector));
    return menu;
}

// Closes the menu with Esc; the keyboard goes back to the window.
void CloseMenu(TMainForm& form, QMenu* menu) {
    QTest::keyClick(menu, Qt::Key_Escape);
    if (!QTest::qWaitFor([menu] { return !menu->isVisible(); }, 5000))
        qFatal("the menu stayed open");
    WaitUntilActive(form);
}

QStringList EnabledNames(const QList<QAction*>& actions) {
    QStringList names;
    for (const QAction* action : actions)
        if (action->isEnabled())
            names.append(action->objectName());
    return names;
}

} // namespace

class TestTableWindow final : public QObject {
    Q_OBJECT

private slots:
    void tableActions_data();
    void tableActions();
    void everyCommandEnabledBeforeTheFirstRightClick();
    void rightClickOpensTheMenu();
    void rightClickSetsTheCommands_data();
    void rightClickSetsTheCommands();
    void disabledAlignmentKeepsItsKeyUntilTheNextOpening();
    void tablesSurviveLeavingThePage();
};

void TestTableWindow::tableActions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addRow("Table") << "Table" << QStringLiteral("Таблица")
                           << QStringLiteral("Вставка таблицы в документ")
                           << QKeySequence(QStringLiteral("Ctrl+T"));
    QTest::addRow("PropertyCell") << "PropertyCell" << QStringLiteral("Свойства ячейки")
                                  << QStringLiteral("Изменение параметров табличной ячейки")
                                  << QKeySequence(QStringLiteral("Ctrl+Alt+T"));
    QTest::addRow("InsertRow") << "InsertRow" << QStringLiteral("Вставить строку")
                               << QStringLiteral("Добавление новой строки непосредственно под "
                                                 "выделенной строкой ")
                               << QKeySequence();
    QTest::addRow("DeleteRow") << "DeleteRow" << QStringLiteral("Удалить строку")
                               << QStringLiteral("Удаление выделенной строки") << QKeySequence();
    QTest::addRow("InsertCell") << "InsertCell" << QStringLiteral("Вставить ячейку")
                                << QStringLiteral("Добавление новой ячейки непосредственно за "
                                                  "выделенной ячейкой")
                                << QKeySequence();
    QTest::addRow("DeleteCell") << "DeleteCell" << QStringLiteral("Удалить ячейку")
                                << QStringLiteral("Удаление выделенной ячейки") << QKeySequence();
    QTest::addRow("colspanadd") << "colspanadd" << QStringLiteral("Растянуть ячейку по горизонтали")
                                << QStringLiteral("Растягивание ячейки по горизонтали")
                                << QKeySequence();
    QTest::addRow("colspansub") << "colspansub" << QStringLiteral("Сжать ячейку по горизонтали")
                                << QStringLiteral("Сжатие ячейки по горизонтали") << QKeySequence();
    QTest::addRow("rowspanadd") << "rowspanadd" << QStringLiteral("Растянуть ячейку по вертикали")
                                << QStringLiteral("Растягивание ячейки по вертикали")
                                << QKeySequence();
    QTest::addRow("rowspansub") << "rowspansub" << QStringLiteral("Сжать ячейку по вертикали")
                                << QStringLiteral("Сжатие ячейки по вертикали") << QKeySequence();
}

void TestTableWindow::tableActions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QKeySequence, shortcut);
    TMainForm form(nullptr);
    QAction* action = nullptr;
    for (QAction* candidate : form.ActionListTable().All())
        if (candidate->objectName() == name)
            action = candidate;
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->toolTip(), hint);
    QCOMPARE(action->statusTip(), hint);
    QCOMPARE(action->shortcut(), shortcut);
    QVERIFY(!action->icon().isNull());
    // In the submenu, with its icon.
    QVERIFY(form.PopupMenu().TableMenu()->actions().contains(action));
}

void TestTableWindow::everyCommandEnabledBeforeTheFirstRightClick() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site, kBody);
    QList<QAction*> commands = form->ActionListTable().All();
    commands += form->FormatActions().All();
    const TActionListInsert& insert = form->ActionListInsert();
    commands += {insert.Link, insert.Directry, insert.Image, insert.ImageOpen};
    for (const QAction* command : commands)
        QVERIFY2(command->isEnabled(), qPrintable(command->objectName()));
}

void TestTableWindow::rightClickOpensTheMenu() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site, kBody);
    QMenu* menu = RightClick(*form, QStringLiteral("#text"));
    QStringList items;
    for (const QAction* item : menu->actions())
        if (!item->isSeparator())
            items.append(item->text());
    QCOMPARE(items.size(), 22);
    QCOMPARE(items.first(), QStringLiteral("Цвет выделения текста"));
    QVERIFY(items.contains(QStringLiteral("Вставить файл")));
    QVERIFY(!items.contains(form->ActionListInsert().ImageOpen->text()));
    QCOMPARE(items.at(20), QStringLiteral("Работа с таблицами"));
    QCOMPARE(items.last(), QStringLiteral("Исходный код"));
    QCOMPARE(form->PopupMenu().TableMenu()->actions().size(), 14);
    // The caret in text: of the table commands only a new table.
    QCOMPARE(EnabledNames(form->ActionListTable().All()), QStringList{QStringLiteral("Table")});
    CloseMenu(*form, menu);
    QVERIFY(site.asker.errors.isEmpty());
}

// Where the right click lands (a picture or table is first selected by a
// click), whether links to documents and pictures are offered, and the
// table commands offered.
void TestTableWindow::rightClickSetsTheCommands_data() {
    QTest::addColumn<QString>("select");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("insertions");
    QTest::addColumn<QStringList>("tableCommands");
    QTest::addRow("picture selected") << "#img"
                                      << "#img" << true << QStringList{QStringLiteral("Table")};
    QTest::addRow("table selected") << "table"
                                    << "#cell" << true << QStringList{QStringLiteral("Table")};
    QTest::addRow("header cell") << ""
                                 << "#head" << false
                                 << QStringList{QStringLiteral("Table"),
                                                QStringLiteral("InsertRow"),
                                                QStringLiteral("DeleteRow")};
    QTest::addRow("data cell after a header cell")
        << ""
        << "#cell" << true
        << QStringList{QStringLiteral("Table"),      QStringLiteral("PropertyCell"),
                       QStringLiteral("InsertRow"),  QStringLiteral("DeleteRow"),
                       QStringLiteral("InsertCell"), QStringLiteral("DeleteCell"),
                       QStringLiteral("colspanadd"), QStringLiteral("rowspanadd")};
}

void TestTableWindow::rightClickSetsTheCommands() {
    QFETCH(QString, select);
    QFETCH(QString, target);
    QFETCH(bool, insertions);
    QFETCH(QStringList, tableCommands);
    SiteFixture site;
    auto form = OpenWithFocusInPage(site, kBody);
    if (select == QLatin1String("table"))
        ClickElement(form->VISUALEdit(), QStringLiteral("#cell"), Qt::ControlModifier);
    else if (!select.isEmpty())
        ClickElement(form->VISUALEdit(), select);
    QMenu* menu = RightClick(*form, target);
    const TActionListInsert& insert = form->ActionListInsert();
    QCOMPARE(insert.Directry->isEnabled(), insertions);
    QCOMPARE(insert.Image->isEnabled(), insertions);
    QCOMPARE(EnabledNames(form->ActionListTable().All()), tableCommands);
    CloseMenu(*form, menu);
    QVERIFY(site.asker.errors.isEmpty());
}

// Where the engine finds JustifyLeft disabled at the right click, the
// command and its Ctrl+L stay off until the menu opens again elsewhere.
void TestTableWindow::disabledAlignmentKeepsItsKeyUntilTheNextOpening() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site, kBody);
    QAction* justifyLeft = form->FormatActions().JustifyLeft;
    QSignalSpy runs(justifyLeft, &QAction::triggered);
    QWidget* page = form->VISUALEdit().widget()->focusProxy();

    CloseMenu(*form, RightClick(*form, QStringLiteral("#fixed")));
    QVERIFY(!justifyLeft->isEnabled());
    page->setFocus();
    QTest::keyClick(page, Qt::Key_L, Qt::ControlModifier);
    QTest::qWait(300);
    QCOMPARE(runs.count(), 0);
    QVERIFY(!justifyLeft->isEnabled());

    CloseMenu(*form, RightClick(*form, QStringLiteral("#text")));
    QVERIFY(justifyLeft->isEnabled());
    page->setFocus();
    QTest::keyClick(page, Qt::Key_L, Qt::ControlModifier);
    QTRY_COMPARE(runs.count(), 1);
    QVERIFY(site.asker.errors.isEmpty());
}

void TestTableWindow::tablesSurviveLeavingThePage() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site, QStringLiteral("<P id=text>Текст абзаца</P>"));
    QWidget* page = form->VISUALEdit().widget()->focusProxy();
    ClickElement(form->VISUALEdit(), QStringLiteral("#text"));

    // Ctrl+T in the page: a new table half the page wide.
    bool tableShown = false;
    AnswerNextDialog([&](QDialog* dialog) {
        tableShown = dialog == form->TableDlg();
        form->TableDlg()->Widths().Edit->setText(QStringLiteral("50"));
        QTest::keyClick(form->TableDlg()->Widths().Edit, Qt::Key_Return);
    });
    QTest::keyClick(page, Qt::Key_T, Qt::ControlModifier);
    QTRY_VERIFY(tableShown);
    QTRY_COMPARE(
        SiteFixture::Script(*form, QStringLiteral("document.querySelectorAll('td').length")),
        QVariant(1));

    // Through the menu's submenu: a second cell after the first.
    QMenu* menu = RightClick(*form, QStringLiteral("td"));
    QMenu* tables = form->PopupMenu().TableMenu();
    QAction* insertCell = form->ActionListTable().InsertCell;
    QVERIFY(insertCell->isEnabled());
    menu->setActiveAction(tables->menuAction());
    QTRY_VERIFY(tables->isVisible());
    QTest::mouseClick(tables, Qt::LeftButton, {}, tables->actionGeometry(insertCell).center());
    QTRY_COMPARE(
        SiteFixture::Script(*form, QStringLiteral("document.querySelectorAll('td').length")),
        QVariant(2));
    QTRY_VERIFY(!menu->isVisible());
    WaitUntilActive(*form);

    // Ctrl+Alt+T in the first cell: its background.
    ClickElement(form->VISUALEdit(), QStringLiteral("td"));
    bool cellShown = false;
    AnswerNextDialog([&](QDialog* dialog) {
        cellShown = dialog == form->CellDlg();
        form->CellDlg()->Bgcolor()->SetSelected(ColorNameToColor("clYellow"));
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    QTest::keyClick(page, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
    QTRY_VERIFY(cellShown);
    QTRY_VERIFY(SiteFixture::Script(*form, QStringLiteral("document.querySelector('td[bgcolor]') "
                                                          "!== null"))
                    .toBool());

    SiteFixture::Select(*form, form->Tree().Root(1));
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    const QString saved = site.SavedBody(kA);
    QVERIFY2(saved.contains(QStringLiteral(
                 "<table cellpadding=\"1\" cellspacing=\"2\" width=\"50%\" border=\"1\">")),
             qPrintable(saved));
    QVERIFY2(saved.contains(QStringLiteral("<td bgcolor=\"FFFF00\"></td><td></td>")),
             qPrintable(saved));

    // Opened again, the cell reads back as the colour it was given.
    SiteFixture::Select(*form, form->Tree().Root(0));
    ClickElement(form->VISUALEdit(), QStringLiteral("td"));
    TColor shown = clNone;
    AnswerNextDialog([&](QDialog* dialog) {
        shown = form->CellDlg()->Bgcolor()->Selected();
        dialog->reject();
    });
    form->ActionListTable().PropertyCell->trigger();
    QCOMPARE(shown, ColorNameToColor("clYellow"));
    QVERIFY(site.asker.errors.isEmpty());
}

} // namespace quillery

QTEST_MAIN(quillery::TestTableWindow)
#include "test_table_window.moc"
