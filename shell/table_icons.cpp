#include "shell/artwork.h"

#include <QPainter>
#include <QPolygonF>

namespace quillery {
namespace {

// A grid of columns x rows cells in the rectangle.
void Grid(QPainter& p, const QRectF& r, int columns, int rows) {
    p.setPen(QPen(Art::Ink, 1));
    p.setBrush(Art::Paper);
    p.drawRect(r);
    for (int c = 1; c < columns; ++c) {
        const qreal x = r.left() + r.width() * c / columns;
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
    for (int row = 1; row < rows; ++row) {
        const qreal y = r.top() + r.height() * row / rows;
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    }
}

void Plus(QPainter& p, QPointF centre) {
    p.setPen(QPen(Art::Green, 2.2));
    p.drawLine(centre - QPointF(3, 0), centre + QPointF(3, 0));
    p.drawLine(centre - QPointF(0, 3), centre + QPointF(0, 3));
}

void Cross(QPainter& p, QPointF centre) {
    p.setPen(QPen(Art::Red, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre - QPointF(2.5, 2.5), centre + QPointF(2.5, 2.5));
    p.drawLine(centre + QPointF(-2.5, 2.5), centre + QPointF(2.5, -2.5));
}

// A filled arrow head pointing along direction from tip.
void Head(QPainter& p, QPointF tip, QPointF direction) {
    const QPointF back = tip - direction * 3;
    const QPointF side(-direction.y() * 2.5, direction.x() * 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Art::Blue);
    p.drawPolygon(QPolygonF() << tip << back + side << back - side);
}

// A cell with arrows along one axis: outwards to widen, inwards to narrow.
void Span(QPainter& p, bool horizontal, bool widen) {
    p.save();
    if (!horizontal) {
        p.translate(16, 0);
        p.rotate(90);
    }
    Grid(p, QRectF(3.5, 3.5, 9, 9), 1, 1);
    p.setPen(QPen(Art::Blue, 1.6));
    p.drawLine(QPointF(1, 8), QPointF(15, 8));
    if (widen) {
        Head(p, QPointF(15.5, 8), QPointF(1, 0));
        Head(p, QPointF(0.5, 8), QPointF(-1, 0));
    } else {
        Head(p, QPointF(6.5, 8), QPointF(1, 0));
        Head(p, QPointF(9.5, 8), QPointF(-1, 0));
    }
    p.restore();
}

void Paint(QPainter& p, int index) {
    switch (index) {
    case 0: // Table
        Grid(p, QRectF(1.5, 2.5, 13, 11), 3, 3);
        p.fillRect(QRectF(2, 3, 12.5, 3), Art::Blue);
        break;
    case 1: // Cell properties
        Grid(p, QRectF(1.5, 2.5, 13, 11), 3, 3);
        p.fillRect(QRectF(6.3, 6.3, 3.9, 3.3), Art::Blue);
        break;
    case 2: // Insert row
        Grid(p, QRectF(1.5, 1.5, 13, 8), 3, 2);
        Plus(p, QPointF(8, 12.5));
        break;
    case 3: // Delete row
        Grid(p, QRectF(1.5, 1.5, 13, 8), 3, 2);
        Cross(p, QPointF(8, 12.5));
        break;
    case 4: // Insert cell
        Grid(p, QRectF(1.5, 3.5, 8, 9), 2, 2);
        Plus(p, QPointF(12.5, 8));
        break;
    case 5: // Delete cell
        Grid(p, QRectF(1.5, 3.5, 8, 9), 2, 2);
        Cross(p, QPointF(12.5, 8));
        break;
    default: // 6 to 9: the spans
        Span(p, index < 8, index % 2 == 0);
        break;
    }
}

} // namespace

QIcon DrawTableIcon(int index) {
    return DrawIcon(16, [index](QPainter& p) { Paint(p, index); });
}

} // namespace quillery
