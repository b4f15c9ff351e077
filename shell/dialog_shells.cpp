#include "shell/dialog_shells.h"

namespace quillery {

TTableDlg::TTableDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TableDlg"));
}

TCellDlg::TCellDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CellDlg"));
}

} // namespace quillery
