// The font dialog filled from the selection and what confirming it sends;
// the style chooser, its preselection and its refill, on the real engine.
#include "editor/commands/font_dialog.h"
#include "editor/commands/font_style_commands.h"
#include "editor/commands/form_style.h"
#include "store/error.h"
#include "tests/editor/engine_fixture.h"
#include "tests/editor/recording_engine.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace quillery;

using Effect = TFontDialog::Effect;
using Effects = TFontDialog::Effects;
Q_DECLARE_METATYPE(Effects)

class TestFontStyleCommands final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sizeTables_data();
    void sizeTables();
    void fontDialogShowsSelection_data();
    void fontDialogShowsSelection();
    void untickingBoldSendsOneToggle();
    void untouchedDialogOnMixedSelection_data();
    void untouchedDialogOnMixedSelection();
    void chosenFontApplied();
    void thirteenPointsGiveSizeSix();
    void sizeSixRoundTrips();
    void cancelledFontSendsNothing();
    void fontNameNotInstalledIsShown();
    void fontDialogAnswersKeys_data();
    void fontDialogAnswersKeys();
    void styleListIsTheEngines();
    void styleChooserPreselectsCurrentBlock();
    void styleConfirmedBy_data();
    void styleConfirmedBy();
    void styleDismissedChangesNothing();
    void styleWithoutSelectionIsAnError();
    void refillClearsSelection();

private:
    QVariant script(const QString& js) { return m_fixture->script(js); }
    void selectAcross(const QString& from, int fromOffset, const QString& to, int toOffset);
    // Runs the font command and confirms the dialog after answer changed it.
    void confirmFont(const std::function<void(TFontDialog&)>& answer = {});

    std::unique_ptr<EngineFixture> m_fixture;
    std::unique_ptr<RecordingEngine> m_engine;
    std::unique_ptr<TFontDialog> m_fontDialog;
    std::unique_ptr<TFormStyle1> m_formStyle;
    std::unique_ptr<TFontStyleCommands> m_commands;
};

void TestFontStyleCommands::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("formatting.htm")));
    m_engine = std::make_unique<RecordingEngine>(m_fixture->engine());
    m_fontDialog = std::make_unique<TFontDialog>(nullptr);
    m_formStyle = std::make_unique<TFormStyle1>(nullptr);
    m_commands = std::make_unique<TFontStyleCommands>(*m_engine, *m_fontDialog, *m_formStyle);
    m_commands->RefillStyleList();
}

void TestFontStyleCommands::cleanup() {
    m_commands.reset();
    m_formStyle.reset();
    m_fontDialog.reset();
    m_engine.reset();
    m_fixture.reset();
}

void TestFontStyleCommands::selectAcross(const QString& from, int fromOffset, const QString& to,
                                         int toOffset) {
    script(QStringLiteral("(() => { const text = (id) => document.createTreeWalker("
                          "document.getElementById(id), NodeFilter.SHOW_TEXT).nextNode(); "
                          "const r = document.createRange(); r.setStart(text('%1'), %2); "
                          "r.setEnd(text('%3'), %4); getSelection().removeAllRanges(); "
                          "getSelection().addRange(r); })()")
               .arg(from)
               .arg(fromOffset)
               .arg(to)
               .arg(toOffset));
}

void TestFontStyleCommands::confirmFont(const std::function<void(TFontDialog&)>& answer) {
    bool shown = false;
    AnswerNextDialog([&](QDialog* dialog) {
        shown = dialog == m_fontDialog.get();
        if (answer)
            answer(*m_fontDialog);
        dialog->accept();
    });
    m_commands->FontExecute();
    QVERIFY(shown);
}

void TestFontStyleCommands::sizeTables_data() {
    QTest::addColumn<QVariant>("htmlSize");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("sentBack");
    QTest::addRow("1") << QVariant(1) << 8 << 1;
    QTest::addRow("2") << QVariant(2) << 9 << 2;
    QTest::addRow("3") << QVariant(3) << 10 << 3;
    QTest::addRow("4") << QVariant(4) << 11 << 4;
    QTest::addRow("5") << QVariant(5) << 12 << 5;
    QTest::addRow("6") << QVariant(6) << 14 << 6;
    QTest::addRow("7") << QVariant(7) << 16 << 7;
    QTest::addRow("null") << QVariant() << 10 << 3;
    QTest::addRow("out of range") << QVariant(9) << 10 << 3;
}

void TestFontStyleCommands::sizeTables() {
    QFETCH(QVariant, htmlSize);
    QFETCH(int, points);
    QFETCH(int, sentBack);
    QCOMPARE(PointsFromHtmlSize(htmlSize), points);
    QCOMPARE(HtmlSizeFromPoints(points), sentBack);
}

