#include "store/index_file.h"

#include "store/ascii.h"
#include "store/atomic_write.h"
#include "store/error.h"
#include "store/memory.h"
#include "store/site_folder.h"
#include "store/text_codec.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace quillery {

// ---- Field codec ------------------------------------------------------------------

std::string EscapeHtmlText(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "&quot;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {

std::string UnescapeMessage(std::string_view text, std::size_t pos) {
    // The '&' and the byte after it (none when it ends the text).
    const std::string_view seq = text.substr(pos, 2);
    return QStringLiteral("Invalid HTML encoded character (%1) at position %2")
        .arg(FromCp1251(seq))
        .arg(qulonglong(pos))
        .toStdString();
}

bool HasAt(std::string_view text, std::size_t pos, std::string_view what) {
    return text.size() - pos >= what.size() && text.compare(pos, what.size(), what) == 0;
}

// Appends the decoded text to out; on failure returns false with *errPos set.
bool UnescapeInto(std::string_view text, std::string& out, std::size_t* errPos) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.data() + i, n - i);
            return true;
        }
        out.append(text.data() + i, amp - i);
        i = amp;
        const char next = i + 1 < n ? text[i + 1] : '\0';
        bool ok = true;
        if (i + 1 >= n) {
            ok = false;
        } else if (next == 'a' && HasAt(text, i, "&amp;")) {
            out += '&';
            i += 5;
        } else if (next == 'l' && HasAt(text, i, "&lt;")) {
            out += '<';
            i += 4;
        } else if (next == 'g' && HasAt(text, i, "&gt;")) {
            out += '>';
            i += 4;
        } else if (next == 'q' && HasAt(text, i, "&quot;")) {
            out += '"';
            i += 6;
        } else if (next == '#') {
            std::size_t j = i + 2;
            unsigned value = 0; // N mod 256, so no number is too big
            while (j < n && text[j] >= '0' && text[j] <= '9') {
                value = (value * 10 + unsigned(text[j] - '0')) & 0xFFu;
                ++j;
            }
            if (j == i + 2 || j >= n || text[j] != ';') {
                ok = false;
            } else {
                out += char(value);
                i = j + 1;
            }
        } else {
            ok = false;
        }
        if (!ok) {
            *errPos = amp;
            return false;
        }
    }
    return true;
}

} // namespace

bool TryUnescapeHtmlText(std::string_view text, std::string& out, std::string* message) {
    out.clear();
    std::size_t pos = 0;
    if (UnescapeInto(text, out, &pos))
        return true;
    if (message)
        *message = UnescapeMessage(text, pos);
    return false;
}

std::string UnescapeHtmlText(std::string_view text) {
    std::string out, message;
    if (!TryUnescapeHtmlText(text, out, &message))
        throw Error(message);
    return out;
}

// ---- Dates -------------------------------------------------------------------------

namespace {

// A Qt date format compiled for the fast path: numeric day, month and year
// fields and literal bytes. Anything else (names, quotes, other letters)
// goes to QLocale.
class DateCodec {
public:
    explicit DateCodec(const QString& format) : m_format(format) { Compile(); }

    std::string Format(const QDate& date) const {
        if (!date.isValid())
            return {};
        if (m_fast && date.year() >= 1 && date.year() <= 9999) {
            std::string out;
            for (const Token& t : m_tokens) {
                switch (t.kind) {
                case Kind::Literal:
                    out += t.literal;
                    break;
                case Kind::Day:
                    Number(out, date.day(), t.width);
                    break;
                case Kind::Month:
                    Number(out, date.month(), t.width);
                    break;
                case Kind::Year2:
                    Number(out, date.year() % 100, 2);
                    break;
                case Kind::Year4:
                    Number(out, date.year(), 4);
                    break;
                }
            }
            return out;
        }
        const QString text = QLocale::system().toString(date, m_format);
        if (FitsCp1251(text))
            return ToCp1251(text);
        return QLocale::c().toString(date, m_format).toLatin1().toStdString();
    }

    QDate Parse(std::string_view text) const {
        if (!m_fast) {
            const QString t = FromCp1251(text);
            QDate d = QLocale::system().toDate(t, m_format);
            if (!d.isValid())
                d = QLocale::c().toDate(t, m_format);
            return d;
        }
        std::size_t p = 0;
        int day = -1, month = -1, year = -1;
        for (const Token& t : m_tokens) {
            if (t.kind == Kind::Literal) {
                if (text.substr(p, t.literal.size()) != t.literal)
                    return {};
                p += t.literal.size();
                continue;
            }
            // Day and month take one or two digits whatever their width;
            // years exactly their width.
            const std::size_t minDigits = t.kind == Kind::Year4 ? 4 : t.kind == Kind::Year2 ? 2 : 1;
            const std::size_t maxDigits = t.kind == Kind::Year4 ? 4 : 2;
            std::size_t k = 0;
            int value = 0;
            while (k < maxDigits && p + k < text.size() && text[p + k] >= '0' &&
                   text[p + k] <= '9') {
                value = value * 10 + (text[p + k] - '0');
                ++k;
            }
            if (k < minDigits)
                return {};
            p += k;
            int* slot = t.kind == Kind::Day ? &day : t.kind == Kind::Month ? &month : &year;
            if (t.kind == Kind::Year2)
                value += value < 50 ? 2000 : 1900; // Windows' two-digit year window
            if (*slot != -1 && *slot != value)
                return {};
            *slot = value;
        }
        if (p != text.size() || day < 0 || month < 0 || year < 0)
            return {};
        return QDate(year, month, day); // invalid when out of range
    }

private:
    enum class Kind { Literal, Day, Month, Year2, Year4 };
    struct Token {
        Kind kind;
        int width = 0;
        std::string literal;
    };

