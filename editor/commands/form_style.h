#pragma once

#include <QDialog>

class QListWidget;
class QListWidgetItem;

namespace quillery {

// The style chooser: a list of the engine's paragraph styles. Created once
// and reused; the list and its selection stay between showings. OK or a
// double click confirms, Отмена or Esc dismisses.
class TFormStyle1 final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFormStyle1)

public:
    explicit TFormStyle1(QWidget* parent);

    QListWidget* ParagraphStyle() const { return m_paragraphStyle; }
    // The item the user has selected, or null.
    QListWidgetItem* SelectedStyle() const;

private:
    QListWidget* m_paragraphStyle;
};

} // namespace quillery
