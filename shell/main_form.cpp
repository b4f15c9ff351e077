#include "shell/main_form.h"

#include "editor/commands/font_dialog.h"
#include "editor/commands/font_style_commands.h"
#include "editor/commands/form_style.h"
#include "editor/commands/format_commands.h"
#include "editor/commands/html_command.h"
#include "editor/commands/html_source.h"
#include "editor/insertion/category_buttons.h"
#include "editor/insertion/form_link.h"
#include "editor/insertion/insert_commands.h"
#include "editor/insertion/open_dialog.h"
#include "editor/insertion/symbol_table.h"
#include "editor/menu/popup_menu.h"
#include "editor/webengine/webengine_engine.h"
#include "publish/publisher.h"
#include "shell/about_box.h"
#include "shell/asker.h"
#include "shell/contents_commands.h"
#include "shell/contents_model.h"
#include "shell/document_switcher.h"
#include "shell/error_handler.h"
#include "shell/focus_return.h"
#include "shell/ftp_dlg.h"
#include "shell/note_panel.h"
#include "shell/pressed_button.h"
#include "shell/publish_command.h"
#include "shell/publish_report_dlg.h"
#include "shell/recovery_keeper.h"
#include "shell/select_dlg.h"
#include "shell/site_pages_keeper.h"
#include "shell/title_delegate.h"
#include "shell/tree_selection.h"
#include "store/index_file.h"
#include "store/settings_store.h"
#include "store/site_folder.h"
#include "tables/cell_dlg.h"
#include "tables/table_commands.h"
#include "tables/table_dlg.h"
#include "tables/table_structure.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMetaObject>
#include <QPointer>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace quillery {
namespace {

constexpr int kClientWidth = 804;
constexpr int kClientHeight = 585;
constexpr int kPanel1Width = 185;
constexpr int kPaletteHeight = 222;
constexpr int kStatusPanelWidth = 400;

} // namespace

TMainForm::TMainForm(QWidget* parent, Asker* asker)
    : QMainWindow(parent), m_ownAsker(asker ? nullptr : std::make_unique<BoxAsker>(this)),
      m_asker(asker ? asker : m_ownAsker.get()), m_actions(TActionListEdit::Create(this)),
      m_insertActions(TActionListInsert::Create(this)),
      m_formatActions(TFormatActions::Create(this)), m_tableActions(TActionListTable::Create(this)),
      m_shortDateFormat(QLocale::system().dateFormat(QLocale::ShortFormat)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quillery"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setContextMenuPolicy(Qt::NoContextMenu);
    ConfigureForPublishing(m_idFTP);
    m_publisher = std::make_unique<TPublisher>(m_idFTP, nullptr);
    CreateLayout();
    CreateToolBar();
    WireTree();

    // The dialogs, created once and kept.
    m_formLink = new TFormLink(this);
    m_tableDlg = new TTableDlg(this);
    m_ftpDlg = new TFTPDlg(this, *m_asker);
    m_cellDlg = new TCellDlg(this);
    m_aboutBox = new TAboutBox(this);
    m_selectDlg = new TSelectDlg(this, *m_asker);
    m_htmlSource = new THTMLSource(this);
    m_formStyle = new TFormStyle1(this);
    m_reportDlg = new TPublishReportDlg(this);
    m_openDialog = std::make_unique<TOpenDialog>(this);
    m_insertCommands = std::make_unique<TInsertCommands>(*m_engine, m_tree, *m_formLink,
                                                         *m_openDialog, UndoRedo());
    m_tableCommands =
        std::make_unique<TTableCommands>(*m_engine, *m_tableDlg, *m_cellDlg, UndoRedo());
    m_tableStructure = std::make_unique<TTableStructureCommands>(
        *m_engine, [this](const TTableOffer& offer) { m_tableActions.Apply(offer); });

    m_publishCommand = new TPublishCommand(*m_ftpDlg, *m_publisher, *m_statusPanel, *m_asker, this);
    m_publishCommand->SetLeave([this] { LeaveForPublishing(); });
    m_publishCommand->SetHoldOff([this](bool held) { HoldOffForPublishing(held); });
    statusBar()->insertWidget(1, m_publishCommand->RunIndicator());
    connect(m_publishCommand, &TPublishCommand::RunFinished, this, [this] {
        if (m_closeAfterPublishing)
            close();
    });
    m_colorDialog = new QColorDialog(this);
    m_fontDialog = new TFontDialog(this);
    m_formatCommands = std::make_unique<TFormatCommands>(*m_engine, *m_colorDialog);
    m_fontStyleCommands =
        std::make_unique<TFontStyleCommands>(*m_engine, *m_fontDialog, *m_formStyle);
    m_htmlCommand = std::make_unique<THTMLCommand>(*m_engine, *m_htmlSource);
    WireActions();
    WireFormatActions();
    CreatePopupMenu();
    resize(kClientWidth, kClientHeight);
    new TFocusReturn(this);

    // A file system that cannot keep publication states is told once; the
    // store may notice it on the publishing worker, so the box is queued.
    SetAttributeRefusalHandler([form = QPointer<TMainForm>(this)](const std::string& message) {
        QMetaObject::invokeMethod(
            qApp,
            [form, text = QString::fromStdString(message)] {
                if (form)
                    form->m_asker->ShowWarning(text);
            },
            Qt::QueuedConnection);
    });
}

