// The insertion commands on the real engine: contents links through the
// contents dialog, preview links through the file dialog, symbols, and the
// engine's own link and picture dialogs.
#include "editor/insertion/form_link.h"
#include "editor/insertion/insert_commands.h"
#include "editor/insertion/open_dialog.h"
#include "store/contents_tree.h"
#include "store/error.h"
#include "store/text_codec.h"
#include "tests/editor/engine_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QUrl>

using namespace quillery;

namespace {

TTreeNode* AddNode(TContentsTree& tree, TTreeNode* parent, const QString& title,
                   const char* fileName) {
    TTreeRec rec;
    rec.FileName = fileName;
    return tree.AddChild(parent, ToCp1251(title), rec);
}

} // namespace

class TestInsertCommands final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void contentsListShowsEveryNodeIndented();
    void contentsLink_data();
    void contentsLink();
    void contentsLineChosenOrDialogLeft_data();
    void contentsLineChosenOrDialogLeft();
    void emptyContentsReportsInvalidIndex();
    void previewLink_data();
    void previewLink();
    void previewDialogStartsOnLinkedFile_data();
    void previewDialogStartsOnLinkedFile();
    void symbolReplacesSelectedPicture();
    void engineDialogsForLinkAndPicture();

private:
    QString body() {
        return m_fixture->script(QStringLiteral("document.body.innerHTML")).toString();
    }
    // The engine keeps a blank next to inserted markup as a no-break space.
    QString bodyParagraph() {
        return m_fixture->script(QStringLiteral("document.querySelector('#body').innerHTML"))
            .toString()
            .replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    }
    // A file of the given name (folders included) under the scratch folder.
    QString makeFile(const QString& relative);

    std::unique_ptr<EngineFixture> m_fixture;
    TContentsTree m_tree;
    std::unique_ptr<TFormLink> m_formLink;
    std::unique_ptr<TOpenDialog> m_openDialog;
    std::unique_ptr<TInsertCommands> m_commands;
    bool m_undo = false;
};

void TestInsertCommands::init() {
    m_fixture = std::make_unique<EngineFixture>();
    m_fixture->open(m_fixture->copyFixture(QStringLiteral("editing.htm")));
    m_tree.Clear();
    // Every branch collapsed, as after loading.
    TTreeNode* garden = AddNode(m_tree, nullptr, QStringLiteral("Сад"), "aaa.htm");
    TTreeNode* apples = AddNode(m_tree, garden, QStringLiteral("Яблони"), "bbb.htm");
    AddNode(m_tree, apples, QStringLiteral("Антоновка"), "ccc.htm");
    AddNode(m_tree, garden, QStringLiteral("Груши"), "ddd.htm");
    AddNode(m_tree, nullptr, QStringLiteral("Огород"), "eee.htm");
    m_formLink = std::make_unique<TFormLink>(nullptr);
    m_openDialog = std::make_unique<TOpenDialog>(nullptr);
    m_undo = false;
    m_commands =
        std::make_unique<TInsertCommands>(m_fixture->engine(), m_tree, *m_formLink, *m_openDialog,
                                          UndoRedoFlags{[this](bool on) { m_undo = on; },
                                                        [](bool) {
                                                        }});
}

void TestInsertCommands::cleanup() {
    m_commands.reset();
    m_openDialog.reset();
    m_formLink.reset();
    m_fixture.reset();
}

QString TestInsertCommands::makeFile(const QString& relative) {
    const QString path = m_fixture->scratchPath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("picture") != 7)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestInsertCommands::contentsListShowsEveryNodeIndented() {
    m_fixture->selectText(QStringLiteral("#body"), 6, 6);
    const QString before = body();
    QStringList lines;
    int selected = -2;
    AnswerNextDialog([&](QDialog* dialog) {
        QCOMPARE(dialog, m_formLink.get());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Гиперуказатель"));
        for (int i = 0; i < m_formLink->ListBox()->count(); ++i)
            lines.append(m_formLink->ListBox()->item(i)->text());
        selected = m_formLink->ItemIndex();
        dialog->reject();
    });
    m_commands->DirectryExecute();
    QCOMPARE(lines, QStringList({QStringLiteral("Сад"), QStringLiteral(" Яблони"),
                                 QStringLiteral("  Антоновка"), QStringLiteral(" Груши"),
                                 QStringLiteral("Огород")}));
    QCOMPARE(selected, 0);
    QCOMPARE(body(), before);
}

