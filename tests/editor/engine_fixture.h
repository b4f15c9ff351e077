#pragma once

#include "editor/webengine/webengine_engine.h"

#include <QTemporaryDir>
#include <functional>

class QDialog;

namespace quillery {

// A real mouse click on the middle of the first element matching selector.
void ClickElement(Engine& engine, const QString& selector, Qt::KeyboardModifiers modifiers = {},
                  Qt::MouseButton button = Qt::LeftButton);

// A real engine in a shown window, with ways to copy a fixture document into
// a scratch folder, open it for editing, and act on it as a user would.
class EngineFixture final {
    Q_DISABLE_COPY_MOVE(EngineFixture)

public:
    EngineFixture();

    WebEngineEngine& engine() { return m_engine; }

    // Copies tests/data/editor/<name> into the scratch folder.
    QString copyFixture(const QString& name);
    QString scratchPath(const QString& name) const { return m_dir.filePath(name); }
    // Loads a document file the way the program does and switches design on.
    void open(const QString& path);

    // Runs DOM script in the adapter's world and returns its value.
    QVariant script(const QString& js);
    // Sets the DOM selection inside the first element matching selector:
    // from..to in its text (a caret when equal).
    void selectText(const QString& selector, int from, int to);
    // A real mouse click on the middle of the first element matching selector.
    void click(const QString& selector, Qt::KeyboardModifiers modifiers = {},
               Qt::MouseButton button = Qt::LeftButton);
    QString bodyHtml();

private:
    QTemporaryDir m_dir;
    WebEngineEngine m_engine;
};

// Runs DOM script in the adapter's world of an engine's editing area and
// returns its value.
QVariant PageScript(QWidget* editArea, const QString& js);

// Answers a file dialog as a user would: types the path and opens it.
void ChooseFile(QDialog* dialog, const QString& path);

// Runs answer on the next modal dialog once it shows, then makes sure the
// dialog is gone.
void AnswerNextDialog(std::function<void(QDialog*)> answer);

// Runs command; a modal dialog it shows is given to answer, then made sure
// to be gone. True when a dialog showed.
bool AnswerDialogDuring(const std::function<void()>& command,
                        const std::function<void(QDialog*)>& answer);

} // namespace quillery
