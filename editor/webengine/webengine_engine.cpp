#include "editor/webengine/webengine_engine.h"

#include "editor/webengine/document_encoding.h"
#include "editor/webengine/find_dialog.h"
#include "editor/webengine/link_dialog.h"
#include "editor/webengine/script_value.h"
#include "editor/webengine/visual_edit.h"
#include "editor/webengine/webengine_handles.h"
#include "store/atomic_write.h"
#include "store/error.h"

#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <csignal>
#include <memory>

namespace quillery {
namespace {

constexpr quint32 kScriptWorld = QWebEngineScript::ApplicationWorld;

QString LoadEngineScript() {
    QFile file(QStringLiteral(":/quillery/editor/engine_script.js"));
    if (!file.open(QIODevice::ReadOnly))
        throw Error("В программе нет сценария редактора.");
    return QString::fromUtf8(file.readAll());
}

[[noreturn]] void Fail(const QString& reason) {
    throw Error(QStringLiteral("Ошибка редактора: %1").arg(reason).toStdString());
}

[[noreturn]] void FailRendererLost() {
    Fail(QStringLiteral("процесс, показывающий документ, завершился"));
}

// The rewrites as the one argument of a script operation.
QJsonArray RewritesArgument(const QList<UrlRewrite>& rewrites) {
    QJsonArray list;
    for (const UrlRewrite& r : rewrites)
        list.append(QJsonArray{r.index, r.text});
    QJsonArray args;
    args.append(list);
    return args;
}

} // namespace

WebEngineEngine::WebEngineEngine(QWidget* parent)
    : m_view(new VisualEditView(parent)), m_script(LoadEngineScript()) {
    connect(m_view->page(), &QWebEnginePage::loadingChanged, this,
            &WebEngineEngine::onLoadingChanged);
    connect(m_view->page(), &QWebEnginePage::renderProcessTerminated, this,
            &WebEngineEngine::onRendererTerminated);
}

WebEngineEngine::~WebEngineEngine() {
    delete m_findDialog;
    delete m_view;
}

QWidget* WebEngineEngine::widget() {
    return m_view;
}

void WebEngineEngine::Navigate(const QString& target) {
    if (m_rendererLost)
        StartNewRenderer();
    const QUrl url = target == QLatin1String("about:blank")
                         ? QUrl(target)
                         : QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    m_url = url;
    ++m_generation;
    m_released = {};
    m_loading = true;
    m_loadFailed = false;
    m_designModeSet = false;
    static_cast<VisualEditPage*>(m_view->page())->allowNavigationTo(url);
    m_view->page()->load(url);
}

// The first load after a renderer has gone starts a new one; a load asked
// for before that has settled is dropped, so this one is waited for.
void WebEngineEngine::StartNewRenderer() {
    m_rendererLost = false;
    QEventLoop loop;
    connect(m_view->page(), &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
    connect(this, &WebEngineEngine::rendererGone, &loop, &QEventLoop::quit);
    m_view->page()->load(QUrl(QStringLiteral("about:blank")));
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void WebEngineEngine::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    if (info.url() != m_url || info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        return;
    m_loading = false;
    m_loadFailed = info.status() != QWebEngineLoadingInfo::LoadSucceededStatus;
    if (!m_loadFailed)
        m_view->page()->runJavaScript(m_script, kScriptWorld);
    emit loadSettled();
}

int WebEngineEngine::ReadyState() {
    return m_loading ? 1 : 4;
}

void WebEngineEngine::WaitForEngine() {
    if (m_loading && !m_rendererLost) {
        QEventLoop loop;
        connect(this, &WebEngineEngine::loadSettled, &loop, &QEventLoop::quit);
        connect(this, &WebEngineEngine::rendererGone, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (m_loading && m_rendererLost) {
        m_loading = false;
        FailRendererLost();
    }
    if (m_loadFailed) {
        m_loadFailed = false;
        Fail(QStringLiteral("не удалось загрузить %1").arg(m_url.toDisplayString()));
    }
}

QVariant WebEngineEngine::run(const QString& script) {
    QVariant result;
    // Shared with the callback, which a renderer that has gone never calls.
    auto done = std::make_shared<bool>(false);
    QEventLoop loop;
    connect(this, &WebEngineEngine::rendererGone, &loop, &QEventLoop::quit);
    m_view->page()->runJavaScript(script, kScriptWorld,
                                  [&result, &loop, done](const QVariant& value) {
                                      if (*done)
                                          return;
                                      result = value;
                                      *done = true;
                                      loop.quit();
                                  });
    if (!*done && !m_rendererLost)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    *done = true;
    if (m_rendererLost)
        FailRendererLost();
    return result;
}

QString WebEngineEngine::OperationScript(const QString& op, const QJsonArray& args,
                                         const QJsonArray& released) const {
    QJsonArray payload{released, op};
    for (const QJsonValue& arg : args)
        payload.append(arg);
    return QStringLiteral("window.__q ? __q.apply(null, ") +
           QString::fromUtf8(QJsonDocument(payload).toJson(QJsonDocument::Compact)) +
           QStringLiteral(") : null");
}

QVariant WebEngineEngine::call(const QString& op, const QJsonArray& args) {
    if (m_rendererLost)
        FailRendererLost();
    if (m_loading)
        Fail(QStringLiteral("документ ещё загружается"));
    const QString script = OperationScript(op, args, m_released);
    m_released = {};
    QVariant answer = run(script);
    if (!answer.isValid()) {
        // A document the script has not reached yet (about:blank at start).
        run(m_script);
        answer = run(script);
    }
    const QVariantMap reply = answer.toMap();
    if (reply.isEmpty())
        Fail(QStringLiteral("нет ответа на «%1»").arg(op));
    if (!reply.value(QStringLiteral("ok")).toBool())
        Fail(reply.value(QStringLiteral("error")).toString());
    if (reply.value(QStringLiteral("isNull")).toBool())
        return {};
    return reply.value(QStringLiteral("value"));
}

QVariant WebEngineEngine::callOn(quint64 generation, const QString& op, const QJsonArray& args) {
    if (generation != m_generation)
        Fail(QStringLiteral("объект относится к закрытому документу"));
    return call(op, args);
}

void WebEngineEngine::release(quint64 generation, int handle) {
    if (generation == m_generation)
        m_released.append(handle);
}

ElementPtr WebEngineEngine::elementFrom(const QVariant& handle) {
    const int id = handle.toInt();
    if (id == 0)
        return nullptr;
    return std::make_unique<WebEngineElement>(*this, id);
}

QString WebEngineEngine::DesignMode() {
    if (!m_designModeSet)
        return QStringLiteral("Inherit");
    return call(QStringLiteral("designMode")).toString() == QLatin1String("on")
               ? QStringLiteral("On")
               : QStringLiteral("Off");
}

void WebEngineEngine::setDesignMode(const QString& mode) {
    const QString lower = mode.toLower();
    if (lower != QLatin1String("on") && lower != QLatin1String("off") &&
        lower != QLatin1String("inherit"))
        Fail(QStringLiteral("недопустимый режим правки «%1»").arg(mode));
    call(QStringLiteral("setDesignMode"),
         {lower == QLatin1String("on") ? QStringLiteral("on") : QStringLiteral("off")});
    m_designModeSet = lower != QLatin1String("inherit");
}

void WebEngineEngine::setCharset(const QString& charset) {
    if (charset.compare(QLatin1String("windows-1251"), Qt::CaseInsensitive) != 0)
        Fail(QStringLiteral("кодировка «%1» не поддерживается").arg(charset));
    m_charset = QStringLiteral("windows-1251");
}

QString WebEngineEngine::title() {
    return call(QStringLiteral("title")).toString();
}

void WebEngineEngine::setTitle(const QString& title) {
    call(QStringLiteral("setTitle"), {title});
}

QStringList WebEngineEngine::imageSources() {
    return call(QStringLiteral("imageSources")).toStringList();
}

void WebEngineEngine::setImageSources(const QList<UrlRewrite>& rewrites) {
    call(QStringLiteral("setImageSources"), RewritesArgument(rewrites));
}

ElementPtr WebEngineEngine::image(int index) {
    return elementFrom(call(QStringLiteral("image"), {index}));
}

QStringList WebEngineEngine::linkTargets() {
    return call(QStringLiteral("linkTargets")).toStringList();
}

void WebEngineEngine::setLinkTargets(const QList<UrlRewrite>& rewrites) {
    call(QStringLiteral("setLinkTargets"), RewritesArgument(rewrites));
}

ElementPtr WebEngineEngine::link(int index) {
    return elementFrom(call(QStringLiteral("link"), {index}));
}

void WebEngineEngine::ExecWB(WebCommand command) {
    switch (command) {
    case WebCommand::Save:
        save();
        return;
    case WebCommand::Print:
        print();
        return;
    case WebCommand::Cut:
        call(QStringLiteral("execCommand"), {QStringLiteral("cut")});
        return;
    case WebCommand::Copy:
        call(QStringLiteral("execCommand"), {QStringLiteral("copy")});
        return;
    case WebCommand::Paste:
        call(QStringLiteral("execCommand"), {QStringLiteral("paste")});
        return;
    case WebCommand::Undo:
        call(QStringLiteral("undo"));
        return;
    case WebCommand::Redo:
        call(QStringLiteral("redo"));
        return;
    }
    Fail(QStringLiteral("неизвестная команда %1").arg(static_cast<int>(command)));
}

QStringList WebEngineEngine::Exec(TargetCommand command) {
    switch (command) {
    case TargetCommand::Find:
        showFindDialog();
        return {};
    case TargetCommand::InsertImage:
        insertImageWithDialog();
        return {};
    case TargetCommand::BlockFormats:
        return call(QStringLiteral("blockFormats")).toStringList();
    case TargetCommand::ShowZeroBorders:
        call(QStringLiteral("toggleZeroBorders"));
        return {};
    }
    Fail(QStringLiteral("неизвестная команда %1").arg(static_cast<int>(command)));
}

bool WebEngineEngine::queryCommandEnabled(const QString& command) {
    return call(QStringLiteral("queryCommandEnabled"), {command}).toBool();
}

bool WebEngineEngine::queryCommandState(const QString& command) {
    return call(QStringLiteral("queryCommandState"), {command}).toBool();
}

QVariant WebEngineEngine::queryCommandValue(const QString& command) {
    const QVariant value = call(QStringLiteral("queryCommandValue"), {command});
    if (value.typeId() == QMetaType::Double)
        return static_cast<int>(value.toDouble());
    return value;
}

void WebEngineEngine::execCommand(const QString& command, bool showUI, const QVariant& value) {
    if (showUI && command.compare(QLatin1String("CreateLink"), Qt::CaseInsensitive) == 0) {
        createLinkWithDialog();
        return;
    }
    call(QStringLiteral("execCommand"), {command, ScriptValue(value)});
}

SelectionType WebEngineEngine::selectionType() {
    const QString type = call(QStringLiteral("selectionType")).toString();
    if (type == QLatin1String("Control"))
        return SelectionType::Control;
    if (type == QLatin1String("Text"))
        return SelectionType::Text;
    return SelectionType::None;
}

RangePtr WebEngineEngine::createRange() {
    return std::make_unique<WebEngineRange>(*this, call(QStringLiteral("createRange")).toInt());
}

void WebEngineEngine::setShowContextMenu(std::function<void(const QPoint&)> handler) {
    m_view->setContextMenuHandler(std::move(handler));
}

void WebEngineEngine::callLater(const QString& op, const QJsonArray& args,
                                std::function<void(const QVariant&)> answer) {
    if (m_rendererLost || m_loading)
        return;
    const quint64 generation = m_generation;
    QPointer<WebEngineEngine> self(this);
    m_view->page()->runJavaScript(
        OperationScript(op, args, {}), kScriptWorld,
        [self, generation, answer = std::move(answer)](const QVariant& value) {
            // An answer about a document that has since been replaced is no answer.
            if (!self || self->m_generation != generation || self->m_rendererLost)
                return;
            const QVariantMap reply = value.toMap();
            if (reply.value(QStringLiteral("ok")).toBool())
                answer(reply.value(QStringLiteral("value")));
        });
}

void WebEngineEngine::requestEditCount(std::function<void(qint64)> answer) {
    callLater(QStringLiteral("editCount"), {},
              [answer = std::move(answer)](const QVariant& value) { answer(value.toLongLong()); });
}

void WebEngineEngine::requestSaveMarkup(std::function<void(const QString&)> answer) {
    callLater(QStringLiteral("serialize"), {m_charset},
              [answer = std::move(answer)](const QVariant& value) { answer(value.toString()); });
}

void WebEngineEngine::replaceContent(const QString& html) {
    call(QStringLiteral("replaceContent"), {html});
}

void WebEngineEngine::setRendererLostHandler(std::function<void()> handler) {
    m_rendererLostHandler = std::move(handler);
}

void WebEngineEngine::killRenderer() {
    const qint64 pid = m_view->page()->renderProcessPid();
    if (pid > 0)
        ::kill(pid_t(pid), SIGKILL);
}

void WebEngineEngine::onRendererTerminated() {
    m_rendererLost = true;
    emit rendererGone();
    // Told once whatever is waiting on the engine has unwound.
    QTimer::singleShot(0, this, [this] {
        if (m_rendererLost && m_rendererLostHandler)
            m_rendererLostHandler();
    });
}

void WebEngineEngine::save() {
    if (!m_url.isLocalFile())
        Fail(QStringLiteral("документ не связан с файлом"));
    const QString html = call(QStringLiteral("serialize"), {m_charset}).toString();
    WriteFileAtomically(m_url.toLocalFile(), EncodeDocumentCp1251(html));
}

void WebEngineEngine::print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, m_view);
    if (dialog.exec() != QDialog::Accepted)
        return;
    bool finished = false;
    bool succeeded = false;
    QEventLoop loop;
    connect(m_view, &QWebEngineView::printFinished, &loop, [&](bool success) {
        finished = true;
        succeeded = success;
        loop.quit();
    });
    m_view->print(&printer);
    if (!finished)
        loop.exec();
    if (!succeeded)
        Fail(QStringLiteral("документ не напечатан"));
}

void WebEngineEngine::createLinkWithDialog() {
    LinkDialog dialog(call(QStringLiteral("currentLink")).toString(), m_view);
    if (dialog.exec() != QDialog::Accepted)
        return;
    call(QStringLiteral("execCommand"), {QStringLiteral("CreateLink"), dialog.url()});
}

void WebEngineEngine::insertImageWithDialog() {
    const QString path = QFileDialog::getOpenFileName(
        m_view, QStringLiteral("Вставка рисунка"), QString(),
        QStringLiteral("Рисунки (*.jpg *.jpeg *.gif *.png *.bmp);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    call(QStringLiteral("insertImage"), {QUrl::fromLocalFile(path).toString()});
}

void WebEngineEngine::showFindDialog() {
    if (!m_findDialog)
        m_findDialog = new FindDialog(m_view->page(), m_view);
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

} // namespace quillery
