#include "publish/ftp_host.h"

#include "publish/ftp_text.h"
#include "store/ascii.h"
#include "store/error.h"

#include <charconv>

namespace quillery {
namespace {

std::uint16_t ParsePort(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 ||
        value > 65535) {
        throw Error("Неверный номер порта сервера FTP: «" + std::string(text) + "»");
    }
    return static_cast<std::uint16_t>(value);
}

TFtpEndpoint ParseAddress(std::string_view text, std::uint16_t defaultPort) {
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close != std::string_view::npos) {
            const std::string_view rest = text.substr(close + 1);
            if (rest.empty()) {
                return {std::string(text.substr(1, close - 1)), defaultPort};
            }
            if (rest.starts_with(':')) {
                return {std::string(text.substr(1, close - 1)), ParsePort(rest.substr(1))};
            }
        }
        return {std::string(text), defaultPort};
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos) {
        return {std::string(text), defaultPort};
    }
    return {std::string(text.substr(0, colon)), ParsePort(text.substr(colon + 1))};
}

// Drops scheme from the front of text when it is there, in any letter case.
bool DropScheme(std::string_view& text, std::string_view scheme) {
    if (text.size() < scheme.size() || !AsciiEqualNoCase(text.substr(0, scheme.size()), scheme)) {
        return false;
    }
    text.remove_prefix(scheme.size());
    return true;
}

} // namespace

TFtpEndpoint ParseFtpHost(std::string_view text) {
    text = Trimmed(text);
    if (DropScheme(text, "ftps://")) {
        TFtpEndpoint endpoint = ParseAddress(text, 990);
        endpoint.implicitTls = true;
        return endpoint;
    }
    DropScheme(text, "ftp://");
    return ParseAddress(text, 21);
}

} // namespace quillery
