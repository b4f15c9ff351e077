// Placement rules, enabling rules, navigation, and the observer
// protocol an item model relies on.

#include "store/contents_tree.h"
#include "tree_shape.h"

#include <QRegularExpression>
#include <QTest>
#include <map>

using namespace quillery;
using namespace quillery::test;

namespace {

// Replays the notifications on a mirror of the tree, checking them the way
// QAbstractItemModel would (rows in range, no no-op moves, no moves into the
// node's own subtree), and compares mirror and tree after each change.
class MirrorObserver : public TTreeObserver {
public:
    explicit MirrorObserver(TContentsTree& tree) : m_tree(tree) { Rebuild(); }

    void NodesAboutToBeInserted(TTreeNode* parent, int first, int last) override {
        Check(first >= 0 && first <= int(List(parent).size()) && last == first, "insert rows");
        m_pending = true;
    }
    void NodesInserted(TTreeNode* parent, int first, int last) override {
        Check(m_pending, "insert without about-to");
        m_pending = false;
        auto& list = List(parent);
        for (int r = first; r <= last; ++r)
            list.insert(list.begin() + r, m_tree.ChildAt(parent, r));
        Verify();
        ++inserts;
    }
    void NodesAboutToBeRemoved(TTreeNode* parent, int first, int last) override {
        Check(first >= 0 && last < int(List(parent).size()), "remove rows");
        Check(List(parent)[std::size_t(first)] == m_tree.ChildAt(parent, first), "remove node");
        m_pending = true;
    }
    void NodesRemoved(TTreeNode* parent, int first, int last) override {
        Check(m_pending, "remove without about-to");
        m_pending = false;
        auto& list = List(parent);
        list.erase(list.begin() + first, list.begin() + last + 1);
        Verify();
        ++removes;
    }
    void NodeAboutToBeMoved(TTreeNode* node, TTreeNode* src, int srcRow, TTreeNode* dst,
                            int dstRow) override {
        Check(List(src)[std::size_t(srcRow)] == node, "move source");
        Check(dstRow >= 0 && dstRow <= int(List(dst).size()), "move destination row");
        Check(!(src == dst && (dstRow == srcRow || dstRow == srcRow + 1)), "no-op move");
        Check(!dst || !dst->IsDescendantOf(node), "move into own subtree");
        m_pending = true;
    }
    void NodeMoved(TTreeNode* node, TTreeNode* src, int srcRow, TTreeNode* dst,
                   int dstRow) override {
        Check(m_pending, "move without about-to");
        m_pending = false;
        auto& from = List(src);
        from.erase(from.begin() + srcRow);
        auto& to = List(dst);
        const int at = src == dst && dstRow > srcRow ? dstRow - 1 : dstRow;
        to.insert(to.begin() + at, node);
        Check(node->Index() == at, "row after move");
        Verify();
        ++moves;
    }
    void NodeChanged(TTreeNode*) override { ++changes; }
    void TreeAboutToBeReset() override { m_inReset = true; }
    void TreeReset() override {
        m_inReset = false;
        Rebuild();
        ++resets;
    }

    int inserts = 0, removes = 0, moves = 0, changes = 0, resets = 0;
    QString failure;

private:
    std::vector<TTreeNode*>& List(TTreeNode* parent) { return m_children[parent]; }
    void Check(bool ok, const char* what) {
        if (!ok && failure.isEmpty())
            failure = QString::fromLatin1(what);
    }
    void Rebuild() {
        m_children.clear();
        Fill(nullptr);
    }
    void Fill(TTreeNode* parent) {
        auto& list = m_children[parent];
        for (int i = 0; i < m_tree.ChildCount(parent); ++i) {
            list.push_back(m_tree.ChildAt(parent, i));
            Fill(list.back());
        }
    }
    void Verify() {
        for (auto& [parent, list] : m_children) {
            if (parent && !Exists(parent))
                continue;
            Check(int(list.size()) == m_tree.ChildCount(parent), "mirror size");
            for (std::size_t i = 0; i < list.size() && i < std::size_t(m_tree.ChildCount(parent));
                 ++i) {
                Check(list[i] == m_tree.ChildAt(parent, int(i)), "mirror node");
                Check(list[i]->Index() == int(i), "cached row");
                Check(list[i]->Parent() == parent, "parent");
            }
        }
    }
    bool Exists(const TTreeNode* n) const {
        for (TTreeNode* x = m_tree.GetFirstNode(); x; x = x->GetNext())
            if (x == n)
                return true;
        return false;
    }

