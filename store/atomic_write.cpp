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
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    QByteArray temp = QFile::encodeName(info.absolutePath()) + '/' + kAtomicTempPrefix +
                      QFile::encodeName(info.fileName()) + ".XXXXXX";

    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        Fail(path, errno);
    int err = 0;
    if (!WriteAll(fd, data.constData(), data.size()))
        err = errno;
    // Before the mode is set: a read-only mode would refuse extended attributes.
    if (err == 0 && prepare)
        prepare(fd);
    if (err == 0 && (::fchmod(fd, TargetMode(target, mode)) != 0 || ::fsync(fd) != 0))
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(temp.constData(), target.constData()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.constData());
        Fail(path, err);
    }
}

} // namespace quillery
