// The table and cell dialogs as a user meets them: their states, the
// enabling rule, the number checks on OK, the up-down buttons and the colour
// boxes.
#include "tables/cell_dlg.h"
#include "tables/color_box.h"
#include "tables/table_dlg.h"
#include "tables/up_down.h"
#include "tests/editor/engine_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <functional>

using namespace quillery;

namespace {

QLineEdit* Edit(QDialog& dialog, const QString& name) {
    auto* edit = dialog.findChild<QLineEdit*>(name);
    if (!edit)
        qFatal("no edit %s", qPrintable(name));
    return edit;
}

QCheckBox* CheckBox(QDialog& dialog, const QString& name) {
    auto* box = dialog.findChild<QCheckBox*>(name);
    if (!box)
        qFatal("no check box %s", qPrintable(name));
    return box;
}

QStringList Captions(QDialog& dialog) {
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        captions.append(label->text());
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        if (!button->text().isEmpty())
            captions.append(button->text());
    for (const QGroupBox* frame : dialog.findChildren<QGroupBox*>())
        captions.append(frame->title());
    captions.sort();
    return captions;
}

QStringList Sorted(QStringList list) {
    list.sort();
    return list;
}

// The size rows as both dialogs start: width ticked, 100 percent; height
// unticked, its field disabled with heightText, percent; no colours.
void CheckStartingSizesAndColours(const TPropertiesDlg& dialog, const QString& heightText) {
    QVERIFY(dialog.Widths().CheckBox->isChecked());
    QCOMPARE(dialog.Widths().Edit->text(), QStringLiteral("100"));
    QVERIFY(dialog.Widths().Edit->isEnabled());
    QVERIFY(dialog.Widths().Percents->isChecked());
    QVERIFY(!dialog.Heights().CheckBox->isChecked());
    QCOMPARE(dialog.Heights().Edit->text(), heightText);
    QVERIFY(!dialog.Heights().Edit->isEnabled());
    QVERIFY(!dialog.Heights().Pixels->isEnabled());
    QVERIFY(dialog.Heights().Percents->isChecked());
    for (TColorBox* box : {dialog.Bgcolor(), dialog.Bordercolor(), dialog.Bordercolorlight(),
                           dialog.Bordercolordark()})
        QCOMPARE(box->Selected(), clNone);
}

QStringList Items(const QComboBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items.append(list.itemText(i));
    return items;
}

// Shows dialog, lets edit change it, presses OK with the given key or button,
// and tells what followed: the warning text (empty when none came) and
// whether the dialog closed with OK.
struct TOkResult {
    QString Warning;
    bool Accepted = false;
};

TOkResult PressOk(QDialog& dialog, const std::function<void()>& edit, bool withEnter = false) {
    TOkResult result;
    bool stillOpen = false;
    const bool shown = AnswerDialogDuring(
        [&] { result.Accepted = dialog.exec() == QDialog::Accepted; },
        [&](QDialog*) {
            edit();
            AnswerDialogDuring(
                [&] {
                    if (withEnter)
                        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                    else
                        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1")),
                                          Qt::LeftButton);
                },
                [&](QDialog* box) {
                    auto* message = qobject_cast<QMessageBox*>(box);
                    QVERIFY(message);
                    result.Warning = message->text();
                    QCOMPARE(message->icon(), QMessageBox::Warning);
                    QTest::keyClick(box, Qt::Key_Return);
                });
            stillOpen = dialog.isVisible();
            if (stillOpen)
                QTest::keyClick(&dialog, Qt::Key_Escape);
        });
    if (!shown)
        qFatal("the dialog never showed");
    if (result.Warning.isEmpty() && stillOpen)
        qFatal("the dialog stayed open without a warning");
    return result;
}

} // namespace

class TestTableDialogs final : public QObject {
    Q_OBJECT

private slots:
    void tableDialogDefaults();
    void cellDialogAtProgramStart();
    void checkBoxesEnableTheirRow_data();
    void checkBoxesEnableTheirRow();
    void numbersCheckedOnOk_data();
    void numbersCheckedOnOk();
    void escapeCancels();
    void upDownSteps_data();
    void upDownSteps();
    void colourBoxEntries();
    void colourBoxKeepsUnnamedValuesInCustom();
    void customEntryOpensPicker_data();
    void customEntryOpensPicker();
};

