#pragma once

#include "publish/publish_report.h"

#include <QObject>
#include <QString>
#include <functional>

class QAbstractButton;
class QLabel;
class QProgressBar;
class QToolButton;
class QWidget;

namespace quillery {

class Asker;
class TFTPDlg;
class TPublisher;

// The FTP command: saves the current document, asks for the account and
// publishes off the user-interface thread. Panel 1 of the status bar shows
// the turning progress text and then the result; a progress bar with a stop
// button stands in the status bar while a run goes.
class TPublishCommand final : public QObject {
    Q_OBJECT
public:
    TPublishCommand(TFTPDlg& dialog, TPublisher& publisher, QLabel& statusPanel, Asker& asker,
                    QWidget* parent);
    Q_DISABLE_COPY_MOVE(TPublishCommand)

    // Leaving the current document, as publishing starts.
    void SetLeave(std::function<void()> leave) { m_leave = std::move(leave); }
    // Holds off (true) or allows again (false) everything that writes site
    // files or changes the current document's state.
    void SetHoldOff(std::function<void(bool)> holdOff) { m_holdOff = std::move(holdOff); }

    // The progress bar and stop button, for the status bar; shown only
    // while a run goes.
    QWidget* RunIndicator() const { return m_indicator; }
    QToolButton* StopButton() const { return m_stop; }

    // The site to publish; also where the report of its last run is kept.
    void SetSitePath(const QString& sitePath);
    // button is FTPTB, shown pressed until the dialog closes.
    void FTPExecute(QAbstractButton* button);
    bool IsRunning() const;
    // Ends the run after the operation under way.
    void StopRun();
    // The report of the last run: this session's, or the one stored for the
    // site; empty when the site was never published.
    QString LastReportText() const;

signals:
    void RunFinished();

private:
    void ProgressStep();
    void Finished(const TPublishReport& report);

    TFTPDlg& m_dialog;
    TPublisher& m_publisher;
    QLabel& m_statusPanel;
    Asker& m_asker;
    QWidget* m_indicator;
    QProgressBar* m_progress;
    QToolButton* m_stop;
    std::function<void()> m_leave;
    std::function<void(bool)> m_holdOff;
    QString m_sitePath;
    QString m_lastReport;
    int m_progressCounter = 0;
};

} // namespace quillery
