#pragma once

#include <QByteArray>
#include <QString>

namespace quillery {

// The document's markup as Windows-1251 bytes; every character that code page
// cannot hold becomes a numeric character reference, so nothing is lost.
QByteArray EncodeDocumentCp1251(const QString& html);

} // namespace quillery
