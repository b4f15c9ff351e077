#include "store/contents_tree.h"

#include <QUuid>
#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>

namespace quillery {

// ---- TTreeNode ----------------------------------------------------------------

TTreeNode* TTreeNode::Parent() const {
    // The hidden top node is the only node without a parent.
    return m_parent && m_parent->m_parent ? m_parent : nullptr;
}

int TTreeNode::Level() const {
    int level = 0;
    for (const TTreeNode* p = m_parent; p && p->m_parent; p = p->m_parent)
        ++level;
    return level;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
    return m_parent && m_row > 0 ? m_parent->Child(m_row - 1) : nullptr;
}

TTreeNode* TTreeNode::GetNextSibling() const {
    return m_parent && m_row + 1 < m_parent->Count() ? m_parent->Child(m_row + 1) : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (HasChildren())
        return Child(0);
    for (const TTreeNode* n = this; n && n->m_parent; n = n->m_parent)
        if (TTreeNode* s = n->GetNextSibling())
            return s;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
    TTreeNode* prev = GetPrevSibling();
    if (!prev)
        return Parent();
    while (prev->HasChildren())
        prev = prev->GetLastChild();
    return prev;
}

bool TTreeNode::IsDescendantOf(const TTreeNode* other) const {
    for (const TTreeNode* n = this; n; n = n->m_parent)
        if (n == other)
            return true;
    return false;
}

void TTreeNode::SetText(std::string text) {
    m_text = std::move(text);
    m_tree->NotifyChanged(this);
}

void TTreeNode::SetExpanded(bool expanded) {
    if (m_expanded == expanded)
        return;
    m_expanded = expanded;
    m_tree->NotifyChanged(this);
}

// ---- TContentsTree --------------------------------------------------------------

namespace {
constexpr std::size_t kSlabNodes = 512;
} // namespace

TContentsTree::TContentsTree() : m_top(new TTreeNode(this)) {}

TContentsTree::~TContentsTree() {
    DestroyAll();
}

TTreeNode* TContentsTree::NewNode() {
    void* place;
    if (m_free) {
        place = m_free;
        std::memcpy(&m_free, place, sizeof m_free);
    } else {
        if (m_slabs.empty() || m_slabUsed == kSlabNodes) {
            m_slabs.push_back(std::make_unique<unsigned char[]>(kSlabNodes * sizeof(TTreeNode)));
            m_slabUsed = 0;
        }
        place = m_slabs.back().get() + m_slabUsed++ * sizeof(TTreeNode);
    }
    return new (place) TTreeNode(this);
}

void TContentsTree::DeleteNode(TTreeNode* node) {
    node->~TTreeNode();
    void* place = node;
    std::memcpy(place, &m_free, sizeof m_free); // the place links to the next free one
    m_free = place;
}

// Destroys every node (no recursion, so any depth will do) and releases the
// slabs.
void TContentsTree::DestroyAll() {
    std::vector<TTreeNode*> pending;
    pending.swap(m_top->m_children);
    while (!pending.empty()) {
        TTreeNode* n = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), n->m_children.begin(), n->m_children.end());
        n->~TTreeNode();
    }
    m_slabs.clear();
    m_slabUsed = 0;
    m_free = nullptr;
    m_count = 0;
}

template <class F> void TContentsTree::Notify(F&& f) {
    if (m_resetDepth > 0)
        return;
    // Copy: an observer may remove itself while being told.
    const std::vector<TTreeObserver*> observers = m_observers;
    for (TTreeObserver* o : observers)
        f(*o);
}

TTreeNode* TContentsTree::Outer(TTreeNode* owner) {
    return owner->m_parent ? owner : nullptr;
}

void TContentsTree::NotifyChanged(TTreeNode* node) {
    Notify([&](TTreeObserver& o) { o.NodeChanged(node); });
}

