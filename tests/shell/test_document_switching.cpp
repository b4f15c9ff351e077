#include "editor/engine.h"
#include "shell/contents_commands.h"
#include "shell/contents_model.h"
#include "shell/document_switcher.h"
#include "shell/note_memo.h"
#include "shell/note_panel.h"
#include "shell/title_delegate.h"
#include "shell/tree_selection.h"
#include "store/index_file.h"
#include "store/site_folder.h"
#include "store/text_codec.h"
#include "tests/shell/shell_fixture.h"

#include <QDateEdit>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>
#include <sys/xattr.h>
#include <QTreeView>
#include <QUrl>
#include <sys/stat.h>

namespace quillery {
namespace {

const QString kA = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000a.htm");
const QString kB = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000b.htm");
const QString kC = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000c.htm");
const QRegularExpression kGuidJpg(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}"
                                                 "-[0-9a-f]{12}\\.jpg$"));

QString FileUrl(const QString& path) {
    return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
}

QStringList Attribute(const QString& html, const QString& name) {
    QStringList values;
    const QRegularExpression pattern(name + QStringLiteral("=\"([^\"]*)\""),
                                     QRegularExpression::CaseInsensitiveOption);
    for (auto it = pattern.globalMatch(html); it.hasNext();)
        values.append(it.next().captured(1));
    return values;
}

TTreeNode* Root(TMainForm& form, int i) {
    return form.Tree().Root(i);
}

QString IndexText(const SiteFixture& site) {
    return FromCp1251(SiteFixture::ReadFile(site.SiteFile(QStringLiteral("index"))).toStdString());
}

bool IsDiscarded(const QString& path) {
    return IsDiscardedWord(FileAttributes(path));
}

} // namespace

class TestDocumentSwitching final : public QObject {
    Q_OBJECT

private slots:
    void firstStartInEmptyFolder();
    void switchSavesNoteDateAndDocument();
    void titleBeingTypedIsSavedWhenLeaving();
    void picturesAreImported_data();
    void picturesAreImported();
    void sameOutsidePictureInTwoDocuments();
    void contentsLinkAndLinkToAnotherDocument();
    void removedPictureIsDiscardedAndPurgedAtClose();
    void siteOwnFilesAreNeverDiscarded_data();
    void siteOwnFilesAreNeverDiscarded();
    void thumbnailChosenKeptRemovedReplaced();
    void thumbnailNeverOverwritesSiteFile();
    void deleteDiscardsFilesAndDoesNotSave();
    void deleteAfterFailedOpeningKeepsOtherFiles_data();
    void deleteAfterFailedOpeningKeepsOtherFiles();
    void deleteDuringOpeningIsRefused();
    void movesNeitherSaveNorReload();
    void switchIsRefusedWhileOpening();
    void leavingForPublishingKeepsDocumentOpen();
    void closeSavesAndPurges();
    void errorWhileLeavingLeavesSwitchingUsable();
    void documentThatCannotBeCreatedIsReported();
    void nonRegularFilesAreNeverCopied();
    void namesLeadingOutOfTheSiteAreRefused_data();
    void namesLeadingOutOfTheSiteAreRefused();
};

void TestDocumentSwitching::firstStartInEmptyFolder() {
    SiteFixture site;
    auto form = site.OpenForm();
    QVERIFY(site.asker.errors.isEmpty());
    QCOMPARE(form->Tree().NodeCount(), std::size_t(1));
    TTreeNode* node = Root(*form, 0);
    QVERIFY(node->Text().empty());
    const QString fileName = FromCp1251(node->Rec().FileName);
    QVERIFY(QFileInfo(site.SiteFile(fileName)).isFile());
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(fileName)), DocumentSkeleton());
    QVERIFY(IndexText(site).contains(fileName));
    QVERIFY(form->State().DocumentLoaded);
    QCOMPARE(form->Commands().Selected(), node);
    QVERIFY(form->TitleDelegate().Editor() != nullptr);
    QVERIFY(form->TitleDelegate().Editor()->isVisible());
}

