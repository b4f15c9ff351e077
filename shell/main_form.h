#pragma once

#include "editor/selection_helpers.h"
#include "publish/ftp_client.h"
#include "shell/edit_actions.h"
#include "shell/format_actions.h"
#include "shell/insert_actions.h"
#include "shell/switch_state.h"
#include "shell/table_actions.h"
#include "store/contents_tree.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QColorDialog;
class QLabel;
class QSplitter;
class QToolBar;
class QTreeView;

namespace quillery {

class Asker;
class Engine;
class TAboutBox;
class TCategoryButtons;
class TCellDlg;
class TContentsCommands;
class TContentsModel;
class TDocumentSwitcher;
class TFTPDlg;
class TFontDialog;
class TFontStyleCommands;
class TFormLink;
class TFormatCommands;
class TFormStyle1;
class THTMLCommand;
class THTMLSource;
class TInsertCommands;
class TNotePanel;
class TOpenDialog;
class TPopupMenu;
class TPublishCommand;
class TPublisher;
class TPublishReportDlg;
class TRecoveryKeeper;
class TSelectDlg;
class TTableCommands;
class TTableDlg;
class TTableStructureCommands;
class TTitleDelegate;
class TTreeSelection;

// The main window: contents tree and symbol palette on the left, the
// document in the centre, the note panel on the right, the tool bar on top
// and the status bar below. It owns the site's state, the actions and the
// dialogs, and wires each action to its handler.
class TMainForm final : public QMainWindow {
    Q_OBJECT
public:
    // asker answers every question the program asks; null means message boxes.
    TMainForm(QWidget* parent, Asker* asker = nullptr);
    ~TMainForm() override;
    Q_DISABLE_COPY_MOVE(TMainForm)

    // Start-up: the site dialog, then the site. False when the dialog was
    // cancelled; then nothing was opened.
    bool FormShow();
    // The start-up steps after the dialog: reads the publishing status,
    // loads the contents, shows the window and opens the first document.
    void OpenSite(const QString& sitePath);
    // Sites get the site's own pages from this folder (empty: none was
    // found, which is reported). Without a call they are left as they are.
    void SetSitePagesFolder(const QString& folder) { m_sitePagesFolder = folder; }
    // The shutdown: leaves the current document (saving it), then deletes
    // the discarded files. False when saving failed (the window stays).
    bool FormClose();
    // Leaves the current document as publishing does: saved, and kept open.
    void LeaveForPublishing();
    // The FTP command's handler.
    void FTPExecute();

    TSwitchState& State() { return m_state; }
    TContentsTree& Tree() { return m_tree; }
    TContentsModel& Model() const { return *m_model; }
    TTreeSelection& Selection() const { return *m_selection; }
    QTreeView* TreeView() const { return m_treeView; }
    TTitleDelegate& TitleDelegate() const { return *m_titleDelegate; }
    Engine& VISUALEdit() const;
    TNotePanel* Panel4() const { return m_notePanel; }
    TDocumentSwitcher& Switcher() const { return *m_switcher; }
    TContentsCommands& Commands() const { return *m_commands; }
    const TActionListEdit& ActionListEdit() const { return m_actions; }
    const TActionListInsert& ActionListInsert() const { return m_insertActions; }
    const TActionListTable& ActionListTable() const { return m_tableActions; }
    TTableDlg* TableDlg() const { return m_tableDlg; }
    TCellDlg* CellDlg() const { return m_cellDlg; }
    TPopupMenu& PopupMenu() const { return *m_popupMenu; }
    TFormLink* FormLink() const { return m_formLink; }
    TCategoryButtons* CategoryButtonsInsertSymbol() const { return m_symbolPalette; }
    const TFormatActions& FormatActions() const { return m_formatActions; }
    // Sets the enabled flags of Undo and Redo: for InsertHTML.
    UndoRedoFlags UndoRedo() const;
    QToolBar* ToolBarTree() const { return m_toolBar; }
    QLabel* HintPanel() const { return m_hintPanel; }
    QLabel* StatusPanel() const { return m_statusPanel; }
    TSelectDlg* SelectDlg() const { return m_selectDlg; }
    TFTPDlg* FTPDlg() const { return m_ftpDlg; }
    TPublishReportDlg* PublishReportDlg() const { return m_reportDlg; }
    TPublishCommand& PublishCommand() const { return *m_publishCommand; }
    TPublisher& Publisher() const { return *m_publisher; }
    TRecoveryKeeper& Recovery() const { return *m_recovery; }
    FtpClient& IdFTP() { return m_idFTP; }
    TFontDialog* FontDialog() const { return m_fontDialog; }
    THTMLSource* HTMLSource() const { return m_htmlSource; }
    TFormStyle1* FormStyle1() const { return m_formStyle; }
    QWidget* Panel1() const { return m_panel1; }
    QSplitter* Splitter1() const { return m_splitter1; }

