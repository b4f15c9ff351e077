#pragma once

#include "store/contents_tree.h"
#include "store/index_file.h"
#include "store/text_codec.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <unistd.h>
#include <vector>

namespace quillery {

// Before the application is made: no display needed, and Chromium's
// sandbox off where it cannot start (as root).
inline void ChooseHeadlessEngine() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A site of one document, whose file is fileName (not written here), in root,
// with the program's settings kept in root as well; the site folder, ending
// in '/'.
inline QString OneDocumentSite(const QTemporaryDir& root, const QString& fileName) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       root.filePath(QStringLiteral("config")));
    const QString site = root.filePath(QStringLiteral("site")) + QLatin1Char('/');
    QDir().mkpath(site);
    TContentsTree tree;
    TTreeRec rec;
    rec.FileName = fileName.toStdString();
    tree.AddChild(nullptr, "Doc", rec);
    SaveContents(tree, site, QLocale::system().dateFormat(QLocale::ShortFormat));
    return site;
}

// A Windows-1251 document file whose body is body.
inline QByteArray DocumentBytes(const QString& body) {
    return QByteArray::fromStdString(ToCp1251(
        QStringLiteral("<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; "
                       "charset=windows-1251\">\r\n</HEAD>\r\n<BODY>\r\n%1</BODY>\r\n</HTML>\r\n")
            .arg(body)));
}

// Turns the event loop until done() holds or limitMs pass, and returns the
// longest time between two of its turns, in milliseconds.
inline double LongestPauseUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    turn.start(0);
    while (!done() && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return double(longest) / 1e6;
}

} // namespace quillery
