#include "publish/publish_run.h"

#include "publish/ftp_client.h"
#include "publish/ftp_error.h"
#include "publish/ftp_host.h"
#include "publish/site_trust.h"
#include "publish/tls_error.h"
#include "store/ascii.h"
#include "store/site_folder.h"

#include <QFile>
#include <algorithm>

namespace quillery {
namespace {

using Kind = TPublishEntry::Kind;

constexpr char kIndexName[] = "index";

// The server's reply as the user reads it, or the client's own reason.
QString Reason(const std::exception& error) {
    if (const auto* reply = dynamic_cast<const FtpError*>(&error)) {
        QString text = QString::number(reply->Code());
        for (const std::string& line : reply->Text())
            text += u' ' + QString::fromStdString(line);
        return text;
    }
    return QString::fromUtf8(error.what());
}

// Remote names are the local name's bytes with A to Z lower-cased.
std::string RemoteName(const QString& local) {
    return AsciiLower(QFile::encodeName(local).toStdString());
}

QString LocalText(const std::string& remote) {
    return QFile::decodeName(QByteArray::fromStdString(remote));
}

// A name listed without a directory or drive part.
bool IsPlainRemoteName(const std::string& entry) {
    return !entry.empty() && entry != "." && entry != ".." &&
           entry.find_first_of("/\\:") == std::string::npos;
}

} // namespace

void ConfigureForPublishing(FtpClient& client) {
    client.SetPassive(true);
    client.SetAutoLogin(true);
    client.SetReadTimeout(std::chrono::milliseconds(0));
}

TPublishRun::TPublishRun(FtpClient& client, QString sitePath, TFtpAccount account,
                         TPublishProgress& progress, std::stop_token stop)
    : m_client(client), m_sitePath(std::move(sitePath)), m_account(std::move(account)),
      m_progress(progress), m_stop(std::move(stop)) {}

TPublishReport TPublishRun::Run() {
    m_report.host = m_account.Host;
    m_report.dir = m_account.Dir;
    const auto ended = [this] {
        return m_stop.stop_requested() || !m_lostReason.isEmpty();
    };

    m_progress.Step();
    if (!Connect()) {
        Finish(m_report.declinedStatus.isEmpty() ? TPublishOutcome::ConnectFailed
                                                 : TPublishOutcome::Declined);
        return m_report;
    }
    m_progress.Step();
    if (!ended() && !ChangeDirectory()) {
        Finish(TPublishOutcome::DirectoryFailed);
        return m_report;
    }
    m_progress.Step();
    if (!ended())
        UploadIndex();
    m_progress.Step();
    if (!ended())
        ListRemoteNames();
    m_progress.Step();
    if (!ended()) {
        const std::vector<Operation> plan = Plan();
        m_progress.Planned(int(plan.size()));
        Execute(plan);
    }
    Disconnect();
    if (!m_lostReason.isEmpty())
        Finish(TPublishOutcome::ConnectionLost);
    else if (m_stop.stop_requested())
        Finish(TPublishOutcome::Stopped);
    else
        Finish(TPublishOutcome::Completed);
    return m_report;
}

bool TPublishRun::Connect() {
    try {
        const TFtpEndpoint endpoint = ParseFtpHost(m_account.Host.toStdString());
        m_client.SetHost(endpoint.host);
        m_client.SetPort(endpoint.port);
        m_client.SetSecurity(endpoint.implicitTls ? FtpSecurity::ImplicitTls
                                                  : FtpSecurity::ExplicitTls);
        m_client.SetUsername(m_account.Username.toStdString());
        m_client.SetPassword(m_account.Password.toStdString());
        ConnectTrusting();
        NoteProtection();
        return true;
    } catch (const std::exception& error) {
        m_report.connectionError = Reason(error);
    }
    Disconnect();
    return false;
}

void TPublishRun::ConnectTrusting() {
    // A Yes settles one question; a server that raises new ones each time
    // (a certificate changing on every connection) is not followed forever.
    for (int attempt = 0;; ++attempt) {
        const TSiteTrust trust = ReadSiteTrust(m_sitePath);
        m_client.SetClearTextAllowed(trust.clearTextAllowed);
        m_client.SetPinnedCertificate(trust.pinnedCertificate);
        try {
            m_client.Connect();
            return;
        } catch (const TlsRefusedError&) {
            if (attempt == 2 || !m_progress.Ask(ClearTextQuestion())) {
                m_report.declinedStatus = QString::fromUtf8(kClearTextDeclinedStatus);
                throw;
            }
            AllowClearText(m_sitePath);
        } catch (const UntrustedCertificateError& untrusted) {
            if (attempt == 2 || !m_progress.Ask(CertificateQuestion(untrusted))) {
                m_report.declinedStatus = QString::fromUtf8(kCertificateDeclinedStatus);
                throw;
            }
            PinCertificate(m_sitePath, untrusted.Certificate().fingerprint);
        }
    }
}

void TPublishRun::NoteProtection() {
    if (m_client.TlsProtocol().empty()) {
        m_report.protection = QString::fromUtf8("без шифрования (разрешено для этого сайта)");
        return;
    }
    m_report.protection =
        QString::fromStdString(m_client.TlsProtocol()) +
        QString::fromUtf8(m_client.CertificatePinned() ? ", сертификат закреплён для этого сайта"
                                                       : ", сертификат проверен");
}

bool TPublishRun::ChangeDirectory() {
    try {
        m_client.ChangeDirectory(m_account.Dir.toStdString());
        return true;
    } catch (const std::exception& error) {
        m_report.connectionError = Reason(error);
    }
    Disconnect();
    return false;
}

void TPublishRun::UploadIndex() {
    const QString index = QString::fromLatin1(kIndexName);
    if (!Upload(index, kIndexName, true))
        SetChanged(m_sitePath + index);
}

void TPublishRun::ListRemoteNames() {
    try {
        try {
            m_client.ListNames("*");
        } catch (const FtpError& refused) {
            // Some servers take the argument for a file name, not a pattern;
            // a listing without one names the current directory everywhere.
            if (refused.Code() < 500 || !m_client.Connected())
                throw;
            m_client.ListNames("");
        }
        m_names = m_client.NameList();
    } catch (const std::exception& error) {
        Fail(QStringLiteral("*"), "список файлов", error);
    }
}

std::vector<TPublishRun::Operation> TPublishRun::Plan() const {
    std::vector<Operation> plan;
    for (const std::string& entry : m_names) {
        if (IsPlainRemoteName(entry) && !SiteFileExists(m_sitePath, LocalText(entry)))
            plan.push_back({Operation::Kind::Delete, entry, {}, {}, false});
    }
    for (const TSiteFile& file : ListSiteFiles(m_sitePath, TListMode::Publish)) {
        const std::string remote = RemoteName(file.Name);
        const auto match = std::find_if(m_names.begin(), m_names.end(), [&](const std::string& e) {
            return AsciiEqualNoCase(std::string_view(e), std::string_view(remote));
        });
        const bool listed = match != m_names.end();
        if (listed && *match != remote)
            plan.push_back({Operation::Kind::Upload, remote, file.Name, *match, false});
        else if (!IsPublishedWord(file.Attributes))
            plan.push_back({Operation::Kind::Upload, remote, file.Name, {}, true});
        else if (!listed)
            plan.push_back({Operation::Kind::Upload, remote, file.Name, {}, false});
    }
    return plan;
}

void TPublishRun::Execute(const std::vector<Operation>& plan) {
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const bool stopped = m_stop.stop_requested() && m_lostReason.isEmpty();
        if (stopped || !m_lostReason.isEmpty()) {
            // What was not tried is said, file by file.
            for (std::size_t j = i; j < plan.size(); ++j) {
                const Operation& op = plan[j];
                const bool upload = op.kind == Operation::Kind::Upload;
                const QString name = upload ? op.local : LocalText(op.remote);
                const QString what = QString::fromUtf8(upload ? "не отправлен" : "не удалён");
                if (stopped)
                    m_report.entries.push_back({Kind::Skipped, name, what});
                else
                    m_report.entries.push_back(
                        {Kind::Failed, name, what + QStringLiteral(": ") + m_lostReason});
            }
            return;
        }
        Perform(plan[i]);
        m_progress.Advanced(int(i + 1));
    }
}

