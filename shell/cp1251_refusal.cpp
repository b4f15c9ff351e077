#include "shell/cp1251_refusal.h"

#include "store/text_codec.h"

#include <QToolTip>
#include <QWidget>

namespace quillery {

QString Cp1251RefusalHint() {
    return QStringLiteral("Этот символ нельзя сохранить: кодировка сайта Windows-1251 его не "
                          "содержит.");
}

void ShowCp1251Refusal(QWidget* field) {
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), Cp1251RefusalHint(), field);
}

Cp1251Validator::Cp1251Validator(QWidget* field) : QValidator(field), m_field(field) {}

QValidator::State Cp1251Validator::validate(QString& input, int&) const {
    if (FitsCp1251(input))
        return Acceptable;
    ShowCp1251Refusal(m_field);
    return Invalid;
}

} // namespace quillery