    TContentsTree& m_tree;
    std::map<TTreeNode*, std::vector<TTreeNode*>> m_children;
    bool m_pending = false;
    bool m_inReset = false;
};

QString Flags(const TTreeActions& a) {
    QString s;
    s += a.DeleteItem ? u'X' : u'-';
    s += a.Up ? u'U' : u'-';
    s += a.Down ? u'D' : u'-';
    s += a.Left ? u'L' : u'-';
    s += a.Right ? u'R' : u'-';
    return s;
}

} // namespace

class TestContentsTree : public QObject {
    Q_OBJECT

private slots:
    void newItemPlacement_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("expected");
        QTest::addRow("empty tree, nothing selected") << ""
                                                      << ""
                                                      << "N";
        QTest::addRow("nothing selected: last root") << "A(B),C"
                                                     << ""
                                                     << "A(B),C,N";
        QTest::addRow("collapsed node with children: sibling at the end") << "A(B),C"
                                                                          << "A"
                                                                          << "A(B),C,N";
        QTest::addRow("expanded node: its last child") << "A+(B),C"
                                                       << "A"
                                                       << "A+(B,N),C";
        QTest::addRow("child: last child of its parent") << "A+(B,C),D"
                                                         << "B"
                                                         << "A+(B,C,N),D";
        QTest::addRow("expanded leaf: its first child") << "A+,B"
                                                        << "A"
                                                        << "A+(N),B";
        QTest::addRow("deep collapsed: end of its level") << "A+(B+(C(D)),E)"
                                                          << "C"
                                                          << "A+(B+(C(D),N),E)";
    }
    void newItemPlacement() {
        QFETCH(QString, shape);
        QFETCH(QString, selected);
        QFETCH(QString, expected);
        TContentsTree tree;
        BuildShape(tree, shape.toStdString());
        MirrorObserver mirror(tree);
        tree.AddObserver(&mirror);
        TTreeNode* sel = selected.isEmpty() ? nullptr : FindTitle(tree, selected.toStdString());
        TTreeNode* n = tree.NewItem(sel);
        QCOMPARE(Shape(tree), expected);
        QVERIFY(n->Text().empty());
        QCOMPARE(mirror.failure, QString());
        QCOMPARE(mirror.inserts, 1);
        QVERIFY(!n->Expanded());
    }

    void newItemRecord() {
        TContentsTree tree;
        const QDateTime before = QDateTime::currentDateTime();
        TTreeNode* n = tree.NewItem(nullptr);
        const QDateTime after = QDateTime::currentDateTime();
        const QRegularExpression form(
            QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.htm$"));
        QVERIFY2(form.match(QString::fromStdString(n->Rec().FileName)).hasMatch(),
                 n->Rec().FileName.c_str());
        QVERIFY(n->Rec().ThumbName.empty());
        QVERIFY(n->Rec().Note.empty());
        QVERIFY(n->Rec().Date >= before.addMSecs(-1) && n->Rec().Date <= after.addMSecs(1));
        QVERIFY(tree.NewItem(nullptr)->Rec().FileName != n->Rec().FileName);
    }

    void guidFileStem() {
        const std::string stem = GuidFileStem();
        QCOMPARE(stem.size(), std::size_t(36));
        for (std::size_t i = 0; i < stem.size(); ++i) {
            if (i == 8 || i == 13 || i == 18 || i == 23)
                QCOMPARE(stem[i], '-');
            else
                QVERIFY(std::isxdigit(static_cast<unsigned char>(stem[i])) &&
                        !std::isupper(static_cast<unsigned char>(stem[i])));
        }
    }

    void moves_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("move");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("expected");
        QTest::addRow("up") << "A,B,C"
                            << "C"
                            << "Up" << true << "A,C,B";
        QTest::addRow("up keeps children") << "A,B(X,Y)"
                                           << "B"
                                           << "Up" << true << "B(X,Y),A";
        QTest::addRow("up first: disabled") << "A,B"
                                            << "A"
                                            << "Up" << false << "A,B";
        QTest::addRow("down: before the sibling after next") << "A,B,C"
                                                             << "A"
                                                             << "Down" << true << "B,A,C";
        QTest::addRow("down second-to-last child: last child") << "P+(A,B,C)"
                                                               << "B"
                                                               << "Down" << true << "P+(A,C,B)";
        QTest::addRow("down second-to-last root: last root") << "A,B,C"
                                                             << "B"
                                                             << "Down" << true << "A,C,B";
        QTest::addRow("down last: disabled") << "P(A,B)"
                                             << "B"
                                             << "Down" << false << "P(A,B)";
        QTest::addRow("right: prev sibling becomes expanded parent") << "A,B"
                                                                     << "B"
                                                                     << "Right" << true << "A+(B)";
        QTest::addRow("right: last child of prev sibling") << "A(X),B(Y),C"
                                                           << "B"
                                                           << "Right" << true << "A+(X,B(Y)),C";
        QTest::addRow("right first: disabled") << "A,B"
                                               << "A"
                                               << "Right" << false << "A,B";
        QTest::addRow("left: before the parent's next sibling") << "A+(B,C),D"
                                                                << "B"
                                                                << "Left" << true << "A+(C),B,D";
        QTest::addRow("left child of last root: last root") << "A,P+(B)"
                                                            << "B"
                                                            << "Left" << true << "A,P+,B";
        QTest::addRow("left: into grandparent, which gets expanded")
            << "G(P+(B,C),Q)"
            << "B"
            << "Left" << true << "G+(P+(C),B,Q)";
        QTest::addRow("left last child of last child") << "G+(Q,P+(B))"
                                                       << "B"
                                                       << "Left" << true << "G+(Q,P+,B)";
        QTest::addRow("left root: disabled") << "A,B"
                                             << "A"
                                             << "Left" << false << "A,B";
    }
    void moves() {
        QFETCH(QString, shape);
        QFETCH(QString, node);
        QFETCH(QString, move);
        QFETCH(bool, done);
        QFETCH(QString, expected);
        TContentsTree tree;
        BuildShape(tree, shape.toStdString());
        MirrorObserver mirror(tree);
        tree.AddObserver(&mirror);
        TTreeNode* n = FindTitle(tree, node.toStdString());
        TTreeRec* rec = &n->Rec();
        const std::size_t count = tree.NodeCount();
        const TTreeActions before = UpdateTreeActions(n);
        bool enabled = false, result = false;
        if (move == u"Up") {
            enabled = before.Up;
            result = tree.MoveUp(n);
        } else if (move == u"Down") {
            enabled = before.Down;
            result = tree.MoveDown(n);
        } else if (move == u"Left") {
            enabled = before.Left;
            result = tree.MoveLeft(n);
        } else {
            enabled = before.Right;
            result = tree.MoveRight(n);
        }
        QCOMPARE(enabled, done);
        QCOMPARE(result, done);
        QCOMPARE(Shape(tree), expected);
        QCOMPARE(&n->Rec(), rec);
        QCOMPARE(mirror.failure, QString());
        QCOMPARE(mirror.moves, done ? 1 : 0);
        QCOMPARE(tree.NodeCount(), count);
    }

    // "Down and Left end with the node directly after its former next sibling,
    // respectively its former parent, at that node's level."
    void downAndLeftLandAfter() {
        TContentsTree tree;
        BuildShape(tree, "A+(B,C+(D,E),F),G");
        TTreeNode* c = FindTitle(tree, "C");
        TTreeNode* d = FindTitle(tree, "D");
        TTreeNode* b = FindTitle(tree, "B");
        tree.MoveDown(b);
        QCOMPARE(c->GetNextSibling(), b);
        tree.MoveLeft(d);
        QCOMPARE(c->GetNextSibling(), d);
        QCOMPARE(d->Level(), c->Level());
    }

    void enabling_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("flags"); // X delete, U up, D down, L left, R right
        QTest::addRow("single root without children") << "A"
                                                      << "A"
                                                      << "-----";
        QTest::addRow("single root with children: root") << "A(B,C)"
                                                         << "A"
                                                         << "-----";
        QTest::addRow("single root with children: first leaf") << "A(B,C)"
                                                               << "B"
                                                               << "X-DL-";
        QTest::addRow("single root with children: last leaf") << "A(B,C)"
                                                              << "C"
                                                              << "XU-LR";
        QTest::addRow("first root with next sibling") << "A,B"
                                                      << "A"
                                                      << "X-D--";
        QTest::addRow("last root") << "A,B"
                                   << "B"
                                   << "XU--R";
        QTest::addRow("node with children") << "A,B(C)"
                                            << "B"
                                            << "-U--R";
        QTest::addRow("middle child") << "P(A,B,C)"
                                      << "B"
                                      << "XUDLR";
    }
    void enabling() {
        QFETCH(QString, shape);
        QFETCH(QString, node);
        QFETCH(QString, flags);
        TContentsTree tree;
        BuildShape(tree, shape.toStdString());
        QCOMPARE(Flags(UpdateTreeActions(FindTitle(tree, node.toStdString()))), flags);
    }

    void removeLeaf() {
        TContentsTree tree;
        BuildShape(tree, "A(B,C),D");
        MirrorObserver mirror(tree);
        tree.AddObserver(&mirror);
        QVERIFY(!tree.RemoveLeaf(FindTitle(tree, "A")));
        QCOMPARE(Shape(tree), QStringLiteral("A(B,C),D"));
        QVERIFY(tree.RemoveLeaf(FindTitle(tree, "B")));
        QCOMPARE(Shape(tree), QStringLiteral("A(C),D"));
        QCOMPARE(FindTitle(tree, "C")->Index(), 0);
        QVERIFY(tree.RemoveLeaf(FindTitle(tree, "C")));
        QVERIFY(tree.RemoveLeaf(FindTitle(tree, "D")));
        QCOMPARE(Shape(tree), QStringLiteral("A"));
        QCOMPARE(tree.NodeCount(), std::size_t(1));
        QCOMPARE(mirror.removes, 3);
        QCOMPARE(mirror.failure, QString());
    }

    void expandCollapseAll() {
        TContentsTree tree;
        BuildShape(tree, "A(B(C)),D(E),F");
        tree.FullExpand();
        QCOMPARE(Shape(tree), QStringLiteral("A+(B+(C+)),D+(E+),F+"));
        tree.FullCollapse();
        QCOMPARE(Shape(tree), QStringLiteral("A(B(C)),D(E),F"));
    }

    void imageIndex() {
        TContentsTree tree;
        BuildShape(tree, "A(B),C+(D),E");
        QCOMPARE(TreeImageIndex(FindTitle(tree, "A")), 0);
        QCOMPARE(TreeImageIndex(FindTitle(tree, "C")), 3);
        QCOMPARE(TreeImageIndex(FindTitle(tree, "B")), 1);
        QCOMPARE(TreeImageIndex(FindTitle(tree, "E")), 1);
    }

    void navigation() {
        TContentsTree tree;
        BuildShape(tree, "A(B(C),D),E");
        QString order;
        for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext())
            order += QString::fromStdString(n->Text());
        QCOMPARE(order, QStringLiteral("ABCDE"));
        QString back;
        for (TTreeNode* n = FindTitle(tree, "E"); n; n = n->GetPrev())
            back += QString::fromStdString(n->Text());
        QCOMPARE(back, QStringLiteral("EDCBA"));
        TTreeNode* c = FindTitle(tree, "C");
        QCOMPARE(c->Level(), 2);
        QCOMPARE(c->Parent(), FindTitle(tree, "B"));
        QCOMPARE(FindTitle(tree, "A")->Parent(), nullptr);
        QCOMPARE(FindTitle(tree, "D")->Index(), 1);
        QCOMPARE(FindTitle(tree, "D")->GetPrevSibling(), FindTitle(tree, "B"));
        QCOMPARE(FindTitle(tree, "E")->Index(), 1);
        QCOMPARE(FindTitle(tree, "E")->GetNextSibling(), nullptr);
        QCOMPARE(tree.GetFirstNode(), FindTitle(tree, "A"));
        QCOMPARE(tree.NodeCount(), std::size_t(5));
        QVERIFY(c->IsDescendantOf(FindTitle(tree, "A")));
        QVERIFY(!FindTitle(tree, "A")->IsDescendantOf(c));
    }

    void observerChangesAndReset() {
        TContentsTree tree;
        BuildShape(tree, "A(B)");
        MirrorObserver mirror(tree);
        tree.AddObserver(&mirror);
        FindTitle(tree, "A")->SetText("Z");
        FindTitle(tree, "Z")->SetExpanded(true);
        FindTitle(tree, "Z")->SetExpanded(true); // no change, no call
        QCOMPARE(mirror.changes, 2);
        tree.BeginReset();
        tree.AddChild(nullptr, "Q");
        tree.EndReset();
        QCOMPARE(mirror.inserts, 0);
        QCOMPARE(mirror.resets, 1);
        tree.Clear();
        QVERIFY(tree.IsEmpty());
        QCOMPARE(tree.NodeCount(), std::size_t(0));
        QCOMPARE(mirror.resets, 2);
        tree.RemoveObserver(&mirror);
        tree.AddChild(nullptr, "R");
        QCOMPARE(mirror.inserts, 0);
    }

    // A random walk of operations, checked against the mirror all the way.
    void randomOperationsKeepObserversInStep() {
        TContentsTree tree;
        MirrorObserver mirror(tree);
        tree.AddObserver(&mirror);
        std::vector<TTreeNode*> nodes;
        quint32 seed = 12345;
        auto next = [&seed](quint32 n) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % n;
        };
        for (int step = 0; step < 3000; ++step) {
            TTreeNode* n = nodes.empty() ? nullptr : nodes[next(quint32(nodes.size()))];
            switch (next(7)) {
            case 0:
            case 1:
                nodes.push_back(tree.NewItem(n));
                break;
            case 2:
                tree.MoveUp(n);
                break;
            case 3:
                tree.MoveDown(n);
                break;
            case 4:
                tree.MoveLeft(n);
                break;
            case 5:
                tree.MoveRight(n);
                break;
            case 6:
                if (n && tree.RemoveLeaf(n))
                    nodes.erase(std::find(nodes.begin(), nodes.end(), n));
                break;
            }
            if (!mirror.failure.isEmpty())
                QFAIL(qPrintable(QStringLiteral("step %1: %2").arg(step).arg(mirror.failure)));
        }
        QCOMPARE(tree.NodeCount(), nodes.size());
    }

    // 100,000 nodes: building, row look-ups, moves among many siblings and a
    // very deep chain stay cheap (a quadratic walk would time the test out).
    void largeTrees() {
        TContentsTree flat;
        for (int i = 0; i < 100000; ++i)
            flat.AddChild(nullptr, "n");
        QCOMPARE(flat.Root(99999)->Index(), 99999);
        TTreeNode* last = flat.Root(99999);
        for (int i = 0; i < 1000; ++i)
            flat.MoveUp(last);
        QCOMPARE(last->Index(), 98999);
        TContentsTree deep;
        TTreeNode* p = nullptr;
        for (int i = 0; i < 100000; ++i)
            p = deep.AddChild(p, "d");
        QCOMPARE(deep.NodeCount(), std::size_t(100000));
        QCOMPARE(p->Index(), 0);
        QVERIFY(deep.GetFirstNode()->GetNext() != nullptr);
        deep.Clear(); // iterative: no stack overflow
        QVERIFY(deep.IsEmpty());
    }
};

QTEST_GUILESS_MAIN(TestContentsTree)
#include "test_contents_tree.moc"