void TestDocumentSwitching::switchSavesNoteDateAndDocument() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("Первый"), kA}, {QStringLiteral("Второй"), kB}});
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral("<P>текст</P>")));
    auto form = site.OpenForm();
    const QByteArray before = SiteFixture::ReadFile(site.SiteFile(kA));

    form->Panel4()->SetNote(QStringLiteral("строка\r\nещё строка"));
    form->Panel4()->SetDate(QDate(2020, 3, 4));
    form->Model().setData(form->Model().IndexOf(Root(*form, 0)), QStringLiteral("Новое имя"));
    SiteFixture::Select(*form, Root(*form, 1));

    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    QCOMPARE(form->Commands().Selected(), Root(*form, 1));
    const TTreeRec& rec = Root(*form, 0)->Rec();
    // The widget keeps one paragraph break for CR LF; each break is one blank.
    QCOMPARE(FromCp1251(rec.Note), QStringLiteral("строка ещё строка"));
    QCOMPARE(rec.Date.date(), QDate(2020, 3, 4));
    const QString index = IndexText(site);
    QVERIFY(index.contains(QStringLiteral("\"Новое имя\"")));
    QVERIFY(index.contains(QStringLiteral("\"строка ещё строка\"")));
    const QString date = FromCp1251(
        FormatIndexDate(QDate(2020, 3, 4), QLocale::system().dateFormat(QLocale::ShortFormat)));
    QVERIFY(index.contains(QLatin1Char('"') + date + QLatin1Char('"')));
    const QByteArray after = SiteFixture::ReadFile(site.SiteFile(kA));
    QVERIFY(after != before);
    const QString saved = site.SavedBody(kA);
    QVERIFY(saved.contains(QStringLiteral("Новое имя")));
    QVERIFY(saved.contains(QStringLiteral("текст")));
    QVERIFY(saved.contains(QStringLiteral("windows-1251"), Qt::CaseInsensitive));
    QCOMPARE(FileAttributes(site.SiteFile(kA)), std::uint32_t(kAttrNormal));
    QCOMPARE(FileAttributes(site.SiteFile(QStringLiteral("index"))), std::uint32_t(kAttrNormal));
    // The second document was created with the skeleton and is open.
    QVERIFY(QFileInfo(site.SiteFile(kB)).isFile());
    QVERIFY(form->State().DocumentLoaded);
    QVERIFY(form->State().SwitchAllowed);
}

void TestDocumentSwitching::titleBeingTypedIsSavedWhenLeaving() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}});
    auto form = site.OpenForm();
    form->ActionListEdit().NewItem->trigger();
    TTreeNode* fresh = Root(*form, 1);
    QLineEdit* editor = form->TitleDelegate().Editor();
    QVERIFY(editor);
    for (const QString& typed :
         {QStringLiteral("Прайс"), QStringLiteral("\u263a"), QStringLiteral(" 2024")}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, typed);
        QCoreApplication::sendEvent(editor, &press);
    }
    QCOMPARE(editor->text(), QStringLiteral("Прайс 2024"));
    SiteFixture::Select(*form, Root(*form, 0));
    QCOMPARE(FromCp1251(fresh->Text()), QStringLiteral("Прайс 2024"));
    QVERIFY(IndexText(site).contains(QStringLiteral("\"Прайс 2024\"")));
    QVERIFY(
        site.SavedBody(FromCp1251(fresh->Rec().FileName)).contains(QStringLiteral("Прайс 2024")));
}

void TestDocumentSwitching::picturesAreImported_data() {
    QTest::addColumn<QString>("sourceName");
    QTest::addColumn<QString>("siteFileAlready");
    QTest::addColumn<QString>("expected"); // a name, or "guid"
    QTest::addRow("plain name is kept, lower-cased") << "Photo_1.JPG"
                                                     << ""
                                                     << "photo_1.jpg";
    QTest::addRow("Cyrillic name gets a GUID") << "Фото.JPG"
                                               << ""
                                               << "guid";
    QTest::addRow("blank in name gets a GUID") << "my photo.jpg"
                                               << ""
                                               << "guid";
    QTest::addRow("clash ignoring ASCII case gets a GUID") << "Photo.JPG"
                                                           << "photo.jpg"
                                                           << "guid";
}

