#pragma once

#include "editor/selection_helpers.h"

#include <string_view>

namespace quillery {

class Engine;
class TContentsTree;
class TFormLink;
class TOpenDialog;

// The commands that put links, pictures and symbols into the current
// document at the engine's selection.
class TInsertCommands final {
public:
    TInsertCommands(Engine& engine, const TContentsTree& tree, TFormLink& formLink,
                    TOpenDialog& openDialog, UndoRedoFlags flags);
    Q_DISABLE_COPY_MOVE(TInsertCommands)

    // A hyperlink through the engine's own dialog.
    void LinkExecute();
    // A link to a document of the contents, chosen in TFormLink.
    void DirectryExecute();
    // A picture through the engine's own dialog.
    void ImageExecute();
    // A link to a file chosen on disk, opened in a new window.
    void ImageOpenExecute();
    // The handler of every symbol action: the entity at the selection.
    void SymbolExecute(std::string_view entity);

private:
    Engine& m_engine;
    const TContentsTree& m_tree;
    TFormLink& m_formLink;
    TOpenDialog& m_openDialog;
    UndoRedoFlags m_flags;
};

} // namespace quillery
