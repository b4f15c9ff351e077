#include "editor/engine.h"
#include "shell/contents_commands.h"
#include "shell/contents_model.h"
#include "shell/note_memo.h"
#include "shell/note_panel.h"
#include "shell/tree_selection.h"
#include "store/text_codec.h"
#include "tests/shell/shell_fixture.h"

#include <QDateEdit>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

namespace quillery {
namespace {

const QString kA = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000a.htm");
const QString kB = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000b.htm");

} // namespace

class TestMainWindow final : public QObject {
    Q_OBJECT

private slots:
    void layout();
    void actions_data();
    void actions();
    void toolBarOrder();
    void statusBarKeepsStatusPanelWide();
    void hintsGoToTheFirstPanel();
    void answeringNoDeletesNothing();
    void deleteIsDisabledWhereItWouldEmptyTheTree();
    void newItemPlacement();
    void commandErrorsAreShownAndTheProgramGoesOn();
};

void TestMainWindow::layout() {
    SiteFixture site;
    auto form = site.OpenForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("Quillery"));
    QCOMPARE(form->size(), QSize(804, 585));
    QCOMPARE(form->Panel1()->width(), 185);
    QCOMPARE(form->Panel4()->width(), 145);
    QCOMPARE(form->Panel4()->findChild<QWidget*>(QStringLiteral("PanelPicture"))->size(),
             QSize(133, 133));
    QCOMPARE(form->Panel4()->Memo1()->height(), 133);
    QCOMPARE(form->Panel4()->DateTimePicker1()->size(), QSize(133, 21));
    QCOMPARE(form->Panel4()->Thumb()->size(), QSize(129, 129));
    QCOMPARE(form->findChild<QWidget*>(QStringLiteral("CategoryButtonsInsertSymbol"))->height(),
             222);
    QCOMPARE(form->TreeView()->indentation(), 20);
    QCOMPARE(form->TreeView()->iconSize(), QSize(16, 16));
    QCOMPARE(form->ToolBarTree()->iconSize(), QSize(24, 24));
    QCOMPARE(form->ToolBarTree()->widgetForAction(form->ActionListEdit().NewItem)->size(),
             QSize(32, 30));
    // The document area sits between the tree and the note panel.
    const QWidget* editArea = form->VISUALEdit().widget();
    QVERIFY(editArea->mapTo(form.get(), QPoint()).x() > form->Panel1()->width());
    QVERIFY(editArea->mapTo(form.get(), QPoint(editArea->width(), 0)).x() <=
            form->Panel4()->mapTo(form.get(), QPoint()).x());
    QVERIFY(form->Splitter1()->opaqueResize());
}

