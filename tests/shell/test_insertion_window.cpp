// The insertion commands in the main window: their actions and shortcuts
// with the keyboard in the page, and links that survive leaving the page.
#include "editor/engine.h"
#include "editor/insertion/form_link.h"
#include "shell/contents_model.h"
#include "tests/editor/engine_fixture.h"
#include "tests/shell/shell_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QUrl>

namespace quillery {
namespace {

const QString kA = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000a.htm");
const QString kB = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000b.htm");

} // namespace

class TestInsertionWindow final : public QObject {
    Q_OBJECT

private slots:
    void actions_data();
    void actions();
    void shortcutsWorkInThePage_data();
    void shortcutsWorkInThePage();
    void linksSurviveLeavingThePage();
};

void TestInsertionWindow::actions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addRow("Link") << "Link" << QStringLiteral("Вставить гиперссылку")
                          << QStringLiteral("Создание ссылки на веб-страницу, рисунок,  адрес "
                                            "электронной почты или программу")
                          << QKeySequence(QStringLiteral("Ctrl+K"));
    QTest::addRow("Directry") << "Directry" << QStringLiteral("Вставить элемент оглавления")
                              << QStringLiteral("Создание ссылки на элемент оглавления")
                              << QKeySequence(QStringLiteral("Ctrl+Alt+K"));
    QTest::addRow("Image") << "Image" << QStringLiteral("Вставить рисунок из файла")
                           << QStringLiteral("Вставка рисунка из файла")
                           << QKeySequence(QStringLiteral("Ctrl+G"));
    QTest::addRow("ImageOpen") << "ImageOpen"
                               << QStringLiteral("Вставить просмотровый рисунок из файла")
                               << QStringLiteral("Вставка просмотрового рисунка из файла")
                               << QKeySequence();
}

void TestInsertionWindow::actions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QKeySequence, shortcut);
    TMainForm form(nullptr);
    auto* action = form.findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->toolTip(), hint);
    QCOMPARE(action->statusTip(), hint);
    QCOMPARE(action->shortcut(), shortcut);
}

// The keys pressed in the page and the dialog they open: "link" (the
// engine's hyperlink dialog), "contents" or "file".
void TestInsertionWindow::shortcutsWorkInThePage_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("dialog");
    QTest::addRow("Ctrl+K") << int(Qt::Key_K) << int(Qt::ControlModifier) << "link";
    QTest::addRow("Ctrl+Alt+K") << int(Qt::Key_K) << int(Qt::ControlModifier | Qt::AltModifier)
                                << "contents";
    QTest::addRow("Ctrl+G") << int(Qt::Key_G) << int(Qt::ControlModifier) << "file";
}

void TestInsertionWindow::shortcutsWorkInThePage() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, dialog);
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}});
    SiteFixture::WriteFile(site.SiteFile(kA), SiteFixture::Document(QStringLiteral("<P>a</P>")));
    auto form = site.OpenForm();
    QWidget* page = form->VISUALEdit().widget()->focusProxy();
    page->setFocus();
    QString shown;
    AnswerNextDialog([&](QDialog* open) {
        if (open == form->FormLink())
            shown = QStringLiteral("contents");
        else if (qobject_cast<QFileDialog*>(open))
            shown = QStringLiteral("file");
        else if (open->findChild<QLineEdit*>())
            shown = QStringLiteral("link");
        open->reject();
    });
    QTest::keyClick(page, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTRY_COMPARE(shown, dialog);
    QVERIFY(site.asker.errors.isEmpty());
}

void TestInsertionWindow::linksSurviveLeavingThePage() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("Б"), kB}});
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral("<P id=t>текст</P>")));
    SiteFixture::WriteFile(site.SiteFile(kB), SiteFixture::Document(QStringLiteral("<P>B</P>")));
    QDir(site.OutsidePath()).mkdir(QStringLiteral("Photos"));
    const QString photo = site.OutsidePath() + QStringLiteral("Photos/Big.JPG");
    SiteFixture::WriteFile(photo, SiteFixture::Jpeg(40, 30));
    auto form = site.OpenForm();
    QWidget* page = form->VISUALEdit().widget()->focusProxy();
    page->setFocus();
    const auto caretAtEnd = [&] {
        SiteFixture::Script(
            *form, QStringLiteral("(() => { const p = document.querySelector('#t'); "
                                  "const r = document.createRange(); r.selectNodeContents(p); "
                                  "r.collapse(false); getSelection().removeAllRanges(); "
                                  "getSelection().addRange(r); })()"));
    };

    caretAtEnd();
    AnswerNextDialog([&](QDialog*) {
        form->FormLink()->ListBox()->setCurrentRow(1);
        QTest::keyClick(form->FormLink()->ListBox(), Qt::Key_Return);
    });
    QTest::keyClick(page, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    caretAtEnd();
    AnswerNextDialog([&](QDialog* dialog) { ChooseFile(dialog, photo); });
    form->ActionListInsert().ImageOpen->trigger();

    SiteFixture::Select(*form, form->Tree().Root(1));
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    const QString saved = site.SavedBody(kA);
    QVERIFY2(saved.contains(QStringLiteral("<a href=\"?%1\" target=\"index\">Б</a>").arg(kB)),
             qPrintable(saved));
    QVERIFY2(saved.contains(QStringLiteral("<a href=\"big.jpg\" target=\"_blank\">big.jpg</a>")),
             qPrintable(saved));
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(QStringLiteral("big.jpg"))),
             SiteFixture::ReadFile(photo));

    // Opened again, the links lead to the other document and to the copy.
    SiteFixture::Select(*form, form->Tree().Root(0));
    const QStringList targets = form->VISUALEdit().linkTargets();
    QCOMPARE(targets.size(), 2);
    const QUrl contents(targets[0]);
    QCOMPARE(contents.toLocalFile(), site.SiteFile(kA));
    QCOMPARE(contents.query(), kB);
    QCOMPARE(QUrl(targets[1]).toLocalFile(), site.SiteFile(QStringLiteral("big.jpg")));
}

} // namespace quillery

QTEST_MAIN(quillery::TestInsertionWindow)
#include "test_insertion_window.moc"