void TestTableDialogs::tableDialogDefaults() {
    TTableDlg dialog(nullptr);
    // A use leaves its values; the reset takes every one of them back.
    dialog.Align()->setCurrentIndex(2);
    dialog.Cellpadding()->setText(QStringLiteral("9"));
    dialog.Widths().CheckBox->setChecked(false);
    dialog.Heights().CheckBox->setChecked(true);
    dialog.Heights().Pixels->setChecked(true);
    dialog.Bgcolor()->SetSelected(0x00FF00);
    dialog.ResetToDefaults();

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Таблица"));
    QCOMPARE(Items(*dialog.Align()),
             QStringList({QStringLiteral("по умолчанию"), QStringLiteral("по левому краю"),
                          QStringLiteral("по правому краю"), QStringLiteral("по центру")}));
    QCOMPARE(dialog.Align()->currentIndex(), 0);
    QCOMPARE(dialog.Cellpadding()->text(), QStringLiteral("1"));
    QCOMPARE(dialog.CellpaddingUpDown()->Position(), 1);
    QCOMPARE(dialog.Cellspacing()->text(), QStringLiteral("2"));
    QCOMPARE(dialog.CellspacingUpDown()->Position(), 2);
    QCOMPARE(dialog.Border()->text(), QStringLiteral("1"));
    QCOMPARE(dialog.BorderUpDown()->Position(), 1);
    CheckStartingSizesAndColours(dialog, QStringLiteral("100"));
    QCOMPARE(
        Captions(dialog),
        Sorted({QStringLiteral("OK"), QStringLiteral("в процентах"), QStringLiteral("в процентах"),
                QStringLiteral("в точках"), QStringLiteral("в точках"), QStringLiteral("Границы"),
                QStringLiteral("Задать высоту:"), QStringLiteral("Задать ширину:"),
                QStringLiteral("Интервал ячеек:"), QStringLiteral("Обтекание:"),
                QStringLiteral("Отмена"), QStringLiteral("Поля ячеек:"),
                QStringLiteral("Положение"), QStringLiteral("Светлая:"), QStringLiteral("Темная:"),
                QStringLiteral("Толщина:"), QStringLiteral("Цвет подложки:"),
                QStringLiteral("Цвет:")}));
}

void TestTableDialogs::cellDialogAtProgramStart() {
    TCellDlg dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Ячейка"));
    QCOMPARE(dialog.Align()->currentIndex(), -1);
    QCOMPARE(dialog.Valign()->currentIndex(), -1);
    QCOMPARE(Items(*dialog.Valign()),
             QStringList({QStringLiteral("по умолчанию"), QStringLiteral("по верхнему краю"),
                          QStringLiteral("по середине"), QStringLiteral("по линии шрифта"),
                          QStringLiteral("по нижнему краю")}));
    QVERIFY(!dialog.NoWrap()->isChecked());
    CheckStartingSizesAndColours(dialog, QStringLiteral("0"));
    QCOMPARE(
        Captions(dialog),
        Sorted({QStringLiteral("OK"), QStringLiteral("в процентах"), QStringLiteral("в процентах"),
                QStringLiteral("в точках"), QStringLiteral("в точках"),
                QStringLiteral("Выровнять по вертикали:"),
                QStringLiteral("Выровнять по горизонтали:"), QStringLiteral("Границы"),
                QStringLiteral("Задать высоту:"), QStringLiteral("Задать ширину:"),
                QStringLiteral("Не переносить слова"), QStringLiteral("Отмена"),
                QStringLiteral("Положение"), QStringLiteral("Светлая:"), QStringLiteral("Темная:"),
                QStringLiteral("Цвет подложки:"), QStringLiteral("Цвет:")}));
}

void TestTableDialogs::checkBoxesEnableTheirRow_data() {
    QTest::addColumn<bool>("cell");
    QTest::addColumn<QString>("attribute");
    QTest::addRow("table width") << false << "width";
    QTest::addRow("table height") << false << "height";
    QTest::addRow("cell width") << true << "width";
    QTest::addRow("cell height") << true << "height";
}

