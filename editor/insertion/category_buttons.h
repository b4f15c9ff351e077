#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QList>

class QAction;

namespace quillery {

// A panel of action buttons in collapsible categories, flowing from the top
// down. An open category shows its bold caption vertically in a strip on
// its left, under a minus sign; a closed one is one row with a plus sign.
// Each button shows its action's icon text (one character) and hint, and
// runs the action when clicked. The panel never takes the keyboard focus,
// so typing goes on where it was.
class TCategoryButtons final : public QAbstractScrollArea {
    Q_OBJECT
public:
    struct TCategory {
        QString Caption;
        QColor Colour;
        bool Collapsed = false;
        QList<QAction*> Items;
    };

    explicit TCategoryButtons(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TCategoryButtons)

    void SetCategories(QList<TCategory> categories);
    const QList<TCategory>& Categories() const { return m_categories; }
    void SetCollapsed(int category, bool collapsed);

    // Where things are drawn now, in the viewport's coordinates; empty for
    // a button of a closed category.
    QRect ButtonRect(const QAction* action) const;
    QRect ToggleRect(int category) const;
    // Scrolls until the action's button is in view.
    void ScrollToButton(const QAction* action);

protected:
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct TPlace {
        QRect Frame;
        QRect Toggle;
        QList<QRect> Buttons;
    };
    // What lies under a point: a category's toggle, or a button.
    struct THit {
        int Category = -1;
        int Button = -1; // -1: the toggle
        bool operator==(const THit&) const = default;
    };

    void Relayout();
    THit HitAt(const QPoint& viewportPoint) const;
    QAction* ActionOf(const THit& hit) const;
    void SetHovered(const THit& hit);
    void PaintCategory(QPainter& painter, int index) const;
    void PaintButton(QPainter& painter, const QRect& rect, const QAction* action,
                     bool hovered) const;
    int ScrollOffset() const;

    QList<TCategory> m_categories;
    QList<TPlace> m_places; // content coordinates
    THit m_hovered;
    THit m_pressed;
};

} // namespace quillery
