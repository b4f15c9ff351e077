#include "editor/menu/popup_menu.h"

#include "editor/engine.h"
#include "editor/selection_helpers.h"

#include <QAction>
#include <QMenu>

namespace quillery {
namespace {

// Adds the actions in order; a null entry is a separator.
void AddItems(QMenu& menu, std::initializer_list<QAction*> items) {
    for (QAction* action : items) {
        if (action)
            menu.addAction(action);
        else
            menu.addSeparator();
    }
}

// An item that runs action under a caption of its own, enabled and shown as
// the action is.
void AddCaptionedItem(QMenu& menu, QAction* action, const QString& caption) {
    QAction* item = menu.addAction(caption);
    item->setObjectName(action->objectName() + QStringLiteral("Item"));
    const auto follow = [item, action] {
        item->setEnabled(action->isEnabled());
        item->setVisible(action->isVisible());
        item->setIcon(action->icon());
        item->setStatusTip(action->statusTip());
    };
    follow();
    QObject::connect(action, &QAction::changed, item, follow);
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
}

} // namespace

TPopupMenu::TPopupMenu(Engine& engine, const TPopupMenuActions& actions,
                       std::function<bool()> hasDocument, std::function<void()> updateTableActions,
                       QWidget* parent)
    : QObject(parent), m_engine(engine), m_actions(actions), m_hasDocument(std::move(hasDocument)),
      m_updateTableActions(std::move(updateTableActions)), m_menu(new QMenu(parent)),
      m_tableMenu(new QMenu(QStringLiteral("Работа с таблицами"), m_menu)) {
    const TPopupMenuActions& a = m_actions;
    m_menu->setObjectName(QStringLiteral("PopupMenu0"));
    m_tableMenu->setObjectName(QStringLiteral("TableMenu"));
    AddItems(*m_tableMenu, {a.Table, nullptr, a.PropertyCell, nullptr, a.InsertRow, a.DeleteRow,
                            nullptr, a.InsertCell, a.DeleteCell, nullptr, a.colspanadd,
                            a.colspansub, a.rowspanadd, a.rowspansub});
    AddItems(*m_menu, {a.BackColor,
                       nullptr,
                       a.JustifyLeft,
                       a.JustifyCenter,
                       a.JustifyRight,
                       a.JustifyFull,
                       nullptr,
                       a.InsertOrderedList,
                       a.InsertUnorderedList,
                       nullptr,
                       a.Outdent,
                       a.Indent,
                       nullptr,
                       a.clearfrmt,
                       nullptr,
                       a.Cut,
                       a.Copy,
                       a.Paste,
                       nullptr,
                       a.Style,
                       a.Font,
                       nullptr,
                       a.Directry,
                       a.Link,
                       a.Image});
    AddCaptionedItem(*m_menu, a.ImageOpen, QStringLiteral("Вставить файл"));
    AddItems(*m_menu, {a.hr, nullptr});
    m_menu->addMenu(m_tableMenu);
    AddItems(*m_menu, {nullptr, a.HTML});
}

bool TPopupMenu::UpdateActions() {
    if (!m_hasDocument())
        return false;
    m_engine.WaitForEngine();
    const TPopupMenuActions& a = m_actions;
    a.Directry->setEnabled(true);
    a.Image->setEnabled(true);
    m_updateTableActions();
    // A row without a data cell (the caret in a header cell) takes no link
    // to a document and no picture. The row is looked for first: outside
    // tables, the usual case, that one walk up the page settles it.
    if (m_engine.selectionType() != SelectionType::Control &&
        SelectedElement(m_engine, QStringLiteral("TR")) &&
        !SelectedElement(m_engine, QStringLiteral("TD"))) {
        a.Directry->setEnabled(false);
        a.Image->setEnabled(false);
    }
    const std::pair<const char*, QAction*> queried[] = {
        {"RemoveFormat", a.clearfrmt},
        {"FontName", a.Font},
        {"FormatBlock", a.Style},
        {"JustifyFull", a.JustifyFull},
        {"JustifyLeft", a.JustifyLeft},
        {"JustifyRight", a.JustifyRight},
        {"JustifyCenter", a.JustifyCenter},
        {"BackColor", a.BackColor},
        {"InsertOrderedList", a.InsertOrderedList},
        {"InsertUnorderedList", a.InsertUnorderedList},
        {"Outdent", a.Outdent},
        {"Indent", a.Indent}};
    for (const auto& [command, action] : queried)
        action->setEnabled(m_engine.queryCommandEnabled(QString::fromLatin1(command)));
    return true;
}

void TPopupMenu::ShowContextMenu(const QPoint& screenPoint) {
    if (UpdateActions())
        m_menu->popup(screenPoint);
}

} // namespace quillery