void TestTableDialogs::checkBoxesEnableTheirRow() {
    QFETCH(bool, cell);
    QFETCH(QString, attribute);
    std::unique_ptr<QDialog> dialog;
    if (cell)
        dialog = std::make_unique<TCellDlg>(nullptr);
    else
        dialog = std::make_unique<TTableDlg>(nullptr);
    dialog->show();
    QCheckBox* box = CheckBox(*dialog, attribute + QStringLiteral("CheckBox"));
    const QList<QWidget*> row = {
        Edit(*dialog, attribute),
        dialog->findChild<QRadioButton*>(attribute + QStringLiteral("PixelsRadioButton")),
        dialog->findChild<QRadioButton*>(attribute + QStringLiteral("PercentsRadioButton"))};
    const QString other =
        attribute == QLatin1String("width") ? QStringLiteral("height") : QStringLiteral("width");
    const bool otherEnabled = Edit(*dialog, other)->isEnabled();
    for (int click = 0; click < 2; ++click) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        for (QWidget* control : row)
            QCOMPARE(control->isEnabled(), box->isChecked());
        QCOMPARE(Edit(*dialog, other)->isEnabled(), otherEnabled);
    }
}

// The dialog, the field typed into, its text, whether its check box is
// ticked (for the sizes), and whether OK is refused. OK is pressed with the
// mouse in the table dialog, with Enter in the field in the cell dialog.
void TestTableDialogs::numbersCheckedOnOk_data() {
    QTest::addColumn<bool>("cell");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("refused");
    QTest::addRow("table defaults") << false << "cellpadding"
                                    << "1" << true << false;
    QTest::addRow("cellpadding -1") << false << "cellpadding"
                                    << "-1" << true << true;
    QTest::addRow("cellpadding above the up-down") << false << "cellpadding"
                                                   << "40000" << true << false;
    QTest::addRow("cellspacing empty") << false << "cellspacing"
                                       << "" << true << true;
    QTest::addRow("cellspacing hexadecimal") << false << "cellspacing"
                                             << "$A" << true << false;
    QTest::addRow("table width 0 ticked") << false << "width"
                                          << "0" << true << true;
    QTest::addRow("table width 0 unticked") << false << "width"
                                            << "0" << false << false;
    QTest::addRow("table width abc unticked") << false << "width"
                                              << "abc" << false << true;
    QTest::addRow("table width 600") << false << "width"
                                     << "600" << true << false;
    QTest::addRow("table height 0 ticked") << false << "height"
                                           << "0" << true << true;
    QTest::addRow("table height 1.5 unticked") << false << "height"
                                               << "1.5" << false << true;
    QTest::addRow("border 0") << false << "border"
                              << "0" << true << false;
    QTest::addRow("border above 32 bits") << false << "border"
                                          << "4294967296" << true << true;
    QTest::addRow("cell: initial height ticked") << true << "height"
                                                 << "0" << true << true;
    QTest::addRow("cell: initial height unticked") << true << "height"
                                                   << "0" << false << false;
    QTest::addRow("cell: width abc unticked") << true << "width"
                                              << "abc" << false << true;
    QTest::addRow("cell: width 30") << true << "width"
                                    << "30" << true << false;
}

void TestTableDialogs::numbersCheckedOnOk() {
    QFETCH(bool, cell);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, ticked);
    QFETCH(bool, refused);
    std::unique_ptr<QDialog> dialog;
    if (cell)
        dialog = std::make_unique<TCellDlg>(nullptr);
    else
        dialog = std::make_unique<TTableDlg>(nullptr);
    const TOkResult result = PressOk(
        *dialog,
        [&] {
            Edit(*dialog, field)->setText(text);
            if (auto* box = dialog->findChild<QCheckBox*>(field + QStringLiteral("CheckBox")))
                box->setChecked(ticked);
            Edit(*dialog, field)->setFocus();
        },
        cell);
    QCOMPARE(result.Accepted, !refused);
    QCOMPARE(result.Warning, refused ? QStringLiteral("Указано неверное число.") : QString());
    // Kept as typed.
    QCOMPARE(Edit(*dialog, field)->text(), text);
}

void TestTableDialogs::escapeCancels() {
    TTableDlg dialog(nullptr);
    bool accepted = true;
    AnswerDialogDuring([&] { accepted = dialog.exec() == QDialog::Accepted; },
                       [&](QDialog*) {
                           dialog.Cellpadding()->setFocus();
                           QTest::keyClick(dialog.Cellpadding(), Qt::Key_Escape);
                       });
    QVERIFY(!accepted);
}

// The edit's text before, the step, and the text after.
void TestTableDialogs::upDownSteps_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("after");
    QTest::addRow("up") << "1" << int(Qt::Key_Up) << "2";
    QTest::addRow("down at the bottom") << "0" << int(Qt::Key_Down) << "0";
    QTest::addRow("up at the top") << "32767" << int(Qt::Key_Up) << "32767";
    QTest::addRow("down from above the range") << "40000" << int(Qt::Key_Down) << "32766";
    QTest::addRow("typed text: from the position") << "abc" << int(Qt::Key_Up) << "2";
}

