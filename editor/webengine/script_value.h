#pragma once

#include <QJsonValue>
#include <QVariant>

namespace quillery {

// A command value as the adapter's script takes it. Integers of every width
// go as numbers: an 8-bit size would otherwise travel as a character.
QJsonValue ScriptValue(const QVariant& value);

} // namespace quillery
