#pragma once

#include <QDialog>

class QGridLayout;
class QLineEdit;
class QAbstractButton;

namespace quillery {

class Asker;

// TFTPDlg: the site's FTP account. Each field is stored in section "FTP" of
// the site key at every keystroke, so a cancelled dialog keeps what was
// typed; the password goes to the system's keyring where one answers.
class TFTPDlg final : public QDialog {
    Q_OBJECT
public:
    TFTPDlg(QWidget* parent, Asker& asker);
    Q_DISABLE_COPY_MOVE(TFTPDlg)

    QLineEdit* Host() const { return m_host; }
    QLineEdit* Username() const { return m_username; }
    QLineEdit* Password() const { return m_password; }
    QLineEdit* Dir() const { return m_dir; }
    QAbstractButton* OKBtn() const { return m_ok; }
    QAbstractButton* CancelBtn() const { return m_cancel; }

    // The site whose key the dialog reads and writes; set before showing.
    void SetSitePath(const QString& sitePath) { m_sitePath = sitePath; }

    // Fills the fields from the site key and puts the focus on Host.
    void FormShow();
    // Stores the text of edit under the entry named like it.
    void EditExit(QLineEdit* edit);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* AddField(QGridLayout& grid, const char* name, const char* label);

    Asker& m_asker;
    QString m_sitePath;
    QLineEdit* m_host;
    QLineEdit* m_username;
    QLineEdit* m_password;
    QLineEdit* m_dir;
    QAbstractButton* m_ok;
    QAbstractButton* m_cancel;
};

} // namespace quillery
