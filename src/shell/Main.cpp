#include "shell/Main.h"
#include "platform/Files.h"

#include "common/Utils.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/FieldText.h"
#include "platform/SettingsFile.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"
#include "platform/StatusBar.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "platform/TRegistry.h"
#include "platform/WindowMessages.h"
#include "platform/WindowBounds.h"
#include "script/SynHighlighterKAS.h"
#include "shell/About.h"
#include "shell/DocumentFiles.h"
#include "shell/Splashwin.h"
#include "shell/_EditorWin.h"
#include "synedit/SynCompletionProposal.h"
#include "synedit/SynMemo.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMimeData>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TMainForm *MainForm = nullptr;
TNamedSemaphore *InstanceSemaphore = nullptr;

namespace {

// Defaults written at start-up: a settings file that cannot be written must not stop the program.
// The first failure is kept, to be told once the window shows.
template <typename Write> void WriteQuietly(AnsiString &failure, Write write)
{
    try {
        write();
    } catch (const ERegistryException &e) {
        if (failure.empty()) failure = e.Message();
    }
}

AnsiString Quoted(const AnsiString &text) { return "\"" + text + "\""; }

AnsiString WithoutTrailingSlash(AnsiString path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}

// How long the second copy waits for each answer of the first one. QUILLET_HANDOVER_TIMEOUT_MS
// shortens it for tests of a first copy that hangs.
constexpr int ChannelWaitMs = 5000;

int HandOverTimeoutMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("QUILLET_HANDOVER_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : 30000;
}

bool ReadOpenTXTAsCMD()
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, true)) return false;
    const bool on = ReadBoolOr(reg, "OpenTXTAsCMD", false);
    reg.CloseKey();
    return on;
}

QPixmap MarkerPicture()
{
    QPixmap picture(12, 12);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x80, 0x10, 0x10), 1));
    p.setBrush(QColor(0xE0, 0x30, 0x30));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return picture;
}

QPixmap PropertiesPicture()
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(QColor(0x30, 0x30, 0x60));
    p.setBrush(QColor(0xF0, 0xF0, 0xFF));
    p.drawRect(1, 2, 13, 11);
    p.drawLine(1, 5, 14, 5);
    p.drawLine(6, 2, 6, 13);
    return picture;
}

QPixmap ProgramPicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1B, 0x22, 0x3A));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    QPainterPath vane;
    vane.moveTo(9, 25);
    vane.cubicTo(12, 16, 19, 9, 26, 5);
    vane.cubicTo(24, 12, 19, 20, 11, 25);
    vane.closeSubpath();
    p.setBrush(QColor(0xF3, 0xEC, 0xC8));
    p.drawPath(vane);
    p.setPen(QPen(QColor(0xDA, 0xC5, 0x4E), 1.6));
    p.drawLine(QPointF(7, 28), QPointF(25, 6));
    return picture;
}

// A tool-bar glyph for actions without a standard icon: a short text on a tinted square.
QIcon GlyphIcon(const QString &text, const QColor &tint)
{
    QPixmap picture(20, 20);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(tint.darker(140), 1));
    p.setBrush(tint.lighter(175));
    p.drawRoundedRect(QRectF(1.5, 1.5, 17, 17), 3, 3);
    QFont font("DejaVu Sans");
    font.setPixelSize(text.size() > 1 ? 9 : 12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(tint.darker(170));
    p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, text);
    return QIcon(picture);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

TMainForm::TMainForm(QWidget *owner) : QMainWindow(owner)
{
    setObjectName("MainForm");
    MainForm = this;
    SetApplicationWindow(this);
    CreateComponents();
    resize(0, 0);
    FormCreate();
}

TMainForm::~TMainForm()
{
    // The document windows go first, while this window is still whole: destroying one activates
    // the next, and neither that signal nor the frame's events may reach a half-destroyed window.
    MdiArea->disconnect(this);
    TabSet1->disconnect(this);
    MdiArea->removeEventFilter(this);
    if (BannerImage) BannerImage->removeEventFilter(this);
    qDeleteAll(MdiArea->subWindowList());
    delete TC_FileNames;
    delete TC_Titles;
    delete TC_CommandLines;
    delete TC_Macros;
    delete SclTable;
    delete SynCompletionProposal1;
    delete SynCompletionProposal2;
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::CreateComponents()
{
    Image1 = MarkerPicture();
    Image2 = PropertiesPicture();
    Image3 = ProgramPicture();

    SynCompletionProposal1 = new TSynCompletionProposal;
    SynCompletionProposal1->Options = scoAnsiStrings | scoTitleIsCentered | scoUseInsertList | scoUsePrettyText;
    SynCompletionProposal1->NbLinesInWindow = 8;
    SynCompletionProposal1->Width = 300;
    SynCompletionProposal1->BiggestWord = "123456789012345";
    SynCompletionProposal1->ShortCut = QKeySequence(Qt::Key_Insert);
    SynCompletionProposal1->TriggerChars = " ";
    SynCompletionProposal1->EndOfTokenChr = " ";
    SynCompletionProposal1->TimerInterval = -1;

    SynCompletionProposal2 = new TSynCompletionProposal;
    SynCompletionProposal2->Options =
        scoAnsiStrings | scoUseInsertList | scoUsePrettyText | scoUseBuiltInTimer | scoEndCharCompletion;
    SynCompletionProposal2->NbLinesInWindow = 10;
    SynCompletionProposal2->Width = 300;
    SynCompletionProposal2->BiggestWord = "123456789012345";
    SynCompletionProposal2->ShortCut = QKeySequence(Qt::CTRL | Qt::Key_Space);
    SynCompletionProposal2->EndOfTokenChr = " :;!$#?";
    SynCompletionProposal2->TriggerChars = ":!$#?";
    SynCompletionProposal2->TimerInterval = 1000;

    SynKASSyn1 = new TSynKASSyn(this);
    SynKASSyn1->SetDefaultFilter("KAS files (*.kas)|*.kas");

    MdiArea = new QMdiArea;
    MdiArea->setObjectName("MdiArea");
    MdiArea->setBackground(QColor(0x80, 0x80, 0x80));
    MdiArea->installEventFilter(this);
    connect(MdiArea, &QMdiArea::subWindowActivated, this, [this] { ActionList1Update(); });

    TabSet1 = new QTabBar;
    TabSet1->setObjectName("TabSet1");
    TabSet1->setShape(QTabBar::RoundedSouth);
    TabSet1->setDrawBase(false);
    TabSet1->setExpanding(false);
    TabSet1->setUsesScrollButtons(true);
    TabSet1->setContextMenuPolicy(Qt::CustomContextMenu);
    TabSet1->hide();
    connect(TabSet1, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0) TabSet1->setCurrentIndex(index);
        TabSet1Click();
    });
    connect(TabSet1, &QTabBar::customContextMenuRequested, this, [this](const QPoint &at) {
        if (TabSetPopupMenu) TabSetPopupMenu->popup(TabSet1->mapToGlobal(at));
    });

    auto *client = new QWidget;
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(MdiArea, 1);
    layout->addWidget(TabSet1);
    setCentralWidget(client);

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->Panels.Add(ScreenWidth());
    StatusBar1->Panels.Add(400);
    setStatusBar(StatusBar1);

    ActionList1 = new TActionList(this);
    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateBanner();
    ConnectActions();
}

