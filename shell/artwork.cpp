#include "shell/artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace quillery {
namespace {

void Page(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.35;
    QPolygonF sheet;
    sheet << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold)
          << r.bottomRight() << r.bottomLeft();
    p.setPen(QPen(Art::Ink, 1.2));
    p.setBrush(Art::Paper);
    p.drawPolygon(sheet);
    p.drawPolyline(QPolygonF() << QPointF(r.right() - fold, r.top())
                               << QPointF(r.right() - fold, r.top() + fold)
                               << QPointF(r.right(), r.top() + fold));
    p.setPen(QPen(QColor(0x9a, 0xa8, 0xbd), 1));
    for (qreal y = r.top() + fold + 3; y < r.bottom() - 2; y += 3)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

void Arrow(QPainter& p, qreal angleDegrees) {
    p.save();
    p.translate(12, 12);
    p.rotate(angleDegrees);
    QPolygonF arrow;
    arrow << QPointF(9, 0) << QPointF(1, -8) << QPointF(1, -3.5) << QPointF(-9, -3.5)
          << QPointF(-9, 3.5) << QPointF(1, 3.5) << QPointF(1, 8);
    p.setPen(QPen(Art::Ink.darker(120), 1.2));
    p.setBrush(Art::Green);
    p.drawPolygon(arrow);
    p.restore();
}

void SignBox(QPainter& p, bool plus) {
    p.setPen(QPen(Art::Ink, 1.4));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 2, 2);
    p.setPen(QPen(Art::Blue, 2.4));
    p.drawLine(QPointF(7.5, 12), QPointF(16.5, 12));
    if (plus)
        p.drawLine(QPointF(12, 7.5), QPointF(12, 16.5));
}

void CurvedArrow(QPainter& p, bool mirrored) {
    p.save();
    if (mirrored) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    QPainterPath curve;
    curve.moveTo(19, 18);
    curve.cubicTo(19, 8, 13, 7, 7, 9);
    p.setPen(QPen(Art::Blue, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(Qt::NoPen);
    p.setBrush(Art::Blue);
    p.drawPolygon(QPolygonF() << QPointF(2, 9.5) << QPointF(9, 3.5) << QPointF(9.5, 14));
    p.restore();
}

void Paint(QPainter& p, ToolIcon icon) {
    switch (icon) {
    case ToolIcon::NewItem:
        Page(p, QRectF(4.5, 2.5, 14, 19));
        p.setPen(QPen(Art::Green, 2.6));
        p.drawLine(QPointF(17, 13), QPointF(17, 22));
        p.drawLine(QPointF(12.5, 17.5), QPointF(21.5, 17.5));
        break;
    case ToolIcon::DeleteItem:
        Page(p, QRectF(4.5, 2.5, 14, 19));
        p.setPen(QPen(Art::Red, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(13, 13), QPointF(21, 21));
        p.drawLine(QPointF(21, 13), QPointF(13, 21));
        break;
    case ToolIcon::Left:
        Arrow(p, 180);
        break;
    case ToolIcon::Right:
        Arrow(p, 0);
        break;
    case ToolIcon::Up:
        Arrow(p, -90);
        break;
    case ToolIcon::Down:
        Arrow(p, 90);
        break;
    case ToolIcon::Expand:
        SignBox(p, true);
        break;
    case ToolIcon::Collapse:
        SignBox(p, false);
        break;
    case ToolIcon::Print:
        p.setPen(QPen(Art::Ink, 1.2));
        p.setBrush(Art::Paper);
        p.drawRect(QRectF(7.5, 2.5, 9, 8));
        p.setBrush(QColor(0x8a, 0x95, 0xa6));
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
        p.setBrush(Art::Paper);
        p.drawRect(QRectF(6.5, 15.5, 11, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(Art::Green);
        p.drawEllipse(QPointF(18.5, 12.5), 1.2, 1.2);
        break;
    case ToolIcon::Undo:
        CurvedArrow(p, false);
        break;
    case ToolIcon::Redo:
        CurvedArrow(p, true);
        break;
    case ToolIcon::Find:
        p.setPen(QPen(Art::Ink, 2));
        p.setBrush(QColor(0xd8, 0xe8, 0xfa));
        p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
        p.setPen(QPen(Art::Ink.darker(130), 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 15), QPointF(21, 21));
        break;
    case ToolIcon::ShowBorder:
        p.setPen(QPen(Art::Ink, 1, Qt::DashLine));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 4.5, 19, 15));
        p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
        p.drawLine(QPointF(9, 4.5), QPointF(9, 19.5));
        p.drawLine(QPointF(15, 4.5), QPointF(15, 19.5));
        break;
    case ToolIcon::Ftp:
        p.setPen(QPen(Art::Blue.darker(130), 1.2));
        p.setBrush(QColor(0x9c, 0xc8, 0xf0));
        p.drawEllipse(QPointF(11, 12), 8.5, 8.5);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(11, 12), 3.8, 8.5);
        p.drawLine(QPointF(2.5, 12), QPointF(19.5, 12));
        p.setPen(QPen(Art::Ink.darker(120), 1));
        p.setBrush(Art::Green);
        p.drawPolygon(QPolygonF() << QPointF(18, 9) << QPointF(23, 15) << QPointF(20, 15)
                                  << QPointF(20, 22) << QPointF(16, 22) << QPointF(16, 15)
                                  << QPointF(13, 15));
        break;
    case ToolIcon::About:
        p.setPen(QPen(Art::Blue.darker(130), 1.2));
        p.setBrush(Art::Blue);
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(12, 7.5), 1.7, 1.7);
        p.drawRoundedRect(QRectF(10.4, 10.5, 3.2, 8), 1, 1);
        break;
    }
}

QPixmap Greyed(const QPixmap& pixmap) {
    QImage grey = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int v = 128 + qGray(line[x]) / 3;
            line[x] = qRgba(v, v, v, qAlpha(line[x]) / 2);
        }
    }
    return QPixmap::fromImage(grey);
}

