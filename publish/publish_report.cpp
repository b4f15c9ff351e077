#include "publish/publish_report.h"

#include "store/atomic_write.h"
#include "store/settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace quillery {

const char kConnectErrorStatus[] = "Ошибка соединения. Проверьте логин, пароль и имя сервера FTP.";
const char kDirectoryErrorStatus[] =
    "Ошибка соединения. Проверьте правильность указания директории на сервере FTP.";

const char kReportHint[] = "Двойной щелчок открывает отчёт о последней публикации.";

namespace {

using Kind = TPublishEntry::Kind;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// "Синхронизация проведена", "… с ошибками (N)" and so on, with the blank
// that separates it from the moment.
QString OutcomePhrase(const TPublishReport& report) {
    QString phrase;
    switch (report.outcome) {
    case TPublishOutcome::ConnectFailed:
        return Utf8(kConnectErrorStatus);
    case TPublishOutcome::DirectoryFailed:
        return Utf8(kDirectoryErrorStatus);
    case TPublishOutcome::Declined:
        return report.declinedStatus;
    case TPublishOutcome::Completed:
        phrase = Utf8("Синхронизация проведена");
        break;
    case TPublishOutcome::Stopped:
        phrase = Utf8("Синхронизация остановлена");
        break;
    case TPublishOutcome::ConnectionLost:
        phrase = Utf8("Синхронизация прервана");
        break;
    }
    if (const int failures = report.Failures())
        phrase += Utf8(" с ошибками (%1)").arg(failures);
    return phrase + u' ';
}

struct Section {
    Kind kind;
    const char* title;
};

constexpr Section kSections[] = {
    {Kind::Failed, "Ошибки"},
    {Kind::Uploaded, "Отправлены на сервер"},
    {Kind::Deleted, "Удалены на сервере"},
    {Kind::Held, "Отложены до следующей публикации, чтобы не нарушить сайт"},
    {Kind::Kept, "Оставлены на сервере по ответу «Нет»"},
    {Kind::KeptFolder, "Оставлены на сервере (папки)"},
    {Kind::Skipped, "Не отправлены (публикация остановлена)"},
};

// The locale's long time format without its time zone: Qt's carries one
// ("14:03:05 UTC"), the user's long time on the desktop this was made for
// does not.
QString TimeWithSecondsFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            kept += c;
    }
    kept.replace(QStringLiteral("()"), QString());
    return kept.simplified();
}

} // namespace

int TPublishReport::Count(Kind kind) const {
    return int(std::count_if(entries.begin(), entries.end(),
                             [kind](const TPublishEntry& e) { return e.kind == kind; }));
}

bool TPublishReport::ReachedServer() const {
    return outcome != TPublishOutcome::ConnectFailed &&
           outcome != TPublishOutcome::DirectoryFailed && outcome != TPublishOutcome::Declined;
}

QString FormatSyncMoment(const QDateTime& moment, const QLocale& locale) {
    QString text = locale.toString(moment.date(), locale.dateFormat(QLocale::ShortFormat));
    const QTime time = moment.time();
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += u' ' + locale.toString(time, TimeWithSecondsFormat(locale));
    return text;
}

QString PublishStatusText(const TPublishReport& report, const QLocale& locale) {
    if (!report.ReachedServer())
        return OutcomePhrase(report);
    return OutcomePhrase(report) + FormatSyncMoment(report.finished, locale);
}

QString PublishSummary(const TPublishReport& report) {
    QString summary;
    if (!report.ReachedServer()) {
        summary = report.connectionError;
    } else {
        summary = Utf8("Отправлено: %1, удалено на сервере: %2, ошибок: %3")
                      .arg(report.Count(Kind::Uploaded))
                      .arg(report.Count(Kind::Deleted))
                      .arg(report.Failures());
        if (report.outcome == TPublishOutcome::ConnectionLost)
            summary += Utf8(". Связь с сервером потеряна");
        else if (report.outcome == TPublishOutcome::Stopped)
            summary += Utf8(". Остановлено пользователем");
    }
    return summary + Utf8(".\n") + Utf8(kReportHint);
}

QString PublishReportText(const TPublishReport& report, const QLocale& locale) {
    QString text = PublishStatusText(report, locale).trimmed() + u'\n';
    text += Utf8("Сервер: %1, директория: «%2»\n").arg(report.host, report.dir);
    if (!report.protection.isEmpty())
        text += Utf8("Соединение: ") + report.protection + u'\n';
    if (!report.connectionError.isEmpty())
        text += Utf8("Причина: ") + report.connectionError + u'\n';
    if (report.outcome == TPublishOutcome::ConnectionLost)
        text += Utf8("Связь с сервером потеряна; что не было отправлено, будет отправлено при "
                     "следующей публикации.\n");
    for (const QString& remark : report.remarks)
        text += remark + u'\n';
    for (const Section& section : kSections) {
        const int count = report.Count(section.kind);
        if (count == 0)
            continue;
        text += u'\n' + Utf8(section.title) + Utf8(" (%1):\n").arg(count);
        for (const TPublishEntry& entry : report.entries) {
            if (entry.kind != section.kind)
                continue;
            text += QStringLiteral("    ") + entry.name;
            if (!entry.detail.isEmpty())
                text += Utf8(" — ") + entry.detail;
            text += u'\n';
        }
    }
    return text;
}

QString LastReportPath(const QString& sitePath) {
    return QFileInfo(KeyFilePath(SiteKeyPath(sitePath))).absolutePath() +
           QStringLiteral("/_report.txt");
}

void SaveRunResult(const QString& sitePath, const QString& status, const QString& reportText) {
    // Opening the site key also makes its owner-only folder, where the
    // report goes.
    TIniView siteKey(SiteKeyPath(sitePath));
    siteKey.WriteText(QLatin1String(kSectionStatus), QLatin1String(kEntrySync), status);
    siteKey.Close();
    WriteFileAtomically(LastReportPath(sitePath), reportText.toUtf8(), FileMode::OwnerOnly);
}

QString ReadLastReport(const QString& sitePath) {
    QFile file(LastReportPath(sitePath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace quillery
