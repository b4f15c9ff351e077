#pragma once

#include <QString>
#include <QValidator>

class QWidget;

namespace quillery {

// Titles and notes are stored as Windows-1251; a character it cannot hold is
// refused where it is typed, with this hint shown next to the field.
QString Cp1251RefusalHint();
void ShowCp1251Refusal(QWidget* field);

// For in-place title editing: refuses text that Windows-1251 cannot hold.
class Cp1251Validator final : public QValidator {
    Q_OBJECT
public:
    explicit Cp1251Validator(QWidget* field);
    Q_DISABLE_COPY_MOVE(Cp1251Validator)

    State validate(QString& input, int& pos) const override;

private:
    QWidget* m_field;
};

} // namespace quillery
