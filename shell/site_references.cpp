#include "shell/site_references.h"

#include "store/ascii.h"
#include "store/site_folder.h"

#include <QFileInfo>
#include <QUrl>

namespace quillery {

std::optional<QString> LocalPathOfReference(const QString& reference) {
    QUrl url(reference);
    if (url.scheme().isEmpty())
        url = QUrl::fromLocalFile(reference);
    if (!url.isLocalFile())
        return std::nullopt;
    const QString path = url.toLocalFile();
    return path.isEmpty() ? reference : path;
}

QString OwnedNameOfReference(const QString& reference, const QString& sitePath) {
    QString path = reference;
    const QUrl url(reference);
    if (url.isLocalFile())
        path = url.toLocalFile();
    const QString folder = FolderPart(path);
    if (!folder.isEmpty() && !AsciiEqualNoCase(folder, sitePath))
        return QString();
    return AsciiLower(FileNamePart(path));
}

std::optional<QString> ImportReference(const QString& reference, const QString& sitePath,
                                       const QStringList& ownedFiles) {
    const std::optional<QString> local = LocalPathOfReference(reference);
    if (!local)
        return std::nullopt;
    const QString fileName = FileNamePart(*local);
    const QFileInfo source(*local);
    // The document's own file: only the reference is made bare. The name is
    // kept as it is on disk, since lower-casing it would point elsewhere on
    // a case-sensitive file system.
    if (IsInSiteFolder(*local, sitePath) && ownedFiles.contains(AsciiLower(fileName)) &&
        source.exists())
        return fileName;
    if (fileName.isEmpty())
        return std::nullopt;
    // Folders, devices and pipes are never copied (reading a pipe would block).
    if (!source.isFile())
        return std::nullopt;
    const QString name = ImportedFileName(*local, sitePath);
    if (name.isEmpty() || !CopyFileIntoSite(*local, sitePath, name))
        return std::nullopt;
    return name;
}

std::optional<QString> ImportLinkTarget(const QString& target, const QString& sitePath,
                                        const QStringList& ownedFiles) {
    const QUrl url(target);
    if (url.isLocalFile() && url.hasQuery() && IsInSiteFolder(url.toLocalFile(), sitePath))
        return QLatin1Char('?') + AsciiLower(url.query(QUrl::FullyDecoded));
    return ImportReference(target, sitePath, ownedFiles);
}

} // namespace quillery
