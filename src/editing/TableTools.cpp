// Table tools of the document window and the table cell clipboard.
#include "common/Utils.h"
#include "editing/CellClipboard.h"
#include "editing/TableToolsLogic.h"
#include "platform/ActionList.h"
#include "platform/Dialogs.h"
#include "platform/FieldText.h"
#include "platform/Files.h"
#include "platform/StatusBar.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "platform/UpDown.h"
#include "shell/DocumentCommands.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QClipboard>
#include <QDate>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int SpinMin = 1;
constexpr int SpinMax = 32767;
constexpr int HintHidePause = 10000;   // ms a grid hint stays on screen

// Whether the clipboard holds text, asked again only after it changed: asking may wait for the
// program that owns the clipboard, and the paste action's state is wanted whenever the program
// becomes idle.
bool ClipboardTextKnown = false;
bool ClipboardHasText = false;

bool ClipboardTextAvailable()
{
    if (!ClipboardTextKnown) {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        ClipboardHasText = data && data->hasText();
        ClipboardTextKnown = true;
    }
    return ClipboardHasText;
}

// The window sees every key of its controls before they do (key preview) and lets it go on,
// unless its handler took the key (set it to 0).
class TKeyPreview : public QObject
{
public:
    explicit TKeyPreview(TForm_Editor *window) : QObject(window), Window(window) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *e = static_cast<QKeyEvent *>(event);
            int key = e->key();
            TAction::RunGuarded([&] { Window->FormKeyDown(key, e->modifiers()); });
            return key == 0;
        }
        return false;
    }

private:
    TForm_Editor *Window;
};

// Puts a widget into the tool bar right after another one.
void InsertAfter(QToolBar *bar, QWidget *after, QWidget *widget)
{
    const QList<QAction *> items = bar->actions();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (bar->widgetForAction(items[i]) != after) continue;
        if (i + 1 < items.size()) bar->insertWidget(items[i + 1], widget);
        else bar->addWidget(widget);
        return;
    }
    bar->addWidget(widget);
}

// Colours of a painted cell: fixed, selected, then by row on alternating backgrounds.
std::pair<TColor, TColor> CellColors(int row, unsigned state)
{
    if (state & gdFixed) return {clBtnFace, clBtnText};
    if (state & gdSelected) return {clHighlight, clHighlightText};
    if (row % 2 == 0) return {clInfoBk, clInfoText};
    return {clWindow, clWindowText};
}

QColor Painted(TColor c, QPalette::ColorRole fallback)
{
    const QColor q = ColorToQColor(c);
    return q.isValid() ? q : QGuiApplication::palette().color(fallback);
}

// Keeps the cell editor's change handler from taking the program's own text for typing.
class TShowingCell
{
public:
    explicit TShowingCell(bool &flag) : Flag(flag), Was(flag) { Flag = true; }
    ~TShowingCell() { Flag = Was; }

private:
    bool &Flag;
    bool Was;
};

bool ShowingCellText = false;