TMainForm::~TMainForm() {
    SetAttributeRefusalHandler(nullptr);
    // The publishing worker uses IdFTP: stopped and joined before it goes.
    m_publisher.reset();
    m_recovery.reset();
    // Everything that refers to the tree goes before the tree itself, which
    // as a member dies before the window's child widgets: the tree view
    // (whose open title editor would write into it), then its models.
    m_commands.reset();
    m_switcher.reset();
    delete m_treeView;
    delete m_selection;
    delete m_model;
    m_engine.reset();
}

Engine& TMainForm::VISUALEdit() const {
    return *m_engine;
}

void TMainForm::CreateLayout() {
    m_treeView = new QTreeView;
    m_treeView->setObjectName(QStringLiteral("TreeView"));
    m_treeView->setHeaderHidden(true);
    m_treeView->setUniformRowHeights(true);
    m_treeView->setIndentation(20);
    m_treeView->setIconSize(QSize(16, 16));
    m_treeView->setMouseTracking(true);
    m_treeView->setAttribute(Qt::WA_Hover);
    m_treeView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_treeView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_treeView->setEditTriggers(QAbstractItemView::SelectedClicked |
                                QAbstractItemView::EditKeyPressed);
    // The selection stays visible when the tree loses the focus.
    QPalette colours = m_treeView->palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    m_treeView->setPalette(colours);

    m_symbolPalette = CreateSymbolPalette(m_insertActions);

    m_splitter2 = new QSplitter(Qt::Vertical);
    m_splitter2->setObjectName(QStringLiteral("Splitter2"));
    m_splitter2->addWidget(m_treeView);
    m_splitter2->addWidget(m_symbolPalette);
    m_splitter2->setStretchFactor(0, 1);
    m_splitter2->setStretchFactor(1, 0);
    m_splitter2->setSizes({kClientHeight - kPaletteHeight, kPaletteHeight});

    m_panel1 = new QWidget;
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    auto* panel1Layout = new QVBoxLayout(m_panel1);
    panel1Layout->setContentsMargins(0, 0, 0, 0);
    panel1Layout->addWidget(m_splitter2);

    m_engine = std::make_unique<WebEngineEngine>(nullptr);
    QWidget* editArea = m_engine->widget();
    editArea->setObjectName(QStringLiteral("VISUALEdit"));

    m_splitter1 = new QSplitter(Qt::Horizontal);
    m_splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_splitter1->setOpaqueResize(true);
    m_splitter1->setChildrenCollapsible(false);
    m_splitter1->addWidget(m_panel1);
    m_splitter1->addWidget(editArea);
    m_splitter1->setStretchFactor(0, 0);
    m_splitter1->setStretchFactor(1, 1);
    m_splitter1->setSizes({kPanel1Width, kClientWidth - kPanel1Width});

    m_notePanel = new TNotePanel(nullptr);
    m_notePanel->setEnabled(false);

    auto* central = new QWidget;
    auto* centralLayout = new QHBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    centralLayout->addWidget(m_splitter1, 1);
    centralLayout->addWidget(m_notePanel);
    setCentralWidget(central);

    QStatusBar* status = statusBar();
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    m_hintPanel = new QLabel(status);
    m_statusPanel = new QLabel(status);
    for (QLabel* panel : {m_hintPanel, m_statusPanel}) {
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(0);
        status->addWidget(panel);
    }
    status->installEventFilter(this);
    m_statusPanel->installEventFilter(this);
}

