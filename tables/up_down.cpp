#include "tables/up_down.h"

#include "tables/whole_number.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillery {
namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    return button;
}

} // namespace

TUpDown::TUpDown(QLineEdit* associate, int min, int max, QWidget* parent)
    : QWidget(parent), m_associate(associate), m_up(ArrowButton(Qt::UpArrow, this)),
      m_down(ArrowButton(Qt::DownArrow, this)), m_min(min), m_max(max), m_position(min) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
    m_associate->installEventFilter(this);
}

void TUpDown::SetPosition(int value) {
    m_position = qBound(m_min, value, m_max);
}

void TUpDown::Step(int delta) {
    const std::optional<std::int32_t> typed = ReadWholeNumber(m_associate->text().toStdString());
    const int from = typed ? qBound(m_min, *typed, m_max) : m_position;
    SetPosition(from + delta);
    m_associate->setText(QString::number(m_position));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_associate && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SetNumber(QLineEdit& edit, TUpDown& upDown, const QString& text, int position) {
    edit.setText(text);
    upDown.SetPosition(position);
}

} // namespace quillery
