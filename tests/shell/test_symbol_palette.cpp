// The symbol palette of the main window: its groups and buttons, every
// symbol it inserts, and typing going on in the page after a click.
#include "editor/engine.h"
#include "editor/insertion/category_buttons.h"
#include "tests/shell/shell_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTreeView>
#include <algorithm>

namespace quillery {
namespace {

// The two first groups as captions with their entities, in button order.
const char* const kSigns[][2] = {
    {"laquo", "&laquo;"},   {"raquo", "&raquo;"},   {"ldquo", "&ldquo;"},   {"rdquo", "&rdquo;"},
    {"lsaquo", "&lsaquo;"}, {"rsaquo", "&rsaquo;"}, {"lsquo", "&lsquo;"},   {"rsquo", "&rsquo;"},
    {"ndash", "&ndash;"},   {"mdash", "&mdash;"},   {"sect", "&sect;"},     {"para", "&para;"},
    {"hellip", "&hellip;"}, {"bull", "&bull;"},     {"iquest", "&iquest;"}, {"dagger", "&dagger;"},
    {"Copy", "&copy;"},     {"Reg", "&reg;"},       {"Trade", "&trade;"},   {"Euro", "&euro;"},
    {"Pound", "&pound;"},   {"Yen", "&yen;"},       {"Cent", "&cent;"},     {"curren", "&curren;"},
};
const char* const kFormulas[][2] = {
    {"int", "&int;"},       {"sum", "&sum;"},       {"prod", "&prod;"},   {"radic", "&radic;"},
    {"infin", "&infin;"},   {"part", "&part;"},     {"rarr", "&rarr;"},   {"harr", "&harr;"},
    {"minus", "&minus;"},   {"plusmn", "&plusmn;"}, {"times", "&times;"}, {"middot", "&middot;"},
    {"divide", "&divide;"}, {"permil", "&permil;"}, {"deg", "&deg;"},     {"oslash", "&oslash;"},
    {"asymp", "&asymp;"},   {"ne", "&ne;"},         {"equiv", "&equiv;"}, {"le", "&le;"},
    {"ge", "&ge;"},         {"lt", "&lt;"},         {"gt", "&gt;"},       {"sup1", "&sup1;"},
    {"sup2", "&sup2;"},     {"sup3", "&sup3;"},
};
// Greek: the capital's entity name and the letter's Russian name.
const char* const kGreek[][2] = {
    {"Alpha", "Альфа"},     {"Beta", "Бета"},   {"Gamma", "Гамма"},     {"Delta", "Дельта"},
    {"Epsilon", "Эпсилон"}, {"Zeta", "Зета"},   {"Eta", "Эта"},         {"Theta", "Тета"},
    {"Iota", "Йота"},       {"Kappa", "Каппа"}, {"Lambda", "Лямбда"},   {"Mu", "Мю"},
    {"Nu", "Ню"},           {"Xi", "Кси"},      {"Omicron", "Омикрон"}, {"Pi", "Пи"},
    {"Rho", "Ро"},          {"Sigma", "Сигма"}, {"Tau", "Тау"},         {"Upsilon", "Ипсилон"},
    {"Phi", "Фи"},          {"Chi", "Хи"},      {"Psi", "Пси"},         {"Omega", "Омега"},
};

const QString kA = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000a.htm");

bool IsBluish(QRgb pixel) {
    return qBlue(pixel) > qRed(pixel) + 25;
}

} // namespace

class TestSymbolPalette final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void placedUnderTheTree();
    void groupsOpenAndClose();
    void everySymbolInsertsItsEntity_data();
    void everySymbolInsertsItsEntity();
    void symbolReplacesSelection();
    void typingGoesOnInThePage();
    void hoveredButtonIsHotAndHinted();

private:
    TCategoryButtons& palette() const { return *m_form->CategoryButtonsInsertSymbol(); }
    QWidget* page() const { return m_form->VISUALEdit().widget()->focusProxy(); }
    QVariant script(const QString& js) { return SiteFixture::Script(*m_form, js); }
    QString paragraph() {
        return script(QStringLiteral("document.querySelector('#t').innerHTML")).toString();
    }
    // The paragraph "ab" with the caret between the two letters, or both selected.
    void resetParagraph(bool selectBoth = false);
    void clickButton(const QAction* action);