void TMainForm::CreateToolBar() {
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBarTree"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    for (QAction* action : m_actions.ToolBarLayout()) {
        if (!action) {
            m_toolBar->addSeparator();
            continue;
        }
        m_toolBar->addAction(action);
        m_toolBar->widgetForAction(action)->setFixedSize(32, 30);
    }
}

void TMainForm::Run(const std::function<void()>& command) {
    RunReportingErrors(*m_asker, command);
}

void TMainForm::Connect(QAction* action, std::function<void()> handler) {
    connect(action, &QAction::triggered, this,
            [this, handler = std::move(handler)] { Run(handler); });
}

void TMainForm::WireTree() {
    m_model = new TContentsModel(this, m_tree);
    m_selection = new TTreeSelection(m_model);
    m_selection->setParent(this);
    m_treeView->setModel(m_model);
    m_treeView->setSelectionModel(m_selection);
    m_titleDelegate = new TTitleDelegate(m_treeView);
    m_treeView->setItemDelegate(m_titleDelegate);

    m_switcher = std::make_unique<TDocumentSwitcher>(m_state, m_tree, *m_engine, *m_notePanel,
                                                     *m_actions.ShowBorder, m_shortDateFormat);
    m_commands = std::make_unique<TContentsCommands>(m_state, m_tree, *m_model, *m_treeView,
                                                     *m_selection, *m_switcher, m_actions);
    m_switcher->SetAfterOpen([this] { m_commands->UpdateTreeActions(); });
    m_recovery =
        std::make_unique<TRecoveryKeeper>(m_state, *m_engine, *m_notePanel, *m_asker, nullptr);
    m_switcher->SetObserver(m_recovery.get());
    m_recovery->SetReopen([this](TTreeNode* node) { OpenDocument(node); });
    m_selection->SetChangingHandler([this] { return TreeViewChanging(); });
    m_selection->SetChangeHandler([this](const QModelIndex& index) { TreeViewChange(index); });
}

bool TMainForm::TreeViewChanging() {
    if (m_publishCommand->IsRunning()) {
        ShowHint(QStringLiteral("Идёт публикация: другой документ можно будет открыть после её "
                                "окончания."));
        return false;
    }
    bool allow = false;
    const bool ok = RunReportingErrors(*m_asker, [&] {
        m_titleDelegate->CommitTitleEdit();
        m_switcher->TreeViewChanging(m_commands->Selected(), allow);
    });
    return ok && allow;
}

void TMainForm::TreeViewChange(const QModelIndex& index) {
    OpenDocument(TContentsModel::NodeOf(index));
}

void TMainForm::OpenDocument(TTreeNode* node) {
    Run([&] {
        if (node)
            m_switcher->TreeViewChange(node);
    });
    // A document that opened has updated them already.
    if (!m_state.DocumentLoaded)
        m_commands->UpdateTreeActions();
}