// Every action of the main window. Those whose commands are not part of this window's own code are
// created disabled; their parts of the program give them their handlers.
void TMainForm::CreateActions()
{
    struct ActionDef
    {
        TAction *TMainForm::*Member;
        const char *Name, *Caption, *Hint;
        QKeySequence Shortcut;
    };
    const auto key = [](QKeyCombination k) { return QKeySequence(k); };
    const ActionDef actions[] = {
        {&TMainForm::NewDoc, "NewDoc", "New document / Favourites ...",
         "Create new document / Open favourite document... (Ctrl+N)", key(Qt::CTRL | Qt::Key_N)},
        {&TMainForm::FileOpen1, "FileOpen1", "Open", "Open document (Ctrl+O)", key(Qt::CTRL | Qt::Key_O)},
        {&TMainForm::FileSave1, "FileSave1", "Save", "Save current document (Ctrl+S)", key(Qt::CTRL | Qt::Key_S)},
        {&TMainForm::FileSaveAs1, "FileSaveAs1", "Save As...", "Save current document with different name", {}},
        {&TMainForm::FileSaveAll1, "FileSaveAll1", "Save All...", "Save all opened documents", {}},
        {&TMainForm::PrintAction1, "PrintAction1", "Print...", "Print current document (Ctrl+P)",
         key(Qt::CTRL | Qt::Key_P)},
        {&TMainForm::FileExit1, "FileExit1", "Exit", "Exit", key(Qt::ALT | Qt::Key_F4)},

        {&TMainForm::Undo_Action1, "Undo_Action1", "Undo", "Undo (Ctrl+Z)", key(Qt::CTRL | Qt::Key_Z)},
        {&TMainForm::Redo_Action1, "Redo_Action1", "Redo", "Redo (Ctrl+Alt+Z)", key(Qt::CTRL | Qt::ALT | Qt::Key_Z)},
        {&TMainForm::EditDelete1, "EditDelete1", "Delete", "Delete the selection (Ctrl+D)", key(Qt::CTRL | Qt::Key_D)},
        {&TMainForm::SearhAction1, "SearhAction1", "Fined...", "Fined text (Ctrl+F)", key(Qt::CTRL | Qt::Key_F)},
        {&TMainForm::FindNextAction1, "FindNextAction1", "Find next", "Find next (F3)", key(Qt::Key_F3)},
        {&TMainForm::FindPreviousAction1, "FindPreviousAction1", "Find previous", "Find previous", {}},
        {&TMainForm::ReplaceAction1, "ReplaceAction1", "Replace...", "Replace text (Ctrl+R)", key(Qt::CTRL | Qt::Key_R)},
        {&TMainForm::GoToAction1, "GoToAction1", "Go to...", "Go to line or symbol... (Ctrl+Alt+G)",
         key(Qt::CTRL | Qt::ALT | Qt::Key_G)},

        {&TMainForm::CopyCellAction1, "CopyCellAction1", "Copy selected cells",
         "Copy selected cells to clipboard (Ctrl+F2)", key(Qt::CTRL | Qt::Key_F2)},
        {&TMainForm::PasteCellAction1, "PasteCellAction1", "Paste to table", "Paste to table from clipboard (Ctrl+F3)",
         key(Qt::CTRL | Qt::Key_F3)},
        {&TMainForm::ClearCellAction1, "ClearCellAction1", "Clear selected cells", "Clear selected cells (Shift+Ctrl+F3)",
         key(Qt::SHIFT | Qt::CTRL | Qt::Key_F3)},
        {&TMainForm::SelectAllCellsAction1, "SelectAllCellsAction1", "Select all cells", "Select all cells (Ctrl+Alt+W)",
         key(Qt::CTRL | Qt::ALT | Qt::Key_W)},
        {&TMainForm::SelectRowAction1, "SelectRowAction1", "Select current row", "Select current row  (Ctrl+F1)",
         key(Qt::CTRL | Qt::Key_F1)},
        {&TMainForm::SelectColAction1, "SelectColAction1", "Select current column",
         "Select current column (Shift+Ctrl+F1)", key(Qt::SHIFT | Qt::CTRL | Qt::Key_F1)},
        {&TMainForm::AutosizingCols, "AutosizingCols", "Autosize all columns", "Autosize all columns", {}},

        {&TMainForm::InformScr_Action1, "InformScr_Action1", "About document...",
         "Get information about document (Ctrl+Alt+I)", key(Qt::CTRL | Qt::ALT | Qt::Key_I)},
        {&TMainForm::EdInformScr_Action1, "EdInformScr_Action1", "Edit document information...",
         "Edit information about document (Ctrl+Alt+E)", key(Qt::CTRL | Qt::ALT | Qt::Key_E)},
        {&TMainForm::FIL_Action1, "FIL_Action1", "Select \"Fast Insert List\"",
         "Select \"Fast Insert List\" (Ctrl+Alt+Ins)", key(Qt::CTRL | Qt::ALT | Qt::Key_Insert)},
        {&TMainForm::VarManAction1, "VarManAction1", "Analyzer",
         "Show variables, functions, macro names Analyzer (Ctrl+Alt+V)", key(Qt::CTRL | Qt::ALT | Qt::Key_V)},
        {&TMainForm::GoToKATIndexAction, "GoToKATIndexAction", "Go to KAT index", "Go to KAT index (Ctrl+E)",
         key(Qt::CTRL | Qt::Key_E)},

        {&TMainForm::ConfigureTools1, "ConfigureTools1", "Tools setup", "Configure custom tools (Ctrl+Alt+T)",
         key(Qt::CTRL | Qt::ALT | Qt::Key_T)},
        {&TMainForm::CheckSyntax, "CheckSyntax", "Check syntax", "Check script syntax (F9)", key(Qt::Key_F9)},
        {&TMainForm::TextresourcemanagerAction1, "TextresourcemanagerAction1", "Text resource manager",
         "Text resource manager (F7)", key(Qt::Key_F7)},
        {&TMainForm::ReKATtifyAction, "ReKATtifyAction", "De-KATtify script", "De-KATtify current script (F10)",
         key(Qt::Key_F10)},
        {&TMainForm::KASFCAction1, "KASFCAction1", "KAS file converter", "KAS file converter (F8)", key(Qt::Key_F8)},

        {&TMainForm::Settings1, "Settings1", "Settings...", "Main settings (Ctrl+Alt+P)",
         key(Qt::CTRL | Qt::ALT | Qt::Key_P)},

        {&TMainForm::OpenKASAction1, "OpenKASAction1", "Open KAS document", "Open KAS document for current project", {}},
        {&TMainForm::OpenKAOAction1, "OpenKAOAction1", "Open KAO document", "Open KAO document", {}},
        {&TMainForm::OpenKATAction1, "OpenKATAction1", "Open KAT document", "Open KAT document", {}},
        {&TMainForm::OpenTXTAction1, "OpenTXTAction1", "Open TXT document", "Open TXT document", {}},
        {&TMainForm::RefreshDocAction1, "RefreshDocAction1", "Reopen document", "Reopen current document (Ctrl+Alt+R)",
         key(Qt::CTRL | Qt::ALT | Qt::Key_R)},
        {&TMainForm::ReOpenAsTableAction1, "ReOpenAsTableAction1", "Reopen as table",
         "Reopen current text document as table (Ctrl+Alt+Q)", key(Qt::CTRL | Qt::ALT | Qt::Key_Q)},
        {&TMainForm::FFLAction1, "FFLAction1", "Add to favourites list", "Add this file to favourites list", {}},
        {&TMainForm::MaximizedWin_Action1, "MaximizedWin_Action1", "Maximized", "Maximized", {}},

        {&TMainForm::KASHelp1, "KASHelp1", "KAS - Help", "Keyed Action Script - Help (F1)", key(Qt::Key_F1)},
        {&TMainForm::KASHTMLAction1, "KASHTMLAction1", "KAS - Help (HTML)",
         "Keyed Action Script - Help, HTML version (F5)", key(Qt::Key_F5)},
        {&TMainForm::QUILHelp1, "QUILHelp1", "Quillet - Help", "Quillet - Help (F2)", key(Qt::Key_F2)},
        {&TMainForm::SetpathtoKASHelp1, "SetpathtoKASHelp1", "Set path to KAS help...", "Set path to KAS Help", {}},
        {&TMainForm::SetpathtoKASHelpHTML1, "SetpathtoKASHelpHTML1", "Set path to KAS help (HTML)...",
         "Set path to KAS Help (HTML version)", {}},
        {&TMainForm::SetpathtoQuillethelp1, "SetpathtoQuillethelp1", "Set path to Quillet help...",
         "Set path to Quillet help", {}},
        {&TMainForm::I_Action1, "I_Action1", "Quillet author...", "Quillet author", {}},
        {&TMainForm::HelpAbout1, "HelpAbout1", "About...", "About \"Quillet\"", {}},
    };
    for (const ActionDef &s : actions) {
        auto *action = ActionList1->Add(s.Caption);
        action->setObjectName(s.Name);
        action->SetHint(s.Hint);
        if (!s.Shortcut.isEmpty()) action->SetShortCut(s.Shortcut);
        action->SetEnabled(false);
        this->*s.Member = action;
    }
    // The redo keys users know from other editors lead to the same command.
    Redo_Action1->setShortcuts({Redo_Action1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y),
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
}

void TMainForm::CreateMenus()
{
    MainMenu1 = menuBar();

    File1 = MainMenu1->addMenu("&File");
    File1->addAction(NewDoc);
    File1->addAction(FileOpen1);
    Reopen1 = File1->addMenu("Reopen");
    Reopen1->setObjectName("Reopen1");
    Reopen1->menuAction()->setStatusTip("Reopen documents...");
    Reopen1->setEnabled(false);
    File1->addSeparator();
    File1->addAction(FileSave1);
    File1->addAction(FileSaveAs1);
    File1->addAction(FileSaveAll1);
    File1->addSeparator();
    File1->addAction(PrintAction1);
    File1->addSeparator();
    File1->addAction(FileExit1);

    Edit1 = MainMenu1->addMenu("&Edit");
    Edit1->addAction(Undo_Action1);
    Edit1->addAction(Redo_Action1);
    Edit1->addAction(EditDelete1);
    Edit1->addSeparator();
    Edit1->addAction(SearhAction1);
    Edit1->addAction(FindNextAction1);
    Edit1->addAction(FindPreviousAction1);
    Edit1->addAction(ReplaceAction1);
    Edit1->addSeparator();
    Edit1->addAction(GoToAction1);

    Table1 = MainMenu1->addMenu("&Table");
    Table1->addAction(CopyCellAction1);
    Table1->addAction(PasteCellAction1);
    Table1->addAction(ClearCellAction1);
    Table1->addSeparator();
    Table1->addAction(SelectAllCellsAction1);
    Table1->addAction(SelectRowAction1);
    Table1->addAction(SelectColAction1);
    Table1->addSeparator();
    Table1->addAction(AutosizingCols);
    AutosizingColsMenu = new QMenu(this);
    AutosizingColsMenu->addAction(AutosizingCols);

    Services1 = MainMenu1->addMenu("&Services");
    Services1->addAction(InformScr_Action1);
    Services1->addAction(EdInformScr_Action1);
    Services1->addSeparator();
    Services1->addAction(FIL_Action1);
    Services1->addAction(VarManAction1);
    Services1->addAction(GoToKATIndexAction);

    Toolls1 = MainMenu1->addMenu("T&ools");
    Toolls1->setObjectName("Toolls1");
    Toolls1->addAction(ConfigureTools1);
    Toolls1->addSeparator();
    Toolls1->addAction(CheckSyntax);
    Toolls1->addAction(TextresourcemanagerAction1);
    Toolls1->addAction(ReKATtifyAction);
    Toolls1->addAction(KASFCAction1);
    Toolls1->addSeparator();

    Options1 = MainMenu1->addMenu("O&ptions");
    Options1->addAction(Settings1);

    Window1 = MainMenu1->addMenu("&Window");
    Window1->setObjectName("Window1");
    connect(Window1, &QMenu::aboutToShow, this, &TMainForm::RefreshWindowMenu);
    RefreshWindowMenu();

    Help1 = MainMenu1->addMenu("&Help");
    Help1->addAction(KASHelp1);
    Help1->addAction(KASHTMLAction1);
    Help1->addAction(QUILHelp1);
    Help1->addSeparator();
    Help1->addAction(SetpathtoKASHelp1);
    Help1->addAction(SetpathtoKASHelpHTML1);
    Help1->addAction(SetpathtoQuillethelp1);
    Help1->addSeparator();
    Help1->addAction(I_Action1);
    // The menu item has its own caption; it runs the action.
    QAction *about = Help1->addAction("About \"Quillet\"...");
    about->setStatusTip(HelpAbout1->statusTip());
    connect(about, &QAction::triggered, this, [this] { TAction::RunGuarded([this] { HelpAbout1->Execute(); }); });
    connect(HelpAbout1, &QAction::enabledChanged, about, &QAction::setEnabled);
    about->setEnabled(HelpAbout1->isEnabled());

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    PopupMenu2->addAction(Undo_Action1);
    PopupMenu2->addAction(Redo_Action1);
    PopupMenu2->addAction(EditDelete1);
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(SearhAction1);
    PopupMenu2->addAction(FindNextAction1);
    PopupMenu2->addAction(ReplaceAction1);
    PopupMenu2->addAction(GoToAction1);
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(GoToKATIndexAction);
    PopupMenu2->addAction(FFLAction1);

    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName("PopupMenu4");

    TabSetPopupMenu = new QMenu(this);
    TabSetPopupMenu->addAction(MaximizedWin_Action1);
    TabSetPopupMenu->addSeparator();
    TabSetPopupMenu->addAction(OpenKASAction1);
    TabSetPopupMenu->addAction(OpenKAOAction1);
    TabSetPopupMenu->addAction(OpenKATAction1);
    TabSetPopupMenu->addAction(OpenTXTAction1);
    TabSetPopupMenu->addSeparator();
    TabSetPopupMenu->addAction(FFLAction1);
}

// The fixed items of the Window menu, then one checkable item per open document window.
void TMainForm::RefreshWindowMenu()
{
    Window1->clear();
    Window1->addAction(OpenKASAction1);
    Window1->addAction(OpenKAOAction1);
    Window1->addAction(OpenKATAction1);
    Window1->addAction(OpenTXTAction1);
    Window1->addSeparator();
    Window1->addAction(RefreshDocAction1);
    Window1->addAction(ReOpenAsTableAction1);
    Window1->addSeparator();
    Window1->addAction(FFLAction1);
    Window1->addAction(MaximizedWin_Action1);
    const int count = MDIChildCount();
    if (count == 0) return;
    Window1->addSeparator();
    QMdiSubWindow *active = ActiveMDIChild();
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow *window = MDIChildren(i);
        QAction *item = Window1->addAction(QString("%1 %2").arg(i + 1).arg(LiteralMenuCaption(window->windowTitle())));
        item->setCheckable(true);
        item->setChecked(window == active);
        connect(item, &QAction::triggered, this, [this, window] {
            if (MdiArea->subWindowList().contains(window)) MdiArea->setActiveSubWindow(window);
        });
    }
}

