#pragma once

// The site's own pages (index.html, site.css, site.js): the program's copy,
// and the copies it writes into site folders.
//
// A copy written into a site carries a mark line: the pages' version and the
// SHA-256 of the page without that line. A copy whose text still matches its
// mark is unmodified, so a newer version may replace it; one that no longer
// matches was edited by hand and is never overwritten.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace quillery {

// Raise it with every change to a page, so copies in sites are updated.
inline constexpr int kSitePagesVersion = 1;

inline constexpr std::array<const char*, 3> kSitePageNames = {"index.html", "site.css", "site.js"};

struct TSitePage {
    QString Name;
    QByteArray Content; // as shipped, without a mark
};

// The program's own copy of the pages.
struct TShippedPages {
    QString Folder; // ends in '/'
    std::vector<TSitePage> Pages;
};

// The folder holding the program's copy: share/quillery/site-pages beside
// the program's bin/ folder (the build tree and an installed prefix look
// alike), otherwise quillery/site-pages in the system's data folders. Empty
// when there is none.
QString FindShippedPagesFolder();

// Reads the pages from folder. Throws Error when folder is empty (none was
// found) or a page cannot be read.
TShippedPages ReadShippedPages(const QString& folder);

// The page as it is written into a site: its text with the mark line (after
// the byte order mark, and after the DOCTYPE line of an HTML page).
QByteArray MarkedPage(const TSitePage& page);

enum class TSiteCopy {
    Missing,
    Current,  // the shipped page itself, marked
    Outdated, // an unmodified earlier version (or the shipped text without a mark)
    Edited,   // changed by hand from an older version, or of unknown origin
    Newer,    // from a later version of the program, edited or not
};

// What the copy at sitePath + page.Name is, next to the shipped page.
TSiteCopy ExamineSiteCopy(const QString& sitePath, const TSitePage& page);

// Writes MarkedPage(page) into the site, in the changed state, so the next
// publishing sends it. Throws Error.
void WriteSitePage(const QString& sitePath, const TSitePage& page);

} // namespace quillery
