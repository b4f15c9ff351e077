#pragma once

// The site folder, its file names, the document skeleton and the
// publication states of its files.
//
// Paths are QString OS paths; sitePath always ends in '/'. A file name read
// from the model (Windows-1251) becomes a path with FileNameFromModel and must
// pass IsBareFileName before it is joined to sitePath.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <time.h>
#include <vector>

namespace quillery {

// ---- Names ------------------------------------------------------------------

// Every byte/character is an ASCII letter, digit, '-', '.' or '_' (the empty
// name counts as plain: no character breaks the rule; callers test for empty).
bool IsPlainFileName(std::string_view name);
bool IsPlainFileName(QStringView name);

// A name that stays inside the folder: not empty, not "." or "..", no '/'
// and no NUL. Names from `index` that fail it are never used as paths.
bool IsBareFileName(std::string_view name);
bool IsBareFileName(QStringView name);

// sitePath + name, or an empty QString when name is not bare.
QString SiteFilePath(const QString& sitePath, QStringView name);

// True when path's folder is the site folder, comparing without regard to
// ASCII case (as paths are compared throughout). path need not exist.
bool IsInSiteFolder(const QString& path, const QString& sitePath);

// A regular file (folders do not count) of that name exists in the site
// folder, hidden files included, temporary files `.~quillery-*` excluded;
// names compared without regard to ASCII case (the folder may hold both
// Photo.jpg and photo.jpg on this file system; either one counts).
bool SiteFileExists(const QString& sitePath, QStringView name);

// Lower-case GUID stem + extension (the extension as given, with its '.',
// ASCII lower-cased). Extension may be empty.
QString GuidFileName(QStringView extension);

// The extension of a file name including its full stop: from its last '.'
// to the end ("" when there is no '.'; ".htaccess" is all extension).
QString FileExtension(QStringView fileName);

// A path on either side of its last '/': the folder with its '/' ("" when
// there is none), and the name after it.
QString FolderPart(QStringView path);
QString FileNamePart(QStringView path);

// The imported-file name rule: the source's own name, ASCII lower-cased, when
// the source lies outside the site folder, no file of that name exists in the
// site folder (SiteFileExists) and the name is plain; otherwise
// GuidFileName(source's extension). Empty when sourcePath has no file name.
QString ImportedFileName(const QString& sourcePath, const QString& sitePath);

// ---- Writing site files -------------------------------------------------------

// The seven CR LF lines of a new document.
QByteArray DocumentSkeleton();

// Writes data atomically to sitePath + name and leaves it changed (the state
// is set on the temporary file before the rename, so no crash can leave new
// content marked published). Throws Error when name is not bare (an empty
// FileName would name the folder itself) or the write fails.
void WriteSiteFile(const QString& sitePath, QStringView name, const QByteArray& data);

// Puts the temporary file of an atomic write (TAtomicFile::Descriptor()) in
// the changed state before it is renamed over its target. False when the
// file system refused (the caller then uses SetChanged after the rename).
bool MarkTemporaryFileChanged(int fd);

// Puts the temporary file of an atomic write in the published state, with
// its content as it is now, before it is renamed. False when refused.
bool MarkTemporaryFilePublished(int fd);

// Creates sitePath + fileName with DocumentSkeleton(), changed. Throws Error.
void CreateDocumentSkeleton(const QString& sitePath, QStringView fileName);

// Copies a local file into the site folder under name (temporary file,
// renamed), then changed. Returns false (and writes nothing) when the source
// cannot be read or the copy fails; reports nothing: the next leave tries again.
bool CopyFileIntoSite(const QString& sourcePath, const QString& sitePath, QStringView name);

// ---- Publication states ---------------------------------------------------------

// Windows attribute words, as the publisher reads and writes them.
enum : std::uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
};

// The word a listing reports for the file: the extended attribute
// `user.quillery.attrib` (hex text, "0x80"; a published word also records the
// file's size and modification time when it was marked, and reads 0x80 once
// they no longer match), no attribute meaning normal (0x80: a file written
// by another program is sent), plus 0x01 when the owner lacks write
// permission. A word without any bit reads 0x80.
// Unreadable or unknown text reads 0x80 (changed). On a file system that
// refuses user extended attributes every file reads 0x80 (changed) unless
// this process set its state (see below). A missing file reads 0.
std::uint32_t FileAttributes(const QString& path);

