#include "shell/contents_model.h"

#include "shell/artwork.h"
#include "store/text_codec.h"

namespace quillery {

TContentsModel::TContentsModel(QObject* parent, TContentsTree& tree)
    : QAbstractItemModel(parent), m_tree(tree) {
    m_images[int(NodeImage::Collapsed)] = DrawNodeImage(NodeImage::Collapsed);
    m_images[int(NodeImage::Leaf)] = DrawNodeImage(NodeImage::Leaf);
    m_images[int(NodeImage::Expanded)] = DrawNodeImage(NodeImage::Expanded);
    m_tree.AddObserver(this);
}

TContentsModel::~TContentsModel() {
    m_tree.RemoveObserver(this);
}

TTreeNode* TContentsModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TContentsModel::IndexOf(const TTreeNode* node) const {
    if (!node)
        return {};
    return createIndex(node->Index(), 0, const_cast<TTreeNode*>(node));
}

QModelIndex TContentsModel::index(int row, int column, const QModelIndex& parent) const {
    const TTreeNode* owner = NodeOf(parent);
    if (column != 0 || row < 0 || row >= m_tree.ChildCount(owner))
        return {};
    return createIndex(row, 0, m_tree.ChildAt(owner, row));
}

QModelIndex TContentsModel::parent(const QModelIndex& child) const {
    const TTreeNode* node = NodeOf(child);
    return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TContentsModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return m_tree.ChildCount(NodeOf(parent));
}

int TContentsModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool TContentsModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant TContentsModel::data(const QModelIndex& index, int role) const {
    const TTreeNode* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return FromCp1251(node->Text());
    case Qt::DecorationRole:
        return m_images[TreeImageIndex(node)];
    default:
        return {};
    }
}

bool TContentsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TTreeNode* node = NodeOf(index);
    if (!node || role != Qt::EditRole)
        return false;
    const QString title = value.toString();
    if (!FitsCp1251(title))
        return false;
    node->SetText(ToCp1251(title));
    return true;
}

Qt::ItemFlags TContentsModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void TContentsModel::NodesAboutToBeInserted(TTreeNode* parent, int first, int last) {
    beginInsertRows(IndexOf(parent), first, last);
}

void TContentsModel::NodesInserted(TTreeNode* parent, int, int) {
    endInsertRows();
    // The parent may just have gained its first child: its image changes.
    if (parent) {
        const QModelIndex index = IndexOf(parent);
        emit dataChanged(index, index, {Qt::DecorationRole});
    }
}

void TContentsModel::NodesAboutToBeRemoved(TTreeNode* parent, int first, int last) {
    beginRemoveRows(IndexOf(parent), first, last);
}

void TContentsModel::NodesRemoved(TTreeNode* parent, int, int) {
    endRemoveRows();
    if (parent) {
        const QModelIndex index = IndexOf(parent);
        emit dataChanged(index, index, {Qt::DecorationRole});
    }
}

void TContentsModel::NodeAboutToBeMoved(TTreeNode*, TTreeNode* srcParent, int srcRow,
                                        TTreeNode* dstParent, int dstRow) {
    beginMoveRows(IndexOf(srcParent), srcRow, srcRow, IndexOf(dstParent), dstRow);
}

void TContentsModel::NodeMoved(TTreeNode*, TTreeNode* srcParent, int, TTreeNode* dstParent, int) {
    endMoveRows();
    for (TTreeNode* parent : {srcParent, dstParent}) {
        if (parent) {
            const QModelIndex index = IndexOf(parent);
            emit dataChanged(index, index, {Qt::DecorationRole});
        }
    }
}

void TContentsModel::NodeChanged(TTreeNode* node) {
    if (m_quiet)
        return;
    const QModelIndex index = IndexOf(node);
    emit dataChanged(index, index);
    emit ExpansionChanged(index, node->Expanded());
}

void TContentsModel::TreeAboutToBeReset() {
    beginResetModel();
}

void TContentsModel::TreeReset() {
    endResetModel();
}

} // namespace quillery