void TMainForm::WireActions() {
    Connect(m_actions.NewItem, [this] { m_commands->NewItemExecute(); });
    Connect(m_actions.DeleteItem, [this] { m_commands->DeleteItemClick(*m_asker); });
    Connect(m_actions.Left, [this] { m_commands->LeftExecute(); });
    Connect(m_actions.Right, [this] { m_commands->RightExecute(); });
    Connect(m_actions.Up, [this] { m_commands->UpExecute(); });
    Connect(m_actions.Down, [this] { m_commands->DownExecute(); });
    Connect(m_actions.Expand, [this] { m_commands->OpenFoldersExecute(); });
    Connect(m_actions.Collapse, [this] { m_commands->CloseFoldersExecute(); });
    Connect(m_actions.Print, [this] { m_formatCommands->PrintExecute(); });
    Connect(m_actions.Undo, [this] { m_formatCommands->UndoExecute(); });
    Connect(m_actions.Redo, [this] { m_formatCommands->RedoExecute(); });
    Connect(m_actions.Find, [this] { m_formatCommands->FindExecute(); });
    Connect(m_actions.ShowBorder, [this] { m_formatCommands->ShowBorderExecute(); });
    Connect(m_actions.FTP, [this] { FTPExecute(); });
    Connect(m_actions.About, [this] { AboutExecute(); });
    Connect(m_notePanel->AddImage(), [this] { m_notePanel->AddImageExecute(); });
    Connect(m_notePanel->DelImage(), [this] { m_notePanel->DelImageExecute(); });
    WireInsertActions();
    WireTableActions();
    m_commands->UpdateTreeActions();
}

void TMainForm::WireInsertActions() {
    const TActionListInsert& list = m_insertActions;
    // Not on the tool bar: added to the window so their shortcuts work.
    addActions({list.Link, list.Directry, list.Image, list.ImageOpen});
    Connect(list.Link, [this] { m_insertCommands->LinkExecute(); });
    Connect(list.Directry, [this] { m_insertCommands->DirectryExecute(); });
    Connect(list.Image, [this] { m_insertCommands->ImageExecute(); });
    Connect(list.ImageOpen, [this] { m_insertCommands->ImageOpenExecute(); });
    const std::vector<TSymbol>& symbols = SymbolTable();
    for (std::size_t i = 0; i < symbols.size(); ++i)
        Connect(list.ActionListInsertSymb[qsizetype(i)],
                [this, entity = symbols[i].Entity] { m_insertCommands->SymbolExecute(entity); });
}

void TMainForm::WireTableActions() {
    const TActionListTable& list = m_tableActions;
    // Reached through the context menu and, for two of them, their keys.
    addActions(list.All());
    Connect(list.Table, [this] { m_tableCommands->TableExecute(); });
    Connect(list.PropertyCell, [this] { m_tableCommands->PropertyCellExecute(); });
    TTableStructureCommands& s = *m_tableStructure;
    Connect(list.InsertRow, [&s] { s.InsertRowExecute(); });
    Connect(list.DeleteRow, [&s] { s.DeleteRowExecute(); });
    Connect(list.InsertCell, [&s] { s.InsertCellExecute(); });
    Connect(list.DeleteCell, [&s] { s.DeleteCellExecute(); });
    Connect(list.colspanadd, [&s] { s.colspanaddExecute(); });
    Connect(list.colspansub, [&s] { s.colspansubExecute(); });
    Connect(list.rowspanadd, [&s] { s.rowspanaddExecute(); });
    Connect(list.rowspansub, [&s] { s.rowspansubExecute(); });
}

QAbstractButton* TMainForm::ToolButton(QAction* action) const {
    return qobject_cast<QToolButton*>(m_toolBar->widgetForAction(action));
}

