#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QWidget;

namespace quillery {

// Gives the shortcuts of the listed actions precedence over the page's own
// editing keys. With the keyboard in the page, the engine claims the text
// editing keys of the desktop's key scheme before any shortcut runs (on X11
// Ctrl+K deletes to the end of the line), so without this the commands on
// those keys could not be reached from the page.
class TPageShortcuts final : public QObject {
    Q_OBJECT
public:
    TPageShortcuts(QWidget* page, QList<QAction*> actions);
    ~TPageShortcuts() override;
    Q_DISABLE_COPY_MOVE(TPageShortcuts)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_page;
    QList<QPointer<QAction>> m_actions;
};

} // namespace quillery
