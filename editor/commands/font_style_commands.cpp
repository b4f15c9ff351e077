#include "editor/commands/font_style_commands.h"

#include "editor/commands/command_values.h"
#include "editor/commands/font_dialog.h"
#include "editor/commands/form_style.h"
#include "store/error.h"

#include <QListWidget>
#include <array>

namespace quillery {
namespace {

struct EffectCommand {
    TFontDialog::Effect effect;
    const char* state;  // the name the state query knows
    const char* toggle; // the name of the toggling command
};

constexpr std::array<EffectCommand, 4> kEffects{{
    {TFontDialog::Effect::Bold, "Bold", "Bold"},
    {TFontDialog::Effect::Italic, "Italic", "Italic"},
    {TFontDialog::Effect::Underline, "UnderLine", "Underline"},
    {TFontDialog::Effect::StrikeOut, "StrikeThrough", "StrikeThrough"},
}};

const QString kDefaultFontName = QStringLiteral("Times New Roman");

} // namespace

int PointsFromHtmlSize(const QVariant& htmlSize) {
    if (IsNull(htmlSize))
        return 10;
    static constexpr std::array<int, 7> kPoints{8, 9, 10, 11, 12, 14, 16};
    const int size = IntegerValue(htmlSize, "размер шрифта");
    return size >= 1 && size <= 7 ? kPoints[size - 1] : 10;
}

int HtmlSizeFromPoints(int points) {
    if (points < 9)
        return 1;
    if (points <= 12)
        return points - 7;
    return points <= 14 ? 6 : 7;
}

TFontStyleCommands::TFontStyleCommands(Engine& engine, TFontDialog& fontDialog,
                                       TFormStyle1& formStyle)
    : m_engine(engine), m_fontDialog(fontDialog), m_formStyle(formStyle) {}

void TFontStyleCommands::FontExecute() {
    TFontDialog::Effects style;
    for (const EffectCommand& e : kEffects)
        if (m_engine.queryCommandState(QString::fromLatin1(e.state)))
            style |= e.effect;
    const QVariant name = m_engine.queryCommandValue(QStringLiteral("FontName"));
    const int points = PointsFromHtmlSize(m_engine.queryCommandValue(QStringLiteral("FontSize")));
    const QVariant color = m_engine.queryCommandValue(QStringLiteral("ForeColor"));
    const auto colorValue =
        static_cast<quint32>(IsNull(color) ? 0 : IntegerValue(color, "цвет текста"));

    m_fontDialog.SetStyle(style);
    m_fontDialog.SetName(IsNull(name) ? kDefaultFontName : name.toString());
    m_fontDialog.SetSize(points);
    m_fontDialog.SetColor(colorValue);
    if (m_fontDialog.exec() != QDialog::Accepted)
        return;

    const TFontDialog::Effects wanted = m_fontDialog.Style();
    for (const EffectCommand& e : kEffects) {
        const bool current = m_engine.queryCommandState(QString::fromLatin1(e.state));
        if (wanted.testFlag(e.effect) != current)
            m_engine.execCommand(QString::fromLatin1(e.toggle));
    }
    const auto size = static_cast<quint8>(HtmlSizeFromPoints(m_fontDialog.Size()));
    m_engine.execCommand(QStringLiteral("FontSize"), false, QVariant::fromValue(size));
    m_engine.execCommand(QStringLiteral("FontName"), false, m_fontDialog.Name());
    m_engine.execCommand(QStringLiteral("ForeColor"), false,
                         static_cast<qint32>(m_fontDialog.Color()));
}

void TFontStyleCommands::StyleExecute() {
    const QVariant current = m_engine.queryCommandValue(QStringLiteral("FormatBlock"));
    QListWidget& list = *m_formStyle.ParagraphStyle();
    if (!IsNull(current)) {
        const QString name = current.toString();
        for (int row = 0; row < list.count(); ++row) {
            if (list.item(row)->text() == name) {
                list.setCurrentRow(row);
                break;
            }
        }
    }
    if (m_formStyle.exec() != QDialog::Accepted)
        return;
    const QListWidgetItem* chosen = m_formStyle.SelectedStyle();
    if (!chosen)
        throw Error("Стиль не выбран: выделите его в списке стилей.");
    m_engine.execCommand(QStringLiteral("FormatBlock"), false, chosen->text());
}

void TFontStyleCommands::RefillStyleList() {
    QListWidget& list = *m_formStyle.ParagraphStyle();
    list.clear();
    list.addItems(m_engine.Exec(TargetCommand::BlockFormats));
}

} // namespace quillery
