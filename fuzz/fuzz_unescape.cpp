// libFuzzer target: UnescapeHtmlText on any bytes (libFuzzer hands over an
// exactly sized buffer, so ASan catches any read past the end), and the
// Escape -> Unescape identity.

#include "store/index_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace quillery;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string out, message;
    if (TryUnescapeHtmlText(text, out, &message)) {
        if (out.size() > text.size())
            std::abort(); // decoding never grows the text
    } else if (message.empty()) {
        std::abort();
    }
    const std::string escaped = EscapeHtmlText(text);
    std::string back;
    if (!TryUnescapeHtmlText(escaped, back) || back != text.substr(0, text.find('\0')))
        std::abort();
    return 0;
}
