#include "shell/ftp_dlg.h"

#include "editor/commands/dialog_buttons.h"
#include "shell/error_handler.h"
#include "store/settings_store.h"
#include "store/site_password.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

namespace quillery {

TFTPDlg::TFTPDlg(QWidget* parent, Asker& asker)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint),
      m_asker(asker) {
    setObjectName(QStringLiteral("FTPDlg"));
    setWindowTitle(QStringLiteral("Синхронизация"));

    auto* grid = new QGridLayout;
    m_host = AddField(*grid, kEntryHost, "Адрес ftp сервера:");
    m_username = AddField(*grid, kEntryUsername, "Логин:");
    m_password = AddField(*grid, kEntryPassword, "Пароль:");
    m_dir = AddField(*grid, kEntryDir, "Директория на сервере:");
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    grid->setColumnMinimumWidth(1, 220);

    QDialogButtonBox* buttons = OkCancelButtons(*this, Qt::Horizontal);
    m_ok = buttons->buttons().value(0);
    m_cancel = buttons->buttons().value(1);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_host, m_username);
    setTabOrder(m_username, m_password);
    setTabOrder(m_password, m_dir);
    setTabOrder(m_dir, m_ok);
    setTabOrder(m_ok, m_cancel);
}

// A labelled edit in the next row; its name is the entry it is stored under.
QLineEdit* TFTPDlg::AddField(QGridLayout& grid, const char* name, const char* label) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    auto* caption = new QLabel(QString::fromUtf8(label), this);
    caption->setBuddy(edit);
    const int row = grid.count() / 2;
    grid.addWidget(caption, row, 0);
    grid.addWidget(edit, row, 1);
    connect(edit, &QLineEdit::textEdited, this, [this, edit] { EditExit(edit); });
    return edit;
}

void TFTPDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFTPDlg::FormShow() {
    RunReportingErrors(m_asker, [this] {
        {
            const TIniView siteKey(SiteKeyPath(m_sitePath));
            for (QLineEdit* edit : {m_host, m_username, m_dir})
                edit->setText(siteKey.ReadText(QLatin1String(kSectionFtp), edit->objectName()));
        }
        m_password->setText(ReadSitePassword(m_sitePath));
    });
    m_host->setFocus();
}

void TFTPDlg::EditExit(QLineEdit* edit) {
    RunReportingErrors(m_asker, [&] {
        if (edit == m_password) {
            WriteSitePassword(m_sitePath, edit->text());
            return;
        }
        TIniView siteKey(SiteKeyPath(m_sitePath));
        siteKey.WriteText(QLatin1String(kSectionFtp), edit->objectName(), edit->text());
        siteKey.Close();
    });
}

} // namespace quillery
