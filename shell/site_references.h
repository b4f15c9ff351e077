#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quillery {

// How a document's picture sources and link targets meet the site folder
// when the document is left: local files from elsewhere are brought in and
// the reference rewritten as a bare name.

// The local path a reference names, or nothing when it is not a file URL
// (a web address, say). Text that is not a URL is taken as a local path.
std::optional<QString> LocalPathOfReference(const QString& reference);

// The lower-case file name a reference adds to a document's own files when
// it points into the site folder or has no folder part; empty otherwise.
QString OwnedNameOfReference(const QString& reference, const QString& sitePath);

// The new text of a picture source or link target, or nothing to leave it
// as it is. Copies the file into the site folder when it must be imported.
std::optional<QString> ImportReference(const QString& reference, const QString& sitePath,
                                       const QStringList& ownedFiles);

// The new text of a link target: "?name" for a contents link into the site
// folder, otherwise as ImportReference.
std::optional<QString> ImportLinkTarget(const QString& target, const QString& sitePath,
                                        const QStringList& ownedFiles);

} // namespace quillery
