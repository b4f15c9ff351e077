#pragma once

#include "store/error.h"

#include <string>
#include <vector>

namespace quillery {

// The server answered with a code the operation does not accept.
class FtpError final : public Error {
public:
    FtpError(int code, std::vector<std::string> text)
        : Error(Describe(code, text)), m_code(code), m_text(std::move(text)) {}

    int Code() const { return m_code; }
    const std::vector<std::string>& Text() const { return m_text; }

private:
    static std::string Describe(int code, const std::vector<std::string>& text) {
        std::string message = "FTP server replied " + std::to_string(code);
        for (const std::string& line : text) {
            message += (&line == &text.front() ? ": " : " ") + line;
        }
        return message;
    }

    int m_code;
    std::vector<std::string> m_text;
};

} // namespace quillery
