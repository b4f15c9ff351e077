#pragma once

#include "editor/engine.h"

namespace quillery {

class TFontDialog;
class TFormStyle1;

// The engine measures font sizes in HTML sizes 1 to 7, the font dialog in
// points. Anything but 1 to 7 (a mixed selection) shows as 10 points.
int PointsFromHtmlSize(const QVariant& htmlSize);
int HtmlSizeFromPoints(int points);

// The font and paragraph-style commands, and the style list the document
// loader refills on every opening.
class TFontStyleCommands final {
public:
    TFontStyleCommands(Engine& engine, TFontDialog& fontDialog, TFormStyle1& formStyle);
    Q_DISABLE_COPY_MOVE(TFontStyleCommands)

    // The font dialog filled from the selection; on OK, the effects that
    // differ are toggled and size, name and colour always sent.
    void FontExecute();
    // The style chooser with the current block's style selected; on OK the
    // chosen style is applied. Confirming with none selected is an error.
    void StyleExecute();
    void RefillStyleList();

private:
    Engine& m_engine;
    TFontDialog& m_fontDialog;
    TFormStyle1& m_formStyle;
};

} // namespace quillery
