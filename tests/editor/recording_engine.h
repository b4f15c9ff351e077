#pragma once

#include "editor/engine.h"

#include <QList>
#include <utility>

namespace quillery {

// The real engine, with a record of every command sent to the document
// through execCommand (name and value) and of every command whose enabled
// state was asked, so a test sees what a command sent and asked and not
// only what the document became.
class RecordingEngine final : public Engine {
public:
    explicit RecordingEngine(Engine& real) : m_real(real) {}
    Q_DISABLE_COPY_MOVE(RecordingEngine)

    QList<std::pair<QString, QVariant>> sent;
    QStringList askedEnabled;
    QStringList sentNames() const {
        QStringList names;
        for (const auto& command : sent)
            names.append(command.first);
        return names;
    }

    QWidget* widget() override { return m_real.widget(); }
    void Navigate(const QString& target) override { m_real.Navigate(target); }
    int ReadyState() override { return m_real.ReadyState(); }
    void WaitForEngine() override { m_real.WaitForEngine(); }
    QString DesignMode() override { return m_real.DesignMode(); }
    void setDesignMode(const QString& mode) override { m_real.setDesignMode(mode); }
    void setCharset(const QString& charset) override { m_real.setCharset(charset); }
    QString title() override { return m_real.title(); }
    void setTitle(const QString& title) override { m_real.setTitle(title); }
    QStringList imageSources() override { return m_real.imageSources(); }
    void setImageSources(const QList<UrlRewrite>& rewrites) override {
        m_real.setImageSources(rewrites);
    }
    ElementPtr image(int index) override { return m_real.image(index); }
    QStringList linkTargets() override { return m_real.linkTargets(); }
    void setLinkTargets(const QList<UrlRewrite>& rewrites) override {
        m_real.setLinkTargets(rewrites);
    }
    ElementPtr link(int index) override { return m_real.link(index); }
    void ExecWB(WebCommand command) override { m_real.ExecWB(command); }
    QStringList Exec(TargetCommand command) override { return m_real.Exec(command); }
    bool queryCommandEnabled(const QString& command) override {
        askedEnabled.append(command);
        return m_real.queryCommandEnabled(command);
    }
    bool queryCommandState(const QString& command) override {
        return m_real.queryCommandState(command);
    }
    QVariant queryCommandValue(const QString& command) override {
        return m_real.queryCommandValue(command);
    }
    void execCommand(const QString& command, bool showUI, const QVariant& value) override {
        sent.append({command, value});
        m_real.execCommand(command, showUI, value);
    }
    SelectionType selectionType() override { return m_real.selectionType(); }
    RangePtr createRange() override { return m_real.createRange(); }
    void setShowContextMenu(std::function<void(const QPoint&)> handler) override {
        m_real.setShowContextMenu(std::move(handler));
    }
    void requestEditCount(std::function<void(qint64)> answer) override {
        m_real.requestEditCount(std::move(answer));
    }
    void requestSaveMarkup(std::function<void(const QString&)> answer) override {
        m_real.requestSaveMarkup(std::move(answer));
    }
    void replaceContent(const QString& html) override { m_real.replaceContent(html); }
    void setRendererLostHandler(std::function<void()> handler) override {
        m_real.setRendererLostHandler(std::move(handler));
    }
    void killRenderer() override { m_real.killRenderer(); }

private:
    Engine& m_real;
};

} // namespace quillery
