#pragma once

#include "tables/colour_conversion.h"

#include <QComboBox>

namespace quillery {

// A drop-down list of colours: "Custom..." first (any RGB colour, chosen in a
// colour picker), then every named colour but clDefault, each with a swatch.
// Starts at clNone.
class TColorBox final : public QComboBox {
    Q_OBJECT
public:
    explicit TColorBox(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TColorBox)

    // The value of the selected entry.
    TColor Selected() const;
    // Selects the entry with this value; a value no named entry has goes into
    // the custom entry.
    void SetSelected(TColor value);

    static constexpr int kCustomIndex = 0;

protected:
    // Each way of choosing an entry notes what was selected before.
    void showPopup() override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void SetCustom(TColor value);
    void EntryChosen(int index);

    int m_beforeChoice = -1;
};

// The colour a swatch shows: an RGB colour as itself, a system colour in this
// platform's matching palette colour; none for clNone and clDefault.
QColor SwatchColour(TColor value);

} // namespace quillery
