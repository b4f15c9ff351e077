#include "shell/recovery_keeper.h"

#include "editor/engine.h"
#include "editor/webengine/document_encoding.h"
#include "shell/asker.h"
#include "shell/note_panel.h"
#include "shell/switch_state.h"
#include "store/contents_tree.h"
#include "store/error.h"
#include "store/text_codec.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <memory>

namespace quillery {
namespace {

QString TitleOf(const TTreeNode& node) {
    return FromCp1251(node.Text());
}

QString FileNameOf(const TTreeNode& node) {
    return FileNameFromModel(node.Rec().FileName);
}

bool NewerThan(const QString& copyPath, const QString& documentPath) {
    const QFileInfo document(documentPath);
    return !document.exists() || QFileInfo(copyPath).lastModified() > document.lastModified();
}

} // namespace

TRecoveryKeeper::TRecoveryKeeper(TSwitchState& state, Engine& engine, TNotePanel& notePanel,
                                 Asker& asker, QObject* parent)
    : QObject(parent), m_state(state), m_engine(engine), m_notePanel(notePanel), m_asker(asker),
      m_folder(RecoveryFolder()) {
    m_poll.setInterval(m_timings.poll);
    connect(&m_poll, &QTimer::timeout, this, &TRecoveryKeeper::Poll);
    connect(&m_notePanel, &TNotePanel::Edited, this, [this] {
        if (m_node && m_state.DocumentLoaded)
            MarkEdited();
    });
    m_engine.setRendererLostHandler([this] { RendererLost(); });
}

TRecoveryKeeper::~TRecoveryKeeper() {
    m_engine.setRendererLostHandler({});
    WaitForWrite();
}

void TRecoveryKeeper::SetTimings(const TTimings& timings) {
    m_timings = timings;
    m_poll.setInterval(m_timings.poll);
}

QString TRecoveryKeeper::CopyPath(const TTreeNode& node) const {
    return RecoveryCopyPath(m_folder, m_state.SitePath, FileNameOf(node));
}

void TRecoveryKeeper::ReportOrphans(const TContentsTree& tree) {
    const std::vector<QString> copies = RecoveryCopiesOfSite(m_folder, m_state.SitePath);
    if (copies.empty())
        return;
    QSet<QString> fileNames;
    for (TTreeNode* node = tree.GetFirstNode(); node; node = node->GetNext())
        fileNames.insert(FileNameOf(*node));
    for (const QString& path : copies) {
        const std::optional<TRecoveryCopy> copy = ReadRecoveryCopy(path);
        if (!copy || fileNames.contains(copy->FileName))
            continue;
        m_asker.ShowWarning(QStringLiteral("Найдена копия несохранённых изменений документа «%1», "
                                           "которого больше нет в оглавлении. Копия сохранена в "
                                           "файле %2")
                                .arg(copy->Title, QDir::toNativeSeparators(path)));
    }
}

// ---- The open document ------------------------------------------------------------

void TRecoveryKeeper::Loaded(TTreeNode& node, const TNodeNames& names) {
    m_node = nullptr;
    ++m_epoch;
    const bool silently = std::exchange(m_recoverSilently, nullptr) == &node;
    const QString path = RecoveryCopyPath(m_folder, m_state.SitePath, names.FileName);
    const std::optional<TRecoveryCopy> copy = ReadRecoveryCopy(path);
    if (!copy)
        return;
    if (!silently) {
        // A copy older than its document is stale: the next leave removes it.
        if (!NewerThan(path, m_state.SitePath + names.FileName))
            return;
        // Enter keeps the work: a reflex must not throw it away.
        if (!m_asker.Confirm(QStringLiteral("Восстановить несохранённые изменения документа «%1»?")
                                 .arg(names.Title),
                             Asker::Answer::Yes)) {
            QFile::remove(path);
            return;
        }
    }
    Recover(*copy);
}

void TRecoveryKeeper::Recover(const TRecoveryCopy& copy) {
    m_engine.replaceContent(
        FromCp1251(std::string_view(copy.Document.constData(), std::size_t(copy.Document.size()))));
    m_notePanel.SetNote(copy.Note);
    if (copy.Date.isValid())
        m_notePanel.SetDate(copy.Date);
    if (copy.Thumbnail == m_notePanel.ThumbFileName())
        return;
    if (copy.Thumbnail.isEmpty()) {
        m_notePanel.DelImageExecute();
    } else if (QFileInfo(copy.Thumbnail).isAbsolute()) {
        // A picture chosen but not stored yet; one that has gone since is
        // no reason to keep the document from opening.
        try {
            m_notePanel.AddImageFromFile(copy.Thumbnail);
        } catch (const Error&) {
        }
    }
}

void TRecoveryKeeper::Opened(TTreeNode& node) {
    m_node = &node;
    ++m_epoch;
    m_edits = -1;
    m_dirtySince.invalidate();
    m_countAsked.invalidate();
    m_markupAsked = false;
    AskEditCount();
    m_poll.start();
}

void TRecoveryKeeper::Saved(const TTreeNode& node) {
    Forget(node);
    // Still open after publishing: edits from now on count anew.
    if (m_node == &node)
        Opened(*m_node);
}

void TRecoveryKeeper::Deleted(const TTreeNode& node) {
    Forget(node);
    if (m_node == &node)
        m_node = nullptr;
}

void TRecoveryKeeper::Forget(const TTreeNode& node) {
    ++m_epoch;
    WaitForWrite();
    QFile::remove(CopyPath(node));
    m_dirtySince.invalidate();
}

// ---- Watching for edits ----------------------------------------------------------

void TRecoveryKeeper::Poll() {
    if (!m_node || !m_state.DocumentLoaded)
        return;
    if (m_countAsked.isValid()) {
        if (m_countAsked.elapsed() >= m_timings.unresponsive.count() && !m_askingUser)
            AskToRestartRenderer();
        return;
    }
    AskEditCount();
    const bool quiet = m_lastEdit.isValid() && m_lastEdit.elapsed() >= m_timings.idle.count();
    const bool dirty = m_dirtySince.isValid();
    const bool overdue = dirty && m_dirtySince.elapsed() >= m_timings.longest.count();
    if (dirty && !m_markupAsked && (quiet || overdue))
        TakeCopy();
}

void TRecoveryKeeper::AskEditCount() {
    m_countAsked.start();
    const quint64 epoch = m_epoch;
    m_engine.requestEditCount([this, epoch](qint64 edits) {
        if (epoch != m_epoch)
            return;
        m_countAsked.invalidate();
        if (m_edits >= 0 && edits != m_edits)
            MarkEdited();
        m_edits = edits;
    });
}

void TRecoveryKeeper::MarkEdited() {
    m_lastEdit.start();
    if (!m_dirtySince.isValid())
        m_dirtySince.start();
}

TRecoveryCopy TRecoveryKeeper::CurrentCopy() const {
    TRecoveryCopy copy;
    copy.SitePath = m_state.SitePath;
    copy.FileName = FileNameOf(*m_node);
    copy.Title = TitleOf(*m_node);
    copy.Note = m_notePanel.Note();
    copy.Date = m_notePanel.Date();
    copy.Thumbnail = m_notePanel.ThumbFileName();
    return copy;
}

void TRecoveryKeeper::TakeCopy() {
    m_dirtySince.invalidate();
    m_markupAsked = true;
    const quint64 epoch = m_epoch;
    m_engine.requestSaveMarkup([this, epoch, copy = CurrentCopy()](const QString& markup) {
        if (epoch != m_epoch)
            return;
        m_markupAsked = false;
        WriteInBackground(copy, markup);
    });
}

void TRecoveryKeeper::CopyNow() {
    if (!m_node || !m_state.DocumentLoaded)
        return;
    TRecoveryCopy copy = CurrentCopy();
    // Shared with the answer, which may come after a renderer that stopped
    // answering made this give up.
    struct TAnswer {
        bool Given = false;
        QString Markup;
    };
    const auto answer = std::make_shared<TAnswer>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    m_engine.requestSaveMarkup([answer, waiting](const QString& markup) {
        answer->Given = true;
        answer->Markup = markup;
        if (waiting)
            waiting->quit();
    });
    QTimer::singleShot(m_timings.unresponsive, &loop, &QEventLoop::quit);
    if (!answer->Given)
        loop.exec();
    if (!answer->Given)
        throw Error("Копия для восстановления не записана: документ не отвечает.");
    WaitForWrite();
    copy.Document = EncodeDocumentCp1251(answer->Markup);
    WriteRecoveryCopy(RecoveryCopyPath(m_folder, copy.SitePath, copy.FileName), copy);
}

void TRecoveryKeeper::WriteInBackground(TRecoveryCopy copy, const QString& markup) {
    WaitForWrite();
    const QString path = RecoveryCopyPath(m_folder, copy.SitePath, copy.FileName);
    m_write =
        std::async(std::launch::async, [this, path, copy = std::move(copy), markup]() mutable {
            QString error;
            try {
                copy.Document = EncodeDocumentCp1251(markup);
                WriteRecoveryCopy(path, copy);
            } catch (const std::exception& failure) {
                error = QString::fromUtf8(failure.what());
            }
            // The destructor waits for this thread, so the object is still here.
            QMetaObject::invokeMethod(
                this, [this, path, error] { CopyDone(path, error); }, Qt::QueuedConnection);
        });
}

// A copy that cannot be written is said once, until one is written again:
// the user should know the edits are not kept, without a box every second.
void TRecoveryKeeper::CopyDone(const QString& path, const QString& error) {
    if (error.isEmpty()) {
        m_failureShown = false;
    } else if (!m_failureShown) {
        m_failureShown = true;
        m_asker.ShowWarning(QStringLiteral("Не удалось записать копию несохранённых изменений: "
                                           "%1. Правки будут записаны в документ, когда вы его "
                                           "покинете.")
                                .arg(error));
    }
    emit CopyWritten(path, error);
}

void TRecoveryKeeper::WaitForWrite() {
    if (m_write.valid())
        m_write.wait();
}

// ---- A renderer that ends or stops answering ----------------------------------------

void TRecoveryKeeper::AskToRestartRenderer() {
    m_askingUser = true;
    const bool restart =
        m_asker.Confirm(QStringLiteral("Документ «%1» не отвечает. Перезапустить редактор? "
                                       "Документ откроется заново с последней копией "
                                       "несохранённых изменений.")
                            .arg(m_node ? TitleOf(*m_node) : QString()));
    m_askingUser = false;
    if (restart)
        m_engine.killRenderer();
    else if (m_countAsked.isValid())
        m_countAsked.start(); // wait as long again
}

void TRecoveryKeeper::RendererLost() {
    TTreeNode* node = m_node;
    m_node = nullptr;
    ++m_epoch;
    m_markupAsked = false;
    m_countAsked.invalidate();
    if (!node)
        return;
    // Nothing may save the broken page over the document.
    m_state.DocumentLoaded = false;
    ReopenWhenFree(node);
}

// Opens the document again once no dialog is up and no document is being
// opened or left.
void TRecoveryKeeper::ReopenWhenFree(TTreeNode* node) {
    if (QApplication::activeModalWidget() || !m_state.SwitchAllowed) {
        QTimer::singleShot(100, this, [this, node] { ReopenWhenFree(node); });
        return;
    }
    const bool hasCopy = QFileInfo::exists(CopyPath(*node));
    m_asker.ShowWarning(
        QStringLiteral("Процесс, показывающий документ «%1», неожиданно завершился. Документ "
                       "будет открыт заново %2")
            .arg(TitleOf(*node),
                 hasCopy ? QStringLiteral("из копии несохранённых изменений; правки последних "
                                          "секунд могли не сохраниться.")
                         : QStringLiteral("из файла; правки после его открытия не сохранились.")));
    m_recoverSilently = hasCopy ? node : nullptr;
    m_state.DocumentLoaded = false;
    if (m_reopen)
        m_reopen(node);
}

} // namespace quillery
