#include "publish/ftp_command.h"

#include "store/error.h"

namespace quillery {

void RequireSingleLine(std::string_view what, std::string_view value) {
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        throw Error(std::string(what) + " contains a line break or a NUL character; not sent.");
    }
}

std::string FtpCommand(std::string_view verb, std::string_view argument) {
    RequireSingleLine(verb, argument);
    std::string command(verb);
    command += ' ';
    command += argument;
    return command;
}

} // namespace quillery
