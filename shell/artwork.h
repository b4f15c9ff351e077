#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <functional>

class QPainter;

namespace quillery {

// The program's own pictures, drawn at run time so no image files ship.

// The colours they are drawn in.
namespace Art {
inline const QColor Ink(0x2b, 0x3a, 0x55);
inline const QColor Paper(0xfd, 0xfd, 0xf6);
inline const QColor Blue(0x2f, 0x6f, 0xc4);
inline const QColor Green(0x2e, 0x9a, 0x4a);
inline const QColor Red(0xc8, 0x32, 0x32);
} // namespace Art

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

// An icon of size x size drawn by paint, with a greyed variant for the
// disabled state.
QIcon DrawIcon(int size, const std::function<void(QPainter&)>& paint);

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
