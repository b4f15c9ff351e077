#pragma once

#include "editor/engine.h"

class QColorDialog;

namespace quillery {

// The commands that act on the current document straight through the
// engine: alignment, lists, indentation, highlight colour, clearing formats,
// the horizontal rule, the clipboard, printing, undo and redo, finding text
// and showing zero-width table borders.
class TFormatCommands final {
public:
    TFormatCommands(Engine& engine, QColorDialog& colorDialog);
    Q_DISABLE_COPY_MOVE(TFormatCommands)

    void JustifyLeftExecute();
    void JustifyCenterExecute();
    void JustifyRightExecute();
    void JustifyFullExecute();
    void InsertOrderedListExecute();
    void InsertUnorderedListExecute();
    void OutdentExecute();
    void IndentExecute();
    void clearfrmtExecute();
    void hrExecute();
    // The highlight colour, chosen in the colour dialog opened on the
    // selection's colour (black where it is mixed).
    void BackColorExecute();
    void CutExecute();
    void CopyExecute();
    void PasteExecute();
    void PrintExecute();
    void UndoExecute();
    void RedoExecute();
    void FindExecute();
    // The action's check mark flips on its own; this flips the display.
    void ShowBorderExecute();

private:
    // An alignment already in force is taken off; otherwise it is applied.
    void AlignmentToggle(const QString& command);
    void Plain(const QString& command);

    Engine& m_engine;
    QColorDialog& m_colorDialog;
};

} // namespace quillery