void TMainForm::CreateToolBars()
{
    QStyle *st = style();
    NewDoc->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    FileOpen1->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    FileSave1->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    FileSaveAll1->setIcon(GlyphIcon("S+", QColor(0x30, 0x60, 0xB0)));
    PrintAction1->setIcon(GlyphIcon("P", QColor(0x50, 0x50, 0x50)));
    Undo_Action1->setIcon(st->standardIcon(QStyle::SP_ArrowBack));
    Redo_Action1->setIcon(st->standardIcon(QStyle::SP_ArrowForward));
    SearhAction1->setIcon(GlyphIcon("F", QColor(0x20, 0x80, 0x40)));
    FindNextAction1->setIcon(GlyphIcon("F>", QColor(0x20, 0x80, 0x40)));
    FindPreviousAction1->setIcon(GlyphIcon("<F", QColor(0x20, 0x80, 0x40)));
    ReplaceAction1->setIcon(GlyphIcon("R", QColor(0x20, 0x80, 0x40)));
    InformScr_Action1->setIcon(st->standardIcon(QStyle::SP_FileDialogInfoView));
    EdInformScr_Action1->setIcon(GlyphIcon("i", QColor(0x90, 0x60, 0x10)));
    FIL_Action1->setIcon(GlyphIcon("IL", QColor(0x70, 0x30, 0x90)));
    VarManAction1->setIcon(GlyphIcon("A", QColor(0x70, 0x30, 0x90)));
    CheckSyntax->setIcon(GlyphIcon("\u2713", QColor(0x40, 0x40, 0x40)));
    KASHelp1->setIcon(GlyphIcon("?", QColor(0x20, 0x50, 0xA0)));
    FileExit1->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));

    ToolBar3 = new TToolBar(this);
    ToolBar3->setObjectName("ToolBar3");
    ToolBar3->setWindowTitle("Main");
    ToolBar3->setMovable(false);
    ToolBar3->setIconSize(QSize(20, 20));
    addToolBar(ToolBar3);
    ToolBar3->AddButton(NewDoc);
    OpenToolButton = ToolBar3->AddButton(FileOpen1);
    OpenToolButton->SetDropdownMenu(PopupMenu4);
    ToolBar3->AddButton(FileSave1);
    ToolBar3->AddButton(FileSaveAll1);
    ToolBar3->AddSeparator();
    ToolBar3->AddButton(PrintAction1);
    ToolBar3->AddSeparator();
    ToolBar3->AddButton(Undo_Action1);
    ToolBar3->AddButton(Redo_Action1);
    ToolBar3->AddSeparator();
    ToolBar3->AddButton(SearhAction1);
    ToolBar3->AddButton(ReplaceAction1);
    ToolBar3->AddSeparator();
    ToolBar3->AddButton(InformScr_Action1);
    ToolBar3->AddButton(EdInformScr_Action1);
    ToolBar3->AddButton(FIL_Action1);
    ToolBar3->AddButton(VarManAction1);
    ToolBar3->AddButton(CheckSyntax);
    ToolBar3->AddSeparator();
    ToolBar3->AddButton(KASHelp1);

    ToolBar4 = new TToolBar(this);
    ToolBar4->setObjectName("ToolBar4");
    ToolBar4->setWindowTitle("Search");
    ToolBar4->setMovable(false);
    ToolBar4->setIconSize(QSize(20, 20));
    addToolBar(ToolBar4);
    ToolBar4->AddButton(FindPreviousAction1);
    ToolBar4->AddButton(FindNextAction1);
}

