#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillery {

// A whole number as the dialogs and the colour names take it: a 32-bit signed
// integer in decimal (an optional sign, then digits), or "$" followed by
// hexadecimal digits, whose value may use all 32 bits ("$FFFFFFFF" is -1).
// Nothing else, not even a blank, is accepted.
std::optional<std::int32_t> ReadWholeNumber(std::string_view text);

// The same; text that is no whole number fails with
// "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// The value of a hexadecimal digit of either case, or -1.
int HexDigit(char c);

} // namespace quillery
