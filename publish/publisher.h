#pragma once

#include "publish/publish_run.h"

#include <QObject>
#include <QString>
#include <functional>
#include <thread>

namespace quillery {

class FtpClient;

// Runs publishing off the user-interface thread, one worker per run, so the
// window stays painted while the server answers. Progress and the result
// arrive as signals on the thread that owns this object, in the order the
// run produced them; IsRunning stays true until Finished is delivered.
class TPublisher final : public QObject {
    Q_OBJECT
public:
    TPublisher(FtpClient& client, QObject* parent);
    // Stops a run still going and waits for its worker.
    ~TPublisher() override;
    Q_DISABLE_COPY_MOVE(TPublisher)

    // Throws Error when a run is in progress.
    void Start(const QString& sitePath, const TFtpAccount& account);
    // Asks the run to end before its next operation; the connection is
    // closed with QUIT and Finished reports the run as stopped.
    void Stop();
    // Until the finished run's report is delivered.
    bool IsRunning() const { return m_worker.joinable(); }
    // Puts the run's Yes/No questions to the user, on this object's thread;
    // the run waits for the answer. Without one every answer is No.
    void SetAsk(std::function<bool(const QString&)> ask) { m_ask = std::move(ask); }
    // On this object's thread, from the worker, blocking it until answered.
    bool AskFromWorker(const QString& text);

signals:
    void ProgressStep();
    void Planned(int total);
    void Advanced(int done);
    void Finished(const quillery::TPublishReport& report);

private:
    void Deliver(const TPublishReport& report);

    FtpClient& m_client;
    std::function<bool(const QString&)> m_ask;
    std::stop_source m_stop;
    std::thread m_worker;
};

} // namespace quillery
