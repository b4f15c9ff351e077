#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

namespace quillery {

// In-place title editing: refuses characters Windows-1251 cannot hold, and
// can hand a title still being typed to the model before a document is left.
class TTitleDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TTitleDelegate(QObject* parent);
    Q_DISABLE_COPY_MOVE(TTitleDelegate)

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

    // Writes the open editor's text into the model, if an editor is open.
    void CommitTitleEdit();
    QLineEdit* Editor() const { return m_editor; }

private:
    mutable QPointer<QLineEdit> m_editor;
};

} // namespace quillery
