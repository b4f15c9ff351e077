#pragma once

#include "publish/ftp_control_connection.h"
#include "publish/ftp_reply.h"
#include "publish/remote_entry.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillery {

enum class FtpTransferType { ftBinary, ftASCII };

// How the connections are protected. ExplicitTls: AUTH TLS right after the
// greeting; ImplicitTls: TLS from the first byte. Either way PBSZ 0 and
// PROT P follow, data connections are TLS too and resume the control
// connection's session, and the certificate must verify (the system's
// authorities, the host's name) or be the pinned one, before USER is sent.
enum class FtpSecurity { None, ExplicitTls, ImplicitTls };

// A blocking FTP client for publishing: one control connection, login,
// change of directory, uploads, name and MLSD listings over passive data
// connections (PASV, or EPSV over IPv6), renames, deletions. Every operation either completes or
// throws quillery::Error (FtpError for an unexpected reply code).
//
// No wait is unbounded: a time limit of 0 stands for kDefaultTimeLimit. A
// reply must be complete within ReadTimeout of sending its command; data
// connections may stall for at most TransferTimeout at a time.
class FtpClient final {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeLimit{60000};

    FtpClient() = default;
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    const std::string& Host() const { return m_host; }
    void SetHost(std::string host) { m_host = std::move(host); }
    std::uint16_t Port() const { return m_port; }
    void SetPort(std::uint16_t port) { m_port = port; }
    const std::string& Username() const { return m_username; }
    void SetUsername(std::string username) { m_username = std::move(username); }
    const std::string& Password() const { return m_password; }
    void SetPassword(std::string password) { m_password = std::move(password); }
    const std::string& Account() const { return m_account; }
    void SetAccount(std::string account) { m_account = std::move(account); }
    bool AutoLogin() const { return m_autoLogin; }
    void SetAutoLogin(bool autoLogin) { m_autoLogin = autoLogin; }
    bool Passive() const { return m_passive; }
    void SetPassive(bool passive) { m_passive = passive; }
    FtpTransferType TransferType() const { return m_transferType; }
    void SetTransferType(FtpTransferType type) { m_transferType = type; }
    std::chrono::milliseconds ReadTimeout() const { return m_readTimeout; }
    void SetReadTimeout(std::chrono::milliseconds limit) { m_readTimeout = limit; }
    std::chrono::milliseconds TransferTimeout() const { return m_transferTimeout; }
    void SetTransferTimeout(std::chrono::milliseconds limit) { m_transferTimeout = limit; }
    std::chrono::milliseconds ConnectTimeout() const { return m_connectTimeout; }
    void SetConnectTimeout(std::chrono::milliseconds limit) { m_connectTimeout = limit; }
    // EPSV in place of PASV for every data connection. Without it, EPSV is
    // still used over IPv6 and where PASV is refused.
    bool UseExtensionDataPort() const { return m_useExtensionDataPort; }
    void SetUseExtensionDataPort(bool use) { m_useExtensionDataPort = use; }
    FtpSecurity Security() const { return m_security; }
    void SetSecurity(FtpSecurity security) { m_security = security; }
    // With ExplicitTls, a server refusing AUTH TLS is then used in clear
    // text instead of failing with TlsRefusedError.
    bool ClearTextAllowed() const { return m_clearTextAllowed; }
    void SetClearTextAllowed(bool allowed) { m_clearTextAllowed = allowed; }
    // A SHA-256 fingerprint: that certificate is accepted, and only that.
    const std::string& PinnedCertificate() const { return m_pinnedCertificate; }
    void SetPinnedCertificate(std::string fingerprint) {
        m_pinnedCertificate = std::move(fingerprint);
    }

