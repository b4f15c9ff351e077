#include "store/index_reader.h"

#include "store/field_codec.h"
#include "store/index_date.h"

#include <cstring>

namespace quillery {

namespace {

class Reader {
public:
    Reader(std::string_view s, TContentsTree& tree, const QString& format, const QDateTime& now,
           std::vector<std::string>* faults)
        : m_s(s), m_tree(tree), m_dates(format, now), m_faults(faults) {}

    void Run() {
        const std::size_t open = m_s.find('(');
        if (open == std::string_view::npos)
            return;
        m_p = open + 1;
        // Explicit stack, so nesting depth costs heap, not call stack.
        m_stack.push_back({Frame::List, nullptr, 0});
        while (!m_stack.empty() && m_p < m_s.size()) {
            switch (m_stack.back().kind) {
            case Frame::List:
                StepList();
                break;
            case Frame::Item:
                StepItem();
                break;
            case Frame::AfterChildren:
                StepAfterChildren();
                break;
            }
        }
        // The end of the input closes whatever is open.
    }

private:
    struct Frame {
        enum Kind { List, Item, AfterChildren } kind;
        TTreeNode* node; // List: owner (nullptr = roots); Item: the node or nullptr
        int fields;      // Item: quoted strings read so far
    };

    static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

    void SkipBlanks() {
        while (m_p < m_s.size() && IsBlank(m_s[m_p]))
            ++m_p;
    }

    bool Keyword(std::string_view word) const {
        return m_s.size() - m_p >= word.size() && m_s.compare(m_p, word.size(), word) == 0;
    }

    // At "new": consumes "new", blanks, a word ("Array"), blanks and "(".
    // Returns false (consuming nothing) when that shape is not there.
    bool ConsumeArrayOpen() {
        std::size_t q = m_p + 3;
        while (q < m_s.size() && IsBlank(m_s[q]))
            ++q;
        while (q < m_s.size() &&
               ((m_s[q] >= 'A' && m_s[q] <= 'Z') || (m_s[q] >= 'a' && m_s[q] <= 'z')))
            ++q;
        while (q < m_s.size() && IsBlank(m_s[q]))
            ++q;
        if (q >= m_s.size() || m_s[q] != '(')
            return false;
        m_p = q + 1;
        return true;
    }

    // At '"': the field runs to the next '"' (or to the end of the input).
    std::string_view ReadQuoted() {
        const std::size_t start = m_p + 1;
        std::size_t end = m_s.find('"', start);
        if (end == std::string_view::npos)
            end = m_s.size();
        m_p = end < m_s.size() ? end + 1 : end;
        return m_s.substr(start, end - start);
    }

    // At the closing ')' of the innermost list or item: leave that frame.
    bool CloseFrame() {
        if (m_s[m_p] != ')')
            return false;
        ++m_p;
        m_stack.pop_back();
        return true;
    }

    void StepList() {
        SkipBlanks();
        if (m_p >= m_s.size())
            return;
        if (CloseFrame())
            return;
        const char c = m_s[m_p];
        if (c == 'n' && Keyword("new") && ConsumeArrayOpen()) {
            m_stack.push_back({Frame::Item, nullptr, 0});
            return;
        }
        ++m_p; // ',' between items, or anything that does not belong here
    }

    TTreeNode* EnsureNode(Frame& item, std::string title = {}) {
        if (!item.node) {
            // The owner is the nearest List frame below this item.
            TTreeNode* owner = m_stack[m_stack.size() - 2].node;
            TTreeRec rec;
            rec.Date = m_dates.Now();
            item.node = m_tree.AddChild(owner, std::move(title), std::move(rec));
        }
        return item.node;
    }

    void Decode(std::string_view raw, std::string& into) {
        if (raw.find('&') == std::string_view::npos) {
            into.assign(raw);
            return;
        }
        std::string message;
        if (TryUnescapeHtmlText(raw, into, &message))
            return;
        // Mend: keep the field's raw bytes and read on (see the header).
        into.assign(raw);
        if (m_faults)
            m_faults->push_back(std::move(message));
    }

    void StepItem() {
        SkipBlanks();
        if (m_p >= m_s.size())
            return;
        Frame& item = m_stack.back();
        const char c = m_s[m_p];
        if (c == '"') {
            const std::string_view raw = ReadQuoted();
            const int field = item.fields++;
            if (field == 0) {
                std::string title;
                Decode(raw, title);
                EnsureNode(item, std::move(title));
                return;
            }
            if (field > 4)
                return; // strings after the fifth are ignored
            TTreeRec& rec = item.node->Rec();
            switch (field) {
            case 1:
                Decode(raw, rec.FileName);
                break;
            case 2: {
                rec.DateField.assign(raw);
                if (raw.find('&') == std::string_view::npos) {
                    rec.Date = m_dates.Read(raw);
                } else {
                    std::string text;
                    if (TryUnescapeHtmlText(raw, text))
                        rec.Date = m_dates.Read(text);
                } // a failing date never fails the load: stays "now"
                rec.DateFieldRead = rec.Date.date();
                break;
            }
            case 3:
                Decode(raw, rec.Note);
                break;
            case 4:
                Decode(raw, rec.ThumbName);
                break;
            }
            return;
        }
        if (c == 'n' && Keyword("null")) {
            EnsureNode(item);
            m_p += 4;
            item.kind = Frame::AfterChildren;
            return;
        }
        if (c == 'n' && Keyword("new") && ConsumeArrayOpen()) {
            TTreeNode* node = EnsureNode(item);
            item.kind = Frame::AfterChildren;
            m_stack.push_back({Frame::List, node, 0});
            return;
        }
        if (c == ')') {
            EnsureNode(item); // an item without children keyword
            CloseFrame();
            return;
        }
        ++m_p; // ',' between fields, or stray bytes
    }

    void StepAfterChildren() {
        SkipBlanks();
        if (m_p >= m_s.size())
            return;
        if (CloseFrame())
            return;
        const char c = m_s[m_p];
        if (c == '"') {
            ReadQuoted(); // a stray string, ignored
            return;
        }
        ++m_p;
    }

    std::string_view m_s;
    std::size_t m_p = 0;
    TContentsTree& m_tree;
    TDateReader m_dates;
    std::vector<std::string>* m_faults;
    std::vector<Frame> m_stack;
};

} // namespace

void ReadContents(std::string_view bytes, TContentsTree& tree, const QString& shortDateFormat,
                  const QDateTime& now, std::vector<std::string>* faults) {
    // Line breaks anywhere vanish (the file is read as lines, joined without
    // a separator).
    std::string joined;
    if (!bytes.empty() && (std::memchr(bytes.data(), '\n', bytes.size()) ||
                           std::memchr(bytes.data(), '\r', bytes.size()))) {
        joined.reserve(bytes.size());
        for (const char c : bytes)
            if (c != '\r' && c != '\n')
                joined += c;
        bytes = joined;
    }
    Reader(bytes, tree, shortDateFormat, now, faults).Run();
}

} // namespace quillery
