#pragma once

#include "publish/publish_report.h"

#include <QString>

class LocalFtpServer;
namespace quillery {
struct TFtpAccount;
} // namespace quillery

// Makes site (a folder path ending in '/') a site of count pages of size
// random bytes each, page0000.htm on, and an index naming none of them.
void WriteRandomPages(const QString& site, int count, int size);

// The account that reaches server's directory.
quillery::TFtpAccount AccountOf(const LocalFtpServer& server);

struct TTimedRun {
    double seconds;
    quillery::TPublishReport report;
};
// One publishing run of site to server through a fresh client; throws unless
// every operation succeeded.
TTimedRun PublishOnce(const LocalFtpServer& server, const QString& site);