// Published test of the publisher: no bit other than archive.
constexpr bool IsPublishedWord(std::uint32_t word) {
    return word != 0 && (word & ~0x20u) == 0;
}
// Discarded: exactly hidden.
constexpr bool IsDiscardedWord(std::uint32_t word) {
    return word == kAttrHidden;
}

// Sets the word exactly: read-only becomes the owner's write permission,
// the rest is stored in the extended attribute; 0 means normal (0x80).
// A missing file: no effect, nothing reported. Returns false when the state
// could not be stored (see the refusal handler).
bool SetFileAttributes(const QString& path, std::uint32_t word);
bool SetChanged(const QString& path);   // clear all attributes (0x80)
bool SetDiscarded(const QString& path); // exactly hidden (0x02)
bool SetPublished(const QString& path); // exactly archive (0x20)

// A site file held open while it is uploaded. The upload reads this very
// file, whatever happens to the path meanwhile, and the file becomes
// published only after the server confirmed it, and only if it is still the
// file at its path and was not written since it was opened: a crash before
// the confirmation, or a write during the upload, leaves it changed so the
// next publishing sends it again.
class TUploadFile final {
public:
    // Throws Error when the file cannot be opened for reading or is not a
    // regular file.
    explicit TUploadFile(const QString& path);
    ~TUploadFile();
    TUploadFile(const TUploadFile&) = delete;
    TUploadFile& operator=(const TUploadFile&) = delete;

    int Descriptor() const { return m_fd; }
    // Sets the file published (exactly archive, read-only cleared). False,
    // leaving the state as it is, when the file was written or replaced
    // since it was opened.
    bool MarkPublished();

private:
    QByteArray m_key;
    int m_fd = -1;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    off_t m_size = 0;
    timespec m_mtime{};
};

// File systems without user extended attributes (ramfs, FAT, some network
// mounts): the store stays safe. States this process sets are kept in memory
// for the run (so a file discarded in this run is purged at close and one
// published in this run is not sent twice); every other file there reads as
// changed, so nothing is skipped by the publisher and nothing not discarded
// is ever deleted. The first refusal in the process calls the handler once,
// synchronously, with a Russian message for the user (a UI should queue the
// message box rather than open it inside the call).
void SetAttributeRefusalHandler(std::function<void(const std::string& utf8Message)> handler);
extern const char kAttributeRefusalMessage[]; // UTF-8

// ---- Listing and clean-up ------------------------------------------------------

struct TSiteFile {
    QString Name;             // bare file name as on disk
    std::uint32_t Attributes; // FileAttributes() of it
};

enum class TListMode {
    Publish,    // folders, hidden (0x02) and system (0x04) files excluded
    WithHidden, // hidden included; folders and system files excluded
};

// Regular files directly in the site folder (symbolic links to regular files
// count), temporary files `.~quillery-*` excluded, in name order (bytes).
// A folder that cannot be read lists nothing.
std::vector<TSiteFile> ListSiteFiles(const QString& sitePath, TListMode mode);

// The files of the site itself rather than of any document: `index`,
// `index.txt` and the site's own pages (index.html, site.css, site.js). A
// document may link to them but never gives them up. Names compared without
// regard to ASCII case.
bool IsSiteOwnFile(QStringView name);

// Marks a file that a document no longer uses as discarded, unless it is one
// of the site's own files or its name is not bare.
void DiscardDocumentFile(const QString& sitePath, QStringView name);

// Clean-up at close: every file whose word is exactly hidden is reset to
// normal and deleted; failures are ignored. Files with more attributes stay.
void PurgeDiscardedFiles(const QString& sitePath);

namespace testing {
// Makes every extended-attribute call behave as on a file system without
// them (EOPNOTSUPP), and forgets the in-memory states and the once-only
// notice. For tests only.
void SimulateAttributeRefusal(bool refuse);
void ResetAttributeRefusalState();
} // namespace testing

} // namespace quillery
