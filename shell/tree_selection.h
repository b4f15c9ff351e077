#pragma once

#include <QItemSelectionModel>
#include <functional>

namespace quillery {

// The tree's selection with a veto: before the current node changes, the
// changing handler runs and may refuse, and then neither the current node
// nor the selection moves. After a change the change handler runs, outside
// the selection's own update, so that it may wait for the engine while
// further clicks are refused by the changing handler.
class TTreeSelection final : public QItemSelectionModel {
    Q_OBJECT
public:
    explicit TTreeSelection(QAbstractItemModel* model);
    Q_DISABLE_COPY_MOVE(TTreeSelection)

    // Returns whether the selection may leave the current node.
    void SetChangingHandler(std::function<bool()> handler) { m_changing = std::move(handler); }
    void SetChangeHandler(std::function<void(const QModelIndex&)> handler) {
        m_change = std::move(handler);
    }

    void setCurrentIndex(const QModelIndex& index,
                         QItemSelectionModel::SelectionFlags command) override;
    void select(const QItemSelection& selection,
                QItemSelectionModel::SelectionFlags command) override;
    using QItemSelectionModel::select;

private:
    std::function<bool()> m_changing;
    std::function<void(const QModelIndex&)> m_change;
    bool m_updating = false;
};

} // namespace quillery