// Where the selection is and what the dialog must show.
void TestFontStyleCommands::fontDialogShowsSelection_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<Effects>("style");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("points");
    QTest::addColumn<quint32>("color");
    const QString times = QStringLiteral("Times New Roman");
    QTest::addRow("bold caret") << "#bold" << 2 << 2 << Effects(Effect::Bold) << times << 10 << 0u;
    QTest::addRow("size 2") << "#sizes" << 1 << 3 << Effects() << times << 9 << 0u;
    QTest::addRow("mixed sizes") << "#sizes" << 2 << 10 << Effects() << times << 10 << 0u;
    QTest::addRow("one font") << "#fonts" << 0 << 4 << Effects() << "Arial" << 10 << 0u;
    QTest::addRow("mixed fonts") << "#fonts" << 0 << 8 << Effects() << times << 10 << 0u;
    QTest::addRow("orange") << "#colors" << 1 << 4 << Effects() << times << 10 << 0x0080ffu;
    QTest::addRow("mixed colours") << "#colors" << 5 << 14 << Effects() << times << 10 << 0u;
}

void TestFontStyleCommands::fontDialogShowsSelection() {
    QFETCH(QString, where);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(Effects, style);
    QFETCH(QString, name);
    QFETCH(int, points);
    QFETCH(quint32, color);
    m_fixture->selectText(where, from, to);
    // What an earlier use left in the dialog must not show through.
    m_fontDialog->SetStyle(Effect::Italic | Effect::StrikeOut);
    m_fontDialog->SetColor(0x123456);
    m_fontDialog->SetSize(16);
    Effects shownStyle;
    QString shownName;
    int shownPoints = 0;
    quint32 shownColor = 1;
    AnswerNextDialog([&](QDialog* dialog) {
        shownStyle = m_fontDialog->Style();
        shownName = m_fontDialog->Name();
        shownPoints = m_fontDialog->Size();
        shownColor = m_fontDialog->Color();
        dialog->reject();
    });
    m_commands->FontExecute();
    QCOMPARE(shownStyle, style);
    QCOMPARE(shownName, name);
    QCOMPARE(shownPoints, points);
    QCOMPARE(shownColor, color);
}

void TestFontStyleCommands::untickingBoldSendsOneToggle() {
    m_fixture->selectText(QStringLiteral("#bold"), 0, 6);
    confirmFont([](TFontDialog& dialog) {
        QVERIFY(dialog.Style() == Effects(Effect::Bold));
        dialog.SetStyle({});
    });
    QCOMPARE(m_engine->sentNames().join(u' '), QStringLiteral("Bold FontSize FontName ForeColor"));
    QVERIFY(!m_engine->queryCommandState(QStringLiteral("Bold")));
    for (const char* effect : {"Italic", "UnderLine", "StrikeThrough"})
        QVERIFY(!m_engine->queryCommandState(QString::fromLatin1(effect)));
}

// A selection whose size or font differs: confirming the dialog untouched
// gives the whole selection size 3 and Times New Roman.
void TestFontStyleCommands::untouchedDialogOnMixedSelection_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addRow("mixed sizes") << "#sizes" << 2 << 10;
    QTest::addRow("mixed fonts") << "#fonts" << 0 << 8;
}

void TestFontStyleCommands::untouchedDialogOnMixedSelection() {
    QFETCH(QString, where);
    QFETCH(int, from);
    QFETCH(int, to);
    m_fixture->selectText(where, from, to);
    confirmFont();
    QCOMPARE(m_engine->queryCommandValue(QStringLiteral("FontSize")), QVariant(3));
    if (where == QLatin1String("#fonts"))
        QCOMPARE(m_engine->queryCommandValue(QStringLiteral("FontName")),
                 QVariant(QStringLiteral("Times New Roman")));
    QCOMPARE(m_engine->sent.at(0),
             std::make_pair(QStringLiteral("FontSize"), QVariant::fromValue<quint8>(3)));
}

