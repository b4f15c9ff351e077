#include "store/site_pages.h"

#include "store/error.h"
#include "store/settings_store.h"
#include "store/site_folder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <optional>

namespace quillery {
namespace {

constexpr char kDataFolder[] = "quillery/site-pages";
constexpr char kMarkWords[] = "Quillery site pages ";
// The mark is looked for only near the top, where it is written.
constexpr qsizetype kMarkSearchLength = 1024;

// Pages shipped before copies carried a mark: a copy still holding one of
// them is unmodified.
constexpr const char* kUnmarkedReleases[] = {
    "8b8778a2f4273b892cfc5a69ba2b6b9bd29555ad7f233383ffe4afb27e4e9f19", // index.html
    "e96489c160ed844c3f505aaaa69dffe4b10a346ddb42738f078f01bb838728e6",
    "fed862811d97ceed2e451d8d9fdd93ec19aa6ec45ad54836390db4113f9e8cf7", // site.css
    "eb03dec954009727da8d5b64c22dc144be05cffc393dc699ef06c30dcb6febaa",
    "e47340dd1525dbf2824d35954a6325150f027dbfd3c5971a7010166bdafcc00a",
    "8ab37bbd5b0ce767059dd87458307b252cf3356d5e2686a75cccf6977ef8fe69",
    "c379551e1bb12b6e72fe618b404cd9c38d4c9f80cf9d0afe63302d3d6d67b7c4", // site.js
    "8f2a4efe8d05382c72f0f9552ff17a09cb996b37ec709220df2c83a8094fb4bb",
    "0f52725573d07b250bc4791d7a8a81539a990aeb48e930e0306f2e4537ff336a",
    "28cc729a99e307d1aeae416d485d3225d035c8bd6013d6e0fd0070db4d079a97",
    "4b8fc6a4eb0bbde1d0e28716cd61f5cee9fc01f0bac3b07aac95e9c8b824d505",
};

QByteArray Sha256(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

QByteArray MarkLine(const QString& name, const QByteArray& digest) {
    const QByteArray words =
        kMarkWords + QByteArray::number(kSitePagesVersion) + " sha256:" + digest;
    const QString extension = FileExtension(name).toLower();
    if (extension == QLatin1String(".html") || extension == QLatin1String(".htm"))
        return "<!-- " + words + " -->\n";
    if (extension == QLatin1String(".css"))
        return "/* " + words + " */\n";
    return "// " + words + "\n";
}

// Where the mark line goes: after a byte order mark, and after the DOCTYPE
// line (nothing may come before it in an HTML page).
qsizetype MarkPosition(const QByteArray& content) {
    qsizetype at = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (content.mid(at, 9).compare("<!DOCTYPE", Qt::CaseInsensitive) == 0) {
        const qsizetype end = content.indexOf('\n', at);
        at = end < 0 ? content.size() : end + 1;
    }
    return at;
}

struct TMark {
    int Version = 0;
    QByteArray Digest;
    QByteArray Rest; // the copy without its mark line
};

std::optional<TMark> ReadMark(const QByteArray& copy) {
    const qsizetype words = copy.left(kMarkSearchLength).indexOf(kMarkWords);
    if (words < 0)
        return std::nullopt;
    const qsizetype lineStart = copy.lastIndexOf('\n', words) + 1;
    qsizetype lineEnd = copy.indexOf('\n', words);
    lineEnd = lineEnd < 0 ? copy.size() : lineEnd + 1;
    static const QRegularExpression pattern(
        QStringLiteral("Quillery site pages (\\d{1,6}) sha256:([0-9a-f]{64})"));
    const QRegularExpressionMatch match =
        pattern.match(QString::fromLatin1(copy.mid(words, lineEnd - words)));
    if (!match.hasMatch())
        return std::nullopt;
    // A byte order mark before the line stays with the rest.
    const qsizetype bom = lineStart == 0 && copy.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    return TMark{match.captured(1).toInt(), match.captured(2).toLatin1(),
                 copy.left(lineStart + bom) + copy.mid(lineEnd)};
}

QByteArray ReadWhole(const QString& path, bool* ok) {
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    QByteArray data = *ok ? file.readAll() : QByteArray();
    *ok = *ok && file.error() == QFileDevice::NoError;
    return data;
}

} // namespace

QString FindShippedPagesFolder() {
    const QString beside =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/") +
                        QLatin1String(kDataFolder));
    if (QFileInfo(beside).isDir())
        return beside + QLatin1Char('/');
    const QString found =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QLatin1String(kDataFolder),
                               QStandardPaths::LocateDirectory);
    return found.isEmpty() ? QString() : IncludeTrailingDelimiter(found);
}

TShippedPages ReadShippedPages(const QString& folder) {
    if (folder.isEmpty())
        throw Error(QStringLiteral("Не найдена папка %1 со страницами сайта: программа "
                                   "установлена не полностью.")
                        .arg(QLatin1String(kDataFolder))
                        .toStdString());
    TShippedPages shipped{IncludeTrailingDelimiter(folder), {}};
    for (const char* name : kSitePageNames) {
        const QString path = shipped.Folder + QLatin1String(name);
        bool ok = false;
        const QByteArray content = ReadWhole(path, &ok);
        if (!ok)
            throw Error(QStringLiteral("Не удалось прочитать страницу сайта %1: программа "
                                       "установлена не полностью.")
                            .arg(path)
                            .toStdString());
        shipped.Pages.push_back({QLatin1String(name), content});
    }
    return shipped;
}

QByteArray MarkedPage(const TSitePage& page) {
    const qsizetype at = MarkPosition(page.Content);
    return page.Content.left(at) + MarkLine(page.Name, Sha256(page.Content)) + page.Content.mid(at);
}

TSiteCopy ExamineSiteCopy(const QString& sitePath, const TSitePage& page) {
    bool ok = false;
    const QByteArray copy = ReadWhole(SiteFilePath(sitePath, page.Name), &ok);
    if (!ok)
        return TSiteCopy::Missing;
    const std::optional<TMark> mark = ReadMark(copy);
    if (!mark) {
        const QByteArray digest = Sha256(copy);
        if (copy == page.Content)
            return TSiteCopy::Outdated;
        for (const char* release : kUnmarkedReleases)
            if (digest == release)
                return TSiteCopy::Outdated;
        return TSiteCopy::Edited;
    }
    if (mark->Version > kSitePagesVersion)
        return TSiteCopy::Newer;
    const bool unmodified = Sha256(mark->Rest) == mark->Digest;
    if (unmodified)
        return mark->Rest == page.Content ? TSiteCopy::Current : TSiteCopy::Outdated;
    // Edited from this very version: there is nothing newer to offer.
    return mark->Version == kSitePagesVersion ? TSiteCopy::Current : TSiteCopy::Edited;
}

void WriteSitePage(const QString& sitePath, const TSitePage& page) {
    WriteSiteFile(sitePath, page.Name, MarkedPage(page));
}

} // namespace quillery
