#pragma once

#include "publish/publish_report.h"
#include "publish/remote_folder.h"

#include <QString>
#include <deque>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

namespace quillery {

class FtpClient;

// What a run tells while it goes, from the thread it runs on.
// Reports nothing itself; a run nobody watches takes it as it is.
class TPublishProgress {
public:
    virtual ~TPublishProgress() = default;
    // Between stages: one quarter-turn of the status text.
    virtual void Step() {}
    // The listing is in: total deletions and uploads still to do.
    virtual void Planned(int /*total*/) {}
    // done of them are over, successful or not.
    virtual void Advanced(int /*done*/) {}
    // A Yes/No question to the user, Нет by default; the run waits for it.
    virtual bool Ask(const QString& /*text*/) { return false; }
};

// The settings publishing gives the main window's client: passive data
// connections, login on connect, the client's default time limit.
void ConfigureForPublishing(FtpClient& client);

// Remote names of the run's temporary files: "_quillery-" and eight hex
// digits, a "-" and the final name.
std::string TemporaryRemoteName(const std::string& finalName);
bool IsTemporaryRemoteName(const std::string& name);

// One publishing run, on the calling thread, from connecting to
// disconnecting. After the listing, every changed or missing file but index
// goes up, each to a temporary name renamed over its final name once the
// server confirmed it; then index, only when every page and picture it
// names is on the server; then, only after index went up, the remote files
// the site no longer has are deleted, asking first where that looks wrong.
// A file becomes published only once it is on the server under its name.
// Every failure is caught, counted and written into the report; stop ends
// the run before the next operation.
class TPublishRun final {
public:
    TPublishRun(TRemoteFolder& folder, QString sitePath, TFtpAccount account,
                TPublishProgress& progress, std::stop_token stop);
    TPublishRun(const TPublishRun&) = delete;
    TPublishRun& operator=(const TPublishRun&) = delete;

    TPublishReport Run();

private:
    struct Upload {
        QString local;                // local file name
        std::string remote;           // its remote name
        std::string mismatchedRemote; // remote entry of another case, deleted on the way
        bool markPublished = false;
    };
    // How whole files reach their final names on this server.
    enum class Replace { Rename, DeleteThenRename, Direct };

    bool Connect();
    bool OpenDirectory();
    void List();
    void RemoveLeftovers();
    void Plan();
    void SendFiles();
    void SendIndex();
    void DeleteStale();
    bool Send(const Upload& upload);
    void StoreWhole(int descriptor, const Upload& upload);
    void RenameIntoPlace(int descriptor, const std::string& temporary, const std::string& remote);
    void Delete(const TRemoteEntry& entry);
    // Names index links to that are neither sent nor already on the server.
    QStringList MissingIndexLinks() const;
    bool DeletionsNeedQuestion() const;
    QString DeletionQuestion() const;
    bool Ended() const;
    void NotTried(const QString& name, const char* what);
    void Hold(const QString& name, const QString& why);
    void Advance();
    void Fail(const QString& name, const char* operation, const std::exception& error);
    void Finish(TPublishOutcome outcome);

    TRemoteFolder& m_folder;
    QString m_sitePath;
    TFtpAccount m_account;
    TPublishProgress& m_progress;
    std::stop_token m_stop;
    TPublishReport m_report;
    std::vector<TRemoteEntry> m_listing;
    // Everything but index, in order; a pool of connections could drain it.
    std::deque<Upload> m_queue;
    Upload m_index;
    std::vector<TRemoteEntry> m_deletions;
    // Remote names of the files the server holds whole, as far as the run knows.
    std::set<std::string> m_onServer;
    // Remote names of the local files that take part.
    std::set<std::string> m_local;
    bool m_indexSent = false;
    Replace m_replace = Replace::Rename;
    int m_done = 0;
    // Set when the conversation with the server cannot go on.
    QString m_lostReason;
};

} // namespace quillery