void TMainForm::WireFormatActions() {
    const TFormatActions& a = m_formatActions;
    TFormatCommands* f = m_formatCommands.get();
    Connect(a.BackColor, [f] { f->BackColorExecute(); });
    Connect(a.JustifyLeft, [f] { f->JustifyLeftExecute(); });
    Connect(a.JustifyCenter, [f] { f->JustifyCenterExecute(); });
    Connect(a.JustifyRight, [f] { f->JustifyRightExecute(); });
    Connect(a.JustifyFull, [f] { f->JustifyFullExecute(); });
    Connect(a.InsertOrderedList, [f] { f->InsertOrderedListExecute(); });
    Connect(a.InsertUnorderedList, [f] { f->InsertUnorderedListExecute(); });
    Connect(a.Outdent, [f] { f->OutdentExecute(); });
    Connect(a.Indent, [f] { f->IndentExecute(); });
    Connect(a.clearfrmt, [f] { f->clearfrmtExecute(); });
    Connect(a.Cut, [f] { f->CutExecute(); });
    Connect(a.Copy, [f] { f->CopyExecute(); });
    Connect(a.Paste, [f] { f->PasteExecute(); });
    Connect(a.hr, [f] { f->hrExecute(); });
    TFontStyleCommands* s = m_fontStyleCommands.get();
    Connect(a.Font, [s] { s->FontExecute(); });
    Connect(a.Style, [s] { s->StyleExecute(); });
    Connect(a.HTML, [this] { m_htmlCommand->HTMLExecute(); });
    m_switcher->SetRefillStyleList([s] { s->RefillStyleList(); });
    // Reached by their shortcuts and the context menu, not the tool bar.
    addActions(a.All());
}

void TMainForm::CreatePopupMenu() {
    const TFormatActions& f = m_formatActions;
    const TActionListInsert& i = m_insertActions;
    const TActionListTable& t = m_tableActions;
    TPopupMenuActions items;
    items.BackColor = f.BackColor;
    items.JustifyLeft = f.JustifyLeft;
    items.JustifyCenter = f.JustifyCenter;
    items.JustifyRight = f.JustifyRight;
    items.JustifyFull = f.JustifyFull;
    items.InsertOrderedList = f.InsertOrderedList;
    items.InsertUnorderedList = f.InsertUnorderedList;
    items.Outdent = f.Outdent;
    items.Indent = f.Indent;
    items.clearfrmt = f.clearfrmt;
    items.Cut = f.Cut;
    items.Copy = f.Copy;
    items.Paste = f.Paste;
    items.Style = f.Style;
    items.Font = f.Font;
    items.Directry = i.Directry;
    items.Link = i.Link;
    items.Image = i.Image;
    items.ImageOpen = i.ImageOpen;
    items.hr = f.hr;
    items.HTML = f.HTML;
    items.Table = t.Table;
    items.PropertyCell = t.PropertyCell;
    items.InsertRow = t.InsertRow;
    items.DeleteRow = t.DeleteRow;
    items.InsertCell = t.InsertCell;
    items.DeleteCell = t.DeleteCell;
    items.colspanadd = t.colspanadd;
    items.colspansub = t.colspansub;
    items.rowspanadd = t.rowspanadd;
    items.rowspansub = t.rowspansub;
    m_popupMenu = new TPopupMenu(
        *m_engine, items, [this] { return m_state.DocumentLoaded; },
        [this] { m_tableStructure->UpdateTableActions(); }, this);
    m_engine->setShowContextMenu([this](const QPoint& screenPoint) {
        Run([&] { m_popupMenu->ShowContextMenu(screenPoint); });
    });
}

UndoRedoFlags TMainForm::UndoRedo() const {
    return {[undo = m_actions.Undo](bool on) { undo->setEnabled(on); },
            [redo = m_actions.Redo](bool on) {
                redo->setEnabled(on);
            }};
}

void TMainForm::AboutExecute() {
    const TPressedButton pressed(ToolButton(m_actions.About));
    m_aboutBox->exec();
}

void TMainForm::FTPExecute() {
    m_publishCommand->FTPExecute(ToolButton(m_actions.FTP));
}

void TMainForm::ShowHint(const QString& text) {
    m_hintPanel->setText(text);
}

void TMainForm::HoldOffForPublishing(bool held) {
    m_commands->SetHeld(held);
    m_actions.FTP->setEnabled(!held);
    m_treeView->setEditTriggers(held ? QAbstractItemView::NoEditTriggers
                                     : QAbstractItemView::SelectedClicked |
                                           QAbstractItemView::EditKeyPressed);
    // The note panel is usable only with a document open.
    m_notePanel->setEnabled(!held && m_state.DocumentLoaded);
    ShowHint(held ? QStringLiteral("Идёт публикация: переход к другому документу, изменение "
                                   "оглавления и заметки станут доступны после её окончания.")
                  : QString());
    StatusBar1Resize();
}