// Cell writes repaint nothing until the scope ends, also when a handler is left by an exception.
class TGridUpdate
{
public:
    explicit TGridUpdate(TStringGrid *grid) : Grid(grid) { Grid->BeginUpdate(); }
    ~TGridUpdate() { Grid->EndUpdate(); }
    TGridUpdate(const TGridUpdate &) = delete;
    TGridUpdate &operator=(const TGridUpdate &) = delete;

private:
    TStringGrid *Grid;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Binding

void TForm_Editor::ConnectTableTools()
{
    const std::pair<TToolButton *, void (TForm_Editor::*)()> clicks[] = {
        {ToolButton1, &TForm_Editor::ToolButton1Click},   {ToolButton2, &TForm_Editor::ToolButton2Click},
        {ToolButton3, &TForm_Editor::ToolButton3Click},   {ToolButton4, &TForm_Editor::ToolButton4Click},
        {ToolButton6, &TForm_Editor::ToolButton6Click},   {ToolButton7, &TForm_Editor::ToolButton7Click},
        {ToolButton8, &TForm_Editor::ToolButton8Click},   {ToolButton9, &TForm_Editor::ToolButton9Click},
        {ToolButton10, &TForm_Editor::ToolButton10Click}, {ToolButton12, &TForm_Editor::ToolButton12Click},
        {ToolButton13, &TForm_Editor::ToolButton13Click}, {ToolButton16, &TForm_Editor::ToolButton16Click},
        {ToolButton17, &TForm_Editor::ToolButton17Click}, {ToolButton18, &TForm_Editor::ToolButton18Click},
        {ToolButton19, &TForm_Editor::ToolButton19Click}, {ToolButton20, &TForm_Editor::ToolButton20Click},
        {ToolButton22, &TForm_Editor::ToolButton22Click}};
    for (const auto &[button, click] : clicks) button->OnClick = [this, click = click] { (this->*click)(); };
    if (MainForm && MainForm->AutosizingColsMenu) ToolButton22->SetDropdownMenu(MainForm->AutosizingColsMenu);
    ToolButton10->SetEnabled(false);   // enabled while the grid has the focus

    UpDown1 = new TUpDown(Edit1, SpinMin, SpinMax);
    UpDown1->setObjectName("UpDown1");
    UpDown2 = new TUpDown(Edit2, SpinMin, SpinMax);
    UpDown2->setObjectName("UpDown2");
    InsertAfter(ToolBar1, Edit1, UpDown1);
    InsertAfter(ToolBar1, Edit2, UpDown2);
    Edit1->setToolTip("Column width");
    Edit2->setToolTip("Column width step");
    connect(Edit1, &QLineEdit::textChanged, &TableToolsContext, [this] { Edit1Change(); });
    connect(Edit2, &QLineEdit::textChanged, &TableToolsContext, [this] { Edit2Change(); });

    StringGrid1->DefaultDrawing = false;
    connect(StringGrid1, &TStringGrid::OnSelectCell, &TableToolsContext,
            [this](int col, int row, bool &canSelect) { StringGrid1SelectCell(col, row, canSelect); });
    connect(StringGrid1, &TStringGrid::OnMouseMove, &TableToolsContext,
            [this](Qt::KeyboardModifiers shift, int x, int y) { StringGrid1MouseMove(shift, x, y); });
    connect(StringGrid1, &TStringGrid::OnDrawCell, &TableToolsContext,
            [this](QPainter *p, int col, int row, const QRect &rect, TGridDrawState state) {
                StringGrid1DrawCell(p, col, row, rect, state);
            });
    connect(StringGrid1, &TStringGrid::OnKeyPress, &TableToolsContext, [this](char &key) { StringGrid1KeyPress(key); });
    connect(StringGrid1, &TStringGrid::OnDblClick, &TableToolsContext, [this] { StringGrid1DblClick(); });
    connect(StringGrid1, &TStringGrid::OnEnter, &TableToolsContext, [this] { StringGrid1Enter(); });
    connect(StringGrid1, &TStringGrid::OnExit, &TableToolsContext, [this] { StringGrid1Exit(); });
    connect(StringGrid1, &TStringGrid::OnColumnMoved, &TableToolsContext, [this](int from, int to) { StringGrid1ColumnMoved(from, to); });
    connect(StringGrid1, &TStringGrid::OnRowMoved, &TableToolsContext, [this](int from, int to) { StringGrid1RowMoved(from, to); });

    Memo2->SetColor(clBtnFace);
    Memo2->SetWantTabs(false);   // Tab leaves the cell editor; a cell holds no TAB
    connect(Memo2, &TSynMemo::OnChange, &TableToolsContext, [this] { Memo2Change(); });
    connect(Memo2, &TSynMemo::OnEnter, &TableToolsContext, [this] { Memo2Enter(); });
    connect(Memo2, &TSynMemo::OnExit, &TableToolsContext, [this] { Memo2Exit(); });

    connect(Item11, &QAction::triggered, &TableToolsContext, [this] { Item11Click(); });
    connect(Multiplecellsselection1, &QAction::triggered, &TableToolsContext, [this] { Multiplecellsselection1Click(); });
    connect(Tocontinueindexing1, &QAction::triggered, &TableToolsContext, [this] { Tocontinueindexing1Click(); });
    connect(Tofillinblanksofindexing1, &QAction::triggered, &TableToolsContext, [this] { Tofillinblanksofindexing1Click(); });
    connect(Insert1, &QAction::triggered, &TableToolsContext, [this] { Insert1Click(); });
    connect(Overwrite1, &QAction::triggered, &TableToolsContext, [this] { Insert1Click(); });

    auto *preview = new TKeyPreview(this);
    for (QWidget *w : std::initializer_list<QWidget *>{StringGrid1, Memo2, Memo1, Edit1, Edit2}) w->installEventFilter(preview);
}

// ---------------------------------------------------------------------------------------------
// Keys

void TForm_Editor::FormKeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    const bool shift = Shift & Qt::ShiftModifier;
    const bool ctrl = Shift & Qt::ControlModifier;
    const bool alt = Shift & Qt::AltModifier;
    if (StringGridPanel->isHidden()) {
        if (!Memo1->isHidden() && ctrl && shift && !alt) TagBarKeyDown(Key);
        return;
    }
    const auto run = [this](TToolButton *button, void (TForm_Editor::*click)(), bool mustBeVisible = false) {
        if (button->Enabled() && (!mustBeVisible || button->Visible())) (this->*click)();
    };
    const auto byArrow = [Key, &run](std::initializer_list<std::pair<TToolButton *, void (TForm_Editor::*)()>> up_down_left_right) {
        const int arrows[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right};
        int i = 0;
        for (const auto &[button, click] : up_down_left_right) {
            if (Key == arrows[i++]) run(button, click);
        }
    };

