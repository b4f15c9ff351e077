#pragma once

#include "publish/remote_entry.h"

#include <QString>
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

// A directory on a server as publishing sees it: what a protocol client
// offers the run, which decides what is sent, in which order and when a file
// counts as published. Every operation either completes or throws
// quillery::Error; names are bytes as the server knows them, in the
// directory that Open made current.
class TRemoteFolder {
public:
    virtual ~TRemoteFolder() = default;

    // Connects and logs in with the account's host, user and password.
    virtual void Connect(const TFtpAccount& account) = 0;
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
