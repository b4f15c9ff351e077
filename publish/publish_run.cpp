#include "publish/publish_run.h"

#include "publish/ftp_client.h"
#include "publish/ftp_error.h"
#include "store/ascii.h"
#include "store/contents_tree.h"
#include "store/index_file.h"
#include "store/site_folder.h"
#include "store/text_codec.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace quillery {
namespace {

using Kind = TPublishEntry::Kind;
using Type = TRemoteEntry::Type;

constexpr char kIndexName[] = "index";
constexpr char kTemporaryPrefix[] = "_quillery-";
constexpr std::size_t kTemporaryPrefixSize = sizeof kTemporaryPrefix - 1;
// Deleting more than this many files, and more than half of what the
// server holds, is asked first.
constexpr std::size_t kUnaskedDeletions = 10;
// The question names at most this many files, then how many more.
constexpr int kQuestionNames = 20;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

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

bool IsFileEntry(const TRemoteEntry& entry) {
    return entry.type != Type::Folder && IsPlainRemoteName(entry.name) &&
           !IsTemporaryRemoteName(entry.name);
}

// The document and thumbnail names of an index file; none when it cannot
// be read.
std::vector<QString> IndexLinks(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    TContentsTree tree;
    ReadContents(std::string_view(bytes.constData(), std::size_t(bytes.size())), tree,
                 QStringLiteral("dd.MM.yyyy"), QDateTime(), nullptr);
    std::vector<QString> links;
    for (TTreeNode* node = tree.IsEmpty() ? nullptr : tree.Root(0); node; node = node->GetNext()) {
        for (const std::string* name : {&node->Rec().FileName, &node->Rec().ThumbName}) {
            const QString local = FileNameFromModel(*name);
            if (IsBareFileName(QStringView(local)))
                links.push_back(local);
        }
    }
    return links;
}

} // namespace

void ConfigureForPublishing(FtpClient& client) {
    client.SetPassive(true);
    client.SetAutoLogin(true);
    client.SetReadTimeout(std::chrono::milliseconds(0));
}

std::string TemporaryRemoteName(const std::string& finalName) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", unsigned(QRandomGenerator::global()->generate()));
    return kTemporaryPrefix + std::string(digits) + '-' + finalName;
}

