#include "tables/color_box.h"

#include "editor/commands/command_values.h"

#include <QApplication>
#include <QColorDialog>
#include <QPainter>
#include <QPalette>

namespace quillery {
namespace {

constexpr QSize kSwatch(16, 12);

struct TSystemRole {
    int Element;
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
};

// Display elements of system colours and the palette colours that play
// their part here.
constexpr TSystemRole kSystemRoles[] = {
    {0x00, QPalette::Active, QPalette::Mid},             // scroll bar
    {0x01, QPalette::Active, QPalette::Dark},            // desktop
    {0x02, QPalette::Active, QPalette::Highlight},       // active caption
    {0x03, QPalette::Inactive, QPalette::Mid},           // inactive caption
    {0x04, QPalette::Active, QPalette::Window},          // menu
    {0x05, QPalette::Active, QPalette::Base},            // window
    {0x06, QPalette::Active, QPalette::Shadow},          // window frame
    {0x07, QPalette::Active, QPalette::WindowText},      // menu text
    {0x08, QPalette::Active, QPalette::Text},            // window text
    {0x09, QPalette::Active, QPalette::HighlightedText}, // caption text
    {0x0A, QPalette::Active, QPalette::Button},          // active border
    {0x0B, QPalette::Inactive, QPalette::Button},        // inactive border
    {0x0C, QPalette::Active, QPalette::Dark},            // application work space
    {0x0D, QPalette::Active, QPalette::Highlight},       // highlight
    {0x0E, QPalette::Active, QPalette::HighlightedText}, // highlight text
    {0x0F, QPalette::Active, QPalette::Button},          // button face
    {0x10, QPalette::Active, QPalette::Dark},            // button shadow
    {0x11, QPalette::Disabled, QPalette::Text},          // grey text
    {0x12, QPalette::Active, QPalette::ButtonText},      // button text
    {0x13, QPalette::Disabled, QPalette::WindowText},    // inactive caption text
    {0x14, QPalette::Active, QPalette::Light},           // button highlight
    {0x15, QPalette::Active, QPalette::Shadow},          // 3D dark shadow
    {0x16, QPalette::Active, QPalette::Midlight},        // 3D light
    {0x17, QPalette::Active, QPalette::ToolTipText},     // info text
    {0x18, QPalette::Active, QPalette::ToolTipBase},     // info background
    {0x1A, QPalette::Active, QPalette::Link},            // hot light
    {0x1B, QPalette::Active, QPalette::Highlight},       // gradient active caption
    {0x1C, QPalette::Inactive, QPalette::Midlight},      // gradient inactive caption
    {0x1D, QPalette::Active, QPalette::Highlight},       // menu highlight
    {0x1E, QPalette::Active, QPalette::Window},          // menu bar
};

QIcon Swatch(TColor value) {
    QPixmap pixmap(kSwatch);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QRect frame(0, 0, kSwatch.width() - 1, kSwatch.height() - 1);
    const QColor colour = SwatchColour(value);
    p.setPen(Qt::black);
    p.setBrush(colour.isValid() ? colour : QColor(Qt::white));
    p.drawRect(frame);
    if (!colour.isValid())
        p.drawLine(frame.bottomLeft(), frame.topRight());
    return QIcon(pixmap);
}

// An entry's caption: its name without "cl".
QString Caption(const TColorIdent& ident) {
    return QString::fromLatin1(ident.Name + 2);
}

} // namespace

QColor SwatchColour(TColor value) {
    if (IsRGBColor(value))
        return ColorFromValue(quint32(value));
    if (IsSystemColor(value)) {
        const int element = value & 0xFF;
        for (const TSystemRole& role : kSystemRoles)
            if (role.Element == element)
                return QApplication::palette().color(role.Group, role.Role);
    }
    return {};
}

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
    setIconSize(kSwatch);
    setMaxVisibleItems(16);
    addItem(QStringLiteral("Custom..."));
    SetCustom(0);
    for (const TColorIdent& ident : ColorIdents())
        if (ident.Value != clDefault)
            addItem(Swatch(ident.Value), Caption(ident), ident.Value);
    connect(this, &QComboBox::activated, this, &TColorBox::EntryChosen);
    SetSelected(clNone);
}

TColor TColorBox::Selected() const {
    return currentData().toInt();
}

void TColorBox::SetSelected(TColor value) {
    for (int i = kCustomIndex + 1; i < count(); ++i) {
        if (itemData(i).toInt() == value) {
            setCurrentIndex(i);
            return;
        }
    }
    SetCustom(value);
    setCurrentIndex(kCustomIndex);
}

void TColorBox::showPopup() {
    m_beforeChoice = currentIndex();
    QComboBox::showPopup();
}

void TColorBox::keyPressEvent(QKeyEvent* event) {
    m_beforeChoice = currentIndex();
    QComboBox::keyPressEvent(event);
}

void TColorBox::wheelEvent(QWheelEvent* event) {
    m_beforeChoice = currentIndex();
    QComboBox::wheelEvent(event);
}

void TColorBox::SetCustom(TColor value) {
    setItemData(kCustomIndex, value);
    setItemIcon(kCustomIndex, Swatch(value));
}

void TColorBox::EntryChosen(int index) {
    if (index != kCustomIndex)
        return;
    const QColor start = SwatchColour(itemData(kCustomIndex).toInt());
    QColorDialog picker(start.isValid() ? start : QColor(Qt::black), this);
    if (picker.exec() != QDialog::Accepted) {
        // Nothing chosen: the box shows what it showed before.
        if (m_beforeChoice >= 0)
            setCurrentIndex(m_beforeChoice);
        return;
    }
    const QColor chosen = picker.selectedColor();
    SetCustom(TColor(ValueFromColor(chosen)));
}

} // namespace quillery
