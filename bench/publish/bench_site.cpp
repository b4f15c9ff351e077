#include "bench/publish/bench_site.h"

#include "store/atomic_write.h"

#include <QByteArray>
#include <QDir>
#include <QRandomGenerator>

void WriteRandomPages(const QString& site, int count, int size) {
    QDir().mkpath(site);
    for (int i = 0; i < count; ++i) {
        QByteArray content(size, Qt::Uninitialized);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(content.data()), size / 4);
        quillery::WriteFileAtomically(
            site + QStringLiteral("page%1.htm").arg(i, 4, 10, QLatin1Char('0')), content);
    }
    quillery::WriteFileAtomically(site + QStringLiteral("index"), "index=new Array();");
}
