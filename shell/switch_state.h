#pragma once

#include <QString>
#include <QStringList>

namespace quillery {

// The main window's state around the current document.
struct TSwitchState {
    // The site folder, ending in '/'.
    QString SitePath;
    // Lower-case names of every file the current document owns.
    QStringList OwnedFiles;
    // The tree may change its selection now; false while opening or leaving.
    bool SwitchAllowed = true;
    // A document is loaded and must be saved before the selection leaves it.
    bool DocumentLoaded = false;
};

} // namespace quillery
