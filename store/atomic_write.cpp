#include "store/atomic_write.h"

#include "store/error.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillery {
namespace {

[[noreturn]] void Fail(const QString& path, int err) {
    throw Error(QStringLiteral("Не удалось записать файл %1: %2")
                    .arg(path, QString::fromLocal8Bit(std::strerror(err)))
                    .toStdString());
}

mode_t TargetMode(const QByteArray& target, FileMode mode) {
    if (mode == FileMode::OwnerOnly)
        return S_IRUSR | S_IWUSR;
    struct stat st;
    if (::stat(target.constData(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

bool IsAtomicTempName(const QString& fileName) {
    return fileName.startsWith(QLatin1String(kAtomicTempPrefix));
}

void WriteFileAtomically(const QString& path, const QByteArray& data, FileMode mode) {
    WriteFileAtomically(path, data, mode, {});
}

void WriteFileAtomically(const QString& path, const QByteArray& data, FileMode mode,
                         const std::function<void(int fd)>& prepare) {
    TAtomicFile file(path, mode);
    file.Write(data.constData(), std::size_t(data.size()));
    if (prepare)
        prepare(file.Descriptor());
    file.Commit();
}

// ---- TAtomicFile ----------------------------------------------------------------

namespace {
constexpr std::size_t kBufferSize = 256 * 1024;
}

TAtomicFile::TAtomicFile(const QString& path, FileMode mode) : m_path(path), m_mode(mode) {
    const QFileInfo info(path);
    m_target = QFile::encodeName(info.absoluteFilePath());
    m_temp = QFile::encodeName(info.absolutePath()) + '/' + kAtomicTempPrefix +
             QFile::encodeName(info.fileName()) + ".XXXXXX";
    m_fd = ::mkstemp(m_temp.data());
    if (m_fd < 0)
        quillery::Fail(m_path, errno);
    m_buffer.reserve(kBufferSize);
}

TAtomicFile::~TAtomicFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed)
        ::unlink(m_temp.constData());
}

void TAtomicFile::Fail(int err) {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    ::unlink(m_temp.constData());
    quillery::Fail(m_path, err);
}

void TAtomicFile::Flush() {
    if (!m_buffer.empty() && !WriteAll(m_fd, m_buffer.data(), qsizetype(m_buffer.size())))
        Fail(errno);
    m_buffer.clear();
}

void TAtomicFile::Write(const char* data, std::size_t size) {
    if (m_fd < 0)
        return;
    if (m_buffer.size() + size > kBufferSize) {
        Flush();
        if (size >= kBufferSize) {
            if (!WriteAll(m_fd, data, qsizetype(size)))
                Fail(errno);
            return;
        }
    }
    m_buffer.append(data, size);
}

int TAtomicFile::Descriptor() {
    Flush();
    return m_fd;
}

void TAtomicFile::Commit() {
    if (m_fd < 0 || m_committed)
        return;
    Flush();
    // The mode last: a read-only mode would refuse extended attributes.
    if (::fchmod(m_fd, TargetMode(m_target, m_mode)) != 0 || ::fsync(m_fd) != 0)
        Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(m_temp.constData());
        quillery::Fail(m_path, err);
    }
    if (::rename(m_temp.constData(), m_target.constData()) != 0) {
        const int err = errno;
        ::unlink(m_temp.constData());
        quillery::Fail(m_path, err);
    }
    m_committed = true;
}

} // namespace quillery
