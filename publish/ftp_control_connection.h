#pragma once

#include "publish/byte_stream.h"
#include "publish/ftp_reply.h"

#include <chrono>
#include <string>
#include <string_view>

namespace quillery {

inline constexpr std::size_t kMaxReplyLineLength = 16384;
// A reply as a whole may hold this many bytes; a server cannot make the
// client collect an endless reply.
inline constexpr std::size_t kMaxReplySize = 1024 * 1024;

// The control connection: command lines out, replies in. Any failure of
// sending or reading leaves the conversation out of step, so the connection
// closes itself before the error propagates; later use fails with
// "Not Connected".
class FtpControlConnection final {
public:
    FtpControlConnection() = default;
    explicit FtpControlConnection(ByteStream connection) : m_connection(std::move(connection)) {}

    bool IsOpen() const { return m_connection.IsOpen(); }
    void Close();

    // Sends line followed by CR LF.
    void Send(std::string_view line, std::chrono::milliseconds limit);
    FtpReply ReadReply(SteadyClock::time_point deadline);
    // Bytes received beyond the last reply. After AUTH TLS's 234 there must
    // be none: they would be taken for the server's words once TLS is on.
    bool HasUnreadInput() const { return !m_buffer.empty(); }
    // True when reply bytes arrive within limit.
    bool ReplyArrivesWithin(std::chrono::milliseconds limit);

    const ByteStream& Connection() const { return m_connection; }
    // For TLS to be started on, after AUTH TLS or at once.
    ByteStream& Connection() { return m_connection; }

private:
    std::string ReadLine(SteadyClock::time_point deadline, std::size_t& replyBytes);

    ByteStream m_connection;
    std::string m_buffer;
};

} // namespace quillery