void TestMainWindow::actions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("onToolBar");
    const auto row = [](const char* name, const char* caption, const char* hint,
                        const QKeySequence& shortcut, bool onToolBar = true) {
        QTest::addRow("%s", name) << QString::fromLatin1(name) << QString::fromUtf8(caption)
                                  << QString::fromUtf8(hint) << shortcut << onToolBar;
    };
    row("NewItem", "Создать нового документа", "Создание нового документа",
        QKeySequence(QStringLiteral("Ctrl+N")));
    row("DeleteItem", "Удалить документ", "Удаление документа из оглавления и жесткого диска",
        QKeySequence(QStringLiteral("Ctrl+Del")));
    row("Left", "Влево", "Сдвиг документа в оглавлении влево на одну позицию",
        QKeySequence(QStringLiteral("Ctrl+Alt+L")));
    row("Right", "Вправо", "Сдвиг документа в оглавлении вправо на одну позицию",
        QKeySequence(QStringLiteral("Ctrl+Alt+R")));
    row("Up", "Вверх", "Сдвиг документа в оглавлении вверх на одну позицию",
        QKeySequence(QStringLiteral("Ctrl+Alt+U")));
    row("Down", "Вниз", "Сдвиг документа в оглавлении вниз на одну позицию",
        QKeySequence(QStringLiteral("Ctrl+Alt+D")));
    row("Expand", "Разернуть", "Развертывание оглавления",
        QKeySequence(QStringLiteral("Ctrl+Alt+E")));
    row("Collapse", "Свернуть", "Свертывание оглавления",
        QKeySequence(QStringLiteral("Ctrl+Alt+C")));
    row("Print", "Печать", "Печать документа", QKeySequence(QStringLiteral("Ctrl+P")));
    row("Undo", "Отменить", "Отмена последнего действия", QKeySequence(QStringLiteral("Ctrl+Z")));
    row("Redo", "Повторить", "Повтор последнего действия", QKeySequence(QStringLiteral("Ctrl+Y")));
    row("Find", "Найти", "Поиск текста в документе", QKeySequence(QStringLiteral("Ctrl+F")));
    row("FTP", "Опубликовать", "Пуликация сайта", QKeySequence(QStringLiteral("Ctrl+Alt+S")));
    row("About", "О программе", "Информация о программе", QKeySequence(QStringLiteral("F1")));
    row("ShowBorder", "Показать табличные границы", "Отображение табличных границ", QKeySequence());
    // The editing commands, reached by their shortcuts and the context menu.
    const auto editing = [&row](const char* name, const char* caption, const char* hint,
                                const char* shortcut) {
        row(name, caption, hint, QKeySequence(QString::fromLatin1(shortcut)), false);
    };
    editing("BackColor", "Цвет выделения текста",
            "Текст будет выглядеть так, как если бы он был закрашен фломастером ", "");
    editing("JustifyLeft", "По левому краю", "Выравнивание текста по левому краю", "Ctrl+L");
    editing("JustifyCenter", "По центру", "Выравнивание текста по центру", "Ctrl+E");
    editing("JustifyRight", "По правому краю", "Выравнивание текста по правому краю", "Ctrl+R");
    editing("JustifyFull", "По ширине", "Выравнивание текста по ширин", "Ctrl+J");
    editing("InsertOrderedList", "Нумерация", "Начало нумерованного списка", "");
    editing("InsertUnorderedList", "Маркеры", "Начало маркированного списка", "");
    editing("Outdent", "Уменьшить отступ", "Уменьшение уровня отступа абзаца", "");
    editing("Indent", "Увеличить отступ", "Увеличение уровня отступа абзаца", "");
    editing("clearfrmt", "Очистить формат",
            "Удаление любого форматирования из выделенного фрагмента", "");
    editing("Cut", "Вырезать", "Удаление выделенного фрагмента из документа в буфер обмена",
            "Ctrl+X");
    editing("Copy", "Копировать", "Копирование выделенного фрагмента из документа в буфер обмена",
            "Ctrl+C");
    editing("Paste", "Вставить", "Вставка содержимого буфера обмена", "Ctrl+V");
    editing("hr", "Вставить разделитель", "Вставка разделителя", "");
    editing("Font", "Шрифт", "Изменение шрифта", "");
    editing("Style", "Стиль", "Изменение стиля", "");
    editing("HTML", "Исходный код", "", "");
}

void TestMainWindow::actions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, onToolBar);
    TMainForm form(nullptr);
    QAction* action = SiteFixture::CommandAction(form, name);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->statusTip(), hint);
    QCOMPARE(action->shortcut(), shortcut);
    QCOMPARE(action->isCheckable(), name == QLatin1String("ShowBorder"));
    if (onToolBar) {
        QCOMPARE(action->toolTip(), hint);
        QVERIFY(!action->icon().isNull());
    } else {
        // Off the tool bar, the window itself carries the shortcut.
        QVERIFY(action->isEnabled());
        QVERIFY(form.actions().contains(action));
        QCOMPARE(action->shortcutContext(), Qt::WindowShortcut);
    }
}

void TestMainWindow::toolBarOrder() {
    TMainForm form(nullptr);
    QStringList names;
    for (QAction* action : form.ToolBarTree()->actions())
        names.append(action->isSeparator() ? QStringLiteral("|") : action->objectName());
    QCOMPARE(names.join(u' '), QStringLiteral("NewItem DeleteItem | Left Down Up Right | Expand "
                                              "Collapse | Print | Undo Redo | Find ShowBorder | "
                                              "FTP | About"));
}

void TestMainWindow::statusBarKeepsStatusPanelWide() {
    SiteFixture site;
    auto form = site.OpenForm();
    for (int width : {1000, 600}) {
        form->resize(width, 585);
        QTRY_COMPARE(form->statusBar()->width(), width);
        QCOMPARE(form->StatusPanel()->width(), 400);
        QCOMPARE(form->HintPanel()->width(), width - 400);
    }
}

void TestMainWindow::hintsGoToTheFirstPanel() {
    SiteFixture site;
    auto form = site.OpenForm();
    QAction* newItem = form->ActionListEdit().NewItem;
    newItem->showStatusText(form->ToolBarTree()->widgetForAction(newItem));
    QCOMPARE(form->HintPanel()->text(), QStringLiteral("Создание нового документа"));
    QStatusTipEvent tip(form->Panel4()->Thumb()->statusTip());
    QCoreApplication::sendEvent(form->Panel4()->Thumb(), &tip);
    QCOMPARE(form->HintPanel()->text(),
             QStringLiteral("Щелкните правой клавишей мыши, чтобы выбрать картинку"));
    QCOMPARE(form->StatusPanel()->text(), QStringLiteral("Синхронизация не проводилась"));
}

