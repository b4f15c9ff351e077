#include "shell/select_dlg.h"
#include "store/settings_store.h"
#include "tests/shell/shell_fixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace quillery {
namespace {

QString MakeFolder(const SiteFixture& site, const QString& name, bool withIndex) {
    const QString path = site.OutsidePath() + name;
    QDir().mkpath(path);
    if (withIndex)
        SiteFixture::WriteFile(path + QStringLiteral("/index"), "index=new Array();");
    return path + QLatin1Char('/');
}

// Every settings file under folder with its content.
QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, SiteFixture::ReadFile(path));
    }
    return files;
}

} // namespace

class TestSiteDialog final : public QObject {
    Q_OBJECT

private slots:
    void firstStartProposesTheProgramFolder();
    void recentFoldersThatVanishedAreNotShown();
    void listAndComboFollowEachOther();
    void ok_data();
    void ok();
    void cancelTouchesNothing();
    void browse();
    void confirmingEmptyFolderStartsNewSite();
    void typedPathIsMadeAbsoluteAndClean_data();
    void typedPathIsMadeAbsoluteAndClean();
    void unwritableSettingsAreShownAndTheSiteOpens();
    void nothingTypedIsNoFolder_data();
    void nothingTypedIsNoFolder();
};

void TestSiteDialog::firstStartProposesTheProgramFolder() {
    SiteFixture site;
    TSelectDlg dialog(nullptr, site.asker);
    dialog.FormShow();
    QCOMPARE(dialog.ListBox1()->count(), 0);
    // The program's folder, unless this user cannot write there (an
    // installed program, or the tests run as another user): then the home.
    const QString own = QCoreApplication::applicationDirPath();
    const QString proposed = QFileInfo(own).isWritable() ? own : QDir::homePath();
    QCOMPARE(dialog.ComboBox1()->currentText(), proposed + QLatin1Char('/'));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Quillery"));
    QCOMPARE(dialog.Button1()->text(), QStringLiteral("ОК"));
    QCOMPARE(dialog.Button2()->text(), QStringLiteral("Отмена"));
    QCOMPARE(dialog.Button3()->text(), QStringLiteral("Обзор..."));
    QVERIFY(dialog.Button1()->isDefault());
}

void TestSiteDialog::recentFoldersThatVanishedAreNotShown() {
    SiteFixture site;
    const QString first = MakeFolder(site, QStringLiteral("first"), true);
    const QString second = MakeFolder(site, QStringLiteral("second"), true);
    WriteRecentFolders(second, {});
    WriteRecentFolders(site.OutsidePath() + QStringLiteral("gone/"), {second});
    WriteRecentFolders(first, {site.OutsidePath() + QStringLiteral("gone/"), second});
    TSelectDlg dialog(nullptr, site.asker);
    dialog.FormShow();
    QCOMPARE(dialog.ListBox1()->count(), 2);
    QCOMPARE(dialog.ComboBox1()->count(), 2);
    QCOMPARE(QFileInfo(dialog.ListBox1()->item(0)->text()).canonicalFilePath(),
             QFileInfo(first).canonicalFilePath());
    QCOMPARE(QFileInfo(dialog.ListBox1()->item(1)->text()).canonicalFilePath(),
             QFileInfo(second).canonicalFilePath());
    QCOMPARE(dialog.ComboBox1()->currentText(), dialog.ListBox1()->item(0)->text());
    QCOMPARE(dialog.ListBox1()->currentRow(), 0);
}

void TestSiteDialog::listAndComboFollowEachOther() {
    SiteFixture site;
    const QString first = MakeFolder(site, QStringLiteral("first"), true);
    const QString second = MakeFolder(site, QStringLiteral("second"), true);
    WriteRecentFolders(second, {});
    WriteRecentFolders(first, {second});
    TSelectDlg dialog(nullptr, site.asker);
    dialog.FormShow();
    dialog.ComboBox1Select(1);
    QCOMPARE(dialog.ListBox1()->currentRow(), 1);
    dialog.ListBox1()->setCurrentRow(0);
    dialog.ListBox1Click();
    QCOMPARE(dialog.ComboBox1()->currentText(), dialog.ListBox1()->item(0)->text());
}

