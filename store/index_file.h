#pragma once

// The contents index file `index` and its companion `index.txt` on disk:
// loading into the tree and saving from it. All text is Windows-1251 bytes.
// The codec, the date field, the reader and the writer have headers of
// their own, included here for the callers of the whole.

#include "store/contents_tree.h"
#include "store/field_codec.h"
#include "store/index_date.h"
#include "store/index_reader.h"
#include "store/index_writer.h"

#include <QString>
#include <string>
#include <vector>

namespace quillery {

// What LoadContents found.
struct TLoadResult {
    // `index` was missing: an empty one was created and the tree is empty;
    // the caller now runs its new-document command (NewItemExecute).
    bool Created = false;
    // Conversion errors of fields (UTF-8, "Invalid HTML encoded character ..."), in file order.
    // Show Faults.front() to the user. No node is lost: see ReadContents.
    std::vector<std::string> Faults;
};

// LoadContents: fills the empty tree from sitePath + "index" (sitePath ends
// in '/'). Missing file: creates it empty (zero bytes) and returns Created.
// shortDateFormat is a Qt date format (the program passes
// QLocale::system().dateFormat(QLocale::ShortFormat)). Throws Error when the
// file exists but cannot be read, or cannot be created.
// The tree is filled inside BeginReset()/EndReset(); nothing gets expanded.
TLoadResult LoadContents(TContentsTree& tree, const QString& sitePath,
                         const QString& shortDateFormat);

// SaveContents: writes sitePath + "index" and "index.txt" from the whole
// tree, each through an atomic write (temporary file, flushed, renamed), so a
// failed write leaves the old files intact and throws Error with the reason.
// index.txt is written first, index last. Afterwards index is in the changed
// state and index.txt in the published state.
void SaveContents(const TContentsTree& tree, const QString& sitePath,
                  const QString& shortDateFormat);

} // namespace quillery
