// Program shortcuts against the page's own editing keys, on the real engine.
#include "shell/page_shortcuts.h"
#include "tests/editor/engine_fixture.h"

#include <QAction>
#include <QTest>

using namespace quillery;

class TestPageShortcuts final : public QObject {
    Q_OBJECT

private slots:
    void listedShortcutWinsOverEditingKey_data();
    void listedShortcutWinsOverEditingKey();
};

// Ctrl+Z is an editing key of the page in every key scheme: with the
// keyboard in the page it undoes typing unless a listed, enabled action
// claims it.
void TestPageShortcuts::listedShortcutWinsOverEditingKey_data() {
    QTest::addColumn<bool>("listed");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("actionRuns");
    QTest::addRow("not listed: the page keeps the key") << false << true << false;
    QTest::addRow("listed: the action runs instead") << true << true << true;
    QTest::addRow("listed but disabled: the page keeps the key") << true << false << false;
}

void TestPageShortcuts::listedShortcutWinsOverEditingKey() {
    QFETCH(bool, listed);
    QFETCH(bool, enabled);
    QFETCH(bool, actionRuns);
    EngineFixture f;
    f.open(f.copyFixture(QStringLiteral("editing.htm")));
    QWidget* area = f.engine().widget();
    auto* action = new QAction(area);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    action->setEnabled(enabled);
    area->addAction(action);
    int runs = 0;
    connect(action, &QAction::triggered, this, [&] { ++runs; });
    if (listed)
        new TPageShortcuts(area, {action});

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
