#include "file_size_limit.h"
#include "store/atomic_write.h"
#include "store/error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace quillery;
using namespace quillery::test;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace

class TestAtomicWrite : public QObject {
    Q_OBJECT

private slots:
    void writesNewAndReplacesExisting() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("index"));
        WriteFileAtomically(path, "first");
        QCOMPARE(ReadAll(path), QByteArray("first"));
        WriteFileAtomically(path, "second, longer");
        QCOMPARE(ReadAll(path), QByteArray("second, longer"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("index")});
    }

    void failureHalfWayKeepsOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("index"));
        WriteFileAtomically(path, "old contents");
        {
            FileSizeLimit limit(1000);
            QVERIFY_THROWS_EXCEPTION(Error, WriteFileAtomically(path, QByteArray(5000, 'x')));
        }
        QCOMPARE(ReadAll(path), QByteArray("old contents"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("index")});
    }

    void errorNamesTheReason() {
        try {
            WriteFileAtomically(QStringLiteral("/nonexistent-folder/index"), "x");
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY(QString::fromUtf8(e.what()).contains(QStringLiteral("/nonexistent-folder")));
        }
    }

    void keepsPermissionsOrMakesOwnerOnly() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.htm"));
        WriteFileAtomically(path, "a");
        const QByteArray native = QFile::encodeName(path);
        QCOMPARE(::chmod(native.constData(), 0604), 0);
        WriteFileAtomically(path, "b");
        struct stat st;
        QCOMPARE(::stat(native.constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0604));
        WriteFileAtomically(path, "c", FileMode::OwnerOnly);
        QCOMPARE(::stat(native.constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
    }

    void streamedWriteCommitsOrLeavesTargetAlone() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("index"));
        WriteFileAtomically(path, "old");
        {
            TAtomicFile file(path);
            const std::string big(1 << 20, 'y'); // more than the buffer
            file.Write("x", 1);
            file.Write(big.data(), big.size());
            // not committed: abandoned
        }
        QCOMPARE(ReadAll(path), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("index")});
        {
            TAtomicFile file(path);
            for (int i = 0; i < 100000; ++i)
                file.Write("abc", 3);
            file.Commit();
        }
        QCOMPARE(ReadAll(path), QByteArray("abc").repeated(100000));
        {
            FileSizeLimit limit(1000);
            TAtomicFile file(path);
            file.Write(QByteArray(5000, 'z').constData(), 5000);
            QVERIFY_THROWS_EXCEPTION(Error, file.Commit());
        }
        QCOMPARE(ReadAll(path), QByteArray("abc").repeated(100000));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("index")});
    }

    void tempNamesAreRecognised() {
        QVERIFY(IsAtomicTempName(QStringLiteral(".~quillery-index.Ab12Cd")));
        QVERIFY(!IsAtomicTempName(QStringLiteral(".htaccess")));
        QVERIFY(!IsAtomicTempName(QStringLiteral("index")));
    }
};

QTEST_GUILESS_MAIN(TestAtomicWrite)
#include "test_atomic_write.moc"
