#include "shell/title_delegate.h"

#include "shell/cp1251_refusal.h"

#include <QLineEdit>

namespace quillery {

TTitleDelegate::TTitleDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QWidget* TTitleDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                      const QModelIndex&) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setValidator(new Cp1251Validator(editor));
    m_editor = editor;
    return editor;
}

void TTitleDelegate::CommitTitleEdit() {
    if (!m_editor)
        return;
    QLineEdit* editor = m_editor;
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

} // namespace quillery
