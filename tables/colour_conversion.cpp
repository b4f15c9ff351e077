#include "tables/colour_conversion.h"

#include "store/ascii.h"
#include "tables/whole_number.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quillery {
namespace {

constexpr TColor System(std::uint32_t element) {
    return static_cast<TColor>(0xFF000000u | element);
}

constexpr std::array<TColorIdent, 52> kIdents{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clActiveBorder", System(0x0A)},
    {"clActiveCaption", System(0x02)},
    {"clAppWorkSpace", System(0x0C)},
    {"clBackground", System(0x01)},
    {"clBtnFace", System(0x0F)},
    {"clBtnHighlight", System(0x14)},
    {"clBtnShadow", System(0x10)},
    {"clBtnText", System(0x12)},
    {"clCaptionText", System(0x09)},
    {"clDefault", clDefault},
    {"clGradientActiveCaption", System(0x1B)},
    {"clGradientInactiveCaption", System(0x1C)},
    {"clGrayText", System(0x11)},
    {"clHighlight", System(0x0D)},
    {"clHighlightText", System(0x0E)},
    {"clHotLight", System(0x1A)},
    {"clInactiveBorder", System(0x0B)},
    {"clInactiveCaption", System(0x03)},
    {"clInactiveCaptionText", System(0x13)},
    {"clInfoBk", System(0x18)},
    {"clInfoText", System(0x17)},
    {"clMenu", System(0x04)},
    {"clMenuBar", System(0x1E)},
    {"clMenuHighlight", System(0x1D)},
    {"clMenuText", System(0x07)},
    {"clNone", clNone},
    {"clScrollBar", System(0x00)},
    {"cl3DDkShadow", System(0x15)},
    {"cl3DLight", System(0x16)},
    {"clWindow", System(0x05)},
    {"clWindowFrame", System(0x06)},
    {"clWindowText", System(0x08)},
}};

struct TNamePair {
    std::string_view From;
    std::string_view To;
};

// Attribute names of system colours and their identifiers, both ways.
constexpr std::array<TNamePair, 7> kSystemAttributeNames{{
    {"buttonface", "clBtnFace"},
    {"buttonshadow", "clBtnShadow"},
    {"buttontext", "clBtnText"},
    {"buttonhighlight", "clBtnHighlight"},
    {"threeddarkshadow", "cl3DDkShadow"},
    {"threedlightshadow", "cl3DLight"},
    {"infobackground", "clInfoBk"},
}};

constexpr std::array<TNamePair, 10> kNameToAttribute{{
    {"None", ""},
    {"BtnFace", "buttonface"},
    {"BtnShadow", "buttonshadow"},
    {"BtnText", "buttontext"},
    {"BtnHighlight", "buttonhighlight"},
    {"3DDkShadow", "threeddarkshadow"},
    {"3DLight", "threedlightshadow"},
    {"InfoBk", "infobackground"},
    {"GradientActiveCaption", "activecaption"},
    {"GradientInactiveCaption", "inactivecaption"},
}};

bool IsHexDigit(std::string_view c) {
    return c.size() == 1 && HexDigit(c[0]) >= 0;
}

// The text cut into characters: one UTF-8 sequence each (a stray byte is a
// character of its own).
std::vector<std::string_view> Characters(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        out.push_back(text.substr(i, end - i));
        i = end;
    }
    return out;
}

// A "#" text of any length but seven, read as browsers read a colour
// attribute, so the dialog shows the colour the page shows: #RGB doubles each
// digit; otherwise characters that are no hexadecimal digits count as 0, the
// digits are padded to three equal parts, and each part is cut to its two
// leading significant digits.
std::string LegacyHashColour(const std::vector<std::string_view>& chars) {
    std::vector<std::string_view> digits(chars.begin() + 1,
                                         chars.begin() + std::min<std::size_t>(chars.size(), 128));
    std::string parts[3];
    if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(), IsHexDigit)) {
        for (int i = 0; i < 3; ++i)
            parts[i] = std::string(2, digits[std::size_t(i)][0]);
    } else {
        std::string hex;
        for (const std::string_view c : digits)
            hex += IsHexDigit(c) ? std::string(c) : c.size() == 4 ? "00" : "0";
        while (hex.empty() || hex.size() % 3 != 0)
            hex += '0';
        std::size_t length = hex.size() / 3;
        for (std::size_t i = 0; i < 3; ++i)
            parts[i] = hex.substr(i * length, length);
        if (length > 8) {
            for (std::string& part : parts)
                part.erase(0, length - 8);
            length = 8;
        }
        while (length > 2 && parts[0][0] == '0' && parts[1][0] == '0' && parts[2][0] == '0') {
            for (std::string& part : parts)
                part.erase(0, 1);
            --length;
        }
        for (std::string& part : parts) {
            part.resize(std::min<std::size_t>(part.size(), 2));
            if (part.size() == 1)
                part.insert(0, 1, '0');
        }
    }
    return "$" + parts[2] + parts[1] + parts[0];
}

std::string UpperHex(std::uint32_t value, int minDigits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    while (value != 0 || int(out.size()) < minDigits) {
        out.insert(out.begin(), kDigits[value & 0xF]);
        value >>= 4;
    }
    return out;
}

} // namespace

std::span<const TColorIdent> ColorIdents() {
    return kIdents;
}

std::string HTMLToColorName(std::string_view text) {
    if (!text.empty() && text.front() == '#') {
        const std::vector<std::string_view> chars = Characters(text);
        if (chars.size() != 7)
            return LegacyHashColour(chars);
        return "$" + std::string(chars[5]) + std::string(chars[6]) + std::string(chars[3]) +
               std::string(chars[4]) + std::string(chars[1]) + std::string(chars[2]);
    }
    if (text.empty())
        return "clNone";
    for (const TNamePair& pair : kSystemAttributeNames)
        if (text == pair.From)
            return std::string(pair.To);
    return "cl" + std::string(text);
}

TColor ColorNameToColor(std::string_view name) {
    for (const TColorIdent& ident : kIdents)
        if (AsciiEqualNoCase(name, ident.Name))
            return ident.Value;
    return StrToInt(name);
}

std::string ColorToColorName(TColor value) {
    for (const TColorIdent& ident : kIdents)
        if (ident.Value == value)
            return ident.Name;
    return "$" + UpperHex(static_cast<std::uint32_t>(value), 8);
}

std::string ColorToHTML(TColor value) {
    if (IsRGBColor(value)) {
        const std::string hex = UpperHex(static_cast<std::uint32_t>(value), 6);
        return hex.substr(4, 2) + hex.substr(2, 2) + hex.substr(0, 2);
    }
    const std::string name = ColorToColorName(value);
    // A value that is neither RGB nor named has no spelling in a document.
    if (name.front() == '$')
        return {};
    const std::string_view bare = std::string_view(name).substr(2);
    for (const TNamePair& pair : kNameToAttribute)
        if (bare == pair.From)
            return std::string(pair.To);
    return std::string(bare);
}

} // namespace quillery
