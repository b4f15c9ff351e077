#pragma once

#include <QString>

class LocalFtpServer;

// Seconds that "lftp mirror -R" takes to bring the server's directory in
// line with source, on one connection, with a home of its own. Throws
// quillery::Error when lftp fails. settings are lftp "set" commands run
// before connecting (TLS, for one).
double MirrorWithLftp(const LocalFtpServer& server, const QString& source, const QString& home,
                      const QString& settings = {});

// Removes every file of the server's folder, so the next run sends all.
// Throws quillery::Error when one cannot be removed.
void EmptyFolder(const QString& path);
