#include "editor/webengine/script_value.h"

namespace quillery {

QJsonValue ScriptValue(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toDouble();
    default:
        return QJsonValue::fromVariant(value);
    }
}

} // namespace quillery
