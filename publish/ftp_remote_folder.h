#pragma once

#include "publish/remote_folder.h"

#include <optional>

namespace quillery {

class FtpClient;

// The remote folder over an FTP client, in explicit TLS ("ftps://" hosts:
// implicit) unless the site allows clear text: MLSD where the server offers it,
// otherwise the name listing, in which an empty directory may be answered
// 450 or 550 ("No files found").
class TFtpRemoteFolder final : public TRemoteFolder {
public:
    explicit TFtpRemoteFolder(FtpClient& client) : m_client(client) {}
    TFtpRemoteFolder(const TFtpRemoteFolder&) = delete;
    TFtpRemoteFolder& operator=(const TFtpRemoteFolder&) = delete;

    void Connect(const TFtpAccount& account, const TSiteQuestions& site) override;
    QString Protection() const override;
    void Open(const std::string& dir) override;
    std::vector<TRemoteEntry> List() override;
    void Store(int descriptor, const std::string& name) override;
    void Rename(const std::string& from, const std::string& to) override;
    void Delete(const std::string& name) override;
    bool IsFolder(const std::string& name) override;
    bool Connected() const override;
    void Disconnect() override;

private:
    std::vector<TRemoteEntry> NameListing();

    FtpClient& m_client;
    std::optional<std::string> m_workingDirectory;
};

} // namespace quillery
