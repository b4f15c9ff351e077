#pragma once

#include "publish/publish_report.h"

#include <QString>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace quillery {

class FtpClient;

// The FTP account of a site, as typed into the publishing dialog.
struct TFtpAccount {
    QString Host; // "name", "name:port" or "[v6address]:port"
    QString Username;
    QString Password;
    QString Dir;
};

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
    // A Yes/No question to the user, default No; the run waits for the answer.
    virtual bool Ask(const QString& text) { return false; }
};

// The settings publishing gives the main window's client: passive data
// connections, login on connect, the client's default time limit.
void ConfigureForPublishing(FtpClient& client);

// One publishing run, on the calling thread, from connecting to
// disconnecting: index first, then the remote clean-up, then every file that
// is changed or missing on the server. A file becomes published only once
// the server confirmed its upload. Every failure is caught, counted and
// written into the report; stop ends the run before the next operation.
class TPublishRun final {
public:
    TPublishRun(FtpClient& client, QString sitePath, TFtpAccount account,
                TPublishProgress& progress, std::stop_token stop);
    TPublishRun(const TPublishRun&) = delete;
    TPublishRun& operator=(const TPublishRun&) = delete;

    TPublishReport Run();

private:
    struct Operation {
        enum class Kind { Delete, Upload } kind;
        std::string remote;           // remote name to delete or to upload to
        QString local;                // local file name (uploads)
        std::string mismatchedRemote; // remote entry to delete first, case differs
        bool markPublished = false;
    };

    bool Connect();
    // Connects with what the user decided for the site; a question the
    // server raises (no TLS, an unknown or changed certificate) is asked
    // and, answered Yes, kept for the site before connecting again.
    void ConnectTrusting();
    void NoteProtection();
    bool ChangeDirectory();
    void UploadIndex();
    void ListRemoteNames();
    std::vector<Operation> Plan() const;
    void Execute(const std::vector<Operation>& plan);
    void Perform(const Operation& op);
    void Delete(const std::string& remote, bool mayBeFolder);
    // Uploads; true when the server confirmed.
    bool Upload(const QString& local, const std::string& remote, bool markPublished);
    bool IsRemoteFolder(const std::string& remote);
    void Fail(const QString& name, const char* operation, const std::exception& error);
    void Disconnect();
    void Finish(TPublishOutcome outcome);

    FtpClient& m_client;
    QString m_sitePath;
    TFtpAccount m_account;
    TPublishProgress& m_progress;
    std::stop_token m_stop;
    TPublishReport m_report;
    std::vector<std::string> m_names;
    std::optional<std::string> m_workingDirectory;
    // Set when the conversation with the server cannot go on.
    QString m_lostReason;
};

} // namespace quillery
