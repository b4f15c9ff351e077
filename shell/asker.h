#pragma once

#include <QString>

class QWidget;

namespace quillery {

// Every question and message box the program puts to the user goes through
// one of these, so tests can answer without a modal box blocking them.
class Asker {
public:
    virtual ~Asker() = default;
    enum class Answer { Yes, No };
    // A Yes/No confirmation; true for Yes. Enter gives byDefault.
    virtual bool Confirm(const QString& text, Answer byDefault = Answer::No) = 0;
    virtual void ShowError(const QString& text) = 0;
    virtual void ShowWarning(const QString& text) = 0;
};

// The real thing: standard message boxes over parent.
class BoxAsker final : public Asker {
public:
    explicit BoxAsker(QWidget* parent) : m_parent(parent) {}
    Q_DISABLE_COPY_MOVE(BoxAsker)

    bool Confirm(const QString& text, Answer byDefault = Answer::No) override;
    void ShowError(const QString& text) override;
    void ShowWarning(const QString& text) override;

private:
    QWidget* m_parent;
};

} // namespace quillery
