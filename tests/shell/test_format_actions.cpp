// The formatting, clipboard, font, style and source commands in the main
// window: their shortcuts with the focus in the page, the
// zero-border mark, the style list refilled on opening, Undo and Redo
// following insertions only, and what they write reaching the saved file.
#include "editor/commands/font_dialog.h"
#include "editor/commands/form_style.h"
#include "editor/engine.h"
#include "shell/tree_selection.h"
#include "tests/editor/engine_fixture.h"
#include "tests/shell/shell_fixture.h"

#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

namespace quillery {
namespace {

const QString kA = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000a.htm");
const QString kB = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000b.htm");

// A site of two documents, the first open, the focus in its page with the
// caret in the paragraph "one", put there by a click as a user would.
std::unique_ptr<TMainForm> OpenWithFocusInPage(SiteFixture& site) {
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral(
                               "<P id=one>Первый абзац</P><P id=two>Второй абзац</P>"
                               "<TABLE id=zero border=0><TR><TD>ячейка</TD></TR></TABLE>")));
    SiteFixture::WriteFile(site.SiteFile(kB),
                           SiteFixture::Document(QStringLiteral("<H1 id=head>Заголовок</H1>")));
    auto form = site.OpenForm();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qFatal("the main window never became active");
    // Only a page that has taken the focus this way claims its editing keys.
    ClickElement(form->VISUALEdit(), QStringLiteral("#one"));
    return form;
}

void CaretIn(TMainForm& form, const QString& id, int offset) {
    SiteFixture::Script(form,
                        QStringLiteral("(() => { const r = document.createRange(); "
                                       "r.setStart(document.getElementById('%1').firstChild, %2); "
                                       "document.body.focus(); getSelection().removeAllRanges(); "
                                       "getSelection().addRange(r); })()")
                            .arg(id)
                            .arg(offset));
}

QString BodyText(TMainForm& form) {
    return SiteFixture::Script(form, QStringLiteral("document.body.innerHTML")).toString();
}

} // namespace

class TestFormatActions final : public QObject {
    Q_OBJECT

private slots:
    void shortcutsReachTheirActionsFromThePage_data();
    void shortcutsReachTheirActionsFromThePage();
    void undoShortcutUndoesOnce();
    void typingStillReachesThePage();
    void showBorderMarkFollowsDisplay();
    void styleListRefilledOnOpening();
    void undoRedoFollowInsertionsNotTyping();
    void editsReachTheSavedFile();
};

// The keys pressed with the focus in the page and the action they run.
void TestFormatActions::shortcutsReachTheirActionsFromThePage_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("action");
    QTest::addRow("Ctrl+L") << int(Qt::Key_L) << "JustifyLeft";
    QTest::addRow("Ctrl+E") << int(Qt::Key_E) << "JustifyCenter";
    QTest::addRow("Ctrl+R") << int(Qt::Key_R) << "JustifyRight";
    QTest::addRow("Ctrl+J") << int(Qt::Key_J) << "JustifyFull";
    QTest::addRow("Ctrl+X") << int(Qt::Key_X) << "Cut";
    QTest::addRow("Ctrl+C") << int(Qt::Key_C) << "Copy";
    QTest::addRow("Ctrl+V") << int(Qt::Key_V) << "Paste";
    QTest::addRow("Ctrl+Z") << int(Qt::Key_Z) << "Undo";
    QTest::addRow("Ctrl+Y") << int(Qt::Key_Y) << "Redo";
    QTest::addRow("Ctrl+P") << int(Qt::Key_P) << "Print";
    QTest::addRow("Ctrl+F") << int(Qt::Key_F) << "Find";
}

void TestFormatActions::shortcutsReachTheirActionsFromThePage() {
    QFETCH(int, key);
    QFETCH(QString, action);
    SiteFixture site;
    auto form = OpenWithFocusInPage(site);
    QAction* target = SiteFixture::CommandAction(*form, action);
    QVERIFY(target);
    QSignalSpy triggered(target, &QAction::triggered);
    if (action == QLatin1String("Print"))
        AnswerNextDialog([](QDialog* dialog) { dialog->reject(); });
    QWidget* page = form->VISUALEdit().widget()->focusProxy();
    QCOMPARE(QApplication::focusWidget(), page);
    QTest::keyClick(form->windowHandle(), static_cast<Qt::Key>(key), Qt::ControlModifier);
    QTRY_COMPARE(triggered.size(), 1);
    if (action == QLatin1String("JustifyCenter"))
        QCOMPARE(SiteFixture::Script(
                     *form, QStringLiteral("getComputedStyle(document.getElementById('one'))"
                                           ".textAlign")),
                 QVariant(QStringLiteral("center")));
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
}

