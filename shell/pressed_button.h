#pragma once

#include <QAbstractButton>
#include <QPointer>

namespace quillery {

// Shows a tool button pressed while its command's dialog is up, and
// released however the command ends.
class TPressedButton final {
public:
    explicit TPressedButton(QAbstractButton* button) : m_button(button) {
        if (m_button)
            m_button->setDown(true);
    }
    ~TPressedButton() { Release(); }
    TPressedButton(const TPressedButton&) = delete;
    TPressedButton& operator=(const TPressedButton&) = delete;

    void Release() {
        if (m_button)
            m_button->setDown(false);
        m_button = nullptr;
    }

private:
    QPointer<QAbstractButton> m_button;
};

} // namespace quillery
