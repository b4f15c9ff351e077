#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

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

} // namespace quillery
