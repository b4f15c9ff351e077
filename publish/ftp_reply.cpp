#include "publish/ftp_reply.h"

#include "store/error.h"

#include <algorithm>

namespace quillery {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool StartsWithThreeDigits(std::string_view line) {
    return line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]);
}

bool EndsReply(std::string_view line) {
    if (!line.empty() && line.size() <= 3 && std::all_of(line.begin(), line.end(), IsDigit)) {
        return true;
    }
    return StartsWithThreeDigits(line) && line.size() > 3 && line[3] == ' ';
}

bool StartsWithCode(std::string_view line, std::string_view code) {
    return line.substr(0, 3) == code && (line.size() == 3 || line[3] == ' ' || line[3] == '-');
}

} // namespace

bool FtpReplyBuilder::Add(std::string_view line) {
    if (m_codeText.empty()) {
        if (!StartsWithThreeDigits(line) || (line.size() > 3 && line[3] != ' ' && line[3] != '-')) {
            throw Error("Invalid reply from the FTP server: " + std::string(line.substr(0, 80)));
        }
        m_codeText = line.substr(0, 3);
        m_reply.code = std::stoi(m_codeText);
    }
    if (StartsWithCode(line, m_codeText)) {
        m_reply.text.emplace_back(line.size() > 4 ? line.substr(4) : std::string_view());
    } else {
        const std::size_t start = line.find_first_not_of(' ');
        m_reply.text.emplace_back(start == std::string_view::npos ? std::string_view()
                                                                  : line.substr(start));
    }
    return EndsReply(line);
}

} // namespace quillery
