#pragma once

#include <QPlainTextEdit>

namespace quillery {

// Memo1: the one-line note. Enter adds no line break, and characters that
// Windows-1251 cannot hold are refused with a hint instead of being lost on
// save. Pasted line breaks stay in the field; leaving the document turns
// each into a blank.
class TNoteMemo final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TNoteMemo(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TNoteMemo)

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace quillery