void TestSiteDialog::ok_data() {
    QTest::addColumn<QString>("folder"); // under the outside folder; "-" for none
    QTest::addColumn<bool>("hasIndex");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<QStringList>("questions");
    const QStringList none;
    const QStringList wrongPath{QStringLiteral("Путь введен неправильно")};
    const QStringList create{QStringLiteral("В указанной директории сайт отсутствует. Создать?")};
    QTest::addRow("not a folder") << "-" << false << true << false << wrongPath << none;
    QTest::addRow("no site, answer No") << "empty" << false << false << false << none << create;
    QTest::addRow("no site, answer Yes") << "empty" << false << true << true << none << create;
    QTest::addRow("a site") << "site" << true << false << true << none << none;
}

void TestSiteDialog::ok() {
    QFETCH(QString, folder);
    QFETCH(bool, hasIndex);
    QFETCH(bool, answer);
    QFETCH(bool, accepted);
    QFETCH(QStringList, errors);
    QFETCH(QStringList, questions);
    SiteFixture site;
    const QString path = folder == QLatin1String("-")
                             ? site.OutsidePath() + QStringLiteral("missing/")
                             : MakeFolder(site, folder, hasIndex);
    site.asker.answers = {answer};
    TSelectDlg dialog(nullptr, site.asker);
    dialog.FormShow();
    // Typed without the trailing delimiter.
    dialog.ComboBox1()->setEditText(path.chopped(1));
    dialog.Button1Click();
    QCOMPARE(site.asker.errors, errors);
    QCOMPARE(site.asker.questions, questions);
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(dialog.ComboBox1()->currentText(), path.chopped(1));
    const QStringList recent = ReadRecentFolders();
    if (accepted) {
        QCOMPARE(dialog.ChosenFolder(), path);
        QCOMPARE(recent.size(), 1);
        QCOMPARE(QFileInfo(recent[0]).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
        QVERIFY(recent[0].endsWith(QLatin1Char('/')));
    } else {
        QVERIFY(recent.isEmpty());
    }
    QVERIFY(!QFileInfo::exists(site.OutsidePath() + QStringLiteral("missing")));
}

void TestSiteDialog::nothingTypedIsNoFolder_data() {
    QTest::addColumn<QString>("typed");
    QTest::addRow("empty") << "";
    QTest::addRow("spaces") << "   ";
}

// An empty field must not become the file system's root with a site in it.
void TestSiteDialog::nothingTypedIsNoFolder() {
    QFETCH(QString, typed);
    SiteFixture site;
    site.asker.answers = {true};
    TSelectDlg dialog(nullptr, site.asker);
    dialog.FormShow();
    dialog.ComboBox1()->setEditText(typed);
    dialog.Button1Click();
    QCOMPARE(site.asker.errors, QStringList{QStringLiteral("Путь введен неправильно")});
    QVERIFY(site.asker.questions.isEmpty());
    QVERIFY(dialog.result() != QDialog::Accepted);
    QVERIFY(ReadRecentFolders().isEmpty());
}

void TestSiteDialog::cancelTouchesNothing() {
    SiteFixture site;
    const QString first = MakeFolder(site, QStringLiteral("first"), true);
    TSelectDlg dialog(nullptr, site.asker);
    dialog.FormShow();
    const auto settings = Snapshot(site.ConfigPath());
    dialog.ComboBox1()->setEditText(first);
    dialog.Button2()->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(ReadRecentFolders().isEmpty());
    QCOMPARE(Snapshot(site.ConfigPath()), settings);

    // The main window opens nothing when the dialog is cancelled.
    TMainForm form(nullptr, &site.asker);
    QTimer::singleShot(0, form.SelectDlg(), [&] { form.SelectDlg()->reject(); });
    QVERIFY(!form.FormShow());
    QVERIFY(form.State().SitePath.isEmpty());
    QVERIFY(form.FormClose());
    QCOMPARE(Snapshot(site.ConfigPath()), settings);
    QVERIFY(QDir(site.SitePath()).isEmpty());
}

void TestSiteDialog::browse() {
    SiteFixture site;
    const QString chosen = MakeFolder(site, QStringLiteral("chosen"), false);
    TSelectDlg dialog(nullptr, site.asker);
    dialog.FormShow();
    QStringList starts;
    QString answer = chosen.chopped(1);
    dialog.SetFolderChooser([&](const QString& start) {
        starts.append(start);
        return answer;
    });
    dialog.ComboBox1()->setEditText(site.OutsidePath());
    dialog.Button3Click();
    QCOMPARE(dialog.ComboBox1()->currentText(), chosen);
    answer.clear();
    dialog.ComboBox1()->setEditText(site.OutsidePath() + QStringLiteral("nowhere"));
    dialog.Button3Click();
    QCOMPARE(dialog.ComboBox1()->currentText(), site.OutsidePath() + QStringLiteral("nowhere"));
    QCOMPARE(starts, (QStringList{site.OutsidePath(), QString()}));
}

void TestSiteDialog::confirmingEmptyFolderStartsNewSite() {
    SiteFixture site;
    site.asker.answers = {true};
    TMainForm form(nullptr, &site.asker);
    QTimer::singleShot(0, form.SelectDlg(), [&] {
        form.SelectDlg()->ComboBox1()->setEditText(site.SitePath());
        form.SelectDlg()->Button1Click();
    });
    QVERIFY(form.FormShow());
    QCOMPARE(form.State().SitePath, site.SitePath());
    QVERIFY(QFileInfo::exists(site.SiteFile(QStringLiteral("index"))));
    QCOMPARE(form.Tree().NodeCount(), std::size_t(1));
    QVERIFY(form.State().DocumentLoaded);
    QCOMPARE(form.StatusPanel()->text(), QStringLiteral("Синхронизация не проводилась"));
    QVERIFY(form.FormClose());
}

// However the folder was typed, the site's own pictures stay its own: no
// copy is made when a document is left.
void TestSiteDialog::typedPathIsMadeAbsoluteAndClean_data() {
    QTest::addColumn<QString>("typed"); // %1 is the folder holding the site
    QTest::addRow("relative") << "site";
    QTest::addRow("with a dot") << "%1/./site";
    QTest::addRow("doubled delimiters") << "%1//site//";
    QTest::addRow("through the parent") << "%1/outside/../site";
}

void TestSiteDialog::typedPathIsMadeAbsoluteAndClean() {
    QFETCH(QString, typed);
    SiteFixture site;
    const QString kA = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000a.htm");
    const QString kB = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000b.htm");
    site.WriteFlatIndex({{QStringLiteral("A"), kA}, {QStringLiteral("B"), kB}});
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("own.jpg")), SiteFixture::Jpeg(4, 4));
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral("<IMG src=\"own.jpg\">")));
    const QString root = QFileInfo(site.SitePath().chopped(1)).path();
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root));
    TMainForm form(nullptr, &site.asker);
    QTimer::singleShot(0, form.SelectDlg(), [&] {
        form.SelectDlg()->ComboBox1()->setEditText(typed.contains(u'%') ? typed.arg(root) : typed);
        form.SelectDlg()->Button1Click();
    });
    const bool shown = form.FormShow();
    QDir::setCurrent(before);
    QVERIFY(shown);
    QCOMPARE(form.State().SitePath, site.SitePath());
    QCOMPARE(ReadRecentFolders(), QStringList{site.SitePath()});
    SiteFixture::Select(form, form.Tree().Root(1));
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    QCOMPARE(site.SiteFileNames(),
             (QStringList{kA, kB, QStringLiteral("index"), QStringLiteral("index.txt"),
                          QStringLiteral("own.jpg")}));
    QVERIFY(site.SavedBody(kA).contains(QStringLiteral("src=\"own.jpg\"")));
    QVERIFY(form.FormClose());
}

