// Recovery copies of unsaved edits through the real main window: a program
// killed with SIGKILL, a renderer that dies or hangs, and what opening and
// leaving a document do with its copy.
#include "editor/engine.h"
#include "shell/note_memo.h"
#include "shell/note_panel.h"
#include "shell/recovery_keeper.h"
#include "store/recovery_copy.h"
#include "store/text_codec.h"
#include "tests/shell/shell_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <csignal>
#include <sys/stat.h>
#include <utime.h>

namespace quillery {
namespace {

const QString kA = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000a.htm");
const QString kB = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000b.htm");

// Short waits, so the tests need not type for half a minute.
TRecoveryKeeper::TTimings Quick() {
    TRecoveryKeeper::TTimings timings;
    timings.poll = std::chrono::milliseconds(200);
    timings.idle = std::chrono::milliseconds(600);
    timings.longest = std::chrono::milliseconds(1500);
    timings.unresponsive = std::chrono::milliseconds(1500);
    return timings;
}

void WriteTwoDocuments(SiteFixture& site) {
    site.WriteFlatIndex({{QStringLiteral("Первая"), kA}, {QStringLiteral("Вторая"), kB}});
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral("<P>Текст из файла</P>")));
    SiteFixture::WriteFile(site.SiteFile(kB), SiteFixture::Document(QStringLiteral("<P>B</P>")));
}

// The main window with its copies kept in folder.
std::unique_ptr<TMainForm> OpenWithCopiesIn(SiteFixture& site, const QString& folder) {
    auto form = std::make_unique<TMainForm>(nullptr, &site.asker);
    form->Recovery().SetFolder(folder);
    form->Recovery().SetTimings(Quick());
    form->OpenSite(site.SitePath());
    if (!QTest::qWaitForWindowExposed(form.get()))
        qFatal("the main window was never shown");
    return form;
}

bool CopyHolds(const QString& path, const QByteArray& text) {
    const auto copy = ReadRecoveryCopy(path);
    return copy && copy->Document.contains(text);
}

void SetModified(const QString& path, const QDateTime& when) {
    const utimbuf times{when.toSecsSinceEpoch(), when.toSecsSinceEpoch()};
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
}

qint64 RendererPid(TMainForm& form) {
    return static_cast<QWebEngineView*>(form.VISUALEdit().widget())->page()->renderProcessPid();
}

QString Question(const QString& title) {
    return QStringLiteral("Восстановить несохранённые изменения документа «%1»?").arg(title);
}

} // namespace

class TestRecovery final : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_copies.isValid()); }
    void cleanup() { QDir(m_copies.path()).removeRecursively(); }

    void copyFile();
    void killedProgramOffersItsEditsBack();
    void copyAfterTypingStopsAndWhileTyping();
    void leavingRemovesTheCopy();
    void closingWhenSavingFailsKeepsTheCopy();
    void copyThatCannotBeWrittenIsSaidOnce();
    void decliningRemovesTheCopy();
    void copyOlderThanItsDocumentIsNotOffered();
    void copyOfADocumentNoLongerInTheContents();
    void rendererThatDiesNeverOverwritesTheDocument();
    void rendererThatStopsAnsweringIsRestarted();

private:
    // A copy of fileName of the site with body for its text, as a crash
    // leaves it; returns its path.
    QString WriteCopy(const SiteFixture& site, const QString& fileName, const QString& body,
                      const QString& title) {
        TRecoveryCopy copy;
        copy.SitePath = site.SitePath();
        copy.FileName = fileName;
        copy.Title = title;
        copy.Document = SiteFixture::Document(body);
        const QString path = RecoveryCopyPath(m_copies.path(), site.SitePath(), fileName);
        WriteRecoveryCopy(path, copy);
        return path;
    }

    QTemporaryDir m_copies;
};

