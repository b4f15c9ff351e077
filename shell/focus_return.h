#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace quillery {

// Gives the keyboard back to the main window whenever a dialog over it
// closes. A window manager usually does this; without one (a bare X server)
// nobody would, and the main window's shortcuts would stay dead.
class TFocusReturn final : public QObject {
    Q_OBJECT
public:
    // Watches every dialog of the application for mainWindow.
    explicit TFocusReturn(QWidget* mainWindow);
    ~TFocusReturn() override;
    Q_DISABLE_COPY_MOVE(TFocusReturn)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_mainWindow;
};

} // namespace quillery
