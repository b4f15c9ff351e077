#include "publish/ftp_remote_folder.h"

#include "publish/ftp_client.h"
#include "publish/ftp_error.h"
#include "publish/ftp_host.h"
#include "publish/site_trust.h"

namespace quillery {
namespace {

bool SaysNoFiles(const FtpError& refused) {
    return refused.Code() == 450 || refused.Code() == 550;
}

} // namespace

void TFtpRemoteFolder::Connect(const TFtpAccount& account, const TSiteQuestions& site) {
    const TFtpEndpoint endpoint = ParseFtpHost(account.Host.toStdString());
    m_client.SetHost(endpoint.host);
    m_client.SetPort(endpoint.port);
    m_client.SetSecurity(endpoint.implicitTls ? FtpSecurity::ImplicitTls
                                              : FtpSecurity::ExplicitTls);
    m_client.SetUsername(account.Username.toStdString());
    m_client.SetPassword(account.Password.toStdString());
    m_workingDirectory.reset();
    ConnectTrusting(m_client, site);
}

QString TFtpRemoteFolder::Protection() const {
    return DescribeProtection(m_client);
}

void TFtpRemoteFolder::Open(const std::string& dir) {
    m_client.ChangeDirectory(dir);
}

std::vector<TRemoteEntry> TFtpRemoteFolder::List() {
    if (m_client.OffersMachineListing()) {
        try {
            return m_client.ListEntries();
        } catch (const FtpError& refused) {
            if (refused.Code() < 500 || !m_client.Connected())
                throw;
        }
    }
    return NameListing();
}

// Some servers take the argument for a file name, not a pattern; a listing
// without one names the current directory everywhere. Servers that find no
// file say so with 450 or 550 ("No files found"): an empty directory.
std::vector<TRemoteEntry> TFtpRemoteFolder::NameListing() {
    try {
        m_client.ListNames("*");
    } catch (const FtpError& refused) {
        if (!m_client.Connected() || (refused.Code() < 500 && !SaysNoFiles(refused)))
            throw;
        try {
            m_client.ListNames("");
        } catch (const FtpError& again) {
            if (m_client.Connected() && SaysNoFiles(again))
                return {};
            throw;
        }
    }
    std::vector<TRemoteEntry> entries;
    for (const std::string& name : m_client.NameList())
        entries.push_back({name, TRemoteEntry::Type::Unknown});
    return entries;
}

void TFtpRemoteFolder::Store(int descriptor, const std::string& name) {
    m_client.StoreFile(descriptor, name);
}

void TFtpRemoteFolder::Rename(const std::string& from, const std::string& to) {
    m_client.Rename(from, to);
}

void TFtpRemoteFolder::Delete(const std::string& name) {
    m_client.DeleteRemoteFile(name);
}

// Changing into it tells; the way back is the absolute working directory.
bool TFtpRemoteFolder::IsFolder(const std::string& name) {
    if (!m_client.Connected())
        return false;
    if (!m_workingDirectory) {
        try {
            m_workingDirectory = m_client.PrintWorkingDirectory();
        } catch (const Error&) {
            m_workingDirectory = std::string();
        }
    }
    if (m_workingDirectory->empty() || !m_client.Connected())
        return false;
    try {
        m_client.ChangeDirectory(name);
    } catch (const Error&) {
        return false;
    }
    try {
        m_client.ChangeDirectory(*m_workingDirectory);
    } catch (const Error& error) {
        throw Error(std::string("не удалось вернуться в директорию на сервере: ") + error.what());
    }
    return true;
}

bool TFtpRemoteFolder::Connected() const {
    return m_client.Connected();
}

void TFtpRemoteFolder::Disconnect() {
    try {
        m_client.Disconnect();
    } catch (const Error&) {
        // The session is over either way; the connection is closed.
    }
}

} // namespace quillery
