#pragma once

#include <QDialog>

namespace quillery {

// The dialogs of the table and cell commands. Created once at start-up and
// kept; their contents arrive with those commands.
#define QUILLERY_DIALOG_SHELL(Name)                                                                \
    class Name final : public QDialog {                                                            \
    public:                                                                                        \
        explicit Name(QWidget* parent);                                                            \
        Q_DISABLE_COPY_MOVE(Name)                                                                  \
    };

QUILLERY_DIALOG_SHELL(TTableDlg)
QUILLERY_DIALOG_SHELL(TCellDlg)

#undef QUILLERY_DIALOG_SHELL

} // namespace quillery
