#include "editor/insertion/open_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace quillery {

bool TOpenDialog::Execute() {
    QFileDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    // A folder that is not there (a web address, say) is passed over.
    const QString folder = QFileInfo(InitialDir).isDir() ? InitialDir : m_lastFolder;
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(FileName).absolutePath();
    return true;
}

} // namespace quillery
