#pragma once

#include "editor/engine.h"

#include <QJsonArray>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QWebEngineLoadingInfo;

namespace quillery {

class FindDialog;
class VisualEditView;

// The editing engine on Qt WebEngine: a QWebEngineView whose document is in
// design mode. Page scripts are off; the adapter's own script runs in an
// isolated world, and every call waits for its answer in a nested event loop.
class WebEngineEngine final : public QObject, public Engine {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebEngineEngine)

public:
    explicit WebEngineEngine(QWidget* parent = nullptr);
    ~WebEngineEngine() override;

    QWidget* widget() override;

    void Navigate(const QString& target) override;
    int ReadyState() override;
    void WaitForEngine() override;

    QString DesignMode() override;
    void setDesignMode(const QString& mode) override;
    void setCharset(const QString& charset) override;
    QString title() override;
    void setTitle(const QString& title) override;

    QStringList imageSources() override;
    void setImageSources(const QList<UrlRewrite>& rewrites) override;
    ElementPtr image(int index) override;
    QStringList linkTargets() override;
    void setLinkTargets(const QList<UrlRewrite>& rewrites) override;
    ElementPtr link(int index) override;

    void ExecWB(WebCommand command) override;
    QStringList Exec(TargetCommand command) override;

    bool queryCommandEnabled(const QString& command) override;
    bool queryCommandState(const QString& command) override;
    QVariant queryCommandValue(const QString& command) override;
    void execCommand(const QString& command, bool showUI, const QVariant& value) override;

    SelectionType selectionType() override;
    RangePtr createRange() override;

    void setShowContextMenu(std::function<void(const QPoint& screenPoint)> handler) override;

    void requestEditCount(std::function<void(qint64 edits)> answer) override;
    void requestSaveMarkup(std::function<void(const QString& html)> answer) override;
    void replaceContent(const QString& html) override;
    void setRendererLostHandler(std::function<void()> handler) override;
    void killRenderer() override;

    // Used by the element and range handles.
    quint64 generation() const { return m_generation; }
    QVariant callOn(quint64 generation, const QString& op, const QJsonArray& args);
    void release(quint64 generation, int handle);
    ElementPtr elementFrom(const QVariant& handle);

signals:
    void loadSettled();
    void rendererGone();

private:
    QVariant call(const QString& op, const QJsonArray& args = {});
    QVariant run(const QString& script);
    // The script that runs op in the document, releasing the handles given.
    QString OperationScript(const QString& op, const QJsonArray& args,
                            const QJsonArray& released) const;
    // Runs op without waiting; answer gets its value, if it succeeds.
    void callLater(const QString& op, const QJsonArray& args,
                   std::function<void(const QVariant&)> answer);
    void onRendererTerminated();
    void StartNewRenderer();
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void save();
    void print();
    void createLinkWithDialog();
    void insertImageWithDialog();
    void showFindDialog();

    QPointer<VisualEditView> m_view;
    QPointer<FindDialog> m_findDialog;
    QString m_script;
    QUrl m_url;
    QString m_charset = QStringLiteral("windows-1251");
    quint64 m_generation = 0;
    QJsonArray m_released;
    bool m_loading = false;
    bool m_loadFailed = false;
    bool m_designModeSet = false;
    bool m_rendererLost = false;
    std::function<void()> m_rendererLostHandler;
};

} // namespace quillery
