#include "editor/insertion/symbol_table.h"

#include "store/ascii.h"

namespace quillery {
namespace {

struct TNamed {
    const char* Caption;
    char32_t Glyph;
};

// The first two groups: the entity is the caption in lower case.
constexpr TNamed kSigns[] = {
    {"laquo", 0xAB},    {"raquo", 0xBB},    {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"lsquo", 0x2018}, {"rsquo", 0x2019},
    {"ndash", 0x2013},  {"mdash", 0x2014},  {"sect", 0xA7},    {"para", 0xB6},
    {"hellip", 0x2026}, {"bull", 0x2022},   {"iquest", 0xBF},  {"dagger", 0x2020},
    {"Copy", 0xA9},     {"Reg", 0xAE},      {"Trade", 0x2122}, {"Euro", 0x20AC},
    {"Pound", 0xA3},    {"Yen", 0xA5},      {"Cent", 0xA2},    {"curren", 0xA4},
};

constexpr TNamed kFormulas[] = {
    {"int", 0x222B},  {"sum", 0x2211},   {"prod", 0x220F}, {"radic", 0x221A},  {"infin", 0x221E},
    {"part", 0x2202}, {"rarr", 0x2192},  {"harr", 0x2194}, {"minus", 0x2212},  {"plusmn", 0xB1},
    {"times", 0xD7},  {"middot", 0xB7},  {"divide", 0xF7}, {"permil", 0x2030}, {"deg", 0xB0},
    {"oslash", 0xF8}, {"asymp", 0x2248}, {"ne", 0x2260},   {"equiv", 0x2261},  {"le", 0x2264},
    {"ge", 0x2265},   {"lt", 0x3C},      {"gt", 0x3E},     {"sup1", 0xB9},     {"sup2", 0xB2},
    {"sup3", 0xB3},
};

struct TLetter {
    const char* Entity;  // lower case
    const char* Russian; // capitalised, UTF-8
    char32_t Capital;    // the small letter is 0x20 above
};

constexpr TLetter kGreek[] = {
    {"alpha", "Альфа", 0x391},  {"beta", "Бета", 0x392},       {"gamma", "Гамма", 0x393},
    {"delta", "Дельта", 0x394}, {"epsilon", "Эпсилон", 0x395}, {"zeta", "Зета", 0x396},
    {"eta", "Эта", 0x397},      {"theta", "Тета", 0x398},      {"iota", "Йота", 0x399},
    {"kappa", "Каппа", 0x39A},  {"lambda", "Лямбда", 0x39B},   {"mu", "Мю", 0x39C},
    {"nu", "Ню", 0x39D},        {"xi", "Кси", 0x39E},          {"omicron", "Омикрон", 0x39F},
    {"pi", "Пи", 0x3A0},        {"rho", "Ро", 0x3A1},          {"sigma", "Сигма", 0x3A3},
    {"tau", "Тау", 0x3A4},      {"upsilon", "Ипсилон", 0x3A5}, {"phi", "Фи", 0x3A6},
    {"chi", "Хи", 0x3A7},       {"psi", "Пси", 0x3A8},         {"omega", "Омега", 0x3A9},
};

void AddNamed(std::vector<TSymbol>& table, const TNamed& named, int group) {
    const std::string entity = "&" + AsciiLower(std::string_view(named.Caption)) + ";";
    table.push_back({QString::fromLatin1(named.Caption), entity, QString::fromStdString(entity),
                     named.Glyph, group});
}

void AddLetter(std::vector<TSymbol>& table, const TLetter& letter) {
    const std::string small = letter.Entity;
    std::string capital = small;
    capital[0] = char(capital[0] - 'a' + 'A');
    const QString russian = QString::fromUtf8(letter.Russian);
    const auto hint = [](const QString& name, const std::string& entity) {
        return QStringLiteral("%1 (&%2;)").arg(name, QString::fromStdString(entity));
    };
    table.push_back({QString::fromStdString(small + 'b'), '&' + capital + ';',
                     hint(russian, capital), letter.Capital, 2});
    table.push_back({QString::fromStdString(small + 's'), '&' + small + ';',
                     hint(russian.toLower(), small), letter.Capital + 0x20, 2});
}

std::vector<TSymbol> BuildTable() {
    std::vector<TSymbol> table;
    for (const TNamed& named : kSigns)
        AddNamed(table, named, 0);
    for (const TNamed& named : kFormulas)
        AddNamed(table, named, 1);
    for (const TLetter& letter : kGreek)
        AddLetter(table, letter);
    return table;
}

} // namespace

const std::array<TSymbolGroup, 3>& SymbolGroups() {
    static const std::array<TSymbolGroup, 3> groups{{
        {QStringLiteral("Символы"), 0xF4F4F4, true},
        {QStringLiteral("Формулы"), 0xFFEBEA, false},
        {QStringLiteral("Греческий алфавит"), 0xFFEAFF, false},
    }};
    return groups;
}

const std::vector<TSymbol>& SymbolTable() {
    static const std::vector<TSymbol> table = BuildTable();
    return table;
}

} // namespace quillery
