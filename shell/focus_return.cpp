#include "shell/focus_return.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

namespace quillery {

TFocusReturn::TFocusReturn(QWidget* mainWindow) : QObject(mainWindow), m_mainWindow(mainWindow) {
    qApp->installEventFilter(this);
}

TFocusReturn::~TFocusReturn() {
    qApp->removeEventFilter(this);
}

bool TFocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && dialog->isWindow()) {
            // After the dialog's own event loop has ended.
            QTimer::singleShot(0, this, [this] {
                if (m_mainWindow && m_mainWindow->isVisible() && !QApplication::activeModalWidget())
                    m_mainWindow->activateWindow();
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quillery
