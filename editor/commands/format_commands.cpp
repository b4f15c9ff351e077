#include "editor/commands/format_commands.h"

#include "editor/commands/command_values.h"

#include <QColorDialog>

namespace quillery {

TFormatCommands::TFormatCommands(Engine& engine, QColorDialog& colorDialog)
    : m_engine(engine), m_colorDialog(colorDialog) {}

void TFormatCommands::AlignmentToggle(const QString& command) {
    const QVariant value = m_engine.queryCommandValue(command);
    const bool inForce = value.typeId() == QMetaType::Bool && value.toBool();
    m_engine.execCommand(inForce ? QStringLiteral("JustifyNone") : command);
}

void TFormatCommands::Plain(const QString& command) {
    m_engine.execCommand(command);
}

void TFormatCommands::JustifyLeftExecute() {
    AlignmentToggle(QStringLiteral("JustifyLeft"));
}

void TFormatCommands::JustifyCenterExecute() {
    AlignmentToggle(QStringLiteral("JustifyCenter"));
}

void TFormatCommands::JustifyRightExecute() {
    AlignmentToggle(QStringLiteral("JustifyRight"));
}

void TFormatCommands::JustifyFullExecute() {
    AlignmentToggle(QStringLiteral("JustifyFull"));
}

void TFormatCommands::InsertOrderedListExecute() {
    Plain(QStringLiteral("InsertOrderedList"));
}

void TFormatCommands::InsertUnorderedListExecute() {
    Plain(QStringLiteral("InsertUnorderedList"));
}

void TFormatCommands::OutdentExecute() {
    Plain(QStringLiteral("Outdent"));
}

void TFormatCommands::IndentExecute() {
    Plain(QStringLiteral("Indent"));
}

void TFormatCommands::clearfrmtExecute() {
    Plain(QStringLiteral("RemoveFormat"));
}

void TFormatCommands::hrExecute() {
    Plain(QStringLiteral("InsertHorizontalRule"));
}

void TFormatCommands::BackColorExecute() {
    m_colorDialog.setCurrentColor(Qt::black);
    const QVariant value = m_engine.queryCommandValue(QStringLiteral("BackColor"));
    if (!IsNull(value))
        m_colorDialog.setCurrentColor(ColorFromValue(IntegerValue(value, "цвет выделения")));
    if (m_colorDialog.exec() != QDialog::Accepted)
        return;
    const auto color = static_cast<qint32>(ValueFromColor(m_colorDialog.currentColor()));
    m_engine.execCommand(QStringLiteral("BackColor"), false, color);
}

void TFormatCommands::CutExecute() {
    m_engine.ExecWB(WebCommand::Cut);
}

void TFormatCommands::CopyExecute() {
    m_engine.ExecWB(WebCommand::Copy);
}

void TFormatCommands::PasteExecute() {
    m_engine.ExecWB(WebCommand::Paste);
}

void TFormatCommands::PrintExecute() {
    m_engine.ExecWB(WebCommand::Print);
}

void TFormatCommands::UndoExecute() {
    m_engine.ExecWB(WebCommand::Undo);
}

void TFormatCommands::RedoExecute() {
    m_engine.ExecWB(WebCommand::Redo);
}

void TFormatCommands::FindExecute() {
    m_engine.Exec(TargetCommand::Find);
}

void TFormatCommands::ShowBorderExecute() {
    m_engine.Exec(TargetCommand::ShowZeroBorders);
}

} // namespace quillery
