#include "shell/contents_model.h"
#include "shell/cp1251_refusal.h"
#include "store/text_codec.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>
#include <functional>

namespace quillery {
namespace {

// Roots R0 (children C0, C1, C2), R1, R2.
void Fill(TContentsTree& tree) {
    TTreeNode* r0 = tree.AddChild(nullptr, "R0");
    for (const char* child : {"C0", "C1", "C2"})
        tree.AddChild(r0, child);
    tree.AddChild(nullptr, "R1");
    tree.AddChild(nullptr, "R2");
}

TTreeNode* Find(const TContentsTree& tree, const std::string& title) {
    for (TTreeNode* node = tree.GetFirstNode(); node; node = node->GetNext())
        if (node->Text() == title)
            return node;
    return nullptr;
}

using Change = std::function<void(TContentsTree&)>;

} // namespace

class TestContentsModel final : public QObject {
    Q_OBJECT

private slots:
    void staysConsistentThroughChanges_data();
    void staysConsistentThroughChanges();
    void titlesAndImages();
    void titlesRefuseWhatWindows1251CannotHold();
};

void TestContentsModel::staysConsistentThroughChanges_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("moved");
    QTest::addRow("new root") << Change([](TContentsTree& t) { t.NewItem(nullptr); }) << "R1";
    QTest::addRow("new child of an expanded node") << Change([](TContentsTree& t) {
        Find(t, "R0")->SetExpanded(true);
        t.NewItem(Find(t, "R0"));
    }) << "C1";
    QTest::addRow("remove a leaf")
        << Change([](TContentsTree& t) { t.RemoveLeaf(Find(t, "C0")); }) << "C1";
    QTest::addRow("up") << Change([](TContentsTree& t) { t.MoveUp(Find(t, "C1")); }) << "C1";
    QTest::addRow("down, last of level")
        << Change([](TContentsTree& t) { t.MoveDown(Find(t, "C1")); }) << "C1";
    QTest::addRow("down") << Change([](TContentsTree& t) { t.MoveDown(Find(t, "C0")); }) << "C0";
    QTest::addRow("left") << Change([](TContentsTree& t) { t.MoveLeft(Find(t, "C2")); }) << "C2";
    QTest::addRow("left of the last root's child") << Change([](TContentsTree& t) {
        t.MoveRight(Find(t, "R2"));
        t.MoveLeft(Find(t, "R2"));
    }) << "R2";
    QTest::addRow("right") << Change([](TContentsTree& t) { t.MoveRight(Find(t, "R2")); }) << "R2";
    QTest::addRow("expand and collapse all") << Change([](TContentsTree& t) {
        t.FullExpand();
        t.FullCollapse();
    }) << "C2";
    QTest::addRow("title") << Change([](TContentsTree& t) { Find(t, "C1")->SetText("C1"); })
                           << "C1";
}

void TestContentsModel::staysConsistentThroughChanges() {
    QFETCH(Change, change);
    QFETCH(QString, moved);
    TContentsTree tree;
    Fill(tree);
    TContentsModel model(nullptr, tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    TTreeNode* node = Find(tree, moved.toStdString());
    const QPersistentModelIndex followed(model.IndexOf(node));
    change(tree);
    // A persistent index (the tree's selection) follows its node anywhere.
    QVERIFY(followed.isValid());
    QCOMPARE(TContentsModel::NodeOf(followed), node);
    QCOMPARE(followed.row(), node->Index());
    QCOMPARE(TContentsModel::NodeOf(followed.parent()), node->Parent());
    // Every node is reachable through the model at the place the tree says.
    for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) {
        const QModelIndex index = model.index(n->Index(), 0, model.IndexOf(n->Parent()));
        QCOMPARE(TContentsModel::NodeOf(index), n);
        QCOMPARE(model.rowCount(index), n->Count());
    }
}

void TestContentsModel::titlesAndImages() {
    TContentsTree tree;
    Fill(tree);
    TContentsModel model(nullptr, tree);
    TTreeNode* r0 = Find(tree, "R0");
    r0->SetText(ToCp1251(QStringLiteral("Глава")));
    const QModelIndex index = model.IndexOf(r0);
    QCOMPARE(index.data().toString(), QStringLiteral("Глава"));
    const auto image = [&](const QModelIndex& i) {
        return i.data(Qt::DecorationRole).value<QPixmap>().toImage();
    };
    const QImage collapsed = image(index);
    const QImage leaf = image(model.IndexOf(Find(tree, "R1")));
    QVERIFY(collapsed != leaf);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    r0->SetExpanded(true);
    QVERIFY(!changed.isEmpty());
    QVERIFY(image(index) != collapsed);
    QVERIFY(image(index) != leaf);
    QVERIFY(index.flags().testFlag(Qt::ItemIsEditable));
}

void TestContentsModel::titlesRefuseWhatWindows1251CannotHold() {
    TContentsTree tree;
    Fill(tree);
    TContentsModel model(nullptr, tree);
    const QModelIndex index = model.IndexOf(Find(tree, "R1"));
    QVERIFY(!model.setData(index, QStringLiteral("Ошибка \u263a")));
    QCOMPARE(index.data().toString(), QStringLiteral("R1"));
    QVERIFY(model.setData(index, QStringLiteral("Цены & условия")));
    QCOMPARE(Find(tree, ToCp1251(QStringLiteral("Цены & условия"))), TContentsModel::NodeOf(index));

    QLineEdit editor;
    Cp1251Validator validator(&editor);
    editor.setValidator(&validator);
    QString text = QStringLiteral("Глава \u263a");
    int position = 0;
    QCOMPARE(validator.validate(text, position), QValidator::Invalid);
    text = QStringLiteral("Глава «1»");
    QCOMPARE(validator.validate(text, position), QValidator::Acceptable);
}

} // namespace quillery

QTEST_MAIN(quillery::TestContentsModel)
#include "test_contents_model.moc"