    void StatusBar1Resize();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateLayout();
    void CreateToolBar();
    void WireActions();
    void WireInsertActions();
    void WireFormatActions();
    void WireTableActions();
    void CreatePopupMenu();
    void WireTree();
    bool TreeViewChanging();
    void TreeViewChange(const QModelIndex& index);
    // Opens node's document (none: nothing); the contents actions follow.
    void OpenDocument(TTreeNode* node);
    void AboutExecute();
    // Everything that writes site files or changes the current document's
    // state waits while a publishing run goes.
    void HoldOffForPublishing(bool held);
    void ShowHint(const QString& text);
    QAbstractButton* ToolButton(QAction* action) const;
    void Run(const std::function<void()>& command);
    void Connect(QAction* action, std::function<void()> handler);

    std::unique_ptr<Asker> m_ownAsker;
    Asker* m_asker;
    TSwitchState m_state;
    TContentsTree m_tree;
    TActionListEdit m_actions;
    TActionListInsert m_insertActions;
    TFormatActions m_formatActions;
    TActionListTable m_tableActions;
    QString m_shortDateFormat;
    std::optional<QString> m_sitePagesFolder;

    QToolBar* m_toolBar = nullptr;
    QWidget* m_panel1 = nullptr;
    QSplitter* m_splitter1 = nullptr;
    QSplitter* m_splitter2 = nullptr;
    QTreeView* m_treeView = nullptr;
    TCategoryButtons* m_symbolPalette = nullptr;
    TNotePanel* m_notePanel = nullptr;
    QLabel* m_hintPanel = nullptr;
    QLabel* m_statusPanel = nullptr;
    TContentsModel* m_model = nullptr;
    TTreeSelection* m_selection = nullptr;
    TTitleDelegate* m_titleDelegate = nullptr;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<TDocumentSwitcher> m_switcher;
    std::unique_ptr<TContentsCommands> m_commands;
    std::unique_ptr<TOpenDialog> m_openDialog;
    std::unique_ptr<TInsertCommands> m_insertCommands;
    std::unique_ptr<TRecoveryKeeper> m_recovery;
    std::unique_ptr<TTableCommands> m_tableCommands;
    std::unique_ptr<TTableStructureCommands> m_tableStructure;
    TPopupMenu* m_popupMenu = nullptr;
    FtpClient m_idFTP;
    std::unique_ptr<TPublisher> m_publisher;
    TPublishCommand* m_publishCommand = nullptr;
    TPublishReportDlg* m_reportDlg = nullptr;
    bool m_closeAfterPublishing = false;
    std::unique_ptr<TFormatCommands> m_formatCommands;
    std::unique_ptr<TFontStyleCommands> m_fontStyleCommands;
    std::unique_ptr<THTMLCommand> m_htmlCommand;

    TFormLink* m_formLink = nullptr;
    TTableDlg* m_tableDlg = nullptr;
    TFTPDlg* m_ftpDlg = nullptr;
    TCellDlg* m_cellDlg = nullptr;
    TAboutBox* m_aboutBox = nullptr;
    TSelectDlg* m_selectDlg = nullptr;
    THTMLSource* m_htmlSource = nullptr;
    TFormStyle1* m_formStyle = nullptr;
    QColorDialog* m_colorDialog = nullptr;
    TFontDialog* m_fontDialog = nullptr;
    bool m_closed = false;
};

} // namespace quillery
