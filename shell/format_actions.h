#pragma once

#include <QAction>
#include <QList>

namespace quillery {

// The editing commands of ActionList1 that format the document, use the
// clipboard, choose font and paragraph style and show the source. Owned by
// the main window; each action's trigger is wired there.
struct TFormatActions final {
    QAction* BackColor;
    QAction* JustifyLeft;
    QAction* JustifyCenter;
    QAction* JustifyRight;
    QAction* JustifyFull;
    QAction* InsertOrderedList;
    QAction* InsertUnorderedList;
    QAction* Outdent;
    QAction* Indent;
    QAction* clearfrmt;
    QAction* Cut;
    QAction* Copy;
    QAction* Paste;
    QAction* hr;
    QAction* Font;
    QAction* Style;
    QAction* HTML;

    // Creates every action with its caption, hint and shortcut.
    static TFormatActions Create(QObject* owner);
    QList<QAction*> All() const;
};

} // namespace quillery