bool IsTemporaryRemoteName(const std::string& name) {
    if (name.size() <= kTemporaryPrefixSize + 9 || !name.starts_with(kTemporaryPrefix) ||
        name[kTemporaryPrefixSize + 8] != '-')
        return false;
    return std::all_of(name.begin() + kTemporaryPrefixSize, name.begin() + kTemporaryPrefixSize + 8,
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

TPublishRun::TPublishRun(TRemoteFolder& folder, QString sitePath, TFtpAccount account,
                         TPublishProgress& progress, std::stop_token stop)
    : m_folder(folder), m_sitePath(std::move(sitePath)), m_account(std::move(account)),
      m_progress(progress), m_stop(std::move(stop)) {}

TPublishReport TPublishRun::Run() {
    m_report.host = m_account.Host;
    m_report.dir = m_account.Dir;

    m_progress.Step();
    if (!Connect()) {
        Finish(m_report.declinedStatus.isEmpty() ? TPublishOutcome::ConnectFailed
                                                 : TPublishOutcome::Declined);
        return m_report;
    }
    m_progress.Step();
    if (!Ended() && !OpenDirectory()) {
        Finish(TPublishOutcome::DirectoryFailed);
        return m_report;
    }
    m_progress.Step();
    if (!Ended())
        List();
    m_progress.Step();
    if (!Ended()) {
        RemoveLeftovers();
        Plan();
        m_progress.Planned(int(m_queue.size() + 1 + m_deletions.size()));
        SendFiles();
        SendIndex();
        DeleteStale();
    }
    m_folder.Disconnect();
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
        m_folder.Connect(m_account, {m_sitePath, [this](const QString& question) {
                                         return m_progress.Ask(question);
                                     }});
        m_report.protection = m_folder.Protection();
        return true;
    } catch (const TDeclinedError& declined) {
        m_report.connectionError = Reason(declined);
        m_report.declinedStatus = declined.Status();
    } catch (const std::exception& error) {
        m_report.connectionError = Reason(error);
    }
    m_folder.Disconnect();
    return false;
}

bool TPublishRun::OpenDirectory() {
    try {
        m_folder.Open(m_account.Dir.toStdString());
        return true;
    } catch (const std::exception& error) {
        m_report.connectionError = Reason(error);
    }
    m_folder.Disconnect();
    return false;
}

void TPublishRun::List() {
    try {
        m_listing = m_folder.List();
    } catch (const std::exception& error) {
        Fail(QStringLiteral("*"), "список файлов", error);
    }
    for (const TRemoteEntry& entry : m_listing)
        if (IsFileEntry(entry))
            m_onServer.insert(entry.name);
}

// What a killed run left behind is no site file and no failure.
void TPublishRun::RemoveLeftovers() {
    int removed = 0;
    for (const TRemoteEntry& entry : m_listing) {
        if (Ended() || entry.type == Type::Folder || !IsTemporaryRemoteName(entry.name))
            continue;
        try {
            m_folder.Delete(entry.name);
            ++removed;
        } catch (const std::exception& error) {
            if (!m_folder.Connected())
                m_lostReason = Reason(error);
        }
    }
    if (removed > 0)
        m_report.remarks.push_back(
            Utf8("Удалены временные файлы прерванной публикации: %1.").arg(removed));
}

void TPublishRun::Plan() {
    for (const TRemoteEntry& entry : m_listing) {
        if (!IsPlainRemoteName(entry.name) || IsTemporaryRemoteName(entry.name) ||
            SiteFileExists(m_sitePath, LocalText(entry.name)))
            continue;
        if (entry.type == Type::Folder)
            m_report.entries.push_back({Kind::KeptFolder, LocalText(entry.name), {}});
        else
            m_deletions.push_back(entry);
    }
    m_index = {QString::fromLatin1(kIndexName), kIndexName, {}, true};
    // Remote files by their lower-case name; the first in the listing wins.
    std::unordered_map<std::string, const std::string*> byLowerName;
    for (const TRemoteEntry& entry : m_listing)
        if (IsFileEntry(entry))
            byLowerName.emplace(AsciiLower(entry.name), &entry.name);
    for (const TSiteFile& file : ListSiteFiles(m_sitePath, TListMode::Publish)) {
        const std::string remote = RemoteName(file.Name);
        m_local.insert(remote);
        const auto match = byLowerName.find(remote);
        const bool listed = match != byLowerName.end();
        Upload upload{file.Name, remote, {}, false};
        if (listed && *match->second != remote)
            upload.mismatchedRemote = *match->second;
        else if (!IsPublishedWord(file.Attributes))
            upload.markPublished = true;
        else if (listed && remote != kIndexName)
            continue; // up to date
        if (remote == kIndexName) {
            // Sent in every run, and published once it is on the server.
            m_index = upload;
            m_index.markPublished = true;
        } else {
            m_queue.push_back(std::move(upload));
        }
    }
}

bool TPublishRun::Ended() const {
    return m_stop.stop_requested() || !m_lostReason.isEmpty();
}

// What was not tried is said, file by file.
void TPublishRun::NotTried(const QString& name, const char* what) {
    if (!m_lostReason.isEmpty())
        m_report.entries.push_back(
            {Kind::Failed, name, Utf8(what) + QStringLiteral(": ") + m_lostReason});
    else
        m_report.entries.push_back({Kind::Skipped, name, Utf8(what)});
}

void TPublishRun::Hold(const QString& name, const QString& why) {
    m_report.entries.push_back({Kind::Held, name, why});
}

void TPublishRun::Advance() {
    m_progress.Step();
    m_progress.Advanced(++m_done);
}

void TPublishRun::SendFiles() {
    while (!m_queue.empty()) {
        const Upload upload = std::move(m_queue.front());
        m_queue.pop_front();
        if (Ended()) {
            NotTried(upload.local, "не отправлен");
            continue;
        }
        Send(upload);
        Advance();
    }
}

void TPublishRun::SendIndex() {
    if (Ended()) {
        NotTried(m_index.local, "не отправлен");
        return;
    }
    const QStringList missing = MissingIndexLinks();
    if (!missing.isEmpty()) {
        Hold(m_index.local, Utf8("не отправлен: на сервере нет файлов, которые он называет: ") +
                                missing.join(QStringLiteral(", ")));
    } else {
        m_indexSent = Send(m_index);
    }
    Advance();
}

QStringList TPublishRun::MissingIndexLinks() const {
    QStringList missing;
    for (const QString& link : IndexLinks(m_sitePath + m_index.local)) {
        const std::string remote = RemoteName(link);
        if (m_local.contains(remote) && !m_onServer.contains(remote) && !missing.contains(link))
            missing << link;
    }
    return missing;
}

void TPublishRun::DeleteStale() {
    if (m_deletions.empty())
        return;
    const auto holdAll = [this](const QString& why) {
        for (const TRemoteEntry& entry : m_deletions)
            Hold(LocalText(entry.name), why);
    };
    if (Ended()) {
        for (const TRemoteEntry& entry : m_deletions)
            NotTried(LocalText(entry.name), "не удалён");
        return;
    }
    if (!m_indexSent) {
        holdAll(Utf8("не удалён: index не отправлен"));
        return;
    }
    // A folder that went away (an unplugged disk, a lost share) lacks every
    // file: nothing may be deleted for that.
    if (!QFileInfo(m_sitePath).isDir() || !SiteFileExists(m_sitePath, u"index")) {
        holdAll(Utf8("не удалён: папка сайта недоступна или в ней нет index"));
        return;
    }
    if (DeletionsNeedQuestion() && !m_progress.Ask(DeletionQuestion())) {
        for (const TRemoteEntry& entry : m_deletions)
            m_report.entries.push_back({Kind::Kept, LocalText(entry.name), {}});
        return;
    }
    for (const TRemoteEntry& entry : m_deletions) {
        if (Ended()) {
            NotTried(LocalText(entry.name), "не удалён");
            continue;
        }
        Delete(entry);
        Advance();
    }
}

// A directory that held no index is not this site's yet (a first
// publication, or a wrong Dir); deleting most of a directory is no usual
// clean-up either.
bool TPublishRun::DeletionsNeedQuestion() const {
    const bool hadIndex = std::any_of(m_listing.begin(), m_listing.end(), [](const auto& e) {
        return IsFileEntry(e) && AsciiEqualNoCase(std::string_view(e.name), kIndexName);
    });
    const auto files = std::count_if(m_listing.begin(), m_listing.end(), IsFileEntry);
    const std::size_t count = m_deletions.size();
    return !hadIndex || (count > kUnaskedDeletions && count * 2 > std::size_t(files));
}

QString TPublishRun::DeletionQuestion() const {
    QString text = Utf8("Удалить с сервера файлы, которых нет в папке сайта?") + u'\n';
    const int count = int(m_deletions.size());
    for (int i = 0; i < std::min(count, kQuestionNames); ++i)
        text += u'\n' + LocalText(m_deletions[std::size_t(i)].name);
    if (count > kQuestionNames)
        text += u'\n' + Utf8("… и ещё %1").arg(count - kQuestionNames);
    return text + u'\n' + u'\n' + Utf8("Всего файлов: %1").arg(count);
}

void TPublishRun::Delete(const TRemoteEntry& entry) {
    const QString name = LocalText(entry.name);
    try {
        m_folder.Delete(entry.name);
        m_report.entries.push_back({Kind::Deleted, name, {}});
        return;
    } catch (const std::exception& error) {
        // A refused deletion of a name that is a folder on the server is no
        // failure: sites often share the directory with the host's own folders.
        bool folder = false;
        if (entry.type == Type::Unknown) {
            try {
                folder = m_folder.IsFolder(entry.name);
            } catch (const std::exception& lost) {
                folder = true;
                m_lostReason = Reason(lost);
            }
        }
        if (folder)
            m_report.entries.push_back({Kind::KeptFolder, name, {}});
        else
            Fail(name, "удаление", error);
    }
}

bool TPublishRun::Send(const Upload& upload) {
    try {
        TUploadFile file(m_sitePath + upload.local);
        StoreWhole(file.Descriptor(), upload);
        m_onServer.insert(upload.remote);
        QString detail;
        if (upload.markPublished && !file.MarkPublished())
            detail = Utf8("изменён во время отправки, будет отправлен снова");
        m_report.entries.push_back({Kind::Uploaded, upload.local, detail});
        return true;
    } catch (const std::exception& error) {
        Fail(upload.local, "отправка", error);
    }
    return false;
}

// The file reaches its final name whole: uploaded under a temporary name,
// then renamed over the old file. Where the server refuses that, the old
// file is deleted first, or, as the last resort, the file is sent under its
// final name.
void TPublishRun::StoreWhole(int descriptor, const Upload& upload) {
    const auto dropMismatched = [&] {
        if (upload.mismatchedRemote.empty())
            return;
        m_folder.Delete(upload.mismatchedRemote);
        m_onServer.erase(upload.mismatchedRemote);
    };
    if (m_replace == Replace::Direct) {
        dropMismatched();
        m_onServer.erase(upload.remote);
        m_folder.Store(descriptor, upload.remote);
        return;
    }
    const std::string temporary = TemporaryRemoteName(upload.remote);
    try {
        m_folder.Store(descriptor, temporary);
    } catch (const std::exception&) {
        if (m_folder.Connected()) {
            try {
                m_folder.Delete(temporary);
            } catch (const std::exception&) {
                // Maybe never created; a later run removes what is left.
            }
        }
        throw;
    }
    dropMismatched();
    RenameIntoPlace(descriptor, temporary, upload.remote);
}

void TPublishRun::RenameIntoPlace(int descriptor, const std::string& temporary,
                                  const std::string& remote) {
    const bool exists = m_onServer.contains(remote);
    if (m_replace == Replace::DeleteThenRename && exists) {
        m_folder.Delete(remote);
        m_onServer.erase(remote);
    }
    try {
        m_folder.Rename(temporary, remote);
        return;
    } catch (const std::exception&) {
        if (!m_folder.Connected())
            throw;
    }
    if (m_replace == Replace::Rename && exists) {
        try {
            m_folder.Delete(remote);
            m_onServer.erase(remote);
            m_folder.Rename(temporary, remote);
            m_replace = Replace::DeleteThenRename;
            m_report.remarks.push_back(
                Utf8("Сервер не переименовывает файл поверх существующего: прежний файл "
                     "удалялся перед переименованием нового."));
            return;
        } catch (const std::exception&) {
            if (!m_folder.Connected())
                throw;
        }
    }
    m_folder.Delete(temporary);
    m_onServer.erase(remote);
    m_folder.Store(descriptor, remote);
    // Only once a direct upload worked: a refusal of this one name says
    // nothing about the server.
    m_replace = Replace::Direct;
    m_report.remarks.push_back(
        Utf8("Сервер не переименовывает файлы: они отправлены сразу под своими именами, без "
             "временного имени."));
}

void TPublishRun::Fail(const QString& name, const char* operation, const std::exception& error) {
    m_report.entries.push_back(
        {Kind::Failed, name, Utf8(operation) + QStringLiteral(": ") + Reason(error)});
    if (!m_folder.Connected() && m_lostReason.isEmpty())
        m_lostReason = Reason(error);
}

void TPublishRun::Finish(TPublishOutcome outcome) {
    m_report.outcome = outcome;
    m_report.finished = QDateTime::currentDateTime();
}

} // namespace quillery
