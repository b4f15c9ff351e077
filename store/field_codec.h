#pragma once

// The codec of the index's field texts: the four HTML entities and numeric
// character references, on Windows-1251 bytes.

#include <string>
#include <string_view>

namespace quillery {

// Copies text up to its first NUL, writing " & < > as &quot; &amp; &lt; &gt;.
std::string EscapeHtmlText(std::string_view text);

// The inverse. Every byte but '&' is copied. At '&':
//   "&amp;" "&lt;" "&gt;" "&quot;" give & < > ";
//   "&#" digits ";" gives the byte N mod 256 (any number of digits, no sign);
// anything else fails with "Invalid HTML encoded character (%s) at position %d"
// (%s: the '&' and the byte after it, or the '&' alone at the end of the
// text; %d: zero-based position of the '&'). This includes the cases the format
// leaves open: "&a", "&l", "&g", "&q" not followed by the rest of their
// entity, "&#" without ';' or with anything but digits before it ("&#;"
// too), and '&' as the last byte. Never reads past the end of text.
std::string UnescapeHtmlText(std::string_view text); // throws Error (UTF-8 message)
// Non-throwing form: on failure returns false, out is unspecified and
// *message (if given) holds the error text (UTF-8).
bool TryUnescapeHtmlText(std::string_view text, std::string& out, std::string* message = nullptr);

} // namespace quillery
