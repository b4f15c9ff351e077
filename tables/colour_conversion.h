#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillery {

// A colour value: an RGB colour as 00BBGGRR (red in the lowest byte), a
// system colour as FF0000nn (display element nn), clNone or clDefault.
using TColor = std::int32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// Red in the lowest byte, blue in the third, nothing above.
constexpr bool IsRGBColor(TColor value) {
    return value >= 0 && value <= 0xFFFFFF;
}

constexpr bool IsSystemColor(TColor value) {
    return (static_cast<std::uint32_t>(value) & 0xFFFFFF00u) == 0xFF000000u;
}

struct TColorIdent {
    const char* Name;
    TColor Value;
};

// The 52 colour identifiers, in the order a colour box lists them.
std::span<const TColorIdent> ColorIdents();

// Texts here are UTF-8, as read from and written to the document.

// Attribute text to colour identifier text: #RRGGBB as $BBGGRR, empty as
// clNone, seven system colour names as their identifiers, anything else with
// "cl" in front.
std::string HTMLToColorName(std::string_view text);

// Colour identifier text (a table name in any letter case, or a whole
// number) to a colour value; fails with "'<text>' is not a valid integer
// value".
TColor ColorNameToColor(std::string_view name);

// The name of the table entry with this value, else "$" and eight uppercase
// hexadecimal digits.
std::string ColorToColorName(TColor value);

// A colour value as attribute text: RRGGBB for an RGB colour, a system colour
// by its name, the empty text for clNone.
std::string ColorToHTML(TColor value);

} // namespace quillery
