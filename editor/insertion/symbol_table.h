#pragma once

#include <QString>
#include <array>
#include <string>
#include <vector>

namespace quillery {

// One group of the symbol palette.
struct TSymbolGroup {
    QString Caption;
    unsigned Colour; // 0xRRGGBB
    bool OpenAtStart;
};

// One action of the symbol palette: it inserts Entity at the selection.
struct TSymbol {
    QString Name;       // the action's name and caption: "laquo", "Copy", "alphab"
    std::string Entity; // "&laquo;"
    QString Hint;
    char32_t Glyph; // the character the entity stands for, drawn on its button
    int Group;      // index into SymbolGroups()
};

const std::array<TSymbolGroup, 3>& SymbolGroups();

// The 98 symbols in palette order, group after group.
const std::vector<TSymbol>& SymbolTable();

} // namespace quillery
