#include "store/text_codec.h"

#include "store/error.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quillery {
namespace {

constexpr char kCodecName[] = "windows-1251";

QByteArray Encode(const QString& text, bool* ok) {
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    *ok = !encoder.hasError();
    return bytes;
}

} // namespace

QString FromCp1251(std::string_view bytes) {
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string ToCp1251(const QString& text) {
    bool ok = false;
    const QByteArray bytes = Encode(text, &ok);
    if (!ok)
        throw Error(QStringLiteral("Текст «%1» содержит символы, которых нет в кодировке "
                                   "Windows-1251.")
                        .arg(text)
                        .toStdString());
    return bytes.toStdString();
}

bool FitsCp1251(const QString& text) {
    bool ok = false;
    Encode(text, &ok);
    return ok;
}

} // namespace quillery
