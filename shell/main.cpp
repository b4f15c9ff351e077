#include "shell/main_form.h"
#include "store/site_pages.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <unistd.h>

int main(int argc, char* argv[]) {
    // Chromium refuses to start its sandbox as root; only then is it turned off.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Brakvel"));
    QApplication::setApplicationName(QStringLiteral("Quillery"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillery"));

    // Qt's own Russian texts: the standard buttons read "Да", "Нет", "Отмена".
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    quillery::TMainForm form(nullptr);
    form.SetSitePagesFolder(quillery::FindShippedPagesFolder());
    if (!form.FormShow())
        return 0;
    return QApplication::exec();
}