    std::unique_ptr<SiteFixture> m_site;
    std::unique_ptr<TMainForm> m_form;
};

void TestSymbolPalette::initTestCase() {
    m_site = std::make_unique<SiteFixture>();
    m_site->WriteFlatIndex({{QStringLiteral("A"), kA}});
    SiteFixture::WriteFile(m_site->SiteFile(kA), SiteFixture::Document(QStringLiteral("<P>a</P>")));
    m_form = m_site->OpenForm();
}

void TestSymbolPalette::cleanupTestCase() {
    m_form.reset();
    m_site.reset();
}

void TestSymbolPalette::init() {
    palette().SetCollapsed(0, false);
    palette().SetCollapsed(1, true);
    palette().SetCollapsed(2, true);
}

void TestSymbolPalette::resetParagraph(bool selectBoth) {
    page()->setFocus();
    script(QStringLiteral("(() => { document.body.innerHTML = '<p id=t>ab</p>'; "
                          "const text = document.querySelector('#t').firstChild; "
                          "const r = document.createRange(); r.setStart(text, %1); "
                          "r.setEnd(text, %2); getSelection().removeAllRanges(); "
                          "getSelection().addRange(r); })()")
               .arg(selectBoth ? 0 : 1)
               .arg(selectBoth ? 2 : 1));
}

void TestSymbolPalette::clickButton(const QAction* action) {
    palette().ScrollToButton(action);
    const QRect rect = palette().ButtonRect(action);
    QVERIFY(!rect.isEmpty());
    QVERIFY(palette().viewport()->rect().contains(rect));
    QTest::mouseClick(palette().viewport(), Qt::LeftButton, {}, rect.center());
}

void TestSymbolPalette::placedUnderTheTree() {
    QCOMPARE(palette().objectName(), QStringLiteral("CategoryButtonsInsertSymbol"));
    QCOMPARE(palette().height(), 222);
    QCOMPARE(palette().width(), m_form->Panel1()->width());
    const QPoint below = palette().mapTo(m_form->Panel1(), QPoint(0, 0));
    QCOMPARE(below.y() + palette().height(), m_form->Panel1()->height());
    QVERIFY(below.y() >= m_form->TreeView()->mapTo(m_form->Panel1(), QPoint(0, 0)).y() +
                             m_form->TreeView()->height());
    QCOMPARE(palette().focusPolicy(), Qt::NoFocus);
    QCOMPARE(palette().viewport()->focusPolicy(), Qt::NoFocus);

    const QList<TCategoryButtons::TCategory>& groups = palette().Categories();
    QCOMPARE(groups.size(), 3);
    const QStringList captions = {QStringLiteral("Символы"), QStringLiteral("Формулы"),
                                  QStringLiteral("Греческий алфавит")};
    const QList<QColor> colours = {QColor(0xF4, 0xF4, 0xF4), QColor(0xFF, 0xEB, 0xEA),
                                   QColor(0xFF, 0xEA, 0xFF)};
    const QList<qsizetype> counts = {24, 26, 48};
    for (int g = 0; g < 3; ++g) {
        QCOMPARE(groups[g].Caption, captions[g]);
        QCOMPARE(groups[g].Colour, colours[g]);
        QCOMPARE(groups[g].Items.size(), counts[g]);
    }
}

void TestSymbolPalette::groupsOpenAndClose() {
    // As at start: only the first group open.
    QCOMPARE(palette().Categories()[0].Collapsed, false);
    QCOMPARE(palette().Categories()[1].Collapsed, true);
    const QAction* firstFormula = palette().Categories()[1].Items[0];
    QVERIFY(palette().ButtonRect(firstFormula).isEmpty());
    QTest::mouseClick(palette().viewport(), Qt::LeftButton, {},
                      palette().ToggleRect(1).topLeft() + QPoint(6, 6));
    QCOMPARE(palette().Categories()[1].Collapsed, false);
    QVERIFY(!palette().ButtonRect(firstFormula).isEmpty());
    QTest::mouseClick(palette().viewport(), Qt::LeftButton, {},
                      palette().ToggleRect(1).topLeft() + QPoint(6, 6));
    QCOMPARE(palette().Categories()[1].Collapsed, true);
}

