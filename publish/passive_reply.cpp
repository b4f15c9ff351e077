#include "publish/passive_reply.h"

#include "publish/ftp_text.h"
#include "store/error.h"

#include <array>
#include <charconv>
#include <string>

namespace quillery {

namespace {

std::string_view NumbersPart(std::string_view line) {
    const std::size_t open = line.find('(');
    const std::size_t close = line.find(')', open == std::string_view::npos ? 0 : open);
    if (open != std::string_view::npos && close != std::string_view::npos) {
        return line.substr(open + 1, close - open - 1);
    }
    const std::size_t blank = line.rfind(' ');
    return blank == std::string_view::npos ? line : line.substr(blank + 1);
}

} // namespace

std::uint16_t ParsePassivePort(std::string_view firstLine) {
    const std::string_view line = Trimmed(firstLine);
    std::string_view numbers = NumbersPart(line);
    std::array<unsigned, 6> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t comma = numbers.find(',');
        const std::string_view field =
            Trimmed(i + 1 < values.size() ? numbers.substr(0, comma) : numbers);
        const auto [end, error] =
            std::from_chars(field.data(), field.data() + field.size(), values[i]);
        if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
            values[i] > 255 || (i + 1 < values.size() && comma == std::string_view::npos)) {
            throw Error("Cannot read the data address of the PASV reply: " + std::string(line));
        }
        numbers.remove_prefix(i + 1 < values.size() ? comma + 1 : numbers.size());
    }
    const unsigned port = values[4] * 256 + values[5];
    if (port == 0) {
        throw Error("The PASV reply names port 0: " + std::string(line));
    }
    return static_cast<std::uint16_t>(port);
}

std::uint16_t ParseExtendedPassivePort(std::string_view firstLine) {
    const std::string_view line = Trimmed(firstLine);
    const std::size_t open = line.find('(');
    const std::size_t close = line.find(')', open == std::string_view::npos ? 0 : open);
    const auto fail = [&] {
        return Error("Cannot read the data port of the EPSV reply: " + std::string(line));
    };
    if (open == std::string_view::npos || close == std::string_view::npos || close - open < 6) {
        throw fail();
    }
    const std::string_view inner = line.substr(open + 1, close - open - 1);
    const char delimiter = inner.front();
    if (inner[1] != delimiter || inner[2] != delimiter || inner.back() != delimiter) {
        throw fail();
    }
    const std::string_view digits = inner.substr(3, inner.size() - 4);
    unsigned port = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        port == 0 || port > 65535) {
        throw fail();
    }
    return static_cast<std::uint16_t>(port);
}

} // namespace quillery