void TestDocumentSwitching::picturesAreImported() {
    QFETCH(QString, sourceName);
    QFETCH(QString, siteFileAlready);
    QFETCH(QString, expected);
    SiteFixture site;
    const QByteArray picture = SiteFixture::Jpeg(20, 10);
    SiteFixture::WriteFile(site.OutsidePath() + sourceName, picture);
    const QByteArray other = SiteFixture::Jpeg(5, 5, 0xff00ff00);
    if (!siteFileAlready.isEmpty())
        SiteFixture::WriteFile(site.SiteFile(siteFileAlready), other);
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(
        site.SiteFile(kA),
        SiteFixture::Document(
            QStringLiteral("<IMG src=\"%1\"><IMG src=\"http://example.com/web.jpg\">")
                .arg(FileUrl(site.OutsidePath() + sourceName))));
    auto form = site.OpenForm();
    SiteFixture::Select(*form, Root(*form, 1));
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));

    const QStringList sources = Attribute(site.SavedBody(kA), QStringLiteral("src"));
    QCOMPARE(sources.size(), 2);
    const QString name = sources[0];
    if (expected == QLatin1String("guid"))
        QVERIFY2(kGuidJpg.match(name).hasMatch(), qPrintable(name));
    else
        QCOMPARE(name, expected);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(name)), picture);
    QCOMPARE(FileAttributes(site.SiteFile(name)), std::uint32_t(kAttrNormal));
    QCOMPARE(sources[1], QStringLiteral("http://example.com/web.jpg"));
    if (!siteFileAlready.isEmpty())
        QCOMPARE(SiteFixture::ReadFile(site.SiteFile(siteFileAlready)), other);
    // The copy now belongs to the document: leaving again copies nothing.
    const QStringList before = site.SiteFileNames();
    SiteFixture::Select(*form, Root(*form, 0));
    SiteFixture::Select(*form, Root(*form, 1));
    QCOMPARE(site.SiteFileNames(), before);
    QCOMPARE(Attribute(site.SavedBody(kA), QStringLiteral("src"))[0], name);
}

void TestDocumentSwitching::sameOutsidePictureInTwoDocuments() {
    SiteFixture site;
    const QString photo = site.OutsidePath() + QStringLiteral("photo.jpg");
    SiteFixture::WriteFile(photo, SiteFixture::Jpeg(8, 8));
    const QByteArray body =
        SiteFixture::Document(QStringLiteral("<IMG src=\"%1\">").arg(FileUrl(photo)));
    site.WriteFlatIndex(
        {{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}, {QStringLiteral("C"), kC}});
    SiteFixture::WriteFile(site.SiteFile(kA), body);
    SiteFixture::WriteFile(site.SiteFile(kB), body);
    auto form = site.OpenForm();
    SiteFixture::Select(*form, Root(*form, 1));
    SiteFixture::Select(*form, Root(*form, 2));
    QCOMPARE(Attribute(site.SavedBody(kA), QStringLiteral("src")),
             QStringList{QStringLiteral("photo.jpg")});
    const QStringList second = Attribute(site.SavedBody(kB), QStringLiteral("src"));
    QCOMPARE(second.size(), 1);
    QVERIFY2(kGuidJpg.match(second[0]).hasMatch(), qPrintable(second[0]));
}

void TestDocumentSwitching::contentsLinkAndLinkToAnotherDocument() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(site.SiteFile(kB), SiteFixture::Document(QStringLiteral("<P>B</P>")));
    SiteFixture::WriteFile(
        site.SiteFile(kA),
        SiteFixture::Document(QStringLiteral("<A href=\"?%1\">contents</A>"
                                             "<A href=\"http://example.com/\">web</A>"
                                             "<A href=\"http://example.com/x\">x</A>")
                                  .arg(kB)));
    auto form = site.OpenForm();
    // A link made during editing straight to another document's file: A
    // does not own that file, so leaving gives A a copy of its own.
    form->VISUALEdit().link(2)->setOuterHTML(QStringLiteral("<A href=\"%1\">direct</A>").arg(kB));
    SiteFixture::Select(*form, Root(*form, 1));
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    const QStringList targets = Attribute(site.SavedBody(kA), QStringLiteral("href"));
    QCOMPARE(targets.size(), 3);
    QCOMPARE(targets[0], QLatin1Char('?') + kB);
    QCOMPARE(targets[1], QStringLiteral("http://example.com/"));
    QVERIFY(targets[2] != kB);
    QVERIFY(targets[2].endsWith(QStringLiteral(".htm")));
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(targets[2])),
             SiteFixture::ReadFile(site.SiteFile(kB)));
}

