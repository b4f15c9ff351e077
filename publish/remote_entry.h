#pragma once

#include <string>

namespace quillery {

// One entry of a remote directory listing. A name listing cannot tell files
// from folders: its entries are Unknown.
struct TRemoteEntry {
    enum class Type { File, Folder, Unknown };
    std::string name;
    Type type = Type::Unknown;

    bool operator==(const TRemoteEntry&) const = default;
};

} // namespace quillery