void TPublishRun::Perform(const Operation& op) {
    if (op.kind == Operation::Kind::Delete) {
        Delete(op.remote, true);
        m_progress.Step();
        return;
    }
    if (!op.mismatchedRemote.empty()) {
        Delete(op.mismatchedRemote, false);
        m_progress.Step();
        if (!m_lostReason.isEmpty()) {
            m_report.entries.push_back(
                {Kind::Failed, op.local, QString::fromUtf8("не отправлен: ") + m_lostReason});
            return;
        }
    }
    Upload(op.local, op.remote, op.markPublished);
    m_progress.Step();
}

void TPublishRun::Delete(const std::string& remote, bool mayBeFolder) {
    try {
        m_client.DeleteRemoteFile(remote);
        m_report.entries.push_back({Kind::Deleted, LocalText(remote), {}});
    } catch (const std::exception& error) {
        if (mayBeFolder && IsRemoteFolder(remote))
            m_report.entries.push_back({Kind::KeptFolder, LocalText(remote), {}});
        else
            Fail(LocalText(remote), "удаление", error);
    }
}

bool TPublishRun::Upload(const QString& local, const std::string& remote, bool markPublished) {
    try {
        TUploadFile file(m_sitePath + local);
        m_client.StoreFile(file.Descriptor(), remote);
        QString detail;
        if (markPublished && !file.MarkPublished())
            detail = QString::fromUtf8("изменён во время отправки, будет отправлен снова");
        m_report.entries.push_back({Kind::Uploaded, local, detail});
        return true;
    } catch (const std::exception& error) {
        Fail(local, "отправка", error);
    }
    return false;
}

