#pragma once

#include <QAction>
#include <QObject>

namespace quillery {

// An action of the main window: its name, caption, hint (tool tip and status
// text), shortcut and icon; the shortcut works wherever the focus is in the
// window.
QAction* MakeAction(QObject* owner, const QString& name, const QString& caption,
                    const QString& hint, const QKeySequence& shortcut = {}, const QIcon& icon = {});
// The same from a Latin-1 name and UTF-8 caption and hint.
QAction* MakeAction(QObject* owner, const char* name, const char* caption, const char* hint,
                    const QKeySequence& shortcut = {}, const QIcon& icon = {});

// ActionListEdit: the contents and general commands, in tool bar order.
// Owned by the main window; each action's trigger is wired there.
struct TActionListEdit final {
    QAction* NewItem;
    QAction* DeleteItem;
    QAction* Left;
    QAction* Right;
    QAction* Up;
    QAction* Down;
    QAction* Expand;
    QAction* Collapse;
    QAction* Print;
    QAction* Undo;
    QAction* Redo;
    QAction* Find;
    QAction* FTP;
    QAction* About;
    QAction* ShowBorder;

    // Creates every action with its caption, hint, shortcut and icon.
    static TActionListEdit Create(QObject* owner);
    // The tool bar's order; nullptr stands for a separator.
    QList<QAction*> ToolBarLayout() const;
};

} // namespace quillery
