#include "editor/commands/font_dialog.h"

#include "editor/commands/command_values.h"
#include "editor/commands/dialog_buttons.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quillery {
namespace {

QIcon Swatch(const QColor& color) {
    QPixmap pixmap(32, 14);
    pixmap.fill(color);
    return QIcon(pixmap);
}

} // namespace

TFontDialog::TFontDialog(QWidget* parent)
    : QDialog(parent), m_name(new QComboBox(this)), m_size(new QSpinBox(this)),
      m_bold(new QCheckBox(QStringLiteral("Полужирный"), this)),
      m_italic(new QCheckBox(QStringLiteral("Курсив"), this)),
      m_underline(new QCheckBox(QStringLiteral("Подчеркнутый"), this)),
      m_strikeOut(new QCheckBox(QStringLiteral("Зачеркнутый"), this)),
      m_color(new QPushButton(this)), m_sample(new QLabel(QStringLiteral("АаБбВвYyZz"), this)) {
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("Шрифт"));

    // Typed names are kept as typed: a document may name a font this
    // system does not have.
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->addItems(QFontDatabase::families());
    m_name->setMinimumWidth(220);
    m_size->setRange(kMinSize, kMaxSize);
    m_color->setObjectName(QStringLiteral("FontColor"));
    // Enter confirms the dialog wherever the focus is.
    m_color->setAutoDefault(false);
    m_color->setIconSize(QSize(32, 14));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFixedHeight(48);
    m_sample->setFrameShape(QFrame::StyledPanel);
    m_sample->setAutoFillBackground(true);

    auto* nameAndSize = new QGridLayout;
    nameAndSize->addWidget(new QLabel(QStringLiteral("Шрифт:"), this), 0, 0);
    nameAndSize->addWidget(new QLabel(QStringLiteral("Размер:"), this), 0, 1);
    nameAndSize->addWidget(m_name, 1, 0);
    nameAndSize->addWidget(m_size, 1, 1);
    nameAndSize->setColumnStretch(0, 1);

    auto* style = new QGroupBox(QStringLiteral("Начертание"), this);
    auto* styleLayout = new QHBoxLayout(style);
    styleLayout->addWidget(m_bold);
    styleLayout->addWidget(m_italic);
    styleLayout->addStretch();

    auto* effects = new QGroupBox(QStringLiteral("Видоизменение"), this);
    auto* effectsLayout = new QGridLayout(effects);
    effectsLayout->addWidget(m_strikeOut, 0, 0);
    effectsLayout->addWidget(m_underline, 0, 1);
    effectsLayout->addWidget(new QLabel(QStringLiteral("Цвет:"), this), 1, 0);
    effectsLayout->addWidget(m_color, 1, 1, Qt::AlignLeft);

    auto* sample = new QGroupBox(QStringLiteral("Образец"), this);
    auto* sampleLayout = new QVBoxLayout(sample);
    sampleLayout->addWidget(m_sample);

    QDialogButtonBox* buttons = OkCancelButtons(*this, Qt::Horizontal);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameAndSize);
    layout->addWidget(style);
    layout->addWidget(effects);
    layout->addWidget(sample);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_color, &QPushButton::clicked, this, &TFontDialog::ChooseColor);
    connect(m_name, &QComboBox::currentTextChanged, this, &TFontDialog::ShowSample);
    connect(m_size, &QSpinBox::valueChanged, this, &TFontDialog::ShowSample);
    for (QCheckBox* box : {m_bold, m_italic, m_underline, m_strikeOut})
        connect(box, &QCheckBox::toggled, this, &TFontDialog::ShowSample);
    SetColor(0);
}

QString TFontDialog::Name() const {
    return m_name->currentText();
}

void TFontDialog::SetName(const QString& name) {
    const int index = m_name->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index >= 0)
        m_name->setCurrentIndex(index);
    else
        m_name->setEditText(name);
}

int TFontDialog::Size() const {
    return m_size->value();
}

void TFontDialog::SetSize(int points) {
    m_size->setValue(points);
}

TFontDialog::Effects TFontDialog::Style() const {
    Effects style;
    style.setFlag(Effect::Bold, m_bold->isChecked());
    style.setFlag(Effect::Italic, m_italic->isChecked());
    style.setFlag(Effect::Underline, m_underline->isChecked());
    style.setFlag(Effect::StrikeOut, m_strikeOut->isChecked());
    return style;
}

void TFontDialog::SetStyle(Effects style) {
    m_bold->setChecked(style.testFlag(Effect::Bold));
    m_italic->setChecked(style.testFlag(Effect::Italic));
    m_underline->setChecked(style.testFlag(Effect::Underline));
    m_strikeOut->setChecked(style.testFlag(Effect::StrikeOut));
}

quint32 TFontDialog::Color() const {
    return m_colorValue;
}

void TFontDialog::SetColor(quint32 color) {
    m_colorValue = color;
    m_color->setIcon(Swatch(ColorFromValue(m_colorValue)));
    ShowSample();
}

void TFontDialog::ChooseColor() {
    const QColor chosen =
        QColorDialog::getColor(ColorFromValue(m_colorValue), this, QStringLiteral("Цвет текста"));
    if (chosen.isValid())
        SetColor(ValueFromColor(chosen));
}

void TFontDialog::ShowSample() {
    QFont font(Name());
    font.setPointSize(Size());
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    font.setUnderline(m_underline->isChecked());
    font.setStrikeOut(m_strikeOut->isChecked());
    m_sample->setFont(font);
    QPalette colours = m_sample->palette();
    colours.setColor(QPalette::WindowText, ColorFromValue(m_colorValue));
    colours.setColor(QPalette::Window, Qt::white);
    m_sample->setPalette(colours);
}

} // namespace quillery
