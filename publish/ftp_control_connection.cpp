#include "publish/ftp_control_connection.h"

#include "store/error.h"

#include <array>

namespace quillery {

void FtpControlConnection::Close() {
    m_connection.Close();
    m_buffer.clear();
}

void FtpControlConnection::Send(std::string_view line, std::chrono::milliseconds limit) {
    try {
        m_connection.SendAll(std::string(line) + "\r\n", limit);
    } catch (const Error&) {
        Close();
        throw;
    }
}

FtpReply FtpControlConnection::ReadReply(SteadyClock::time_point deadline) {
    try {
        FtpReplyBuilder builder;
        std::size_t replyBytes = 0;
        std::string line;
        do {
            line = ReadLine(deadline, replyBytes);
        } while (line.empty());
        while (!builder.Add(line)) {
            line = ReadLine(deadline, replyBytes);
        }
        return builder.Reply();
    } catch (const Error&) {
        Close();
        throw;
    }
}

bool FtpControlConnection::ReplyArrivesWithin(std::chrono::milliseconds limit) {
    return !m_buffer.empty() || m_connection.DataArrivesWithin(limit);
}

std::string FtpControlConnection::ReadLine(SteadyClock::time_point deadline,
                                           std::size_t& replyBytes) {
    std::size_t searched = 0;
    for (;;) {
        const std::size_t end = m_buffer.find('\n', searched);
        if (end != std::string::npos) {
            std::size_t length = end;
            if (length > 0 && m_buffer[length - 1] == '\r') {
                --length;
            }
            if (length > kMaxReplyLineLength) {
                throw Error("Max line length exceeded.");
            }
            replyBytes += end + 1;
            if (replyBytes > kMaxReplySize) {
                throw Error("Reply from the FTP server too long.");
            }
            std::string line = m_buffer.substr(0, length);
            m_buffer.erase(0, end + 1);
            return line;
        }
        // One more byte than the limit may still be the CR before the LF.
        if (m_buffer.size() > kMaxReplyLineLength + 1) {
            throw Error("Max line length exceeded.");
        }
        searched = m_buffer.size();
        std::array<char, 4096> chunk;
        const std::size_t received = m_connection.Receive(chunk.data(), chunk.size(), deadline);
        if (received == 0) {
            throw Error("Connection closed by the FTP server.");
        }
        m_buffer.append(chunk.data(), received);
    }
}

} // namespace quillery
