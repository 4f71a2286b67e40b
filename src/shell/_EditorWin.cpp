#include "shell/_EditorWin.h"
#include "platform/Files.h"

#include "platform/Dialogs.h"
#include "platform/StatusBar.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "script/SynHighlighterKAS.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "synedit/SynCompletionProposal.h"
#include "synedit/SynMemo.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QSplitter>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int BookmarkArea = 16;          // pixels from the pane's left edge that open the bookmark menu
constexpr int BookmarkImage = 56;
constexpr int BookmarkItemImage = 58;
constexpr int FixedBookmarkItems = 3;     // Createbookmark1, "Delete all bookmarks", the separator

const int TextPanelWidths[] = {4, 110, 6, 110, 6, 110, 6, 60, 30, 20, 6, 100};
const int TablePanelWidths[] = {4, 50, 65, 6, 60, 65, 6, 70, 55, 6, 50};

// The marker's hint is data for the program, never a tool tip.
class TMarkerImage : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::ToolTip) return true;
        return QLabel::event(e);
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Helpers of this unit

AnsiString PadLeftWithZeros(const AnsiString &text, int width)
{
    if (int(text.size()) >= width) return text;
    return AnsiString(size_t(width) - text.size(), '0') + text;
}

AnsiString BookmarkCaption(const AnsiString &lineText, int lineNumber)
{
    AnsiString text = Trim(lineText);
    if (text.empty()) return IntToStr(lineNumber);
    if (text.size() > 50) text.resize(60 < text.size() ? 60 : text.size());
    return "\"" + text + "\"";
}

