// The sample site, whose dates are a Russian desktop's, opened through the
// main window under the locale of the environment (CTest runs this program
// under C and en_US.UTF-8): no date may be lost.

#include "shell/note_panel.h"
#include "store/index_date.h"
#include "tests/shell/shell_fixture.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

namespace quillery {

class TestDatesElsewhere final : public QObject {
    Q_OBJECT

private slots:
    void sampleSiteKeepsItsDates();
};

void TestDatesElsewhere::sampleSiteKeepsItsDates() {
    const QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    qInfo("short date format: %s", qPrintable(format));
    QVERIFY2(!QLocale::system().toDate(QStringLiteral("01.05.2024"), format).isValid(),
             "the locale must be one that cannot read the sample's dates");
    SiteFixture site;
    const QDir sample(QStringLiteral(QUILLERY_SAMPLE_SITE));
    for (const QString& name : sample.entryList(QDir::Files))
        QVERIFY(QFile::copy(sample.filePath(name), site.SiteFile(name)));
    const QString indexPath = site.SiteFile(QStringLiteral("index"));
    const QByteArray before = SiteFixture::ReadFile(indexPath);

    auto form = site.OpenForm();
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    TTreeNode* first = form->Tree().GetFirstNode();
    QCOMPARE(form->Panel4()->Date(), QDate(2024, 5, 1));
    for (TTreeNode* node = first->GetNext(); node; node = node->GetNext())
        SiteFixture::Select(*form, node);
    SiteFixture::Select(*form, first);
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    QCOMPARE(SiteFixture::ReadFile(indexPath), before);

    // A date the user sets is written in this locale's form; the others stay.
    form->Panel4()->SetDate(QDate(2025, 3, 4));
    SiteFixture::Select(*form, first->GetNext());
    QByteArray changed = before;
    changed.replace("\"01.05.2024\"",
                    "\"" + QByteArray::fromStdString(FormatIndexDate(QDate(2025, 3, 4), format)) +
                        "\"");
    QCOMPARE(SiteFixture::ReadFile(indexPath), changed);
}

} // namespace quillery

QTEST_MAIN(quillery::TestDatesElsewhere)
#include "test_dates_elsewhere.moc"
