#include "tests/shell/shell_fixture.h"

#include "editor/engine.h"
#include "shell/contents_model.h"
#include "shell/jpeg_codec.h"
#include "shell/tree_selection.h"
#include "store/text_codec.h"
#include "tests/editor/engine_fixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

namespace quillery {

bool ScriptedAsker::Confirm(const QString& text, Answer) {
    questions.append(text);
    return answers.isEmpty() ? false : answers.takeFirst();
}

SiteFixture::SiteFixture() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ConfigPath());
    QDir root(m_root.path());
    root.mkdir(QStringLiteral("site"));
    root.mkdir(QStringLiteral("outside"));
    root.mkdir(QStringLiteral("config"));
    m_site = root.filePath(QStringLiteral("site")) + QLatin1Char('/');
    m_outside = root.filePath(QStringLiteral("outside")) + QLatin1Char('/');
}

void SiteFixture::WriteFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray SiteFixture::ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray SiteFixture::Document(const QString& bodyHtml) {
    const QString html = QStringLiteral("<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type "
                                        "content=\"text/html; charset=windows-1251\">\r\n"
                                        "</HEAD>\r\n<BODY>\r\n%1\r\n</BODY>\r\n</HTML>\r\n")
                             .arg(bodyHtml);
    return QByteArray::fromStdString(ToCp1251(html));
}

QByteArray SiteFixture::Jpeg(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return EncodeJpeg(image);
}

void SiteFixture::WriteFlatIndex(const QList<std::pair<QString, QString>>& documents) {
    QString text = QStringLiteral("index=new Array(");
    for (qsizetype i = 0; i < documents.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += QStringLiteral("new Array(\"%1\",\"%2\",\"\",\"\",\"\",null)")
                    .arg(documents[i].first, documents[i].second);
    }
    text += QStringLiteral(");");
    WriteFile(SiteFile(QStringLiteral("index")), QByteArray::fromStdString(ToCp1251(text)));
}

QString SiteFixture::SavedBody(const QString& name) const {
    return FromCp1251(ReadFile(SiteFile(name)).toStdString());
}

QStringList SiteFixture::SiteFileNames() const {
    QStringList names = QDir(m_site).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    return names;
}

std::unique_ptr<TMainForm> SiteFixture::OpenForm() {
    auto form = std::make_unique<TMainForm>(nullptr, &asker);
    form->OpenSite(m_site);
    if (!QTest::qWaitForWindowExposed(form.get()))
        qFatal("the main window was never shown");
    return form;
}

QAction* SiteFixture::CommandAction(const TMainForm& form, const QString& name) {
    QList<QAction*> actions = form.ActionListEdit().ToolBarLayout();
    actions += form.FormatActions().All();
    for (QAction* action : std::as_const(actions))
        if (action && action->objectName() == name)
            return action;
    return nullptr;
}

void SiteFixture::Select(TMainForm& form, TTreeNode* node) {
    form.Selection().setCurrentIndex(form.Model().IndexOf(node),
                                     QItemSelectionModel::ClearAndSelect);
}

QVariant SiteFixture::Script(TMainForm& form, const QString& js) {
    return PageScript(form.VISUALEdit().widget(), js);
}

void SiteFixture::TypeIntoDocument(TMainForm& form, const QString& text) {
    QWidget* target = form.VISUALEdit().widget()->focusProxy();
    form.activateWindow();
    target->setFocus();
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(60, 15));
    QTest::keyClicks(target, text, Qt::NoModifier, 5);
    // The keys reach the page asynchronously.
    QTest::qWait(500);
}

QString SiteFixture::PageText(TMainForm& form) {
    return Script(form, QStringLiteral("document.body ? document.body.innerText : ''")).toString();
}

} // namespace quillery
