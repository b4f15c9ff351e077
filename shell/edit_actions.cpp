#include "shell/edit_actions.h"

#include "shell/artwork.h"

namespace quillery {
namespace {

QAction* MakeAction(QObject* owner, const char* name, const char* caption, const char* hint,
                    const QKeySequence& shortcut, ToolIcon icon) {
    return quillery::MakeAction(owner, name, caption, hint, shortcut, DrawToolIcon(icon));
}

QKeySequence CtrlAlt(Qt::Key key) {
    return QKeySequence(Qt::CTRL | Qt::ALT | key);
}

} // namespace

QAction* MakeAction(QObject* owner, const QString& name, const QString& caption,
                    const QString& hint, const QKeySequence& shortcut, const QIcon& icon) {
    auto* action = new QAction(icon, caption, owner);
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

QAction* MakeAction(QObject* owner, const char* name, const char* caption, const char* hint,
                    const QKeySequence& shortcut, const QIcon& icon) {
    return MakeAction(owner, QString::fromLatin1(name), QString::fromUtf8(caption),
                      QString::fromUtf8(hint), shortcut, icon);
}

TActionListEdit TActionListEdit::Create(QObject* owner) {
    TActionListEdit list{};
    list.NewItem =
        MakeAction(owner, "NewItem", "Создать нового документа", "Создание нового документа",
                   QKeySequence(Qt::CTRL | Qt::Key_N), ToolIcon::NewItem);
    list.DeleteItem = MakeAction(owner, "DeleteItem", "Удалить документ",
                                 "Удаление документа из оглавления и жесткого диска",
                                 QKeySequence(Qt::CTRL | Qt::Key_Delete), ToolIcon::DeleteItem);
    list.Left =
        MakeAction(owner, "Left", "Влево", "Сдвиг документа в оглавлении влево на одну позицию",
                   CtrlAlt(Qt::Key_L), ToolIcon::Left);
    list.Right =
        MakeAction(owner, "Right", "Вправо", "Сдвиг документа в оглавлении вправо на одну позицию",
                   CtrlAlt(Qt::Key_R), ToolIcon::Right);
    list.Up = MakeAction(owner, "Up", "Вверх", "Сдвиг документа в оглавлении вверх на одну позицию",
                         CtrlAlt(Qt::Key_U), ToolIcon::Up);
    list.Down =
        MakeAction(owner, "Down", "Вниз", "Сдвиг документа в оглавлении вниз на одну позицию",
                   CtrlAlt(Qt::Key_D), ToolIcon::Down);
    list.Expand = MakeAction(owner, "Expand", "Разернуть", "Развертывание оглавления",
                             CtrlAlt(Qt::Key_E), ToolIcon::Expand);
    list.Collapse = MakeAction(owner, "Collapse", "Свернуть", "Свертывание оглавления",
                               CtrlAlt(Qt::Key_C), ToolIcon::Collapse);
    list.Print = MakeAction(owner, "Print", "Печать", "Печать документа",
                            QKeySequence(Qt::CTRL | Qt::Key_P), ToolIcon::Print);
    list.Undo = MakeAction(owner, "Undo", "Отменить", "Отмена последнего действия",
                           QKeySequence(Qt::CTRL | Qt::Key_Z), ToolIcon::Undo);
    list.Redo = MakeAction(owner, "Redo", "Повторить", "Повтор последнего действия",
                           QKeySequence(Qt::CTRL | Qt::Key_Y), ToolIcon::Redo);
    list.Find = MakeAction(owner, "Find", "Найти", "Поиск текста в документе",
                           QKeySequence(Qt::CTRL | Qt::Key_F), ToolIcon::Find);
    list.FTP = MakeAction(owner, "FTP", "Опубликовать", "Пуликация сайта", CtrlAlt(Qt::Key_S),
                          ToolIcon::Ftp);
    list.About = MakeAction(owner, "About", "О программе", "Информация о программе",
                            QKeySequence(Qt::Key_F1), ToolIcon::About);
    list.ShowBorder =
        MakeAction(owner, "ShowBorder", "Показать табличные границы",
                   "Отображение табличных границ", QKeySequence(), ToolIcon::ShowBorder);
    list.ShowBorder->setCheckable(true);
    return list;
}

QList<QAction*> TActionListEdit::ToolBarLayout() const {
    return {NewItem, DeleteItem, nullptr, Left,  Down,    Up,   Right, nullptr,
            Expand,  Collapse,   nullptr, Print, nullptr, Undo, Redo,  nullptr,
            Find,    ShowBorder, nullptr, FTP,   nullptr, About};
}

} // namespace quillery
