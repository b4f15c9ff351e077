#include "store/settings_store.h"

#include "store/ascii.h"
#include "store/error.h"
#include "store/text_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillery {

const char kDefaultSyncStatus[] = "Синхронизация не проводилась";

namespace {

QString Latin(const char* text) {
    return QString::fromLatin1(text);
}

QString ProgramKeyFile() {
    const QSettings probe(QSettings::IniFormat, QSettings::UserScope, Latin(kOrganisation),
                          Latin(kApplication));
    return QFileInfo(probe.fileName()).absoluteFilePath();
}

// <config>/Brakvel/Quillery: the folder below which site keys live.
QString StoreRoot() {
    const QFileInfo program(ProgramKeyFile());
    return program.absolutePath() + u'/' + Latin(kApplication);
}

// Creates every missing folder of path with owner-only permissions.
void MakeOwnerOnlyPath(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    const QStringList parts = clean.split(u'/');
    QString cur = clean.startsWith(u'/') ? QStringLiteral("/") : QString();
    for (const QString& part : parts) {
        if (part.isEmpty())
            continue;
        if (!cur.isEmpty() && !cur.endsWith(u'/'))
            cur += u'/';
        cur += part;
        const QByteArray native = QFile::encodeName(cur);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            throw Error(QStringLiteral("Не удалось создать папку настроек %1: %2")
                            .arg(cur, QString::fromLocal8Bit(std::strerror(errno)))
                            .toStdString());
    }
}

// The key file exists afterwards, readable by its owner only.
void EnsureOwnerOnlyFile(const QString& filePath) {
    MakeOwnerOnlyPath(QFileInfo(filePath).absolutePath());
    const QByteArray native = QFile::encodeName(filePath);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return;
    }
    struct stat st;
    if (::stat(native.constData(), &st) == 0 && (st.st_mode & 077))
        ::chmod(native.constData(), st.st_mode & 0700);
}

QString Key(const QString& section, const QString& entry) {
    return section + u'/' + entry;
}

} // namespace

// ---- TIniView -----------------------------------------------------------------------

TIniView TIniView::ProgramKey() {
    TIniView view;
    view.Open(ProgramKeyFile());
    return view;
}

TIniView::TIniView(const QString& keyPath) {
    Open(KeyFilePath(keyPath));
}

TIniView::~TIniView() {
    try {
        Close();
    } catch (const Error&) {
        // A destructor cannot report; Close() explicitly to see the error.
    }
}

TIniView::TIniView(TIniView&&) noexcept = default;
TIniView& TIniView::operator=(TIniView&&) noexcept = default;

void TIniView::Open(const QString& filePath) {
    m_path = filePath;
    EnsureOwnerOnlyFile(filePath);
    m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    m_settings->sync(); // re-read what another use or process wrote
}

