#pragma once

#include "publish/remote_entry.h"
#include "store/error.h"

#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace quillery {

// The account of a site, as typed into the publishing dialog.
struct TFtpAccount {
    QString Host; // "name", "name:port" or "[v6address]:port"
    QString Username;
    QString Password;
    QString Dir;
};

// Connecting may raise questions about security only the user can answer (a
// server without encryption, a certificate nobody vouches for). Each Да is
// kept in the site key of sitePath, so it is asked once per site; ask puts a
// Yes/No question, Нет by default.
struct TSiteQuestions {
    QString sitePath;
    std::function<bool(const QString&)> ask;
};

// Connecting ended by the user's Нет to such a question; nothing was sent.
class TDeclinedError final : public Error {
public:
    TDeclinedError(const std::string& reason, QString status)
        : Error(reason), m_status(std::move(status)) {}
    // The run's status text for it.
    const QString& Status() const { return m_status; }

private:
    QString m_status;
};

// A directory on a server as publishing sees it: what a protocol client
// offers the run, which decides what is sent, in which order and when a file
// counts as published. Every operation either completes or throws
// quillery::Error; names are bytes as the server knows them, in the
// directory that Open made current.
class TRemoteFolder {
public:
    virtual ~TRemoteFolder() = default;

    // Connects and logs in with the account's host, user and password, the
    // connection protected as the site's decisions allow; throws
    // TDeclinedError when the user answers Нет.
    virtual void Connect(const TFtpAccount& account, const TSiteQuestions& site) = 0;
    // How the connection is protected, in the report's words.
    virtual QString Protection() const = 0;
    // Makes dir, exactly as typed, the directory of every later operation.
    virtual void Open(const std::string& dir) = 0;
    // Every entry of the directory, with its type where the server tells.
    virtual std::vector<TRemoteEntry> List() = 0;
    // Uploads an open file, from its first byte, under name.
    virtual void Store(int descriptor, const std::string& name) = 0;
    // Renames from to to, replacing to where the server allows it.
    virtual void Rename(const std::string& from, const std::string& to) = 0;
    virtual void Delete(const std::string& name) = 0;
    // For an entry listed with an Unknown type whose deletion was refused.
    // Throws when the directory cannot be made current again afterwards.
    virtual bool IsFolder(const std::string& name) = 0;
    // The conversation can go on.
    virtual bool Connected() const = 0;
    // Ends the session; never throws.
    virtual void Disconnect() = 0;
};

} // namespace quillery
