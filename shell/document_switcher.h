#pragma once

#include "shell/node_names.h"
#include "shell/switch_state.h"

#include <QString>
#include <QStringList>
#include <functional>

class QAction;

namespace quillery {

class Engine;
class TContentsTree;
class TNotePanel;
class TTreeNode;

// Told of the current document's life, for recovery copies.
class TDocumentObserver {
public:
    virtual ~TDocumentObserver() = default;
    // The document is in the engine and the note panel filled; it is not
    // open for editing yet. names: the node's names as read for this opening.
    virtual void Loaded(TTreeNode& node, const TNodeNames& names) = 0;
    virtual void Opened(TTreeNode& node) = 0;
    // Leaving wrote the document, its note and the index.
    virtual void Saved(const TTreeNode& node) = 0;
    // The document is being deleted: nothing of it is kept.
    virtual void Deleted(const TTreeNode& node) = 0;
};

// Opening and leaving the current document: the engine loads the node's
// file in design mode and the note panel shows its record; leaving writes
// the panel back, stores a new thumbnail, writes the index, brings outside
// files into the site folder, discards files no longer used and has the
// engine save the document.
class TDocumentSwitcher final {
public:
    TDocumentSwitcher(TSwitchState& state, TContentsTree& tree, Engine& engine,
                      TNotePanel& notePanel, QAction& showBorder, QString shortDateFormat);
    Q_DISABLE_COPY_MOVE(TDocumentSwitcher)

    // Run after each document has been opened: the enabling of the tree
    // commands, then the refill of the paragraph-style list.
    void SetAfterOpen(std::function<void()> updateTreeActions) {
        m_updateTreeActions = std::move(updateTreeActions);
    }
    void SetRefillStyleList(std::function<void()> refillStyleList) {
        m_refillStyleList = std::move(refillStyleList);
    }
    void SetObserver(TDocumentObserver* observer) { m_observer = observer; }

    // Opening the document of node. On failure the flags are freed, no
    // document is loaded, the note panel is disabled and the error rethrown.
    void TreeViewChange(TTreeNode* node);
    // Leaving the document of selected (the selected node). allowChange tells
    // the tree whether it may change its selection. On failure the document
    // stays loaded, the change is refused, the flags are freed and the error
    // rethrown.
    void TreeViewChanging(TTreeNode* selected, bool& allowChange);
    // Lower-case names of every file node's document owns, read from the
    // document loaded in the engine.
    QStringList CollectOwnedFiles(const TTreeNode* node);

    // The node whose document was last opened (null before the first).
    TTreeNode* OpenNode() const { return m_openNode; }
    // The open document is being deleted: it is never saved.
    void ForgetOpenNode();

    void SaveContents();

private:
    void Open(TTreeNode* node);
    void Leave(TTreeNode* selected);
    void ShowThumbnail(TTreeNode& node, TNodeNames& names);
    void StoreThumbnail(TTreeNode& node);
    void ImportReferences();
    void DiscardDroppedFiles(const TTreeNode& node);
    QStringList OwnedFilesOf(const QString& fileName, const QString& thumbName);
    QString DocumentPath(const TTreeNode& node) const;

    TSwitchState& m_state;
    TContentsTree& m_tree;
    Engine& m_engine;
    TNotePanel& m_notePanel;
    QAction& m_showBorder;
    QString m_shortDateFormat;
    TTreeNode* m_openNode = nullptr;
    std::function<void()> m_updateTreeActions;
    std::function<void()> m_refillStyleList;
    TDocumentObserver* m_observer = nullptr;
};

// Refuses a node whose FileName or ThumbName from the index would lead
// outside the site folder; throws Error with a message naming it.
void CheckNodeFileNames(const TNodeNames& names);

} // namespace quillery
