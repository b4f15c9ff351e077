#include "store/site_folder.h"

#include "store/ascii.h"
#include "store/atomic_write.h"
#include "store/contents_tree.h"
#include "store/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace quillery {

const char kAttributeRefusalMessage[] =
    "Файловая система папки сайта не поддерживает расширенные атрибуты файлов, в которых "
    "Quillery хранит состояния публикации. Состояния не сохраняются между запусками: при "
    "публикации будут отправляться все файлы, а при закрытии удаляться только файлы, "
    "отброшенные в этом сеансе.";

// ---- Names ------------------------------------------------------------------------

namespace {

constexpr bool IsPlainChar(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u'.' || c == u'_';
}

} // namespace

bool IsPlainFileName(std::string_view name) {
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return IsPlainChar(char16_t(static_cast<unsigned char>(c))); });
}

bool IsPlainFileName(QStringView name) {
    return std::all_of(name.begin(), name.end(), [](QChar c) { return IsPlainChar(c.unicode()); });
}

bool IsBareFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

bool IsBareFileName(QStringView name) {
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(QChar(0));
}

QString SiteFilePath(const QString& sitePath, QStringView name) {
    if (!IsBareFileName(name))
        return {};
    return sitePath + name.toString();
}

bool IsInSiteFolder(const QString& path, const QString& sitePath) {
    if (path.isEmpty() || sitePath.isEmpty())
        return false;
    const QString folder = QDir::cleanPath(QFileInfo(path).absolutePath());
    const QString site = QDir::cleanPath(QDir(sitePath).absolutePath());
    return AsciiEqualNoCase(folder, site);
}

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

bool IsRegularFile(const QByteArray& path) {
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// Calls f(name, fullNativePath) for each entry of the folder but "." and "..".
template <class F> void ForEachEntry(const QString& folder, F&& f) {
    const QByteArray dirPath = Native(folder);
    DIR* dir = ::opendir(dirPath.constData());
    if (!dir)
        return;
    while (const dirent* e = ::readdir(dir)) {
        const char* n = e->d_name;
        if (std::strcmp(n, ".") == 0 || std::strcmp(n, "..") == 0)
            continue;
        QByteArray full = dirPath;
        if (!full.endsWith('/'))
            full += '/';
        full += n;
        if (!f(QByteArray(n), full))
            break;
    }
    ::closedir(dir);
}

} // namespace

bool SiteFileExists(const QString& sitePath, QStringView name) {
    if (!IsBareFileName(name) || IsAtomicTempName(name.toString()))
        return false;
    if (IsRegularFile(Native(sitePath + name.toString())))
        return true;
    bool found = false;
    ForEachEntry(sitePath, [&](const QByteArray& entry, const QByteArray& full) {
        const QString entryName = QFile::decodeName(entry);
        if (AsciiEqualNoCase(QStringView(entryName), name) && !IsAtomicTempName(entryName) &&
            IsRegularFile(full)) {
            found = true;
            return false;
        }
        return true;
    });
    return found;
}

QString GuidFileName(QStringView extension) {
    return QString::fromLatin1(GuidFileStem()) + AsciiLower(extension);
}

QString FileExtension(QStringView fileName) {
    const qsizetype slash = fileName.lastIndexOf(u'/');
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || dot < slash)
        return {};
    return fileName.mid(dot).toString();
}

QString FolderPart(QStringView path) {
    return path.left(path.lastIndexOf(u'/') + 1).toString();
}

QString FileNamePart(QStringView path) {
    return path.mid(path.lastIndexOf(u'/') + 1).toString();
}

QString ImportedFileName(const QString& sourcePath, const QString& sitePath) {
    const QString name = QFileInfo(sourcePath).fileName();
    if (name.isEmpty())
        return {};
    if (!IsInSiteFolder(sourcePath, sitePath) && !SiteFileExists(sitePath, name) &&
        IsPlainFileName(QStringView(name)))
        return AsciiLower(name);
    return GuidFileName(FileExtension(name));
}

// ---- Extended attributes --------------------------------------------------------------