TForm_Editor *EditorOf(QWidget *pane)
{
    for (QWidget *w = pane; w; w = w->parentWidget())
        if (auto *editor = qobject_cast<TForm_Editor *>(w)) return editor;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Construction

TForm_Editor::TForm_Editor(QWidget *owner) : QMdiSubWindow(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("Form_Editor");
    CreateComponents();
    if (MainForm && MainForm->MdiArea) MainForm->MdiArea->addSubWindow(this);
    connect(this, &QMdiSubWindow::aboutToActivate, this, [this] { FormActivate(); });
    FormCreate();
}

TForm_Editor::~TForm_Editor()
{
    delete OutlineLines;
    delete DeclarationLines;
    OutlineLines = DeclarationLines = nullptr;   // the tag bar's lists may still be painted
}

AnsiString TForm_Editor::Caption() const { return FCaption; }

void TForm_Editor::SetCaption(const AnsiString &caption)
{
    FCaption = caption;
    setWindowTitle(ToQPath(caption));
}

void TForm_Editor::CreateComponents()
{
    auto *client = new QWidget;
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setWidget(client);

    CreateMenus();
    CreateTableToolBar();
    CreateTagBar();
    CreateTextPane();
    CreateTablePane();
    CreateStatusBars();
    ConnectTableTools();
    ConnectTagBar();

    layout->addWidget(ToolBar1);
    layout->addWidget(ToolBar2);
    layout->addWidget(Memo1, 1);
    layout->addWidget(StringGridPanel, 1);
    layout->addWidget(StatusBar1);
    layout->addWidget(StatusBar2);
}

void TForm_Editor::CreateTextPane()
{
    Memo1 = new TSynMemo;
    Memo1->setObjectName("Memo1");
    Memo1->SetOptions(eoAutoIndent | eoEnhanceHomeKey | eoKeepCaretX | eoScrollPastEol | eoShowScrollHint |
                      eoScrollHintFollows | eoTabsToSpaces | eoTrimTrailingSpaces | eoAutoSizeMaxScrollWidth);
    Memo1->SetRightEdgeColor(clGray);
    Memo1->DropOwnUndoKeys();   // the main window's Undo and Redo take the keys
    SetTabWidth(1);
    if (MainForm && MainForm->PopupMenu2) Memo1->SetPopupMenu(MainForm->PopupMenu2);

    // The pane outlives this window's own part: its teardown may move the focus and fire these.
    connect(Memo1, &TSynMemo::OnChange, &TextPaneContext, [this] { Memo1Change(); });
    connect(Memo1, &TSynMemo::OnKeyDown, &TextPaneContext, [this](int &key, Qt::KeyboardModifiers shift) { Memo1KeyDown(key, shift); });
    connect(Memo1, &TSynMemo::OnKeyUp, &TextPaneContext, [this](int &key, Qt::KeyboardModifiers shift) { Memo1KeyDown(key, shift); });
    connect(Memo1, &TSynMemo::OnKeyPress, &TextPaneContext, [this](char &key) { Memo1KeyPress(key); });
    connect(Memo1, &TSynMemo::OnMouseDown, &TextPaneContext, [this] { Memo1MouseDown(); });
    connect(Memo1, &TSynMemo::OnMouseUp, &TextPaneContext, [this] { Memo1MouseDown(); });
    connect(Memo1, &TSynMemo::OnClick, &TextPaneContext, [this] { Memo1Click(); });
    connect(Memo1, &TSynMemo::OnEnter, &TextPaneContext, [this] { Memo1Click(); });
    // Caret moves by program (search, go to) keep the figures right as well.
    connect(Memo1, &TSynMemo::OnStatusChange, &TextPaneContext, [this] { RefreshTextStatus(); });
    connect(Memo1, &TSynMemo::OnGutterClick, &TextPaneContext,
            [this](Qt::MouseButton button, int x, int y, int line) { Memo1GutterClick(button, x, y, line); });
    connect(Memo1, &TSynMemo::OnMouseMove, &TextPaneContext,
            [this](Qt::KeyboardModifiers shift, int x, int y) { Memo1MouseMove(shift, x, y); });
    connect(Memo1, &TSynMemo::OnReplaceText, &TextPaneContext,
            [this](const AnsiString &found, const AnsiString &replacement, int line, int column, TSynReplaceAction &action) {
                Memo1ReplaceText(found, replacement, line, column, action);
            });
}

void TForm_Editor::CreateTablePane()
{
    StringGridPanel = new QWidget;
    StringGridPanel->setObjectName("StringGridPanel");
    auto *layout = new QVBoxLayout(StringGridPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    StringGrid1 = new TStringGrid;
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->SetRowCount(1);
    StringGrid1->SetColCount(1);
    StringGrid1->SetFixedRows(0);
    StringGrid1->SetFixedCols(0);
    StringGrid1->SetDefaultColWidth(100);
    StringGrid1->SetOptions(StringGrid1->Options() | goColSizing | goRowMoving | goColMoving | goRangeSelect);
    StringGrid1->SetColor(clBtnFace);
    Memo2 = new TSynMemo;
    Memo2->setObjectName("Memo2");
    Memo2->Gutter.SetVisible(false);
    Memo2->SetRightEdge(0);
    Memo2->setMinimumHeight(20);   // the stored cell editor height may be as small as 20 pixels
    Memo2->DropOwnUndoKeys();
    Splitter1->addWidget(StringGrid1);
    Splitter1->addWidget(Memo2);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    layout->addWidget(Splitter1);
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { WantedCellEditorHeight = Memo2->height(); });
    Splitter1->installEventFilter(this);
    StringGridPanel->hide();
}

void TForm_Editor::CreateTableToolBar()
{
    ToolBar1 = new TToolBar;
    ToolBar1->setObjectName("ToolBar1");
    auto button = [this](const char *name, const char *hint) {
        TToolButton *b = ToolBar1->AddButton();
        b->setObjectName(name);
        b->SetHint(hint);
        return b;
    };
    ToolButton1 = button("ToolButton1", "Decrease fixed rows count (Ctrl+Shift+UpArrow)");
    ToolButton2 = button("ToolButton2", "Increase fixed rows count (Ctrl+Shift+DownArrow)");
    ToolButton3 = button("ToolButton3", "Decrease fixed columns count (Ctrl+Shift+LeftArrow)");
    ToolButton4 = button("ToolButton4", "Increase fixed columns count (Ctrl+Shift+RightArrow)");
    // The separator before the column buttons is a button of its own so that it hides with them.
    ToolButton5 = button("ToolButton5", "");
    ToolButton5->setEnabled(false);
    ToolButton5->setAutoRaise(true);
    ToolButton5->setFixedWidth(8);
    ToolButton6 = button("ToolButton6", "Increase columns count (Ctrl+Alt+RightArrow)");
    ToolButton7 = button("ToolButton7", "Decrease columns count (Ctrl+Alt+LeftArrow)");
    ToolButton9 = button("ToolButton9", "Increase rows count (Ctrl+Alt+DownArrow)");
    ToolButton8 = button("ToolButton8", "Decrease rows count (Ctrl+Alt+UpArrow)");
    ToolButton17 = button("ToolButton17", "Insert new column (Shift+Alt+UpArrow)");
    ToolButton18 = button("ToolButton18", "Delete selected column (Shift+Alt+DownArrow)");
    ToolButton12 = button("ToolButton12", "Insert new row (Shift+Alt+LeftArrow)");
    ToolButton13 = button("ToolButton13", "Delete selected row (Shift+Alt+RightArrow)");
    ToolBar1->AddSeparator();
    Edit1 = new QLineEdit("1");
    Edit1->setObjectName("Edit1");
    Edit1->setFixedWidth(50);
    ToolBar1->addWidget(Edit1);
    Edit2 = new QLineEdit("1");
    Edit2->setObjectName("Edit2");
    Edit2->setFixedWidth(50);
    ToolBar1->addWidget(Edit2);
    ToolButton20 = button("ToolButton20", "Use selected width for all columns");
    ToolButton16 = button("ToolButton16", "Align columns with grid width");
    ToolButton22 = button("ToolButton22", "Autosize current column width (Ctrl+Alt+A)");
    ToolBar1->AddSeparator();
    ToolButton10 = button("ToolButton10", "Go to KAS variable (Ctrl+E and F3 for next search)");
    ToolButton19 = button("ToolButton19", "Insert current date (Ctrl+Alt+D)");
    const std::pair<TToolButton *, const char *> captions[] = {
        {ToolButton1, "R-"}, {ToolButton2, "R+"}, {ToolButton3, "C-"}, {ToolButton4, "C+"},
        {ToolButton5, "|"}, {ToolButton6, "+C"}, {ToolButton7, "-C"}, {ToolButton9, "+R"},
        {ToolButton8, "-R"}, {ToolButton17, "iC"}, {ToolButton18, "dC"}, {ToolButton12, "iR"},
        {ToolButton13, "dR"}, {ToolButton20, "W="}, {ToolButton16, "W|"}, {ToolButton22, "W*"},
        {ToolButton10, "Var"}, {ToolButton19, "Date"}};
    for (const auto &[b, caption] : captions) b->SetCaption(caption);
    ToolBar1->hide();
}

void TForm_Editor::CreateTagBar()
{
    ToolBar2 = new TToolBar;
    ToolBar2->setObjectName("ToolBar2");
    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setMinimumWidth(200);
    ComboBox2 = new QComboBox;
    ComboBox2->setObjectName("ComboBox2");
    ComboBox2->setMinimumWidth(200);
    ToolBar2->addWidget(ComboBox1);
    ToolBar2->addWidget(ComboBox2);
    ToolBar2->hide();
}

void TForm_Editor::CreateStatusBars()
{
    StatusBar1 = new TStatusBar;
    StatusBar1->setObjectName("StatusBar1");
    for (int w : TextPanelWidths) StatusBar1->Panels.Add(w);
    StatusBar2 = new TStatusBar;
    StatusBar2->setObjectName("StatusBar2");
    for (int w : TablePanelWidths) StatusBar2->Panels.Add(w);
    StatusBar2->Panels[1].SetText("Row:");
    StatusBar2->Panels[4].SetText("Column:");
    StatusBar2->Panels[7].SetText("Symbols:");
    StatusBar2->Panels[8].SetText("0");
}

void TForm_Editor::CreateMenus()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    Createbookmark1 = PopupMenu1->addAction("Create bookmark");
    Createbookmark1->setObjectName("Createbookmark1");
    Createbookmark1->setData(0);
    connect(Createbookmark1, &QAction::triggered, this, [this] { Createbookmark1Click(); });

    auto radio = [](QMenu *menu, QActionGroup *group, const char *name, const char *caption) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(name);
        item->setCheckable(true);
        group->addAction(item);
        return item;
    };

    PopupMenu5 = new QMenu(this);
    PopupMenu5->setObjectName("PopupMenu5");
    auto *modes = new QActionGroup(PopupMenu5);
    Normal1 = radio(PopupMenu5, modes, "Normal1", "Normal");
    Column1 = radio(PopupMenu5, modes, "Column1", "Column");
    Line1 = radio(PopupMenu5, modes, "Line1", "Line");
    // The keys are handled by the pane (Memo1KeyDown); the menu only shows them.
    const std::pair<QAction *, QKeySequence> modeKeys[] = {{Normal1, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)},
                                                           {Column1, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
                                                           {Line1, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)}};
    for (const auto &[item, key] : modeKeys) {
        item->setShortcut(key);
        item->setShortcutContext(Qt::WidgetShortcut);
    }
    Normal1->setChecked(true);
    connect(Normal1, &QAction::triggered, this, [this] { Normal1Click(); });
    connect(Column1, &QAction::triggered, this, [this] { Column1Click(); });
    connect(Line1, &QAction::triggered, this, [this] { Line1Click(); });

    PopupMenu6 = new QMenu(this);
    PopupMenu6->setObjectName("PopupMenu6");
    auto *editModes = new QActionGroup(PopupMenu6);
    Insert1 = radio(PopupMenu6, editModes, "Insert1", "Insert");
    Overwrite1 = radio(PopupMenu6, editModes, "Overwrite1", "Overwrite");
    Insert1->setChecked(true);

    PopupMenu7 = new QMenu(this);
    PopupMenu7->setObjectName("PopupMenu7");
    auto *widths = new QActionGroup(PopupMenu7);
    TabsOFF1 = radio(PopupMenu7, widths, "TabsOFF1", "Tabs OFF");
    connect(TabsOFF1, &QAction::triggered, this, [this] { TabsOFF1Click(); });
    PopupMenu7->addSeparator();
    for (int width = 2; width <= 10; ++width) {
        const AnsiString name = "TAB" + IntToStr(width) + "symbols1";
        const AnsiString caption = "TAB = " + IntToStr(width) + " symbols";
        QAction *item = radio(PopupMenu7, widths, name.c_str(), caption.c_str());
        item->setData(width);
        TABsymbols[width - 2] = item;
        connect(item, &QAction::triggered, this, [this, item] { TAB2symbols1Click(item); });
    }

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    Item11 = PopupMenu3->addAction("Autoswitching cells");
    Item11->setObjectName("Item11");
    Item11->setCheckable(true);
    Item11->setStatusTip("At mouse moving, the cells automatically gains focus");
    Multiplecellsselection1 = PopupMenu3->addAction("To permit selection of cells range");
    Multiplecellsselection1->setObjectName("Multiplecellsselection1");
    Multiplecellsselection1->setCheckable(true);
    Multiplecellsselection1->setChecked(true);
    QMenu *adding = PopupMenu3->addMenu("Adding of new line");
    Addingofnewline1 = adding->menuAction();
    Addingofnewline1->setObjectName("Addingofnewline1");
    Addingofnewline1->setStatusTip("Adding of new line (for KAT documents)");
    Tocontinueindexing1 = adding->addAction("To continue indexing");
    Tocontinueindexing1->setObjectName("Tocontinueindexing1");
    Tocontinueindexing1->setCheckable(true);
    Tocontinueindexing1->setChecked(true);
    Tofillinblanksofindexing1 = adding->addAction("To fill in blanks of indexing");
    Tofillinblanksofindexing1->setObjectName("Tofillinblanksofindexing1");
    Tofillinblanksofindexing1->setCheckable(true);
    Tofillinblanksofindexing1->setChecked(true);
}