void TContentsTree::AddObserver(TTreeObserver* observer) {
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void TContentsTree::RemoveObserver(TTreeObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

void TContentsTree::BeginReset() {
    Notify([](TTreeObserver& o) { o.TreeAboutToBeReset(); });
    ++m_resetDepth;
}

void TContentsTree::EndReset() {
    assert(m_resetDepth > 0);
    --m_resetDepth;
    Notify([](TTreeObserver& o) { o.TreeReset(); });
}

TTreeNode* TContentsTree::AddChild(TTreeNode* parent, std::string text, TTreeRec rec) {
    return InsertChild(parent, ListOwner(parent)->Count(), std::move(text), std::move(rec));
}

TTreeNode* TContentsTree::InsertChild(TTreeNode* parent, int row, std::string text, TTreeRec rec) {
    TTreeNode* owner = ListOwner(parent);
    row = std::clamp(row, 0, owner->Count());
    Notify([&](TTreeObserver& o) { o.NodesAboutToBeInserted(parent, row, row); });
    TTreeNode* raw = NewNode();
    raw->m_text = std::move(text);
    raw->m_rec = std::move(rec);
    raw->m_parent = owner;
    raw->m_row = row;
    if (row == owner->Count())
        owner->m_children.push_back(raw);
    else
        owner->m_children.insert(owner->m_children.begin() + row, raw);
    for (int i = row + 1; i < owner->Count(); ++i)
        owner->Child(i)->m_row = i;
    ++m_count;
    Notify([&](TTreeObserver& o) { o.NodesInserted(parent, row, row); });
    return raw;
}

TTreeNode* TContentsTree::NewItem(TTreeNode* selected) {
    TTreeNode* parent = nullptr;
    if (selected)
        parent = selected->Expanded() ? selected : selected->Parent();
    TTreeRec rec;
    rec.FileName = GuidFileStem() + ".htm";
    rec.Date = QDateTime::currentDateTime();
    return AddChild(parent, std::string(), std::move(rec));
}

bool TContentsTree::RemoveLeaf(TTreeNode* node) {
    if (!node || node->HasChildren())
        return false;
    TTreeNode* owner = node->m_parent;
    TTreeNode* parent = Outer(owner);
    const int row = node->m_row;
    Notify([&](TTreeObserver& o) { o.NodesAboutToBeRemoved(parent, row, row); });
    owner->m_children.erase(owner->m_children.begin() + row);
    for (int i = row; i < owner->Count(); ++i)
        owner->Child(i)->m_row = i;
    DeleteNode(node);
    --m_count;
    Notify([&](TTreeObserver& o) { o.NodesRemoved(parent, row, row); });
    return true;
}

void TContentsTree::Clear() {
    BeginReset();
    DestroyAll();
    EndReset();
}

// dstRow as beginMoveRows counts it: in the destination list while the node
// is still in its old place.
void TContentsTree::Move(TTreeNode* node, TTreeNode* dstOwner, int dstRow) {
    TTreeNode* srcOwner = node->m_parent;
    const int srcRow = node->m_row;
    TTreeNode* srcParent = Outer(srcOwner);
    TTreeNode* dstParent = Outer(dstOwner);
    Notify([&](TTreeObserver& o) {
        o.NodeAboutToBeMoved(node, srcParent, srcRow, dstParent, dstRow);
    });
    TTreeNode* held = srcOwner->m_children[std::size_t(srcRow)];
    srcOwner->m_children.erase(srcOwner->m_children.begin() + srcRow);
    int insertAt = dstRow;
    if (srcOwner == dstOwner && dstRow > srcRow)
        --insertAt;
    held->m_parent = dstOwner;
    dstOwner->m_children.insert(dstOwner->m_children.begin() + insertAt, held);
    // Renumber the affected stretches only.
    if (srcOwner == dstOwner) {
        const int lo = std::min(srcRow, insertAt), hi = std::max(srcRow, insertAt);
        for (int i = lo; i <= hi; ++i)
            dstOwner->Child(i)->m_row = i;
    } else {
        for (int i = srcRow; i < srcOwner->Count(); ++i)
            srcOwner->Child(i)->m_row = i;
        for (int i = insertAt; i < dstOwner->Count(); ++i)
            dstOwner->Child(i)->m_row = i;
    }
    Notify([&](TTreeObserver& o) { o.NodeMoved(node, srcParent, srcRow, dstParent, dstRow); });
    if (dstParent)
        dstParent->SetExpanded(true);
}

bool TContentsTree::MoveUp(TTreeNode* node) {
    if (!node || !node->GetPrevSibling())
        return false;
    Move(node, node->m_parent, node->m_row - 1);
    return true;
}

bool TContentsTree::MoveDown(TTreeNode* node) {
    TTreeNode* next = node ? node->GetNextSibling() : nullptr;
    if (!next)
        return false;
    // Before the next sibling's next sibling, or appended to the same list:
    // either way the row after next, counted before the move.
    Move(node, node->m_parent, next->m_row + 1);
    return true;
}

bool TContentsTree::MoveRight(TTreeNode* node) {
    TTreeNode* prev = node ? node->GetPrevSibling() : nullptr;
    if (!prev)
        return false;
    Move(node, prev, prev->Count());
    return true;
}

bool TContentsTree::MoveLeft(TTreeNode* node) {
    TTreeNode* parent = node ? node->Parent() : nullptr;
    if (!parent)
        return false;
    // Before the parent's next sibling, or appended to the parent's list:
    // either way just after the parent.
    Move(node, parent->m_parent, parent->m_row + 1);
    return true;
}

void TContentsTree::FullExpand() {
    for (TTreeNode* n = GetFirstNode(); n; n = n->GetNext())
        n->SetExpanded(true);
}

void TContentsTree::FullCollapse() {
    for (TTreeNode* n = GetFirstNode(); n; n = n->GetNext())
        n->SetExpanded(false);
}

// ---- Free functions -------------------------------------------------------------

TTreeActions UpdateTreeActions(const TTreeNode* selected) {
    assert(selected);
    TTreeActions a;
    const bool onlyRoot =
        selected == selected->Tree().GetFirstNode() && !selected->GetNextSibling();
    a.DeleteItem = !selected->HasChildren() && !onlyRoot;
    a.Down = selected->GetNextSibling() != nullptr;
    a.Up = selected->GetPrevSibling() != nullptr;
    a.Right = a.Up;
    a.Left = selected->Parent() != nullptr;
    return a;
}

int TreeImageIndex(const TTreeNode* node) {
    if (!node->HasChildren())
        return 1;
    return node->Expanded() ? 3 : 0;
}

std::string GuidFileStem() {
    const QByteArray text = QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toLower();
    return text.toStdString();
}

} // namespace quillery
