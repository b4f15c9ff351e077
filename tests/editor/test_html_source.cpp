// The source view: the dialog itself, and the markup of the selection shown,
// edited and put back on the real engine.
#include "editor/commands/html_command.h"
#include "editor/commands/html_source.h"
#include "tests/editor/engine_fixture.h"

#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

using namespace quillery;

class TestHtmlSource final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogLayout();
    void textJoinsLinesWithCrLf_data();
    void textJoinsLinesWithCrLf();
    void caretOpensEmptyAndInsertsTypedMarkup_data();
    void caretOpensEmptyAndInsertsTypedMarkup();
    void objectShowsAndReplacesOuterMarkup();
    void dismissedAfterEditingChangesNothing();
    void confirmedUnchangedKeepsMarkup_data();
    void confirmedUnchangedKeepsMarkup();
    void editedTextKeepsItsFormatting();
    void paragraphSelectedToTheNextOne();
    void charactersOutsideTheCodePageSurvive_data();
    void charactersOutsideTheCodePageSurvive();

private:
    QVariant script(const QString& js) { return m_fixture->script(js); }
    // Runs the command; answer sees the editor and closes the dialog.
    QString run(const std::function<void(THTMLSource&)>& answer);

    std::unique_ptr<EngineFixture> m_fixture;
    std::unique_ptr<THTMLSource> m_dialog;
    std::unique_ptr<THTMLCommand> m_command;
};

void TestHtmlSource::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("formatting.htm")));
    m_dialog = std::make_unique<THTMLSource>(m_fixture->engine().widget());
    m_command = std::make_unique<THTMLCommand>(m_fixture->engine(), *m_dialog);
}

void TestHtmlSource::cleanup() {
    m_command.reset();
    m_dialog.reset();
    m_fixture.reset();
}

QString TestHtmlSource::run(const std::function<void(THTMLSource&)>& answer) {
    QString shown = QStringLiteral("never shown");
    AnswerNextDialog([&](QDialog*) {
        shown = m_dialog->Memo1()->text();
        answer(*m_dialog);
    });
    m_command->HTMLExecute();
    return shown;
}

void TestHtmlSource::dialogLayout() {
    QString focused;
    run([&](THTMLSource& dialog) {
        // The page may hold the focus until the dialog's window is active.
        QTRY_VERIFY(QApplication::focusWidget() &&
                    QApplication::focusWidget()->window() == &dialog);
        focused = QApplication::focusWidget()->objectName();
        dialog.reject();
    });
    QCOMPARE(focused, QStringLiteral("Memo1"));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("HTML"));
    QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
    auto* group = m_dialog->findChild<QGroupBox*>();
    QCOMPARE(group->title(), QStringLiteral("Исходный код"));
    QVERIFY(group->isAncestorOf(m_dialog->Memo1()));
    QStringList buttons;
    for (const QPushButton* button : m_dialog->findChildren<QPushButton*>())
        buttons.append(button->text() + (button->isDefault() ? QStringLiteral("*") : QString()));
    buttons.sort();
    QCOMPARE(buttons.join(u' '), QStringLiteral("OK* Отмена"));
    QsciScintilla* memo = m_dialog->Memo1();
    QVERIFY(qobject_cast<QsciLexerHTML*>(memo->lexer()));
    QCOMPARE(memo->margins(), 0);
    const QFont font = memo->lexer()->font(QsciLexerHTML::Tag);
    QCOMPARE(QFontInfo(font).pixelSize(), 13);
    // As the editor draws it: a line of 13-pixel characters.
    const long lineHeight = memo->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0);
    QVERIFY2(lineHeight >= 13 && lineHeight <= 18, qPrintable(QString::number(lineHeight)));
    QVERIFY(QFontInfo(font).fixedPitch());
    const QString family = QFontInfo(font).family();
    QVERIFY2(family == QLatin1String("Courier New") || family == QLatin1String("Liberation Mono"),
             qPrintable(family));
    // Tags, attributes and text are coloured apart.
    QsciLexer* lexer = memo->lexer();
    QVERIFY(lexer->color(QsciLexerHTML::Tag) != lexer->color(QsciLexerHTML::Default));
    QVERIFY(lexer->color(QsciLexerHTML::Attribute) != lexer->color(QsciLexerHTML::Tag));
}

