#pragma once

// The contents tree, an ordered forest of nodes, each owning one
// TTreeRec. The shell's item model sits directly on this tree (no copy): a
// node's row in its parent is cached, so index()/parent() are O(1), and the
// tree tells its observers before and after every structural change.
//
// Cost of operations (n = siblings of the node involved, d = its depth):
// Child, Index, Parent, siblings, Count: O(1). Level, GetNext, GetPrev: O(d).
// Insertions, removals and moves: O(n) (later siblings' cached rows shift).
// Only FullExpand, FullCollapse, Clear and the destructor visit every node.

#include <QDateTime>
#include <memory>
#include <string>
#include <vector>

namespace quillery {

// Everything the site knows about a document besides its title. Text is
// Windows-1251 bytes.
struct TTreeRec {
    std::string FileName;  // document file, bare name ("<guid>.htm")
    std::string ThumbName; // thumbnail picture file, bare name, or empty
    std::string Note;      // one line
    QDateTime Date;        // index keeps the date part only
    // The date field as read from the index (still escaped) and the date it
    // was read as: while Date keeps that date the field is written back as
    // it was, so a date the locale cannot read is never replaced.
    std::string DateField = {};
    QDate DateFieldRead = {};
};

class TContentsTree;

class TTreeNode {
public:
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    TContentsTree& Tree() const { return *m_tree; }

    // nullptr for a root.
    TTreeNode* Parent() const;
    // Number of children; Child(i) for 0 <= i < Count().
    int Count() const { return int(m_children.size()); }
    bool HasChildren() const { return !m_children.empty(); }
    TTreeNode* Child(int i) const { return m_children[std::size_t(i)]; }
    TTreeNode* GetFirstChild() const { return m_children.empty() ? nullptr : Child(0); }
    TTreeNode* GetLastChild() const { return m_children.empty() ? nullptr : Child(Count() - 1); }
    // Row among the parent's children (among the roots for a root). O(1).
    int Index() const { return m_row; }
    // Roots are level 0. O(depth).
    int Level() const;
    TTreeNode* GetPrevSibling() const;
    TTreeNode* GetNextSibling() const;
    // Pre-order: the node, then its children in order, then its next sibling
    // (the order of index and index.txt). nullptr after the last node.
    TTreeNode* GetNext() const;
    // Pre-order predecessor; nullptr for the first node.
    TTreeNode* GetPrev() const;
    // True when other is this node or one of its ancestors.
    bool IsDescendantOf(const TTreeNode* other) const;

    // Title, Windows-1251 bytes, may be empty.
    const std::string& Text() const { return m_text; }
    void SetText(std::string text); // notifies NodeChanged

    // Display state only: never written to the index; false after loading.
    bool Expanded() const { return m_expanded; }
    void SetExpanded(bool expanded); // notifies NodeChanged when it changes

    // The node's own record, created with the node and released with it.
    // Changing it notifies nobody (the tree shows only title and image).
    TTreeRec& Rec() { return m_rec; }
    const TTreeRec& Rec() const { return m_rec; }

private:
    friend class TContentsTree;
    explicit TTreeNode(TContentsTree* tree) : m_tree(tree) {}

    TContentsTree* m_tree;
    TTreeNode* m_parent = nullptr; // the tree's hidden top node for a root
    int m_row = 0;
    bool m_expanded = false;
    std::string m_text;
    TTreeRec m_rec;
    std::vector<TTreeNode*> m_children; // owned through the tree's node pool
};

// Told of every change, so that a QAbstractItemModel can emit the matching
// begin/end signals. parent == nullptr stands for the list of roots. Rows
// are the rows of the parent's children list.
class TTreeObserver {
public:
    virtual ~TTreeObserver() = default;
    // Rows first..last of parent are about to appear / have appeared.
    virtual void NodesAboutToBeInserted(TTreeNode* /*parent*/, int /*first*/, int /*last*/) {}
    virtual void NodesInserted(TTreeNode* /*parent*/, int /*first*/, int /*last*/) {}
    // Rows first..last of parent (with their subtrees) are about to go / are gone.
    virtual void NodesAboutToBeRemoved(TTreeNode* /*parent*/, int /*first*/, int /*last*/) {}
    virtual void NodesRemoved(TTreeNode* /*parent*/, int /*first*/, int /*last*/) {}
    // One node (with its subtree) moves from srcRow of srcParent to dstParent.
    // dstRow follows QAbstractItemModel::beginMoveRows: the row of dstParent
    // before which the node goes, counted while the node is still at its
    // old place. Both calls get the same arguments; after the move the node's
    // row is node->Index().
    virtual void NodeAboutToBeMoved(TTreeNode* /*node*/, TTreeNode* /*srcParent*/, int /*srcRow*/,
                                    TTreeNode* /*dstParent*/, int /*dstRow*/) {}
    virtual void NodeMoved(TTreeNode* /*node*/, TTreeNode* /*srcParent*/, int /*srcRow*/,
                           TTreeNode* /*dstParent*/, int /*dstRow*/) {}
    // Title or expanded flag changed.
    virtual void NodeChanged(TTreeNode* /*node*/) {}
    // Everything is replaced (Clear, LoadContents): no per-node calls between.
    virtual void TreeAboutToBeReset() {}
    virtual void TreeReset() {}
};

// The enabling of the five tree actions for the selected node.
struct TTreeActions {
    bool DeleteItem = false;
    bool Up = false;
    bool Down = false;
    bool Left = false;
    bool Right = false;
    bool operator==(const TTreeActions&) const = default;
};

class TContentsTree {
public:
    TContentsTree();
    ~TContentsTree();
    TContentsTree(const TContentsTree&) = delete;
    TContentsTree& operator=(const TContentsTree&) = delete;

