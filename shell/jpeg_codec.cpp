#include "shell/jpeg_codec.h"

#include "store/error.h"

#include <QPainter>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace quillery {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return;
// jumping back to the caller is the documented way out of C code.
struct JumpingErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JumpOnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<JumpingErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

void StoreRow(QImage& image, int y, const JSAMPLE* row, J_COLOR_SPACE space, bool invertedCmyk) {
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
        if (space == JCS_GRAYSCALE) {
            out[x] = qRgb(row[x], row[x], row[x]);
        } else if (space == JCS_CMYK) {
            int c = row[4 * x], m = row[4 * x + 1], yy = row[4 * x + 2], k = row[4 * x + 3];
            if (!invertedCmyk) {
                c = 255 - c;
                m = 255 - m;
                yy = 255 - yy;
                k = 255 - k;
            }
            out[x] = qRgb(c * k / 255, m * k / 255, yy * k / 255);
        } else {
            out[x] = qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
        }
    }
}

// Returns false with manager.message set when libjpeg gave up. Kept free of
// C++ objects with destructors between setjmp and longjmp.
bool DecodeInto(const QByteArray& data, QImage& image, JumpingErrorManager& manager) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = JumpOnError;
    manager.base.output_message = IgnoreMessage;
    manager.message[0] = '\0';
    if (setjmp(manager.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_save_markers(&info, JPEG_APP0 + 14, 0xffff);
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space =
        cmyk ? JCS_CMYK : (info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB);
    // Adobe writes CMYK inverted; its APP14 marker tells.
    const bool invertedCmyk = cmyk && info.saw_Adobe_marker;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB32);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        std::snprintf(manager.message, sizeof manager.message, "picture too large");
        return false;
    }
    std::vector<JSAMPLE> row(static_cast<size_t>(info.output_width) *
                             static_cast<size_t>(info.output_components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        const int y = static_cast<int>(info.output_scanline);
        jpeg_read_scanlines(&info, rows, 1);
        StoreRow(image, y, row.data(), info.out_color_space, invertedCmyk);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool EncodeInto(const QImage& rgb, int quality, unsigned char** buffer, unsigned long* size,
                JumpingErrorManager& manager) {
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = JumpOnError;
    manager.base.output_message = IgnoreMessage;
    if (setjmp(manager.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {
            const_cast<JSAMPLE*>(rgb.constScanLine(static_cast<int>(info.next_scanline)))};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data) {
    QImage image;
    JumpingErrorManager manager;
    if (!DecodeInto(data, image, manager))
        throw Error(QStringLiteral("Не удалось прочитать рисунок JPEG: %1")
                        .arg(QString::fromLocal8Bit(manager.message))
                        .toStdString());
    return image;
}

QByteArray EncodeJpeg(const QImage& image, int quality) {
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    const QImage rgb = flat.convertToFormat(QImage::Format_RGB888);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    JumpingErrorManager manager;
    const bool ok = EncodeInto(rgb, quality, &buffer, &size, manager);
    QByteArray bytes;
    if (ok)
        bytes = QByteArray(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    if (!ok)
        throw Error(QStringLiteral("Не удалось записать рисунок JPEG: %1")
                        .arg(QString::fromLocal8Bit(manager.message))
                        .toStdString());
    return bytes;
}

} // namespace quillery