void TestFontStyleCommands::chosenFontApplied() {
    m_fixture->selectText(QStringLiteral("#plain"), 0, 7);
    confirmFont([](TFontDialog& dialog) {
        dialog.SetStyle(Effect::Italic | Effect::Underline | Effect::StrikeOut);
        dialog.SetName(QStringLiteral("Courier New"));
        dialog.SetSize(16);
        dialog.SetColor(0x3366cc);
    });
    QCOMPARE(m_engine->sentNames().join(u' '),
             QStringLiteral("Italic Underline StrikeThrough FontSize FontName ForeColor"));
    for (const char* effect : {"Italic", "UnderLine", "StrikeThrough"})
        QVERIFY(m_engine->queryCommandState(QString::fromLatin1(effect)));
    QCOMPARE(m_engine->queryCommandValue(QStringLiteral("FontSize")), QVariant(7));
    QCOMPARE(m_engine->queryCommandValue(QStringLiteral("FontName")),
             QVariant(QStringLiteral("Courier New")));
    QCOMPARE(m_engine->queryCommandValue(QStringLiteral("ForeColor")), QVariant(0x3366cc));
    QCOMPARE(script(QStringLiteral("document.getElementById('plain').textContent")),
             QVariant(QStringLiteral("Простой текст абзаца")));
}

void TestFontStyleCommands::thirteenPointsGiveSizeSix() {
    m_fixture->selectText(QStringLiteral("#plain"), 0, 7);
    confirmFont([](TFontDialog& dialog) { dialog.SetSize(13); });
    QCOMPARE(m_engine->queryCommandValue(QStringLiteral("FontSize")), QVariant(6));
}

void TestFontStyleCommands::sizeSixRoundTrips() {
    m_fixture->selectText(QStringLiteral("#sizes"), 8, 12);
    int shown = 0;
    confirmFont([&](TFontDialog& dialog) { shown = dialog.Size(); });
    QCOMPARE(shown, 14);
    QCOMPARE(m_engine->sent.at(0),
             std::make_pair(QStringLiteral("FontSize"), QVariant::fromValue<quint8>(6)));
    QCOMPARE(m_engine->queryCommandValue(QStringLiteral("FontSize")), QVariant(6));
}

void TestFontStyleCommands::cancelledFontSendsNothing() {
    m_fixture->selectText(QStringLiteral("#bold"), 0, 6);
    const QString before = m_fixture->bodyHtml();
    AnswerNextDialog([&](QDialog* dialog) {
        m_fontDialog->SetStyle(Effect::Italic);
        m_fontDialog->SetSize(16);
        dialog->reject();
    });
    m_commands->FontExecute();
    QVERIFY(m_engine->sent.isEmpty());
    QCOMPARE(m_fixture->bodyHtml(), before);
}

void TestFontStyleCommands::fontNameNotInstalledIsShown() {
    const QString missing = QStringLiteral("Несуществующий Шрифт");
    m_fontDialog->SetName(missing);
    QCOMPARE(m_fontDialog->Name(), missing);
    m_fontDialog->SetName(QStringLiteral("DejaVu Sans"));
    QCOMPARE(m_fontDialog->Name(), QStringLiteral("DejaVu Sans"));
}

// Where the focus is in the font dialog, the key pressed, and whether the
// dialog is then confirmed.
void TestFontStyleCommands::fontDialogAnswersKeys_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("confirmed");
    QTest::addRow("Enter in the name") << "name" << int(Qt::Key_Return) << true;
    QTest::addRow("Enter in the size") << "size" << int(Qt::Key_Return) << true;
    QTest::addRow("Enter on the colour button") << "color" << int(Qt::Key_Return) << true;
    QTest::addRow("Esc") << "name" << int(Qt::Key_Escape) << false;
}

void TestFontStyleCommands::fontDialogAnswersKeys() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, confirmed);
    m_fixture->selectText(QStringLiteral("#plain"), 0, 7);
    // A colour dialog opened instead would wait for an answer.
    bool colorDialogOpened = false;
    QTimer guard;
    connect(&guard, &QTimer::timeout, this, [&] {
        if (auto* color = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            colorDialogOpened = true;
            color->reject();
        }
    });
    guard.start(50);
    bool closed = false;
    AnswerNextDialog([&](QDialog* dialog) {
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QWidget* target = focus == QLatin1String("color")
                              ? static_cast<QWidget*>(
                                    dialog->findChild<QPushButton*>(QStringLiteral("FontColor")))
                          : focus == QLatin1String("size")
                              ? static_cast<QWidget*>(dialog->findChild<QSpinBox*>())
                              : static_cast<QWidget*>(dialog->findChild<QComboBox*>());
        target->setFocus();
        QTest::keyClick(dialog->windowHandle(), static_cast<Qt::Key>(key));
        closed = !dialog->isVisible();
    });
    m_commands->FontExecute();
    QVERIFY(closed);
    QVERIFY(!colorDialogOpened);
    QCOMPARE(!m_engine->sent.isEmpty(), confirmed);
}

void TestFontStyleCommands::styleListIsTheEngines() {
    QStringList items;
    for (int row = 0; row < m_formStyle->ParagraphStyle()->count(); ++row)
        items.append(m_formStyle->ParagraphStyle()->item(row)->text());
    QCOMPARE(items, m_engine->Exec(TargetCommand::BlockFormats));
    QVERIFY(!items.isEmpty());
}