// Where the selection is, the line chosen, a title to give that node first
// (empty: keep it), and the paragraph afterwards.
void TestInsertCommands::contentsLink_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("paragraph");
    QTest::addRow("caret: title as text, target index")
        << 6 << 6 << 2 << QString()
        << QStringLiteral("Просто<a href=\"?ccc.htm\" target=\"index\">Антоновка</a> текст абзаца");
    QTest::addRow("text selected: linked, no target")
        << 0 << 6 << 2 << QString()
        << QStringLiteral("<a href=\"?ccc.htm\">Просто</a> текст абзаца");
    QTest::addRow("title read as markup")
        << 6 << 6 << 4 << QStringLiteral("Лук &amp; <b>чеснок</b> & <i>укроп</i>")
        << QStringLiteral("Просто<a href=\"?eee.htm\" target=\"index\">Лук &amp; <b>чеснок</b> "
                          "&amp; <i>укроп</i></a> текст абзаца");
}

void TestInsertCommands::contentsLink() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, line);
    QFETCH(QString, title);
    QFETCH(QString, paragraph);
    if (!title.isEmpty())
        m_tree.Root(1)->SetText(ToCp1251(title));
    m_fixture->selectText(QStringLiteral("#body"), from, to);
    AnswerNextDialog([&](QDialog* dialog) {
        m_formLink->ListBox()->setCurrentRow(line);
        QTest::mouseClick(m_formLink->BitBtn1(), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    });
    m_commands->DirectryExecute();
    QCOMPARE(bodyParagraph(), paragraph);
}

// How the user leaves the dialog, and whether a link to the chosen line
// (" Груши") follows.
void TestInsertCommands::contentsLineChosenOrDialogLeft_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("inserted");
    QTest::addRow("OK") << "ok" << true;
    QTest::addRow("double click on the line") << "double click" << true;
    QTest::addRow("Enter") << "enter" << true;
    QTest::addRow("Cancel") << "cancel" << false;
    QTest::addRow("Esc") << "esc" << false;
}

void TestInsertCommands::contentsLineChosenOrDialogLeft() {
    QFETCH(QString, how);
    QFETCH(bool, inserted);
    m_fixture->selectText(QStringLiteral("#body"), 6, 6);
    const QString before = bodyParagraph();
    AnswerNextDialog([&](QDialog* dialog) {
        QListWidget* list = m_formLink->ListBox();
        list->setCurrentRow(3);
        if (how == QLatin1String("ok"))
            QTest::mouseClick(m_formLink->BitBtn1(), Qt::LeftButton);
        else if (how == QLatin1String("cancel"))
            QTest::mouseClick(m_formLink->BitBtn2(), Qt::LeftButton);
        else if (how == QLatin1String("double click")) {
            const QPoint line = list->visualItemRect(list->item(3)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line);
        } else if (how == QLatin1String("enter"))
            QTest::keyClick(list, Qt::Key_Return);
        else
            QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
    });
    m_commands->DirectryExecute();
    QCOMPARE(bodyParagraph(),
             inserted ? QStringLiteral("Просто<a href=\"?ddd.htm\" target=\"index\">Груши</a> "
                                       "текст абзаца")
                      : before);
}

void TestInsertCommands::emptyContentsReportsInvalidIndex() {
    m_tree.Clear();
    m_fixture->selectText(QStringLiteral("#body"), 6, 6);
    const QString before = body();
    int lines = -1;
    AnswerNextDialog([&](QDialog*) {
        lines = m_formLink->ListBox()->count();
        QTest::mouseClick(m_formLink->BitBtn1(), Qt::LeftButton);
    });
    QString error;
    try {
        m_commands->DirectryExecute();
    } catch (const Error& e) {
        error = QString::fromUtf8(e.what());
    }
    QCOMPARE(lines, 0);
    QCOMPARE(error, QStringLiteral("Invalid index"));
    QCOMPARE(body(), before);
}

// The file chosen, what is selected ("caret", "text" or "picture"), and the
// text the new link shows.
void TestInsertCommands::previewLink_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("text");
    QTest::addRow("caret, capitals in the path") << "Photos/Big.JPG"
                                                 << "caret"
                                                 << "big.jpg";
    QTest::addRow("caret, a name that reads as markup and as a fragment")
        << "Photos/R&D <1> #2 100%.JPG"
        << "caret"
        << "r&d <1> #2 100%.jpg";
    QTest::addRow("caret, a name outside the code page") << "Photos/Ωmega.JPG"
                                                         << "caret"
                                                         << "Ωmega.jpg";
    QTest::addRow("text selected") << "Photos/Big.JPG"
                                   << "text"
                                   << "Просто";
    QTest::addRow("picture selected") << "Photos/Big.JPG"
                                      << "picture"
                                      << "";
}

