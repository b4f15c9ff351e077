#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>

namespace quillery {

// Prefix of the temporary files the atomic write creates beside its target.
// A crash can leave one behind; site listings never count such a file.
inline constexpr char kAtomicTempPrefix[] = ".~quillery-";

bool IsAtomicTempName(const QString& fileName);

enum class FileMode { Inherit, OwnerOnly };

// Writes data to path so that the old file stays intact until the new one is
// complete: a temporary file in the same folder is written, flushed and
// renamed over the target. An existing target's permissions are kept unless
// mode is OwnerOnly. Throws Error with the system's reason on failure.
void WriteFileAtomically(const QString& path, const QByteArray& data,
                         FileMode mode = FileMode::Inherit);

// The same; prepare(fd) runs on the temporary file once data is written,
// before it is flushed and renamed (for example to set the file's extended
// attributes, so the target never appears without them). prepare must not
// throw; the temporary file still has mkstemp's owner-only mode then.
void WriteFileAtomically(const QString& path, const QByteArray& data, FileMode mode,
                         const std::function<void(int fd)>& prepare);

// The same, written piece by piece (large files without a buffer of their
// whole size): Open creates the temporary file beside path, Write appends
// (buffered), Commit flushes, sets the mode, fsyncs and renames over the
// target. A file never committed is removed by the destructor, leaving the
// target as it was. Every failure throws Error with the system's reason.
class TAtomicFile {
public:
    TAtomicFile(const QString& path, FileMode mode = FileMode::Inherit);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    void Write(const char* data, std::size_t size);
    // The temporary file's descriptor (pending writes flushed first), for
    // example to set extended attributes before the rename.
    int Descriptor();
    void Commit();

private:
    void Flush();
    [[noreturn]] void Fail(int err);

    QString m_path;
    QByteArray m_target, m_temp;
    FileMode m_mode;
    int m_fd = -1;
    std::string m_buffer;
    bool m_committed = false;
};

} // namespace quillery