void TMainForm::CreateBanner()
{
    BannerPanel = new QFrame(MdiArea);
    BannerPanel->setObjectName("BannerPanel");
    BannerPanel->setFrameShape(QFrame::NoFrame);
    BannerPanel->setFixedSize(360, 150);
    BannerImage = new QLabel(BannerPanel);
    BannerImage->setObjectName("BannerImage");
    BannerImage->setGeometry(0, 0, 360, 150);
    BannerImage->setCursor(Qt::PointingHandCursor);
    BannerImage->setToolTip("Help files of Quillet are written with Sphinx");
    BannerImage->installEventFilter(this);

    QPixmap picture(360, 150);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xDA, 0xC5, 0x4E), 1.5));
    p.setBrush(QColor(0x1B, 0x22, 0x3A, 235));
    p.drawRoundedRect(QRectF(1, 1, 358, 148), 10, 10);
    p.drawPixmap(22, 30, Image3.scaled(56, 56, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    QFont title("DejaVu Serif");
    title.setPixelSize(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0xDA, 0xC5, 0x4E));
    p.drawText(QRect(96, 22, 250, 40), Qt::AlignLeft | Qt::AlignVCenter, "Quillet");
    QFont text("DejaVu Sans");
    text.setPixelSize(12);
    p.setFont(text);
    p.setPen(QColor(0xE0, 0xE0, 0xE8));
    p.drawText(QRect(98, 62, 250, 20), Qt::AlignLeft | Qt::AlignVCenter, "KAS script and table editor");
    p.setPen(QColor(0xB0, 0xB4, 0xC8));
    p.drawText(QRect(98, 84, 250, 20), Qt::AlignLeft | Qt::AlignVCenter, "Ctrl+O  open a document");
    p.drawText(QRect(98, 102, 250, 20), Qt::AlignLeft | Qt::AlignVCenter, "Ctrl+N  new document / favourites");
    p.end();
    BannerImage->setPixmap(picture);
}

// The handlers of the actions. An action without a handler stays disabled.
void TMainForm::ConnectActions()
{
    BindAction(FileExit1, &TMainForm::FileExit1Execute);
    BindAction(HelpAbout1, &TMainForm::HelpAbout1Execute);
    BindAction(MaximizedWin_Action1, &TMainForm::Maximixed1Click, &TMainForm::MaximizedWin_Action1Update);
    BindAction(FileOpen1, &TMainForm::FileOpen1Execute);
    FileSave1->OnExecute = [this] { FileSave1Execute(); };
    FileSave1->OnUpdate = [this] { FileSave1Update(); };
    FileSaveAs1->OnExecute = [this] { FileSaveAs1Execute(); };
    FileSaveAs1->OnUpdate = [this] { FileSaveAs1Update(); };
    FileSaveAll1->OnExecute = [this] { FileSaveAll1Execute(); };
    FileSaveAll1->OnUpdate = [this] { FileSaveAll1Update(); };
    ActionList1->OnUpdate = [this] { ActionList1Update(); };
    ConnectSearchActions();
    ConnectTableActions();
    ConnectCompletion();
    ConnectScriptInfoActions();
    ConnectTextResourceActions();
    ConnectSettingsActions();
    ConnectDocumentActions();
}

