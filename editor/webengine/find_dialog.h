#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QWebEnginePage;

namespace quillery {

// The find dialog over the engine's own text search; it stays open beside
// the document while the user goes on editing.
class FindDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FindDialog)

public:
    FindDialog(QWebEnginePage* page, QWidget* parent);

private:
    void findNext();

    QWebEnginePage* m_page;
    QLineEdit* m_text;
    QCheckBox* m_matchCase;
    QCheckBox* m_backward;
    QLabel* m_status;
};

} // namespace quillery
