// Alignment, lists, indentation, highlight colour, clearing formats, the
// rule, the clipboard, printing, undo and redo and the zero-border display,
// run as the commands run them on the real engine.
#include "editor/commands/format_commands.h"
#include "tests/editor/engine_fixture.h"

#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineContextMenuRequest>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace quillery;

namespace {

using Handler = void (TFormatCommands::*)();

struct NamedHandler {
    const char* name;
    Handler handler;
};

constexpr NamedHandler kHandlers[] = {
    {"JustifyLeft", &TFormatCommands::JustifyLeftExecute},
    {"JustifyCenter", &TFormatCommands::JustifyCenterExecute},
    {"JustifyRight", &TFormatCommands::JustifyRightExecute},
    {"JustifyFull", &TFormatCommands::JustifyFullExecute},
    {"InsertOrderedList", &TFormatCommands::InsertOrderedListExecute},
    {"InsertUnorderedList", &TFormatCommands::InsertUnorderedListExecute},
    {"Indent", &TFormatCommands::IndentExecute},
    {"Outdent", &TFormatCommands::OutdentExecute},
    {"clearfrmt", &TFormatCommands::clearfrmtExecute},
    {"hr", &TFormatCommands::hrExecute},
};

Handler HandlerNamed(const QString& name) {
    for (const NamedHandler& h : kHandlers)
        if (name == QLatin1String(h.name))
            return h.handler;
    qFatal("no handler %s", qPrintable(name));
}

} // namespace

class TestFormatCommands final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void alignmentToggle_data();
    void alignmentToggle();
    void plainCommands_data();
    void plainCommands();
    void backColorOpensOnEngineColour_data();
    void backColorOpensOnEngineColour();
    void backColorCancelledChangesNothing();
    void clipboardIsTheSystemClipboard();
    void undoAndRedo();
    void printsThroughPrintDialog();
    void printoutHasNoEditingMarks();
    void showBorderTwiceRestoresDisplay();
    void windowRequestsAreRefused();

private:
    QVariant script(const QString& js) { return m_fixture->script(js); }
    QString outer(const char* id) {
        return script(
                   QStringLiteral("document.getElementById('%1').outerHTML").arg(QLatin1String(id)))
            .toString();
    }

    // Prints the document through the print dialog into a PDF file.
    void printTo(const QString& pdf);

    std::unique_ptr<EngineFixture> m_fixture;
    std::unique_ptr<QColorDialog> m_colorDialog;
    std::unique_ptr<TFormatCommands> m_commands;
};

void TestFormatCommands::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("formatting.htm")));
    m_colorDialog = std::make_unique<QColorDialog>();
    m_commands = std::make_unique<TFormatCommands>(m_fixture->engine(), *m_colorDialog);
}

void TestFormatCommands::cleanup() {
    m_commands.reset();
    m_colorDialog.reset();
    m_fixture.reset();
}

// The selection (a caret in from, or from one paragraph into to), the
// command, and the paragraphs centred and not centred afterwards.
void TestFormatCommands::alignmentToggle_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("centred");
    QTest::addColumn<QString>("notCentred");
    QTest::addRow("centred is taken off") << "centered"
                                          << ""
                                          << "JustifyCenter"
                                          << ""
                                          << "centered";
    QTest::addRow("uncentred is centred") << "plain"
                                          << ""
                                          << "JustifyCenter"
                                          << "plain"
                                          << "colors";
    QTest::addRow("mixed is centred") << "colors"
                                      << "centered"
                                      << "JustifyCenter"
                                      << "colors centered"
                                      << "";
    QTest::addRow("right on centred is applied") << "centered"
                                                 << ""
                                                 << "JustifyRight"
                                                 << ""
                                                 << "centered";
}

