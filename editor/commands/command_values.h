#pragma once

#include <QColor>
#include <QVariant>

namespace quillery {

// An engine answer as an integer (a colour or a size). Throws Error naming
// what when the answer is not a number.
int IntegerValue(const QVariant& value, const char* what);

// Colour values are 0x00BBGGRR integers, red in the lowest byte.
QColor ColorFromValue(quint32 value);
quint32 ValueFromColor(const QColor& color);

} // namespace quillery