void TMainForm::BindAction(TAction *action, void (TMainForm::*execute)(), void (TMainForm::*update)())
{
    action->OnExecute = [this, execute] { (this->*execute)(); };
    if (update)
        action->OnUpdate = [this, update] { (this->*update)(); };
    else
        action->SetEnabled(true);
}

// ---------------------------------------------------------------------------------------------
// Start-up

AnsiString TMainForm::LogFileName() const { return ProgramFolder + "/" + LoadingLogName; }

void TMainForm::Splash(const AnsiString &text)
{
    if (SplashForm) SplashForm->ShowStep(ToQ(text));
}

void TMainForm::Log(const AnsiString &text) { AppendToLogFile(text, LogFileName()); }

void TMainForm::Step(const AnsiString &text)
{
    Splash(text);
    Log(text);
}

void TMainForm::FormCreate()
{
    setWindowIcon(QIcon(Image3));
    QApplication::setWindowIcon(windowIcon());   // also the icon of windows that set none
    ProgramFolder = WithoutTrailingSlash(ExtractFilePath(AbsolutePath(ParamStr(0))));
    WM_QUIL_FileNameToOpen = RegisterWindowMessage("WM_QUIL_FileNameToOpen");
    WM_QUIL_PasteTextFromClipboard = RegisterWindowMessage("WM_QUIL_PasteTextFromClipboard");
    WM_QUIL_PasteTblCellFromClipboard = RegisterWindowMessage("WM_QUIL_PasteTblCellFromClipboard");
    TC_FileNames = new TStringList;
    TC_Titles = new TStringList;
    TC_CommandLines = new TStringList;
    TC_Macros = new TStringList;
    SclTable = new TStringList;
    SynCompletionProposal2->Resizeable = true;

    TRegistry reg;
    const bool allowOnlyOneCopy = ReadAllowOnlyOneCopy(reg);
    if (SplashForm && SplashForm->Tag == 1 && allowOnlyOneCopy) {
        HandedOverToFirstCopy = true;
        ActivatePrevInst();
        Application->Terminate();
        return;
    }
    StartLog();
    CheckSettingsFileWritable();
    SetMainDefaults();

    Splash("Registry settings...");
    Log("Registry settings loading started.");
    SearchFromCaret = true;
    ReplaceFromCaret = true;
    LoadProductKey(reg);
    LoadGameFolder(reg);
    KASHelpHTMLPath = GameFolder + "/kas_help/index.htm";
    LoadSettingsKey(reg);
    Log("Registry settings loading finished.");

    Splash("KAS_Syn settings...");
    Log("KAS_Syn settings loading started.");
    SynKASSyn1->LoadFromRegistry(HKEY_LOCAL_MACHINE, AnsiString(SettingsKey) + "\\Hightlights");
    Log("KAS_Syn settings loading finished.");

    Step("Creating \"Tools\" menu...");
    BuildToolsMenu();
    Log("Creating \"Tools\" menu: done.");

    LoadSclSettings();

    Splash("Done!");
    Log("======\r\n Done\r\n======");
    // Only a window whose settings are loaded takes files from other copies: a message handled
    // during start-up would show the window before the last file and the log were known.
    StartMessageServer();
}

bool TMainForm::ReadAllowOnlyOneCopy(TRegistry &reg)
{
    bool allow = true;
    if (reg.OpenKey(SettingsKey, true)) {
        if (reg.ValueExists("AllowOnlyOneCopy"))
            allow = ReadBoolOr(reg, "AllowOnlyOneCopy", true);
        else
            WriteQuietly(SettingsNotKeptReason, [&] { reg.WriteBool("AllowOnlyOneCopy", true); });
        reg.CloseKey();
    }
    return allow;
}

void TMainForm::StartLog()
{
    const AnsiString log = LogFileName();
    if (QFileInfo::exists(ToQPath(log))) {
        if (QFile::remove(ToQPath(log)))
            Log("Old version of this file is deleted successfully.");
        else
            Log("Old version of this file is deleted unsuccessfully.");
    }
    Log("======");
}

// Tried once at start, so that the log and the user learn it then, and not from a failure at exit.
void TMainForm::CheckSettingsFileWritable()
{
    AnsiString reason;
    if (!CanWriteSettingsFile(RegistryFilePath(), reason)) SettingsNotKeptReason = reason;
    if (!SettingsNotKeptReason.empty())
        Log("Settings file \"" + RegistryFilePath() + "\" cannot be written: " + SettingsNotKeptReason);
}

void TMainForm::TellSettingsNotKept()
{
    if (SettingsNotKeptReason.empty()) return;
    MessageBox(ApplicationWindow(),
               WithReason("Settings will not be kept: the settings file \"" + PathInMessage(RegistryFilePath()) +
                              "\" cannot be written.",
                          SettingsNotKeptReason),
               "Quillet", MB_OK | MB_ICONWARNING);
}

// Told at start that settings are not kept, the user needs no second word for each failed write.
void TMainForm::ReportSettingsFailure(const std::exception &e, const AnsiString &unit, const AnsiString &func)
{
    if (SettingsNotKeptReason.empty())
        ShowHandlerException(e, unit, func);
    else
        WarnOnStderrOnce(e.what());
}

void TMainForm::SetMainDefaults()
{
    Splash("Main settings...");
    Log("Main settings loading started.");
    EditorRightEdgeColor = 0xC0C0C0;
    EditorColor = clWindow;
    EditorGutterVisible = true;
    EditorFontName = "Courier New";
    EditorFontSize = 10;
    EditorSelectedColourBackground = clActiveCaption;
    EditorSelectedColourForeground = clCaptionText;
    EditorRightEdge = 80;
    EditorTabWidth = 1;
    EditorHighlightTXT = true;
    EditorHighlightKAS = true;
    EditorWtiteDateTag = true;
    KASHelpPath = ProgramFolder + "/kas.hlp";
    QUILHelpPath = ProgramFolder + "/quill.hlp";
    // Until a folder is stored, files are looked for where the user started the program: the
    // program folder is the program's own, not the user's.
    LastWorkDir = FromQPath(QDir::currentPath());
    setWindowTitle("Quillet");
    Application->SetTitle(FromQ(windowTitle()));
    QSize desktop(1024, 768);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) desktop = screen->virtualSize();
    resize(640, 480);
    move((desktop.width() - 640) / 2, (desktop.height() - 480) / 2);
    Log("Main settings loading finished.");
}

