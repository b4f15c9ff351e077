#pragma once

#include <stdexcept>
#include <string>

namespace quillery {

// Every failure the program reports to the user is one of these; what() is
// UTF-8 text ready for a message box.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace quillery
