#pragma once

// Lower-casing in file names and paths changes only the ASCII letters A to Z;
// Cyrillic letters (Windows-1251 bytes or QString characters) keep their case.
// File names and paths are compared by lower-casing both sides this way.

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace quillery {

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

inline QString AsciiLower(QStringView text) {
    QString out = text.toString();
    for (QChar& c : out)
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(c.unicode() - u'A' + u'a');
    return out;
}
inline QString AsciiLower(const QString& text) {
    return AsciiLower(QStringView(text));
}

inline bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

inline bool AsciiEqualNoCase(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y - u'A' + u'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace quillery
