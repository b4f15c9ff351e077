#pragma once

#include "shell/edit_actions.h"
#include "shell/switch_state.h"

class QModelIndex;
class QTreeView;

namespace quillery {

class Asker;
class TContentsModel;
class TContentsTree;
class TDocumentSwitcher;
class TTreeNode;
class TTreeSelection;

// The contents commands of the tool bar: new and delete document, the four
// moves, expand and collapse, and the enabling of the tree commands.
class TContentsCommands final {
public:
    TContentsCommands(TSwitchState& state, TContentsTree& tree, TContentsModel& model,
                      QTreeView& treeView, TTreeSelection& selection, TDocumentSwitcher& switcher,
                      const TActionListEdit& actions);
    Q_DISABLE_COPY_MOVE(TContentsCommands)

    TTreeNode* Selected() const;

    void NewItemExecute();
    // Asks first; only Yes deletes.
    void DeleteItemClick(Asker& asker);
    void DeleteItemExecute();
    void UpExecute();
    void DownExecute();
    void LeftExecute();
    void RightExecute();
    void OpenFoldersExecute();
    void CloseFoldersExecute();
    // Enables the tree commands by the selected node; while held, the
    // commands that change the contents are all disabled.
    void UpdateTreeActions();
    void SetHeld(bool held);

private:
    void AfterMove(TTreeNode* node);
    void FollowExpansion(const QModelIndex& index, bool expanded);

    TSwitchState& m_state;
    TContentsTree& m_tree;
    TContentsModel& m_model;
    QTreeView& m_view;
    TTreeSelection& m_selection;
    TDocumentSwitcher& m_switcher;
    const TActionListEdit& m_actions;
    bool m_held = false;
};

} // namespace quillery
