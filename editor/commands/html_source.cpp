#include "editor/commands/html_source.h"

#include "editor/commands/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

namespace quillery {
namespace {

constexpr int kFontPixels = 13;

// Courier New where it is installed; elsewhere the font configuration
// answers with its metric-compatible substitute, or at least a fixed-pitch
// one. The editor takes sizes in points only: 13 pixels at this screen's
// resolution.
QFont SourceFont(const QWidget& editor) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(kFontPixels * 72.0 / editor.logicalDpiY());
    return font;
}

} // namespace

THTMLSource::THTMLSource(QWidget* parent) : QDialog(parent), m_memo(new QsciScintilla(this)) {
    setObjectName(QStringLiteral("HTMLSource"));
    setWindowTitle(QStringLiteral("HTML"));

    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setUtf8(true);
    m_memo->setEolMode(QsciScintilla::EolWindows);
    m_memo->setWrapMode(QsciScintilla::WrapWord);
    m_memo->setMargins(0);
    auto* lexer = new QsciLexerHTML(m_memo);
    const QFont font = SourceFont(*m_memo);
    lexer->setDefaultFont(font);
    lexer->setFont(font);
    m_memo->setLexer(lexer);
    m_memo->installEventFilter(this);

    auto* group = new QGroupBox(QStringLiteral("Исходный код"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_memo);

    QDialogButtonBox* buttons = OkCancelButtons(*this, Qt::Vertical);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addWidget(buttons, 0, Qt::AlignTop);
    setFixedSize(720, 480);
}

QString THTMLSource::Text() const {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return m_memo->text().replace(lineBreak, QStringLiteral("\r\n"));
}

void THTMLSource::SetText(const QString& text) {
    m_memo->setText(text);
}

bool THTMLSource::eventFilter(QObject* watched, QEvent* event) {
    // The editor keeps Enter for new lines and would swallow Esc: Esc
    // dismisses the dialog and Ctrl+Enter confirms it from the editor.
    if (watched == m_memo && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
            reject();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            modifiers == Qt::ControlModifier) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void THTMLSource::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_memo->setFocus();
}

} // namespace quillery