void TestHtmlSource::textJoinsLinesWithCrLf_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read");
    QTest::addRow("one line") << "<b>x</b>"
                              << "<b>x</b>";
    QTest::addRow("line feeds") << "<p>\na\n</p>"
                                << "<p>\r\na\r\n</p>";
    QTest::addRow("mixed breaks") << "a\r\nb\rc"
                                  << "a\r\nb\r\nc";
    QTest::addRow("empty") << ""
                           << "";
}

void TestHtmlSource::textJoinsLinesWithCrLf() {
    QFETCH(QString, text);
    QFETCH(QString, read);
    m_dialog->SetText(text);
    QCOMPARE(m_dialog->Text(), read);
}

// How the typed markup is confirmed.
void TestHtmlSource::caretOpensEmptyAndInsertsTypedMarkup_data() {
    QTest::addColumn<bool>("byKeyboard");
    QTest::addRow("OK") << false;
    QTest::addRow("Ctrl+Enter in the editor") << true;
}

void TestHtmlSource::caretOpensEmptyAndInsertsTypedMarkup() {
    QFETCH(bool, byKeyboard);
    m_fixture->selectText(QStringLiteral("#last"), 3, 3);
    bool closed = false;
    const QString shown = run([&](THTMLSource& dialog) {
        QTest::keyClicks(dialog.Memo1(), QStringLiteral("<b>bold</b>"));
        if (byKeyboard)
            QTest::keyClick(dialog.windowHandle(), Qt::Key_Return, Qt::ControlModifier);
        else
            for (QPushButton* button : dialog.findChildren<QPushButton*>())
                if (button->text() == QLatin1String("OK"))
                    button->click();
        closed = !dialog.isVisible();
    });
    QVERIFY(closed);
    QCOMPARE(shown, QString());
    QCOMPARE(script(QStringLiteral("document.getElementById('last').innerHTML")),
             QVariant(QStringLiteral("Кон<b>bold</b>ец")));
}

void TestHtmlSource::objectShowsAndReplacesOuterMarkup() {
    m_fixture->click(QStringLiteral("#img"));
    const QString shown = run([](THTMLSource& dialog) {
        dialog.SetText(QStringLiteral("<i>вместо</i>"));
        dialog.accept();
    });
    QCOMPARE(shown,
             QStringLiteral("<img id=\"img\" src=\"photo.jpg\" width=\"60\" height=\"40\">"));
    QCOMPARE(script(QStringLiteral("document.getElementById('picture').innerHTML")),
             QVariant(QStringLiteral("до<i>вместо</i>после")));
}

void TestHtmlSource::dismissedAfterEditingChangesNothing() {
    m_fixture->selectText(QStringLiteral("#plain"), 0, 7);
    const QString before = m_fixture->bodyHtml();
    bool closedByEsc = false;
    run([&](THTMLSource& dialog) {
        QTest::keyClicks(dialog.Memo1(), QStringLiteral("<hr>"));
        QTest::keyClick(dialog.windowHandle(), Qt::Key_Escape);
        closedByEsc = !dialog.isVisible();
    });
    QVERIFY(closedByEsc);
    QCOMPARE(m_fixture->bodyHtml(), before);
}

// The selection (within one element, or from one element into another) whose
// markup is confirmed unchanged.
void TestHtmlSource::confirmedUnchangedKeepsMarkup_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("fromOffset");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("toOffset");
    QTest::addRow("plain text") << "plain" << 0 << "plain" << 7;
    QTest::addRow("across two sizes") << "sizes" << 2 << "sizes" << 10;
    QTest::addRow("bold word") << "bold" << 0 << "bold" << 6;
    QTest::addRow("across paragraphs") << "plain" << 3 << "bold" << 3;
}