// ---------------------------------------------------------------------------------------------
// Creation and layout by kind

void TForm_Editor::FormCreate()
{
    move(0, 0);
    if (MainForm) {
        ++MainForm->DocumentWindowCounter;
        Tag = std::max(MainForm->MDIChildCount() - 1, 0);
    }
    OutlineLines = new TStringList;
    DeclarationLines = new TStringList;

    const AnsiString kind = MainForm ? MainForm->OpeningKind : AnsiString();
    if (IsTextKind(kind)) {
        StatusBar2->hide();
        ApplyEditorSettings();
        if (MainForm) MainForm->TabSet1->setToolTip(ToQPath(Caption()) + " (Ctrl+Tab)");
        CheckTabWidthItem(Memo1->TabWidth());
        Memo1->SetWantTabs(Memo1->TabWidth() != 1);
        LayOutTextStatusBar();
    } else if (IsTableKind(kind)) {
        StatusBar1->hide();
        LayOutTableStatusBar();
    }
}

void TForm_Editor::ApplyEditorSettings()
{
    if (!MainForm) return;
    Memo1->SetColor(MainForm->EditorColor);
    Memo1->SetSelectedColor(MainForm->EditorSelectedColourBackground, MainForm->EditorSelectedColourForeground);
    Memo1->SetRightEdgeColor(MainForm->EditorRightEdgeColor);
    if (MainForm->EditorFontSize > 0) Memo1->SetFontSize(MainForm->EditorFontSize);
    if (!MainForm->EditorFontName.empty()) Memo1->SetFontName(MainForm->EditorFontName);
    Memo1->Gutter.SetVisible(MainForm->EditorGutterVisible);
    Memo1->SetTabWidth(MainForm->EditorTabWidth);
}

