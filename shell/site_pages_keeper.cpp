#include "shell/site_pages_keeper.h"

#include "shell/asker.h"
#include "store/settings_store.h"
#include "store/site_pages.h"

#include <QCryptographicHash>
#include <QDir>

namespace quillery {
namespace {

QString ToldMark(const TSitePage& page) {
    return page.Name + QLatin1Char(':') +
           QString::fromLatin1(
               QCryptographicHash::hash(page.Content, QCryptographicHash::Sha256).toHex());
}

} // namespace

void KeepSitePages(const QString& sitePath, bool created, const QString& shippedFolder,
                   Asker& asker) {
    const TShippedPages shipped = ReadShippedPages(shippedFolder);
    if (created) {
        for (const TSitePage& page : shipped.Pages)
            WriteSitePage(sitePath, page);
        return;
    }
    std::vector<const TSitePage*> missing;
    QStringList edited;
    QStringList toldNow;
    const QString section = QLatin1String(kSectionSitePages);
    QStringList told;
    bool offered = false;
    {
        const TIniView siteKey(SiteKeyPath(sitePath));
        told = siteKey.ReadText(section, QLatin1String(kEntryTold)).split(QLatin1Char(' '));
        offered = !siteKey.ReadText(section, QLatin1String(kEntryOffer)).isEmpty();
    }
    for (const TSitePage& page : shipped.Pages) {
        switch (ExamineSiteCopy(sitePath, page)) {
        case TSiteCopy::Missing:
            missing.push_back(&page);
            break;
        case TSiteCopy::Outdated:
            WriteSitePage(sitePath, page);
            break;
        case TSiteCopy::Edited:
            toldNow.append(ToldMark(page));
            if (!told.contains(toldNow.back()))
                edited.append(page.Name);
            break;
        case TSiteCopy::Current:
        case TSiteCopy::Newer:
            break;
        }
    }
    if (!edited.isEmpty()) {
        TIniView siteKey(SiteKeyPath(sitePath));
        siteKey.WriteText(section, QLatin1String(kEntryTold), toldNow.join(QLatin1Char(' ')));
        siteKey.Close();
        asker.ShowWarning(
            QStringLiteral("Вышла новая версия страниц сайта, но %1 в папке сайта изменены "
                           "вручную и оставлены как есть. Новая версия лежит в папке %2")
                .arg(edited.join(QStringLiteral(", ")), QDir::toNativeSeparators(shipped.Folder)));
    }
    if (missing.empty() || offered)
        return;
    QStringList names;
    for (const TSitePage* page : missing)
        names.append(page->Name);
    const bool add = asker.Confirm(
        QStringLiteral("В папке сайта нет его собственных страниц (%1): без них опубликованный "
                       "сайт не показывает оглавление. Добавить их?")
            .arg(names.join(QStringLiteral(", "))),
        Asker::Answer::Yes);
    TIniView siteKey(SiteKeyPath(sitePath));
    siteKey.WriteText(section, QLatin1String(kEntryOffer),
                      add ? QStringLiteral("yes") : QStringLiteral("no"));
    siteKey.Close();
    if (add)
        for (const TSitePage* page : missing)
            WriteSitePage(sitePath, *page);
}

} // namespace quillery
