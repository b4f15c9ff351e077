#include "editor/commands/command_values.h"

#include "store/error.h"

namespace quillery {

int IntegerValue(const QVariant& value, const char* what) {
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("Редактор сообщил %1 в непонятном виде: «%2».")
                        .arg(QString::fromUtf8(what), value.toString())
                        .toStdString());
    return number;
}

QColor ColorFromValue(quint32 value) {
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

quint32 ValueFromColor(const QColor& color) {
    return static_cast<quint32>(color.red()) | static_cast<quint32>(color.green()) << 8 |
           static_cast<quint32>(color.blue()) << 16;
}

} // namespace quillery
