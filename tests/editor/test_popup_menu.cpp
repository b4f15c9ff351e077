// The editing area's context menu on the real engine: its items in order,
// and the enabled states it sets from the selection each time it opens.
#include "editor/menu/popup_menu.h"
#include "tests/editor/engine_fixture.h"
#include "tests/editor/recording_engine.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <map>

using namespace quillery;

namespace {

// The actions the menu sets from the engine's answers, with the commands
// asked, in the order they are asked.
const std::pair<const char*, const char*> kQueried[] = {
    {"clearfrmt", "RemoveFormat"},
    {"Font", "FontName"},
    {"Style", "FormatBlock"},
    {"JustifyFull", "JustifyFull"},
    {"JustifyLeft", "JustifyLeft"},
    {"JustifyRight", "JustifyRight"},
    {"JustifyCenter", "JustifyCenter"},
    {"BackColor", "BackColor"},
    {"InsertOrderedList", "InsertOrderedList"},
    {"InsertUnorderedList", "InsertUnorderedList"},
    {"Outdent", "Outdent"},
    {"Indent", "Indent"}};

// What a menu shows, one entry per item: its text, "-" for a separator, a
// submenu as its title followed by its items in brackets.
QStringList Items(const QMenu& menu) {
    QStringList items;
    for (const QAction* item : menu.actions()) {
        if (item->isSeparator())
            items.append(QStringLiteral("-"));
        else if (item->menu())
            items.append(item->text() + QStringLiteral(" [") +
                         Items(*item->menu()).join(QStringLiteral(", ")) + QLatin1Char(']'));
        else
            items.append(item->text());
    }
    return items;
}

} // namespace

class TestPopupMenu final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void itemsInOrder();
    void fileItemRunsImageOpen();
    void enabledStatesFromTheSelection_data();
    void enabledStatesFromTheSelection();
    void noDocumentNoMenu();

private:
    QAction* action(const char* name) { return m_actions.at(QString::fromLatin1(name)); }
    void select(const QString& where);
    void closeMenu();

    std::unique_ptr<EngineFixture> m_fixture;
    std::unique_ptr<RecordingEngine> m_engine;
    std::unique_ptr<QWidget> m_owner;
    std::map<QString, QAction*> m_actions;
    std::unique_ptr<TPopupMenu> m_menu;
    bool m_hasDocument = true;
    int m_tableUpdates = 0;
};

void TestPopupMenu::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("tables.htm")));
    m_engine = std::make_unique<RecordingEngine>(m_fixture->engine());
    m_owner = std::make_unique<QWidget>();
    TPopupMenuActions a;
    const std::pair<const char*, QAction**> named[] = {
        {"BackColor", &a.BackColor},
        {"JustifyLeft", &a.JustifyLeft},
        {"JustifyCenter", &a.JustifyCenter},
        {"JustifyRight", &a.JustifyRight},
        {"JustifyFull", &a.JustifyFull},
        {"InsertOrderedList", &a.InsertOrderedList},
        {"InsertUnorderedList", &a.InsertUnorderedList},
        {"Outdent", &a.Outdent},
        {"Indent", &a.Indent},
        {"clearfrmt", &a.clearfrmt},
        {"Cut", &a.Cut},
        {"Copy", &a.Copy},
        {"Paste", &a.Paste},
        {"Style", &a.Style},
        {"Font", &a.Font},
        {"Directry", &a.Directry},
        {"Link", &a.Link},
        {"Image", &a.Image},
        {"ImageOpen", &a.ImageOpen},
        {"hr", &a.hr},
        {"HTML", &a.HTML},
        {"Table", &a.Table},
        {"PropertyCell", &a.PropertyCell},
        {"InsertRow", &a.InsertRow},
        {"DeleteRow", &a.DeleteRow},
        {"InsertCell", &a.InsertCell},
        {"DeleteCell", &a.DeleteCell},
        {"colspanadd", &a.colspanadd},
        {"colspansub", &a.colspansub},
        {"rowspanadd", &a.rowspanadd},
        {"rowspansub", &a.rowspansub}};
    m_actions.clear();
    for (const auto& [name, slot] : named) {
        *slot = new QAction(QString::fromLatin1(name), m_owner.get());
        (*slot)->setObjectName(QString::fromLatin1(name));
        m_actions[QString::fromLatin1(name)] = *slot;
    }
    m_hasDocument = true;
    m_tableUpdates = 0;
    m_menu = std::make_unique<TPopupMenu>(
        *m_engine, a, [this] { return m_hasDocument; }, [this] { ++m_tableUpdates; },
        m_owner.get());
}

void TestPopupMenu::cleanup() {
    m_menu.reset();
    m_owner.reset();
    m_engine.reset();
    m_fixture.reset();
}

void TestPopupMenu::select(const QString& where) {
    if (where == QLatin1String("picture"))
        m_fixture->click(QStringLiteral("#img"));
    else if (where.startsWith(QLatin1String("table ")))
        m_fixture->click(where.mid(6), Qt::ControlModifier);
    else if (where.startsWith(QLatin1String("text ")))
        m_fixture->selectText(where.mid(5), 0, 4);
    else if (where == QLatin1String("nothing"))
        m_fixture->script(QStringLiteral("getSelection().removeAllRanges()"));
    else
        m_fixture->selectText(where, 1, 1);
}

void TestPopupMenu::closeMenu() {
    m_menu->PopupMenu0()->close();
    QTRY_VERIFY(!m_menu->PopupMenu0()->isVisible());
}

