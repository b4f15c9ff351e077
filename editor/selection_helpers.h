#pragma once

#include "editor/engine.h"

#include <functional>
#include <string_view>

namespace quillery {

// Sets the enabled flags of the Undo and Redo actions.
struct UndoRedoFlags {
    std::function<void(bool)> setUndoEnabled;
    std::function<void(bool)> setRedoEnabled;
};

// The nearest element named tagName (upper case, compared exactly) around the
// current selection, or none.
ElementPtr SelectedElement(Engine& engine, const QString& tagName);

// start itself or its nearest ancestor named tagName, or none.
ElementPtr EnclosingElement(const QString& tagName, ElementPtr start);

// Puts a Windows-1251 fragment at the selection: selected objects are deleted
// first, selected text is replaced. Then refreshes Undo and Redo.
void InsertHTML(Engine& engine, std::string_view fragment, const UndoRedoFlags& flags);

void VISUALEditCommandStateChange(Engine& engine, const UndoRedoFlags& flags);

} // namespace quillery
