#include "shell/select_dlg.h"

#include "shell/about_box.h"
#include "shell/asker.h"
#include "shell/error_handler.h"
#include "store/settings_store.h"

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace quillery {
namespace {

bool IsExistingFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

TSelectDlg::TSelectDlg(QWidget* parent, Asker& asker) : QDialog(parent), m_asker(asker) {
    setObjectName(QStringLiteral("SelectDlg"));
    setWindowTitle(QStringLiteral("Quillery"));
    setWindowFlag(Qt::Tool);
    setModal(true);

    auto* product = new QLabel(QStringLiteral("<b style=\"font-size:14pt\">%1</b><br>%2")
                                   .arg(ProductName(), ProductDescription()),
                               this);
    product->setWordWrap(true);
    auto* contact = new QLabel(MakerContactHtml(), this);
    contact->setOpenExternalLinks(true);

    auto* group =
        new QGroupBox(QStringLiteral("Введите имя папки в которой расположен сайт:"), this);
    m_combo = new QComboBox(group);
    m_combo->setObjectName(QStringLiteral("ComboBox1"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setMaxVisibleItems(12);
    m_combo->completer()->setCompletionMode(QCompleter::PopupCompletion);
    m_combo->completer()->setMaxVisibleItems(12);
    m_browse = new QPushButton(QStringLiteral("Обзор..."), group);
    m_browse->setObjectName(QStringLiteral("Button3"));
    m_browse->setAutoDefault(false);
    m_list = new QListWidget(group);
    m_list->setObjectName(QStringLiteral("ListBox1"));

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_combo, 1);
    pathRow->addWidget(m_browse);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(pathRow);
    groupLayout->addWidget(m_list);

    m_ok = new QPushButton(QStringLiteral("ОК"), this);
    m_ok->setObjectName(QStringLiteral("Button1"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancel->setObjectName(QStringLiteral("Button2"));
    m_cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(product);
    layout->addWidget(contact);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(460, 360);

    connect(m_ok, &QPushButton::clicked, this, &TSelectDlg::Button1Click);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &TSelectDlg::Button3Click);
    connect(m_list, &QListWidget::itemClicked, this, &TSelectDlg::ListBox1Click);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        ListBox1Click();
        Button1Click();
    });
    connect(m_combo, &QComboBox::activated, this, &TSelectDlg::ComboBox1Select);
}

QString TSelectDlg::ProposedFolder() {
    const QString own = QCoreApplication::applicationDirPath();
    if (QFileInfo(own).isWritable())
        return IncludeTrailingDelimiter(own);
    return IncludeTrailingDelimiter(QDir::homePath());
}

QString TSelectDlg::ChosenFolder() const {
    const QString typed = m_combo->currentText();
    // Nothing typed names no folder: never the file system's root.
    if (typed.trimmed().isEmpty())
        return {};
    // Absolute and clean, so that a site file's path always begins with it.
    return IncludeTrailingDelimiter(QDir::cleanPath(QDir::current().absoluteFilePath(typed)));
}

void TSelectDlg::showEvent(QShowEvent* event) {
    FormShow();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TSelectDlg::FormShow() {
    m_list->clear();
    m_combo->clear();
    // Unreadable settings are said; the dialog goes on without the list.
    m_shownFolders.clear();
    RunReportingErrors(m_asker, [this] { m_shownFolders = ReadRecentFolders(); });
    for (const QString& folder : std::as_const(m_shownFolders)) {
        m_list->addItem(folder);
        m_combo->addItem(folder);
    }
    if (!m_shownFolders.isEmpty()) {
        m_list->setCurrentRow(0);
        m_combo->setCurrentIndex(0);
    }
    if (!IsExistingFolder(m_combo->currentText()))
        m_combo->setEditText(ProposedFolder());
}

void TSelectDlg::ComboBox1Select(int index) {
    if (index >= 0 && index < m_list->count())
        m_list->setCurrentRow(index);
}

void TSelectDlg::ListBox1Click() {
    if (const QListWidgetItem* item = m_list->currentItem())
        m_combo->setEditText(item->text());
}

QString TSelectDlg::BrowseForFolder(const QString& start) {
    if (m_chooser)
        return m_chooser(start);
    return QFileDialog::getExistingDirectory(
        this, QStringLiteral("Выберите директорию, в которой хранится сайт:"), start,
        QFileDialog::ShowDirsOnly);
}

void TSelectDlg::Button3Click() {
    const QString current = m_combo->currentText();
    const QString folder = BrowseForFolder(IsExistingFolder(current) ? current : QString());
    if (!folder.isEmpty())
        m_combo->setEditText(IncludeTrailingDelimiter(folder));
}

void TSelectDlg::Button1Click() {
    const QString folder = ChosenFolder();
    if (!IsExistingFolder(folder)) {
        m_asker.ShowError(QStringLiteral("Путь введен неправильно"));
        return;
    }
    if (!QFileInfo(folder + QStringLiteral("index")).isFile() &&
        !m_asker.Confirm(QStringLiteral("В указанной директории сайт отсутствует. Создать?")))
        return;
    // The site opens even when the list cannot be kept.
    RunReportingErrors(m_asker, [&] { WriteRecentFolders(folder, m_shownFolders); });
    accept();
}

} // namespace quillery
