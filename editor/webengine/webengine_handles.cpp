#include "editor/webengine/webengine_handles.h"

#include "editor/webengine/script_value.h"
#include "editor/webengine/webengine_engine.h"

#include <QJsonValue>

namespace quillery {

ScriptHandle::ScriptHandle(WebEngineEngine& engine, int id)
    : m_engine(engine), m_generation(engine.generation()), m_id(id) {}

ScriptHandle::~ScriptHandle() {
    m_engine.release(m_generation, m_id);
}

QVariant ScriptHandle::call(const QString& op, const QJsonArray& args) {
    QJsonArray all{m_id};
    for (const QJsonValue& arg : args)
        all.append(arg);
    return m_engine.callOn(m_generation, op, all);
}

ElementPtr ScriptHandle::element(const QVariant& id) {
    return m_engine.elementFrom(id);
}

WebEngineElement::WebEngineElement(WebEngineEngine& engine, int handle)
    : m_handle(engine, handle) {}

QString WebEngineElement::tagName() {
    return m_handle.call(QStringLiteral("tagName")).toString();
}

ElementPtr WebEngineElement::parentElement() {
    return m_handle.element(m_handle.call(QStringLiteral("parentElement")));
}

QString WebEngineElement::outerHTML() {
    return m_handle.call(QStringLiteral("outerHTML")).toString();
}

void WebEngineElement::setOuterHTML(const QString& html) {
    m_handle.call(QStringLiteral("setOuterHTML"), {html});
}

void WebEngineElement::setAttribute(const QString& name, const QString& value) {
    m_handle.call(QStringLiteral("setAttribute"), {name, value});
}

QString WebEngineElement::href() {
    return m_handle.call(QStringLiteral("href")).toString();
}

QString WebEngineElement::property(const QString& name) {
    return m_handle.call(QStringLiteral("property"), {name}).toString();
}

void WebEngineElement::setProperty(const QString& name, const QString& value) {
    m_handle.call(QStringLiteral("setProperty"), {name, value});
}

bool WebEngineElement::noWrap() {
    return m_handle.call(QStringLiteral("noWrap")).toBool();
}

void WebEngineElement::setNoWrap(bool on) {
    m_handle.call(QStringLiteral("setNoWrap"), {on});
}

ElementPtr WebEngineElement::insertRow(int index) {
    return m_handle.element(m_handle.call(QStringLiteral("insertRow"), {index}));
}

void WebEngineElement::deleteRow(int index) {
    m_handle.call(QStringLiteral("deleteRow"), {index});
}

int WebEngineElement::rowIndex() {
    return m_handle.call(QStringLiteral("rowIndex")).toInt();
}

int WebEngineElement::cellCount() {
    return m_handle.call(QStringLiteral("cellCount")).toInt();
}

ElementPtr WebEngineElement::cell(int index) {
    return m_handle.element(m_handle.call(QStringLiteral("cell"), {index}));
}

ElementPtr WebEngineElement::insertCell(int index) {
    return m_handle.element(m_handle.call(QStringLiteral("insertCell"), {index}));
}

void WebEngineElement::deleteCell(int index) {
    m_handle.call(QStringLiteral("deleteCell"), {index});
}

int WebEngineElement::cellIndex() {
    return m_handle.call(QStringLiteral("cellIndex")).toInt();
}

int WebEngineElement::colSpan() {
    return m_handle.call(QStringLiteral("colSpan")).toInt();
}

void WebEngineElement::setColSpan(int span) {
    m_handle.call(QStringLiteral("setColSpan"), {span});
}

int WebEngineElement::rowSpan() {
    return m_handle.call(QStringLiteral("rowSpan")).toInt();
}

void WebEngineElement::setRowSpan(int span) {
    m_handle.call(QStringLiteral("setRowSpan"), {span});
}

WebEngineRange::WebEngineRange(WebEngineEngine& engine, int handle) : m_handle(engine, handle) {}

bool WebEngineRange::isControl() {
    return m_handle.call(QStringLiteral("isControl")).toBool();
}

QString WebEngineRange::htmlText() {
    return m_handle.call(QStringLiteral("htmlText")).toString();
}

ElementPtr WebEngineRange::parentElement() {
    return m_handle.element(m_handle.call(QStringLiteral("rangeParent")));
}

void WebEngineRange::pasteHTML(const QString& html) {
    m_handle.call(QStringLiteral("pasteHTML"), {html});
}

int WebEngineRange::length() {
    return m_handle.call(QStringLiteral("length")).toInt();
}

ElementPtr WebEngineRange::item(int index) {
    return m_handle.element(m_handle.call(QStringLiteral("item"), {index}));
}

ElementPtr WebEngineRange::commonParentElement() {
    return m_handle.element(m_handle.call(QStringLiteral("commonParentElement")));
}

void WebEngineRange::execCommand(const QString& command, bool, const QVariant& value) {
    m_handle.call(QStringLiteral("controlExec"), {command, ScriptValue(value)});
}

} // namespace quillery
