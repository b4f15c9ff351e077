#pragma once

#include "editor/engine.h"

#include <QJsonArray>

namespace quillery {

class WebEngineEngine;

// An object held by the adapter's script for as long as its handle lives.
class ScriptHandle final {
    Q_DISABLE_COPY_MOVE(ScriptHandle)

public:
    ScriptHandle(WebEngineEngine& engine, int id);
    ~ScriptHandle();

    // Runs op on the object, the object's id going first.
    QVariant call(const QString& op, const QJsonArray& args = {});
    ElementPtr element(const QVariant& id);

private:
    WebEngineEngine& m_engine;
    quint64 m_generation;
    int m_id;
};

class WebEngineElement final : public Element {
    Q_DISABLE_COPY_MOVE(WebEngineElement)

public:
    WebEngineElement(WebEngineEngine& engine, int handle);

    QString tagName() override;
    ElementPtr parentElement() override;
    QString outerHTML() override;
    void setOuterHTML(const QString& html) override;
    void setAttribute(const QString& name, const QString& value) override;
    QString href() override;
    QString property(const QString& name) override;
    void setProperty(const QString& name, const QString& value) override;
    bool noWrap() override;
    void setNoWrap(bool on) override;
    ElementPtr insertRow(int index) override;
    void deleteRow(int index) override;
    int rowIndex() override;
    int cellCount() override;
    ElementPtr cell(int index) override;
    ElementPtr insertCell(int index) override;
    void deleteCell(int index) override;
    int cellIndex() override;
    int colSpan() override;
    void setColSpan(int span) override;
    int rowSpan() override;
    void setRowSpan(int span) override;

private:
    ScriptHandle m_handle;
};

class WebEngineRange final : public Range {
    Q_DISABLE_COPY_MOVE(WebEngineRange)

public:
    WebEngineRange(WebEngineEngine& engine, int handle);

    bool isControl() override;
    QString htmlText() override;
    ElementPtr parentElement() override;
    void pasteHTML(const QString& html) override;
    int length() override;
    ElementPtr item(int index) override;
    ElementPtr commonParentElement() override;
    void execCommand(const QString& command, bool showUI, const QVariant& value) override;

private:
    ScriptHandle m_handle;
};

} // namespace quillery