void TestDocumentSwitching::removedPictureIsDiscardedAndPurgedAtClose() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("own.jpg")), SiteFixture::Jpeg(4, 4));
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("kept.jpg")), SiteFixture::Jpeg(4, 4));
    SiteFixture::WriteFile(site.SiteFile(kA), SiteFixture::Document(QStringLiteral(
                                                  "<IMG src=\"own.jpg\"><IMG src=\"kept.jpg\">")));
    auto form = site.OpenForm();
    QVERIFY(form->State().OwnedFiles.contains(QStringLiteral("own.jpg")));
    form->VISUALEdit().image(0)->setOuterHTML(QString());
    SiteFixture::Select(*form, Root(*form, 1));
    QVERIFY(IsDiscarded(site.SiteFile(QStringLiteral("own.jpg"))));
    QVERIFY(!IsDiscarded(site.SiteFile(QStringLiteral("kept.jpg"))));
    QVERIFY(QFileInfo::exists(site.SiteFile(QStringLiteral("own.jpg"))));
    QVERIFY(form->FormClose());
    QVERIFY(!QFileInfo::exists(site.SiteFile(QStringLiteral("own.jpg"))));
    QVERIFY(QFileInfo::exists(site.SiteFile(QStringLiteral("kept.jpg"))));
    QVERIFY(QFileInfo::exists(site.SiteFile(kA)));
}

void TestDocumentSwitching::siteOwnFilesAreNeverDiscarded_data() {
    QTest::addColumn<bool>("deleteDocument");
    QTest::newRow("links removed from the document") << false;
    QTest::newRow("document deleted") << true;
}

// A document may link to the site's own pages; giving up the link or the
// document must not delete the home page with it.
void TestDocumentSwitching::siteOwnFilesAreNeverDiscarded() {
    QFETCH(bool, deleteDocument);
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    const QStringList own = {QStringLiteral("index.html"), QStringLiteral("site.css"),
                             QStringLiteral("site.js")};
    for (const QString& name : own)
        SiteFixture::WriteFile(site.SiteFile(name), "/* the site's own */");
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("own.jpg")), SiteFixture::Jpeg(4, 4));
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral(
                               "<A href=\"index.html\">На главную</A> "
                               "<A href=\"site.css\">стили</A> "
                               "<A href=\"site.js\">сценарий</A><IMG src=\"own.jpg\">")));
    auto form = site.OpenForm();
    QVERIFY(form->State().OwnedFiles.contains(QStringLiteral("index.html")));
    if (deleteDocument) {
        site.asker.answers = {true};
        form->ActionListEdit().DeleteItem->trigger();
        QCOMPARE(form->Tree().NodeCount(), std::size_t(1));
    } else {
        for (int i = 2; i >= 0; --i)
            form->VISUALEdit().link(i)->setOuterHTML(QString());
        form->VISUALEdit().image(0)->setOuterHTML(QString());
        SiteFixture::Select(*form, Root(*form, 1));
    }
    QVERIFY(IsDiscarded(site.SiteFile(QStringLiteral("own.jpg"))));
    QVERIFY(form->FormClose());
    QVERIFY(!QFileInfo::exists(site.SiteFile(QStringLiteral("own.jpg"))));
    for (const QString& name : own)
        QVERIFY2(QFileInfo::exists(site.SiteFile(name)), qPrintable(name));
}

void TestDocumentSwitching::thumbnailChosenKeptRemovedReplaced() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(site.OutsidePath() + QStringLiteral("Pic.JPG"),
                           SiteFixture::Jpeg(400, 200));
    SiteFixture::WriteFile(site.OutsidePath() + QStringLiteral("other.jpg"),
                           SiteFixture::Jpeg(50, 60));
    auto form = site.OpenForm();
    TNotePanel& panel = *form->Panel4();
    TTreeNode* a = Root(*form, 0);
    TTreeNode* b = Root(*form, 1);

    // Chosen: shrunk to the box, stored on leaving under its own name.
    panel.AddImageFromFile(site.OutsidePath() + QStringLiteral("Pic.JPG"));
    QVERIFY(!panel.Sign()->isVisible());
    QVERIFY(panel.DelImage()->isEnabled());
    QVERIFY(!QFileInfo::exists(site.SiteFile(QStringLiteral("pic.jpg"))));
    SiteFixture::Select(*form, b);
    QCOMPARE(a->Rec().ThumbName, std::string("pic.jpg"));
    const QByteArray stored = SiteFixture::ReadFile(site.SiteFile(QStringLiteral("pic.jpg")));
    QCOMPARE(QImage::fromData(stored).size(), QSize(129, 64));
    QVERIFY(IndexText(site).contains(QStringLiteral("\"pic.jpg\"")));

    // Kept: the same name again (ignoring case) writes nothing new.
    SiteFixture::Select(*form, a);
    QVERIFY(!panel.Sign()->isVisible());
    QCOMPARE(panel.ThumbFileName(), QStringLiteral("pic.jpg"));
    panel.AddImageFromFile(site.OutsidePath() + QStringLiteral("Pic.JPG"));
    SiteFixture::Select(*form, b);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(QStringLiteral("pic.jpg"))), stored);
    QVERIFY(!IsDiscarded(site.SiteFile(QStringLiteral("pic.jpg"))));

    // Replaced: the new picture is stored and the old one discarded.
    SiteFixture::Select(*form, a);
    panel.AddImageFromFile(site.OutsidePath() + QStringLiteral("other.jpg"));
    SiteFixture::Select(*form, b);
    QCOMPARE(a->Rec().ThumbName, std::string("other.jpg"));
    QVERIFY(IsDiscarded(site.SiteFile(QStringLiteral("pic.jpg"))));
    QCOMPARE(
        QImage::fromData(SiteFixture::ReadFile(site.SiteFile(QStringLiteral("other.jpg")))).size(),
        QSize(50, 60));

    // Removed: no thumbnail in the record, its file discarded.
    SiteFixture::Select(*form, a);
    panel.DelImageExecute();
    QVERIFY(panel.Sign()->isVisibleTo(&panel));
    QVERIFY(!panel.DelImage()->isEnabled());
    SiteFixture::Select(*form, b);
    QVERIFY(a->Rec().ThumbName.empty());
    QVERIFY(IsDiscarded(site.SiteFile(QStringLiteral("other.jpg"))));

    // Chosen and removed before leaving: nothing written.
    SiteFixture::Select(*form, a);
    const QStringList files = site.SiteFileNames();
    panel.AddImageFromFile(site.OutsidePath() + QStringLiteral("other.jpg"));
    panel.DelImageExecute();
    SiteFixture::Select(*form, b);
    QCOMPARE(site.SiteFileNames(), files);
    QVERIFY(a->Rec().ThumbName.empty());
}

