#include "shell/dialog_shells.h"

namespace quillery {

TTableDlg::TTableDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TableDlg"));
}

TCellDlg::TCellDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CellDlg"));
}

THTMLSource::THTMLSource(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HTMLSource"));
}

TFormStyle1::TFormStyle1(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormStyle1"));
}

} // namespace quillery
