#include "shell/note_panel.h"

#include "shell/artwork.h"
#include "shell/fit_picture_rect.h"
#include "shell/jpeg_codec.h"
#include "shell/note_memo.h"
#include "store/error.h"

#include <QContextMenuEvent>
#include <QDateEdit>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

namespace quillery {
namespace {

constexpr int kPanelWidth = 145;
constexpr int kBoxSize = 133;
constexpr int kDateHeight = 21;
constexpr int kThumbMargin = 2;

QString PictureHint() {
    return QStringLiteral("Щелкните правой клавишей мыши, чтобы выбрать картинку");
}

void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

} // namespace

TThumbView::TThumbView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Thumb"));
}

void TThumbView::SetPicture(const QImage& picture) {
    m_picture = picture;
    update();
}

void TThumbView::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return;
    const QSize size = FitPictureRect(m_picture.width(), m_picture.height(), width(), height());
    const QRect target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                       size.height());
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_picture);
}

TNotePanel::TNotePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel4"));
    setFixedWidth(kPanelWidth);

    m_pictureBox = new QWidget(this);
    m_pictureBox->setObjectName(QStringLiteral("PanelPicture"));
    m_pictureBox->setFixedSize(kBoxSize, kBoxSize);
    m_pictureBox->setAutoFillBackground(true);
    m_pictureBox->setStyleSheet(
        QStringLiteral("#PanelPicture { border: 1px solid palette(mid); }"));

    m_thumb = new TThumbView(m_pictureBox);
    m_thumb->setGeometry(kThumbMargin, kThumbMargin, kBoxSize - 2 * kThumbMargin,
                         kBoxSize - 2 * kThumbMargin);
    SetHint(m_thumb, PictureHint());

    auto* sign = new QLabel(m_pictureBox);
    sign->setObjectName(QStringLiteral("Sign"));
    const QPixmap placeholder = DrawThumbPlaceholder();
    sign->setPixmap(placeholder);
    sign->setGeometry((kBoxSize - placeholder.width()) / 2, (kBoxSize - placeholder.height()) / 2,
                      placeholder.width(), placeholder.height());
    SetHint(sign, PictureHint());
    m_sign = sign;

    m_memo = new TNoteMemo(this);
    m_memo->setFixedHeight(kBoxSize);
    m_memo->setMinimumWidth(kBoxSize);

    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("DateTimePicker1"));
    m_date->setCalendarPopup(true);
    m_date->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_date->setFixedSize(kBoxSize, kDateHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(m_pictureBox, 0, Qt::AlignLeft);
    layout->addWidget(m_memo);
    layout->addWidget(m_date, 0, Qt::AlignLeft);
    layout->addStretch(1);

    m_addImage = new QAction(QStringLiteral("Назначить картинку"), this);
    m_addImage->setObjectName(QStringLiteral("AddImage"));
    m_delImage = new QAction(QStringLiteral("Удалить рисунок"), this);
    m_delImage->setObjectName(QStringLiteral("DelImage"));
    m_delImage->setEnabled(false);
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenuThumb"));
    m_popup->addAction(m_addImage);
    m_popup->addAction(m_delImage);

    ShowThumb(QImage());
    connect(m_memo, &QPlainTextEdit::textChanged, this, &TNotePanel::Edited);
    connect(m_date, &QDateEdit::dateChanged, this, &TNotePanel::Edited);
}

QString TNotePanel::Note() const {
    return m_memo->toPlainText();
}

void TNotePanel::SetNote(const QString& note) {
    m_memo->setPlainText(note);
}

QDate TNotePanel::Date() const {
    return m_date->date();
}

void TNotePanel::SetDate(const QDate& date) {
    m_date->setDate(date);
}

void TNotePanel::ShowThumb(const QImage& picture) {
    m_thumb->SetPicture(picture);
    m_sign->setVisible(picture.isNull());
    m_delImage->setEnabled(!picture.isNull());
}

QString TNotePanel::ChoosePicture() {
    if (m_chooser)
        return m_chooser();
    QFileDialog dialog(window());
    dialog.setObjectName(QStringLiteral("OpenThumbPictureDialog"));
    dialog.setNameFilter(QStringLiteral("JPEG Image File (*.jpg)"));
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!m_initialFolder.isEmpty())
        dialog.setDirectory(m_initialFolder);
    if (!m_thumbFileName.isEmpty())
        dialog.selectFile(m_thumbFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void TNotePanel::AddImageExecute() {
    const QString path = ChoosePicture();
    if (path.isEmpty())
        return;
    AddImageFromFile(path);
}

void TNotePanel::AddImageFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Не удалось открыть файл %1: %2")
                        .arg(path, file.errorString())
                        .toStdString());
    const QImage picture = DecodeJpeg(file.readAll());
    const QSize size =
        FitPictureRect(picture.width(), picture.height(), m_thumb->width(), m_thumb->height());
    QImage shrunk(size, QImage::Format_RGB32);
    shrunk.fill(Qt::white);
    {
        QPainter painter(&shrunk);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), size), picture);
    }
    m_thumbFileName = path;
    ShowThumb(shrunk);
    emit Edited();
}

void TNotePanel::DelImageExecute() {
    m_thumbFileName.clear();
    ShowThumb(QImage());
    emit Edited();
}

void TNotePanel::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_pictureBox->geometry().contains(event->pos())) {
        QWidget::contextMenuEvent(event);
        return;
    }
    m_popup->exec(event->globalPos());
}

} // namespace quillery
