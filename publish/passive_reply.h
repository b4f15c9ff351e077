#pragma once

#include <cstdint>
#include <string_view>

namespace quillery {

// The data port from the first text line of a 227 reply: six numbers
// h1,h2,h3,h4,p1,p2 between "(" and ")" or, without them, after the last
// blank. Throws Error when the numbers cannot be read or are out of range.
// The address h1.h2.h3.h4 is checked but not returned: data connections go
// to the control connection's server.
std::uint16_t ParsePassivePort(std::string_view firstLine);

// The data port from the first text line of a 229 reply (RFC 2428): the
// part between "(" and ")" is a delimiter thrice, the port, the delimiter
// again, as in "(|||6446|)". Throws Error when it cannot be read.
std::uint16_t ParseExtendedPassivePort(std::string_view firstLine);

} // namespace quillery
