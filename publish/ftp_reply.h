#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillery {

// A reply: a three-digit code and one or more text lines (RFC 959, 4.2).
struct FtpReply {
    int code = 0;
    std::vector<std::string> text;
};

// Collects the lines of one reply. The first line must be three digits and a
// blank or a hyphen; the reply ends with a line of at most three digits or
// one that starts with three digits and a blank. Throws Error on a first line
// that is not a reply.
class FtpReplyBuilder final {
public:
    // Adds a line (without its line end); true when the reply is complete.
    bool Add(std::string_view line);
    const FtpReply& Reply() const { return m_reply; }

private:
    FtpReply m_reply;
    std::string m_codeText;
};

} // namespace quillery