    static void Number(std::string& out, int value, int width) {
        char buf[8];
        int len = 0;
        do {
            buf[len++] = char('0' + value % 10);
            value /= 10;
        } while (value > 0 && len < 8);
        for (int i = len; i < width; ++i)
            out += '0';
        while (len > 0)
            out += buf[--len];
    }

    void Compile() {
        m_fast = true;
        const qsizetype n = m_format.size();
        for (qsizetype i = 0; i < n;) {
            const QChar c = m_format[i];
            qsizetype run = 1;
            while (i + run < n && m_format[i + run] == c)
                ++run;
            if (c == u'd' && run <= 2) {
                m_tokens.push_back({Kind::Day, int(run), {}});
            } else if (c == u'M' && run <= 2) {
                m_tokens.push_back({Kind::Month, int(run), {}});
            } else if (c == u'y' && (run == 2 || run == 4)) {
                m_tokens.push_back({run == 2 ? Kind::Year2 : Kind::Year4, int(run), {}});
            } else if (c.unicode() < 128 && !c.isLetter() && c != u'\'') {
                const std::string lit(std::size_t(run), char(c.unicode()));
                if (!m_tokens.empty() && m_tokens.back().kind == Kind::Literal)
                    m_tokens.back().literal += lit;
                else
                    m_tokens.push_back({Kind::Literal, 0, lit});
            } else {
                m_fast = false;
                m_tokens.clear();
                return;
            }
            i += run;
        }
    }

    QString m_format;
    bool m_fast = false;
    std::vector<Token> m_tokens;
};

// Caches per distinct date: QDateTime in local time is costly to build
// (about 2 microseconds, a time-zone look-up each). Direct-mapped by Julian
// day and kept for the thread's life (a local midnight stays the same
// local date); the text is parsed every time (that is cheap).
class DateReader {
public:
    DateReader(const QString& format, const QDateTime& now) : m_codec(format), m_now(now) {}
    QDateTime Read(std::string_view text) {
        const QDate d = m_codec.Parse(text);
        if (!d.isValid())
            return m_now;
        const qint64 jd = d.toJulianDay();
        Slot& slot = Slots()[std::size_t(jd) & (kSlots - 1)];
        if (slot.used && slot.jd == jd)
            return slot.value;
        QDateTime value(d, QTime(0, 0));
        if (!value.isValid()) // a local midnight that does not exist
            value = QDateTime(d, QTime(12, 0));
        slot = {true, jd, value};
        return value;
    }
    const QDateTime& Now() const { return m_now; }

private:
    static constexpr std::size_t kSlots = 16384;
    struct Slot {
        bool used = false;
        qint64 jd = 0;
        QDateTime value;
    };
    static std::vector<Slot>& Slots() {
        thread_local std::vector<Slot> table(kSlots);
        return table;
    }
    DateCodec m_codec;
    QDateTime m_now;
};

class DateWriter {
public:
    explicit DateWriter(const QString& format) : m_codec(format) {}
    const std::string& Write(const QDateTime& when) {
        const QDate d = when.date();
        const qint64 key = d.isValid() ? d.toJulianDay() : std::numeric_limits<qint64>::min();
        auto it = m_cache.find(key);
        if (it == m_cache.end())
            it = m_cache.emplace(key, EscapeHtmlText(m_codec.Format(d))).first;
        return it->second;
    }

private:
    DateCodec m_codec;
    std::unordered_map<qint64, std::string> m_cache;
};

} // namespace

std::string FormatIndexDate(const QDate& date, const QString& shortDateFormat) {
    return DateCodec(shortDateFormat).Format(date);
}

QDate ParseIndexDate(std::string_view text, const QString& shortDateFormat) {
    return DateCodec(shortDateFormat).Parse(text);
}

// ---- Reading -------------------------------------------------------------------------

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
                if (raw.find('&') == std::string_view::npos) {
                    rec.Date = m_dates.Read(raw);
                    break;
                }
                std::string text;
                if (TryUnescapeHtmlText(raw, text))
                    rec.Date = m_dates.Read(text);
                break; // a failing date never fails the load: stays "now"
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
    DateReader m_dates;
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

namespace {

[[noreturn]] void ReadFailure(const QString& path, const QString& reason) {
    throw Error(QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, reason).toStdString());
}

