#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillery {

// The server and control port a Host text names.
struct TFtpEndpoint {
    std::string host;
    std::uint16_t port = 21;
    bool implicitTls = false; // "ftps://": TLS from the first byte
};

// "name" and "address" connect to port 21; "name:port" and
// "[v6address]:port" to that port; "[v6address]" and a bare IPv6 address
// (more than one colon) to 21. "ftps://" in front selects implicit TLS and
// port 990 by default; "ftp://" in front is dropped. Blanks around the text
// are dropped. Throws
// Error when a port is given that is not a number from 1 to 65535.
TFtpEndpoint ParseFtpHost(std::string_view text);

} // namespace quillery