void TestFormatCommands::alignmentToggle() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, command);
    QFETCH(QString, centred);
    QFETCH(QString, notCentred);
    if (to.isEmpty()) {
        m_fixture->selectText(QLatin1Char('#') + from, 2, 2);
    } else {
        script(QStringLiteral("(() => { const r = document.createRange(); "
                              "r.setStart(document.getElementById('%1').firstChild, 0); "
                              "r.setEnd(document.getElementById('%2').firstChild, 3); "
                              "getSelection().removeAllRanges(); getSelection().addRange(r); })()")
                   .arg(from, to));
    }
    (m_commands.get()->*HandlerNamed(command))();
    const auto align = [&](const QString& id) {
        return script(QStringLiteral("getComputedStyle(document.getElementById('%1')).textAlign")
                          .arg(id))
            .toString();
    };
    for (const QString& id : centred.split(u' ', Qt::SkipEmptyParts))
        QVERIFY2(align(id).contains(QLatin1String("center")), qPrintable(id));
    for (const QString& id : notCentred.split(u' ', Qt::SkipEmptyParts))
        QVERIFY2(!align(id).contains(QLatin1String("center")), qPrintable(id));
    if (command == QLatin1String("JustifyRight"))
        QVERIFY(align(from).contains(QLatin1String("right")));
}

// The command, where the caret or selection is (text offsets in the element)
// and what the element's markup then holds.
void TestFormatCommands::plainCommands_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");
    const QString parentTag =
        QStringLiteral("document.getElementById('plain') ? "
                       "document.getElementById('plain').parentElement.tagName : 'gone'");
    QTest::addRow("numbered list")
        << "InsertOrderedList"
        << "#plain" << 2 << 2 << "document.querySelector('ol li').textContent"
        << "Простой текст абзаца";
    QTest::addRow("bulleted list")
        << "InsertUnorderedList"
        << "#plain" << 2 << 2 << "document.querySelector('ul li').textContent"
        << "Простой текст абзаца";
    QTest::addRow("indent") << "Indent"
                            << "#plain" << 2 << 2
                            << "document.getElementById('plain').parentElement.tagName"
                            << "BLOCKQUOTE";
    QTest::addRow("outdent without indent changes nothing")
        << "Outdent"
        << "#plain" << 2 << 2 << parentTag << "BODY";
    QTest::addRow("clear format") << "clearfrmt"
                                  << "#bold" << 0 << 6
                                  << "document.getElementById('bold').innerHTML"
                                  << "Жирный текст";
    QTest::addRow("rule, with no attributes") << "hr"
                                              << "#last" << 2 << 2
                                              << "Array.from(document.querySelectorAll('hr'), "
                                                 "(hr) => hr.outerHTML).join()"
                                              << "<hr>";
}

void TestFormatCommands::plainCommands() {
    QFETCH(QString, command);
    QFETCH(QString, where);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, query);
    QFETCH(QString, expected);
    m_fixture->selectText(where, from, to);
    (m_commands.get()->*HandlerNamed(command))();
    QCOMPARE(script(query).toString(), expected);
}

// Where the selection is, the colour the dialog must open on, and the
// colour chosen there.
void TestFormatCommands::backColorOpensOnEngineColour_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QColor>("shown");
    QTest::addRow("blue highlight") << 12 << 16 << QColor(Qt::blue);
    QTest::addRow("no highlight reads white") << 0 << 5 << QColor(Qt::white);
    QTest::addRow("mixed opens on black") << 5 << 14 << QColor(Qt::black);
}

void TestFormatCommands::backColorOpensOnEngineColour() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QColor, shown);
    m_fixture->selectText(QStringLiteral("#colors"), from, to);
    // A colour left from an earlier use must not show through.
    m_colorDialog->setCurrentColor(Qt::green);
    QColor opened;
    AnswerNextDialog([&](QDialog*) {
        opened = m_colorDialog->currentColor();
        m_colorDialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
        m_colorDialog->accept();
    });
    m_commands->BackColorExecute();
    QCOMPARE(opened, shown);
    QCOMPARE(m_fixture->engine().queryCommandValue(QStringLiteral("BackColor")),
             QVariant(0x563412));
}