namespace {

QToolButton *StatusButton(TStatusBar *bar, const char *name, const AnsiString &caption, const AnsiString &hint)
{
    auto *b = new QToolButton(bar);
    b->setObjectName(name);
    b->setAutoRaise(true);
    QFont font("Fixedsys");
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(true);
    b->setFont(font);
    b->setText(ToQ(caption));
    b->setToolTip(ToQ(hint));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const int side = std::max(bar->minimumHeight(), bar->sizeHint().height()) - 3;
    b->setFixedSize(side, side);
    b->show();
    return b;
}

QLabel *CreateMarker(TStatusBar *bar, int left)
{
    QLabel *marker = new TMarkerImage(bar);
    marker->setObjectName("ModifiedMarker");
    if (MainForm) marker->setPixmap(MainForm->Image1);
    marker->setAttribute(Qt::WA_TranslucentBackground);
    marker->adjustSize();
    marker->move(left, 3);
    marker->setToolTip("Document was changed");
    marker->raise();
    marker->hide();
    return marker;
}

} // namespace

void TForm_Editor::LayOutTextStatusBar()
{
    HighlighterButton = StatusButton(StatusBar1, "HighlighterButton", "H", "Current window properties: Highlighter ON/OFF");
    HighlighterButton->setCheckable(true);
    SelectionModeButton = StatusButton(StatusBar1, "SelectionModeButton", "N", "Current window properties: Selection mode");
    EditModeButton = StatusButton(StatusBar1, "EditModeButton", "I", "Current window properties: Edit mode");
    TabWidthButton = StatusButton(StatusBar1, "TabWidthButton", "T", "Current window properties: Tabs width");
    for (QToolButton *b : {SelectionModeButton, EditModeButton}) {
        QPalette p = b->palette();
        p.setColor(QPalette::ButtonText, ColorToQColor(0x800000));
        b->setPalette(p);
    }
    int left = StatusBar1->PanelRect(7).left() + 3;
    int total = 0;
    for (QToolButton *b : {HighlighterButton, SelectionModeButton, EditModeButton, TabWidthButton}) {
        b->move(left, 2);
        left += b->width() + 1;
        total += b->width();
        b->raise();
    }
    StatusBar1->Panels[8].SetText(IntToStr(Memo1->TabWidth()));
    connect(HighlighterButton, &QToolButton::clicked, this, [this] { StatusBarButton1Click(); });
    connect(SelectionModeButton, &QToolButton::clicked, this, [this] { StatusBarButton2Click(); });
    connect(EditModeButton, &QToolButton::clicked, this, [this] { StatusBarButton3Click(); });
    connect(TabWidthButton, &QToolButton::clicked, this, [this] { StatusBarButton4Click(); });
    StatusBar1->Panels[7].SetWidth(total + 8);
    ModifiedMarker = CreateMarker(StatusBar1, StatusBar1->PanelRect(9).left() + 3);
}