void TMainForm::LoadProductKey(TRegistry &reg)
{
    if (!reg.OpenKey(ProductKey, true)) return;
    Step(" Registry: version & spec. sets...");
    WriteQuietly(SettingsNotKeptReason, [&] { reg.WriteString("Version", GetFileVersionText(ParamStr(0))); });
    const auto writeBoolIfAbsent = [&](const char *name, bool value) {
        if (!reg.ValueExists(name)) WriteQuietly(SettingsNotKeptReason, [&] { reg.WriteBool(name, value); });
    };
    const auto writeIntIfAbsent = [&](const char *name, int value) {
        if (!reg.ValueExists(name)) WriteQuietly(SettingsNotKeptReason, [&] { reg.WriteInteger(name, value); });
    };
    const auto writeStringIfAbsent = [&](const char *name, const AnsiString &value) {
        if (!reg.ValueExists(name)) WriteQuietly(SettingsNotKeptReason, [&] { reg.WriteString(name, value); });
    };
    writeBoolIfAbsent("WritePoweredBy", true);
    writeBoolIfAbsent("WriteWarning1", true);
    writeStringIfAbsent("Warning1Text", DefaultWarning1Text);
    writeIntIfAbsent("AboutScriptDialogue_MaxFlagNumber", 999);
    writeStringIfAbsent("SynCompletionProposal1_BiggestWord", "WWWWWWWWW");
    writeStringIfAbsent("SynCompletionProposal2_BiggestWord", "WWWWWWW");
    writeIntIfAbsent("SynCompletionProposal1_Width", 350);
    writeIntIfAbsent("SynCompletionProposal2_Width", 350);
    SynCompletionProposal1->BiggestWord =
        ReadStringOr(reg, "SynCompletionProposal1_BiggestWord", SynCompletionProposal1->BiggestWord);
    SynCompletionProposal2->BiggestWord =
        ReadStringOr(reg, "SynCompletionProposal2_BiggestWord", SynCompletionProposal2->BiggestWord);
    SynCompletionProposal1->Width = ReadIntegerOr(reg, "SynCompletionProposal1_Width", SynCompletionProposal1->Width);
    SynCompletionProposal2->Width = ReadIntegerOr(reg, "SynCompletionProposal2_Width", SynCompletionProposal2->Width);
    reg.CloseKey();
}

void TMainForm::LoadGameFolder(TRegistry &reg)
{
    GameFolder = "none";
    if (!reg.OpenKeyReadOnly(GameKey)) return;
    Step(" Registry: Tarrow path...");
    const AnsiString appPath = ReadStringOr(reg, "AppPath", "");
    GameFolder = !appPath.empty() && PathExists(appPath) ? WithoutTrailingSlash(appPath) : AnsiString("none");
    if (GameFolder == "none")
        Log("  Tarrow path not found.");
    else
        Log("  Tarrow path: " + Quoted(GameFolder) + ".");
    reg.CloseKey();
}

void TMainForm::LoadSettingsKey(TRegistry &reg)
{
    if (!reg.OpenKey(SettingsKey, true)) return;
    Step(" Registry: sizes and settings...");
    const int top = ReadIntegerOr(reg, "MWinTop", y());
    const int left = ReadIntegerOr(reg, "MWinLeft", x());
    const int height = ReadIntegerOr(reg, "MWinHeight", this->height());
    const int width = ReadIntegerOr(reg, "MWinWidth", this->width());
    // Bounds stored on a larger or another monitor must not put the window out of sight.
    const QRect bounds = BoundsOnScreen(StoredBounds(left, top, width, height));
    resize(bounds.size());
    move(bounds.topLeft());
    LoadHelpPaths(reg);
    LoadReopenList(reg);

    Step(" Registry: Search\\Replace settings...");
    SearchTextHistory = ReadStringOr(reg, "SearchTextHistory", SearchTextHistory);
    ReplaceTextHistory = ReadStringOr(reg, "ReplaceTextHistory", ReplaceTextHistory);
    ReplaceSearchTextHistory = ReadStringOr(reg, "ReplaceSearchTextHistory", ReplaceSearchTextHistory);

    LoadEditorSettings(reg);

    Step(" Registry: Tools settings...");
    const std::pair<const char *, TStringList *> tools[] = {
        {"TC_FileNames", TC_FileNames}, {"TC_Titles", TC_Titles},
        {"TC_CommandLines", TC_CommandLines}, {"TC_Macros", TC_Macros}};
    for (const auto &[name, list] : tools)
        if (reg.ValueExists(name)) list->SetText(ReadStringOr(reg, name, list->Text()));

    LoadMiscSettings(reg);
    LoadInsertList(reg);
    reg.CloseKey();
}

void TMainForm::LoadHelpPaths(TRegistry &reg)
{
    const struct
    {
        const char *Name;
        AnsiString *Path;
        const char *LogText;
    } paths[] = {{"KASHelpPath", &KASHelpPath, "  KAS help path: "},
                 {"KASHelpHTMLPath", &KASHelpHTMLPath, "  KAS help (HTML) path: "},
                 {"QUILHelpPath", &QUILHelpPath, "  Quillet help path: "}};
    for (const auto &p : paths) {
        const AnsiString stored = ReadStringOr(reg, p.Name, "");
        if (FileExists(stored)) *p.Path = stored;
        Log(p.LogText + Quoted(*p.Path) + ".");
    }
}

void TMainForm::LoadEditorSettings(TRegistry &reg)
{
    Step(" Registry: Editor settings...");
    EditorRightEdgeColor = ReadIntegerOr(reg, "EditorRightEdgeColor", EditorRightEdgeColor);
    EditorColor = ReadIntegerOr(reg, "EditorColor", EditorColor);
    EditorGutterVisible = ReadBoolOr(reg, "EditorGutterVisible", EditorGutterVisible);
    EditorFontName = ReadStringOr(reg, "EditorFontName", EditorFontName);
    EditorFontSize = ReadIntegerOr(reg, "EditorFontSize", EditorFontSize);
    EditorSelectedColourBackground = ReadIntegerOr(reg, "EditorSelectedColourBackground", EditorSelectedColourBackground);
    EditorSelectedColourForeground = ReadIntegerOr(reg, "EditorSelectedColourForeground", EditorSelectedColourForeground);
    EditorRightEdge = ReadIntegerOr(reg, "EditorRightEdge", EditorRightEdge);
    EditorTabWidth = ReadIntegerOr(reg, "EditorTabWidth", EditorTabWidth);
    EditorHighlightTXT = ReadBoolOr(reg, "EditorHighlightTXT", EditorHighlightTXT);
    EditorHighlightKAS = ReadBoolOr(reg, "EditorHighlightKAS", EditorHighlightKAS);
    EditorWtiteDateTag = ReadBoolOr(reg, "EditorWtiteDateTag", EditorWtiteDateTag);
    SynCompletionProposal2->TimerInterval = ReadIntegerOr(reg, "SCL_Delay", SynCompletionProposal2->TimerInterval);
    SynCompletionProposal2->SetOption(scoUseBuiltInTimer, SynCompletionProposal2->TimerInterval != 0);
    Log(" SCL_Delay: " + IntToStr(SynCompletionProposal2->TimerInterval));
}

void TMainForm::LoadMiscSettings(TRegistry &reg)
{
    Log(" Registry: Misc settings...");
    LastWorkDir = ReadStringOr(reg, "LastWorkDir", LastWorkDir);
    SynKASSyn1->SetEnabled(ReadBoolOr(reg, "HighlighterOn", true));
    OpenLoadingLogAtStarting = ReadBoolOr(reg, "OpenLoadingLogAtStarting", false);
    if (reg.ValueExists("LastFile") && reg.ValueExists("OpenLastFile")) {
        const AnsiString lastFile = ReadStringOr(reg, "LastFile", "");
        if (FileExists(lastFile) && ReadBoolOr(reg, "OpenLastFile", false) && ParamStr(1).empty())
            LastFileToOpen = lastFile;
    }
}

void TMainForm::LoadInsertList(TRegistry &reg)
{
    Splash(" Registry: \"InsertList\" settings...");
    Log(" Registry: \"InsertList\" settings loading started.");
    const AnsiString file = ReadStringOr(reg, "InsertListFile", ProgramFolder + "/InsList.il");
    Log("  \"Insert List\" file = " + Quoted(file));
    const AnsiString error = LoadFastInsertList(this, file);
    if (!error.empty()) Log("  \"Insert List\" file cannot be read: " + error + ". The list is empty.");
    Log(" Registry: \"InsertList\" settings loading finished.");
}

