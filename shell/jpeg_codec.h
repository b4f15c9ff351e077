#pragma once

#include <QByteArray>
#include <QImage>

namespace quillery {

inline constexpr int kThumbnailJpegQuality = 90;

// Decodes a JPEG file's bytes with libjpeg. Throws Error when the data is
// not a JPEG picture libjpeg can read.
QImage DecodeJpeg(const QByteArray& data);

// Encodes the picture as a baseline JPEG; alpha is dropped onto white.
QByteArray EncodeJpeg(const QImage& image, int quality = kThumbnailJpegQuality);

} // namespace quillery
