#include "store/index_writer.h"

#include "store/index_date.h"

#include <array>

namespace quillery {

namespace {

// Bytes the writer must look at: the four escaped ones, NUL (the end of an
// escaped text) and the line breaks (left out, see WriteContents).
constexpr std::array<bool, 256> kSpecial = [] {
    std::array<bool, 256> t{};
    for (const unsigned char c : {'"', '&', '<', '>', '\0', '\r', '\n'})
        t[c] = true;
    return t;
}();

// EscapeHtmlText(text), ASCII lower-cased when asked, without CR and LF: the
// index is one line, and a reader drops line breaks anyway, so what reads
// back is the same either way (titles and notes hold none in practice).
void AppendEscaped(std::string& out, const std::string& text, bool lower) {
    const std::size_t from = out.size();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && !kSpecial[p[i]])
        ++i;
    if (i == n) {
        out.append(text);
    } else {
        out.append(text, 0, i);
        for (; i < n; ++i) {
            const char c = char(p[i]);
            switch (c) {
            case '"':
                out.append("&quot;", 6);
                break;
            case '&':
                out.append("&amp;", 5);
                break;
            case '<':
                out.append("&lt;", 4);
                break;
            case '>':
                out.append("&gt;", 4);
                break;
            case '\r':
            case '\n':
                break;
            case '\0':
                i = n - 1;
                break; // EscapeHtmlText stops at NUL
            default:
                out += c;
            }
        }
    }
    if (lower)
        for (std::size_t k = from; k < out.size(); ++k)
            if (out[k] >= 'A' && out[k] <= 'Z')
                out[k] = char(out[k] - 'A' + 'a');
}

} // namespace

void ProduceContents(const TContentsTree& tree, const QString& shortDateFormat,
                     const TBytesSink& index, const TBytesSink& txt) {
    TDateWriter dates(shortDateFormat);
    std::string item, line;
    item.reserve(4096);
    line.reserve(256);
    item += "index=new Array(";
    const TTreeNode* n = tree.GetFirstNode();
    while (n) {
        const TTreeRec& rec = n->Rec();
        item += "new Array(\"";
        AppendEscaped(item, n->Text(), false);
        item += "\",\"";
        AppendEscaped(item, rec.FileName, true);
        item += "\",\"";
        if (rec.DateFieldRead.isValid() && rec.Date.date() == rec.DateFieldRead)
            item += rec.DateField;
        else
            item += dates.Write(rec.Date);
        item += "\",\"";
        AppendEscaped(item, rec.Note, false);
        item += "\",\"";
        AppendEscaped(item, rec.ThumbName, true);
        item += "\",";
        AppendEscaped(line, rec.FileName, false);
        line += "\r\n";
        txt(line);
        line.clear();
        if (n->HasChildren()) {
            item += "new Array(";
            n = n->Child(0);
        } else {
            item += "null)";
            while (n && !n->GetNextSibling()) {
                n = n->Parent();
                if (n)
                    item += "))"; // the parent's children list and its item
            }
            if (n) {
                item += ',';
                n = n->GetNextSibling();
            }
        }
        if (item.size() >= 2048) {
            index(item);
            item.clear();
        }
    }
    item += ");";
    index(item);
}

TContentsBytes WriteContents(const TContentsTree& tree, const QString& shortDateFormat) {
    TContentsBytes b;
    b.Index.reserve(64 + tree.NodeCount() * 160);
    b.IndexTxt.reserve(tree.NodeCount() * 44);
    ProduceContents(
        tree, shortDateFormat, [&](const std::string& part) { b.Index += part; },
        [&](const std::string& part) { b.IndexTxt += part; });
    return b;
}

} // namespace quillery
