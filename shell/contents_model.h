#pragma once

#include "store/contents_tree.h"

#include <QAbstractItemModel>
#include <QPixmap>

namespace quillery {

// The contents tree as Qt sees it: a view straight onto the store's nodes
// (each index points at its TTreeNode), kept in step by the tree's observer
// calls. Nothing is copied, so a site of any size opens at once.
class TContentsModel final : public QAbstractItemModel, private TTreeObserver {
    Q_OBJECT
public:
    TContentsModel(QObject* parent, TContentsTree& tree);
    ~TContentsModel() override;
    Q_DISABLE_COPY_MOVE(TContentsModel)

    TContentsTree& Tree() const { return m_tree; }
    static TTreeNode* NodeOf(const QModelIndex& index);
    QModelIndex IndexOf(const TTreeNode* node) const;

    // While quiet, title and expansion changes are not announced: for
    // expanding or collapsing everything, after which the view is told once.
    void SetQuiet(bool quiet) { m_quiet = quiet; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // A node's expanded flag may have changed; the view follows it.
    void ExpansionChanged(const QModelIndex& index, bool expanded);

private:
    void NodesAboutToBeInserted(TTreeNode* parent, int first, int last) override;
    void NodesInserted(TTreeNode* parent, int first, int last) override;
    void NodesAboutToBeRemoved(TTreeNode* parent, int first, int last) override;
    void NodesRemoved(TTreeNode* parent, int first, int last) override;
    void NodeAboutToBeMoved(TTreeNode* node, TTreeNode* srcParent, int srcRow, TTreeNode* dstParent,
                            int dstRow) override;
    void NodeMoved(TTreeNode* node, TTreeNode* srcParent, int srcRow, TTreeNode* dstParent,
                   int dstRow) override;
    void NodeChanged(TTreeNode* node) override;
    void TreeAboutToBeReset() override;
    void TreeReset() override;

    TContentsTree& m_tree;
    QPixmap m_images[4];
    bool m_quiet = false;
};

} // namespace quillery