void TestTableDialogs::upDownSteps() {
    QFETCH(QString, before);
    QFETCH(int, key);
    QFETCH(QString, after);
    TTableDlg dialog(nullptr);
    dialog.show();
    dialog.Cellpadding()->setText(before);
    dialog.Cellpadding()->setFocus();
    QTest::keyClick(dialog.Cellpadding(), Qt::Key(key));
    QCOMPARE(dialog.Cellpadding()->text(), after);
    // The buttons step the same way.
    dialog.Border()->setText(before);
    auto* button =
        dialog.BorderUpDown()->findChildren<QToolButton*>().at(key == Qt::Key_Up ? 0 : 1);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(dialog.Border()->text(), after);
}

void TestTableDialogs::colourBoxEntries() {
    TColorBox box(nullptr);
    QCOMPARE(box.count(), 52);
    QCOMPARE(box.itemText(0), QStringLiteral("Custom..."));
    QCOMPARE(box.itemText(1), QStringLiteral("Black"));
    QCOMPARE(box.itemText(51), QStringLiteral("WindowText"));
    QCOMPARE(box.Selected(), clNone);
    QCOMPARE(box.currentText(), QStringLiteral("None"));
    for (int i = 0; i < box.count(); ++i) {
        QVERIFY(box.itemText(i) != QLatin1String("Default"));
        QVERIFY(!box.itemIcon(i).isNull());
    }
    // A system colour is shown in the platform's colour for its part.
    QCOMPARE(SwatchColour(ColorNameToColor("clBtnFace")),
             QApplication::palette().color(QPalette::Active, QPalette::Button));
    QCOMPARE(SwatchColour(ColorNameToColor("clWindow")),
             QApplication::palette().color(QPalette::Active, QPalette::Base));
    QCOMPARE(SwatchColour(0x563412), QColor(0x12, 0x34, 0x56));
    QVERIFY(!SwatchColour(clNone).isValid());
    for (const TColorIdent& ident : ColorIdents())
        if (IsSystemColor(ident.Value))
            QVERIFY2(SwatchColour(ident.Value).isValid(), ident.Name);
}

void TestTableDialogs::colourBoxKeepsUnnamedValuesInCustom() {
    TColorBox box(nullptr);
    box.SetSelected(0x0000FF);
    QCOMPARE(box.currentText(), QStringLiteral("Red"));
    box.SetSelected(0xCCFFFF);
    QCOMPARE(box.currentIndex(), TColorBox::kCustomIndex);
    QCOMPARE(box.Selected(), 0xCCFFFF);
    box.SetSelected(ColorNameToColor("clInfoBk"));
    QCOMPARE(box.currentText(), QStringLiteral("InfoBk"));
    // The custom entry still holds the last unnamed value.
    QCOMPARE(box.itemData(TColorBox::kCustomIndex).toInt(), 0xCCFFFF);
}

void TestTableDialogs::customEntryOpensPicker_data() {
    QTest::addColumn<bool>("chosen");
    QTest::addRow("a colour chosen") << true;
    QTest::addRow("picker cancelled: the box shows what it showed") << false;
}

void TestTableDialogs::customEntryOpensPicker() {
    QFETCH(bool, chosen);
    TColorBox box(nullptr);
    box.show();
    box.SetSelected(0x00FF00);
    box.setFocus();
    QColor offered;
    const bool picked = AnswerDialogDuring(
        [&] {
            // Home: the first entry, "Custom...", as the keyboard chooses it.
            QTest::keyClick(&box, Qt::Key_Home);
        },
        [&](QDialog* dialog) {
            auto* picker = qobject_cast<QColorDialog*>(dialog);
            QVERIFY(picker);
            offered = picker->currentColor();
            picker->setCurrentColor(QColor(0xFF, 0xFF, 0xCC));
            if (chosen)
                picker->accept();
            else
                picker->reject();
        });
    QVERIFY(picked);
    QCOMPARE(offered, QColor(Qt::black));
    QCOMPARE(box.Selected(), chosen ? 0xCCFFFF : 0x00FF00);
    QCOMPARE(box.currentIndex() == TColorBox::kCustomIndex, chosen);
}

QTEST_MAIN(TestTableDialogs)
#include "test_table_dialogs.moc"
