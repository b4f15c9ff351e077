#include "editor/insertion/category_buttons.h"

#include <QAction>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QToolTip>

namespace quillery {
namespace {

constexpr int kButtonSize = 24;
constexpr int kSpacing = 1;
constexpr int kStripWidth = 17;
constexpr int kHeaderHeight = 19;
constexpr int kCategoryGap = 2;
constexpr int kSignSize = 9;
constexpr int kSignTop = 4;
constexpr int kCaptionTop = kSignTop + kSignSize + 4; // where a vertical caption may end
constexpr int kCaptionFoot = 4;
constexpr int kGlyphPixels = 15;

const QColor kButtonColour(0xF2, 0xF2, 0xF2);
// The gradient active-caption colour of the classic desktop theme.
const QColor kHotColour(0xB9, 0xD1, 0xEA);
const QColor kButtonBorder(0xB4, 0xB4, 0xB4);

QFont CaptionFont(const QFont& base) {
    QFont bold = base;
    bold.setBold(true);
    return bold;
}

void PaintSign(QPainter& painter, const QPoint& topLeft, bool plus) {
    const QRect box(topLeft, QSize(kSignSize, kSignSize));
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.setBrush(Qt::white);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    const int mid = kSignSize / 2;
    painter.drawLine(box.left() + 2, box.top() + mid, box.right() - 2, box.top() + mid);
    if (plus)
        painter.drawLine(box.left() + mid, box.top() + 2, box.left() + mid, box.bottom() - 2);
}

} // namespace

TCategoryButtons::TCategoryButtons(QWidget* parent) : QAbstractScrollArea(parent) {
    // Clicking a symbol must leave the keyboard in the document.
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(true);
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(colours);
    viewport()->setBackgroundRole(QPalette::Window);
    verticalScrollBar()->setSingleStep(kButtonSize);
}

void TCategoryButtons::SetCategories(QList<TCategory> categories) {
    m_categories = std::move(categories);
    for (const TCategory& category : m_categories)
        for (QAction* action : category.Items)
            connect(action, &QAction::changed, viewport(), qOverload<>(&QWidget::update),
                    Qt::UniqueConnection);
    m_hovered = m_pressed = {};
    Relayout();
}

void TCategoryButtons::SetCollapsed(int category, bool collapsed) {
    m_categories[category].Collapsed = collapsed;
    m_hovered = m_pressed = {};
    Relayout();
}

void TCategoryButtons::Relayout() {
    const int width = viewport()->width();
    // Square buttons as many as fit, then widened to fill the row.
    const int room = width - kStripWidth - kSpacing;
    const int perRow = qMax(1, room / (kButtonSize + kSpacing));
    const int buttonWidth = qMax(kButtonSize, room / perRow - kSpacing);
    const QFontMetrics caption(CaptionFont(font()));
    m_places.clear();
    int y = 0;
    for (const TCategory& category : m_categories) {
        TPlace place;
        if (category.Collapsed) {
            place.Frame = QRect(0, y, width, kHeaderHeight);
            place.Toggle = place.Frame;
        } else {
            const int rows = (int(category.Items.size()) + perRow - 1) / perRow;
            const int buttonsHeight = rows * (kButtonSize + kSpacing) + kSpacing;
            const int captionHeight =
                kCaptionTop + caption.horizontalAdvance(category.Caption) + kCaptionFoot;
            place.Frame = QRect(0, y, width, qMax(buttonsHeight, captionHeight));
            place.Toggle = QRect(0, y, kStripWidth, place.Frame.height());
            for (int i = 0; i < category.Items.size(); ++i)
                place.Buttons.append(
                    QRect(kStripWidth + kSpacing + (i % perRow) * (buttonWidth + kSpacing),
                          y + kSpacing + (i / perRow) * (kButtonSize + kSpacing), buttonWidth,
                          kButtonSize));
        }
        y = place.Frame.bottom() + 1 + kCategoryGap;
        m_places.append(place);
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, qMax(0, y - viewport()->height()));
    viewport()->update();
}

int TCategoryButtons::ScrollOffset() const {
    return verticalScrollBar()->value();
}

QRect TCategoryButtons::ButtonRect(const QAction* action) const {
    for (int c = 0; c < m_categories.size(); ++c) {
        const qsizetype i = m_categories[c].Items.indexOf(action);
        if (i >= 0 && i < m_places[c].Buttons.size())
            return m_places[c].Buttons[i].translated(0, -ScrollOffset());
    }
    return {};
}

QRect TCategoryButtons::ToggleRect(int category) const {
    return m_places[category].Toggle.translated(0, -ScrollOffset());
}

void TCategoryButtons::ScrollToButton(const QAction* action) {
    const QRect rect = ButtonRect(action);
    if (rect.isEmpty())
        return;
    if (rect.top() < 0 || rect.bottom() >= viewport()->height())
        verticalScrollBar()->setValue(rect.top() + ScrollOffset() - kSpacing);
}

TCategoryButtons::THit TCategoryButtons::HitAt(const QPoint& viewportPoint) const {
    const QPoint point = viewportPoint + QPoint(0, ScrollOffset());
    for (int c = 0; c < m_places.size(); ++c) {
        const TPlace& place = m_places[c];
        if (!place.Frame.contains(point))
            continue;
        if (place.Toggle.contains(point))
            return {c, -1};
        for (int b = 0; b < place.Buttons.size(); ++b)
            if (place.Buttons[b].contains(point))
                return {c, b};
    }
    return {};
}

QAction* TCategoryButtons::ActionOf(const THit& hit) const {
    if (hit.Category < 0 || hit.Button < 0)
        return nullptr;
    return m_categories[hit.Category].Items[hit.Button];
}

void TCategoryButtons::SetHovered(const THit& hit) {
    if (hit == m_hovered)
        return;
    m_hovered = hit;
    const QAction* action = ActionOf(hit);
    QStatusTipEvent tip(action ? action->statusTip() : QString());
    QCoreApplication::sendEvent(this, &tip);
    viewport()->update();
}

bool TCategoryButtons::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const QAction* action = ActionOf(HitAt(help->pos())))
            QToolTip::showText(help->globalPos(), action->toolTip(), viewport(),
                               ButtonRect(action));
        else
            QToolTip::hideText();
        return true;
    }
    case QEvent::Leave:
        SetHovered({});
        break;
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TCategoryButtons::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void TCategoryButtons::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = HitAt(event->position().toPoint());
    viewport()->update();
}

