#include "editor/commands/html_command.h"

#include "editor/commands/html_source.h"

namespace quillery {

THTMLCommand::THTMLCommand(Engine& engine, THTMLSource& htmlSource)
    : m_engine(engine), m_htmlSource(htmlSource) {}

void THTMLCommand::HTMLExecute() {
    // Kept until the end: OK writes back into what was selected at the start.
    const RangePtr range = m_engine.createRange();
    const bool control = m_engine.selectionType() == SelectionType::Control;
    m_htmlSource.SetText(control ? range->commonParentElement()->outerHTML() : range->htmlText());
    if (m_htmlSource.exec() != QDialog::Accepted)
        return;
    const QString text = m_htmlSource.Text();
    if (m_engine.selectionType() == SelectionType::Control)
        range->commonParentElement()->setOuterHTML(text);
    else
        range->pasteHTML(text);
}

} // namespace quillery