void TestRecovery::copyFile() {
    TRecoveryCopy copy;
    copy.SitePath = QStringLiteral("/home/u/сайт/");
    copy.FileName = kA;
    copy.Title = QStringLiteral("Цены -- и --> сроки");
    copy.Note = QStringLiteral("заметка -->");
    copy.Date = QDate(2024, 5, 1);
    copy.Thumbnail = QStringLiteral("/home/u/Фото.jpg");
    copy.Document = SiteFixture::Document(QStringLiteral("<P>текст &#945;</P>"));
    const QString path = RecoveryCopyPath(m_copies.path(), copy.SitePath, copy.FileName);
    WriteRecoveryCopy(path, copy);

    const auto back = ReadRecoveryCopy(path);
    QVERIFY(back);
    QCOMPARE(back->SitePath, copy.SitePath);
    QCOMPARE(back->FileName, copy.FileName);
    QCOMPARE(back->Title, copy.Title);
    QCOMPARE(back->Note, copy.Note);
    QCOMPARE(back->Date, copy.Date);
    QCOMPARE(back->Thumbnail, copy.Thumbnail);
    QCOMPARE(back->Document, copy.Document);
    // One comment line a browser skips, then the document.
    const QByteArray bytes = SiteFixture::ReadFile(path);
    const QByteArray firstLine = bytes.left(bytes.indexOf("\r\n"));
    QVERIFY(firstLine.startsWith("<!--") && firstLine.endsWith("-->"));
    QCOMPARE(firstLine.count("--"), 2);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
    // Another site's copies are not this one's.
    QCOMPARE(RecoveryCopiesOfSite(m_copies.path(), copy.SitePath), std::vector<QString>{path});
    QVERIFY(RecoveryCopiesOfSite(m_copies.path(), QStringLiteral("/home/u/другой/")).empty());
    QVERIFY(!ReadRecoveryCopy(m_copies.filePath(QStringLiteral("missing"))));
    SiteFixture::WriteFile(m_copies.filePath(QStringLiteral("plain.htm")), copy.Document);
    QVERIFY(!ReadRecoveryCopy(m_copies.filePath(QStringLiteral("plain.htm"))));
}

void TestRecovery::killedProgramOffersItsEditsBack() {
    SiteFixture site;
    WriteTwoDocuments(site);
    const QByteArray before = SiteFixture::ReadFile(site.SiteFile(kA));

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(QUILLERY_RECOVERY_CHILD),
                {site.SitePath(), site.ConfigPath(), m_copies.path()});
    QVERIFY(child.waitForStarted(10000));
    QByteArray output;
    QVERIFY(QTest::qWaitFor(
        [&] {
            output += child.readAllStandardOutput();
            return output.contains("ready") || child.state() == QProcess::NotRunning;
        },
        120000));
    QCOMPARE(child.state(), QProcess::Running);
    child.kill();
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(kA)), before);

    site.asker.answers = {true};
    auto form = OpenWithCopiesIn(site, m_copies.path());
    QCOMPARE(site.asker.questions, QStringList{Question(QStringLiteral("Первая"))});
    QVERIFY(SiteFixture::PageText(*form).contains(QStringLiteral("typed before the crash")));
    QCOMPARE(form->Panel4()->Note(), QStringLiteral("note before the crash"));
    // The site folder changes only when the document is left.
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(kA)), before);
    SiteFixture::Select(*form, form->Tree().Root(1));
    QVERIFY(site.SavedBody(kA).contains(QStringLiteral("typed before the crash")));
    QCOMPARE(FromCp1251(form->Tree().Root(0)->Rec().Note), QStringLiteral("note before the crash"));
    QVERIFY(!QFileInfo::exists(form->Recovery().CopyPath(*form->Tree().Root(0))));
}

void TestRecovery::copyAfterTypingStopsAndWhileTyping() {
    SiteFixture site;
    WriteTwoDocuments(site);
    auto form = OpenWithCopiesIn(site, m_copies.path());
    const QString copy = form->Recovery().CopyPath(*form->Tree().Root(0));
    QSignalSpy written(&form->Recovery(), &TRecoveryKeeper::CopyWritten);

    // Nothing edited: no copy.
    QTest::qWait(1500);
    QVERIFY(!QFileInfo::exists(copy));

    // Typing on and on still leaves a copy behind it now and then.
    SiteFixture::TypeIntoDocument(*form, QStringLiteral("a"));
    QWidget* page = form->VISUALEdit().widget()->focusProxy();
    QElapsedTimer typing;
    typing.start();
    bool copiedWhileTyping = false;
    while (typing.elapsed() < 4000) {
        QTest::keyClick(page, 'b');
        QTest::qWait(150);
        copiedWhileTyping = copiedWhileTyping || CopyHolds(copy, "ab");
    }
    QVERIFY(copiedWhileTyping);
    // Stopping leaves a copy of everything typed.
    QTRY_VERIFY_WITH_TIMEOUT(CopyHolds(copy, "abbbbbbbbbbbbbbbbbbbb"), 5000);
    for (const QList<QVariant>& signal : std::as_const(written))
        QVERIFY2(signal.at(1).toString().isEmpty(), qPrintable(signal.at(1).toString()));

    // A note alone is an edit too.
    QTest::keyClicks(form->Panel4()->Memo1(), QStringLiteral(" and a note"));
    QTRY_VERIFY_WITH_TIMEOUT(ReadRecoveryCopy(copy)->Note.endsWith(QStringLiteral(" and a note")),
                             5000);
}