// A refused deletion of a name that is a folder on the server is no
// failure: sites often share the directory with the host's own folders.
// Changing into it tells; the way back is the absolute working directory.
bool TPublishRun::IsRemoteFolder(const std::string& remote) {
    if (!m_client.Connected())
        return false;
    if (!m_workingDirectory) {
        try {
            m_workingDirectory = m_client.PrintWorkingDirectory();
        } catch (const std::exception&) {
            m_workingDirectory = std::string();
        }
    }
    if (m_workingDirectory->empty() || !m_client.Connected())
        return false;
    try {
        m_client.ChangeDirectory(remote);
    } catch (const std::exception&) {
        return false;
    }
    try {
        m_client.ChangeDirectory(*m_workingDirectory);
    } catch (const std::exception& error) {
        // Anything sent now would land in the wrong directory.
        m_lostReason =
            QString::fromUtf8("не удалось вернуться в директорию на сервере: ") + Reason(error);
    }
    return true;
}

void TPublishRun::Fail(const QString& name, const char* operation, const std::exception& error) {
    m_report.entries.push_back(
        {Kind::Failed, name, QString::fromUtf8(operation) + QStringLiteral(": ") + Reason(error)});
    if (!m_client.Connected() && m_lostReason.isEmpty())
        m_lostReason = Reason(error);
}

void TPublishRun::Disconnect() {
    try {
        m_client.Disconnect();
    } catch (const std::exception&) {
        // The run is over either way; the connection is closed.
    }
}

void TPublishRun::Finish(TPublishOutcome outcome) {
    m_report.outcome = outcome;
    m_report.finished = QDateTime::currentDateTime();
}

} // namespace quillery
