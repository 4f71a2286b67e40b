// The main window: the multiple-document frame with its menus, actions, tool bars, status bar and
// tab bar, and the state that the dialogs of every part of the program share.
#pragma once

#include "platform/ActionList.h"
#include "platform/Colors.h"
#include "platform/FileDialogs.h"
#include "platform/Files.h"
#include "platform/TStringList.h"
#include "platform/Text.h"
#include "shell/HeaderTags.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPixmap>
#include <memory>
#include <span>

class QAction;
class QCloseEvent;
class QFrame;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QResizeEvent;
class QShowEvent;
class QTabBar;
class TForm_Editor;
class TMessageServer;
class TNamedSemaphore;
class TRegistry;
class TProgressBar;
class TStatusBar;
class TToolBar;
class TToolButton;
class TStringGrid;
class TSynMemo;
class TSynCompletionProposal;
class TSclIndex;
enum TSynCompletionType : int;
struct FileProgress;
class TSynKASSyn;

// Registry keys below HKEY_LOCAL_MACHINE.
inline constexpr const char *SettingsKey = "\\SOFTWARE\\Velmora\\Tarrowmere\\3.5\\Quillet\\v.01";
inline constexpr const char *ProductKey = "\\SOFTWARE\\Pellanor\\Quillet";
inline constexpr const char *GameKey = "\\SOFTWARE\\Velmora\\Tarrowmere\\3.5";

// The marker of a running copy, also naming the channel between copies.
inline constexpr const char *SemaphoreName = "Quillet_01_Semaphore";
// A message of our own besides the three registered ones: the second copy asks the first to come
// to the front.
inline constexpr const char *ActivateMessageName = "WM_QUIL_ActivateFirstCopy";

