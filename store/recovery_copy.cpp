#include "store/recovery_copy.h"

#include "store/atomic_write.h"
#include "store/error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <sys/stat.h>

namespace quillery {
namespace {

constexpr char kHeaderStart[] = "<!-- quillery-recovery ";
constexpr char kHeaderEnd[] = " -->\r\n";

QString SitePrefix(const QString& sitePath) {
    const QByteArray digest =
        QCryptographicHash::hash(sitePath.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QString::fromLatin1(digest.left(16)) + u'-';
}

// JSON in an HTML comment: ASCII only, and no "--" that would end it.
QByteArray CommentSafe(const QByteArray& json) {
    QByteArray out;
    out.reserve(json.size());
    for (const QChar c : QString::fromUtf8(json)) {
        if (c.unicode() >= 0x7f || c == u'-')
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toLatin1();
        else
            out += char(c.unicode());
    }
    return out;
}

} // namespace

QString RecoveryFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/recovery");
}

QString RecoveryCopyPath(const QString& folder, const QString& sitePath, QStringView fileName) {
    return folder + u'/' + SitePrefix(sitePath) + fileName.toString();
}

void WriteRecoveryCopy(const QString& path, const TRecoveryCopy& copy) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("Не удалось создать папку %1").arg(folder).toStdString());
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    const QJsonObject state{
        {QStringLiteral("site"), copy.SitePath},
        {QStringLiteral("file"), copy.FileName},
        {QStringLiteral("title"), copy.Title},
        {QStringLiteral("note"), copy.Note},
        {QStringLiteral("date"), copy.Date.toString(Qt::ISODate)},
        {QStringLiteral("thumbnail"), copy.Thumbnail},
    };
    const QByteArray header = kHeaderStart +
                              CommentSafe(QJsonDocument(state).toJson(QJsonDocument::Compact)) +
                              kHeaderEnd;
    WriteFileAtomically(path, header + copy.Document, FileMode::OwnerOnly);
}

std::optional<TRecoveryCopy> ReadRecoveryCopy(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.readAll();
    if (!data.startsWith(kHeaderStart))
        return std::nullopt;
    const qsizetype end = data.indexOf(kHeaderEnd);
    if (end < 0)
        return std::nullopt;
    const qsizetype start = qsizetype(sizeof kHeaderStart) - 1;
    const QJsonDocument json = QJsonDocument::fromJson(data.mid(start, end - start));
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject state = json.object();
    TRecoveryCopy copy;
    copy.SitePath = state.value(QStringLiteral("site")).toString();
    copy.FileName = state.value(QStringLiteral("file")).toString();
    copy.Title = state.value(QStringLiteral("title")).toString();
    copy.Note = state.value(QStringLiteral("note")).toString();
    copy.Date = QDate::fromString(state.value(QStringLiteral("date")).toString(), Qt::ISODate);
    copy.Thumbnail = state.value(QStringLiteral("thumbnail")).toString();
    copy.Document = data.mid(end + qsizetype(sizeof kHeaderEnd) - 1);
    return copy;
}

std::vector<QString> RecoveryCopiesOfSite(const QString& folder, const QString& sitePath) {
    std::vector<QString> paths;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({SitePrefix(sitePath) + u'*'}, QDir::Files | QDir::Hidden, QDir::Name))
        paths.push_back(dir.filePath(name));
    return paths;
}

} // namespace quillery
