#pragma once

#include <QDialog>

class QsciScintilla;

namespace quillery {

// The HTML source view: a source editor with HTML colouring, OK and
// Отмена. Created once and reused; fixed size, centred on its parent, the
// focus in the editor when shown. Esc dismisses, Ctrl+Enter confirms.
class THTMLSource final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(THTMLSource)

public:
    explicit THTMLSource(QWidget* parent);

    QsciScintilla* Memo1() const { return m_memo; }
    // The editor's lines joined by CR LF, with no line break after the last.
    QString Text() const;
    // Replaces every line. Any character is shown as itself.
    void SetText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QsciScintilla* m_memo;
};

} // namespace quillery
