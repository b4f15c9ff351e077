#pragma once

#include <QDateTime>
#include <QLocale>
#include <QMetaType>
#include <QString>
#include <vector>

namespace quillery {

// How a publishing run ended.
enum class TPublishOutcome {
    ConnectFailed,   // connecting or logging in failed; nothing was sent
    DirectoryFailed, // the server directory was refused; nothing was sent
    Completed,       // every planned operation was tried
    Stopped,         // the user stopped it; the rest was not tried
    ConnectionLost,  // the server went away; the rest could not be tried
    Declined,        // the user did not trust the connection; nothing was sent
};

// One thing the run did or could not do to one file.
struct TPublishEntry {
    enum class Kind {
        Uploaded,   // the server confirmed the upload
        Deleted,    // a remote file with no local counterpart was deleted
        KeptFolder, // a remote folder, left alone
        Failed,     // the operation failed; detail holds why
        Skipped,    // not tried because the run was stopped
        Held,       // not sent or not deleted so the site stays whole; detail says why
        Kept,       // a remote file the site lacks, kept at the user's answer
    };
    Kind kind;
    QString name;   // the local or remote file name
    QString detail; // what failed and the server's reply, or a remark
};

// What a run did, kept as the report of the last run.
struct TPublishReport {
    TPublishOutcome outcome = TPublishOutcome::Completed;
    QString host;
    QString dir;
    QString connectionError; // why connecting or the directory failed
    QString declinedStatus;  // the status text of a declined run
    QString protection;      // "TLSv1.3, сертификат проверен" and the like
    std::vector<TPublishEntry> entries;
    // What the run says once about the whole run (how the server took files).
    std::vector<QString> remarks;
    QDateTime finished;

    int Count(TPublishEntry::Kind kind) const;
    int Failures() const { return Count(TPublishEntry::Kind::Failed); }
    // The run reached the server directory: its status is stored.
    bool ReachedServer() const;
};

extern const char kConnectErrorStatus[];   // UTF-8
extern const char kDirectoryErrorStatus[]; // UTF-8

// The moment as the status shows it: the short date, then, unless the time
// of day is 00:00:00, a blank and the long time.
QString FormatSyncMoment(const QDateTime& moment, const QLocale& locale);

// Panel 1's text after the run, also stored as "Sync" when the run reached
// the server directory.
QString PublishStatusText(const TPublishReport& report, const QLocale& locale);

extern const char kReportHint[]; // how to open the report (UTF-8)

// A short summary for panel 1's tooltip, ending with kReportHint.
QString PublishSummary(const TPublishReport& report);

// The whole report as text for the user: status, server, failures first,
// then what was sent, deleted, kept and skipped.
QString PublishReportText(const TPublishReport& report, const QLocale& locale);

// The report of the last run of a site lives beside its site key, readable
// by its owner only. Reading gives an empty text when there is none.
QString LastReportPath(const QString& sitePath);
// The status goes into the site key ("Status"/"Sync"), the report beside it.
void SaveRunResult(const QString& sitePath, const QString& status, const QString& reportText);
QString ReadLastReport(const QString& sitePath);

} // namespace quillery

Q_DECLARE_METATYPE(quillery::TPublishReport)
