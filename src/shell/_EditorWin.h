// The window of one open document: a text pane for scripts and texts, a table pane for the three
// table kinds, each with its own status bar.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <QMdiSubWindow>

class QLabel;
class QMenu;
class QAction;
class QActionGroup;
class QComboBox;
class QLineEdit;
class QSplitter;
class QToolButton;
class QWidget;
class TMainForm;
class TStatusBar;
class TStringGrid;
class TSynMemo;
class TToolBar;
class TToolButton;
class TUpDown;
class QPainter;
class QRect;
enum TSynReplaceAction : int;

class TForm_Editor : public QMdiSubWindow
{
    Q_OBJECT
public:
    // Joins the main window's document frame and lays itself out by the main window's OpeningKind.
    explicit TForm_Editor(QWidget *owner = nullptr);
    ~TForm_Editor() override;

    int Tag = 0;                 // window number = index of its tab
    AnsiString DocumentKind;     // "KAS_Document" ... ; empty until the opener sets it
    // The file under the caption exists but could not be read: the window shows an empty document,
    // so saving goes through the save dialog instead of replacing that file unasked.
    bool FileNotRead = false;

    AnsiString Caption() const;  // the document's full path (or a new document's made-up name)
    void SetCaption(const AnsiString &caption);

    // ---- Components used by other parts of the program ----
    TSynMemo *Memo1 = nullptr;          // text pane
    QWidget *StringGridPanel = nullptr; // table pane: StringGrid1, Splitter1, Memo2
    TStringGrid *StringGrid1 = nullptr;
    QSplitter *Splitter1 = nullptr;
    TSynMemo *Memo2 = nullptr;          // cell editor under the grid
    TStatusBar *StatusBar1 = nullptr;   // text pane's status bar (12 panels)
    TStatusBar *StatusBar2 = nullptr;   // table pane's status bar (11 panels)
    TToolBar *ToolBar1 = nullptr;       // table tools
    TToolBar *ToolBar2 = nullptr;       // tag bar
    QComboBox *ComboBox1 = nullptr;     // tag bar: outline
    QComboBox *ComboBox2 = nullptr;     // tag bar: declarations
    QLabel *ModifiedMarker = nullptr;   // shown exactly while the document has unsaved changes
    QToolButton *HighlighterButton = nullptr, *SelectionModeButton = nullptr, *EditModeButton = nullptr,
                *TabWidthButton = nullptr, *GridPropertiesButton = nullptr;
    // Table tools; the opener shows and hides some of them by kind, their handlers belong to the
    // table tools.
    TToolButton *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton3 = nullptr,
                *ToolButton4 = nullptr, *ToolButton5 = nullptr, *ToolButton6 = nullptr,
                *ToolButton7 = nullptr, *ToolButton8 = nullptr, *ToolButton9 = nullptr,
                *ToolButton10 = nullptr, *ToolButton12 = nullptr, *ToolButton13 = nullptr,
                *ToolButton16 = nullptr, *ToolButton17 = nullptr, *ToolButton18 = nullptr,
                *ToolButton19 = nullptr, *ToolButton20 = nullptr, *ToolButton22 = nullptr;
    QLineEdit *Edit1 = nullptr;         // width of the current column
    QLineEdit *Edit2 = nullptr;         // width step
    QMenu *PopupMenu1 = nullptr;        // bookmarks
    QAction *Createbookmark1 = nullptr;
    QMenu *PopupMenu3 = nullptr;        // grid options
    QAction *Item11 = nullptr, *Multiplecellsselection1 = nullptr, *Tocontinueindexing1 = nullptr,
            *Tofillinblanksofindexing1 = nullptr;
    QAction *Addingofnewline1 = nullptr;   // submenu of PopupMenu3
    QMenu *PopupMenu5 = nullptr, *PopupMenu6 = nullptr, *PopupMenu7 = nullptr;
    QAction *Normal1 = nullptr, *Column1 = nullptr, *Line1 = nullptr;   // selection mode
    QAction *Insert1 = nullptr, *Overwrite1 = nullptr;                  // edit mode
    QAction *TabsOFF1 = nullptr;
    QAction *TABsymbols[9] = {};        // "TAB = 2 symbols" ... "TAB = 10 symbols", Tag (data) 2 ... 10
    TStringList *OutlineLines = nullptr;
    TStringList *DeclarationLines = nullptr;

