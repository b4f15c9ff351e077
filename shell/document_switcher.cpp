#include "shell/document_switcher.h"

#include "editor/engine.h"
#include "shell/jpeg_codec.h"
#include "shell/note_panel.h"
#include "shell/site_references.h"
#include "store/ascii.h"
#include "store/contents_tree.h"
#include "store/error.h"
#include "store/index_file.h"
#include "store/site_folder.h"
#include "store/text_codec.h"

#include <QAction>
#include <QFileInfo>
#include <QImage>

namespace quillery {
namespace {

const QString kBlank = QStringLiteral("about:blank");

void AddOwnedName(QStringList& list, const QString& reference, const QString& sitePath) {
    const QString name = OwnedNameOfReference(reference, sitePath);
    if (!name.isEmpty())
        list.append(name);
}

// A note is kept on one line: every line-break character becomes a blank.
QString OneLine(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return text;
}

} // namespace

void CheckNodeFileNames(const TNodeNames& names) {
    const QString& title = names.Title;
    const QString& fileName = names.FileName;
    if (fileName.isEmpty())
        throw Error(QStringLiteral("У документа «%1» в оглавлении не указан файл, документ не "
                                   "открыт.")
                        .arg(title)
                        .toStdString());
    for (const QString& name : {fileName, names.ThumbName}) {
        if (!name.isEmpty() && !IsBareFileName(name))
            throw Error(QStringLiteral("Документ «%1» не открыт: имя файла «%2» в оглавлении "
                                       "указывает за пределы папки сайта.")
                            .arg(title, name)
                            .toStdString());
    }
}

TDocumentSwitcher::TDocumentSwitcher(TSwitchState& state, TContentsTree& tree, Engine& engine,
                                     TNotePanel& notePanel, QAction& showBorder,
                                     QString shortDateFormat)
    : m_state(state), m_tree(tree), m_engine(engine), m_notePanel(notePanel),
      m_showBorder(showBorder), m_shortDateFormat(std::move(shortDateFormat)) {}

QString TDocumentSwitcher::DocumentPath(const TTreeNode& node) const {
    return SiteFilePath(m_state.SitePath, FileNameFromModel(node.Rec().FileName));
}

void TDocumentSwitcher::SaveContents() {
    quillery::SaveContents(m_tree, m_state.SitePath, m_shortDateFormat);
}

void TDocumentSwitcher::TreeViewChange(TTreeNode* node) {
    try {
        Open(node);
    } catch (...) {
        m_state.SwitchAllowed = true;
        m_state.DocumentLoaded = false;
        m_openNode = nullptr;
        m_notePanel.setEnabled(false);
        // Nothing half-opened stays editable; the first error is the one shown.
        try {
            m_engine.Navigate(kBlank);
        } catch (const Error&) {
        }
        throw;
    }
}

void TDocumentSwitcher::Open(TTreeNode* node) {
    m_state.SwitchAllowed = false;
    m_state.DocumentLoaded = false;
    m_openNode = nullptr;
    // Until this document is open nothing is owned: a failed or unfinished
    // opening must not let a deletion discard the previous document's files.
    m_state.OwnedFiles.clear();
    m_engine.WaitForEngine();
    m_engine.Navigate(kBlank);

    TNodeNames names = NamesOf(*node);
    CheckNodeFileNames(names);
    const QString path = SiteFilePath(m_state.SitePath, names.FileName);
    const QFileInfo file(path);
    if (!file.exists())
        CreateDocumentSkeleton(m_state.SitePath, file.fileName());
    else if (!file.isFile())
        throw Error(
            QStringLiteral("«%1» не является файлом, документ не открыт.").arg(path).toStdString());

    m_notePanel.SetNote(FromCp1251(node->Rec().Note));
    m_notePanel.SetDate(node->Rec().Date.date());
    ShowThumbnail(*node, names);

    m_engine.Navigate(path);
    m_engine.WaitForEngine();
    if (m_observer)
        m_observer->Loaded(*node, names);
    if (m_engine.DesignMode() == QLatin1String("Inherit")) {
        m_engine.Exec(TargetCommand::ShowZeroBorders);
        m_showBorder.setChecked(true);
        m_engine.WaitForEngine();
        m_engine.setDesignMode(QStringLiteral("On"));
        m_engine.WaitForEngine();
    }
    m_engine.setCharset(QStringLiteral("windows-1251"));
    m_engine.setTitle(names.Title);

    m_openNode = node;
    if (m_updateTreeActions)
        m_updateTreeActions();
    if (m_refillStyleList)
        m_refillStyleList();
    m_state.OwnedFiles = OwnedFilesOf(names.FileName, names.ThumbName);
    SetChanged(path);
    m_notePanel.setEnabled(true);
    m_state.SwitchAllowed = true;
    m_state.DocumentLoaded = true;
    if (m_observer)
        m_observer->Opened(*node);
}

void TDocumentSwitcher::ForgetOpenNode() {
    if (m_openNode && m_observer)
        m_observer->Deleted(*m_openNode);
    m_openNode = nullptr;
}

void TDocumentSwitcher::ShowThumbnail(TTreeNode& node, TNodeNames& names) {
    const QString& name = names.ThumbName;
    const QString path = name.isEmpty() ? QString() : SiteFilePath(m_state.SitePath, name);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        node.Rec().ThumbName.clear();
        names.ThumbName.clear();
        m_notePanel.SetThumbFileName(QString());
        m_notePanel.ShowThumb(QImage());
        return;
    }
    m_notePanel.SetThumbFileName(name);
    m_notePanel.SetThumbInitialFolder(m_state.SitePath);
    QFile file(path);
    QImage picture;
    // An unreadable picture shows the placeholder but stays the thumbnail:
    // it must not keep the document from opening.
    if (file.open(QIODevice::ReadOnly)) {
        try {
            picture = DecodeJpeg(file.readAll());
        } catch (const Error&) {
        }
    }
    m_notePanel.ShowThumb(picture);
    m_notePanel.DelImage()->setEnabled(true);
}

