#pragma once

// The settings store, an INI-style view (key = file, section =
// group, entry = key) over QSettings in INI format.
//
// Where things live: the program key is the QSettings
// file of organisation "Brakvel", application "Quillery"
// (<config>/Brakvel/Quillery.ini). A site key path "/a/b" is the file
// <config>/Brakvel/Quillery/a/b/_key.ini (one folder per path component; a
// component beginning with '_' is stored with one more '_' in front, so no
// component can meet a key file); the root key "/" is
// <config>/Brakvel/Quillery/_key.ini. <config> is QSettings' user path for
// the INI format, so tests redirect everything with
// QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir).
//
// Every key file is created with owner-only permissions (0600, folders 0700)
// and kept so, since a site key holds the FTP password.

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

class QSettings;

namespace quillery {

inline constexpr char kOrganisation[] = "Brakvel";
inline constexpr char kApplication[] = "Quillery";

// One use of a key: opening creates the key when missing; the destructor
// writes what was written and closes it. Nothing is cached between uses:
// open a new view for each use.
class TIniView {
public:
    // The program key (recent folders).
    static TIniView ProgramKey();
    // A key path as SiteKeyPath makes ("/" or "/a/b", '/'-separated).
    explicit TIniView(const QString& keyPath);
    ~TIniView();
    TIniView(TIniView&&) noexcept;
    TIniView& operator=(TIniView&&) noexcept;

    // Entry text, or def when the section or the entry is absent. Never
    // creates the section.
    QString ReadText(const QString& section, const QString& entry, const QString& def = {}) const;
    void WriteText(const QString& section, const QString& entry, const QString& text);
    // The same for model text (Windows-1251 bytes; stored decoded, so the INI
    // file is UTF-8). ReadString throws Error when the stored text has a
    // character Windows-1251 cannot hold (only a hand-edited file can).
    std::string ReadString(const QString& section, const QString& entry,
                           const std::string& def = {}) const;
    void WriteString(const QString& section, const QString& entry, const std::string& text);

    // Writes pending changes now (the destructor does it too). Throws Error
    // when the file cannot be written.
    void Close();

    QString FilePath() const; // the INI file behind the key

private:
    TIniView() = default;
    void Open(const QString& filePath);
    QString m_path;
    std::unique_ptr<QSettings> m_settings;
};

// The site key path of a site folder: the path without a drive designation
// ("C:" at the front, kept for Windows-style input) and without its trailing
// delimiter; the root folder "/" gives "/", the top of the store.
QString SiteKeyPath(const QString& sitePath);

// The key file of a key path (see the top of this file).
QString KeyFilePath(const QString& keyPath);

// Section and entry names of the program key and the site keys.
inline constexpr char kSectionLastDirs[] = "LastDirs";
inline constexpr char kSectionStatus[] = "Status";
inline constexpr char kEntrySync[] = "Sync";
inline constexpr char kSectionFtp[] = "FTP";
inline constexpr char kEntryHost[] = "Host";
inline constexpr char kEntryUsername[] = "Username";
inline constexpr char kEntryPassword[] = "Password";
inline constexpr char kEntryDir[] = "Dir";
extern const char kDefaultSyncStatus[]; // "Синхронизация не проводилась" (UTF-8)

// Recent folders, reading: entries "0".."11" of LastDirs, each kept when it
// names an existing folder, in entry order. The list stores paths ASCII
// lower-cased; on this case-sensitive file system a stored text
// names a folder when each of its components matches one on disk exactly or,
// failing that, without regard to ASCII case (the first such in byte order),
// and the folder's real path is returned, ending in '/'.
QStringList ReadRecentFolders();

// Recent folders, writing: the skip-count algorithm. chosen is the
// confirmed folder, shown the list as the dialog showed it (ReadRecentFolders'
// result). Entry "0" := chosen with '/' added when missing, lower-cased; then
// positions 0..10 of shown with the skip count; higher entries left alone.
void WriteRecentFolders(const QString& chosen, const QStringList& shown);

// Resolves a path as described for ReadRecentFolders; empty when no folder.
QString ResolveFolderNoCase(const QString& path);

// Adds '/' when text does not end in one.
QString IncludeTrailingDelimiter(const QString& text);

} // namespace quillery