void TestFormatCommands::backColorCancelledChangesNothing() {
    m_fixture->selectText(QStringLiteral("#plain"), 0, 7);
    const QString before = m_fixture->bodyHtml();
    AnswerNextDialog([&](QDialog*) {
        m_colorDialog->setCurrentColor(Qt::red);
        m_colorDialog->reject();
    });
    m_commands->BackColorExecute();
    QCOMPARE(m_fixture->bodyHtml(), before);
}

void TestFormatCommands::clipboardIsTheSystemClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    m_fixture->selectText(QStringLiteral("#plain"), 0, 7);
    m_commands->CopyExecute();
    QTRY_COMPARE(clipboard->text(), QStringLiteral("Простой"));
    m_fixture->selectText(QStringLiteral("#plain"), 8, 13);
    m_commands->CutExecute();
    QTRY_COMPARE(clipboard->text(), QStringLiteral("текст"));
    // The engine keeps the two spaces apart with a no-break space.
    QCOMPARE(script(QStringLiteral(
                 "document.getElementById('plain').textContent.replace(/\\u00a0/g, ' ')")),
             QVariant(QStringLiteral("Простой  абзаца")));
    // What another program put there is pasted.
    clipboard->setText(QStringLiteral("из буфера"));
    m_fixture->selectText(QStringLiteral("#last"), 0, 0);
    m_commands->PasteExecute();
    QCOMPARE(script(QStringLiteral("document.getElementById('last').textContent")),
             QVariant(QStringLiteral("из буфераКонец")));
}

void TestFormatCommands::undoAndRedo() {
    m_fixture->selectText(QStringLiteral("#plain"), 2, 2);
    const QString before = m_fixture->bodyHtml();
    m_commands->InsertOrderedListExecute();
    const QString after = m_fixture->bodyHtml();
    QVERIFY(after != before);
    m_commands->UndoExecute();
    QCOMPARE(m_fixture->bodyHtml(), before);
    m_commands->RedoExecute();
    QCOMPARE(m_fixture->bodyHtml(), after);
}

void TestFormatCommands::printTo(const QString& pdf) {
    bool answered = false;
    AnswerNextDialog([&](QDialog* dialog) {
        answered = qobject_cast<QPrintDialog*>(dialog) != nullptr;
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        QVERIFY(printers && fileName);
        printers->setCurrentIndex(printers->count() - 1); // "Print to File (PDF)"
        fileName->setText(pdf);
        dialog->accept();
    });
    m_commands->PrintExecute();
    QVERIFY(answered);
}

void TestFormatCommands::printsThroughPrintDialog() {
    const QString pdf = m_fixture->scratchPath(QStringLiteral("printed.pdf"));
    printTo(pdf);
    QFile printed(pdf);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.read(5) == "%PDF-");
    QVERIFY(printed.size() > 1000);
}