    // The modified state is the marker's visibility (independent of whether the window is shown).
    // Hiding the marker says that the text is the file's.
    bool IsModified() const;
    void SetModified(bool modified);
    // The text was changed where no undo step leads back to the file's (legacy tags renamed while
    // reading, a document not yet on disk): the marker shows, and stays when every later step is
    // undone.
    void SetChangedBeyondUndo();
    bool ChangedBeyondUndo() const { return FChangedBeyondUndo; }
    // The marker's hint, never shown as a tool tip.
    AnsiString ModifiedHint() const;
    void SetModifiedHint(const AnsiString &hint);

    // The cell editor's height as the layout stores it ("EditCellFied_Height").
    int CellEditorHeight() const;
    void SetCellEditorHeight(int height);

    // Whether the "H" button is down: the pane then uses the main window's shared highlighter.
    void SetHighlighterDown(bool down);

    // The main window's colours, font, right edge and gutter into the text pane (settings dialog,
    // editing/SettingsCommands.cpp).
    void ApplyDisplaySettings();

    // ---- Events ----
    void FormCreate();
    void FormActivate();
    void FormCloseQuery(bool &CanClose);
    // wasActive: the window was the active document window when closing began (the main window
    // asks all its windows, and an earlier one's save prompt makes itself active).
    void FormCloseQuery(bool &CanClose, bool wasActive);
    void FormClose();
    // The close question without the close: a changed document is offered for saving. False when it
    // is to stay as it is (Cancel, or Yes and the save did not come back whole); after No the
    // changes are still there and still marked.
    bool OfferToSave();

    void Memo1Change();
    void Memo1KeyDown(int &Key, Qt::KeyboardModifiers Shift);
    void Memo1KeyPress(char &Key);
    void Memo1MouseDown();
    void Memo1Click();
    void Memo1GutterClick(Qt::MouseButton Button, int X, int Y, int Line);
    void Memo1MouseMove(Qt::KeyboardModifiers Shift, int X, int Y);

    void StatusBarButton1Click();
    void StatusBarButton2Click();
    void StatusBarButton3Click();
    void StatusBarButton4Click();
    void StatusBarButton5Click();
    void Normal1Click();
    void Column1Click();
    void Line1Click();
    void ChooseSelectionMode(QAction *item, int mode, const char *buttonCaption);
    void TabsOFF1Click();
    void TAB2symbols1Click(QAction *Sender);

    void Createbookmark1Click();
    void BookmarkMenuClick(QAction *Sender);
    void DeleteAllMenuClick();

