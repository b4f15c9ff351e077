#pragma once

// Reading the index's bytes into a contents tree, with its recovery rules.

#include "store/contents_tree.h"

#include <QDateTime>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace quillery {

// ReadContents parses index bytes (line breaks anywhere are dropped first)
// and appends the items as roots of tree (callers pass an empty tree). It
// never throws on any input. A field whose `&` cannot be decoded does not
// stop reading (stopping there would let the next save drop every
// later node): the field keeps its raw bytes
// undecoded, the error is added to *faults, and reading goes on, so every
// node and the tree's shape survive and the next save writes the raw text
// escaped. Items without any quoted string become nodes with empty fields.
// Anything else that does not fit the grammar is skipped byte by byte; the
// end of the input closes every open list. `now` is used for missing and
// unparsable dates.
void ReadContents(std::string_view bytes, TContentsTree& tree, const QString& shortDateFormat,
                  const QDateTime& now, std::vector<std::string>* faults);

} // namespace quillery
