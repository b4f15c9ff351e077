#pragma once

// Pieces of FTP's text lines: replies, host fields and patterns.

#include <string_view>

namespace quillery {

// Without the blanks and tabs around it.
inline std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace quillery