bool TMainForm::FormShow() {
    // Cancelled: the window was never shown and nothing is opened.
    if (m_selectDlg->exec() != QDialog::Accepted)
        return false;
    OpenSite(m_selectDlg->ChosenFolder());
    return true;
}

void TMainForm::OpenSite(const QString& sitePath) {
    m_state.SitePath = IncludeTrailingDelimiter(sitePath);
    m_publishCommand->SetSitePath(m_state.SitePath);
    Run([this] {
        const TIniView siteKey(SiteKeyPath(m_state.SitePath));
        m_statusPanel->setText(siteKey.ReadText(QLatin1String(kSectionStatus),
                                                QLatin1String(kEntrySync),
                                                QString::fromUtf8(kDefaultSyncStatus)));
    });
    show();
    m_treeView->setFocus();
    TLoadResult loaded;
    Run([&] { loaded = LoadContents(m_tree, m_state.SitePath, m_shortDateFormat); });
    if (!loaded.Faults.empty())
        m_asker->ShowError(QString::fromStdString(loaded.Faults.front()));
    if (m_sitePagesFolder)
        Run([&] { KeepSitePages(m_state.SitePath, loaded.Created, *m_sitePagesFolder, *m_asker); });
    Run([this] { m_recovery->ReportOrphans(m_tree); });
    if (loaded.Created) {
        Run([this] { m_commands->NewItemExecute(); });
        return;
    }
    if (TTreeNode* first = m_tree.GetFirstNode())
        m_selection->setCurrentIndex(m_model->IndexOf(first), QItemSelectionModel::ClearAndSelect);
}

void TMainForm::LeaveForPublishing() {
    m_titleDelegate->CommitTitleEdit();
    bool ignored = false;
    m_switcher->TreeViewChanging(m_commands->Selected(), ignored);
}

bool TMainForm::FormClose() {
    if (m_closed)
        return true;
    if (!m_state.SitePath.isEmpty()) {
        if (!RunReportingErrors(*m_asker, [this] { LeaveForPublishing(); })) {
            // Closing always goes on if the user wants it: the edits stay in
            // the recovery copy, the discarded files until a close that saves.
            if (!m_asker->Confirm(QStringLiteral("Закрыть без сохранения? Несохранённые правки "
                                                 "останутся в копии для восстановления."),
                                  Asker::Answer::No))
                return false;
            Run([this] { m_recovery->CopyNow(); });
            m_closed = true;
            return true;
        }
        Run([this] { PurgeDiscardedFiles(m_state.SitePath); });
    }
    m_closed = true;
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (m_publishCommand->IsRunning()) {
        // Stopped after the file under way; the window closes when it is.
        m_closeAfterPublishing = true;
        m_publishCommand->StopRun();
        ShowHint(QStringLiteral("Публикация останавливается: окно закроется после текущего "
                                "файла."));
        event->ignore();
        return;
    }
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TMainForm::StatusBar1Resize() {
    const QWidget* indicator = m_publishCommand ? m_publishCommand->RunIndicator() : nullptr;
    const int indicatorWidth =
        indicator && indicator->isVisibleTo(statusBar()) ? indicator->sizeHint().width() : 0;
    const int width = statusBar()->width() - indicatorWidth;
    m_hintPanel->setFixedWidth(qMax(0, width - kStatusPanelWidth));
    m_statusPanel->setFixedWidth(kStatusPanelWidth);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == statusBar() && event->type() == QEvent::Resize)
        StatusBar1Resize();
    if (watched == m_statusPanel && event->type() == QEvent::MouseButtonDblClick) {
        m_reportDlg->ShowReport(m_publishCommand->LastReportText());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        m_hintPanel->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

} // namespace quillery