QString TIniView::ReadText(const QString& section, const QString& entry, const QString& def) const {
    if (!m_settings)
        return def;
    const QVariant v = m_settings->value(Key(section, entry));
    if (!v.isValid())
        return def;
    // A hand-edited value with unquoted commas reads back as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

void TIniView::WriteText(const QString& section, const QString& entry, const QString& text) {
    if (m_settings)
        m_settings->setValue(Key(section, entry), text);
}

std::string TIniView::ReadString(const QString& section, const QString& entry,
                                 const std::string& def) const {
    const QString missing = QStringLiteral("\x01missing");
    const QString text = ReadText(section, entry, missing);
    if (text == missing)
        return def;
    return ToCp1251(text);
}

void TIniView::WriteString(const QString& section, const QString& entry, const std::string& text) {
    WriteText(section, entry, FromCp1251(text));
}

void TIniView::Close() {
    if (!m_settings)
        return;
    std::unique_ptr<QSettings> settings = std::move(m_settings);
    settings->sync();
    const QSettings::Status status = settings->status();
    settings.reset();
    // QSettings rewrites through a temporary file; keep the result owner-only.
    const QByteArray native = QFile::encodeName(m_path);
    struct stat st;
    if (::stat(native.constData(), &st) == 0 && (st.st_mode & 077))
        ::chmod(native.constData(), st.st_mode & 0700);
    if (status != QSettings::NoError)
        throw Error(
            QStringLiteral("Не удалось сохранить настройки в файл %1").arg(m_path).toStdString());
}

QString TIniView::FilePath() const {
    return m_path;
}

// ---- Key paths ----------------------------------------------------------------------

QString SiteKeyPath(const QString& sitePath) {
    QString path = sitePath;
    // A drive designation ("C:") in front, should a Windows path come in.
    if (path.size() >= 2 && path[1] == u':' && path[0].unicode() < 128 && path[0].isLetter() &&
        (path.size() == 2 || path[2] == u'/' || path[2] == u'\\'))
        path.remove(0, 2);
    if (path.endsWith(u'/') || path.endsWith(u'\\'))
        path.chop(1);
    if (path.isEmpty())
        return QStringLiteral("/");
    if (!path.startsWith(u'/') && !path.startsWith(u'\\'))
        path.prepend(u'/');
    return path;
}

QString KeyFilePath(const QString& keyPath) {
    QString file = StoreRoot();
    for (const QString& part : keyPath.split(u'/', Qt::SkipEmptyParts)) {
        QString folder = part;
        if (part == u"." || part == u"..")
            folder.prepend(u'_'); // never leaves the store
        else if (part.startsWith(u'_'))
            folder.prepend(u'_'); // never meets a key file
        file += u'/' + folder;
    }
    return file + QStringLiteral("/_key.ini");
}

// ---- Recent folders -----------------------------------------------------------------

QString IncludeTrailingDelimiter(const QString& text) {
    return text.endsWith(u'/') ? text : text + u'/';
}

namespace {

bool IsDir(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of folder matching name without regard to ASCII case, first in
// byte order; empty when none is a folder.
QString FindNoCase(const QString& folder, const QString& name) {
    const QByteArray native = QFile::encodeName(folder);
    DIR* dir = ::opendir(native.constData());
    if (!dir)
        return {};
    std::vector<QByteArray> candidates;
    while (const dirent* e = ::readdir(dir)) {
        const QString entry = QFile::decodeName(e->d_name);
        if (AsciiEqualNoCase(QStringView(entry), QStringView(name)))
            candidates.emplace_back(e->d_name);
    }
    ::closedir(dir);
    std::sort(candidates.begin(), candidates.end());
    for (const QByteArray& c : candidates) {
        const QString path = IncludeTrailingDelimiter(folder) + QFile::decodeName(c);
        if (IsDir(path))
            return path;
    }
    return {};
}

} // namespace

QString ResolveFolderNoCase(const QString& path) {
    if (path.isEmpty())
        return {};
    if (IsDir(path))
        return QDir::cleanPath(path);
    if (!path.startsWith(u'/'))
        return {};
    QString cur = QStringLiteral("/");
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u".")
            continue;
        QString next;
        if (part == u"..")
            next = QFileInfo(cur).absolutePath();
        else if (IsDir(IncludeTrailingDelimiter(cur) + part))
            next = IncludeTrailingDelimiter(cur) + part;
        else
            next = FindNoCase(cur, part);
        if (next.isEmpty())
            return {};
        cur = next;
    }
    return QDir::cleanPath(cur);
}

QStringList ReadRecentFolders() {
    const TIniView view = TIniView::ProgramKey();
    QStringList folders;
    for (int i = 0; i <= 11; ++i) {
        const QString text = view.ReadText(Latin(kSectionLastDirs), QString::number(i));
        const QString folder = ResolveFolderNoCase(text);
        if (!folder.isEmpty())
            folders << IncludeTrailingDelimiter(folder);
    }
    return folders;
}

void WriteRecentFolders(const QString& chosen, const QStringList& shown) {
    TIniView view = TIniView::ProgramKey();
    const QString section = Latin(kSectionLastDirs);
    const QString first = AsciiLower(IncludeTrailingDelimiter(chosen));
    view.WriteText(section, QStringLiteral("0"), first);
    int skip = 0;
    for (int i = 0; i <= 10; ++i) {
        const QString text = i < shown.size() ? shown[i] : QString();
        const QString lowered = AsciiLower(IncludeTrailingDelimiter(text));
        if (ResolveFolderNoCase(text).isEmpty() || lowered == first) {
            ++skip;
            continue;
        }
        view.WriteText(section, QString::number(i - skip + 1), lowered);
    }
    view.Close();
}

} // namespace quillery
