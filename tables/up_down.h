#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace quillery {

// Up and down buttons beside a number edit (the Up and Down keys in the edit
// do the same). A step starts from the edit's number, or from the last
// position when the edit holds none, stays within the range, and writes the
// result into the edit. Any text may be typed into the edit.
class TUpDown final : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit* associate, int min, int max, QWidget* parent);
    Q_DISABLE_COPY_MOVE(TUpDown)

    int Position() const { return m_position; }
    // Moves the position, kept within the range; the edit is left alone.
    void SetPosition(int value);
    void Step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_associate;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_min;
    int m_max;
    int m_position;
};

// The edit text and the position together, as the dialogs set them.
void SetNumber(QLineEdit& edit, TUpDown& upDown, const QString& text, int position);

} // namespace quillery