    // Opens the control connection, reads the greeting and, with AutoLogin,
    // logs in. On failure the connection is closed.
    void Connect();
    void ChangeDirectory(std::string_view dir);
    void StoreFile(const std::string& localPath, std::string_view remoteName);
    // The same from an open file, read from its first byte; the caller keeps
    // the descriptor.
    void StoreFile(int descriptor, std::string_view remoteName);
    // Replaces NameList by the server's names for pattern; on failure
    // NameList keeps what it held.
    void ListNames(std::string_view pattern);
    void DeleteRemoteFile(std::string_view name);
    // RNFR from, then RNTO to.
    void Rename(std::string_view from, std::string_view to);
    // The server lists directories with MLSD (FEAT names MLST).
    bool OffersMachineListing() const { return SupportsFeature("MLST"); }
    // MLSD of the working directory: every entry with its type.
    std::vector<TRemoteEntry> ListEntries();
    // PWD: the server's name of the working directory.
    std::string PrintWorkingDirectory();
    // Sends QUIT, reads a reply only if one arrives at once, and closes.
    void Disconnect();

    bool Connected() const { return m_control.IsOpen(); }
    const std::vector<std::string>& NameList() const { return m_nameList; }
    const FtpReply& LastReply() const { return m_lastReply; }
    const FtpReply& Greeting() const { return m_greeting; }
    const std::vector<std::string>& Features() const { return m_features; }
    bool SupportsFeature(std::string_view name) const;
    const std::string& SystemDescription() const { return m_systemDescription; }
    FtpTransferType CurrentTransferType() const { return m_currentType; }
    // The TLS version of the connection ("TLSv1.3"), empty in clear text.
    const std::string& TlsProtocol() const { return m_tlsProtocol; }
    // The certificate was accepted by its pin rather than verified.
    bool CertificatePinned() const { return m_certificatePinned; }
    // Minutes east of UTC from a 210 reply to SITE ZONE, when one was given.
    std::optional<int> ServerUtcOffset() const { return m_serverUtcOffset; }

private:
    // AUTH TLS after the greeting; false when the server refused it and
    // clear text is allowed.
    bool NegotiateExplicitTls();
    // The handshake on the control connection and the trust decision.
    void SecureControlConnection();
    // PBSZ 0, PROT P.
    void ProtectData();
    // The handshake on a data connection, with the control's session.
    void SecureDataConnection(ByteStream& data);
    void Login();
    void ReadFeatures();
    void ReadSystemDescription();
    void ReadServerZone();
    bool WantsServerZone() const;
    void SetType(FtpTransferType type);

    // Throws unless the control connection is open.
    void RequireConnected() const;
    void RequirePassive() const;
    FtpReply SendCommand(std::string_view line, std::initializer_list<int> accepted);
    void SendLine(std::string_view line);
    FtpReply ReadReply(SteadyClock::time_point deadline, std::initializer_list<int> accepted);

    // PRET when supported, then PASV or EPSV; returns the data port.
    std::uint16_t PreparePassiveTransfer(std::string_view command);
    // The one place data connections are opened, to the control
    // connection's server, in TLS when the control connection is.
    ByteStream OpenDataConnection(std::uint16_t port);
    std::string ReceiveListing(std::string_view command);

    std::chrono::milliseconds ReadLimit() const;
    std::chrono::milliseconds TransferLimit() const;
    std::chrono::milliseconds ConnectLimit() const;

    std::string m_host;
    std::uint16_t m_port = 21;
    std::string m_username;
    std::string m_password;
    std::string m_account;
    bool m_autoLogin = true;
    bool m_passive = false;
    FtpTransferType m_transferType = FtpTransferType::ftBinary;
    std::chrono::milliseconds m_readTimeout{60000};
    std::chrono::milliseconds m_transferTimeout{0};
    std::chrono::milliseconds m_connectTimeout{0};
    bool m_useExtensionDataPort = false;
    FtpSecurity m_security = FtpSecurity::None;
    bool m_clearTextAllowed = false;
    std::string m_pinnedCertificate;

    FtpControlConnection m_control;
    std::unique_ptr<TlsContext> m_tls;
    std::string m_serverFingerprint;
    std::string m_tlsProtocol;
    bool m_certificatePinned = false;
    bool m_everConnected = false;
    FtpReply m_lastReply;
    FtpReply m_greeting;
    std::vector<std::string> m_features;
    std::string m_systemDescription;
    FtpTransferType m_currentType = FtpTransferType::ftBinary;
    std::optional<int> m_serverUtcOffset;
    std::vector<std::string> m_nameList;
};

} // namespace quillery