    int RootCount() const { return m_top->Count(); }
    TTreeNode* Root(int i) const { return m_top->Child(i); }
    // Children of parent, or the roots for parent == nullptr.
    int ChildCount(const TTreeNode* parent) const {
        return (parent ? parent : m_top.get())->Count();
    }
    TTreeNode* ChildAt(const TTreeNode* parent, int i) const {
        return (parent ? parent : m_top.get())->Child(i);
    }
    // The first root, or nullptr for an empty tree.
    TTreeNode* GetFirstNode() const { return m_top->GetFirstChild(); }
    bool IsEmpty() const { return !m_top->HasChildren(); }
    // Number of nodes, kept up to date (O(1)).
    std::size_t NodeCount() const { return m_count; }

    // Appends a node with the given title and record as the last child of
    // parent (the last root for nullptr).
    TTreeNode* AddChild(TTreeNode* parent, std::string text = {}, TTreeRec rec = {});
    // Inserts at row (0..ChildCount(parent)) of parent.
    TTreeNode* InsertChild(TTreeNode* parent, int row, std::string text = {}, TTreeRec rec = {});

    // NewItem's placement: no selected node → last root;
    // selected and expanded → its last child; otherwise the last child of
    // the selected node's parent (last root for a root). The node gets an
    // empty title, FileName = lower-case GuidFileStem() + ".htm", Date = now.
    TTreeNode* NewItem(TTreeNode* selected);

    // Removes a node without children (with its record). Returns false and
    // changes nothing when the node has children.
    bool RemoveLeaf(TTreeNode* node);
    // Removes every node.
    void Clear();

    // The four moves with their placement rules. A move that its
    // enabling rule forbids does nothing and returns false. After a move the
    // node's new parent, if any, is expanded. Children, record and identity
    // of the node are kept (the pointer stays valid).
    bool MoveUp(TTreeNode* node);
    bool MoveDown(TTreeNode* node);
    bool MoveLeft(TTreeNode* node);
    bool MoveRight(TTreeNode* node);

    // Expand / collapse every node of the tree.
    void FullExpand();
    void FullCollapse();

    // Observers are not owned; remove before destroying them.
    void AddObserver(TTreeObserver* observer);
    void RemoveObserver(TTreeObserver* observer);

    // Brackets a bulk fill (LoadContents): observers get TreeAboutToBeReset
    // now and TreeReset at EndReset, and no per-node calls in between.
    void BeginReset();
    void EndReset();

private:
    friend class TTreeNode;
    TTreeNode* ListOwner(TTreeNode* parent) const { return parent ? parent : m_top.get(); }
    static TTreeNode* Outer(TTreeNode* owner); // owner as observers name it
    void Move(TTreeNode* node, TTreeNode* dstOwner, int dstRow);
    void NotifyChanged(TTreeNode* node);
    template <class F> void Notify(F&& f);
    // Nodes live in slabs (fewer, larger allocations: a 100,000-node load
    // makes 200 instead of 100,000); released nodes are reused.
    TTreeNode* NewNode();
    void DeleteNode(TTreeNode* node);
    void DestroyAll();

    std::unique_ptr<TTreeNode> m_top; // hidden owner of the roots
    std::vector<std::unique_ptr<unsigned char[]>> m_slabs;
    std::size_t m_slabUsed = 0; // nodes handed out from the last slab
    void* m_free = nullptr;     // released places; each holds the next one's address
    std::size_t m_count = 0;
    int m_resetDepth = 0;
    std::vector<TTreeObserver*> m_observers;
};

// UpdateTreeActions' enabling rules for the selected node (must not be null):
// DeleteItem unless the node has children or is the first node without a
// next sibling; Down: next sibling; Up and Right: previous sibling; Left: parent.
TTreeActions UpdateTreeActions(const TTreeNode* selected);

// Tree image of a node: 3 expanded with children, 0 collapsed with children,
// 1 without children.
int TreeImageIndex(const TTreeNode* node);

// A new GUID as 36 lower-case characters (8-4-4-4-12 hex digits, no braces).
std::string GuidFileStem();

} // namespace quillery