// The start-up log in the program folder.
inline constexpr const char *LoadingLogName = "QUIL_Loading.txt";

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // Builds the window's components, sets the shared state empty and runs FormCreate.
    explicit TMainForm(QWidget *owner = nullptr);
    ~TMainForm() override;

    // ---- Components ----
    QMdiArea *MdiArea = nullptr;        // the client area holding the document windows
    QTabBar *TabSet1 = nullptr;         // one tab per document window, hidden while there is none
    QMenu *TabSetPopupMenu = nullptr;   // the tab bar's pop-up menu
    TStatusBar *StatusBar1 = nullptr;   // panel 0: hints and completion texts; panel 1: status texts
    TToolBar *ToolBar3 = nullptr;       // the main tool bar
    TToolBar *ToolBar4 = nullptr;       // the second tool bar (search)
    TToolButton *OpenToolButton = nullptr;   // drops down PopupMenu4
    QFrame *BannerPanel = nullptr;      // shown while no document window is open
    QLabel *BannerImage = nullptr;
    QPixmap Image1;                     // marker of a changed document
    QPixmap Image2;                     // glyph of a table window's properties button
    QPixmap Image3;                     // the program's icon

    QMenuBar *MainMenu1 = nullptr;
    QMenu *File1 = nullptr;
    QMenu *Reopen1 = nullptr;           // entries: caption = path (kept in the action's data)
    QMenu *Edit1 = nullptr;
    QMenu *Table1 = nullptr;
    QMenu *Services1 = nullptr;
    QMenu *Toolls1 = nullptr;           // 7 fixed items, then one per user tool
    QMenu *Options1 = nullptr;
    QMenu *Window1 = nullptr;           // the window menu; the open documents are listed at its end
    QMenu *Help1 = nullptr;
    QMenu *PopupMenu2 = nullptr;        // pop-up menu of the text panes
    QMenu *PopupMenu4 = nullptr;        // drop-down of the Open button: a copy of Reopen1
    QMenu *AutosizingColsMenu = nullptr;   // holds AutosizingCols, the drop-down of a grid button

    TActionList *ActionList1 = nullptr;
    // File
    TAction *NewDoc = nullptr, *FileOpen1 = nullptr, *FileSave1 = nullptr, *FileSaveAs1 = nullptr,
            *FileSaveAll1 = nullptr, *PrintAction1 = nullptr, *FileExit1 = nullptr;
    // Edit and search
    TAction *Undo_Action1 = nullptr, *Redo_Action1 = nullptr, *EditDelete1 = nullptr,
            *SearhAction1 = nullptr, *FindNextAction1 = nullptr, *FindPreviousAction1 = nullptr,
            *ReplaceAction1 = nullptr, *GoToAction1 = nullptr;
    // Table
    TAction *CopyCellAction1 = nullptr, *PasteCellAction1 = nullptr, *ClearCellAction1 = nullptr,
            *SelectAllCellsAction1 = nullptr, *SelectRowAction1 = nullptr, *SelectColAction1 = nullptr,
            *AutosizingCols = nullptr;
    // Services
    TAction *InformScr_Action1 = nullptr, *EdInformScr_Action1 = nullptr, *FIL_Action1 = nullptr,
            *VarManAction1 = nullptr, *GoToKATIndexAction = nullptr;
    // Tools (the first 7 items of Toolls1, separators included)
    TAction *ConfigureTools1 = nullptr, *CheckSyntax = nullptr, *TextresourcemanagerAction1 = nullptr,
            *ReKATtifyAction = nullptr, *KASFCAction1 = nullptr;
    // Options
    TAction *Settings1 = nullptr;
    // Window
    TAction *OpenKASAction1 = nullptr, *OpenKAOAction1 = nullptr, *OpenKATAction1 = nullptr,
            *OpenTXTAction1 = nullptr, *RefreshDocAction1 = nullptr, *ReOpenAsTableAction1 = nullptr,
            *FFLAction1 = nullptr, *MaximizedWin_Action1 = nullptr;
    // Help
    TAction *KASHelp1 = nullptr, *KASHTMLAction1 = nullptr, *QUILHelp1 = nullptr,
            *SetpathtoKASHelp1 = nullptr, *SetpathtoKASHelpHTML1 = nullptr,
            *SetpathtoQuillethelp1 = nullptr, *I_Action1 = nullptr, *HelpAbout1 = nullptr;

    TSynCompletionProposal *SynCompletionProposal1 = nullptr;   // fast-insert list
    TSynCompletionProposal *SynCompletionProposal2 = nullptr;   // context completion
    TSynKASSyn *SynKASSyn1 = nullptr;   // the highlighter shared by every text pane

    // ---- Shared state ----
    AnsiString OpeningKind;
    AnsiString LastFileToOpen;
    bool OpenLoadingLogAtStarting = false;
    AnsiString LastWorkDir;
    AnsiString ProgramFolder;           // no trailing "/"
    AnsiString GameFolder;              // "none" when the game is not installed
    AnsiString KASHelpPath, KASHelpHTMLPath, QUILHelpPath;
    int DocumentWindowCounter = 0;
    TProgressBar *OperationProgressBar = nullptr;

    TStringList *TC_FileNames = nullptr;
    TStringList *TC_Titles = nullptr;
    TStringList *TC_CommandLines = nullptr;
    TStringList *TC_Macros = nullptr;
    TStringList *SclTable = nullptr;

    // Search and replace; a history is its entries, each followed by CR LF, newest first.
    bool SearchBackwards = false, SearchCaseSensitive = false, SearchFromCaret = false,
         SearchSelectedOnly = false, SearchWholeWords = false;
    AnsiString SearchText, SearchTextHistory;
    bool ReplaceBackwards = false, ReplaceCaseSensitive = false, ReplaceFromCaret = false,
         ReplaceSelectedOnly = false, ReplaceWholeWords = false;
    AnsiString ReplaceSearchText, ReplaceSearchTextHistory, ReplaceText, ReplaceTextHistory;

    // Editor settings (registry names without the prefix are the same).
    TColor EditorRightEdgeColor = 0;
    TColor EditorColor = 0;
    bool EditorGutterVisible = false;
    AnsiString EditorFontName;
    int EditorFontSize = 0;
    TColor EditorSelectedColourBackground = 0;
    TColor EditorSelectedColourForeground = 0;
    int EditorRightEdge = 0;
    int EditorTabWidth = 0;
    bool EditorHighlightTXT = false;
    bool EditorHighlightKAS = false;
    bool EditorWtiteDateTag = false;

    // Numbers of the registered messages between copies of the program.
    unsigned WM_QUIL_FileNameToOpen = 0;
    unsigned WM_QUIL_PasteTextFromClipboard = 0;
    unsigned WM_QUIL_PasteTblCellFromClipboard = 0;

    // ---- Events and handlers ----
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormResize();
    // The registered messages from another copy; data is the message's text (the path).
    // Returns false for a message that is not one of the three.
    bool WndProc(unsigned message, const AnsiString &data);
    void ActivatePrevInst();

    void TabSet1Click();
    void Maximixed1Click();
    void MaximizedWin_Action1Update();
    void HelpAbout1Execute();
    void FileExit1Execute();
    void BannerClick();
    void ActionList1Update();

    // Opens a document window for the path with the kind ("KAS_Document" ...); a missing file gives an
    // empty document under that name. The new window is the active one afterwards. Events run while
    // it opens: nullptr when the user closed the window meanwhile.
    TForm_Editor *OpenDocument(const AnsiString &path, const AnsiString &kind);
    void FileOpen1Execute();
    TOpenDialog OpenDialog;
    TSaveDialog SaveDialog1;

    // The active document window; nullptr when none is open.
    TForm_Editor *ActiveEditor() const;

    // ---- Documents: writing, header tags ----
    // Writes the document of the pane under the path in the kind's file format; true when the whole
    // file was written (the reopen list then has the path first). Failures are reported here.
    bool SaveDocumentToFile(const AnsiString &kind, const AnsiString &path, TSynMemo *pane);
    bool SaveDocumentToFile(const AnsiString &kind, const AnsiString &path, TStringGrid *pane);
    // Fills the window's grid from a table file (a step of OpenDocument); failures are reported.
    // False when the window was closed while a message about the file was shown.
    bool ReadTableDocument(TForm_Editor *window, const AnsiString &kind, const AnsiString &path);
    // The save commands; true when the document (every document for Save All) was written whole.
    bool FileSave1Execute();
    bool FileSaveAs1Execute();
    bool FileSaveAll1Execute();
    void FileSave1Update();
    void FileSaveAs1Update();
    void FileSaveAll1Update();
    // Save As on the given window (the close prompt's Yes).
    bool SaveDocumentAs(TForm_Editor *window);

    // Sets a header tag in the pane; the pane's window gets its outline rebuilt and is marked changed.
    void SetScriptHeaderTag(const AnsiString &name, const AnsiString &value, TSynMemo *pane);
    AnsiString ConvertAutoTags(const AnsiString &text);
    // Rebuilds the outline lists of the active document window.
    void RefreshScriptOutline();
    void RefreshScriptOutline(TForm_Editor *window);

    // Long operations: the status text in panel 1 and the progress bar over panel 0.
    void ShowOperationStatus(const AnsiString &text);
    void BeginOperationProgress(long long max);
    void StepOperationProgress();
    void SetOperationProgress(long long position);
    void EndOperationProgress();
    // Rebuilds the user tools' items of Toolls1 from the four tool lists.
    void BuildToolsMenu();

    // The reopen list: most recent first; Reopen1 and PopupMenu4 hold the same entries.
    void ReopenListUpdate(const AnsiString &path);
    void ReOpenItemsClick(QAction *Sender);
    QStringList ReopenList() const;

    // ---- Document windows ----
    int MDIChildCount() const;
    // In creation order, which is tab order: window i has the window number (Tag) i.
    QMdiSubWindow *MDIChildren(int index) const;
    QMdiSubWindow *ActiveMDIChild() const;
    // The document window whose caption is exactly this (letter case counts), nullptr for none. With
    // the file open in more than one window: the first in child order, or the last for NewestFirst.
    enum class TWindowSearch { OldestFirst, NewestFirst };
    TForm_Editor *FindDocumentWindow(const AnsiString &caption,
                                     TWindowSearch order = TWindowSearch::OldestFirst) const;

    // ---- Commands of the other parts of the program ----
    // Each part binds its actions' handlers in its own source file; ConnectActions calls them all.

    // Search and replace (editing/Search.cpp).
    void ConnectSearchActions();
    void SearhAction1Execute();
    void FindNextAction1Execute();
    void FindPreviousAction1Execute();
    void ReplaceAction1Execute();
    // One search with the search state over the active document window (text pane or table).
    void FindNextInActiveDocument();
    // One prompted replace-all with the replace state over the active window's text pane.
    void ReplaceAllInActiveDocument();
    void FindAgain(bool backward);
    void FindInTableDocument(TForm_Editor *window);
    // Puts the text on top of the history; a changed history is written to the registry.
    void PutOnTopOfSearchHistory(AnsiString &history, const AnsiString &text);
    void StoreSearchHistories();

    // Table tools and the table cell clipboard (editing/TableTools.cpp).
    void ConnectTableActions();
    void CopyCellAction1Execute();
    void PasteCellAction1Execute();
    void ClearCellAction1Execute();
    void SelectAllCellsAction1Execute();
    void SelectRowAction1Execute();
    void SelectColAction1Execute();
    void AutosizingColsClick();
    // The cell actions are enabled while the active document shows its table (paste: and the
    // clipboard holds text).
    void TableCellActionUpdate(TAction *action);
    void PasteCellAction1Update();
    // The row and column buttons of the active document window by the table's size.
    void TableButtonsAction1Update();
    TAction *TableButtonsAction1 = nullptr;   // no menu item; its update handler keeps the buttons
    // The active document window when it shows its table, else nullptr.
    TForm_Editor *ActiveTableEditor() const;

    // Context completion and fast-insert lists (script/Completion.cpp).
    void ConnectCompletion();
    void SynCompletionProposal2Execute(TSynCompletionType Kind, TSynCompletionProposal *Sender,
                                       AnsiString &CurrentInput, int &x, int &y, bool &CanExecute);
    void SynCompletionProposal2Change(TSynCompletionProposal *Sender, int AIndex);
    void SynCompletionProposal2Cancelled(TSynCompletionProposal *Sender);
    void SynCompletionProposal2AfterCodeCompletion(TSynCompletionProposal *Sender, const AnsiString &Value,
                                                   Qt::KeyboardModifiers Shift, int Index, char EndToken);
    void SynCompletionProposal1CodeCompletion(TSynCompletionProposal *Sender, AnsiString &Value,
                                              Qt::KeyboardModifiers Shift);
    void FIL_Action1Execute();
    // The look-up index of SclTable, made once the table is loaded (the table is never written).
    void BuildSclIndex();
    std::shared_ptr<const TSclIndex> SclIndex;

    // Script information windows, Analyzer, converter (script/ScriptInfo.cpp).
    void ConnectScriptInfoActions();
    void InformScr_Action1Execute();
    void InformScr_Action1Update();
    void EdInformScr_Action1Execute();
    void EdInformScr_Action1Update();
    void VarManAction1Execute();
    void VarManAction1Update();
    void KASFCAction1Execute();

    // Text resources (textres/TRM.cpp).
    void ConnectTextResourceActions();
    void TextresourcemanagerAction1Update();
    void TextresourcemanagerAction1Execute();
    void ReKATtifyActionUpdate();
    void ReKATtifyActionExecute();
    void GoToKATIndexActionUpdate();
    void GoToKATIndexActionExecute();

    // Settings dialog, user tools, fast-insert list editor (editing/SettingsCommands.cpp).
    void ConnectSettingsActions();
    void Settings1Click();
    void ConfigureTools1Click();
    // Runs the tool whose index is the item's data (editing/ToolsMenu.cpp).
    void ToolsItemClick(QAction *Sender);

    // New documents, favourites, companions, refresh, go to, print, help, undo, about
    // (shell/DocumentCommands.cpp).
    void ConnectDocumentActions();
    void NewDocExecute();
    void FFLAction1Execute();
    void FFLAction1Update();
    void OpenKASAction1Execute();
    void OpenKAOAction1Execute();
    void OpenKATAction1Execute();
    void OpenTXTAction1Execute();
    void OpenKASAction1Update();
    void OpenKAOAction1Update();
    void OpenKATAction1Update();
    void OpenTXTAction1Update();
    void RefreshDocAction1Execute();
    void RefreshDocAction1Update();
    void ReOpenAsTableAction1Execute();
    void ReOpenAsTableAction1Update();
    void GoToAction1Execute();
    void GoToAction1Update();
    void PrintAction1Execute();
    void PrintAction1Update();
    void KASHelp1Execute();
    void QUILHelp1Execute();
    void KASHTMLAction1Execute();
    void SetpathtoKASHelp1Click();
    void SetpathtoKASHelpHTML1Click();
    void SetpathtoQuillethelp1Click();
    void Undo_Action1Execute();
    void Undo_Action1Update();
    void Redo_Action1Execute();
    void Redo_Action1Update();
    void EditDelete1Execute();
    void EditDelete1Update();
    void I_Action1Execute();
    // The syntax-check window (script/SyntaxCheck.cpp); its action stays disabled.
    void CheckSyntaxExecute();
    void CheckSyntaxUpdate();
    // Steps of the document commands.
    struct HelpPathChoice
    {
        AnsiString InitialDir, Filter, FileName, Title, ValueName;
    };
    void ChooseHelpPath(const HelpPathChoice &choice, AnsiString &path);
    void ShowHelpFileMissing(const AnsiString &path);
    void OpenCompanion(const AnsiString &extension, const AnsiString &kind);
    void UpdateCompanionAction(TAction *action, const AnsiString &kind);
    void ReloadTextPane(TForm_Editor *window);

    // A failed write of the settings in an event handler: the handler's error box, unless the
    // user was told at start that the settings file cannot be written (then stderr only).
    void ReportSettingsFailure(const std::exception &e, const AnsiString &unit, const AnsiString &func);
    bool ToldSettingsNotKept() const { return !SettingsNotKeptReason.empty(); }

    // True when this copy handed its command line over to the first copy and ends.
    bool HandedOver() const { return HandedOverToFirstCopy; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateComponents();
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateBanner();
    void ConnectActions();
    // Runs execute on the action; update decides its state, and without one the action is always enabled.
    void BindAction(TAction *action, void (TMainForm::*execute)(), void (TMainForm::*update)() = nullptr);
    void RefreshWindowMenu();

    // Start-up steps: the splash text and the log line.
    void Splash(const AnsiString &text);
    void Log(const AnsiString &text);
    void Step(const AnsiString &text);
    AnsiString LogFileName() const;

    bool ReadAllowOnlyOneCopy(TRegistry &reg);
    void StartLog();
    void SetMainDefaults();
    void LoadProductKey(TRegistry &reg);
    void LoadGameFolder(TRegistry &reg);
    void LoadSettingsKey(TRegistry &reg);
    void LoadHelpPaths(TRegistry &reg);
    void LoadReopenList(TRegistry &reg);
    void LoadEditorSettings(TRegistry &reg);
    void LoadMiscSettings(TRegistry &reg);
    void LoadInsertList(TRegistry &reg);
    void LoadSclSettings();
    void StoreSettings();
    void CheckSettingsFileWritable();
    void TellSettingsNotKept();
    void StoreReopenList(TRegistry &reg);
    void AddReopenEntry(QMenu *menu, const AnsiString &path, int position);
    void RefillPopupMenu4();
    void OpenByExtension(const AnsiString &path, bool allowLog);

    // Opening and saving steps.
    long long OperationProgress = 0;   // the progress bar's position, shown or not
    // The bar's maximum and the position it shows, kept here: a script reports every line, and
    // asking the bar each time would cost more than the report. The timer runs since it moved.
    long long OperationProgressMax = 1;
    long long OperationProgressShown = 0;
    QElapsedTimer OperationProgressMoved;
    FileProgress OperationProgressHooks();
    void OpenDocumentStep(const AnsiString &status);
    void OpenTextDocument(TForm_Editor *window, const AnsiString &kind, const AnsiString &path, bool exists);
    void OpenTableDocument(TForm_Editor *window, const AnsiString &kind, const AnsiString &path, bool exists);
    void RestoreTableLayout(TForm_Editor *window, const AnsiString &kind);
    void ShowFirstCell(TForm_Editor *window);
    void BeginSaving();
    bool FinishSaving(const AnsiString &kind, const AnsiString &path, std::string_view bytes, bool converted);
    bool FinishSaving(const AnsiString &kind, const AnsiString &path, const FileContentProducer &content, bool converted);
    void WriteSaveTags(TForm_Editor *window, bool withDate);
    bool WriteSaveTagsAsOneStep(TForm_Editor *window);
    // SetScriptHeaderTag in two halves, so that a save sets its three tags, found in one pass over
    // the text, and then rebuilds the outline once: the lines, in the order given (false when no
    // document window is open or no tag is given), then outline and marker.
    bool SetHeaderTagLines(std::span<const HeaderTagSetting> tags, TSynMemo *pane);
    void ShowHeaderTagsChanged(TSynMemo *pane);
    bool WriteDocument(TForm_Editor *window, const AnsiString &kind, const AnsiString &path);
    void ApplyTextKindLook(TForm_Editor *window);
    void AfterSave(TForm_Editor *window);
    bool AskSaveName(TForm_Editor *window, bool saveAs, AnsiString &name);
    bool SaveOneOfAll(TForm_Editor *window);
    bool SaveUnderChosenName(TForm_Editor *window, bool saveAs);

    void StartMessageServer();
    void BringToFront();

    std::unique_ptr<TMessageServer> MessageServer;
    bool HandedOverToFirstCopy = false;
    // Why the settings file cannot be written; the user is told once, at the first showing.
    AnsiString SettingsNotKeptReason;
    bool Shown = false;
    bool Closed = false;
};

// Clipboard text as a table cell: each CR LF becomes the in-cell line break.
AnsiString ClipboardTextToCell(const AnsiString &text);

// The fast-insert list file into the main window's first completion popup. A file that cannot be
// read gives an empty list and the reason ("" when the list was read or the file is missing).
AnsiString LoadFastInsertList(TMainForm *mainForm, const AnsiString &path);

// The main window of this run.
extern TMainForm *MainForm;
// The running-copy marker of this process, made by the program entry (or a test) before the main
// window; the main window of the copy that holds it listens for the other copies' messages.
extern TNamedSemaphore *InstanceSemaphore;