void TForm_Editor::LayOutTableStatusBar()
{
    GridPropertiesButton = StatusButton(StatusBar2, "GridPropertiesButton", "", "Current window properties");
    if (MainForm) GridPropertiesButton->setIcon(QIcon(MainForm->Image2));
    const int left = StatusBar2->PanelRect(10).left();
    GridPropertiesButton->move(left + 3, 2);
    GridPropertiesButton->raise();
    connect(GridPropertiesButton, &QToolButton::clicked, this, [this] { StatusBarButton5Click(); });
    ModifiedMarker = CreateMarker(StatusBar2, left + GridPropertiesButton->width() + 13);
}

// ---------------------------------------------------------------------------------------------
// Modified marker and cell editor height

bool TForm_Editor::IsModified() const { return ModifiedMarker && !ModifiedMarker->isHidden(); }

void TForm_Editor::SetModified(bool modified)
{
    if (ModifiedMarker) ModifiedMarker->setVisible(modified);
    if (!modified) FChangedBeyondUndo = false;
}

void TForm_Editor::SetChangedBeyondUndo()
{
    SetModified(true);
    FChangedBeyondUndo = true;
}

AnsiString TForm_Editor::ModifiedHint() const { return ModifiedMarker ? FromQ(ModifiedMarker->toolTip()) : AnsiString(); }

void TForm_Editor::SetModifiedHint(const AnsiString &hint)
{
    if (ModifiedMarker) ModifiedMarker->setToolTip(ToQ(hint));
}

int TForm_Editor::CellEditorHeight() const { return WantedCellEditorHeight; }

