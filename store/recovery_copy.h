#pragma once

// Recovery copies of unsaved edits: the document as a save would write it,
// with the note panel's state, kept outside the site folder in the user's
// data folder until the document is left normally.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace quillery {

struct TRecoveryCopy {
    QString SitePath; // the site folder, ending in '/'
    QString FileName; // the document's file name in the site folder
    QString Title;    // the node's title when the copy was taken
    QString Note;     // the note panel as it was
    QDate Date;
    QString Thumbnail;   // the thumbnail chosen: a path, a bare site name, or empty
    QByteArray Document; // the document's bytes as a save would write them
};

// <data folder>/recovery: created owner-only when first written.
QString RecoveryFolder();

// The copy of fileName of the site in folder: the name joins a digest of the
// site folder's path and the document's file name.
QString RecoveryCopyPath(const QString& folder, const QString& sitePath, QStringView fileName);

// Written atomically and readable by its owner only. The file is an HTML
// document a browser opens: one comment line with the note panel's state,
// then the document. Throws Error when it cannot be written.
void WriteRecoveryCopy(const QString& path, const TRecoveryCopy& copy);

// Nothing when the file is missing or is not a recovery copy.
std::optional<TRecoveryCopy> ReadRecoveryCopy(const QString& path);

// The paths of every copy of the site in folder.
std::vector<QString> RecoveryCopiesOfSite(const QString& folder, const QString& sitePath);

} // namespace quillery