    if (ctrl && shift && alt && Key == Qt::Key_F1) FillTestCells();
    if (ctrl && shift && !alt)
        byArrow({{ToolButton1, &TForm_Editor::ToolButton1Click}, {ToolButton2, &TForm_Editor::ToolButton2Click},
                 {ToolButton3, &TForm_Editor::ToolButton3Click}, {ToolButton4, &TForm_Editor::ToolButton4Click}});
    if (shift && alt)
        byArrow({{ToolButton17, &TForm_Editor::ToolButton17Click}, {ToolButton18, &TForm_Editor::ToolButton18Click},
                 {ToolButton12, &TForm_Editor::ToolButton12Click}, {ToolButton13, &TForm_Editor::ToolButton13Click}});
    if (ctrl && alt && !shift)
        byArrow({{ToolButton8, &TForm_Editor::ToolButton8Click}, {ToolButton9, &TForm_Editor::ToolButton9Click},
                 {ToolButton7, &TForm_Editor::ToolButton7Click}, {ToolButton6, &TForm_Editor::ToolButton6Click}});
    if (ctrl && Key == Qt::Key_E) run(ToolButton10, &TForm_Editor::ToolButton10Click, true);
    if (ctrl && alt && Key == Qt::Key_D) run(ToolButton19, &TForm_Editor::ToolButton19Click, true);
    if (ctrl && alt && Key == Qt::Key_A) ToolButton22Click();
}

