#include "store/site_password.h"

#include "store/settings_store.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <atomic>
#include <memory>
#include <qt6keychain/keychain.h>

namespace quillery {
namespace {

const QString kService = QStringLiteral("Quillery");
// A keyring that has not answered by then counts as absent.
constexpr int kKeyringLimitMs = 5000;

// Without a session bus there is no Secret Service to ask; asking would
// have the D-Bus library launch a bus of its own.
bool SessionBusExists() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

struct TJobResult {
    bool done = false;
    QKeychain::Error error = QKeychain::OtherError;
    QString text;
};

// Runs job to its end or to the limit. The job deletes itself when done, so
// one that outlives the limit is left to finish on its own.
TJobResult Run(QKeychain::Job* job) {
    // A keyring that once let the limit pass (locked, its prompt nowhere to
    // be seen) is not waited for again at every keystroke.
    static std::atomic<bool> silent = false;
    auto result = std::make_shared<TJobResult>();
    if (silent || !SessionBusExists()) {
        delete job;
        return *result;
    }
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [result, &loop](QKeychain::Job* j) {
        result->done = true;
        result->error = j->error();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(j))
            result->text = read->textData();
        loop.quit();
    });
    job->setAutoDelete(true);
    job->start();
    QTimer::singleShot(kKeyringLimitMs, &loop, &QEventLoop::quit);
    if (!result->done)
        loop.exec();
    if (!result->done) {
        silent = true;
        QObject::disconnect(job, nullptr, &loop, nullptr);
    }
    return *result;
}

const QString kSection = QLatin1String(kSectionFtp);
const QString kEntry = QLatin1String(kEntryPassword);

} // namespace

QString ReadSitePassword(const QString& sitePath) {
    const QString key = SiteKeyPath(sitePath);
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(key);
    const TJobResult found = Run(job);
    if (found.done && found.error == QKeychain::NoError)
        return found.text;
    return TIniView(key).ReadText(kSection, kEntry);
}

TPasswordPlace WriteSitePassword(const QString& sitePath, const QString& password) {
    const QString key = SiteKeyPath(sitePath);
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(key);
    job->setTextData(password);
    const TJobResult written = Run(job);
    TIniView siteKey(key);
    if (written.done && written.error == QKeychain::NoError) {
        // The keyring has it now; the file keeps no copy.
        if (!siteKey.ReadText(kSection, kEntry).isEmpty())
            siteKey.WriteText(kSection, kEntry, QString());
        siteKey.Close();
        return TPasswordPlace::Keyring;
    }
    siteKey.WriteText(kSection, kEntry, password);
    siteKey.Close();
    return TPasswordPlace::SiteKey;
}

} // namespace quillery
