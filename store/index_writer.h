#pragma once

// Writing a contents tree as the bytes of `index` and `index.txt`.

#include "store/contents_tree.h"

#include <QString>
#include <functional>
#include <string>

namespace quillery {

// Takes the bytes of one file piece by piece, in order.
using TBytesSink = std::function<void(const std::string&)>;

// Writes both files in one pre-order pass; each item is built in a small
// scratch buffer and handed to the sinks (strings, or the temporary files
// of the atomic writes, so no buffer of the whole file is needed).
void ProduceContents(const TContentsTree& tree, const QString& shortDateFormat,
                     const TBytesSink& index, const TBytesSink& txt);

struct TContentsBytes {
    std::string Index;    // the one line of `index`
    std::string IndexTxt; // CR LF lines of `index.txt`
};
// Line breaks inside field texts are left out (the index is one line, and
// reading would drop them anyway), so the byte rules hold for any tree.
TContentsBytes WriteContents(const TContentsTree& tree, const QString& shortDateFormat);

} // namespace quillery
