#include "store/field_codec.h"

#include "store/error.h"
#include "store/text_codec.h"

#include <QString>

namespace quillery {

std::string EscapeHtmlText(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "&quot;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {

std::string UnescapeMessage(std::string_view text, std::size_t pos) {
    // The '&' and the byte after it (none when it ends the text).
    const std::string_view seq = text.substr(pos, 2);
    return QStringLiteral("Invalid HTML encoded character (%1) at position %2")
        .arg(FromCp1251(seq))
        .arg(qulonglong(pos))
        .toStdString();
}

bool HasAt(std::string_view text, std::size_t pos, std::string_view what) {
    return text.size() - pos >= what.size() && text.compare(pos, what.size(), what) == 0;
}

// Appends the decoded text to out; on failure returns false with *errPos set.
bool UnescapeInto(std::string_view text, std::string& out, std::size_t* errPos) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.data() + i, n - i);
            return true;
        }
        out.append(text.data() + i, amp - i);
        i = amp;
        const char next = i + 1 < n ? text[i + 1] : '\0';
        bool ok = true;
        if (i + 1 >= n) {
            ok = false;
        } else if (next == 'a' && HasAt(text, i, "&amp;")) {
            out += '&';
            i += 5;
        } else if (next == 'l' && HasAt(text, i, "&lt;")) {
            out += '<';
            i += 4;
        } else if (next == 'g' && HasAt(text, i, "&gt;")) {
            out += '>';
            i += 4;
        } else if (next == 'q' && HasAt(text, i, "&quot;")) {
            out += '"';
            i += 6;
        } else if (next == '#') {
            std::size_t j = i + 2;
            unsigned value = 0; // N mod 256, so no number is too big
            while (j < n && text[j] >= '0' && text[j] <= '9') {
                value = (value * 10 + unsigned(text[j] - '0')) & 0xFFu;
                ++j;
            }
            if (j == i + 2 || j >= n || text[j] != ';') {
                ok = false;
            } else {
                out += char(value);
                i = j + 1;
            }
        } else {
            ok = false;
        }
        if (!ok) {
            *errPos = amp;
            return false;
        }
    }
    return true;
}

} // namespace

bool TryUnescapeHtmlText(std::string_view text, std::string& out, std::string* message) {
    out.clear();
    std::size_t pos = 0;
    if (UnescapeInto(text, out, &pos))
        return true;
    if (message)
        *message = UnescapeMessage(text, pos);
    return false;
}

std::string UnescapeHtmlText(std::string_view text) {
    std::string out, message;
    if (!TryUnescapeHtmlText(text, out, &message))
        throw Error(message);
    return out;
}

} // namespace quillery
