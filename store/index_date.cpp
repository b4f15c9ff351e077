#include "store/index_date.h"

#include "store/field_codec.h"
#include "store/text_codec.h"

#include <QLocale>
#include <limits>

namespace quillery {

TDateCodec::TDateCodec(const QString& format) : m_format(format) {
    Compile();
}

std::string TDateCodec::Format(const QDate& date) const {
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

QDate TDateCodec::Parse(std::string_view text) const {
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
        while (k < maxDigits && p + k < text.size() && text[p + k] >= '0' && text[p + k] <= '9') {
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

void TDateCodec::Number(std::string& out, int value, int width) {
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

void TDateCodec::Compile() {
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

TDateReader::TDateReader(const QString& format, const QDateTime& now) : m_now(now) {
    for (const QString& f : {format, QStringLiteral("dd.MM.yyyy"), QStringLiteral("yyyy-MM-dd")})
        m_codecs.emplace_back(f);
}

QDateTime TDateReader::Read(std::string_view text) {
    QDate d;
    for (auto codec = m_codecs.begin(); !d.isValid() && codec != m_codecs.end(); ++codec)
        d = codec->Parse(text);
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

std::vector<TDateReader::Slot>& TDateReader::Slots() {
    thread_local std::vector<Slot> table(kSlots);
    return table;
}

const std::string& TDateWriter::Write(const QDateTime& when) {
    const QDate d = when.date();
    const qint64 key = d.isValid() ? d.toJulianDay() : std::numeric_limits<qint64>::min();
    auto it = m_cache.find(key);
    if (it == m_cache.end())
        it = m_cache.emplace(key, EscapeHtmlText(m_codec.Format(d))).first;
    return it->second;
}

std::string FormatIndexDate(const QDate& date, const QString& shortDateFormat) {
    return TDateCodec(shortDateFormat).Format(date);
}

QDate ParseIndexDate(std::string_view text, const QString& shortDateFormat) {
    return TDateCodec(shortDateFormat).Parse(text);
}

} // namespace quillery
