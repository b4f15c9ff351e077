#include "publish/publisher.h"

#include "store/error.h"

#include <QMetaObject>

namespace quillery {
namespace {

// Forwards the run's progress as signals; emitted from the worker, they are
// queued to the publisher's thread.
class SignalProgress final : public TPublishProgress {
public:
    explicit SignalProgress(TPublisher& publisher) : m_publisher(publisher) {}
    void Step() override { emit m_publisher.ProgressStep(); }
    void Planned(int total) override { emit m_publisher.Planned(total); }
    void Advanced(int done) override { emit m_publisher.Advanced(done); }
    bool Ask(const QString& text) override { return m_publisher.AskFromWorker(text); }

private:
    TPublisher& m_publisher;
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
        SignalProgress progress(*this);
        TPublishRun run(m_client, sitePath, account, progress, stop);
        const TPublishReport report = run.Run();
        QMetaObject::invokeMethod(
            this, [this, report] { Deliver(report); }, Qt::QueuedConnection);
    });
}

bool TPublisher::AskFromWorker(const QString& text) {
    bool answer = false;
    QMetaObject::invokeMethod(
        this, [this, &text, &answer] { answer = m_ask && m_ask(text); },
        Qt::BlockingQueuedConnection);
    return answer;
}

void TPublisher::Stop() {
    if (IsRunning())
        m_stop.request_stop();
}

void TPublisher::Deliver(const TPublishReport& report) {
    m_worker.join();
    emit Finished(report);
}

} // namespace quillery