void TestInsertCommands::previewLink() {
    QFETCH(QString, file);
    QFETCH(QString, selection);
    QFETCH(QString, text);
    const QString path = makeFile(file);
    if (selection == QLatin1String("picture"))
        m_fixture->click(QStringLiteral("#img"));
    else
        m_fixture->selectText(QStringLiteral("#body"), selection == QLatin1String("text") ? 0 : 6,
                              6);
    AnswerNextDialog([&](QDialog* dialog) { ChooseFile(dialog, path); });
    m_commands->ImageOpenExecute();

    const QVariantList link =
        m_fixture
            ->script(QStringLiteral("(() => { const a = document.querySelector('a'); return a ? "
                                    "[a.href, a.getAttribute('target'), a.textContent, "
                                    "a.querySelector('#img') !== null, a.parentElement.id] : "
                                    "[]; })()"))
            .toList();
    QCOMPARE(link.size(), 5);
    // The link leads to the very file chosen, case and all.
    QCOMPARE(QUrl(link[0].toString()).toLocalFile(), path);
    QCOMPARE(link[1].toString(), QStringLiteral("_blank"));
    QCOMPARE(link[2].toString(), text);
    QCOMPARE(link[3].toBool(), selection == QLatin1String("picture"));
    QCOMPARE(link[4].toString(), selection == QLatin1String("picture") ? QStringLiteral("picture")
                                                                       : QStringLiteral("body"));
    if (selection == QLatin1String("caret"))
        QVERIFY(m_undo);
}

// The address of the link the caret stands in (empty: no link), and the
// file name and folder the dialog opens with (no folder: not checked).
void TestInsertCommands::previewDialogStartsOnLinkedFile_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");
    QTest::addRow("file link") << "file"
                               << "Big.JPG"
                               << "Photos";
    QTest::addRow("web link: whatever the text yields") << "http://example.com/pics/a.jpg"
                                                        << "a.jpg" << QString();
    QTest::addRow("no link") << QString() << QString() << QString();
}

void TestInsertCommands::previewDialogStartsOnLinkedFile() {
    QFETCH(QString, address);
    QFETCH(QString, name);
    QFETCH(QString, folder);
    const QString path = makeFile(QStringLiteral("Photos/Big.JPG"));
    if (address == QLatin1String("file"))
        address = QUrl::fromLocalFile(path).toString();
    if (!address.isEmpty())
        m_fixture->script(QStringLiteral("document.querySelector('#last').innerHTML = "
                                         "'<a id=\"there\" href=\"%1\">ссылка</a>'")
                              .arg(address));
    m_fixture->selectText(address.isEmpty() ? QStringLiteral("#last") : QStringLiteral("#there"), 2,
                          2);
    const QString before = body();
    QString shownName = QStringLiteral("unset");
    QString shownFolder;
    AnswerNextDialog([&](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files);
        shownName = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        shownFolder = files->directory().absolutePath();
        dialog->reject();
    });
    m_commands->ImageOpenExecute();
    QCOMPARE(shownName, name);
    if (!folder.isEmpty())
        QCOMPARE(shownFolder, QFileInfo(m_fixture->scratchPath(folder)).absoluteFilePath());
    QCOMPARE(body(), before);
}

void TestInsertCommands::symbolReplacesSelectedPicture() {
    m_fixture->click(QStringLiteral("#img"));
    QCOMPARE(m_fixture->engine().selectionType(), SelectionType::Control);
    m_commands->SymbolExecute("&laquo;");
    QCOMPARE(m_fixture->script(QStringLiteral("document.querySelector('#picture').innerHTML"))
                 .toString(),
             QStringLiteral("до«после"));
    QVERIFY(m_undo);
}

void TestInsertCommands::engineDialogsForLinkAndPicture() {
    m_fixture->selectText(QStringLiteral("#body"), 0, 6);
    AnswerNextDialog([&](QDialog* dialog) {
        QVERIFY(!qobject_cast<QFileDialog*>(dialog));
        dialog->findChild<QLineEdit*>()->setText(QStringLiteral("http://example.org/"));
        dialog->accept();
    });
    m_commands->LinkExecute();
    QCOMPARE(bodyParagraph(),
             QStringLiteral("<a href=\"http://example.org/\">Просто</a> текст абзаца"));

    const QString before = body();
    bool pictureDialog = false;
    AnswerNextDialog([&](QDialog* dialog) {
        pictureDialog = qobject_cast<QFileDialog*>(dialog) != nullptr;
        dialog->reject();
    });
    m_commands->ImageExecute();
    QVERIFY(pictureDialog);
    QCOMPARE(body(), before);
}

QTEST_MAIN(TestInsertCommands)
#include "test_insert_commands.moc"
