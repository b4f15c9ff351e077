// The window's shortcuts against the page's own editing keys, on the real
// engine.
#include "tests/editor/engine_fixture.h"

#include <QAction>
#include <QTest>

using namespace quillery;

class TestPageShortcuts final : public QObject {
    Q_OBJECT

private slots:
    void windowShortcutWinsOverEditingKey_data();
    void windowShortcutWinsOverEditingKey();
};

// Ctrl+Z is an editing key of the page in every key scheme: with the
// keyboard in the page it undoes typing unless an enabled action of the
// window has it for its shortcut.
void TestPageShortcuts::windowShortcutWinsOverEditingKey_data() {
    QTest::addColumn<bool>("withAction");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("actionRuns");
    QTest::addRow("no action: the page keeps the key") << false << true << false;
    QTest::addRow("an action: it runs instead") << true << true << true;
    QTest::addRow("a disabled action: the page keeps the key") << true << false << false;
}

void TestPageShortcuts::windowShortcutWinsOverEditingKey() {
    QFETCH(bool, withAction);
    QFETCH(bool, enabled);
    QFETCH(bool, actionRuns);
    EngineFixture f;
    f.open(f.copyFixture(QStringLiteral("editing.htm")));
    QWidget* area = f.engine().widget();
    int runs = 0;
    if (withAction) {
        auto* action = new QAction(area);
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
        action->setEnabled(enabled);
        area->addAction(action);
        connect(action, &QAction::triggered, this, [&] { ++runs; });
    }

    QWidget* page = area->focusProxy();
    area->activateWindow();
    page->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(area));
    f.selectText(QStringLiteral("#last"), 0, 0);
    QTest::keyClicks(page, QStringLiteral("x"));
    const QString typed = QStringLiteral("xконец");
    QTRY_COMPARE(f.script(QStringLiteral("document.querySelector('#last').textContent")).toString(),
                 typed);
    QTest::keyClick(page, Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(f.script(QStringLiteral("document.querySelector('#last').textContent")).toString(),
                 actionRuns ? typed : QStringLiteral("конец"));
    QCOMPARE(runs, actionRuns ? 1 : 0);
}

QTEST_MAIN(TestPageShortcuts)
#include "test_page_shortcuts.moc"