void TestMainWindow::answeringNoDeletesNothing() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    auto form = site.OpenForm();
    const QByteArray index = SiteFixture::ReadFile(site.SiteFile(QStringLiteral("index")));
    const QStringList files = site.SiteFileNames();
    form->Panel4()->SetNote(QStringLiteral("правка"));
    site.asker.answers = {false};
    QTest::keySequence(form.get(), QKeySequence(QStringLiteral("Ctrl+Del")));
    QCOMPARE(site.asker.questions, QStringList{QStringLiteral("Вы действительно хотите удалить?")});
    QCOMPARE(form->Tree().NodeCount(), std::size_t(2));
    QCOMPARE(form->Commands().Selected(), form->Tree().Root(0));
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(QStringLiteral("index"))), index);
    QCOMPARE(site.SiteFileNames(), files);
    QVERIFY(form->State().DocumentLoaded);
    QCOMPARE(form->Panel4()->Note(), QStringLiteral("правка"));
}

void TestMainWindow::deleteIsDisabledWhereItWouldEmptyTheTree() {
    SiteFixture site;
    SiteFixture::WriteFile(
        site.SiteFile(QStringLiteral("index")),
        QByteArray::fromStdString(ToCp1251(
            QStringLiteral("index=new Array(new Array(\"Корень\",\"%1\",\"\",\"\",\"\",new Array("
                           "new Array(\"Лист\",\"%2\",\"\",\"\",\"\",null))));")
                .arg(kA, kB))));
    auto form = site.OpenForm();
    const TActionListEdit& actions = form->ActionListEdit();
    QVERIFY(!actions.DeleteItem->isEnabled());
    QVERIFY(!actions.Up->isEnabled() && !actions.Down->isEnabled());
    QVERIFY(!actions.Left->isEnabled() && !actions.Right->isEnabled());
    QTest::keySequence(form.get(), QKeySequence(QStringLiteral("Ctrl+Del")));
    QVERIFY(site.asker.questions.isEmpty());
    form->ActionListEdit().Expand->trigger();
    SiteFixture::Select(*form, form->Tree().Root(0)->Child(0));
    QVERIFY(actions.DeleteItem->isEnabled());
    QVERIFY(actions.Left->isEnabled());
    QVERIFY(!actions.Up->isEnabled());
    site.asker.answers = {true};
    actions.DeleteItem->trigger();
    QCOMPARE(form->Tree().NodeCount(), std::size_t(1));
    QVERIFY(!actions.DeleteItem->isEnabled());
}

void TestMainWindow::newItemPlacement() {
    SiteFixture site;
    SiteFixture::WriteFile(
        site.SiteFile(QStringLiteral("index")),
        QByteArray::fromStdString(ToCp1251(
            QStringLiteral("index=new Array(new Array(\"Корень\",\"%1\",\"\",\"\",\"\",new Array("
                           "new Array(\"Лист\",\"%2\",\"\",\"\",\"\",null))));")
                .arg(kA, kB))));
    auto form = site.OpenForm();
    TTreeNode* root = form->Tree().Root(0);
    // A collapsed parent gets a sibling at the end of its level.
    form->ActionListEdit().NewItem->trigger();
    QCOMPARE(form->Tree().RootCount(), 2);
    QCOMPARE(form->Commands().Selected(), form->Tree().Root(1));
    QVERIFY(QFileInfo::exists(site.SiteFile(FromCp1251(form->Tree().Root(1)->Rec().FileName))));
    // An expanded one gets a last child.
    SiteFixture::Select(*form, root);
    form->TreeView()->expand(form->Model().IndexOf(root));
    QVERIFY(root->Expanded());
    form->ActionListEdit().NewItem->trigger();
    QCOMPARE(root->Count(), 2);
    QCOMPARE(form->Commands().Selected(), root->Child(1));
    QVERIFY(site.asker.errors.isEmpty());
}

void TestMainWindow::commandErrorsAreShownAndTheProgramGoesOn() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    auto form = site.OpenForm();
    const QString index = site.SiteFile(QStringLiteral("index"));
    QVERIFY(QFile::remove(index));
    QVERIFY(QDir().mkdir(index));
    form->ActionListEdit().Down->trigger();
    QCOMPARE(site.asker.errors.size(), 1);
    QVERIFY(site.asker.errors[0].contains(QStringLiteral("index")));
    QVERIFY(QDir().rmdir(index));
    form->ActionListEdit().Up->trigger();
    QCOMPARE(site.asker.errors.size(), 1);
    QVERIFY(QFileInfo(index).isFile());
}

} // namespace quillery

QTEST_MAIN(quillery::TestMainWindow)
#include "test_main_window.moc"