void TForm_Editor::SetCellEditorHeight(int height)
{
    WantedCellEditorHeight = std::max(height, 0);
    ApplyCellEditorHeight();
}

void TForm_Editor::ApplyCellEditorHeight()
{
    const int total = Splitter1->height() - Splitter1->handleWidth();
    if (!Splitter1->isVisible() || total <= 0) return;   // applied once the pane is laid out
    const int h = std::min(WantedCellEditorHeight, total);
    Splitter1->setSizes({total - h, h});
}

bool TForm_Editor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Splitter1 && (event->type() == QEvent::Show || event->type() == QEvent::Resize))
        ApplyCellEditorHeight();
    return QMdiSubWindow::eventFilter(watched, event);
}

void TForm_Editor::SetHighlighterDown(bool down)
{
    if (HighlighterButton) HighlighterButton->setChecked(down);
    Memo1->SetHighlighter(down && MainForm ? MainForm->SynKASSyn1 : nullptr);
}

// ---------------------------------------------------------------------------------------------
// Activation

void TForm_Editor::FormActivate()
{
    if (MainForm) {
        if (MainForm->SynCompletionProposal1) MainForm->SynCompletionProposal1->Editor = Memo1;
        if (MainForm->SynCompletionProposal2) MainForm->SynCompletionProposal2->Editor = Memo1;
        if (MainForm->TabSet1->count() > Tag) {
            MainForm->TabSet1->setCurrentIndex(Tag);
            MainForm->TabSet1->setToolTip(ToQPath(Caption()) + " (Ctrl+Tab)");
        }
    }
    if (!StringGridPanel->isHidden()) StringGrid1->setFocus();
    if (!Memo1->isHidden()) Memo1->setFocus();
}

void TForm_Editor::resizeEvent(QResizeEvent *event)
{
    QMdiSubWindow::resizeEvent(event);
    FormActivate();
}

// ---------------------------------------------------------------------------------------------
// Text pane status

void TForm_Editor::RefreshTextStatus()
{
    StatusBar1->Panels[1].SetText(IntToStr(Memo1->SelStart()) + "/" + IntToStr(Memo1->GetTextLen()));
    StatusBar1->Panels[3].SetText(IntToStr(Memo1->CaretX()) + " : " + IntToStr(Memo1->CaretY()) + "/" +
                                  IntToStr(Memo1->Lines.Count()));
    StatusBar1->Panels[5].SetText(IntToStr(Memo1->SelLength()));
}

void TForm_Editor::Memo1Change()
{
    SetModified(true);
    SetModifiedHint("Document was changed: Undo count=" + IntToStr(Memo1->UndoCount()) +
                    ", Redo count=" + IntToStr(Memo1->RedoCount()));
    RefreshTextStatus();
    if (MainForm && MainForm->SynCompletionProposal2) MainForm->SynCompletionProposal2->CancelCompletion();
}

void TForm_Editor::Memo1KeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    RefreshTextStatus();
    if (!(Shift & Qt::ShiftModifier) || !(Shift & Qt::ControlModifier)) return;
    if (Key == Qt::Key_L) Line1Click();
    else if (Key == Qt::Key_N) Normal1Click();
    else if (Key == Qt::Key_C) Column1Click();
}

void TForm_Editor::Memo1KeyPress(char &) { RefreshTextStatus(); }
void TForm_Editor::Memo1MouseDown() { RefreshTextStatus(); }
void TForm_Editor::Memo1Click() { RefreshTextStatus(); }

// ---------------------------------------------------------------------------------------------
// Status buttons and their menus

