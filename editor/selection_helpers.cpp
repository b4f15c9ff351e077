#include "editor/selection_helpers.h"

#include "store/text_codec.h"

namespace quillery {

ElementPtr SelectedElement(Engine& engine, const QString& tagName) {
    RangePtr range = engine.createRange();
    ElementPtr start = engine.selectionType() == SelectionType::Control
                           ? range->commonParentElement()
                           : range->parentElement();
    return EnclosingElement(tagName, std::move(start));
}

ElementPtr EnclosingElement(const QString& tagName, ElementPtr start) {
    ElementPtr current = std::move(start);
    while (current && current->tagName() != tagName)
        current = current->parentElement();
    return current;
}

void InsertHTML(Engine& engine, std::string_view fragment, const UndoRedoFlags& flags) {
    if (engine.selectionType() == SelectionType::Control)
        engine.createRange()->execCommand(QStringLiteral("Delete"));
    engine.createRange()->pasteHTML(FromCp1251(fragment));
    VISUALEditCommandStateChange(engine, flags);
}

void VISUALEditCommandStateChange(Engine& engine, const UndoRedoFlags& flags) {
    flags.setRedoEnabled(engine.queryCommandEnabled(QStringLiteral("Redo")));
    flags.setUndoEnabled(engine.queryCommandEnabled(QStringLiteral("Undo")));
}

} // namespace quillery
