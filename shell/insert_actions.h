#pragma once

#include <QAction>
#include <QList>

namespace quillery {

class TCategoryButtons;

// The insertion commands of ActionList1 and the symbol actions of
// ActionListInsertSymb. Owned by the main window; each action's trigger is
// wired there.
struct TActionListInsert final {
    QAction* Link;
    QAction* Directry;
    QAction* Image;
    QAction* ImageOpen;
    // One action per symbol, in the order of SymbolTable().
    QList<QAction*> ActionListInsertSymb;

    // Creates every action with its name, caption, hint and shortcut; a
    // symbol action's icon text is its character.
    static TActionListInsert Create(QObject* owner);
};

// CategoryButtonsInsertSymbol: the symbol actions as buttons in their three
// groups, under the contents tree.
TCategoryButtons* CreateSymbolPalette(const TActionListInsert& actions);

} // namespace quillery