// The tag bar's keys in the text pane, whether or not its buttons are enabled; the pane's own
// commands on these keys give way to them.
void TForm_Editor::TagBarKeyDown(int &Key)
{
    const std::pair<int, void (TForm_Editor::*)()> keys[] = {{Qt::Key_D, &TForm_Editor::ToolButton26Click},
                                                             {Qt::Key_T, &TForm_Editor::ToolButton27Click},
                                                             {Qt::Key_F, &TForm_Editor::ToolButton25Click}};
    for (const auto &[key, click] : keys) {
        if (Key != key) continue;
        Key = 0;
        (this->*click)();
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Status and cell editor

// Every way a cell comes into the cell editor (a selected cell, a Find hit, the table tools, the
// first cell at opening) goes through here, so that the cell's text reads back unchanged.
void TForm_Editor::ShowCellInEditor(int col, int row)
{
    TShowingCell showing(ShowingCellText);
    // A final CR LF keeps the cell's own last line break: the editor drops one from a text it is given.
    Memo2->SetText(CellToEditorText(StringGrid1->Cells(col, row)) + "\r\n");
    // Undo in the editor goes back to this text at most, never to the text of another cell.
    Memo2->ClearUndo();
}

namespace {

// The status bar's place and length of a cell, and the cell in the cell editor.
void ShowCellStatus(TForm_Editor *editor, int col, int row)
{
    const TStringGrid *grid = editor->StringGrid1;
    editor->StatusBar2->Panels[2].SetText(IntToStr(row + 1) + "/" + IntToStr(grid->RowCount()));
    editor->StatusBar2->Panels[5].SetText(IntToStr(col + 1) + "/" + IntToStr(grid->ColCount()));
    editor->StatusBar2->Panels[8].SetText(IntToStr((long long)grid->Cells(col, row).size()));
    editor->ShowCellInEditor(col, row);
}

} // namespace

void TForm_Editor::RefreshCellStatus() { ShowCellStatus(this, StringGrid1->Col(), StringGrid1->Row()); }

void TForm_Editor::StringGrid1SelectCell(int ACol, int ARow, bool &CanSelect) { ShowCellStatus(this, ACol, ARow); }

void TForm_Editor::Memo2Change()
{
    if (ShowingCellText || !CellEditorFocused) return;
    StoreCellEditorText();
}

// The menu's Undo reaches the cell editor while the grid may have the focus, when its change
// notification is not taken for typing: the cell is given the editor's text here.
void TForm_Editor::UndoInCellEditor(bool redo)
{
    redo ? Memo2->Redo() : Memo2->Undo();
    if (!CellEditorFocused) StoreCellEditorText();
}

void TForm_Editor::StoreCellEditorText()
{
    // The editor's own text, line breaks and all (its Text() adds one at the end).
    const AnsiString cell = EditorTextToCell(FromQ(Memo2->text()));
    StringGrid1->SetCell(StringGrid1->Col(), StringGrid1->Row(), cell);
    SetModified(true);
    StatusBar2->Panels[8].SetText(IntToStr((long long)cell.size()));
}

void TForm_Editor::Memo2Enter()
{
    CellEditorFocused = true;
    Memo2->SetColor(clWindow);
}

void TForm_Editor::Memo2Exit()
{
    CellEditorFocused = false;
    Memo2->SetColor(clBtnFace);
    Memo2->SetWantTabs(false);   // Tab leaves the cell editor; a cell holds no TAB
}

void TForm_Editor::StringGrid1KeyPress(char &Key)
{
    const unsigned char c = static_cast<unsigned char>(Key);
    if (c < 32 && c != '\r') return;
    Memo2->setFocus();
    CellEditorFocused = true;
    {
        TShowingCell showing(ShowingCellText);
        Memo2->SetText(FromQ(Memo2->text()) + (c == '\r' ? AnsiString("\r\n") : AnsiString(1, Key)) + "\r\n");
    }
    Memo2Change();
    Memo2->SetSelStart(Memo2->GetTextLen());
    Memo2->ensureCursorVisible();
    Key = 0;
}

// ---------------------------------------------------------------------------------------------
// Shape of the table

namespace {

// After a change of the fixed rows or columns the first scrolled cell is the current one.
void GoToFirstFreeCell(TStringGrid *grid)
{
    grid->SetCol(grid->FixedCols());
    grid->SetRow(grid->FixedRows());
}

} // namespace

void TForm_Editor::ToolButton1Click()
{
    if (StringGrid1->FixedRows() <= 0) return;
    StringGrid1->SetFixedRows(StringGrid1->FixedRows() - 1);
    GoToFirstFreeCell(StringGrid1);
    RefreshCellStatus();
}

void TForm_Editor::ToolButton2Click()
{
    if (StringGrid1->FixedRows() >= StringGrid1->RowCount() - 1) return;
    StringGrid1->SetFixedRows(StringGrid1->FixedRows() + 1);
    GoToFirstFreeCell(StringGrid1);
    RefreshCellStatus();
}

void TForm_Editor::ToolButton3Click()
{
    if (StringGrid1->FixedCols() <= 0) return;
    StringGrid1->SetFixedCols(StringGrid1->FixedCols() - 1);
    GoToFirstFreeCell(StringGrid1);
    RefreshCellStatus();
}

void TForm_Editor::ToolButton4Click()
{
    if (StringGrid1->FixedCols() >= StringGrid1->ColCount() - 1) return;
    StringGrid1->SetFixedCols(StringGrid1->FixedCols() + 1);
    GoToFirstFreeCell(StringGrid1);
    RefreshCellStatus();
}

namespace {

// Rows and columns beyond this many cells are refused: the table could not be read back.
bool FitsTable(long long cols, long long rows) { return cols * rows <= MaxTableCells; }

} // namespace

void TForm_Editor::ToolButton6Click()
{
    if (!FitsTable(StringGrid1->ColCount() + 1LL, StringGrid1->RowCount())) return;
    StringGrid1->InsertColumn(StringGrid1->ColCount());
    SetModified(true);
    RefreshCellStatus();
}

void TForm_Editor::ToolButton7Click()
{
    if (StringGrid1->ColCount() < 2) return;
    StringGrid1->SetColCount(StringGrid1->ColCount() - 1);
    SetModified(true);
    RefreshCellStatus();
}

void TForm_Editor::ToolButton8Click()
{
    if (StringGrid1->RowCount() < 2) return;
    StringGrid1->SetRowCount(StringGrid1->RowCount() - 1);
    SetModified(true);
    RefreshCellStatus();
}

void TForm_Editor::ToolButton9Click()
{
    if (!FitsTable(StringGrid1->ColCount(), StringGrid1->RowCount() + 1LL)) return;
    StringGrid1->InsertRow(StringGrid1->RowCount());
    SetModified(true);
    if (DocumentKind == KAT_Document && Tocontinueindexing1->isChecked()) {
        ToolButton9->SetEnabled(false);
        const int last = StringGrid1->RowCount() - 1;
        const std::optional<long long> index = NextKatIndex(
            StringGrid1->RowCount(), [this](int row) -> const AnsiString & { return StringGrid1->Cells(0, row); },
            Tofillinblanksofindexing1->isChecked());
        if (index) StringGrid1->SetCell(0, last, IntToStr(*index));
        ToolButton9->SetEnabled(true);
    }
    RefreshCellStatus();
}

void TForm_Editor::ToolButton12Click()
{
    if (!FitsTable(StringGrid1->ColCount(), StringGrid1->RowCount() + 1LL)) return;
    StringGrid1->InsertRow(StringGrid1->Row());
    SetModified(true);
    RefreshCellStatus();
}

void TForm_Editor::ToolButton13Click()
{
    if (StringGrid1->RowCount() < 2) return;
    StringGrid1->DeleteRow(StringGrid1->Row());
    SetModified(true);
    RefreshCellStatus();
}

void TForm_Editor::ToolButton17Click()
{
    if (!FitsTable(StringGrid1->ColCount() + 1LL, StringGrid1->RowCount())) return;
    StringGrid1->InsertColumn(StringGrid1->Col());
    SetModified(true);
    RefreshCellStatus();
}

void TForm_Editor::ToolButton18Click()
{
    if (StringGrid1->ColCount() < 2) return;
    StringGrid1->DeleteColumn(StringGrid1->Col());
    SetModified(true);
    RefreshCellStatus();
}

// A debugging aid: every cell names its own place.
void TForm_Editor::FillTestCells()
{
    {
        TGridUpdate update(StringGrid1);
        for (int r = 0; r < StringGrid1->RowCount(); ++r)
            for (int c = 0; c < StringGrid1->ColCount(); ++c) StringGrid1->SetCell(c, r, TestFillCellText(c, r));
    }
    SetModified(true);
    RefreshCellStatus();
}

// ---------------------------------------------------------------------------------------------
// Column widths

void TForm_Editor::AutosizeColumns(int col)
{
    TStringGrid *grid = StringGrid1;
    const int first = col < 0 ? 0 : col, last = col < 0 ? grid->ColCount() - 1 : col;
    for (int c = first; c <= last; ++c)
        grid->SetColWidth(c, AutosizedColumnWidth(
                                 grid->RowCount(), [grid, c](int row) -> const AnsiString & { return grid->Cells(c, row); },
                                 [grid](const AnsiString &text) { return grid->TextWidth(text); },
                                 [grid](const AnsiString &text) { return grid->ReckonedTextWidth(text); }));
}

void TForm_Editor::ToolButton20Click()
{
    const int width = UpDown1->Position();
    for (int c = 0; c < StringGrid1->ColCount(); ++c) StringGrid1->SetColWidth(c, width);
}

void TForm_Editor::ToolButton16Click()
{
    const int width = StringGrid1->contentsRect().width() / StringGrid1->ColCount() - 1;
    for (int c = 0; c < StringGrid1->ColCount(); ++c) StringGrid1->SetColWidth(c, width);
    Edit1->setText(ToQ(IntToStr(StringGrid1->ColWidths(0))));
}

void TForm_Editor::ToolButton22Click() { AutosizeColumns(StringGrid1->Col()); }

void TForm_Editor::Edit1Change()
{
    const AnsiString text = FromQ(Edit1->text());
    const AnsiString checked = CheckedSpinText(text, UpDown1->Position());
    if (checked != text) return Edit1->setText(ToQ(checked));   // comes back here with the good text
    StringGrid1->SetColWidth(StringGrid1->Col(), UpDown1->Position());
}

void TForm_Editor::Edit2Change()
{
    const AnsiString text = FromQ(Edit2->text());
    const AnsiString checked = CheckedSpinText(text, UpDown2->Position());
    if (checked != text) return Edit2->setText(ToQ(checked));
    UpDown1->SetIncrement(UpDown2->Position());
}

void TForm_Editor::StringGrid1DblClick() { Edit1->setText(ToQ(IntToStr(StringGrid1->ColWidths(StringGrid1->Col())))); }

// ---------------------------------------------------------------------------------------------
// KAT rows: go to the script variable, today's date

void TForm_Editor::ToolButton10Click()
{
    if (!MainForm) return;
    const AnsiString index = StringGrid1->Cells(0, StringGrid1->Row());
    if (!IsNumber(index, false)) {
        MessageBox(ApplicationWindow(), "\"" + index + "\" is not integer value.", "Quillet", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const AnsiString variable = "z" + index;
    const AnsiString scriptPath = CompanionPath(Caption(), ".kas");

    TForm_Editor *script = MainForm->FindDocumentWindow(scriptPath);
    if (!script) {
        if (!FileExists(scriptPath)) {
            MessageBox(ApplicationWindow(), "File \"" + PathInMessage(scriptPath) + "\" not found.", "Quillet", MB_OK | MB_ICONINFORMATION);
            return;
        }
        script = MainForm->OpenDocument(scriptPath, KAS_Document);
        if (!script) return;   // not readable (it said why), or closed while it opened
    }
    script->Memo1->SetCaretXY({0, 0});
    if (MainForm->MdiArea) MainForm->MdiArea->setActiveSubWindow(script);
    MainForm->SearchText = variable;
    MainForm->SearchSelectedOnly = false;
    if (script->Memo1->SearchReplace(variable, "", 0) == 0)
        MessageBox(ApplicationWindow(), "Variable \"" + variable + "\" not found.", "Quillet", MB_OK | MB_ICONINFORMATION);
}

void TForm_Editor::ToolButton19Click()
{
    if (StringGrid1->ColCount() <= 3) return;
    StringGrid1->SetCell(3, StringGrid1->Row(), ShortDateText(QDate::currentDate()));
    // A changed cell is a changed document, or closing would drop the date unasked.
    SetModified(true);
    RefreshCellStatus();
}

// ---------------------------------------------------------------------------------------------
// Grid events

void TForm_Editor::StringGrid1MouseMove(Qt::KeyboardModifiers, int X, int Y)
{
    int col = -1, row = -1;
    StringGrid1->MouseToCell(X, Y, col, row);
    const bool onCell = col >= 0 && row >= 0;
    if (onCell && Item11->isChecked()) {
        StringGrid1->setFocus();
        if (StringGrid1->Row() != row) StringGrid1->SetRow(row);
        if (StringGrid1->Col() != col) StringGrid1->SetCol(col);
        ShowCellInEditor(StringGrid1->Col(), StringGrid1->Row());
    }
    if (!onCell && DocumentKind == CMD_Document) {
        col = StringGrid1->Col();
        row = StringGrid1->Row();
    }
    const QString hint = ToQ(GridCellHint(DocumentKind, col, row));
    if (hint == StringGrid1->toolTip()) return;
    // Shown at once and for long, so that the hint follows the mouse from cell to cell.
    QToolTip::hideText();
    StringGrid1->setToolTip(hint);
    if (!hint.isEmpty() && StringGrid1->isVisible())
        QToolTip::showText(StringGrid1->mapToGlobal(QPoint(X, Y)), hint, StringGrid1, {}, HintHidePause);
}

void TForm_Editor::StringGrid1DrawCell(QPainter *Canvas, int ACol, int ARow, const QRect &Rect, unsigned State)
{
    const auto [back, text] = CellColors(ARow, State);
    Canvas->setPen(Qt::NoPen);
    Canvas->fillRect(Rect, Painted(back, QPalette::Base));
    Canvas->setPen(Painted(text, QPalette::Text));
    Canvas->setFont(StringGrid1->font());
    Canvas->drawText(Rect.adjusted(3, 0, -1, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     TStringGrid::DisplayText(StringGrid1->Cells(ACol, ARow)));
    if (State & gdFocused) {
        Canvas->setPen(QPen(Painted(text, QPalette::Text), 1, Qt::DotLine));
        Canvas->drawRect(Rect.adjusted(0, 0, -1, -1));
    }
}

void TForm_Editor::StringGrid1Enter()
{
    StringGrid1->SetColor(clWindow);
    ToolButton10->SetEnabled(true);
}

void TForm_Editor::StringGrid1Exit()
{
    StringGrid1->SetColor(clBtnFace);
    ToolButton10->SetEnabled(false);
}

void TForm_Editor::StringGrid1ColumnMoved(int, int)
{
    SetModified(true);
    RefreshCellStatus();
}

void TForm_Editor::StringGrid1RowMoved(int, int)
{
    SetModified(true);
    RefreshCellStatus();
}

// ---------------------------------------------------------------------------------------------
// Option items (a click has already toggled the item's check mark)

void TForm_Editor::Item11Click() {}   // read at each mouse move

void TForm_Editor::Multiplecellsselection1Click()
{
    const TGridOptions options = StringGrid1->Options();
    StringGrid1->SetOptions(Multiplecellsselection1->isChecked() ? options | goRangeSelect : options & ~goRangeSelect);
}

void TForm_Editor::Tocontinueindexing1Click() { Tofillinblanksofindexing1->setEnabled(Tocontinueindexing1->isChecked()); }

void TForm_Editor::Tofillinblanksofindexing1Click() {}   // read at each new row

// Either edit-mode item switches between insert and overwrite.
void TForm_Editor::Insert1Click()
{
    const bool wasInsert = Memo1->InsertMode();
    (wasInsert ? Overwrite1 : Insert1)->setChecked(true);
    Memo1->SetInsertMode(!wasInsert);
    if (EditModeButton) EditModeButton->setText(wasInsert ? "O" : "I");
}

// ---------------------------------------------------------------------------------------------
// Main window: the cell actions

TForm_Editor *TMainForm::ActiveTableEditor() const
{
    TForm_Editor *editor = ActiveEditor();
    return editor && !editor->StringGridPanel->isHidden() ? editor : nullptr;
}

void TMainForm::ConnectTableActions()
{
    const std::pair<TAction *, void (TMainForm::*)()> actions[] = {
        {CopyCellAction1, &TMainForm::CopyCellAction1Execute},
        {PasteCellAction1, &TMainForm::PasteCellAction1Execute},
        {ClearCellAction1, &TMainForm::ClearCellAction1Execute},
        {SelectAllCellsAction1, &TMainForm::SelectAllCellsAction1Execute},
        {SelectRowAction1, &TMainForm::SelectRowAction1Execute},
        {SelectColAction1, &TMainForm::SelectColAction1Execute},
        {AutosizingCols, &TMainForm::AutosizingColsClick}};
    for (const auto &[action, execute] : actions) {
        action->OnExecute = [this, execute = execute] { (this->*execute)(); };
        action->OnUpdate = [this, action = action] { TableCellActionUpdate(action); };
    }
    PasteCellAction1->OnUpdate = [this] { PasteCellAction1Update(); };

    TableButtonsAction1 = ActionList1->Add("TableButtonsAction1");
    TableButtonsAction1->setObjectName("TableButtonsAction1");
    TableButtonsAction1->OnUpdate = [this] { TableButtonsAction1Update(); };

    ClipboardTextKnown = false;
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [] { ClipboardTextKnown = false; });
}

void TMainForm::TableCellActionUpdate(TAction *action) { action->SetEnabled(ActiveTableEditor() != nullptr); }

void TMainForm::PasteCellAction1Update()
{
    PasteCellAction1->SetEnabled(ActiveTableEditor() && ClipboardTextAvailable());
}

void TMainForm::TableButtonsAction1Update()
{
    TForm_Editor *editor = ActiveEditor();
    if (!editor) return;
    const TStringGrid *grid = editor->StringGrid1;
    // KAO and KAT tables keep their columns: their column buttons stay off.
    const bool columns = grid->ColCount() >= 2 && FixedColCountOfKind(editor->DocumentKind) == 0;
    const bool rows = grid->RowCount() > 1;
    editor->ToolButton7->SetEnabled(columns);
    editor->ToolButton18->SetEnabled(columns);
    editor->ToolButton8->SetEnabled(rows);
    editor->ToolButton13->SetEnabled(rows);
}

void TMainForm::CopyCellAction1Execute()
{
    TForm_Editor *editor = ActiveTableEditor();
    if (!editor) return;
    const TStringGrid *grid = editor->StringGrid1;
    const TGridRect sel = grid->Selection();
    const AnsiString text =
        CellsToClipboardText(grid->CellsRowMajor(), grid->ColCount(), {sel.Left, sel.Top, sel.Right, sel.Bottom});
    QGuiApplication::clipboard()->setText(ToQ(text));
}

void TMainForm::PasteCellAction1Execute()
{
    TForm_Editor *editor = ActiveTableEditor();
    if (!editor) return;
    TStringGrid *grid = editor->StringGrid1;
    const std::optional<AnsiString> pasted = DocumentTextOfClipboard(ApplicationWindow());
    if (!pasted) return;
    const AnsiString text = ClipboardTextWithRowEnds(*pasted);
    const ClipboardShape shape = MeasureClipboardCells(text);
    if (shape.Rows == 0) return;   // no cell text and no TAB: nothing to store

    const TGridRect sel = grid->Selection();
    const long long rows = std::max<long long>(grid->RowCount(), sel.Top + shape.Rows);
    const bool growColumns = editor->DocumentKind == CMD_Document || editor->DocumentKind == TXT_Document;
    const long long cols = growColumns ? std::max<long long>(grid->ColCount(), sel.Left + shape.Widest + 1) : grid->ColCount();
    if (!FitsTable(cols, rows)) {
        MessageBox(ApplicationWindow(),
                   "Document: \"" + editor->Caption() + "\"\r\nThe clipboard text would make a table of more than " +
                       IntToStr(MaxTableCells) + " cells; nothing was pasted.",
                   "Quillet", MB_OK | MB_ICONINFORMATION);
        return;
    }

    {
        TGridUpdate update(grid);
        grid->SetRowCount(int(rows));
        grid->SetColCount(int(cols));
        // Cells beyond a fixed-layout table's columns could never show and are not kept.
        ForEachClipboardCell(text, [grid, sel, cols](int c, int r, AnsiString &&cell) {
            if (sel.Left + (long long)c < cols) grid->SetCell(sel.Left + c, sel.Top + r, cell);
        });
    }
    editor->SetModified(true);
    editor->RefreshCellStatus();
}

void TMainForm::ClearCellAction1Execute()
{
    TForm_Editor *editor = ActiveTableEditor();
    if (!editor) return;
    TStringGrid *grid = editor->StringGrid1;
    const TGridRect sel = grid->Selection();
    {
        TGridUpdate update(grid);
        for (int r = sel.Top; r <= sel.Bottom; ++r)
            for (int c = sel.Left; c <= sel.Right; ++c) grid->SetCell(c, r, "");
    }
    editor->ShowCellInEditor(grid->Col(), grid->Row());
    editor->SetModified(true);
    editor->StatusBar2->Panels[8].SetText(IntToStr((long long)grid->Cells(grid->Col(), grid->Row()).size()));
}

namespace {

void SelectCells(TForm_Editor *editor, const TGridRect &rect)
{
    editor->StringGrid1->SetSelection(rect);
    editor->StringGrid1->setFocus();
    editor->RefreshCellStatus();
}

} // namespace

void TMainForm::SelectAllCellsAction1Execute()
{
    if (TForm_Editor *editor = ActiveTableEditor()) {
        const TStringGrid *grid = editor->StringGrid1;
        SelectCells(editor, {0, 0, grid->ColCount() - 1, grid->RowCount() - 1});
    }
}

void TMainForm::SelectRowAction1Execute()
{
    if (TForm_Editor *editor = ActiveTableEditor()) {
        const TStringGrid *grid = editor->StringGrid1;
        SelectCells(editor, {0, grid->Row(), grid->ColCount() - 1, grid->Row()});
    }
}

void TMainForm::SelectColAction1Execute()
{
    if (TForm_Editor *editor = ActiveTableEditor()) {
        const TStringGrid *grid = editor->StringGrid1;
        SelectCells(editor, {grid->Col(), 0, grid->Col(), grid->RowCount() - 1});
    }
}

void TMainForm::AutosizingColsClick()
{
    if (TForm_Editor *editor = ActiveTableEditor()) editor->AutosizeColumns();
}
