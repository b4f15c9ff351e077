#include "publish/publisher.h"

#include "publish/ftp_remote_folder.h"
#include "store/error.h"

#include <QMetaObject>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace quillery {
namespace {

// Forwards the run's progress as signals; emitted from the worker, they are
// queued to the publisher's thread.
class SignalProgress final : public TPublishProgress {
public:
    SignalProgress(TPublisher& publisher, std::function<bool(const QString&)> ask)
        : m_publisher(publisher), m_ask(std::move(ask)) {}
    void Step() override { emit m_publisher.ProgressStep(); }
    void Planned(int total) override { emit m_publisher.Planned(total); }
    void Advanced(int done) override { emit m_publisher.Advanced(done); }
    bool Ask(const QString& text) override { return m_ask(text); }

private:
    TPublisher& m_publisher;
    std::function<bool(const QString&)> m_ask;
};

} // namespace

TPublisher::TPublisher(FtpClient& client, QObject* parent) : QObject(parent), m_client(client) {
    qRegisterMetaType<TPublishReport>();
}

TPublisher::~TPublisher() {
    m_stop.request_stop();
    if (m_worker.joinable())
        m_worker.join();
}

void TPublisher::Start(const QString& sitePath, const TFtpAccount& account) {
    if (IsRunning())
        throw Error("Публикация уже идёт.");
    m_stop = std::stop_source();
    m_worker = std::thread([this, sitePath, account, stop = m_stop.get_token()] {
        SignalProgress progress(
            *this, [this, stop](const QString& text) { return AskFromWorker(text, stop); });
        TFtpRemoteFolder folder(m_client);
        TPublishRun run(folder, sitePath, account, progress, stop);
        const TPublishReport report = run.Run();
        QMetaObject::invokeMethod(
            this, [this, report] { Deliver(report); }, Qt::QueuedConnection);
    });
}

void TPublisher::Stop() {
    if (IsRunning())
        m_stop.request_stop();
}

bool TPublisher::AskFromWorker(const QString& text, std::stop_token stop) {
    struct Answer {
        std::mutex lock;
        std::condition_variable_any given;
        std::optional<bool> yes;
    };
    const auto answer = std::make_shared<Answer>();
    QMetaObject::invokeMethod(
        this,
        [this, text, answer] {
            const bool yes = m_ask && m_ask(text);
            const std::lock_guard lock(answer->lock);
            answer->yes = yes;
            answer->given.notify_all();
        },
        Qt::QueuedConnection);
    // A stop (the window closing) must not leave the worker waiting for a
    // question nobody will answer.
    std::unique_lock lock(answer->lock);
    answer->given.wait(lock, stop, [&] { return answer->yes.has_value(); });
    return answer->yes.value_or(false);
}

void TPublisher::Deliver(const TPublishReport& report) {
    m_worker.join();
    emit Finished(report);
}

} // namespace quillery
