#pragma once

#include <QByteArray>
#include <QString>

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

} // namespace quillery