void TForm_Editor::PopUpUnder(QToolButton *button, QMenu *menu)
{
    if (!button || !menu) return;
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void TForm_Editor::StatusBarButton1Click()
{
    SetHighlighterDown(HighlighterButton->isChecked());
}

void TForm_Editor::StatusBarButton2Click() { PopUpUnder(SelectionModeButton, PopupMenu5); }
void TForm_Editor::StatusBarButton3Click() { PopUpUnder(EditModeButton, PopupMenu6); }
void TForm_Editor::StatusBarButton4Click() { PopUpUnder(TabWidthButton, PopupMenu7); }
void TForm_Editor::StatusBarButton5Click() { PopUpUnder(GridPropertiesButton, PopupMenu3); }

// The menu item checked, the pane's selection mode set and the "N" button showing the mode.
void TForm_Editor::ChooseSelectionMode(QAction *item, int mode, const char *buttonCaption)
{
    item->setChecked(true);
    Memo1->SetSelectionMode(TSynSelectionMode(mode));
    if (SelectionModeButton) SelectionModeButton->setText(buttonCaption);
}

void TForm_Editor::Normal1Click() { ChooseSelectionMode(Normal1, smNormal, "N"); }
void TForm_Editor::Column1Click() { ChooseSelectionMode(Column1, smColumn, "C"); }
void TForm_Editor::Line1Click() { ChooseSelectionMode(Line1, smLine, "L"); }

void TForm_Editor::SetTabWidth(int width)
{
    Memo1->SetTabWidth(width);
    if (StatusBar1) StatusBar1->Panels[8].SetText(IntToStr(width));
}

void TForm_Editor::CheckTabWidthItem(int width)
{
    if (width >= 2 && width <= 10)
        TABsymbols[width - 2]->setChecked(true);
    else
        TabsOFF1->setChecked(true);
}

void TForm_Editor::TabsOFF1Click()
{
    TabsOFF1->setChecked(true);
    Memo1->SetWantTabs(false);
    SetTabWidth(1);
}

void TForm_Editor::TAB2symbols1Click(QAction *Sender)
{
    SetTabWidth(Sender->data().toInt());
    Memo1->SetWantTabs(true);
    Sender->setChecked(true);
}

// ---------------------------------------------------------------------------------------------
// Bookmarks

void TForm_Editor::Memo1MouseMove(Qt::KeyboardModifiers, int X, int)
{
    Memo1->setToolTip(X < BookmarkArea ? "Click the left button of the mouse for bookmarks management" : "");
}

void TForm_Editor::Memo1GutterClick(Qt::MouseButton, int X, int Y, int Line)
{
    if (Memo1->CaretY() != Line) Memo1->SetCaretY(Line);
    if (X >= BookmarkArea) return;
    bool marked = false;
    for (int i : Memo1->Marks.MarksOnLine(Line))
        if (Memo1->Marks[i].Visible()) marked = true;
    Createbookmark1->setText(marked ? "Delete bookmark" : "Create bookmark");
    Createbookmark1->setData(marked ? 1 : 0);
    PopupMenu1->popup(Memo1->mapToGlobal(QPoint(X, Y)));
}

void TForm_Editor::Createbookmark1Click()
{
    if (Createbookmark1->data().toInt() == 0)
        AddBookmark();
    else
        DeleteBookmarkOnCaretLine();
}

// A line holds at most one bookmark: one already there goes first, with its menu item, so that the
// menu keeps one item per mark in mark order.
void TForm_Editor::AddBookmark()
{
    const int line = Memo1->CaretY();
    while (!Memo1->Marks.MarksOnLine(line).empty()) DeleteBookmarkOnCaretLine();

    TSynEditMark mark;
    mark.SetLine(line);
    mark.Char = Memo1->CaretX();
    mark.SetImageIndex(BookmarkImage);
    mark.SetVisible(true);
    mark.InternalImage = false;
    Memo1->Marks.Place(mark);
    const int number = Memo1->Marks.Count();

    if (number == 1) {
        DeleteAllItem = PopupMenu1->addAction("Delete all bookmarks");
        DeleteAllItem->setObjectName("DeleteAllMenu");
        DeleteAllItem->setData(5);   // image index
        connect(DeleteAllItem, &QAction::triggered, this, [this] { DeleteAllMenuClick(); });
        BookmarkSeparator = PopupMenu1->addSeparator();
    }
    QAction *item = PopupMenu1->addAction(LiteralMenuCaption(ToQ(BookmarkCaption(Memo1->Lines.Strings(line - 1), line))));
    item->setData(number);
    item->setProperty("ImageIndex", BookmarkItemImage);
    connect(item, &QAction::triggered, this, [this, item] { BookmarkMenuClick(item); });
}

void TForm_Editor::DeleteBookmarkOnCaretLine()
{
    const int line = Memo1->CaretY();
    const QList<QAction *> items = PopupMenu1->actions();
    for (int i = Memo1->Marks.Count() - 1; i >= 0; --i) {
        QAction *item = i + FixedBookmarkItems < items.size() ? items[i + FixedBookmarkItems] : nullptr;
        if (item) item->setData(item->data().toInt() - 1);
        if (Memo1->Marks[i].Line() == line) {
            Memo1->Marks.Delete(i);
            delete item;
            break;
        }
    }
    if (Memo1->Marks.Count() == 0 && DeleteAllItem) {
        delete DeleteAllItem;
        delete BookmarkSeparator;
        DeleteAllItem = BookmarkSeparator = nullptr;
    }
}

void TForm_Editor::BookmarkMenuClick(QAction *Sender)
{
    const int index = Sender->data().toInt() - 1;
    if (index < 0 || index >= Memo1->Marks.Count()) return;
    const TSynEditMark &mark = Memo1->Marks[index];
    Memo1->SetCaretXY({mark.Char, mark.Line()});
    Memo1->SetTopLine(mark.Line());
}

void TForm_Editor::DeleteAllMenuClick()
{
    for (QAction *item : PopupMenu1->actions())
        if (item != Createbookmark1) delete item;
    DeleteAllItem = BookmarkSeparator = nullptr;
    Memo1->Marks.Clear();
}

// ---------------------------------------------------------------------------------------------
// Closing

void TForm_Editor::StoreLayout(bool wasActive)
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, true)) return;
    // One disk write for the whole layout: a wide table has a value per column.
    reg.BeginUpdate();
    if (wasActive && FileExistsWithFolder(Caption())) reg.WriteString("LastFile", Caption());
    if (IsTableKind(DocumentKind)) {
        for (int i = 0; i < StringGrid1->ColCount(); ++i)
            reg.WriteInteger(DocumentKind + "_ColumnWidth" + IntToStr(i), StringGrid1->ColWidths(i));
        reg.WriteInteger(DocumentKind + "_FixedCols", StringGrid1->FixedCols());
        reg.WriteInteger(DocumentKind + "_FixedRows", StringGrid1->FixedRows());
    }
    reg.WriteInteger("EditCellFied_Height", CellEditorHeight());
    reg.EndUpdate();
    reg.CloseKey();
}

