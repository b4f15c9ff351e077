#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace quillery {

// The contents-link dialog: the contents as an indented list, one line per
// node; OK, or a double click on a line, chooses the selected line.
class TFormLink final : public QDialog {
    Q_OBJECT
public:
    explicit TFormLink(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TFormLink)

    QListWidget* ListBox() const { return m_listBox; }
    QPushButton* BitBtn1() const { return m_ok; }
    QPushButton* BitBtn2() const { return m_cancel; }

    // The selected line, or -1 when none is.
    int ItemIndex() const;

private:
    void ListBoxDblClick();

    QListWidget* m_listBox;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace quillery
