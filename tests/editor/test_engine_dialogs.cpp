// The engine's own dialogs: hyperlink, picture and find.
#include "tests/editor/engine_fixture.h"

#include <QDialog>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QUrl>

using namespace quillery;

class TestEngineDialogs final : public QObject {
    Q_OBJECT

private slots:
    void linkDialogPrefilledAndApplied();
    void linkDialogCancelledChangesNothing();
    void pictureDialogInsertsChosenFile();
    void findDialogShows();
};

void TestEngineDialogs::linkDialogPrefilledAndApplied() {
    EngineFixture f;
    const QString path = f.copyFixture(QStringLiteral("document.htm"));
    f.open(path);
    f.selectText(QStringLiteral("#file"), 1, 3);
    QString shown;
    AnswerNextDialog([&](QDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>();
        shown = edit->text();
        edit->setText(QStringLiteral("http://example.org/"));
        dialog->accept();
    });
    f.engine().execCommand(QStringLiteral("CreateLink"), true, {});
    QCOMPARE(shown, QUrl::fromLocalFile(f.scratchPath(QStringLiteral("other.htm"))).toString());
    QVERIFY(f.bodyHtml().contains(QStringLiteral("href=\"http://example.org/\"")));
}

void TestEngineDialogs::linkDialogCancelledChangesNothing() {
    EngineFixture f;
    f.open(f.copyFixture(QStringLiteral("document.htm")));
    f.selectText(QStringLiteral("#text"), 0, 6);
    const QString before = f.bodyHtml();
    QString shown = QStringLiteral("unset");
    AnswerNextDialog([&](QDialog* dialog) {
        shown = dialog->findChild<QLineEdit*>()->text();
        dialog->reject();
    });
    f.engine().execCommand(QStringLiteral("CreateLink"), true, {});
    QCOMPARE(shown, QString());
    QCOMPARE(f.bodyHtml(), before);
}

void TestEngineDialogs::pictureDialogInsertsChosenFile() {
    EngineFixture f;
    f.open(f.copyFixture(QStringLiteral("document.htm")));
    // A real picture: the dialog lists pictures only.
    const QString picture = f.scratchPath(QStringLiteral("dot.png"));
    QImage dot(2, 2, QImage::Format_RGB32);
    dot.fill(Qt::red);
    QVERIFY(dot.save(picture));
    f.selectText(QStringLiteral("#text"), 0, 0);
    AnswerNextDialog([&](QDialog* dialog) { ChooseFile(dialog, picture); });
    f.engine().Exec(TargetCommand::InsertImage);
    QCOMPARE(f.engine().imageSources().first(), QUrl::fromLocalFile(picture).toString());
}

void TestEngineDialogs::findDialogShows() {
    EngineFixture f;
    f.open(f.copyFixture(QStringLiteral("document.htm")));
    f.engine().Exec(TargetCommand::Find);
    auto* dialog = f.engine().widget()->findChild<QDialog*>();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Найти"));
}

QTEST_MAIN(TestEngineDialogs)
#include "test_engine_dialogs.moc"