void TestRecovery::leavingRemovesTheCopy() {
    SiteFixture site;
    WriteTwoDocuments(site);
    auto form = OpenWithCopiesIn(site, m_copies.path());
    const QString copy = form->Recovery().CopyPath(*form->Tree().Root(0));
    SiteFixture::TypeIntoDocument(*form, QStringLiteral("kept"));
    QTRY_VERIFY_WITH_TIMEOUT(CopyHolds(copy, "kept"), 5000);

    SiteFixture::Select(*form, form->Tree().Root(1));
    QVERIFY(!QFileInfo::exists(copy));
    QVERIFY(site.SavedBody(kA).contains(QStringLiteral("kept")));
    QVERIFY(site.asker.errors.isEmpty());
}

// Saving fails at close: the user is asked; No keeps the window, Yes closes
// it and the next start offers the edits back from the copy.
void TestRecovery::closingWhenSavingFailsKeepsTheCopy() {
    SiteFixture site;
    WriteTwoDocuments(site);
    auto form = OpenWithCopiesIn(site, m_copies.path());
    // No copy of its own before the close: the close must take it.
    TRecoveryKeeper::TTimings slow = Quick();
    slow.idle = slow.longest = std::chrono::milliseconds(600000);
    form->Recovery().SetTimings(slow);
    const QString copy = form->Recovery().CopyPath(*form->Tree().Root(0));
    SiteFixture::TypeIntoDocument(*form, QStringLiteral("unsaved"));
    const QString index = site.SiteFile(QStringLiteral("index"));
    const QByteArray indexText = SiteFixture::ReadFile(index);
    QVERIFY(QFile::remove(index));
    QVERIFY(QDir().mkdir(index));
    const QString question = QStringLiteral("Закрыть без сохранения? Несохранённые правки "
                                            "останутся в копии для восстановления.");

    site.asker.answers = {false};
    QVERIFY(!form->close());
    QCOMPARE(site.asker.errors.size(), 1);
    QCOMPARE(site.asker.questions, QStringList{question});
    QVERIFY(form->isVisible());
    QVERIFY(form->State().DocumentLoaded);

    site.asker.answers = {true};
    QVERIFY(form->close());
    QCOMPARE(site.asker.errors.size(), 2);
    QCOMPARE(site.asker.questions, (QStringList{question, question}));
    QVERIFY(CopyHolds(copy, "unsaved"));
    form.reset();

    QVERIFY(QDir().rmdir(index));
    SiteFixture::WriteFile(index, indexText);
    site.asker.questions.clear();
    site.asker.answers = {true};
    form = OpenWithCopiesIn(site, m_copies.path());
    QCOMPARE(site.asker.questions, QStringList{Question(QStringLiteral("Первая"))});
    QVERIFY(SiteFixture::PageText(*form).contains(QStringLiteral("unsaved")));
}

void TestRecovery::copyThatCannotBeWrittenIsSaidOnce() {
    SiteFixture site;
    WriteTwoDocuments(site);
    // A file where the copies' folder should be: no copy can be written.
    const QTemporaryDir scratch;
    const QString blocked = scratch.filePath(QStringLiteral("blocked"));
    SiteFixture::WriteFile(blocked, "a file");
    auto form = OpenWithCopiesIn(site, blocked + QStringLiteral("/copies"));
    QSignalSpy written(&form->Recovery(), &TRecoveryKeeper::CopyWritten);
    SiteFixture::TypeIntoDocument(*form, QStringLiteral("one"));
    QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, 5000);
    SiteFixture::TypeIntoDocument(*form, QStringLiteral("two"));
    QTRY_COMPARE_WITH_TIMEOUT(written.size(), 2, 5000);
    QCOMPARE(site.asker.warnings.size(), 1);
    QVERIFY2(site.asker.warnings.first().contains(QStringLiteral("копию")),
             qPrintable(site.asker.warnings.first()));
    // The edits still reach the document when it is left.
    SiteFixture::Select(*form, form->Tree().Root(1));
    QVERIFY(site.SavedBody(kA).contains(QStringLiteral("two")));
    QVERIFY(site.asker.errors.isEmpty());
}

