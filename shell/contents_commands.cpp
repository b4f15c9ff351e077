#include "shell/contents_commands.h"

#include "shell/asker.h"
#include "shell/contents_model.h"
#include "shell/document_switcher.h"
#include "shell/tree_selection.h"
#include "store/contents_tree.h"
#include "store/site_folder.h"

#include <QTreeView>

namespace quillery {

TContentsCommands::TContentsCommands(TSwitchState& state, TContentsTree& tree,
                                     TContentsModel& model, QTreeView& treeView,
                                     TTreeSelection& selection, TDocumentSwitcher& switcher,
                                     const TActionListEdit& actions)
    : m_state(state), m_tree(tree), m_model(model), m_view(treeView), m_selection(selection),
      m_switcher(switcher), m_actions(actions) {
    // The view's expanded rows and the nodes' expanded flags stay one thing.
    QObject::connect(
        &m_model, &TContentsModel::ExpansionChanged, &m_view,
        [this](const QModelIndex& index, bool expanded) { FollowExpansion(index, expanded); });
    QObject::connect(&m_view, &QTreeView::expanded, &m_view, [](const QModelIndex& index) {
        if (TTreeNode* node = TContentsModel::NodeOf(index))
            node->SetExpanded(true);
    });
    QObject::connect(&m_view, &QTreeView::collapsed, &m_view, [](const QModelIndex& index) {
        if (TTreeNode* node = TContentsModel::NodeOf(index))
            node->SetExpanded(false);
    });
}

void TContentsCommands::FollowExpansion(const QModelIndex& index, bool expanded) {
    if (index.isValid() && m_view.isExpanded(index) != expanded)
        m_view.setExpanded(index, expanded);
}

TTreeNode* TContentsCommands::Selected() const {
    return TContentsModel::NodeOf(m_selection.currentIndex());
}

void TContentsCommands::NewItemExecute() {
    TTreeNode* node = m_tree.NewItem(Selected());
    const QModelIndex index = m_model.IndexOf(node);
    m_selection.setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_view.scrollTo(index);
    m_view.edit(index);
    m_switcher.SaveContents();
}

void TContentsCommands::DeleteItemClick(Asker& asker) {
    if (!m_actions.DeleteItem->isEnabled() || !m_state.SwitchAllowed)
        return;
    if (asker.Confirm(QStringLiteral("Вы действительно хотите удалить?")))
        DeleteItemExecute();
}

void TContentsCommands::DeleteItemExecute() {
    TTreeNode* node = Selected();
    // While a document is being opened or left its node is in use.
    if (!node || node->HasChildren() || !m_state.SwitchAllowed)
        return;
    for (const QString& name : std::as_const(m_state.OwnedFiles))
        DiscardDocumentFile(m_state.SitePath, name);
    m_state.SwitchAllowed = true;
    m_state.DocumentLoaded = false;
    m_switcher.ForgetOpenNode();
    // Move to a neighbour first, so that the removal itself never changes
    // the selection behind the switching steps' back.
    TTreeNode* next = node->GetNextSibling();
    if (!next)
        next = node->GetPrevSibling();
    if (!next)
        next = node->Parent();
    if (next)
        m_selection.setCurrentIndex(m_model.IndexOf(next), QItemSelectionModel::ClearAndSelect);
    m_tree.RemoveLeaf(node);
    m_switcher.SaveContents();
}

void TContentsCommands::AfterMove(TTreeNode* node) {
    if (TTreeNode* parent = node->Parent())
        FollowExpansion(m_model.IndexOf(parent), parent->Expanded());
    const QModelIndex index = m_model.IndexOf(node);
    m_selection.select(index, QItemSelectionModel::ClearAndSelect);
    m_view.scrollTo(index);
    // Enabled first: a failed save must not leave the commands stale.
    UpdateTreeActions();
    m_switcher.SaveContents();
}

void TContentsCommands::UpExecute() {
    if (TTreeNode* node = Selected(); node && m_tree.MoveUp(node))
        AfterMove(node);
}

void TContentsCommands::DownExecute() {
    if (TTreeNode* node = Selected(); node && m_tree.MoveDown(node))
        AfterMove(node);
}

void TContentsCommands::LeftExecute() {
    if (TTreeNode* node = Selected(); node && m_tree.MoveLeft(node))
        AfterMove(node);
}

void TContentsCommands::RightExecute() {
    if (TTreeNode* node = Selected(); node && m_tree.MoveRight(node))
        AfterMove(node);
}

void TContentsCommands::OpenFoldersExecute() {
    m_model.SetQuiet(true);
    m_tree.FullExpand();
    m_model.SetQuiet(false);
    m_view.expandAll();
}

void TContentsCommands::CloseFoldersExecute() {
    m_model.SetQuiet(true);
    m_tree.FullCollapse();
    m_model.SetQuiet(false);
    m_view.collapseAll();
}

void TContentsCommands::SetHeld(bool held) {
    m_held = held;
    UpdateTreeActions();
}

void TContentsCommands::UpdateTreeActions() {
    const TTreeNode* node = m_held ? nullptr : Selected();
    const TTreeActions enabled = node ? quillery::UpdateTreeActions(node) : TTreeActions{};
    m_actions.NewItem->setEnabled(!m_held);
    m_actions.DeleteItem->setEnabled(enabled.DeleteItem);
    m_actions.Up->setEnabled(enabled.Up);
    m_actions.Down->setEnabled(enabled.Down);
    m_actions.Left->setEnabled(enabled.Left);
    m_actions.Right->setEnabled(enabled.Right);
}

} // namespace quillery
