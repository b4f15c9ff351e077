#include "shell/fit_picture_rect.h"
#include "shell/jpeg_codec.h"
#include "shell/note_memo.h"
#include "shell/note_panel.h"
#include "store/error.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

namespace quillery {
namespace {

// Types text as key presses carrying each character (any script).
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

} // namespace

class TestNotePanel final : public QObject {
    Q_OBJECT

private slots:
    void fitPictureRect_data();
    void fitPictureRect();
    void jpegRoundTrip();
    void brokenJpegIsAnError();
    void enterAddsNoLineBreak();
    void charactersOutsideCp1251AreRefused();
    void pastedLineBreaksStayUntilLeaving();
    void chosenPictureIsShrunkToTheBox_data();
    void chosenPictureIsShrunkToTheBox();
    void unreadablePictureChangesNothing();
    void removingShowsThePlaceholder();
};

void TestNotePanel::fitPictureRect_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("expected");
    QTest::addRow("fits, never enlarged") << QSize(50, 60) << QSize(129, 129) << QSize(50, 60);
    QTest::addRow("exactly the box") << QSize(129, 129) << QSize(129, 129) << QSize(129, 129);
    QTest::addRow("wide") << QSize(400, 200) << QSize(129, 129) << QSize(129, 64);
    QTest::addRow("high") << QSize(200, 400) << QSize(129, 129) << QSize(64, 129);
    QTest::addRow("square too big") << QSize(300, 300) << QSize(129, 129) << QSize(129, 129);
    QTest::addRow("wide into a flat box, height bounds")
        << QSize(300, 200) << QSize(200, 50) << QSize(75, 50);
    QTest::addRow("high into a narrow box, width bounds")
        << QSize(200, 300) << QSize(50, 200) << QSize(50, 75);
    QTest::addRow("one side too big") << QSize(130, 10) << QSize(129, 129) << QSize(129, 9);
    QTest::addRow("no width") << QSize(0, 500) << QSize(129, 129) << QSize(129, 129);
    QTest::addRow("negative height") << QSize(500, -1) << QSize(129, 129) << QSize(129, 129);
}

void TestNotePanel::fitPictureRect() {
    QFETCH(QSize, picture);
    QFETCH(QSize, box);
    QFETCH(QSize, expected);
    QCOMPARE(FitPictureRect(picture.width(), picture.height(), box.width(), box.height()),
             expected);
}

void TestNotePanel::jpegRoundTrip() {
    QImage picture(37, 21, QImage::Format_ARGB32);
    picture.fill(qRgb(200, 40, 30));
    const QByteArray bytes = EncodeJpeg(picture);
    QVERIFY(bytes.startsWith("\xff\xd8"));
    const QImage decoded = DecodeJpeg(bytes);
    QCOMPARE(decoded.size(), picture.size());
    const QRgb centre = decoded.pixel(18, 10);
    QVERIFY(qAbs(qRed(centre) - 200) < 8 && qAbs(qGreen(centre) - 40) < 8 &&
            qAbs(qBlue(centre) - 30) < 8);
    // Qt's own reader agrees, so any viewer will.
    QCOMPARE(QImage::fromData(bytes, "JPEG").size(), picture.size());
}

void TestNotePanel::brokenJpegIsAnError() {
    QVERIFY_THROWS_EXCEPTION(Error, DecodeJpeg(QByteArray("not a picture")));
    const QByteArray bytes = EncodeJpeg(QImage(8, 8, QImage::Format_RGB32));
    QVERIFY_THROWS_EXCEPTION(Error, DecodeJpeg(bytes.left(20)));
}

void TestNotePanel::enterAddsNoLineBreak() {
    TNotePanel panel(nullptr);
    Type(panel.Memo1(), QStringLiteral("одна"));
    QTest::keyClick(panel.Memo1(), Qt::Key_Return);
    QTest::keyClick(panel.Memo1(), Qt::Key_Enter);
    Type(panel.Memo1(), QStringLiteral(" строка"));
    QCOMPARE(panel.Note(), QStringLiteral("одна строка"));
}

void TestNotePanel::charactersOutsideCp1251AreRefused() {
    TNotePanel panel(nullptr);
    Type(panel.Memo1(), QStringLiteral("a\u65e5b"));
    QCOMPARE(panel.Note(), QStringLiteral("ab"));
    auto* foreign = new QMimeData;
    foreign->setText(QStringLiteral("\u65e5\u672c"));
    QApplication::clipboard()->setMimeData(foreign, QClipboard::Clipboard);
    panel.Memo1()->paste();
    QCOMPARE(panel.Note(), QStringLiteral("ab"));
}

void TestNotePanel::pastedLineBreaksStayUntilLeaving() {
    TNotePanel panel(nullptr);
    auto* text = new QMimeData;
    text->setText(QStringLiteral("первая\nвторая"));
    QApplication::clipboard()->setMimeData(text, QClipboard::Clipboard);
    panel.Memo1()->paste();
    QCOMPARE(panel.Note(), QStringLiteral("первая\nвторая"));
}

void TestNotePanel::chosenPictureIsShrunkToTheBox_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("shown");
    QTest::addRow("large") << QSize(1000, 500) << QSize(129, 64);
    QTest::addRow("small") << QSize(40, 30) << QSize(40, 30);
}

void TestNotePanel::chosenPictureIsShrunkToTheBox() {
    QFETCH(QSize, picture);
    QFETCH(QSize, shown);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Фото.jpg"));
    QImage image(picture, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(EncodeJpeg(image));
    file.close();

    TNotePanel panel(nullptr);
    panel.show();
    QCOMPARE(panel.Thumb()->size(), QSize(129, 129));
    QVERIFY(panel.Sign()->isVisible());
    QVERIFY(!panel.DelImage()->isEnabled());
    panel.SetPictureChooser([&] { return path; });
    panel.AddImageExecute();
    QCOMPARE(panel.Thumb()->Picture().size(), shown);
    QCOMPARE(panel.ThumbFileName(), path);
    QVERIFY(!panel.Sign()->isVisible());
    QVERIFY(panel.DelImage()->isEnabled());
}

void TestNotePanel::unreadablePictureChangesNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken.jpg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("garbage");
    file.close();
    TNotePanel panel(nullptr);
    panel.SetThumbFileName(QStringLiteral("old.jpg"));
    QVERIFY_THROWS_EXCEPTION(Error, panel.AddImageFromFile(path));
    QCOMPARE(panel.ThumbFileName(), QStringLiteral("old.jpg"));
    QVERIFY(panel.Thumb()->Picture().isNull());
    // Cancelling the dialog changes nothing either.
    panel.SetPictureChooser([] { return QString(); });
    panel.AddImageExecute();
    QCOMPARE(panel.ThumbFileName(), QStringLiteral("old.jpg"));
}

void TestNotePanel::removingShowsThePlaceholder() {
    TNotePanel panel(nullptr);
    panel.show();
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    panel.ShowThumb(picture);
    panel.SetThumbFileName(QStringLiteral("thumb.jpg"));
    QVERIFY(!panel.Sign()->isVisible());
    panel.DelImageExecute();
    QVERIFY(panel.Sign()->isVisible());
    QVERIFY(panel.Thumb()->Picture().isNull());
    QVERIFY(panel.ThumbFileName().isEmpty());
    QVERIFY(!panel.DelImage()->isEnabled());
}

} // namespace quillery

QTEST_MAIN(quillery::TestNotePanel)
#include "test_note_panel.moc"