void Book(QPainter& p, bool open) {
    p.setPen(QPen(Art::Ink, 1));
    if (open) {
        p.setBrush(Art::Paper);
        p.drawPolygon(QPolygonF() << QPointF(1.5, 3.5) << QPointF(8, 5) << QPointF(8, 14.5)
                                  << QPointF(1.5, 13));
        p.drawPolygon(QPolygonF() << QPointF(14.5, 3.5) << QPointF(8, 5) << QPointF(8, 14.5)
                                  << QPointF(14.5, 13));
    } else {
        p.setBrush(Art::Blue);
        p.drawRect(QRectF(3.5, 1.5, 10, 13));
        p.setBrush(Art::Paper);
        p.drawRect(QRectF(3.5, 12.5, 10, 2));
        p.setPen(QPen(Qt::white, 1));
        p.drawLine(QPointF(6, 5), QPointF(11, 5));
    }
}

} // namespace

QIcon DrawIcon(int size, const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    p.end();
    QIcon result;
    result.addPixmap(pixmap, QIcon::Normal);
    result.addPixmap(Greyed(pixmap), QIcon::Disabled);
    return result;
}

QIcon DrawToolIcon(ToolIcon icon) {
    return DrawIcon(24, [icon](QPainter& p) { Paint(p, icon); });
}

QPixmap DrawNodeImage(NodeImage image) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case NodeImage::Collapsed:
        Book(p, false);
        break;
    case NodeImage::Expanded:
        Book(p, true);
        break;
    case NodeImage::Leaf:
        Page(p, QRectF(2.5, 0.5, 11, 15));
        break;
    }
    return pixmap;
}

QPixmap DrawThumbPlaceholder() {
    QPixmap pixmap(96, 77);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x8a, 0x95, 0xa6), 1.5, Qt::DashLine));
    p.setBrush(QColor(0xf4, 0xf6, 0xfa));
    p.drawRoundedRect(QRectF(1, 1, 94, 75), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xc0, 0x3c));
    p.drawEllipse(QPointF(70, 22), 8, 8);
    p.setBrush(QColor(0x7f, 0xb0, 0x6e));
    p.drawPolygon(QPolygonF() << QPointF(8, 64) << QPointF(32, 30) << QPointF(50, 52)
                              << QPointF(62, 40) << QPointF(88, 64));
    p.setBrush(QColor(0x4f, 0x86, 0x4a));
    p.drawPolygon(QPolygonF() << QPointF(8, 64) << QPointF(32, 30) << QPointF(42, 44)
                              << QPointF(30, 64));
    return pixmap;
}

} // namespace quillery
