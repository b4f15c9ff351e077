#include "shell/tree_selection.h"

#include <QScopedValueRollback>

namespace quillery {

TTreeSelection::TTreeSelection(QAbstractItemModel* model) : QItemSelectionModel(model) {}

void TTreeSelection::setCurrentIndex(const QModelIndex& index,
                                     QItemSelectionModel::SelectionFlags command) {
    const QPersistentModelIndex target(index);
    const bool moves = target != currentIndex();
    if (moves && m_changing && !m_changing())
        return;
    if (index.isValid() && !target.isValid())
        return; // the node went away while the document was being left
    {
        QScopedValueRollback guard(m_updating, true);
        QItemSelectionModel::setCurrentIndex(target, command);
    }
    if (moves && target.isValid() && currentIndex() == target && m_change)
        m_change(target);
}

void TTreeSelection::select(const QItemSelection& selection,
                            QItemSelectionModel::SelectionFlags command) {
    // Mouse presses select apart from moving the current node; a selection
    // that leaves out the current node belongs to a refused change.
    if (!m_updating && currentIndex().isValid() && !selection.contains(currentIndex()))
        return;
    QItemSelectionModel::select(selection, command);
}

} // namespace quillery