// Yes saves under a name the user chooses; the window may close only when the document was
// written whole, so a cancelled dialog or a failed write keeps it (and stops a shut-down).
void TForm_Editor::AskToSave(bool &CanClose)
{
    if (MainForm && MainForm->MdiArea) MainForm->MdiArea->setActiveSubWindow(this);
    raise();
    const AnsiString text = "Document \"" + Caption() + "\" changed. Do you want to save the document?";
    switch (MessageBox(nullptr, text, "Quillet", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        CanClose = false;   // stays so when the save does not come back
        CanClose = MainForm && MainForm->SaveDocumentAs(this);
        break;
    case IDNO: CanClose = true; break;
    default: CanClose = false; break;
    }
}

void TForm_Editor::FormCloseQuery(bool &CanClose)
{
    FormCloseQuery(CanClose, MainForm && MainForm->ActiveMDIChild() == this);
}

void TForm_Editor::FormCloseQuery(bool &CanClose, bool wasActive)
{
    CanClose = true;
    try {
        StoreLayout(wasActive);
    } catch (const std::exception &e) {
        if (MainForm)
            MainForm->ReportSettingsFailure(e, "_EditorWin", "TForm_Editor::FormCloseQuery");
        else
            ShowHandlerException(e, "_EditorWin", "TForm_Editor::FormCloseQuery");
    }
    try {
        if (IsModified()) AskToSave(CanClose);
    } catch (const std::exception &e) {
        ShowHandlerException(e, "_EditorWin", "TForm_Editor::FormCloseQuery");
    }
}

bool TForm_Editor::OfferToSave()
{
    bool keepGoing = true;
    if (IsModified()) AskToSave(keepGoing);
    return keepGoing;
}

void TForm_Editor::FormClose()
{
    if (Closed) return;
    Closed = true;
    try {
        if (MainForm) {
            for (int i = 0; i < MainForm->MDIChildCount(); ++i) {
                auto *other = qobject_cast<TForm_Editor *>(MainForm->MDIChildren(i));
                if (other && other != this && other->Tag > Tag) --other->Tag;
            }
            QTabBar *tabs = MainForm->TabSet1;
            if (Tag >= 0 && Tag < tabs->count()) tabs->removeTab(Tag);
            if (tabs->count() == 0) tabs->hide();
        }
    } catch (const std::exception &e) {
        ShowHandlerException(e, "_EditorWin", "TForm_Editor::FormClose");
    }
}

void TForm_Editor::closeEvent(QCloseEvent *event)
{
    if (!Closed) {
        bool canClose = true;
        FormCloseQuery(canClose);
        if (!canClose) {
            event->ignore();
            return;
        }
        FormClose();
    }
    QMdiSubWindow::closeEvent(event);
}
