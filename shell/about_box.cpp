#include "shell/about_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillery {

QString ProductName() {
    return QStringLiteral("Quillery");
}

QString ProductDescription() {
    return QStringLiteral("Редактор небольших веб-сайтов: оглавление, страницы, заметки и "
                          "публикация на FTP-сервер.");
}

QString ProductVersion() {
    return QStringLiteral("Версия 0.1.0");
}

QString MakerContactHtml() {
    return QStringLiteral(
        "Brakvel<br>"
        "<a href=\"https://brakvel.example/quillery\">brakvel.example/quillery</a><br>"
        "<a href=\"mailto:quillery@brakvel.example\">quillery@brakvel.example</a>");
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));
    auto* name =
        new QLabel(QStringLiteral("<b style=\"font-size:14pt\">%1</b>").arg(ProductName()), this);
    auto* version = new QLabel(ProductVersion(), this);
    auto* description = new QLabel(ProductDescription(), this);
    description->setWordWrap(true);
    auto* contact = new QLabel(MakerContactHtml(), this);
    contact->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(description);
    layout->addWidget(contact);
    layout->addWidget(buttons);
    setFixedWidth(320);
}

} // namespace quillery