void TestPopupMenu::itemsInOrder() {
    QCOMPARE(m_menu->PopupMenu0()->objectName(), QStringLiteral("PopupMenu0"));
    const QString tables =
        QStringLiteral("Работа с таблицами [Table, -, PropertyCell, -, InsertRow, DeleteRow, -, "
                       "InsertCell, DeleteCell, -, colspanadd, colspansub, rowspanadd, "
                       "rowspansub]");
    QCOMPARE(Items(*m_menu->PopupMenu0()), QStringList({QStringLiteral("BackColor"),
                                                        QStringLiteral("-"),
                                                        QStringLiteral("JustifyLeft"),
                                                        QStringLiteral("JustifyCenter"),
                                                        QStringLiteral("JustifyRight"),
                                                        QStringLiteral("JustifyFull"),
                                                        QStringLiteral("-"),
                                                        QStringLiteral("InsertOrderedList"),
                                                        QStringLiteral("InsertUnorderedList"),
                                                        QStringLiteral("-"),
                                                        QStringLiteral("Outdent"),
                                                        QStringLiteral("Indent"),
                                                        QStringLiteral("-"),
                                                        QStringLiteral("clearfrmt"),
                                                        QStringLiteral("-"),
                                                        QStringLiteral("Cut"),
                                                        QStringLiteral("Copy"),
                                                        QStringLiteral("Paste"),
                                                        QStringLiteral("-"),
                                                        QStringLiteral("Style"),
                                                        QStringLiteral("Font"),
                                                        QStringLiteral("-"),
                                                        QStringLiteral("Directry"),
                                                        QStringLiteral("Link"),
                                                        QStringLiteral("Image"),
                                                        QStringLiteral("Вставить файл"),
                                                        QStringLiteral("hr"),
                                                        QStringLiteral("-"),
                                                        tables,
                                                        QStringLiteral("-"),
                                                        QStringLiteral("HTML")}));
}

void TestPopupMenu::fileItemRunsImageOpen() {
    QAction* item = nullptr;
    for (QAction* candidate : m_menu->PopupMenu0()->actions())
        if (candidate->text() == QStringLiteral("Вставить файл"))
            item = candidate;
    QVERIFY(item);
    QAction* imageOpen = action("ImageOpen");
    QSignalSpy runs(imageOpen, &QAction::triggered);
    item->trigger();
    QCOMPARE(runs.count(), 1);
    imageOpen->setEnabled(false);
    QVERIFY(!item->isEnabled());
    imageOpen->setEnabled(true);
    QVERIFY(item->isEnabled());
}

// Where the selection is, and whether the links to a document and pictures
// are offered there.
void TestPopupMenu::enabledStatesFromTheSelection_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("insertions");
    QTest::addRow("caret in text") << "#text" << true;
    QTest::addRow("text selected") << "text #text" << true;
    QTest::addRow("caret in a data cell") << "#a1" << true;
    QTest::addRow("caret in a header cell") << "#h1" << false;
    QTest::addRow("header cell of a nested table: the outer cell") << "#ih" << true;
    QTest::addRow("picture selected") << "picture" << true;
    QTest::addRow("table selected") << "table #h1" << true;
    QTest::addRow("no selection at all") << "nothing" << true;
}

void TestPopupMenu::enabledStatesFromTheSelection() {
    QFETCH(QString, where);
    QFETCH(bool, insertions);
    for (const auto& [name, item] : m_actions)
        item->setEnabled(false);
    select(where);
    m_engine->askedEnabled.clear();
    const QPoint point = m_fixture->engine().widget()->mapToGlobal(QPoint(40, 30));
    m_menu->ShowContextMenu(point);
    QTRY_VERIFY(m_menu->PopupMenu0()->isVisible());
    QCOMPARE(m_menu->PopupMenu0()->pos(), point);

    QCOMPARE(m_tableUpdates, 1);
    QCOMPARE(action("Directry")->isEnabled(), insertions);
    QCOMPARE(action("Image")->isEnabled(), insertions);
    QStringList asked;
    for (const auto& [name, command] : kQueried)
        asked.append(QString::fromLatin1(command));
    QCOMPARE(m_engine->askedEnabled, asked);
    for (const auto& [name, command] : kQueried)
        QVERIFY2(action(name)->isEnabled() ==
                     m_fixture->engine().queryCommandEnabled(QString::fromLatin1(command)),
                 name);
    // The menu sets no other command: these stay as they were.
    for (const char* untouched : {"Cut", "Copy", "Paste", "hr", "Link", "ImageOpen", "HTML",
                                  "Table", "PropertyCell", "rowspansub"})
        QVERIFY2(!action(untouched)->isEnabled(), untouched);
    closeMenu();
}

void TestPopupMenu::noDocumentNoMenu() {
    m_hasDocument = false;
    action("Directry")->setEnabled(false);
    m_menu->ShowContextMenu(m_fixture->engine().widget()->mapToGlobal(QPoint(40, 30)));
    QTest::qWait(50);
    QVERIFY(!m_menu->PopupMenu0()->isVisible());
    QCOMPARE(m_tableUpdates, 0);
    QVERIFY(m_engine->askedEnabled.isEmpty());
    QVERIFY(!action("Directry")->isEnabled());
}

QTEST_MAIN(TestPopupMenu)
#include "test_popup_menu.moc"