void TestDocumentSwitching::thumbnailNeverOverwritesSiteFile() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    const QByteArray theirs = SiteFixture::Jpeg(5, 5, 0xff00ff00);
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("photo.jpg")), theirs);
    SiteFixture::WriteFile(site.OutsidePath() + QStringLiteral("Photo.JPG"),
                           SiteFixture::Jpeg(30, 30));
    auto form = site.OpenForm();
    form->Panel4()->AddImageFromFile(site.OutsidePath() + QStringLiteral("Photo.JPG"));
    SiteFixture::Select(*form, Root(*form, 1));
    const QString name = FromCp1251(Root(*form, 0)->Rec().ThumbName);
    QVERIFY2(kGuidJpg.match(name).hasMatch(), qPrintable(name));
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(QStringLiteral("photo.jpg"))), theirs);
}

void TestDocumentSwitching::deleteDiscardsFilesAndDoesNotSave() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("own.jpg")), SiteFixture::Jpeg(4, 4));
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral("<IMG src=\"own.jpg\">")));
    auto form = site.OpenForm();
    const QByteArray before = SiteFixture::ReadFile(site.SiteFile(kA));
    form->Panel4()->SetNote(QStringLiteral("не сохранять"));
    site.asker.answers = {true};
    form->ActionListEdit().DeleteItem->trigger();
    QCOMPARE(site.asker.questions, QStringList{QStringLiteral("Вы действительно хотите удалить?")});
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    QCOMPARE(form->Tree().NodeCount(), std::size_t(1));
    QCOMPARE(FromCp1251(Root(*form, 0)->Rec().FileName), kB);
    QCOMPARE(form->Commands().Selected(), Root(*form, 0));
    QVERIFY(form->State().DocumentLoaded);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(kA)), before);
    QVERIFY(IsDiscarded(site.SiteFile(kA)));
    QVERIFY(IsDiscarded(site.SiteFile(QStringLiteral("own.jpg"))));
    const QString index = IndexText(site);
    QVERIFY(!index.contains(kA));
    QVERIFY(!index.contains(QStringLiteral("не сохранять")));
}

// A node whose opening failed is deleted: the document opened before it
// keeps its file and pictures.
void TestDocumentSwitching::deleteAfterFailedOpeningKeepsOtherFiles_data() {
    QTest::addColumn<QString>("item"); // the index entry of the node that fails
    QTest::addRow("no file name") << "new Array(\"Без файла\",null)";
    QTest::addRow("name with a folder part")
        << "new Array(\"Чужой\",\"sub/x.htm\",\"\",\"\",\"\",null)";
    QTest::addRow("a folder in place of the file")
        << QStringLiteral("new Array(\"Папка\",\"%1\",\"\",\"\",\"\",null)").arg(kC);
}

