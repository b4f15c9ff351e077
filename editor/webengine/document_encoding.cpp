#include "editor/webengine/document_encoding.h"

#include "store/text_codec.h"

#include <QHash>

namespace quillery {

QByteArray EncodeDocumentCp1251(const QString& html) {
    if (FitsCp1251(html)) {
        const std::string bytes = ToCp1251(html);
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    QString escaped;
    escaped.reserve(html.size());
    QHash<char16_t, bool> fits;
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (c.unicode() < 0x80) {
            escaped.append(c);
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < html.size() && html.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, html.at(i + 1));
            escaped.append(QStringLiteral("&#%1;").arg(code));
            ++i;
            continue;
        }
        auto known = fits.find(c.unicode());
        if (known == fits.end())
            known = fits.insert(c.unicode(), !c.isSurrogate() && FitsCp1251(QString(c)));
        if (known.value())
            escaped.append(c);
        else
            escaped.append(QStringLiteral("&#%1;").arg(c.unicode()));
    }
    const std::string bytes = ToCp1251(escaped);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace quillery
