#pragma once

#include <string>
#include <string_view>

namespace quillery {

// Throws Error when value holds CR, LF or NUL: sent as part of a command it
// would end the line early and let the rest run as a command of its own.
void RequireSingleLine(std::string_view what, std::string_view value);

// "VERB argument", the argument checked with RequireSingleLine.
std::string FtpCommand(std::string_view verb, std::string_view argument);

} // namespace quillery