void TestDocumentSwitching::deleteAfterFailedOpeningKeepsOtherFiles() {
    QFETCH(QString, item);
    SiteFixture site;
    QVERIFY(QDir().mkdir(site.SiteFile(kC)));
    SiteFixture::WriteFile(
        site.SiteFile(QStringLiteral("index")),
        QByteArray::fromStdString(ToCp1251(
            QStringLiteral("index=new Array(new Array(\"A\",\"%1\",\"\",\"\",\"\",null),%2,"
                           "new Array(\"B\",\"%3\",\"\",\"\",\"\",null));")
                .arg(kA, item, kB))));
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("own.jpg")), SiteFixture::Jpeg(4, 4));
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral("<IMG src=\"own.jpg\">")));
    auto form = site.OpenForm();
    SiteFixture::Select(*form, Root(*form, 1));
    QCOMPARE(site.asker.errors.size(), 1);
    QVERIFY(form->State().OwnedFiles.isEmpty());
    QVERIFY(form->ActionListEdit().DeleteItem->isEnabled());
    site.asker.answers = {true};
    form->ActionListEdit().DeleteItem->trigger();
    QCOMPARE(form->Tree().NodeCount(), std::size_t(2));
    for (const QString& name : {kA, QStringLiteral("own.jpg")})
        QVERIFY2(!IsDiscarded(site.SiteFile(name)), qPrintable(name));
    QVERIFY(form->FormClose());
    QVERIFY(QFileInfo::exists(site.SiteFile(kA)));
    QVERIFY(QFileInfo::exists(site.SiteFile(QStringLiteral("own.jpg"))));
}

// Ctrl+Del while the next document is still opening does nothing: neither
// the document being opened nor the one left before it loses its files.
void TestDocumentSwitching::deleteDuringOpeningIsRefused() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("own.jpg")), SiteFixture::Jpeg(4, 4));
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral("<IMG src=\"own.jpg\">")));
    auto form = site.OpenForm();
    bool tried = false;
    QStringList ownedDuringOpening;
    form->Switcher().SetRefillStyleList([&] {
        if (tried)
            return;
        tried = true;
        ownedDuringOpening = form->State().OwnedFiles;
        site.asker.answers = {true};
        form->ActionListEdit().DeleteItem->trigger();
    });
    SiteFixture::Select(*form, Root(*form, 1));
    QVERIFY(tried);
    QVERIFY(ownedDuringOpening.isEmpty());
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    QCOMPARE(form->Tree().NodeCount(), std::size_t(2));
    QCOMPARE(form->Commands().Selected(), Root(*form, 1));
    QVERIFY(form->State().DocumentLoaded);
    for (const QString& name : {kA, kB, QStringLiteral("own.jpg")})
        QVERIFY2(!IsDiscarded(site.SiteFile(name)), qPrintable(name));
}

void TestDocumentSwitching::movesNeitherSaveNorReload() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    auto form = site.OpenForm();
    TTreeNode* a = Root(*form, 0);
    const QByteArray before = SiteFixture::ReadFile(site.SiteFile(kA));
    form->Panel4()->SetNote(QStringLiteral("в работе"));
    form->VISUALEdit().setTitle(QStringLiteral("engine state"));
    form->ActionListEdit().Down->trigger();
    QCOMPARE(Root(*form, 1), a);
    QCOMPARE(form->Commands().Selected(), a);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(kA)), before);
    QCOMPARE(form->Panel4()->Note(), QStringLiteral("в работе"));
    QCOMPARE(form->VISUALEdit().title(), QStringLiteral("engine state"));
    QVERIFY(IndexText(site).indexOf(kB) < IndexText(site).indexOf(kA));
    form->ActionListEdit().Right->trigger();
    QCOMPARE(a->Parent(), Root(*form, 0));
    QVERIFY(Root(*form, 0)->Expanded());
    QVERIFY(form->TreeView()->isExpanded(form->Model().IndexOf(Root(*form, 0))));
    QCOMPARE(form->Commands().Selected(), a);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(kA)), before);
    // The edits are saved when the document is left later.
    SiteFixture::Select(*form, Root(*form, 0));
    QCOMPARE(FromCp1251(a->Rec().Note), QStringLiteral("в работе"));
}