void TCategoryButtons::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const THit pressed = m_pressed;
    m_pressed = {};
    viewport()->update();
    if (pressed.Category < 0 || HitAt(event->position().toPoint()) != pressed)
        return;
    if (pressed.Button < 0) {
        SetCollapsed(pressed.Category, !m_categories[pressed.Category].Collapsed);
        return;
    }
    QAction* action = ActionOf(pressed);
    if (action->isEnabled())
        action->trigger();
}

void TCategoryButtons::mouseMoveEvent(QMouseEvent* event) {
    SetHovered(HitAt(event->position().toPoint()));
}

void TCategoryButtons::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.translate(0, -ScrollOffset());
    for (int c = 0; c < m_categories.size(); ++c)
        PaintCategory(painter, c);
}

void TCategoryButtons::PaintCategory(QPainter& painter, int index) const {
    const TCategory& category = m_categories[index];
    const TPlace& place = m_places[index];
    painter.setPen(category.Colour.darker(125));
    painter.setBrush(category.Colour);
    painter.drawRect(place.Frame.adjusted(0, 0, -1, -1));

    painter.setFont(CaptionFont(font()));
    painter.setPen(Qt::black);
    if (category.Collapsed) {
        PaintSign(painter, QPoint(kSignTop, place.Frame.top() + (kHeaderHeight - kSignSize) / 2),
                  true);
        painter.setPen(Qt::black);
        painter.drawText(place.Frame.adjusted(4 + kSignSize + 5, 0, 0, 0),
                         Qt::AlignVCenter | Qt::AlignLeft, category.Caption);
        return;
    }
    PaintSign(painter, QPoint((kStripWidth - kSignSize) / 2, place.Frame.top() + kSignTop), false);
    // The caption reads upwards and ends under the sign.
    const int length = place.Frame.height() - kCaptionTop - kCaptionFoot;
    painter.save();
    painter.setPen(Qt::black);
    painter.translate(place.Toggle.left(), place.Frame.bottom() + 1);
    painter.rotate(-90);
    painter.drawText(QRect(kCaptionFoot, 0, length, kStripWidth), Qt::AlignVCenter | Qt::AlignRight,
                     category.Caption);
    painter.restore();

    for (int b = 0; b < place.Buttons.size(); ++b)
        PaintButton(painter, place.Buttons[b], category.Items[b],
                    m_hovered == THit{index, b} || m_pressed == THit{index, b});
}

void TCategoryButtons::PaintButton(QPainter& painter, const QRect& rect, const QAction* action,
                                   bool hovered) const {
    const QColor base = hovered ? kHotColour : kButtonColour;
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, base.lighter(108));
    fill.setColorAt(1, base.darker(106));
    painter.setPen(hovered ? kHotColour.darker(130) : kButtonBorder);
    painter.setBrush(fill);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));

    QFont glyph = font();
    glyph.setPixelSize(kGlyphPixels);
    painter.setFont(glyph);
    painter.setPen(action->isEnabled() ? QColor(Qt::black) : QColor(0x90, 0x90, 0x90));
    painter.drawText(rect, Qt::AlignCenter, action->iconText());
}

} // namespace quillery