void TMainForm::LoadSclSettings()
{
    Step("Loading \"SCL\" settings...");
    const AnsiString file = ProgramFolder + "/Syntax/SCL.CFG";
    if (FileExists(file)) {
        Log(" SCL settings file: " + Quoted(file) + ".");
        try {
            SclTable->LoadFromFile(file);
        } catch (const EFOpenError &e) {
            SclTable->Clear();
            Log(" " + e.Message() + ". The completion table is empty.");
        }
        if (SclTable->Values("KASVersion").empty()) SclTable->SetValue("KASVersion", "?");
        Log(" KAS version: " + SclTable->Values("KASVersion"));

        const AnsiString separator = SclTable->Values("VALUE_SEPARATOR");
        if (!separator.empty()) {
            Log(" Value separator: " + Quoted(separator.substr(0, 1)));
        } else {
            SclTable->SetValue("VALUE_SEPARATOR", "`");
            Log(" Value separator: " + Quoted("`") + " (default value)");
        }

        const auto popupSetting = [&](const char *name, AnsiString &popupValue, const char *logText) {
            const AnsiString value = SclTable->Values(name);
            if (!value.empty()) {
                popupValue = value;
                Log(logText + Quoted(popupValue));
            } else {
                SclTable->SetValue(name, popupValue);
                Log(logText + Quoted(popupValue) + " (default value)");
            }
        };
        popupSetting("EOT_Symbols", SynCompletionProposal2->EndOfTokenChr, " EOT_Symbols: ");
        popupSetting("TriggerChars", SynCompletionProposal2->TriggerChars, " SCL_TriggerChars: ");

        SclTable->SetSorted(true);
        SclTable->Duplicates = dupIgnore;
        Log(" Ok, " + IntToStr(SclTable->Count()) + " lines.");
    } else {
        Log(" File \"" + file + "\" not found.");
    }
    BuildSclIndex();
    Log("Loading \"SCL\" settings: done.");
}

// ---------------------------------------------------------------------------------------------
// The reopen list

void TMainForm::AddReopenEntry(QMenu *menu, const AnsiString &path, int position)
{
    auto *entry = new QAction(LiteralMenuCaption(ToQPath(path)), menu);   // the caption is exactly the path
    entry->setData(ToQPath(path));
    entry->setStatusTip("Reopen: " + ToQPath(path));
    connect(entry, &QAction::triggered, this, [this, entry] { ReOpenItemsClick(entry); });
    const QList<QAction *> entries = menu->actions();
    if (position >= 0 && position < entries.size())
        menu->insertAction(entries[position], entry);
    else
        menu->addAction(entry);
}

QStringList TMainForm::ReopenList() const
{
    QStringList paths;
    for (const QAction *entry : Reopen1->actions()) paths << entry->data().toString();
    return paths;
}

void TMainForm::RefillPopupMenu4()
{
    for (QAction *entry : PopupMenu4->actions()) delete entry;
    for (const QString &path : ReopenList()) AddReopenEntry(PopupMenu4, FromQPath(path), -1);
}

void TMainForm::LoadReopenList(TRegistry &reg)
{
    Step(" Registry: Reopen history...");
    int n = 0;
    for (; n < 20; ++n) {
        const AnsiString name = "ReOpen" + IntToStr(n);
        if (!reg.ValueExists(name)) break;
        AddReopenEntry(Reopen1, ReadStringOr(reg, name, ""), -1);
    }
    Reopen1->setEnabled(n > 0);
    RefillPopupMenu4();
    Log("  Reopen history: " + IntToStr(n) + " items.");
}

void TMainForm::ReopenListUpdate(const AnsiString &path)
{
    const AnsiString wanted = AnsiUpperCase(path);
    for (QAction *entry : Reopen1->actions())
        if (AnsiUpperCase(FromQPath(entry->data().toString())) == wanted) delete entry;
    AddReopenEntry(Reopen1, path, 0);
    Reopen1->setEnabled(!Reopen1->actions().isEmpty());
    RefillPopupMenu4();
}

void TMainForm::ReOpenItemsClick(QAction *Sender)
{
    const bool openTxtAsCmd = ReadOpenTXTAsCMD();
    QMenu *menu = qobject_cast<QMenu *>(Sender->parent());
    const int position = menu ? int(menu->actions().indexOf(Sender)) : -1;
    const AnsiString path = FromQPath(Sender->data().toString());
    if (FileExists(path)) {
        TabSet1->setToolTip(ToQPath(path) + " (Ctrl+Tab)");
        const AnsiString kind = DocumentKindFromFileName(path, openTxtAsCmd);
        if (!kind.empty()) OpenDocument(path, kind);
        return;
    }
    MessageBox(ApplicationWindow(), "File \"" + PathInMessage(path) + "\" not found!", FromQ(windowTitle()), MB_OK | MB_ICONEXCLAMATION);
    for (QMenu *m : {Reopen1, PopupMenu4}) {
        const QList<QAction *> entries = m->actions();
        if (position >= 0 && position < entries.size()) delete entries[position];
    }
    Reopen1->setEnabled(!Reopen1->actions().isEmpty());
}

void TMainForm::StoreReopenList(TRegistry &reg)
{
    for (int n = 0;; ++n) {
        const AnsiString name = "ReOpen" + IntToStr(n);
        if (!reg.ValueExists(name)) break;
        reg.DeleteValue(name);
    }
    const QStringList paths = ReopenList();
    for (int i = 0; i < paths.size(); ++i) reg.WriteString("ReOpen" + IntToStr(i), FromQPath(paths[i]));
}

// ---------------------------------------------------------------------------------------------
// Showing, messages from other copies, closing

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (Shown) return;
    Shown = true;
    FormShow();
}

void TMainForm::OpenByExtension(const AnsiString &path, bool allowLog)
{
    const AnsiString kind = DocumentKindFromFileName(path, ReadOpenTXTAsCMD());
    if (kind.empty()) return;
    if (!allowLog && AnsiUpperCase(ExtractFileExt(path)) == ".LOG") return;
    OpenDocument(path, kind);
}

void TMainForm::FormShow()
{
    if (HandedOverToFirstCopy) return;
    TellSettingsNotKept();
    for (int i = 1; i <= ParamCount(); ++i) {
        const AnsiString path = AbsolutePath(ParamStr(i));
        if (FileExists(path)) OpenByExtension(path, true);
    }
    if (!LastFileToOpen.empty()) OpenByExtension(LastFileToOpen, false);
    if (OpenLoadingLogAtStarting && FileExists(LogFileName())) OpenDocument(LogFileName(), TXT_Document);
}

void TMainForm::StartMessageServer()
{
    if (!InstanceSemaphore || !InstanceSemaphore->Held()) return;
    MessageServer = std::make_unique<TMessageServer>();
    MessageServer->OnMessage = [this](unsigned message, const AnsiString &, const AnsiString &data) {
        if (message == RegisterWindowMessage(ActivateMessageName))
            BringToFront();
        else
            try {
                WndProc(message, data);
            } catch (const std::exception &e) {
                ShowHandlerException(e, "Main", "TMainForm::WndProc");
            }
    };
    MessageServer->Listen(*InstanceSemaphore);
}