void TestDocumentSwitching::switchIsRefusedWhileOpening() {
    SiteFixture site;
    site.WriteFlatIndex(
        {{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}, {QStringLiteral("C"), kC}});
    auto form = site.OpenForm();
    bool tried = false;
    bool allowedDuringOpening = true;
    form->Switcher().SetRefillStyleList([&] {
        if (tried)
            return;
        tried = true;
        allowedDuringOpening = form->State().SwitchAllowed;
        // A click on another node while the document is still opening.
        SiteFixture::Select(*form, Root(*form, 2));
    });
    SiteFixture::Select(*form, Root(*form, 1));
    QVERIFY(tried);
    QVERIFY(!allowedDuringOpening);
    QCOMPARE(form->Commands().Selected(), Root(*form, 1));
    QCOMPARE(form->Selection().selectedIndexes(),
             QModelIndexList{form->Model().IndexOf(Root(*form, 1))});
    QVERIFY(form->State().SwitchAllowed);
    QVERIFY(form->State().DocumentLoaded);
    SiteFixture::Select(*form, Root(*form, 2));
    QCOMPARE(form->Commands().Selected(), Root(*form, 2));
}

void TestDocumentSwitching::leavingForPublishingKeepsDocumentOpen() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    auto form = site.OpenForm();
    form->Panel4()->SetNote(QStringLiteral("перед публикацией"));
    form->LeaveForPublishing();
    QVERIFY(IndexText(site).contains(QStringLiteral("перед публикацией")));
    QCOMPARE(form->Commands().Selected(), Root(*form, 0));
    QVERIFY(form->State().DocumentLoaded);
    QVERIFY(form->State().SwitchAllowed);
    QVERIFY(form->Panel4()->isEnabled());
    form->Panel4()->SetNote(QStringLiteral("после"));
    SiteFixture::Select(*form, Root(*form, 1));
    QCOMPARE(FromCp1251(Root(*form, 0)->Rec().Note), QStringLiteral("после"));
}

void TestDocumentSwitching::closeSavesAndPurges() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}});
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("hidden-by-hand.txt")), "x");
    SetDiscarded(site.SiteFile(QStringLiteral("hidden-by-hand.txt")));
    auto form = site.OpenForm();
    form->Panel4()->SetNote(QStringLiteral("при закрытии"));
    QVERIFY(form->close());
    QVERIFY(IndexText(site).contains(QStringLiteral("при закрытии")));
    QVERIFY(!QFileInfo::exists(site.SiteFile(QStringLiteral("hidden-by-hand.txt"))));
    QVERIFY(site.asker.errors.isEmpty());
}

void TestDocumentSwitching::errorWhileLeavingLeavesSwitchingUsable() {
    SiteFixture site;
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    auto form = site.OpenForm();
    // An index that cannot be replaced (a folder in its place) makes leaving fail.
    const QString index = site.SiteFile(QStringLiteral("index"));
    QVERIFY(QFile::remove(index));
    QVERIFY(QDir().mkdir(index));
    form->Panel4()->SetNote(QStringLiteral("не потерять"));
    SiteFixture::Select(*form, Root(*form, 1));
    QCOMPARE(site.asker.errors.size(), 1);
    QCOMPARE(form->Commands().Selected(), Root(*form, 0));
    QVERIFY(form->State().SwitchAllowed);
    QVERIFY(form->State().DocumentLoaded);
    QCOMPARE(form->Panel4()->Note(), QStringLiteral("не потерять"));
    QVERIFY(QDir().rmdir(index));
    SiteFixture::Select(*form, Root(*form, 1));
    QCOMPARE(site.asker.errors.size(), 1);
    QCOMPARE(form->Commands().Selected(), Root(*form, 1));
    QVERIFY(IndexText(site).contains(QStringLiteral("не потерять")));
}

void TestDocumentSwitching::documentThatCannotBeCreatedIsReported() {
    SiteFixture site;
    // A folder where the document file should be, and a node without a file.
    QVERIFY(QDir().mkdir(site.SiteFile(kB)));
    SiteFixture::WriteFile(
        site.SiteFile(QStringLiteral("index")),
        QByteArray::fromStdString(
            ToCp1251(QStringLiteral("index=new Array(new Array(\"A\",\"%1\",\"\",\"\",\"\",null),"
                                    "new Array(\"B\",\"%2\",\"\",\"\",\"\",null),"
                                    "new Array(\"Без файла\",null));")
                         .arg(kA, kB))));
    auto form = site.OpenForm();
    for (int i : {1, 2}) {
        site.asker.errors.clear();
        SiteFixture::Select(*form, Root(*form, i));
        QCOMPARE(site.asker.errors.size(), 1);
        QVERIFY(form->State().SwitchAllowed);
        QVERIFY(!form->State().DocumentLoaded);
        QVERIFY(!form->Panel4()->isEnabled());
        SiteFixture::Select(*form, Root(*form, 0));
        QCOMPARE(form->Commands().Selected(), Root(*form, 0));
        QVERIFY(form->State().DocumentLoaded);
        QVERIFY(form->Panel4()->isEnabled());
    }
    QVERIFY(QFileInfo(site.SiteFile(kB)).isDir());
}

