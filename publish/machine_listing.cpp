#include "publish/machine_listing.h"

#include <optional>
#include <string>

namespace quillery {
namespace {

// Fact names and values are compared without regard to case; no Qt here.
std::string Lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return result;
}

// The value of the type fact, lower-cased; empty when there is none.
std::string TypeFact(std::string_view facts) {
    while (!facts.empty()) {
        const std::size_t end = facts.find(';');
        const std::string_view fact = facts.substr(0, end);
        const std::size_t equals = fact.find('=');
        if (equals != std::string_view::npos && Lowered(fact.substr(0, equals)) == "type")
            return Lowered(fact.substr(equals + 1));
        if (end == std::string_view::npos)
            break;
        facts.remove_prefix(end + 1);
    }
    return {};
}

std::optional<TRemoteEntry> ParseLine(std::string_view line) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank + 1 >= line.size())
        return std::nullopt;
    const std::string type = TypeFact(line.substr(0, blank));
    if (type == "cdir" || type == "pdir")
        return std::nullopt;
    TRemoteEntry entry{std::string(line.substr(blank + 1)), TRemoteEntry::Type::Unknown};
    if (type == "file")
        entry.type = TRemoteEntry::Type::File;
    else if (type == "dir")
        entry.type = TRemoteEntry::Type::Folder;
    return entry;
}

} // namespace

std::vector<TRemoteEntry> ParseMachineListing(std::string_view listing) {
    std::vector<TRemoteEntry> entries;
    while (!listing.empty()) {
        const std::size_t end = listing.find_first_of("\r\n");
        if (std::optional<TRemoteEntry> entry = ParseLine(listing.substr(0, end)))
            entries.push_back(std::move(*entry));
        if (end == std::string_view::npos)
            break;
        listing.remove_prefix(end + 1);
    }
    return entries;
}

} // namespace quillery