// The dotted outlines of a borderless table and the mark of a selected
// picture are for the editor only: the printout is the same as that of the
// page without them.
void TestFormatCommands::printoutHasNoEditingMarks() {
    const QString page = m_fixture->copyFixture(QStringLiteral("formatting.htm"));
    QImage photo(60, 40, QImage::Format_RGB32);
    photo.fill(QColor(200, 40, 40));
    QVERIFY(photo.save(m_fixture->scratchPath(QStringLiteral("photo.jpg")), "JPG"));
    m_fixture->open(page);
    script(QStringLiteral("document.body.insertAdjacentHTML('beforeend', "
                          "'<table id=zero border=0><tr><td>без рамки</td><td>вторая</td></tr>"
                          "</table>')"));
    const auto rendered = [&](const QString& name) {
        const QString pdf = m_fixture->scratchPath(name + QStringLiteral(".pdf"));
        printTo(pdf);
        const QString png = m_fixture->scratchPath(name);
        const int status =
            QProcess::execute(QStringLiteral("pdftoppm"),
                              {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-png"),
                               QStringLiteral("-singlefile"), pdf, png});
        if (status != 0)
            qWarning("pdftoppm failed: %d", status);
        return QImage(png + QStringLiteral(".png"));
    };

    m_commands->ShowBorderExecute();
    m_fixture->click(QStringLiteral("#img"));
    QCOMPARE(script(QStringLiteral("getComputedStyle(document.getElementById('zero'))"
                                   ".outlineStyle")),
             QVariant(QStringLiteral("dotted")));
    QCOMPARE(script(QStringLiteral("getComputedStyle(document.getElementById('img'))"
                                   ".outlineStyle")),
             QVariant(QStringLiteral("solid")));
    const QImage marked = rendered(QStringLiteral("marked"));

    m_commands->ShowBorderExecute();
    m_fixture->selectText(QStringLiteral("#last"), 1, 1);
    QCOMPARE(script(QStringLiteral("getComputedStyle(document.getElementById('img'))"
                                   ".outlineStyle")),
             QVariant(QStringLiteral("none")));
    const QImage plain = rendered(QStringLiteral("plain"));

    QVERIFY(!plain.isNull());
    QCOMPARE(marked.size(), plain.size());
    QVERIFY(marked == plain);
}

void TestFormatCommands::showBorderTwiceRestoresDisplay() {
    const QString outline =
        QStringLiteral("getComputedStyle(document.querySelector('p')).outlineStyle");
    script(QStringLiteral("document.body.insertAdjacentHTML('beforeend', "
                          "'<table id=zero border=0><tr><td>x</td></tr></table>')"));
    const QString zero =
        QStringLiteral("getComputedStyle(document.getElementById('zero')).outlineStyle");
    QCOMPARE(script(zero), QVariant(QStringLiteral("none")));
    m_commands->ShowBorderExecute();
    QCOMPARE(script(zero), QVariant(QStringLiteral("dotted")));
    m_commands->ShowBorderExecute();
    QCOMPARE(script(zero), QVariant(QStringLiteral("none")));
    QCOMPARE(script(outline), QVariant(QStringLiteral("none")));
}

void TestFormatCommands::windowRequestsAreRefused() {
    auto* view = static_cast<QWebEngineView*>(m_fixture->engine().widget());
    const QUrl url = view->url();
    const int windows = QApplication::topLevelWidgets().size();
    // A close request (as from the page's window.close()) is not answered.
    QSignalSpy closeRequests(view->page(), &QWebEnginePage::windowCloseRequested);
    view->page()->triggerAction(QWebEnginePage::RequestClose);
    QTRY_COMPARE(closeRequests.size(), 1);
    // A link opened in a new window.
    script(QStringLiteral("document.getElementById('last').innerHTML = "
                          "'<a id=away href=\"http://example.org/\">ссылка</a>'"));
    m_fixture->click(QStringLiteral("#away"), {}, Qt::RightButton);
    QTRY_VERIFY(view->lastContextMenuRequest());
    QCOMPARE(view->lastContextMenuRequest()->linkUrl(),
             QUrl(QStringLiteral("http://example.org/")));
    QSignalSpy requests(view->page(), &QWebEnginePage::newWindowRequested);
    view->page()->triggerAction(QWebEnginePage::OpenLinkInNewWindow);
    view->page()->triggerAction(QWebEnginePage::OpenLinkInNewTab);
    QTRY_COMPARE(requests.size(), 2);
    QVERIFY(view->isVisible());
    QCOMPARE(view->url(), url);
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    QCOMPARE(m_fixture->engine().title(), QStringLiteral("Формат"));
}

QTEST_MAIN(TestFormatCommands)
#include "test_format_commands.moc"