void TestDocumentSwitching::nonRegularFilesAreNeverCopied() {
    SiteFixture site;
    const QString pipe = site.OutsidePath() + QStringLiteral("pipe.jpg");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString folder = site.OutsidePath() + QStringLiteral("folder.jpg");
    QVERIFY(QDir().mkdir(folder));
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(
        site.SiteFile(kA),
        SiteFixture::Document(QStringLiteral("<IMG src=\"%1\"><A href=\"%2\">f</A>"
                                             "<A href=\"file:///dev/zero\">z</A>")
                                  .arg(FileUrl(folder), FileUrl(pipe))));
    auto form = site.OpenForm();
    SiteFixture::Select(*form, Root(*form, 1));
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    QCOMPARE(form->Commands().Selected(), Root(*form, 1));
    const QString saved = site.SavedBody(kA);
    QCOMPARE(Attribute(saved, QStringLiteral("src")), QStringList{FileUrl(folder)});
    QCOMPARE(Attribute(saved, QStringLiteral("href")),
             (QStringList{FileUrl(pipe), QStringLiteral("file:///dev/zero")}));
    QStringList expected{kA, kB, QStringLiteral("index"), QStringLiteral("index.txt")};
    expected.sort();
    QCOMPARE(site.SiteFileNames(), expected);
}

void TestDocumentSwitching::namesLeadingOutOfTheSiteAreRefused_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("thumbName");
    QTest::addRow("parent folder") << "../evil.htm"
                                   << "";
    QTest::addRow("subfolder") << "sub/evil.htm"
                               << "";
    QTest::addRow("absolute path") << "/tmp/quillery-evil.htm"
                                   << "";
    QTest::addRow("dot dot") << ".."
                             << "";
    QTest::addRow("thumbnail outside") << "0a1b2c3d-0000-4000-8000-0000000000ee.htm"
                                       << "../thumb.jpg";
}

void TestDocumentSwitching::namesLeadingOutOfTheSiteAreRefused() {
    QFETCH(QString, fileName);
    QFETCH(QString, thumbName);
    SiteFixture site;
    const QString outsideThumb = site.SitePath() + QStringLiteral("../thumb.jpg");
    SiteFixture::WriteFile(outsideThumb, SiteFixture::Jpeg(4, 4));
    const QString item = QStringLiteral("new Array(\"Чужой\",\"%1\",\"\",\"\",\"%2\",null)")
                             .arg(fileName, thumbName);
    SiteFixture::WriteFile(
        site.SiteFile(QStringLiteral("index")),
        QByteArray::fromStdString(ToCp1251(
            QStringLiteral("index=new Array(new Array(\"A\",\"%1\",\"\",\"\",\"\",null),%2);")
                .arg(kA, item))));
    auto form = site.OpenForm();
    SiteFixture::Select(*form, Root(*form, 1));
    QCOMPARE(site.asker.errors.size(), 1);
    QVERIFY(site.asker.errors[0].contains(thumbName.isEmpty() ? fileName : thumbName));
    QVERIFY(form->State().SwitchAllowed);
    QVERIFY(!form->State().DocumentLoaded);
    QVERIFY(!QFileInfo::exists(site.SitePath() + QStringLiteral("../evil.htm")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/quillery-evil.htm")));
    SiteFixture::Select(*form, Root(*form, 0));
    QVERIFY(form->State().DocumentLoaded);
    QVERIFY(form->FormClose());
    QVERIFY(IndexText(site).contains(QStringLiteral("\"%1\"").arg(fileName)));
    if (!thumbName.isEmpty()) {
        QVERIFY(IndexText(site).contains(QStringLiteral("\"%1\"").arg(thumbName)));
        QVERIFY(QFileInfo::exists(outsideThumb));
        // Untouched: no state of ours was put on it.
        QCOMPARE(::getxattr(QFile::encodeName(outsideThumb).constData(), "user.quillery.attrib",
                            nullptr, 0),
                 ssize_t(-1));
    }
}

} // namespace quillery

QTEST_MAIN(quillery::TestDocumentSwitching)
#include "test_document_switching.moc"