void TestFormatActions::undoShortcutUndoesOnce() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site);
    const QString before = BodyText(*form);
    form->FormatActions().InsertOrderedList->trigger();
    const QString listed = BodyText(*form);
    form->FormatActions().Indent->trigger();
    QVERIFY(BodyText(*form) != listed);
    QTest::keyClick(form->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(BodyText(*form), listed);
    QCOMPARE(BodyText(*form), listed); // and not once more
    QVERIFY(before != listed);
}

void TestFormatActions::typingStillReachesThePage() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site);
    CaretIn(*form, QStringLiteral("two"), 0);
    QWidget* page = form->VISUALEdit().widget()->focusProxy();
    QTest::keyClicks(page, QStringLiteral("abc"));
    // Ctrl+B has no command of the window: the page makes the text bold.
    QTest::keyClick(form->windowHandle(), Qt::Key_B, Qt::ControlModifier);
    QTest::keyClicks(page, QStringLiteral("d"));
    QTRY_VERIFY(
        SiteFixture::Script(*form, QStringLiteral("document.getElementById('two').innerHTML"))
            .toString()
            .startsWith(QStringLiteral("abc<b>d</b>")));
}

void TestFormatActions::showBorderMarkFollowsDisplay() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site);
    QAction* showBorder = form->ActionListEdit().ShowBorder;
    const QString outline =
        QStringLiteral("getComputedStyle(document.getElementById('zero')).outlineStyle");
    QVERIFY(showBorder->isChecked());
    QCOMPARE(SiteFixture::Script(*form, outline), QVariant(QStringLiteral("dotted")));
    showBorder->trigger();
    QVERIFY(!showBorder->isChecked());
    QCOMPARE(SiteFixture::Script(*form, outline), QVariant(QStringLiteral("none")));
    showBorder->trigger();
    QVERIFY(showBorder->isChecked());
    QCOMPARE(SiteFixture::Script(*form, outline), QVariant(QStringLiteral("dotted")));
}

void TestFormatActions::styleListRefilledOnOpening() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site);
    QListWidget* list = form->FormStyle1()->ParagraphStyle();
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items.append(list->item(row)->text());
    QCOMPARE(items, form->VISUALEdit().Exec(TargetCommand::BlockFormats));
    list->setCurrentRow(2);
    QVERIFY(form->FormStyle1()->SelectedStyle());
    SiteFixture::Select(*form, form->Tree().Root(1));
    QCOMPARE(list->count(), items.size());
    QVERIFY(!form->FormStyle1()->SelectedStyle());
}

void TestFormatActions::undoRedoFollowInsertionsNotTyping() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site);
    QAction* undo = form->ActionListEdit().Undo;
    QAction* redo = form->ActionListEdit().Redo;
    QVERIFY(undo->isEnabled());
    QVERIFY(redo->isEnabled());
    CaretIn(*form, QStringLiteral("two"), 0);
    InsertHTML(form->VISUALEdit(), "<b>x</b>", form->UndoRedo());
    QVERIFY(undo->isEnabled());
    QVERIFY(!redo->isEnabled());
    // Typing, and undoing it, leave the flags alone.
    QTest::keyClicks(form->VISUALEdit().widget()->focusProxy(), QStringLiteral("typed"));
    QTRY_VERIFY(BodyText(*form).contains(QStringLiteral("typed")));
    undo->trigger();
    QVERIFY(form->VISUALEdit().queryCommandEnabled(QStringLiteral("Redo")));
    QVERIFY(!redo->isEnabled());
    QVERIFY(undo->isEnabled());
}

void TestFormatActions::editsReachTheSavedFile() {
    SiteFixture site;
    auto form = OpenWithFocusInPage(site);
    QTest::keyClick(form->windowHandle(), Qt::Key_E, Qt::ControlModifier);
    SiteFixture::Script(
        *form, QStringLiteral("(() => { const r = document.createRange(); "
                              "r.selectNodeContents(document.getElementById('two')); "
                              "getSelection().removeAllRanges(); getSelection().addRange(r); "
                              "})()"));
    AnswerNextDialog([&](QDialog* dialog) {
        form->FontDialog()->SetStyle(TFontDialog::Effect::Italic);
        form->FontDialog()->SetColor(0x0000ff);
        dialog->accept();
    });
    form->FormatActions().Font->trigger();
    SiteFixture::Select(*form, form->Tree().Root(1));
    const QString saved = site.SavedBody(kA);
    QVERIFY2(saved.contains(QStringLiteral("text-align: center")) ||
                 saved.contains(QStringLiteral("align=\"center\"")),
             qPrintable(saved));
    QVERIFY2(saved.contains(QStringLiteral("<i>")), qPrintable(saved));
    QVERIFY2(saved.contains(QStringLiteral("color=\"#ff0000\"")), qPrintable(saved));
    QVERIFY(site.asker.errors.isEmpty());
}

} // namespace quillery

QTEST_MAIN(quillery::TestFormatActions)
#include "test_format_actions.moc"
