#include "shell/publish_command.h"

#include "publish/publisher.h"
#include "shell/asker.h"
#include "shell/error_handler.h"
#include "shell/ftp_dlg.h"
#include "shell/pressed_button.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QToolButton>

namespace quillery {
namespace {

constexpr const char* kProgressTexts[] = {"Синхронизация |", "Синхронизация /", "Синхронизация -",
                                          "Синхронизация \\"};

} // namespace

TPublishCommand::TPublishCommand(TFTPDlg& dialog, TPublisher& publisher, QLabel& statusPanel,
                                 Asker& asker, QWidget* parent)
    : QObject(parent), m_dialog(dialog), m_publisher(publisher), m_statusPanel(statusPanel),
      m_asker(asker) {
    m_indicator = new QWidget(parent);
    m_indicator->setObjectName(QStringLiteral("PublishIndicator"));
    m_progress = new QProgressBar(m_indicator);
    m_progress->setObjectName(QStringLiteral("PublishProgress"));
    m_progress->setFormat(QStringLiteral("%v из %m"));
    m_progress->setFixedWidth(140);
    m_stop = new QToolButton(m_indicator);
    m_stop->setObjectName(QStringLiteral("PublishStop"));
    m_stop->setText(QStringLiteral("Остановить"));
    m_stop->setToolTip(QStringLiteral("Остановить публикацию после текущего файла"));
    m_stop->setStatusTip(m_stop->toolTip());
    auto* layout = new QHBoxLayout(m_indicator);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_progress);
    layout->addWidget(m_stop);
    m_indicator->hide();

    connect(m_stop, &QToolButton::clicked, this, &TPublishCommand::StopRun);
    connect(&m_publisher, &TPublisher::ProgressStep, this, &TPublishCommand::ProgressStep);
    connect(&m_publisher, &TPublisher::Planned, this, [this](int total) {
        m_progress->setRange(0, total);
        m_progress->setValue(0);
    });
    connect(&m_publisher, &TPublisher::Advanced, m_progress, &QProgressBar::setValue);
    connect(&m_publisher, &TPublisher::Finished, this, &TPublishCommand::Finished);
    m_publisher.SetAsk(
        [this](const QString& text) { return m_asker.Confirm(text, Asker::Answer::No); });
}

bool TPublishCommand::IsRunning() const {
    return m_publisher.IsRunning();
}

void TPublishCommand::SetSitePath(const QString& sitePath) {
    m_sitePath = sitePath;
    if (QFileInfo::exists(LastReportPath(sitePath)))
        m_statusPanel.setToolTip(QString::fromUtf8(kReportHint));
}

void TPublishCommand::FTPExecute(QAbstractButton* button) {
    if (m_publisher.IsRunning())
        return;
    m_progressCounter = 0;
    TPressedButton pressed(button);
    m_leave();
    m_dialog.SetSitePath(m_sitePath);
    if (m_dialog.exec() != QDialog::Accepted)
        return;
    pressed.Release();

    const TFtpAccount account{m_dialog.Host()->text(), m_dialog.Username()->text(),
                              m_dialog.Password()->text(), m_dialog.Dir()->text()};
    m_publisher.Start(m_sitePath, account);
    m_progress->setRange(0, 0);
    m_stop->setEnabled(true);
    m_indicator->show();
    m_holdOff(true);
}

void TPublishCommand::StopRun() {
    if (!m_publisher.IsRunning())
        return;
    m_publisher.Stop();
    m_stop->setEnabled(false);
}

void TPublishCommand::ProgressStep() {
    m_statusPanel.setText(QString::fromUtf8(kProgressTexts[m_progressCounter]));
    m_progressCounter = (m_progressCounter + 1) % 4;
}

void TPublishCommand::Finished(const TPublishReport& report) {
    const QLocale locale = QLocale::system();
    const QString status = PublishStatusText(report, locale);
    m_statusPanel.setText(status);
    m_statusPanel.setToolTip(PublishSummary(report));
    m_lastReport = PublishReportText(report, locale);
    m_indicator->hide();
    m_holdOff(false);
    if (report.ReachedServer()) {
        RunReportingErrors(m_asker, [&] { SaveRunResult(m_sitePath, status, m_lastReport); });
    }
    emit RunFinished();
}

QString TPublishCommand::LastReportText() const {
    if (!m_lastReport.isEmpty())
        return m_lastReport;
    return ReadLastReport(m_sitePath);
}

} // namespace quillery
