#include "tables/table_structure.h"

#include "editor/engine.h"
#include "editor/selection_helpers.h"

namespace quillery {
namespace {

const QString kTD = QStringLiteral("TD");
const QString kTR = QStringLiteral("TR");

} // namespace

TTableStructureCommands::TTableStructureCommands(Engine& engine,
                                                 std::function<void(const TTableOffer&)> setActions)
    : m_engine(engine), m_setActions(std::move(setActions)) {}

void TTableStructureCommands::UpdateTableActions() {
    m_setActions(Offer());
}

TTableOffer TTableStructureCommands::Offer() {
    TTableOffer offer;
    if (m_engine.selectionType() == SelectionType::Control)
        return offer;
    if (ElementPtr cell = SelectedElement(m_engine, kTD)) {
        offer.PropertyCell = offer.InsertCell = offer.InsertRow = offer.DeleteRow = true;
        offer.colspanadd = offer.rowspanadd = true;
        offer.colspansub = cell->colSpan() > 1;
        offer.rowspansub = cell->rowSpan() > 1;
        offer.DeleteCell = cell->cellIndex() != 0;
        if (!offer.DeleteCell) {
            // The only cell of a row stays.
            const ElementPtr row = EnclosingElement(kTR, std::move(cell));
            offer.DeleteCell = row && row->cellCount() > 1;
        }
        return offer;
    }
    if (SelectedElement(m_engine, kTR))
        offer.InsertRow = offer.DeleteRow = true;
    return offer;
}

void TTableStructureCommands::InsertRowExecute() {
    ElementPtr row = SelectedElement(m_engine, kTR);
    if (!row)
        return;
    const int below = row->rowIndex() + 1;
    if (const ElementPtr table = EnclosingElement(QStringLiteral("TABLE"), std::move(row)))
        table->insertRow(below)->insertCell(-1);
}

void TTableStructureCommands::DeleteRowExecute() {
    ElementPtr row = SelectedElement(m_engine, kTR);
    if (!row)
        return;
    const int index = row->rowIndex();
    if (const ElementPtr table = EnclosingElement(QStringLiteral("TABLE"), std::move(row)))
        table->deleteRow(index);
}

void TTableStructureCommands::InsertCellExecute() {
    ElementPtr cell = SelectedElement(m_engine, kTD);
    if (!cell)
        return;
    const int after = cell->cellIndex() + 1;
    if (const ElementPtr row = EnclosingElement(kTR, std::move(cell)))
        row->insertCell(after);
}

void TTableStructureCommands::DeleteCellExecute() {
    ElementPtr cell = SelectedElement(m_engine, kTD);
    if (!cell)
        return;
    const int index = cell->cellIndex();
    if (const ElementPtr row = EnclosingElement(kTR, std::move(cell)))
        row->deleteCell(index);
}

void TTableStructureCommands::colspanaddExecute() {
    if (const ElementPtr cell = SelectedElement(m_engine, kTD))
        cell->setColSpan(cell->colSpan() + 1);
}

void TTableStructureCommands::colspansubExecute() {
    if (const ElementPtr cell = SelectedElement(m_engine, kTD))
        cell->setColSpan(cell->colSpan() - 1);
}

void TTableStructureCommands::rowspanaddExecute() {
    if (const ElementPtr cell = SelectedElement(m_engine, kTD))
        cell->setRowSpan(cell->rowSpan() + 1);
}

void TTableStructureCommands::rowspansubExecute() {
    if (const ElementPtr cell = SelectedElement(m_engine, kTD))
        cell->setRowSpan(cell->rowSpan() - 1);
}

} // namespace quillery