void TMainForm::BringToFront() { Application->BringToFront(this); }

bool TMainForm::WndProc(unsigned message, const AnsiString &data)
{
    if (message == WM_QUIL_FileNameToOpen) {
        OpenByExtension(data, true);
        return true;
    }
    if (message == WM_QUIL_PasteTextFromClipboard) {
        TForm_Editor *editor = ActiveEditor();
        if (editor && !editor->Memo1->isHidden()) editor->Memo1->PasteFromClipboard();
        return true;
    }
    if (message == WM_QUIL_PasteTblCellFromClipboard) {
        TForm_Editor *editor = ActiveEditor();
        const QClipboard *clipboard = QGuiApplication::clipboard();
        if (editor && !editor->StringGridPanel->isHidden() && clipboard->mimeData() &&
            clipboard->mimeData()->hasText()) {
            const std::optional<AnsiString> pasted = DocumentTextOfClipboard(ApplicationWindow());
            TStringGrid *grid = editor->StringGrid1;
            if (pasted) grid->SetCell(grid->Col(), grid->Row(), ClipboardTextToCell(*pasted));
        }
        return true;
    }
    return false;
}

AnsiString ClipboardTextToCell(const AnsiString &text)
{
    AnsiString cell;
    cell.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            cell += CellLineBreak;
            ++i;
        } else {
            cell += text[i];
        }
    }
    return cell;
}

// The first copy comes to the front, then gets every argument in order; each send waits for the
// file to be opened. A first copy that does not answer ends the hand-over (after the timeout).
void TMainForm::ActivatePrevInst()
{
    const AnsiString settings = RegistryFilePath();
    const int timeout = HandOverTimeoutMs();
    // A first copy started a moment ago holds the lock before it listens: while the channel is not
    // there yet, try again for a few seconds.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QElapsedTimer attempt;
        attempt.start();
        if (SendMessageToFirstCopy(SemaphoreName, settings, ActivateMessageName, "", timeout)) break;
        if (attempt.elapsed() >= 500 || waited.elapsed() >= ChannelWaitMs) return;
        QThread::msleep(50);
    }
    // Every argument is sent; only a first copy that stopped answering ends the hand-over, so a
    // hung copy costs one wait, not one per file.
    for (int i = 1; i <= ParamCount(); ++i) {
        QElapsedTimer sending;
        sending.start();
        if (!SendMessageToFirstCopy(SemaphoreName, settings, "WM_QUIL_FileNameToOpen", AbsolutePath(ParamStr(i)),
                                    timeout) &&
            sending.elapsed() >= timeout)
            return;
    }
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // Each document window is asked first; one that refuses stops the whole shut-down. A save
    // prompt activates its window, so the window active before any prompt is noted now.
    const QMdiSubWindow *active = ActiveMDIChild();
    for (QMdiSubWindow *window : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        // A document window is only asked here; it closes with the main window.
        bool canClose = true;
        if (auto *editor = qobject_cast<TForm_Editor *>(window)) {
            editor->FormCloseQuery(canClose, editor == active);
        } else {
            QCloseEvent query;
            QCoreApplication::sendEvent(window, &query);
            canClose = query.isAccepted();
        }
        if (!canClose) {
            event->ignore();
            return;
        }
    }
    if (!Closed) {
        Closed = true;
        FormClose();
    }
    event->accept();
}

void TMainForm::FormClose()
{
    try {
        StoreSettings();
    } catch (const std::exception &e) {
        ReportSettingsFailure(e, "Main", "TMainForm::FormClose");
    }
}

void TMainForm::StoreSettings()
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, true)) return;
    // One disk write for all of it: the reopen list alone may hold many entries.
    reg.BeginUpdate();
    reg.WriteInteger("MWinTop", y());
    reg.WriteInteger("MWinLeft", x());
    reg.WriteInteger("MWinHeight", height());
    reg.WriteInteger("MWinWidth", width());
    reg.WriteString("LastWorkDir", LastWorkDir);
    if (!SearchTextHistory.empty()) reg.WriteString("SearchTextHistory", SearchTextHistory);
    if (!ReplaceTextHistory.empty()) reg.WriteString("ReplaceTextHistory", ReplaceTextHistory);
    if (!ReplaceSearchTextHistory.empty()) reg.WriteString("ReplaceSearchTextHistory", ReplaceSearchTextHistory);
    StoreReopenList(reg);
    reg.EndUpdate();
    reg.CloseKey();
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MdiArea && event->type() == QEvent::Resize) FormResize();
    if (watched == BannerImage && event->type() == QEvent::MouseButtonRelease) BannerClick();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::FormResize()
{
    StatusBar1->Panels[0].SetWidth(ScreenWidth());
    if (BannerPanel)
        BannerPanel->move((MdiArea->width() - BannerPanel->width()) / 2, (MdiArea->height() - BannerPanel->height()) / 2);
}

// ---------------------------------------------------------------------------------------------
// Tab bar and small actions

int TMainForm::MDIChildCount() const { return int(MdiArea->subWindowList().size()); }

QMdiSubWindow *TMainForm::MDIChildren(int index) const
{
    const QList<QMdiSubWindow *> windows = MdiArea->subWindowList(QMdiArea::CreationOrder);
    return index >= 0 && index < windows.size() ? windows[index] : nullptr;
}

QMdiSubWindow *TMainForm::ActiveMDIChild() const
{
    if (QMdiSubWindow *active = MdiArea->activeSubWindow()) return active;
    // While the frame itself is inactive Qt reports no active child; the current one still counts.
    return MdiArea->currentSubWindow();
}

TForm_Editor *TMainForm::FindDocumentWindow(const AnsiString &caption, TWindowSearch order) const
{
    const int count = MDIChildCount();
    for (int n = 0; n < count; ++n) {
        const int i = order == TWindowSearch::NewestFirst ? count - 1 - n : n;
        auto *window = qobject_cast<TForm_Editor *>(MDIChildren(i));
        if (window && window->Caption() == caption) return window;
    }
    return nullptr;
}

void TMainForm::TabSet1Click()
{
    for (int i = MDIChildCount() - 1; i >= 0; --i) {
        QMdiSubWindow *window = MDIChildren(i);
        TabSet1->setToolTip(window->windowTitle() + " (Ctrl+Tab)");
        if (i == TabSet1->currentIndex()) {
            MdiArea->setActiveSubWindow(window);
            window->raise();
            return;
        }
    }
}

void TMainForm::Maximixed1Click()
{
    for (int i = MDIChildCount() - 1; i >= 0; --i) {
        QMdiSubWindow *window = MDIChildren(i);
        TabSet1->setToolTip(window->windowTitle() + " (Ctrl+Tab)");
        if (i == TabSet1->currentIndex()) {
            window->showMaximized();
            return;
        }
    }
}

void TMainForm::MaximizedWin_Action1Update() { MaximizedWin_Action1->setEnabled(MDIChildCount() > 0); }

void TMainForm::HelpAbout1Execute()
{
    TAboutBox box(this);
    ShowModal(&box);
}

void TMainForm::FileExit1Execute() { close(); }

void TMainForm::BannerClick() { ShellOpen("https://www.sphinx-doc.org/"); }

void TMainForm::ActionList1Update() { BannerPanel->setVisible(MDIChildCount() == 0); }
