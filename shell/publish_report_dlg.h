#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace quillery {

// What the last publishing run did: sent, deleted and failed files with the
// server's replies. Opened by a double click on the status panel.
class TPublishReportDlg final : public QDialog {
    Q_OBJECT
public:
    explicit TPublishReportDlg(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TPublishReportDlg)

    // Shows text, or a line saying there is no report yet.
    void ShowReport(const QString& text);
    QPlainTextEdit* Text() const { return m_text; }

private:
    QPlainTextEdit* m_text;
};

} // namespace quillery
