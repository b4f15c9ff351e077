#include "tables/table_commands.h"

#include "editor/commands/command_values.h"
#include "editor/engine.h"
#include "store/ascii.h"
#include "store/text_codec.h"
#include "tables/cell_dlg.h"
#include "tables/color_box.h"
#include "tables/table_dlg.h"
#include "tables/up_down.h"
#include "tables/whole_number.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <array>
#include <optional>

namespace quillery {
namespace {

const QString kTable = QStringLiteral("TABLE");

// Attribute values of the list items, by index; the first is no attribute.
const QStringList kAlignValues = {QString(), QStringLiteral("left"), QStringLiteral("right"),
                                  QStringLiteral("center")};
const QStringList kVAlignValues = {QString(), QStringLiteral("top"), QStringLiteral("middle"),
                                   QStringLiteral("baseline"), QStringLiteral("bottom")};

struct TColourAttribute {
    QString Name;
    TColorBox* Box;
};

// The four colour attributes and their boxes, in the order they are read
// and written.
std::array<TColourAttribute, 4> ColourAttributes(const TPropertiesDlg& dialog) {
    return {{{QStringLiteral("borderColor"), dialog.Bordercolor()},
             {QStringLiteral("borderColorLight"), dialog.Bordercolorlight()},
             {QStringLiteral("borderColorDark"), dialog.Bordercolordark()},
             {QStringLiteral("bgColor"), dialog.Bgcolor()}}};
}

TColor ColourOf(const QString& attributeText) {
    return ColorNameToColor(HTMLToColorName(attributeText.toStdString()));
}

// A system colour is written as the colour its swatch showed: browsers read
// no system colour names in these attributes and would show another colour.
QString HtmlOf(const TColorBox& box) {
    TColor value = box.Selected();
    if (IsSystemColor(value))
        value = TColor(ValueFromColor(SwatchColour(value)));
    return QString::fromStdString(ColorToHTML(value));
}

// The value an item list stands for; none when no item is selected.
std::optional<QString> ListValue(const QComboBox& list, const QStringList& values) {
    const int index = list.currentIndex();
    if (index < 0)
        return std::nullopt;
    return values[index];
}

// Attribute values as browsers read them, for filling the dialogs: keywords
// in any letter case with blanks around, sizes by their leading number.

QString Keyword(const QString& value) {
    return AsciiLower(value.trimmed());
}

// The digits of a leading whole number ("4px" gives 4, " +2" gives 2); the
// value itself when it has none, so that it is refused as before.
qsizetype LeadingDigits(const QString& value, qsizetype& from) {
    from = 0;
    while (from < value.size() && value[from].isSpace())
        ++from;
    if (from < value.size() && value[from] == u'+')
        ++from;
    qsizetype end = from;
    while (end < value.size() && value[end] >= u'0' && value[end] <= u'9')
        ++end;
    return end - from;
}

QString LeadingNumber(const QString& value) {
    qsizetype from = 0;
    const qsizetype digits = LeadingDigits(value, from);
    return digits > 0 ? value.mid(from, digits) : value;
}

// A width or height: the leading number, a fraction dropped, "%" kept when
// it follows the number ("33.3%" gives 33%, "200px" gives 200).
QString Dimension(const QString& value) {
    qsizetype from = 0;
    const qsizetype digits = LeadingDigits(value, from);
    if (digits == 0)
        return value;
    qsizetype end = from + digits;
    if (end < value.size() && value[end] == u'.')
        for (++end; end < value.size() && value[end] >= u'0' && value[end] <= u'9';)
            ++end;
    const bool percent = end < value.size() && value[end] == u'%';
    return value.mid(from, digits) + (percent ? QStringLiteral("%") : QString());
}

// Selects the item whose value this is; any other value leaves the list.
void SelectListValue(QComboBox& list, const QStringList& values, const QString& value) {
    const qsizetype index = values.indexOf(Keyword(value));
    if (index >= 0)
        list.setCurrentIndex(int(index));
}

void FillNumber(QLineEdit& edit, TUpDown& upDown, const QString& value) {
    const QString number = LeadingNumber(value);
    SetNumber(edit, upDown, number, StrToInt(number.toStdString()));
}

// The table's size as the table command writes it: the number, then, for
// percent, the value read back with "%" appended.
void WriteTableSize(Element& table, const QString& name, const TSizeControls& size) {
    if (!size.CheckBox->isChecked()) {
        table.setProperty(name, QString());
        return;
    }
    table.setProperty(name, size.Edit->text());
    if (size.Percents->isChecked())
        table.setProperty(name, table.property(name) + QLatin1Char('%'));
}

} // namespace

TTableCommands::TTableCommands(Engine& engine, TTableDlg& tableDlg, TCellDlg& cellDlg,
                               UndoRedoFlags flags)
    : m_engine(engine), m_tableDlg(tableDlg), m_cellDlg(cellDlg), m_flags(std::move(flags)) {}

void TTableCommands::TableExecute() {
    m_tableDlg.ResetToDefaults();
    if (m_engine.selectionType() == SelectionType::Control) {
        const ElementPtr first = m_engine.createRange()->item(0);
        if (first->tagName() == kTable)
            FillFromTable(*first);
    }
    if (m_tableDlg.exec() != QDialog::Accepted)
        return;
    if (m_engine.selectionType() == SelectionType::Control) {
        const RangePtr range = m_engine.createRange();
        if (range->item(0)->tagName() != kTable)
            range->execCommand(QStringLiteral("Delete"));
    }
    if (m_engine.selectionType() != SelectionType::Control) {
        InsertHTML(m_engine, NewTableFragment(m_tableDlg), m_flags);
        return;
    }
    WriteTable(*m_engine.createRange()->item(0));
}

void TTableCommands::FillFromTable(Element& table) {
    TTableDlg& d = m_tableDlg;
    SelectListValue(*d.Align(), kAlignValues, table.property(QStringLiteral("align")));
    if (const QString padding = table.property(QStringLiteral("cellPadding")); !padding.isEmpty())
        FillNumber(*d.Cellpadding(), *d.CellpaddingUpDown(), padding);
    if (const QString spacing = table.property(QStringLiteral("cellSpacing")); !spacing.isEmpty())
        FillNumber(*d.Cellspacing(), *d.CellspacingUpDown(), spacing);
    d.Widths().Fill(Dimension(table.property(QStringLiteral("width"))));
    d.Heights().Fill(Dimension(table.property(QStringLiteral("height"))));
    const QString border = table.property(QStringLiteral("border"));
    FillNumber(*d.Border(), *d.BorderUpDown(), border.isEmpty() ? QStringLiteral("0") : border);
    for (const TColourAttribute& colour : ColourAttributes(d)) {
        if (const QString text = table.property(colour.Name); !text.isEmpty())
            colour.Box->SetSelected(ColourOf(text));
    }
}

void TTableCommands::WriteTable(Element& table) {
    const TTableDlg& d = m_tableDlg;
    table.setProperty(QStringLiteral("align"), kAlignValues[d.Align()->currentIndex()]);
    table.setProperty(QStringLiteral("cellPadding"), d.Cellpadding()->text());
    table.setProperty(QStringLiteral("cellSpacing"), d.Cellspacing()->text());
    WriteTableSize(table, QStringLiteral("width"), d.Widths());
    WriteTableSize(table, QStringLiteral("height"), d.Heights());
    table.setProperty(QStringLiteral("border"), d.Border()->text());
    for (const TColourAttribute& colour : ColourAttributes(d))
        table.setProperty(colour.Name, HtmlOf(*colour.Box));
}

void TTableCommands::PropertyCellExecute() {
    const ElementPtr cell = SelectedElement(m_engine, QStringLiteral("TD"));
    if (!cell)
        return;
    FillFromCell(*cell);
    if (m_cellDlg.exec() != QDialog::Accepted)
        return;
    WriteCell(*cell);
}

void TTableCommands::FillFromCell(Element& cell) {
    TCellDlg& d = m_cellDlg;
    SelectListValue(*d.Align(), kAlignValues, cell.property(QStringLiteral("align")));
    SelectListValue(*d.Valign(), kVAlignValues, cell.property(QStringLiteral("vAlign")));
    d.Widths().Fill(Dimension(cell.property(QStringLiteral("width"))));
    d.Heights().Fill(Dimension(cell.property(QStringLiteral("height"))));
    d.NoWrap()->setChecked(cell.noWrap());
    for (const TColourAttribute& colour : ColourAttributes(d)) {
        const QString text = cell.property(colour.Name);
        colour.Box->SetSelected(text.isEmpty() ? clNone : ColourOf(text));
    }
}

void TTableCommands::WriteCell(Element& cell) {
    const TCellDlg& d = m_cellDlg;
    if (const std::optional<QString> align = ListValue(*d.Align(), kAlignValues))
        cell.setProperty(QStringLiteral("align"), *align);
    if (const std::optional<QString> vAlign = ListValue(*d.Valign(), kVAlignValues))
        cell.setProperty(QStringLiteral("vAlign"), *vAlign);
    cell.setProperty(QStringLiteral("width"), d.Widths().Text());
    cell.setProperty(QStringLiteral("height"), d.Heights().Text());
    for (const TColourAttribute& colour : ColourAttributes(d))
        cell.setProperty(colour.Name, HtmlOf(*colour.Box));
    cell.setNoWrap(d.NoWrap()->isChecked());
}

std::string NewTableFragment(const TTableDlg& d) {
    QString html = QStringLiteral("<table");
    if (const int align = d.Align()->currentIndex(); align > 0)
        html += QStringLiteral(" align=") + kAlignValues[align];
    html += QStringLiteral(" cellpadding=") + d.Cellpadding()->text();
    html += QStringLiteral(" cellspacing=") + d.Cellspacing()->text();
    if (d.Widths().CheckBox->isChecked())
        html += QStringLiteral(" width=") + d.Widths().Text();
    if (d.Heights().CheckBox->isChecked())
        html += QStringLiteral(" height=") + d.Heights().Text();
    html += QStringLiteral(" border=") + d.Border()->text();
    for (const TColourAttribute& colour : ColourAttributes(d)) {
        if (const QString text = HtmlOf(*colour.Box); !text.isEmpty())
            html += QLatin1Char(' ') + colour.Name + QLatin1Char('=') + text;
    }
    html += QStringLiteral("><tr><td></td></tr></table>");
    return ToCp1251(html);
}

} // namespace quillery