void TestHtmlSource::confirmedUnchangedKeepsMarkup() {
    QFETCH(QString, from);
    QFETCH(int, fromOffset);
    QFETCH(QString, to);
    QFETCH(int, toOffset);
    script(QStringLiteral("(() => { const at = (id, offset) => { const w = "
                          "document.createTreeWalker(document.getElementById(id), "
                          "NodeFilter.SHOW_TEXT); let n, seen = 0; while ((n = w.nextNode())) { "
                          "if (offset <= seen + n.length) return [n, offset - seen]; "
                          "seen += n.length; } }; const r = document.createRange(); "
                          "r.setStart(...at('%1', %2)); r.setEnd(...at('%3', %4)); "
                          "getSelection().removeAllRanges(); getSelection().addRange(r); })()")
               .arg(from)
               .arg(fromOffset)
               .arg(to)
               .arg(toOffset));
    const QString before = m_fixture->bodyHtml();
    const QString text = script(QStringLiteral("document.body.textContent")).toString();
    const QString shown = run([](THTMLSource& dialog) { dialog.accept(); });
    QVERIFY(!shown.isEmpty());
    QCOMPARE(script(QStringLiteral("document.body.textContent")).toString(), text);
    QCOMPARE(m_fixture->bodyHtml(), before);
}

void TestHtmlSource::editedTextKeepsItsFormatting() {
    m_fixture->selectText(QStringLiteral("#bold"), 0, 6);
    const QString shown = run([](THTMLSource& dialog) {
        dialog.Memo1()->setCursorPosition(0, dialog.Memo1()->text().indexOf(u'<', 1));
        QTest::keyClicks(dialog.Memo1(), QStringLiteral("!"));
        dialog.accept();
    });
    QCOMPARE(shown, QStringLiteral("<b>Жирный</b>"));
    // The engine may keep the following space as a no-break space.
    QCOMPARE(
        script(QStringLiteral("document.getElementById('bold').innerHTML.replace('&nbsp;', ' ')")),
        QVariant(QStringLiteral("<b>Жирный!</b> текст")));
}

void TestHtmlSource::paragraphSelectedToTheNextOne() {
    // As a triple click selects a paragraph: up to the start of the next.
    script(QStringLiteral("(() => { const r = document.createRange(); "
                          "r.setStart(document.getElementById('plain').firstChild, 0); "
                          "r.setEnd(document.getElementById('bold').firstChild.firstChild, 0); "
                          "getSelection().removeAllRanges(); getSelection().addRange(r); })()"));
    const QString after =
        m_fixture->bodyHtml().mid(m_fixture->bodyHtml().indexOf(QStringLiteral("<p id=\"bold\">")));
    const QString shown = run([](THTMLSource& dialog) {
        dialog.Memo1()->setCursorPosition(0, dialog.Memo1()->text().length());
        QTest::keyClicks(dialog.Memo1(), QStringLiteral("!"));
        dialog.accept();
    });
    QCOMPARE(shown, QStringLiteral("Простой текст абзаца"));
    const QString body = m_fixture->bodyHtml();
    QVERIFY2(body.contains(QStringLiteral("Простой текст абзаца!</p>")), qPrintable(body));
    QVERIFY2(body.endsWith(after), qPrintable(body));
    QVERIFY2(!body.contains(QStringLiteral("<p></p>")), qPrintable(body));
}

// Whether the text is edited in the view before it is confirmed.
void TestHtmlSource::charactersOutsideTheCodePageSurvive_data() {
    QTest::addColumn<bool>("edited");
    QTest::addRow("unchanged") << false;
    QTest::addRow("edited") << true;
}

void TestHtmlSource::charactersOutsideTheCodePageSurvive() {
    QFETCH(bool, edited);
    const QString emoji = QString::fromUcs4(U"\U0001F600", 1);
    m_fixture->selectText(QStringLiteral("#foreign"), 0, 16);
    const QString text =
        script(QStringLiteral("document.getElementById('foreign').textContent")).toString();
    QVERIFY(text.contains(QStringLiteral("αβ")));
    QVERIFY(text.contains(emoji));
    const QString shown = run([&](THTMLSource& dialog) {
        if (edited) {
            dialog.Memo1()->setCursorPosition(0, 0);
            QTest::keyClicks(dialog.Memo1(), QStringLiteral("<i>x</i>"));
        }
        dialog.accept();
    });
    QVERIFY2(shown.contains(QStringLiteral("αβ")), qPrintable(shown));
    QVERIFY2(shown.contains(emoji), qPrintable(shown));
    QCOMPARE(script(QStringLiteral("document.getElementById('foreign').textContent")).toString(),
             edited ? QStringLiteral("x") + text : text);
}

QTEST_MAIN(TestHtmlSource)
#include "test_html_source.moc"
