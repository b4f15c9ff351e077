#pragma once

// The date field of the index: a Qt short date format compiled once, and the
// caches the reader and the writer keep per distinct date.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillery {

// Date field text for a date under a Qt date format, and back (an invalid
// QDate when it does not parse). Common numeric formats (d dd M MM yy yyyy
// and literal separators) are handled by a fast path; "yy" reads as 1950-2049; other formats go
// through QLocale::system().
std::string FormatIndexDate(const QDate& date, const QString& shortDateFormat);
QDate ParseIndexDate(std::string_view text, const QString& shortDateFormat);

// A Qt date format compiled for the fast path: numeric day, month and year
// fields and literal bytes. Anything else (names, quotes, other letters)
// goes to QLocale.
class TDateCodec final {
public:
    explicit TDateCodec(const QString& format);
    std::string Format(const QDate& date) const;
    QDate Parse(std::string_view text) const;

private:
    enum class Kind { Literal, Day, Month, Year2, Year4 };
    struct Token {
        Kind kind;
        int width = 0;
        std::string literal;
    };

    static void Number(std::string& out, int value, int width);
    void Compile();

    QString m_format;
    bool m_fast = false;
    std::vector<Token> m_tokens;
};

// Reads the field under the locale's format, then under the forms the
// program writes elsewhere (a Russian desktop's dd.MM.yyyy, ISO), so a site
// written under another locale shows its dates; `now` when none fits.
// Caches per distinct date: QDateTime in local time is costly to build
// (about 2 microseconds, a time-zone look-up each). Direct-mapped by Julian
// day and kept for the thread's life (a local midnight stays the same
// local date); the text is parsed every time (that is cheap).
class TDateReader final {
public:
    TDateReader(const QString& format, const QDateTime& now);
    QDateTime Read(std::string_view text);
    const QDateTime& Now() const { return m_now; }

private:
    static constexpr std::size_t kSlots = 16384;
    struct Slot {
        bool used = false;
        qint64 jd = 0;
        QDateTime value;
    };
    static std::vector<Slot>& Slots();
    std::vector<TDateCodec> m_codecs; // the locale's first
    QDateTime m_now;
};

// The escaped field text per distinct date, formatted once.
class TDateWriter final {
public:
    explicit TDateWriter(const QString& format) : m_codec(format) {}
    const std::string& Write(const QDateTime& when);

private:
    TDateCodec m_codec;
    std::unordered_map<qint64, std::string> m_cache;
};

} // namespace quillery