namespace {

constexpr char kXattrName[] = "user.quillery.attrib";

bool g_simulateRefusal = false;
std::atomic<bool> g_noticeGiven = false;
std::function<void(const std::string&)> g_refusalHandler;

// States this process could not store in the file itself, valid while the
// file is the same one, unmodified since. Publishing sets states from its
// worker thread, hence the lock.
struct MemoryState {
    std::uint32_t word;
    dev_t dev;
    ino_t ino;
    off_t size;
    timespec mtime;
};
std::mutex g_memoryLock;
QHash<QByteArray, MemoryState>& MemoryStates() {
    static QHash<QByteArray, MemoryState> states;
    return states;
}

bool IsRefusal(int err) {
    return err == ENOTSUP || err == EOPNOTSUPP;
}

void NoteRefusal() {
    if (g_noticeGiven.exchange(true))
        return;
    if (g_refusalHandler)
        g_refusalHandler(kAttributeRefusalMessage);
}

QByteArray AbsoluteKey(const QString& path) {
    return Native(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

bool SameFile(const MemoryState& m, const struct stat& st) {
    return m.dev == st.st_dev && m.ino == st.st_ino && m.size == st.st_size &&
           m.mtime.tv_sec == st.st_mtim.tv_sec && m.mtime.tv_nsec == st.st_mtim.tv_nsec;
}

void Remember(const QByteArray& key, std::uint32_t word) {
    struct stat st;
    if (::stat(key.constData(), &st) != 0)
        return;
    const std::lock_guard lock(g_memoryLock);
    MemoryStates().insert(key, MemoryState{word, st.st_dev, st.st_ino, st.st_size, st.st_mtim});
}

void Forget(const QByteArray& key) {
    const std::lock_guard lock(g_memoryLock);
    MemoryStates().remove(key);
}

// The word remembered for the file as it is now, if any.
std::optional<std::uint32_t> Remembered(const QByteArray& key, const struct stat& st) {
    const std::lock_guard lock(g_memoryLock);
    const auto it = MemoryStates().constFind(key);
    if (it == MemoryStates().constEnd() || !SameFile(*it, st))
        return std::nullopt;
    return it->word;
}

// -1 with errno on failure.
ssize_t GetXattr(const char* path, char* buf, size_t size) {
    if (g_simulateRefusal) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return ::getxattr(path, kXattrName, buf, size);
}

int SetXattr(const char* path, const std::string& value) {
    if (g_simulateRefusal) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return ::setxattr(path, kXattrName, value.data(), value.size(), 0);
}

int FSetXattr(int fd, const std::string& value) {
    if (g_simulateRefusal) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return ::fsetxattr(fd, kXattrName, value.data(), value.size(), 0);
}

std::string WordText(std::uint32_t word) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02x", unsigned(word));
    return buf;
}

// A published word carries what identified the file's content when it was
// marked, "0x20;123;1700000000.000000001" (size; modification time), so a
// file another program rewrote in place counts as changed.
std::string MarkText(std::uint32_t word, const struct stat& st) {
    std::string text = WordText(word);
    if (!(word & kAttrArchive))
        return text;
    char buf[64];
    std::snprintf(buf, sizeof buf, ";%lld;%lld.%09ld", static_cast<long long>(st.st_size),
                  static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec);
    return text + buf;
}

// Stored word (read-only excluded); 0x80 when the text is not a word, or
// when it carries a content record that the file no longer matches. A word
// without a record (marks of earlier versions) is taken as it is.
std::uint32_t ParseWord(const char* text, ssize_t len, const struct stat& st) {
    std::string s(text, std::size_t(len));
    while (!s.empty() && (s.back() == '\0' || s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    const std::size_t semicolon = s.find(';');
    const std::string word = s.substr(0, semicolon);
    if (word.size() < 3 || word.size() > 10 || word[0] != '0' || (word[1] != 'x' && word[1] != 'X'))
        return kAttrNormal;
    char* end = nullptr;
    const unsigned long v = std::strtoul(word.c_str() + 2, &end, 16);
    if (!end || *end != '\0' || v > 0xFFFFFFFFul)
        return kAttrNormal;
    if (semicolon != std::string::npos) {
        long long size = -1, seconds = -1;
        long nanoseconds = -1;
        int consumed = 0;
        if (std::sscanf(s.c_str() + semicolon, ";%lld;%lld.%ld%n", &size, &seconds, &nanoseconds,
                        &consumed) != 3 ||
            std::size_t(consumed) != s.size() - semicolon)
            return kAttrNormal;
        if (size != st.st_size || seconds != st.st_mtim.tv_sec || nanoseconds != st.st_mtim.tv_nsec)
            return kAttrNormal;
    }
    return std::uint32_t(v);
}

std::uint32_t Normalise(std::uint32_t word) {
    const std::uint32_t bits = word & ~std::uint32_t(kAttrNormal);
    return bits == 0 ? std::uint32_t(kAttrNormal) : bits;
}

std::uint32_t AttributesOf(const QByteArray& key, const struct stat& st) {
    std::uint32_t stored;
    if (const std::optional<std::uint32_t> remembered = Remembered(key, st)) {
        stored = *remembered;
    } else {
        char buf[96];
        const ssize_t n = GetXattr(key.constData(), buf, sizeof buf);
        if (n >= 0) {
            stored = ParseWord(buf, n, st);
        } else if (errno == ENODATA) {
            stored = kAttrNormal; // never marked (written by another program): changed
        } else {
            if (IsRefusal(errno))
                NoteRefusal();
            stored = kAttrNormal; // unknown: changed, the safe side
        }
    }
    stored &= ~std::uint32_t(kAttrReadOnly);
    if (!(st.st_mode & S_IWUSR))
        stored |= kAttrReadOnly;
    return Normalise(stored);
}

} // namespace

void SetAttributeRefusalHandler(std::function<void(const std::string&)> handler) {
    g_refusalHandler = std::move(handler);
}

std::uint32_t FileAttributes(const QString& path) {
    const QByteArray key = AbsoluteKey(path);
    struct stat st;
    if (::stat(key.constData(), &st) != 0)
        return 0;
    return AttributesOf(key, st);
}

bool SetFileAttributes(const QString& path, std::uint32_t word) {
    const QByteArray key = AbsoluteKey(path);
    struct stat st;
    if (::stat(key.constData(), &st) != 0)
        return true; // a missing file: no effect, nothing reported
    const bool readOnly = word & kAttrReadOnly;
    const std::uint32_t stored = Normalise(word & ~std::uint32_t(kAttrReadOnly));
    // Write permission first: setting an attribute needs it.
    if (!readOnly && !(st.st_mode & S_IWUSR))
        ::chmod(key.constData(), (st.st_mode & 07777) | S_IWUSR);
    bool ok = true;
    if (SetXattr(key.constData(), MarkText(stored, st)) == 0) {
        Forget(key);
    } else {
        if (IsRefusal(errno))
            NoteRefusal();
        ok = false;
    }
    if (readOnly && ::stat(key.constData(), &st) == 0 && (st.st_mode & S_IWUSR))
        ::chmod(key.constData(), (st.st_mode & 07777) & ~mode_t(S_IWUSR));
    if (!ok)
        Remember(key, stored); // after chmod, so the entry matches the file as it is
    return ok;
}

bool SetChanged(const QString& path) {
    return SetFileAttributes(path, kAttrNormal);
}
bool SetDiscarded(const QString& path) {
    return SetFileAttributes(path, kAttrHidden);
}
bool SetPublished(const QString& path) {
    return SetFileAttributes(path, kAttrArchive);
}

TUploadFile::TUploadFile(const QString& path) : m_key(AbsoluteKey(path)) {
    m_fd = ::open(m_key.constData(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    const bool opened = m_fd >= 0 && ::fstat(m_fd, &st) == 0;
    if (!opened || !S_ISREG(st.st_mode)) {
        const int err = opened ? EISDIR : errno;
        if (m_fd >= 0)
            ::close(m_fd);
        throw Error(QStringLiteral("Не удалось открыть файл %1: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(err)))
                        .toStdString());
    }
    m_dev = st.st_dev;
    m_ino = st.st_ino;
    m_size = st.st_size;
    m_mtime = st.st_mtim;
}

TUploadFile::~TUploadFile() {
    ::close(m_fd);
}

bool TUploadFile::MarkPublished() {
    struct stat held, atPath;
    if (::fstat(m_fd, &held) != 0 || ::stat(m_key.constData(), &atPath) != 0)
        return false;
    const bool unchanged = held.st_size == m_size && held.st_mtim.tv_sec == m_mtime.tv_sec &&
                           held.st_mtim.tv_nsec == m_mtime.tv_nsec;
    const bool stillThere = atPath.st_dev == m_dev && atPath.st_ino == m_ino;
    if (!unchanged || !stillThere)
        return false;
    // Through the descriptor: should the path be replaced right now, only
    // the file that was sent is marked.
    if (!(held.st_mode & S_IWUSR))
        ::fchmod(m_fd, (held.st_mode & 07777) | S_IWUSR);
    if (FSetXattr(m_fd, MarkText(kAttrArchive, held)) == 0) {
        Forget(m_key);
    } else {
        if (IsRefusal(errno))
            NoteRefusal();
        Remember(m_key, kAttrArchive);
    }
    return true;
}

bool IsSiteOwnFile(QStringView name) {
    for (const char16_t* own : {u"index", u"index.txt", u"index.html", u"site.css", u"site.js"})
        if (AsciiEqualNoCase(name, QStringView(own)))
            return true;
    return false;
}

void DiscardDocumentFile(const QString& sitePath, QStringView name) {
    const QString path = SiteFilePath(sitePath, name);
    if (!path.isEmpty() && !IsSiteOwnFile(name))
        SetDiscarded(path);
}

namespace testing {
void SimulateAttributeRefusal(bool refuse) {
    g_simulateRefusal = refuse;
    ResetAttributeRefusalState();
}
void ResetAttributeRefusalState() {
    const std::lock_guard lock(g_memoryLock);
    MemoryStates().clear();
    g_noticeGiven = false;
}
} // namespace testing

// ---- Writing site files ------------------------------------------------------------------

QByteArray DocumentSkeleton() {
    return QByteArrayLiteral("<HTML>\r\n"
                             "<HEAD>\r\n"
                             "<META http-equiv=Content-Type content=\"text/html; "
                             "charset=windows-1251\">\r\n"
                             "</HEAD>\r\n"
                             "<BODY>\r\n"
                             "</BODY>\r\n"
                             "</HTML>\r\n");
}

void WriteSiteFile(const QString& sitePath, QStringView name, const QByteArray& data) {
    const QString path = SiteFilePath(sitePath, name);
    if (path.isEmpty())
        throw Error(QStringLiteral("Не удалось записать файл «%1» в папку %2: недопустимое имя "
                                   "файла")
                        .arg(name.toString(), sitePath)
                        .toStdString());
    bool stateSet = false;
    const std::string changed = WordText(kAttrNormal);
    WriteFileAtomically(path, data, FileMode::Inherit,
                        [&](int fd) { stateSet = FSetXattr(fd, changed) == 0; });
    // The file's mode comes from the old file; changed clears read-only too.
    if (!stateSet || !(FileAttributes(path) == kAttrNormal))
        SetChanged(path);
}

bool MarkTemporaryFileChanged(int fd) {
    if (FSetXattr(fd, WordText(kAttrNormal)) == 0)
        return true;
    if (IsRefusal(errno))
        NoteRefusal();
    return false;
}

bool MarkTemporaryFilePublished(int fd) {
    struct stat st;
    if (::fstat(fd, &st) == 0 && FSetXattr(fd, MarkText(kAttrArchive, st)) == 0)
        return true;
    if (IsRefusal(errno))
        NoteRefusal();
    return false;
}

void CreateDocumentSkeleton(const QString& sitePath, QStringView fileName) {
    WriteSiteFile(sitePath, fileName, DocumentSkeleton());
}

bool CopyFileIntoSite(const QString& sourcePath, const QString& sitePath, QStringView name) {
    QFile source(sourcePath);
    if (!IsBareFileName(name) || !source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return false;
    try {
        WriteSiteFile(sitePath, name, data);
    } catch (const Error&) {
        return false;
    }
    return true;
}

// ---- Listing and clean-up ----------------------------------------------------------------

std::vector<TSiteFile> ListSiteFiles(const QString& sitePath, TListMode mode) {
    struct Entry {
        QByteArray name;
        std::uint32_t attributes;
    };
    std::vector<Entry> entries;
    ForEachEntry(sitePath, [&](const QByteArray& name, const QByteArray& full) {
        if (name.startsWith(kAtomicTempPrefix))
            return true;
        struct stat st;
        if (::stat(full.constData(), &st) != 0 || !S_ISREG(st.st_mode))
            return true;
        const QByteArray key = AbsoluteKey(QFile::decodeName(full));
        const std::uint32_t attributes = AttributesOf(key, st);
        if (attributes & kAttrSystem)
            return true;
        if (mode == TListMode::Publish && (attributes & kAttrHidden))
            return true;
        entries.push_back({name, attributes});
        return true;
    });
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    std::vector<TSiteFile> files;
    files.reserve(entries.size());
    for (const Entry& e : entries)
        files.push_back({QFile::decodeName(e.name), e.attributes});
    return files;
}

void PurgeDiscardedFiles(const QString& sitePath) {
    for (const TSiteFile& f : ListSiteFiles(sitePath, TListMode::WithHidden)) {
        if (!IsDiscardedWord(f.Attributes))
            continue;
        const QString path = sitePath + f.Name;
        SetChanged(path);
        if (::unlink(Native(path).constData()) != 0)
            SetDiscarded(path); // keep it discarded, so the next close tries again
        else
            Forget(AbsoluteKey(path));
    }
}

} // namespace quillery