void TestRecovery::decliningRemovesTheCopy() {
    SiteFixture site;
    WriteTwoDocuments(site);
    const QString copy = WriteCopy(site, kA, QStringLiteral("<P>из копии</P>"), {});
    SetModified(site.SiteFile(kA), QDateTime::currentDateTime().addSecs(-60));

    site.asker.answers = {false};
    auto form = OpenWithCopiesIn(site, m_copies.path());
    QCOMPARE(site.asker.questions, QStringList{Question(QStringLiteral("Первая"))});
    QVERIFY(!QFileInfo::exists(copy));
    QVERIFY(SiteFixture::PageText(*form).contains(QStringLiteral("Текст из файла")));
}

void TestRecovery::copyOlderThanItsDocumentIsNotOffered() {
    SiteFixture site;
    WriteTwoDocuments(site);
    const QString copy = WriteCopy(site, kA, QStringLiteral("<P>из старой копии</P>"), {});
    SetModified(copy, QDateTime::currentDateTime().addSecs(-60));

    auto form = OpenWithCopiesIn(site, m_copies.path());
    QVERIFY(site.asker.questions.isEmpty());
    QVERIFY(SiteFixture::PageText(*form).contains(QStringLiteral("Текст из файла")));
}

void TestRecovery::copyOfADocumentNoLongerInTheContents() {
    SiteFixture site;
    WriteTwoDocuments(site);
    const QString copy = WriteCopy(site, QStringLiteral("0a1b2c3d-0000-4000-8000-0000000000ff.htm"),
                                   QStringLiteral("<P>сирота</P>"), QStringLiteral("Удалённая"));

    auto form = OpenWithCopiesIn(site, m_copies.path());
    QCOMPARE(site.asker.warnings.size(), 1);
    QVERIFY(site.asker.warnings[0].contains(QStringLiteral("«Удалённая»")));
    QVERIFY(site.asker.warnings[0].contains(copy));
    QVERIFY(QFileInfo::exists(copy));
}

void TestRecovery::rendererThatDiesNeverOverwritesTheDocument() {
    SiteFixture site;
    WriteTwoDocuments(site);
    auto form = OpenWithCopiesIn(site, m_copies.path());
    const QString copy = form->Recovery().CopyPath(*form->Tree().Root(0));
    const QByteArray before = SiteFixture::ReadFile(site.SiteFile(kA));
    SiteFixture::TypeIntoDocument(*form, QStringLiteral("survives the renderer"));
    QTRY_VERIFY_WITH_TIMEOUT(CopyHolds(copy, "survives the renderer"), 5000);

    const qint64 renderer = RendererPid(*form);
    QVERIFY(renderer > 0);
    QCOMPARE(::kill(pid_t(renderer), SIGKILL), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!site.asker.warnings.isEmpty(), 20000);
    QVERIFY(site.asker.warnings[0].contains(QStringLiteral("«Первая»")));
    QTRY_VERIFY_WITH_TIMEOUT(form->State().DocumentLoaded, 20000);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(kA)), before);
    QVERIFY(SiteFixture::PageText(*form).contains(QStringLiteral("survives the renderer")));
    QVERIFY(RendererPid(*form) != renderer);

    SiteFixture::Select(*form, form->Tree().Root(1));
    QVERIFY(site.SavedBody(kA).contains(QStringLiteral("survives the renderer")));
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
}

void TestRecovery::rendererThatStopsAnsweringIsRestarted() {
    SiteFixture site;
    WriteTwoDocuments(site);
    auto form = OpenWithCopiesIn(site, m_copies.path());
    const QString copy = form->Recovery().CopyPath(*form->Tree().Root(0));
    const QByteArray before = SiteFixture::ReadFile(site.SiteFile(kA));
    SiteFixture::TypeIntoDocument(*form, QStringLiteral("outlives the hang"));
    QTRY_VERIFY_WITH_TIMEOUT(CopyHolds(copy, "outlives the hang"), 5000);

    site.asker.answers = {true};
    auto* view = static_cast<QWebEngineView*>(form->VISUALEdit().widget());
    view->page()->runJavaScript(QStringLiteral("for (;;) {}"), QWebEngineScript::ApplicationWorld);
    QTRY_VERIFY_WITH_TIMEOUT(!site.asker.questions.isEmpty(), 20000);
    QVERIFY(site.asker.questions[0].contains(QStringLiteral("не отвечает")));
    QTRY_VERIFY_WITH_TIMEOUT(!site.asker.warnings.isEmpty(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(form->State().DocumentLoaded, 20000);
    QCOMPARE(SiteFixture::ReadFile(site.SiteFile(kA)), before);
    QVERIFY(SiteFixture::PageText(*form).contains(QStringLiteral("outlives the hang")));
}

} // namespace quillery

QTEST_MAIN(quillery::TestRecovery)
#include "test_recovery.moc"