// A file where the settings folder should be: reading and writing the recent
// folders fail, each failure is shown, and the site still opens.
void TestSiteDialog::unwritableSettingsAreShownAndTheSiteOpens() {
    SiteFixture site;
    const QString siteFolder = MakeFolder(site, QStringLiteral("site"), true);
    QVERIFY(QDir(site.ConfigPath()).removeRecursively());
    SiteFixture::WriteFile(site.ConfigPath(), "not a folder");
    TMainForm form(nullptr, &site.asker);
    QTimer::singleShot(0, form.SelectDlg(), [&] {
        QCOMPARE(site.asker.errors.size(), 1);
        QCOMPARE(form.SelectDlg()->ListBox1()->count(), 0);
        form.SelectDlg()->ComboBox1()->setEditText(siteFolder);
        form.SelectDlg()->Button1Click();
    });
    QVERIFY(form.FormShow());
    QVERIFY(site.asker.errors.size() >= 2);
    for (const QString& error : std::as_const(site.asker.errors))
        QVERIFY2(error.startsWith(QStringLiteral("Не удалось")), qPrintable(error));
    QCOMPARE(form.State().SitePath, siteFolder);
    QVERIFY(form.FormClose());
}

} // namespace quillery

QTEST_MAIN(quillery::TestSiteDialog)
#include "test_site_dialog.moc"
