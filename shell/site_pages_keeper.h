#pragma once

#include <QString>

namespace quillery {

class Asker;

// Keeps the site's own pages in a site as it is opened, from the program's
// copy in shippedFolder. A new site (created) gets them. An existing site
// that lacks one is offered them once: the answer is kept in the site key
// and never asked again. Unmodified copies of an earlier version are
// replaced; a copy edited by hand is left alone, and the user is told once
// per version where the newer one is. Every page written is changed, so the
// next publishing sends it. Throws Error when a page cannot be written.
void KeepSitePages(const QString& sitePath, bool created, const QString& shippedFolder,
                   Asker& asker);

// The site key's section and entries for it.
inline constexpr char kSectionSitePages[] = "SitePages";
inline constexpr char kEntryOffer[] = "Offer"; // "yes" or "no", once asked
inline constexpr char kEntryTold[] = "Told";   // "name:digest" of the versions told about

} // namespace quillery
