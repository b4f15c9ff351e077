#pragma once

// The contents index file `index`, its companion `index.txt`, and
// the field codec. All text is Windows-1251 bytes.

#include "store/contents_tree.h"

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// The byte-level halves of the two, for tests, the fuzzer and the benchmark.
//
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

struct TContentsBytes {
    std::string Index;    // the one line of `index`
    std::string IndexTxt; // CR LF lines of `index.txt`
};
// Line breaks inside field texts are left out (the index is one line, and
// reading would drop them anyway), so the byte rules hold for any tree.
TContentsBytes WriteContents(const TContentsTree& tree, const QString& shortDateFormat);

// Date field text for a date under a Qt date format, and back (an invalid
// QDate when it does not parse). Common numeric formats (d dd M MM yy yyyy
// and literal separators) are handled by a fast path; "yy" reads as 1950-2049; other formats go
// through QLocale::system().
std::string FormatIndexDate(const QDate& date, const QString& shortDateFormat);
QDate ParseIndexDate(std::string_view text, const QString& shortDateFormat);

} // namespace quillery