// Each button: its action's name (and caption), its group and place, the
// entity it inserts and its hint.
void TestSymbolPalette::everySymbolInsertsItsEntity_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("entity");
    QTest::addColumn<QString>("hint");
    int place = 0;
    for (const auto& sign : kSigns) {
        const QString entity = QString::fromLatin1(sign[1]);
        QTest::newRow(sign[0]) << QString::fromLatin1(sign[0]) << 0 << place++ << entity << entity;
    }
    place = 0;
    for (const auto& formula : kFormulas) {
        const QString entity = QString::fromLatin1(formula[1]);
        QTest::newRow(formula[0]) << QString::fromLatin1(formula[0]) << 1 << place++ << entity
                                  << entity;
    }
    place = 0;
    for (const auto& letter : kGreek) {
        const QString capital = QString::fromLatin1(letter[0]);
        const QString small = capital.toLower();
        const QString russian = QString::fromUtf8(letter[1]);
        const QString capitalEntity = QLatin1Char('&') + capital + QLatin1Char(';');
        const QString smallEntity = QLatin1Char('&') + small + QLatin1Char(';');
        QTest::addRow("%sb", qPrintable(small))
            << small + QLatin1Char('b') << 2 << place++ << capitalEntity
            << QStringLiteral("%1 (%2)").arg(russian, capitalEntity);
        QTest::addRow("%ss", qPrintable(small))
            << small + QLatin1Char('s') << 2 << place++ << smallEntity
            << QStringLiteral("%1 (%2)").arg(russian.toLower(), smallEntity);
    }
}

void TestSymbolPalette::everySymbolInsertsItsEntity() {
    QFETCH(QString, name);
    QFETCH(int, group);
    QFETCH(int, place);
    QFETCH(QString, entity);
    QFETCH(QString, hint);
    // By the palette's own list: "Copy" also names the clipboard command.
    const QList<QAction*>& symbols = m_form->ActionListInsert().ActionListInsertSymb;
    const auto found = std::find_if(symbols.begin(), symbols.end(),
                                    [&](QAction* a) { return a->objectName() == name; });
    QVERIFY(found != symbols.end());
    QAction* action = *found;
    QCOMPARE(action->text(), name);
    QCOMPARE(action->toolTip(), hint);
    QCOMPARE(action->statusTip(), hint);
    QCOMPARE(palette().Categories()[group].Items.value(place), action);
    // The character the entity stands for, as the engine reads it.
    const QString character =
        script(QStringLiteral("(() => { const t = document.createElement('textarea'); "
                              "t.innerHTML = '%1'; return t.value; })()")
                   .arg(entity))
            .toString();
    QCOMPARE(character.size(), 1);
    QCOMPARE(action->iconText(), character);

    palette().SetCollapsed(group, false);
    resetParagraph();
    clickButton(action);
    QCOMPARE(QApplication::focusWidget(), page());
    QCOMPARE(script(QStringLiteral("document.querySelector('#t').textContent")).toString(),
             QLatin1Char('a') + character + QLatin1Char('b'));
}

void TestSymbolPalette::symbolReplacesSelection() {
    resetParagraph(true);
    clickButton(palette().Categories()[0].Items[9]); // mdash
    QCOMPARE(paragraph(), QStringLiteral("—"));
    QVERIFY(m_form->ActionListEdit().Undo->isEnabled());
}

void TestSymbolPalette::typingGoesOnInThePage() {
    resetParagraph();
    clickButton(palette().Categories()[0].Items[0]); // laquo
    QCOMPARE(QApplication::focusWidget(), page());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("xy"));
    QTRY_COMPARE(paragraph(), QStringLiteral("a«xyb"));
}

void TestSymbolPalette::hoveredButtonIsHotAndHinted() {
    const QAction* hovered = palette().Categories()[0].Items[1];
    const QAction* other = palette().Categories()[0].Items[2];
    const QRect rect = palette().ButtonRect(hovered);
    QTest::mouseMove(palette().viewport(), rect.center());
    QTRY_COMPARE(m_form->HintPanel()->text(), QStringLiteral("&raquo;"));
    const QImage shot = palette().viewport()->grab().toImage();
    QVERIFY(IsBluish(shot.pixel(rect.topLeft() + QPoint(3, 3))));
    QVERIFY(!IsBluish(shot.pixel(palette().ButtonRect(other).topLeft() + QPoint(3, 3))));
}

} // namespace quillery

QTEST_MAIN(quillery::TestSymbolPalette)
#include "test_symbol_palette.moc"
