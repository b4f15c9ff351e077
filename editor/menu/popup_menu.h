#pragma once

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace quillery {

class Engine;

// The actions the context menu shows, each by its name.
struct TPopupMenuActions {
    QAction* BackColor = nullptr;
    QAction* JustifyLeft = nullptr;
    QAction* JustifyCenter = nullptr;
    QAction* JustifyRight = nullptr;
    QAction* JustifyFull = nullptr;
    QAction* InsertOrderedList = nullptr;
    QAction* InsertUnorderedList = nullptr;
    QAction* Outdent = nullptr;
    QAction* Indent = nullptr;
    QAction* clearfrmt = nullptr;
    QAction* Cut = nullptr;
    QAction* Copy = nullptr;
    QAction* Paste = nullptr;
    QAction* Style = nullptr;
    QAction* Font = nullptr;
    QAction* Directry = nullptr;
    QAction* Link = nullptr;
    QAction* Image = nullptr;
    QAction* ImageOpen = nullptr;
    QAction* hr = nullptr;
    QAction* HTML = nullptr;
    // The submenu "Работа с таблицами".
    QAction* Table = nullptr;
    QAction* PropertyCell = nullptr;
    QAction* InsertRow = nullptr;
    QAction* DeleteRow = nullptr;
    QAction* InsertCell = nullptr;
    QAction* DeleteCell = nullptr;
    QAction* colspanadd = nullptr;
    QAction* colspansub = nullptr;
    QAction* rowspanadd = nullptr;
    QAction* rowspansub = nullptr;
};

// PopupMenu0, the editing area's context menu. Each time it opens it first
// sets the enabled state of its commands from the selection; those states
// then hold, for the commands' shortcuts too, until it opens again.
class TPopupMenu final : public QObject {
    Q_OBJECT
public:
    // hasDocument tells whether the engine holds a document; updateTableActions
    // sets the ten table actions from the selection.
    TPopupMenu(Engine& engine, const TPopupMenuActions& actions, std::function<bool()> hasDocument,
               std::function<void()> updateTableActions, QWidget* parent);
    Q_DISABLE_COPY_MOVE(TPopupMenu)

    QMenu* PopupMenu0() const { return m_menu; }
    QMenu* TableMenu() const { return m_tableMenu; }

    // The engine's request on a right click: the commands set from the
    // selection, then the menu at screenPoint. Without a document nothing
    // happens.
    void ShowContextMenu(const QPoint& screenPoint);

private:
    // Sets the commands' enabled state; false when there is no document.
    bool UpdateActions();

    Engine& m_engine;
    TPopupMenuActions m_actions;
    std::function<bool()> m_hasDocument;
    std::function<void()> m_updateTableActions;
    QMenu* m_menu;
    QMenu* m_tableMenu;
};

} // namespace quillery
