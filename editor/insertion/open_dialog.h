#pragma once

#include <QString>

class QWidget;

namespace quillery {

// OpenDialog: a plain file-open dialog without filter, title or default
// extension. Like the dialog it stands for, it keeps a file name and an
// initial folder between showings; the window itself is built per showing.
class TOpenDialog final {
public:
    explicit TOpenDialog(QWidget* parent) : m_parent(parent) {}
    Q_DISABLE_COPY_MOVE(TOpenDialog)

    QString FileName; // bare name or full path; after Execute the chosen file's full path
    QString InitialDir;

    // Shows the dialog; false when it was cancelled.
    bool Execute();

private:
    QWidget* m_parent;
    QString m_lastFolder; // where the last chosen file was, for an empty InitialDir
};

} // namespace quillery