QString Reason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// The whole file, mapped (pages populated in one go) or read.
class FileBytes {
public:
    explicit FileBytes(const QString& path) {
        const QByteArray native = QFile::encodeName(path);
        const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            ReadFailure(path, Reason(errno));
        struct stat st;
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
            ::close(fd);
            ReadFailure(path, Reason(err));
        }
        // A large file is read into huge-page memory (a few faults for the
        // whole file); a small one is mapped.
        constexpr std::size_t kLarge = 4u << 20, kHuge = 2u << 20;
        const std::size_t size = S_ISREG(st.st_mode) ? std::size_t(st.st_size) : 0;
        if (size >= kLarge) {
            const std::size_t bytes = (size + kHuge - 1) & ~(kHuge - 1);
            if (char* mem = static_cast<char*>(AllocatePages(bytes))) {
                std::size_t got = 0;
                while (got < size) {
                    const ssize_t n = ::read(fd, mem + got, size - got);
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n <= 0)
                        break;
                    got += std::size_t(n);
                }
                if (got == size) {
                    m_pages = mem;
                    m_pagesBytes = bytes;
                    m_size = size;
                    ::close(fd);
                    return;
                }
                FreePages(mem, bytes);
                ::lseek(fd, 0, SEEK_SET);
            }
        } else if (size > 0) {
            void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (p != MAP_FAILED) {
                m_map = p;
                m_size = size;
                ::close(fd);
                return;
            }
        }
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                const int err = errno;
                ::close(fd);
                ReadFailure(path, Reason(err));
            }
            if (n == 0)
                break;
            m_read.append(buf, std::size_t(n));
        }
        ::close(fd);
    }
    ~FileBytes() {
        if (m_map)
            ::munmap(m_map, m_size);
        FreePages(m_pages, m_pagesBytes);
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    std::string_view View() const {
        if (m_map)
            return std::string_view(static_cast<const char*>(m_map), m_size);
        if (m_pages)
            return std::string_view(m_pages, m_size);
        return m_read;
    }

private:
    void* m_map = nullptr;
    char* m_pages = nullptr;
    std::size_t m_pagesBytes = 0;
    std::size_t m_size = 0;
    std::string m_read;
};

} // namespace

TLoadResult LoadContents(TContentsTree& tree, const QString& sitePath,
                         const QString& shortDateFormat) {
    TLoadResult result;
    const QString path = sitePath + QStringLiteral("index");
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        WriteSiteFile(sitePath, u"index", QByteArray());
        result.Created = true;
        return result;
    }
    const FileBytes bytes(path);
    // The strings take about one and a half times the file's size (the nodes
    // have memory of their own); have it ready in one step, not page by page.
    const THeapReserve reserve(bytes.View().size() * 3 / 2);
    tree.BeginReset();
    try {
        ReadContents(bytes.View(), tree, shortDateFormat, QDateTime::currentDateTime(),
                     &result.Faults);
    } catch (...) {
        tree.EndReset();
        throw;
    }
    tree.EndReset();
    return result;
}

// ---- Writing -------------------------------------------------------------------------

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

namespace {

// Writes both files in one pre-order pass; each item is built in a small
// scratch buffer and handed to the sinks (strings, or the temporary files
// of the atomic writes, so no buffer of the whole file is needed).
template <class IndexSink, class TxtSink>
void Produce(const TContentsTree& tree, const QString& shortDateFormat, IndexSink&& index,
             TxtSink&& txt) {
    DateWriter dates(shortDateFormat);
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

} // namespace

TContentsBytes WriteContents(const TContentsTree& tree, const QString& shortDateFormat) {
    TContentsBytes b;
    b.Index.reserve(64 + tree.NodeCount() * 160);
    b.IndexTxt.reserve(tree.NodeCount() * 44);
    Produce(
        tree, shortDateFormat, [&](const std::string& part) { b.Index += part; },
        [&](const std::string& part) { b.IndexTxt += part; });
    return b;
}

void SaveContents(const TContentsTree& tree, const QString& sitePath,
                  const QString& shortDateFormat) {
    const QString index = sitePath + QStringLiteral("index");
    const QString indexTxt = sitePath + QStringLiteral("index.txt");
    // Step 1: clear the attributes, so a read-only or hidden file is rewritten
    // as an ordinary one.
    SetChanged(index);
    SetChanged(indexTxt);
    // Both written at once into temporary files; index.txt is renamed first,
    // so when anything fails the file the program reads is the old one.
    // index.txt is published after each save; index carries the changed
    // state before it appears.
    TAtomicFile txtFile(indexTxt);
    TAtomicFile indexFile(index);
    Produce(
        tree, shortDateFormat,
        [&](const std::string& part) { indexFile.Write(part.data(), part.size()); },
        [&](const std::string& part) { txtFile.Write(part.data(), part.size()); });
    const bool marked = MarkTemporaryFileChanged(indexFile.Descriptor());
    MarkTemporaryFilePublished(txtFile.Descriptor());
    txtFile.Commit();
    indexFile.Commit();
    if (!marked)
        SetChanged(index);
}

} // namespace quillery