void TestFontStyleCommands::styleChooserPreselectsCurrentBlock() {
    m_fixture->selectText(QStringLiteral("#heading"), 2, 2);
    QString preselected;
    AnswerNextDialog([&](QDialog* dialog) {
        if (QListWidgetItem* item = m_formStyle->SelectedStyle())
            preselected = item->text();
        dialog->reject();
    });
    m_commands->StyleExecute();
    QCOMPARE(preselected, QStringLiteral("Заголовок 2"));
}

// How the chooser is confirmed after picking "Заголовок 1".
void TestFontStyleCommands::styleConfirmedBy_data() {
    QTest::addColumn<QString>("how");
    QTest::addRow("OK") << "ok";
    QTest::addRow("Enter") << "enter";
    QTest::addRow("double click") << "double";
}

void TestFontStyleCommands::styleConfirmedBy() {
    QFETCH(QString, how);
    m_fixture->selectText(QStringLiteral("#plain"), 2, 2);
    AnswerNextDialog([&](QDialog* dialog) {
        QListWidget* list = m_formStyle->ParagraphStyle();
        const QList<QListWidgetItem*> found =
            list->findItems(QStringLiteral("Заголовок 1"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        if (how == QLatin1String("double")) {
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            const QRect rect = list->visualItemRect(found.first());
            QVERIFY(list->viewport()->rect().contains(rect.center()));
            const QPoint at = rect.center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QMouseEvent second(QEvent::MouseButtonDblClick, at, list->viewport()->mapToGlobal(at),
                               Qt::LeftButton, Qt::LeftButton, {});
            QApplication::sendEvent(list->viewport(), &second);
        } else {
            list->setCurrentItem(found.first());
            if (how == QLatin1String("enter"))
                QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
            else
                dialog->accept();
            QVERIFY(!dialog->isVisible());
        }
    });
    m_commands->StyleExecute();
    QCOMPARE(script(QStringLiteral("document.querySelector('h1') && "
                                   "document.querySelector('h1').textContent")),
             QVariant(QStringLiteral("Простой текст абзаца")));
}

void TestFontStyleCommands::styleDismissedChangesNothing() {
    m_fixture->selectText(QStringLiteral("#plain"), 2, 2);
    const QString before = m_fixture->bodyHtml();
    bool closedByEsc = false;
    AnswerNextDialog([&](QDialog* dialog) {
        m_formStyle->ParagraphStyle()->setCurrentRow(3);
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
        closedByEsc = !dialog->isVisible();
    });
    m_commands->StyleExecute();
    QVERIFY(closedByEsc);
    QVERIFY(m_engine->sent.isEmpty());
    QCOMPARE(m_fixture->bodyHtml(), before);
}

void TestFontStyleCommands::styleWithoutSelectionIsAnError() {
    // A selection across a paragraph and a heading has no one style.
    selectAcross(QStringLiteral("centered"), 2, QStringLiteral("heading"), 3);
    QVERIFY(IsNull(m_engine->queryCommandValue(QStringLiteral("FormatBlock"))));
    const QString before = m_fixture->bodyHtml();
    AnswerNextDialog([&](QDialog* dialog) {
        QVERIFY(!m_formStyle->SelectedStyle());
        dialog->accept();
    });
    QVERIFY_THROWS_EXCEPTION(Error, m_commands->StyleExecute());
    QVERIFY(m_engine->sent.isEmpty());
    QCOMPARE(m_fixture->bodyHtml(), before);
}

void TestFontStyleCommands::refillClearsSelection() {
    m_fixture->selectText(QStringLiteral("#heading"), 2, 2);
    AnswerNextDialog([&](QDialog* dialog) { dialog->reject(); });
    m_commands->StyleExecute();
    QVERIFY(m_formStyle->SelectedStyle());
    // Another document opened: the list is refilled and nothing is selected
    // until a block's style matches.
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("editing.htm")));
    m_commands->RefillStyleList();
    QVERIFY(!m_formStyle->SelectedStyle());
    selectAcross(QStringLiteral("body"), 2, QStringLiteral("heading"), 3);
    QString preselected = QStringLiteral("unset");
    AnswerNextDialog([&](QDialog* dialog) {
        const QListWidgetItem* item = m_formStyle->SelectedStyle();
        preselected = item ? item->text() : QString();
        dialog->reject();
    });
    m_commands->StyleExecute();
    QCOMPARE(preselected, QString());
}

QTEST_MAIN(TestFontStyleCommands)
#include "test_font_style_commands.moc"
