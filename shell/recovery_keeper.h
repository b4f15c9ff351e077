#pragma once

#include "shell/document_switcher.h"
#include "store/recovery_copy.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <future>

namespace quillery {

class Asker;
class Engine;
class TContentsTree;
class TNotePanel;
class TTreeNode;
struct TSwitchState;

// Keeps a recovery copy of the open document while it has edits that are
// not saved: a few seconds after the user stops typing, and at least every
// so often while they type. The engine is only asked, never waited on, and
// the copy is encoded and written on a worker thread, so typing never
// waits for it. Leaving the document normally removes the copy; opening a
// document whose copy is newer than its file offers the copy back. When the
// process that renders the document ends or stops answering, the broken
// page is never saved: the document is opened again from its copy.
class TRecoveryKeeper final : public QObject, public TDocumentObserver {
    Q_OBJECT
public:
    struct TTimings {
        std::chrono::milliseconds poll{1000};          // how often the engine is asked
        std::chrono::milliseconds idle{2500};          // quiet time before a copy
        std::chrono::milliseconds longest{30000};      // most time between copies while typing
        std::chrono::milliseconds unresponsive{15000}; // no answer for this long: not responding
    };

    TRecoveryKeeper(TSwitchState& state, Engine& engine, TNotePanel& notePanel, Asker& asker,
                    QObject* parent);
    // Waits for a copy being written.
    ~TRecoveryKeeper() override;
    Q_DISABLE_COPY_MOVE(TRecoveryKeeper)

    void SetFolder(const QString& folder) { m_folder = folder; }
    void SetTimings(const TTimings& timings);
    // Opens node's document again, from its copy, after the renderer ended.
    void SetReopen(std::function<void(TTreeNode*)> reopen) { m_reopen = std::move(reopen); }

    QString CopyPath(const TTreeNode& node) const;
    // Writes a copy of the open document as it is now, waiting for it: for
    // a close that could not save.
    void CopyNow();
    // Tells the user where the copies are whose documents tree no longer has.
    void ReportOrphans(const TContentsTree& tree);

    void Loaded(TTreeNode& node, const TNodeNames& names) override;
    void Opened(TTreeNode& node) override;
    void Saved(const TTreeNode& node) override;
    void Deleted(const TTreeNode& node) override;

signals:
    // A copy was written (path) or could not be (error not empty).
    void CopyWritten(const QString& path, const QString& error);

private:
    void Poll();
    void AskEditCount();
    void MarkEdited();
    TRecoveryCopy CurrentCopy() const;
    void TakeCopy();
    void WriteInBackground(TRecoveryCopy copy, const QString& markup);
    void CopyDone(const QString& path, const QString& error);
    void WaitForWrite();
    void Forget(const TTreeNode& node);
    void Recover(const TRecoveryCopy& copy);
    void RendererLost();
    void ReopenWhenFree(TTreeNode* node);
    void AskToRestartRenderer();

    TSwitchState& m_state;
    Engine& m_engine;
    TNotePanel& m_notePanel;
    Asker& m_asker;
    QString m_folder;
    TTimings m_timings;
    QTimer m_poll;
    std::function<void(TTreeNode*)> m_reopen;

    TTreeNode* m_node = nullptr; // the open document being watched
    // Bumped whenever the watched document changes or is saved: answers
    // asked for before are dropped.
    quint64 m_epoch = 0;
    qint64 m_edits = -1; // the engine's count last seen; -1 before the first
    QElapsedTimer m_lastEdit;
    QElapsedTimer m_dirtySince; // valid while there are edits no copy holds yet
    QElapsedTimer m_countAsked; // valid while an edit count is awaited
    bool m_markupAsked = false;
    bool m_askingUser = false;
    // Opened again after its renderer ended: its copy is used unasked.
    const TTreeNode* m_recoverSilently = nullptr;
    bool m_failureShown = false; // the user was told a copy could not be written
    std::future<void> m_write;
};

} // namespace quillery