void TDocumentSwitcher::TreeViewChanging(TTreeNode* selected, bool& allowChange) {
    allowChange = m_state.SwitchAllowed;
    if (!m_state.DocumentLoaded)
        return;
    m_state.SwitchAllowed = false;
    m_state.DocumentLoaded = false;
    try {
        if (selected && !selected->Rec().FileName.empty())
            Leave(selected);
    } catch (...) {
        // The document is still in the engine with its edits: stay on it,
        // so the next leaving saves it again.
        m_state.SwitchAllowed = true;
        m_state.DocumentLoaded = true;
        allowChange = false;
        throw;
    }
    m_state.SwitchAllowed = allowChange;
    m_state.DocumentLoaded = true;
}

void TDocumentSwitcher::Leave(TTreeNode* selected) {
    TTreeNode& node = *selected;
    m_engine.WaitForEngine();
    m_engine.setTitle(FromCp1251(node.Text()));
    node.Rec().Note = ToCp1251(OneLine(m_notePanel.Note()));
    const QDateTime old = node.Rec().Date;
    node.Rec().Date = QDateTime(m_notePanel.Date(), old.isValid() ? old.time() : QTime(0, 0));
    StoreThumbnail(node);
    SaveContents();
    ImportReferences();
    DiscardDroppedFiles(node);
    m_engine.ExecWB(WebCommand::Save);
    m_engine.WaitForEngine();
    SetChanged(DocumentPath(node));
    if (m_observer)
        m_observer->Saved(node);
}

void TDocumentSwitcher::StoreThumbnail(TTreeNode& node) {
    const QString chosen = m_notePanel.ThumbFileName();
    const QString name = FileNamePart(chosen);
    if (AsciiEqualNoCase(name, FileNameFromModel(node.Rec().ThumbName)))
        return;
    if (name.isEmpty()) {
        node.Rec().ThumbName.clear();
        return;
    }
    const QString stored = ImportedFileName(chosen, m_state.SitePath);
    WriteSiteFile(m_state.SitePath, stored, EncodeJpeg(m_notePanel.Thumb()->Picture()));
    node.Rec().ThumbName = ToCp1251(stored);
    // From now on the dialog names the stored file, as after opening.
    m_notePanel.SetThumbFileName(stored);
    m_notePanel.SetThumbInitialFolder(m_state.SitePath);
}

void TDocumentSwitcher::ImportReferences() {
    const QString& site = m_state.SitePath;
    const QStringList sources = m_engine.imageSources();
    QList<UrlRewrite> images;
    for (int i = 0; i < sources.size(); ++i)
        if (const auto text = ImportReference(sources[i], site, m_state.OwnedFiles))
            images.append({i, *text});
    if (!images.isEmpty())
        m_engine.setImageSources(images);

    const QStringList targets = m_engine.linkTargets();
    QList<UrlRewrite> links;
    for (int i = 0; i < targets.size(); ++i)
        if (const auto text = ImportLinkTarget(targets[i], site, m_state.OwnedFiles))
            links.append({i, *text});
    if (!links.isEmpty())
        m_engine.setLinkTargets(links);
}

void TDocumentSwitcher::DiscardDroppedFiles(const TTreeNode& node) {
    const QStringList owned = CollectOwnedFiles(&node);
    for (const QString& name : std::as_const(m_state.OwnedFiles)) {
        if (!owned.contains(name))
            DiscardDocumentFile(m_state.SitePath, name);
    }
    m_state.OwnedFiles = owned;
}

QStringList TDocumentSwitcher::CollectOwnedFiles(const TTreeNode* node) {
    return OwnedFilesOf(FileNameFromModel(node->Rec().FileName),
                        FileNameFromModel(node->Rec().ThumbName));
}

QStringList TDocumentSwitcher::OwnedFilesOf(const QString& fileName, const QString& thumbName) {
    QStringList list;
    if (!fileName.isEmpty())
        list.append(AsciiLower(fileName));
    const QString& site = m_state.SitePath;
    for (const QString& source : m_engine.imageSources())
        AddOwnedName(list, source, site);
    if (!thumbName.isEmpty()) {
        const QString path = SiteFilePath(site, thumbName);
        if (!path.isEmpty() && QFileInfo(path).isFile())
            list.append(AsciiLower(thumbName));
    }
    for (const QString& target : m_engine.linkTargets())
        AddOwnedName(list, target, site);
    return list;
}

} // namespace quillery