    // ---- Handlers of the other parts of the program ----
    // Table tools and the table cell clipboard (editing/TableTools.cpp).
    void ConnectTableTools();
    // The window's key preview: the table tools' keys; the key goes on to the focused control.
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift);
    void TagBarKeyDown(int &Key);
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton4Click();
    void ToolButton6Click();
    void ToolButton7Click();
    void ToolButton8Click();
    void ToolButton9Click();
    void ToolButton10Click();
    void ToolButton12Click();
    void ToolButton13Click();
    void ToolButton16Click();
    void ToolButton17Click();
    void ToolButton18Click();
    void ToolButton19Click();
    void ToolButton20Click();
    void ToolButton22Click();
    void FillTestCells();
    void StringGrid1SelectCell(int ACol, int ARow, bool &CanSelect);
    void StringGrid1MouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
    void StringGrid1DrawCell(QPainter *Canvas, int ACol, int ARow, const QRect &Rect, unsigned State);
    void StringGrid1KeyPress(char &Key);
    void StringGrid1DblClick();
    void StringGrid1Enter();
    void StringGrid1Exit();
    void StringGrid1ColumnMoved(int FromIndex, int ToIndex);
    void StringGrid1RowMoved(int FromIndex, int ToIndex);
    void Memo2Change();
    // Undo or redo of the cell editor, from wherever the focus is; the cell takes the result.
    void UndoInCellEditor(bool redo);
    void StoreCellEditorText();
    void Memo2Enter();
    void Memo2Exit();
    void Edit1Change();
    void Edit2Change();
    void Item11Click();
    void Multiplecellsselection1Click();
    void Tocontinueindexing1Click();
    void Tofillinblanksofindexing1Click();
    void Insert1Click();
    // Status panels 2, 5 and 8 and the cell editor from the current cell.
    void RefreshCellStatus();
    // The cell editor shows the cell, every line break of it kept; its undo starts there. The one
    // way a cell's text goes into the cell editor.
    void ShowCellInEditor(int col, int row);
    // Every column of the table as wide as its widest text + 6 (one column: col >= 0).
    void AutosizeColumns(int col = -1);
    TUpDown *UpDown1 = nullptr;         // spinner of Edit1: 1..32767
    TUpDown *UpDown2 = nullptr;         // spinner of Edit2: 1..32767
    bool CellEditorFocused = false;     // Memo2 has the input focus
    // Receiver of the table tools' connections. Being a member, it ends them as soon as this
    // window's own part is gone, before the base window's teardown moves the focus and fires them.
    QObject TableToolsContext;
    // Receiver of the text pane's connections, for the same reason.
    QObject TextPaneContext;

    // Tag bar (script/TagBar.cpp).
    void ConnectTagBar();
    TToolButton *ToolButton25 = nullptr;   // refresh the lists
    QLabel *Label1 = nullptr;              // " All tags: "
    TToolButton *ToolButton27 = nullptr;   // add tag
    QLabel *Label2 = nullptr;              // " Declarations: "
    TToolButton *ToolButton26 = nullptr;   // add declaration
    TToolButton *ToolButton23 = nullptr;   // go to
    TToolButton *ToolButton32 = nullptr;   // go to KAT index
    TToolButton *ToolButton31 = nullptr;   // help
    void ToolButton25Click();
    void ComboBox1Change();
    void ComboBox2Change();
    void ToolButton27Click();
    void ToolButton26Click();
    void ToolButton30Click();

    // Search and replace (editing/Search.cpp): the text pane's question before each replacement.
    void Memo1ReplaceText(const AnsiString &found, const AnsiString &replacement, int line, int column,
                          TSynReplaceAction &action);

    // Bookmark menu items after the fixed ones: "Delete all bookmarks" and the separator.
    QAction *DeleteAllBookmarksItem() const { return DeleteAllItem; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateComponents();
    void CreateTextPane();
    void CreateTablePane();
    void CreateTableToolBar();
    void CreateTagBar();
    void CreateStatusBars();
    void CreateMenus();
    void LayOutTextStatusBar();
    void LayOutTableStatusBar();
    void ApplyEditorSettings();
    void CheckTabWidthItem(int width);
    void SetTabWidth(int width);
    void RefreshTextStatus();
    void PopUpUnder(QToolButton *button, QMenu *menu);
    void StoreLayout(bool wasActive);
    void AskToSave(bool &CanClose);
    void AddBookmark();
    void DeleteBookmarkOnCaretLine();
    void ApplyCellEditorHeight();

    AnsiString FCaption;
    QAction *DeleteAllItem = nullptr;
    QAction *BookmarkSeparator = nullptr;
    int WantedCellEditorHeight = 65;
    bool Closed = false;
    bool FChangedBeyondUndo = false;
};

// "0" put before the text while it is shorter than the width.
AnsiString PadLeftWithZeros(const AnsiString &text, int width);

// Bookmark menu caption of a line: its text trimmed of blanks at both ends, between double quotes,
// cut to 60 characters when longer than 50; the line number for an empty line.
AnsiString BookmarkCaption(const AnsiString &lineText, int lineNumber);

// The document window that holds a pane (Memo1, StringGrid1, ...), nullptr for none.
TForm_Editor *EditorOf(QWidget *pane);
