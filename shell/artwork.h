#pragma once

#include <QIcon>
#include <QPixmap>

namespace quillery {

// The program's own pictures, drawn at run time so no image files ship.

enum class ToolIcon {
    NewItem,
    DeleteItem,
    Left,
    Right,
    Up,
    Down,
    Expand,
    Collapse,
    Print,
    Undo,
    Redo,
    Find,
    ShowBorder,
    Ftp,
    About,
};

// 24 x 24, with a greyed variant for the disabled state.
QIcon DrawToolIcon(ToolIcon icon);

// The picture as it is and, for the disabled state, greyed.
QIcon WithGreyedVariant(const QPixmap& pixmap);

// ImageListTable: the icons of the ten table actions, indices 0 to 9 in the
// order of the action list, 16 x 16 with a greyed variant.
QIcon DrawTableIcon(int index);

// The tree's image list, 16 x 16: 0 a closed book (children hidden),
// 1 a page (no children), 3 an open book (children shown).
enum class NodeImage { Collapsed = 0, Leaf = 1, Expanded = 3 };
QPixmap DrawNodeImage(NodeImage image);

// The note panel's placeholder while a document has no thumbnail, 96 x 77.
QPixmap DrawThumbPlaceholder();

} // namespace quillery
