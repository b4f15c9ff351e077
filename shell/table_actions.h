#pragma once

#include <QAction>
#include <QList>

namespace quillery {

struct TTableOffer;

// ActionListTable: the ten table actions, with the icons of ImageListTable.
// Owned by the main window; each action's trigger is wired there.
struct TActionListTable final {
    QAction* Table;
    QAction* PropertyCell;
    QAction* InsertRow;
    QAction* DeleteRow;
    QAction* InsertCell;
    QAction* DeleteCell;
    QAction* colspanadd;
    QAction* colspansub;
    QAction* rowspanadd;
    QAction* rowspansub;

    // Creates every action with its name, caption, hint, shortcut and icon.
    static TActionListTable Create(QObject* owner);
    // In the order of the list (and of the icons).
    QList<QAction*> All() const;
    // Enables the actions the offer holds and disables the others.
    void Apply(const TTableOffer& offer) const;
};

} // namespace quillery
