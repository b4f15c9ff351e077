#include "store/error.h"
#include "store/text_codec.h"

#include <QTest>

using namespace quillery;

class TestTextCodec : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("ascii") << QStringLiteral("index.htm") << QByteArray("index.htm");
        QTest::addRow("cyrillic") << QStringLiteral("О нас") << QByteArray("\xCE \xED\xE0\xF1");
        QTest::addRow("yo and quotes")
            << QStringLiteral("Ёж «х»") << QByteArray("\xA8\xE6 \xAB\xF5\xBB");
        QTest::addRow("empty") << QString() << QByteArray();
    }
    void roundTrip() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(QByteArray::fromStdString(ToCp1251(text)), bytes);
        QCOMPARE(FromCp1251(bytes.toStdString()), text);
        QVERIFY(FitsCp1251(text));
    }

    void refusesWhatCp1251CannotHold() {
        const QString snowman = QStringLiteral("снег \u2603");
        QVERIFY(!FitsCp1251(snowman));
        QVERIFY_THROWS_EXCEPTION(Error, ToCp1251(snowman));
    }
};

QTEST_GUILESS_MAIN(TestTextCodec)
#include "test_text_codec.moc"
