#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quillery {

// Model text is Windows-1251 bytes; widgets and the engine speak QString.
// These two helpers are the only crossing between the two.
QString FromCp1251(std::string_view bytes);

// Throws Error when text holds a character Windows-1251 cannot represent,
// so nothing typed is ever silently turned into "?".
std::string ToCp1251(const QString& text);

bool FitsCp1251(const QString& text);

// A file name read from the model, as a path on this system.
inline QString FileNameFromModel(std::string_view name) {
    return FromCp1251(name);
}

} // namespace quillery
