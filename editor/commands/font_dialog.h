#pragma once

#include <QDialog>
#include <QFlags>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace quillery {

// The font dialog: name, size in points, bold, italic, underline,
// strike-out and text colour. Created once and reused; it keeps what it
// was last given.
class TFontDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFontDialog)

public:
    enum class Effect { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
    Q_DECLARE_FLAGS(Effects, Effect)

    static constexpr int kMinSize = 8;
    static constexpr int kMaxSize = 16;

    explicit TFontDialog(QWidget* parent);

    // Any name is shown, installed on this system or not.
    QString Name() const;
    void SetName(const QString& name);
    // Points, kept within kMinSize to kMaxSize.
    int Size() const;
    void SetSize(int points);
    Effects Style() const;
    void SetStyle(Effects style);
    // 0x00BBGGRR, red in the lowest byte.
    quint32 Color() const;
    void SetColor(quint32 color);

private:
    void ChooseColor();
    void ShowSample();

    QComboBox* m_name;
    QSpinBox* m_size;
    QCheckBox* m_bold;
    QCheckBox* m_italic;
    QCheckBox* m_underline;
    QCheckBox* m_strikeOut;
    QPushButton* m_color;
    QLabel* m_sample;
    quint32 m_colorValue = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFontDialog::Effects)

} // namespace quillery
