#include "publish/ftp_client.h"

#include "publish/ftp_command.h"
#include "publish/ftp_error.h"
#include "publish/ftp_text.h"
#include "publish/machine_listing.h"
#include "publish/one_time_password.h"
#include "publish/passive_reply.h"
#include "store/error.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillery {

namespace {

// A listing larger than this is refused rather than collected in memory.
constexpr std::size_t kMaxListingSize = 64 * 1024 * 1024;
// Disconnect reads the server's answer to QUIT only if it comes this soon.
constexpr std::chrono::milliseconds kQuitReplyWait{10};

std::chrono::milliseconds LimitOrDefault(std::chrono::milliseconds limit) {
    return limit.count() > 0 ? limit : FtpClient::kDefaultTimeLimit;
}

std::string UpperCased(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::string_view FirstWord(std::string_view line) {
    return line.substr(0, line.find_first_of(" \t"));
}

bool TextContains(const FtpReply& reply, std::string_view word) {
    return std::any_of(reply.text.begin(), reply.text.end(), [&](const std::string& line) {
        return line.find(word) != std::string::npos;
    });
}

std::string FirstTextLine(const FtpReply& reply) {
    return reply.text.empty() ? std::string() : reply.text.front();
}

// CR, LF and CR LF each end a line; a last line without an end counts.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

// A file read from its first byte, whatever its descriptor's offset.
class FileReader final {
public:
    explicit FileReader(int descriptor) : m_descriptor(descriptor) {}

    // Reads up to size bytes; 0 at the end of the file.
    std::size_t Read(char* buffer, std::size_t size) {
        for (;;) {
            const ssize_t count = pread(m_descriptor, buffer, size, m_offset);
            if (count >= 0) {
                m_offset += count;
                return static_cast<std::size_t>(count);
            }
            if (errno != EINTR) {
                throw Error(std::string("Cannot read the file being uploaded: ") +
                            std::strerror(errno));
            }
        }
    }

private:
    int m_descriptor;
    off_t m_offset = 0;
};

// Opened for reading only; others may read and write the file meanwhile.
class LocalFile final {
public:
    explicit LocalFile(const std::string& path)
        : m_descriptor(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (m_descriptor < 0) {
            throw Error("Cannot open " + path + ": " + std::strerror(errno));
        }
        struct stat status {};
        if (fstat(m_descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
            close(m_descriptor);
            throw Error("Cannot upload " + path + ": not a regular file");
        }
    }
    ~LocalFile() { close(m_descriptor); }
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    int Descriptor() const { return m_descriptor; }

private:
    int m_descriptor;
};

// The directory name of a 257 reply: the text between the first quote and
// the next single one, a doubled quote standing for one (RFC 959, appendix II).
std::optional<std::string> QuotedDirectory(const std::string& line) {
    const std::size_t open = line.find('"');
    if (open == std::string::npos) {
        return std::nullopt;
    }
    std::string name;
    for (std::size_t i = open + 1; i < line.size(); ++i) {
        if (line[i] != '"') {
            name += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
            name += '"';
            ++i;
        } else {
            return name;
        }
    }
    return std::nullopt;
}

} // namespace

FtpClient::~FtpClient() {
    m_control.Close();
}

std::chrono::milliseconds FtpClient::ReadLimit() const {
    return LimitOrDefault(m_readTimeout);
}
std::chrono::milliseconds FtpClient::TransferLimit() const {
    return LimitOrDefault(m_transferTimeout);
}
std::chrono::milliseconds FtpClient::ConnectLimit() const {
    return LimitOrDefault(m_connectTimeout);
}

void FtpClient::RequireConnected() const {
    if (!m_everConnected) {
        throw Error("Not connected.");
    }
    if (!m_control.IsOpen()) {
        throw Error("Not Connected");
    }
}

void FtpClient::SendLine(std::string_view line) {
    m_control.Send(line, ReadLimit());
}

FtpReply FtpClient::ReadReply(SteadyClock::time_point deadline,
                              std::initializer_list<int> accepted) {
    m_lastReply = m_control.ReadReply(deadline);
    const int code = m_lastReply.code;
    const bool acceptable =
        accepted.size() == 0 || std::find(accepted.begin(), accepted.end(), code) != accepted.end();
    // 421: the server is closing the connection. An unasked-for preliminary
    // reply means another reply follows that no one would read. Either way
    // the conversation cannot go on.
    if (code == 421 || (!acceptable && code >= 100 && code < 200)) {
        m_control.Close();
        throw FtpError(code, m_lastReply.text);
    }
    if (!acceptable) {
        throw FtpError(code, m_lastReply.text);
    }
    return m_lastReply;
}

FtpReply FtpClient::SendCommand(std::string_view line, std::initializer_list<int> accepted) {
    const auto deadline = SteadyClock::now() + ReadLimit();
    SendLine(line);
    return ReadReply(deadline, accepted);
}

void FtpClient::Connect() {
    if (m_control.IsOpen()) {
        throw Error("Already connected.");
    }
    if (m_host.empty()) {
        throw Error("No FTP server given.");
    }
    if (m_port == 0) {
        throw Error("No FTP port given.");
    }
    RequireSingleLine("User name", m_username);
    RequireSingleLine("Password", m_password);
    RequireSingleLine("Account", m_account);
    m_greeting = {};
    m_features.clear();
    m_systemDescription.clear();
    m_serverUtcOffset.reset();
    m_tls.reset();
    m_tlsProtocol.clear();
    m_certificatePinned = false;
    m_control = FtpControlConnection(
        ByteStream(TcpConnection::Open(m_host, m_port, SteadyClock::now() + ConnectLimit())));
    m_everConnected = true;
    try {
        if (m_security == FtpSecurity::ImplicitTls) {
            SecureControlConnection();
        }
        m_greeting = ReadReply(SteadyClock::now() + ReadLimit(), {220});
        if (m_security == FtpSecurity::ImplicitTls ||
            (m_security == FtpSecurity::ExplicitTls && NegotiateExplicitTls())) {
            ProtectData();
        }
        if (m_autoLogin) {
            Login();
        }
    } catch (const Error&) {
        m_control.Close();
        throw;
    }
}

void FtpClient::Login() {
    FtpReply reply = SendCommand(FtpCommand("USER", m_username), {230, 232, 331});
    if (reply.code == 331) {
        std::optional<OtpChallenge> challenge;
        for (auto line = reply.text.begin(); line != reply.text.end() && !challenge; ++line) {
            challenge = FindOtpChallenge(*line);
        }
        const std::string password =
            challenge ? OneTimePassword(*challenge, m_password) : m_password;
        reply = SendCommand(FtpCommand("PASS", password), {230, 332});
        if (reply.code == 332 || (TextContains(reply, "ACCOUNT") && !m_account.empty())) {
            if (m_account.empty()) {
                throw FtpError(reply.code, reply.text);
            }
            SendCommand(FtpCommand("ACCT", m_account), {202, 230, 500});
        }
    }
    ReadFeatures();
    SetType(m_transferType);
    ReadSystemDescription();
    if (WantsServerZone()) {
        ReadServerZone();
    }
}

void FtpClient::ReadFeatures() {
    const FtpReply reply = SendCommand("FEAT", {});
    if (reply.text.size() > 2) {
        m_features.assign(reply.text.begin() + 1, reply.text.end() - 1);
    }
}

bool FtpClient::SupportsFeature(std::string_view name) const {
    const std::string wanted = UpperCased(name);
    return std::any_of(m_features.begin(), m_features.end(), [&](const std::string& line) {
        return UpperCased(FirstWord(line)) == wanted;
    });
}

void FtpClient::SetType(FtpTransferType type) {
    SendCommand(type == FtpTransferType::ftASCII ? "TYPE A" : "TYPE I", {200});
    m_currentType = type;
}

void FtpClient::ReadSystemDescription() {
    const FtpReply reply = SendCommand("SYST", {});
    m_systemDescription = reply.code == 500 ? "Unknown" : FirstTextLine(reply);
}

bool FtpClient::WantsServerZone() const {
    static constexpr std::string_view kZoneServers[] = {"Serv-U ", "BPFTP Server ",
                                                        "TitanFTP server ", "Titan FTP Server "};
    const std::string greeting = FirstTextLine(m_greeting);
    for (std::string_view prefix : kZoneServers) {
        if (greeting.starts_with(prefix)) {
            return true;
        }
    }
    for (const std::string& line : m_features) {
        if (UpperCased(FirstWord(line)) != "SITE") {
            continue;
        }
        const std::string commands = UpperCased(line.substr(FirstWord(line).size()));
        std::size_t start = 0;
        while (start < commands.size()) {
            const std::size_t end =
                std::min(commands.find_first_of("; \t", start), commands.size());
            if (std::string_view(commands).substr(start, end - start) == "ZONE") {
                return true;
            }
            start = end + 1;
        }
    }
    return false;
}

void FtpClient::ReadServerZone() {
    const FtpReply reply = SendCommand("SITE ZONE", {});
    if (reply.code != 210) {
        return;
    }
    // The offset follows "UTC", in minutes: "210 UTC-300".
    const std::string line = FirstTextLine(reply);
    const std::size_t at = line.find("UTC");
    if (at == std::string::npos) {
        return;
    }
    const char* first = line.data() + at + 3;
    if (first < line.data() + line.size() && *first == '+') {
        ++first;
    }
    int minutes = 0;
    if (std::from_chars(first, line.data() + line.size(), minutes).ec == std::errc()) {
        m_serverUtcOffset = minutes;
    }
}

void FtpClient::ChangeDirectory(std::string_view dir) {
    RequireConnected();
    SendCommand(FtpCommand("CWD", dir), {200, 250});
}

std::string FtpClient::PrintWorkingDirectory() {
    RequireConnected();
    const FtpReply reply = SendCommand("PWD", {257});
    std::optional<std::string> directory = QuotedDirectory(FirstTextLine(reply));
    if (!directory) {
        throw Error("No directory name in the reply to PWD.");
    }
    return *directory;
}

void FtpClient::DeleteRemoteFile(std::string_view name) {
    RequireConnected();
    SendCommand(FtpCommand("DELE", name), {250});
}

void FtpClient::Rename(std::string_view from, std::string_view to) {
    RequireConnected();
    const std::string renameTo = FtpCommand("RNTO", to);
    SendCommand(FtpCommand("RNFR", from), {350});
    SendCommand(renameTo, {250, 200});
}

void FtpClient::RequirePassive() const {
    if (!m_passive) {
        throw Error("Only passive data connections are supported; set Passive.");
    }
}

std::uint16_t FtpClient::PreparePassiveTransfer(std::string_view command) {
    if (SupportsFeature("PRET")) {
        SendCommand("PRET " + std::string(command), {});
    }
    if (!m_useExtensionDataPort && !m_control.Connection().PeerIsIPv6()) {
        try {
            return ParsePassivePort(FirstTextLine(SendCommand("PASV", {227})));
        } catch (const FtpError& refused) {
            if (refused.Code() < 500 || !m_control.IsOpen()) {
                throw;
            }
        }
    }
    return ParseExtendedPassivePort(FirstTextLine(SendCommand("EPSV", {229})));
}

ByteStream FtpClient::OpenDataConnection(std::uint16_t port) {
    // The server of the control connection, never the address the PASV reply
    // names: a hostile server must not direct the client, and a user's file,
    // to another machine.
    socklen_t addressSize = 0;
    const sockaddr_storage address = m_control.Connection().PeerAddressWithPort(port, addressSize);
    return ByteStream(
        TcpConnection::Open(address, addressSize, SteadyClock::now() + ConnectLimit()));
}

void FtpClient::StoreFile(const std::string& localPath, std::string_view remoteName) {
    RequireConnected();
    RequirePassive();
    const LocalFile file(localPath);
    StoreFile(file.Descriptor(), remoteName);
}

void FtpClient::StoreFile(int descriptor, std::string_view remoteName) {
    RequireConnected();
    RequirePassive();
    FileReader file(descriptor);
    if (remoteName.empty()) {
        throw Error("No remote file name given.");
    }
    const std::string command = FtpCommand("STOR", remoteName);
    // A failed listing may have left the text type behind; uploads go in
    // the configured type so binary files arrive unchanged.
    if (m_currentType != m_transferType) {
        SetType(m_transferType);
    }
    const std::uint16_t port = PreparePassiveTransfer(command);
    SendLine(command);
    ByteStream data;
    try {
        data = OpenDataConnection(port);
        SecureDataConnection(data);
    } catch (const Error&) {
        // The server waits for a connection that will not come.
        m_control.Close();
        throw;
    }
    ReadReply(SteadyClock::now() + ReadLimit(), {110, 125, 150});

    std::optional<Error> sendFailure;
    try {
        std::array<char, 65536> chunk;
        while (const std::size_t count = file.Read(chunk.data(), chunk.size())) {
            data.SendAll(std::string_view(chunk.data(), count), TransferLimit());
        }
        data.FinishSending(TransferLimit());
    } catch (const Error& error) {
        // The server may already have closed the data connection; what it
        // says about the transfer is still read so the conversation stays
        // in step. An upload that did not send the whole file fails, even
        // when the server reports success.
        sendFailure = error;
    }
    data.Close();
    ReadReply(SteadyClock::now() + ReadLimit(), {226, 225, 250});
    if (sendFailure) {
        throw Error(std::string("Upload incomplete: ") + sendFailure->what());
    }
}

std::string FtpClient::ReceiveListing(std::string_view command) {
    const std::uint16_t port = PreparePassiveTransfer(command);
    ByteStream data = OpenDataConnection(port);
    SendLine(command);
    try {
        // Servers start TLS on a data connection only once they have the
        // command it is for.
        SecureDataConnection(data);
    } catch (const Error&) {
        // A server refusing the listing drops the data connection; its
        // reply then tells why, and the conversation goes on.
        ReadReply(SteadyClock::now() + ReadLimit(), {125, 150, 154});
        m_control.Close();
        throw;
    }
    ReadReply(SteadyClock::now() + ReadLimit(), {125, 150, 154});

    std::string listing;
    std::optional<Error> receiveFailure;
    try {
        std::array<char, 65536> chunk;
        while (const std::size_t count =
                   data.Receive(chunk.data(), chunk.size(), SteadyClock::now() + TransferLimit())) {
            if (listing.size() + count > kMaxListingSize) {
                throw Error("Name listing too long.");
            }
            listing.append(chunk.data(), count);
        }
    } catch (const Error& error) {
        receiveFailure = error;
    }
    data.Close();
    ReadReply(SteadyClock::now() + ReadLimit(), {226, 225, 250});
    if (receiveFailure) {
        throw *receiveFailure;
    }
    return listing;
}

void FtpClient::ListNames(std::string_view pattern) {
    RequireConnected();
    RequirePassive();
    const std::string_view trimmed = Trimmed(pattern);
    const std::string command = trimmed.empty() ? "NLST" : FtpCommand("NLST", trimmed);
    const bool switchType = m_currentType != FtpTransferType::ftASCII;
    if (switchType) {
        SetType(FtpTransferType::ftASCII);
    }
    std::string listing;
    try {
        listing = ReceiveListing(command);
    } catch (const Error&) {
        if (switchType && m_control.IsOpen()) {
            // The listing's failure is the one reported; should switching
            // back fail too, the next upload sets the type again.
            try {
                SetType(FtpTransferType::ftBinary);
            } catch (const Error&) {
            }
        }
        throw;
    }
    if (switchType) {
        SetType(FtpTransferType::ftBinary);
    }
    m_nameList = SplitLines(listing);
}

std::vector<TRemoteEntry> FtpClient::ListEntries() {
    RequireConnected();
    RequirePassive();
    // MLSD goes as 8-bit text whatever TYPE says (RFC 3659, 7.2).
    return ParseMachineListing(ReceiveListing("MLSD"));
}

void FtpClient::Disconnect() {
    if (!m_control.IsOpen()) {
        return;
    }
    try {
        const auto deadline = SteadyClock::now() + ReadLimit();
        SendLine("QUIT");
        if (m_control.ReplyArrivesWithin(kQuitReplyWait)) {
            m_lastReply = m_control.ReadReply(deadline);
        }
    } catch (const Error&) {
        m_control.Close();
        throw;
    }
    m_control.Close();
}

} // namespace quillery
