#include "tables/whole_number.h"

#include "store/error.h"

#include <string>

namespace quillery {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

namespace {

std::optional<std::int32_t> ReadHex(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + std::uint64_t(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> ReadDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    // Magnitudes up to 2^31 fit; the sign decides what is in range.
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<std::int32_t> ReadWholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '$')
        return ReadHex(text.substr(1));
    return ReadDecimal(text);
}

std::int32_t StrToInt(std::string_view text) {
    if (const std::optional<std::int32_t> value = ReadWholeNumber(text))
        return *value;
    throw Error("'" + std::string(text) + "' is not a valid integer value");
}

} // namespace quillery
