#include "store/index_file.h"

#include "store/atomic_write.h"
#include "store/error.h"
#include "store/site_folder.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillery {

namespace {

[[noreturn]] void ReadFailure(const QString& path, const QString& reason) {
    throw Error(QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, reason).toStdString());
}

QString Reason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// The whole file, mapped (pages populated in one go) or read.
class FileBytes {
public:
    explicit FileBytes(const QString& path) {
        const QByteArray native = QFile::encodeName(path);
        const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            ReadFailure(path, Reason(errno));
        struct stat st;
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
            ::close(fd);
            ReadFailure(path, Reason(err));
        }
        const std::size_t size = S_ISREG(st.st_mode) ? std::size_t(st.st_size) : 0;
        if (size > 0) {
            void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (p != MAP_FAILED) {
                m_map = p;
                m_size = size;
                ::close(fd);
                return;
            }
        }
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                const int err = errno;
                ::close(fd);
                ReadFailure(path, Reason(err));
            }
            if (n == 0)
                break;
            m_read.append(buf, std::size_t(n));
        }
        ::close(fd);
    }
    ~FileBytes() {
        if (m_map)
            ::munmap(m_map, m_size);
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    std::string_view View() const {
        if (m_map)
            return std::string_view(static_cast<const char*>(m_map), m_size);
        return m_read;
    }

private:
    void* m_map = nullptr;
    std::size_t m_size = 0;
    std::string m_read;
};

} // namespace

TLoadResult LoadContents(TContentsTree& tree, const QString& sitePath,
                         const QString& shortDateFormat) {
    TLoadResult result;
    const QString path = sitePath + QStringLiteral("index");
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        WriteSiteFile(sitePath, u"index", QByteArray());
        result.Created = true;
        return result;
    }
    const FileBytes bytes(path);
    tree.BeginReset();
    try {
        ReadContents(bytes.View(), tree, shortDateFormat, QDateTime::currentDateTime(),
                     &result.Faults);
    } catch (...) {
        tree.EndReset();
        throw;
    }
    tree.EndReset();
    return result;
}

void SaveContents(const TContentsTree& tree, const QString& sitePath,
                  const QString& shortDateFormat) {
    const QString index = sitePath + QStringLiteral("index");
    const QString indexTxt = sitePath + QStringLiteral("index.txt");
    // Step 1: clear the attributes, so a read-only or hidden file is rewritten
    // as an ordinary one.
    SetChanged(index);
    SetChanged(indexTxt);
    // Both written at once into temporary files; index.txt is renamed first,
    // so when anything fails the file the program reads is the old one.
    // index.txt is published after each save; index carries the changed
    // state before it appears.
    TAtomicFile txtFile(indexTxt);
    TAtomicFile indexFile(index);
    ProduceContents(
        tree, shortDateFormat,
        [&](const std::string& part) { indexFile.Write(part.data(), part.size()); },
        [&](const std::string& part) { txtFile.Write(part.data(), part.size()); });
    const bool marked = MarkTemporaryFileChanged(indexFile.Descriptor());
    MarkTemporaryFilePublished(txtFile.Descriptor());
    txtFile.Commit();
    indexFile.Commit();
    if (!marked)
        SetChanged(index);
}

} // namespace quillery
