// The main window: settings read at start, documents opened when shown, the registered messages,
// the tab bar and the shut-down.
#include "shell/MainTestSupport.h"

#include "platform/ActionList.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"
#include "platform/StatusBar.h"
#include "shell/Main.h"
#include "shell/Splashwin.h"
#include "synedit/SynCompletionProposal.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <algorithm>

namespace {

using Lines = std::vector<AnsiString>;

class MainWindow : public ShellTest
{
};

TEST_F(MainWindow, IsAFrameWithMenusToolBarStatusBarAndBanner)
{
    Start();
    EXPECT_EQ(Form->windowTitle(), "Quillet");
    QStringList menus;
    for (QAction *menu : Form->menuBar()->actions()) menus << menu->text().remove('&');
    EXPECT_EQ(menus, QStringList({"File", "Edit", "Table", "Services", "Tools", "Options", "Window", "Help"}));
    EXPECT_EQ(Form->Toolls1->actions().size(), 7);   // the fixed items; the tool list is empty
    EXPECT_TRUE(Form->FileExit1->isEnabled());
    EXPECT_TRUE(Form->HelpAbout1->isEnabled());
    EXPECT_FALSE(Form->CheckSyntax->isEnabled());
    EXPECT_EQ(Form->FileExit1->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    EXPECT_EQ(Form->StatusBar1->Panels.Count(), 2);
    Show();
    Form->ActionList1->UpdateActions();
    EXPECT_TRUE(Form->BannerPanel->isVisible());
    EXPECT_FALSE(Form->TabSet1->isVisible());
    EXPECT_FALSE(Form->MaximizedWin_Action1->isEnabled());
}

// Until a work folder is stored, the file dialogs start in the folder the program was started
// from; the folder is stored at shut-down and wins at the next start.
TEST_F(MainWindow, TheFirstStartWorksInTheFolderItWasStartedFrom)
{
    const AnsiString made = Root + "/d\xC3\xA9part here";
    ASSERT_TRUE(QDir().mkpath(ToQPath(made)));
    const AnsiString started = FromQPath(QDir(ToQPath(made)).canonicalPath());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(ToQPath(started)));
    Start();
    ASSERT_TRUE(QDir::setCurrent(previous));
    EXPECT_EQ(Form->LastWorkDir, started);
    EXPECT_NE(Form->LastWorkDir, ProgramFolder);
    {
        FileDialogRecorder dialogs;   // Cancel
        Form->FileOpen1Execute();
        ASSERT_EQ(dialogs.Calls.size(), 1u);
        EXPECT_EQ(dialogs.Calls[0].InitialDir, started);
    }
    Close();
    WithSettings([&](TRegistry &reg) { EXPECT_EQ(reg.ReadString("LastWorkDir"), started); });
    Start();
    EXPECT_EQ(Form->LastWorkDir, started);
}

TEST_F(MainWindow, DefaultBoundsAndProductKeyValuesWrittenWhenAbsent)
{
    WithKey(ProductKey, [](TRegistry &reg) {
        reg.WriteString("Warning1Text", "keep me");
        reg.WriteInteger("SynCompletionProposal2_Width", 420);
    });
    Start();
    EXPECT_EQ(Form->width(), 640);
    EXPECT_EQ(Form->height(), 480);
    EXPECT_EQ(Form->SynCompletionProposal1->Width, 350);
    EXPECT_EQ(Form->SynCompletionProposal2->Width, 420);
    EXPECT_EQ(Form->SynCompletionProposal1->BiggestWord, "WWWWWWWWW");
    EXPECT_EQ(Form->SynCompletionProposal2->BiggestWord, "WWWWWWW");
    EXPECT_TRUE(Form->SynCompletionProposal2->Resizeable);
    WithKey(ProductKey, [](TRegistry &reg) {
        EXPECT_EQ(reg.ReadString("Warning1Text"), "keep me");
        EXPECT_EQ(reg.ReadInteger("SynCompletionProposal2_Width"), 420);
        EXPECT_TRUE(reg.ReadBool("WritePoweredBy"));
        EXPECT_TRUE(reg.ReadBool("WriteWarning1"));
        EXPECT_EQ(reg.ReadInteger("AboutScriptDialogue_MaxFlagNumber"), 999);
        EXPECT_EQ(reg.ReadInteger("SynCompletionProposal1_Width"), 350);
        EXPECT_TRUE(reg.ValueExists("Version"));
    });
    WithSettings([](TRegistry &reg) { EXPECT_TRUE(reg.ReadBool("AllowOnlyOneCopy")); });
}

TEST_F(MainWindow, ValuesOfTheWrongTypeKeepTheirDefaults)
{
    WithSettings([](TRegistry &reg) {
        reg.WriteString("AllowOnlyOneCopy", "yes");
        reg.WriteString("MWinWidth", "wide");
        reg.WriteInteger("MWinHeight", 500);
        reg.WriteString("EditorFontSize", "big");
        reg.WriteInteger("EditorFontName", 12);
        reg.WriteString("EditorGutterVisible", "no");
        reg.WriteString("SCL_Delay", "soon");
        reg.WriteInteger("LastWorkDir", 3);
        reg.WriteInteger("TC_Titles", 5);
        reg.WriteString("HighlighterOn", "off");
    });
    WithKey(ProductKey, [](TRegistry &reg) { reg.WriteString("SynCompletionProposal1_Width", "x"); });
    Start();
    EXPECT_EQ(Form->width(), 640);
    EXPECT_EQ(Form->height(), 500);
    EXPECT_EQ(Form->EditorFontSize, 10);
    EXPECT_EQ(Form->EditorFontName, "Courier New");
    EXPECT_TRUE(Form->EditorGutterVisible);
    EXPECT_EQ(Form->SynCompletionProposal2->TimerInterval, 1000);
    EXPECT_EQ(Form->SynCompletionProposal1->Width, 300);
    EXPECT_EQ(Form->LastWorkDir, FromQPath(QDir::currentPath()));
    EXPECT_EQ(Form->TC_Titles->Count(), 0);
    EXPECT_EQ(LogBody().back(), "======");
}

TEST_F(MainWindow, EditorAndToolSettingsAreRead)
{
    WithSettings([](TRegistry &reg) {
        reg.WriteInteger("EditorRightEdgeColor", 0x0000FF);
        reg.WriteInteger("EditorColor", 0x00FFFFFF);
        reg.WriteBool("EditorGutterVisible", false);
        reg.WriteString("EditorFontName", "DejaVu Sans Mono");
        reg.WriteInteger("EditorFontSize", 14);
        reg.WriteInteger("EditorRightEdge", 100);
        reg.WriteInteger("EditorTabWidth", 4);
        reg.WriteBool("EditorHighlightTXT", false);
        reg.WriteBool("EditorWtiteDateTag", false);
        reg.WriteInteger("SCL_Delay", 250);
        reg.WriteString("TC_FileNames", "/bin/a\r\n/bin/b\r\n");
        reg.WriteString("TC_Titles", "A\r\n");
        reg.WriteString("SearchTextHistory", "one\r\ntwo\r\n");
    });
    Start();
    EXPECT_EQ(Form->EditorRightEdgeColor, 0x0000FF);
    EXPECT_EQ(Form->EditorColor, 0x00FFFFFF);
    EXPECT_FALSE(Form->EditorGutterVisible);
    EXPECT_EQ(Form->EditorFontName, "DejaVu Sans Mono");
    EXPECT_EQ(Form->EditorFontSize, 14);
    EXPECT_EQ(Form->EditorRightEdge, 100);
    EXPECT_EQ(Form->EditorTabWidth, 4);
    EXPECT_FALSE(Form->EditorHighlightTXT);
    EXPECT_TRUE(Form->EditorHighlightKAS);
    EXPECT_FALSE(Form->EditorWtiteDateTag);
    EXPECT_EQ(Form->EditorSelectedColourBackground, TColor(0x80000002));
    EXPECT_EQ(Form->SynCompletionProposal2->TimerInterval, 250);
    EXPECT_EQ(Form->TC_FileNames->Count(), 2);
    EXPECT_EQ(Form->TC_Titles->Count(), 1);
    EXPECT_EQ(Form->SearchTextHistory, "one\r\ntwo\r\n");
    EXPECT_TRUE(Form->SearchFromCaret);
    EXPECT_TRUE(Form->ReplaceFromCaret);
}

TEST_F(MainWindow, ShowingOpensArgumentsThatExistWithAKind)
{
    const AnsiString kas = MakeFile("a.kas"), log = MakeFile("b.LOG"), txt = MakeFile("c.txt");
    const AnsiString png = MakeFile("d.png"), kat = MakeFile("e.kat");
    Start({kas, Root + "/missing.kas", log, png, txt, kat});
    Show();
    EXPECT_EQ(Captions(), Lines({kas, log, txt, kat}));
    EXPECT_EQ(Form->TabSet1->count(), 4);
    EXPECT_TRUE(Form->TabSet1->isVisible());
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->BannerPanel->isVisible());
}

TEST_F(MainWindow, TextArgumentOpensAsCommandTableWhenAsked)
{
    const AnsiString txt = MakeFile("c.txt");
    WithSettings([](TRegistry &reg) { reg.WriteBool("OpenTXTAsCMD", true); });
    Start({txt});
    Show();
    ASSERT_EQ(Captions(), Lines({txt}));
    EXPECT_EQ(Form->OpeningKind, "CMD_Document");
}

TEST_F(MainWindow, LastFileIsReopenedOnlyUnderItsConditions)
{
    const AnsiString kas = MakeFile("last.kas"), log = MakeFile("last.log"), arg = MakeFile("arg.kat");
    const struct
    {
        const char *Name;
        AnsiString LastFile;
        int OpenLastFile;   // -1: value missing
        std::vector<AnsiString> Args;
        Lines Expected;
    } cases[] = {
        {"reopened", kas, 1, {}, {kas}},
        {"switch off", kas, 0, {}, {}},
        {"switch missing", kas, -1, {}, {}},
        {"file gone", Root + "/gone.kas", 1, {}, {}},
        {"argument given", kas, 1, {arg}, {arg}},
        {"log not reopened", log, 1, {}, {}},
    };
    for (const auto &c : cases) {
        WithSettings([&](TRegistry &reg) {
            reg.WriteString("LastFile", c.LastFile);
            if (c.OpenLastFile < 0)
                reg.DeleteValue("OpenLastFile");
            else
                reg.WriteBool("OpenLastFile", c.OpenLastFile == 1);
        });
        Start(c.Args);
        Show();
        EXPECT_EQ(Captions(), c.Expected) << c.Name;
        Close();
    }
}

TEST_F(MainWindow, StartUpLogOpensWhenAsked)
{
    WithSettings([](TRegistry &reg) { reg.WriteBool("OpenLoadingLogAtStarting", true); });
    Start();
    Show();
    EXPECT_EQ(Captions(), Lines({LogPath()}));
    EXPECT_EQ(Form->OpeningKind, "TXT_Document");
}

TEST_F(MainWindow, FileNameMessageOpensByExtensionWithoutTestingTheFile)
{
    Start();
    Show();
    EXPECT_TRUE(Form->WndProc(Form->WM_QUIL_FileNameToOpen, Root + "/new.kao"));
    EXPECT_TRUE(Form->WndProc(Form->WM_QUIL_FileNameToOpen, Root + "/other.doc"));
    EXPECT_TRUE(Form->WndProc(Form->WM_QUIL_PasteTblCellFromClipboard, ""));
    EXPECT_FALSE(Form->WndProc(0xC0FFu, Root + "/x.kas"));
    EXPECT_EQ(Captions(), Lines({Root + "/new.kao"}));
    EXPECT_EQ(Form->OpeningKind, "KAO_Document");
}

TEST_F(MainWindow, TabClickActivatesTheWindowOfThatNumber)
{
    Start();
    Show();
    for (const char *name : {"/one.kas", "/two.kas", "/three.kas"}) Form->OpenDocument(Root + name, "KAS_Document");
    Form->TabSet1->setCurrentIndex(1);
    Form->TabSet1Click();
    EXPECT_EQ(Form->ActiveMDIChild(), Form->MDIChildren(1));
    EXPECT_EQ(Form->TabSet1->toolTip(), ToQPath(Root + "/two.kas (Ctrl+Tab)"));

    Form->MDIChildren(1)->showNormal();
    Form->Maximixed1Click();
    EXPECT_TRUE(Form->MDIChildren(1)->isMaximized());
    Form->ActionList1->UpdateActions();
    EXPECT_TRUE(Form->MaximizedWin_Action1->isEnabled());
}

TEST_F(MainWindow, ShutDownStoresSettingsAndTheNextStartReadsThem)
{
    WithSettings([&](TRegistry &reg) {
        reg.WriteString("ReplaceTextHistory", "kept\r\n");
        for (int i = 0; i < 3; ++i) reg.WriteString("ReOpen" + IntToStr(i), Root + "/old" + IntToStr(i) + ".kas");
    });
    Start();
    Show();
    Form->resize(700, 520);
    Form->move(40, 30);
    Form->LastWorkDir = Root;
    Form->SearchTextHistory = "find\r\n";
    Form->ReplaceSearchTextHistory = "what\r\n";
    Form->ReplaceTextHistory = "";
    Form->ReopenListUpdate(Root + "/new.kas");
    Form->ReopenListUpdate(Root + "/OLD1.kas");   // the same path in another letter case moves up
    const QRect bounds(Form->x(), Form->y(), Form->width(), Form->height());
    Close();

    WithSettings([&](TRegistry &reg) {
        EXPECT_EQ(reg.ReadInteger("MWinTop"), bounds.y());
        EXPECT_EQ(reg.ReadInteger("MWinLeft"), bounds.x());
        EXPECT_EQ(reg.ReadInteger("MWinWidth"), 700);
        EXPECT_EQ(reg.ReadInteger("MWinHeight"), 520);
        EXPECT_EQ(reg.ReadString("LastWorkDir"), Root);
        EXPECT_EQ(reg.ReadString("SearchTextHistory"), "find\r\n");
        EXPECT_EQ(reg.ReadString("ReplaceSearchTextHistory"), "what\r\n");
        EXPECT_EQ(reg.ReadString("ReplaceTextHistory"), "kept\r\n");
        EXPECT_EQ(reg.ReadString("ReOpen0"), Root + "/OLD1.kas");
        EXPECT_EQ(reg.ReadString("ReOpen1"), Root + "/new.kas");
        EXPECT_EQ(reg.ReadString("ReOpen2"), Root + "/old0.kas");
        EXPECT_EQ(reg.ReadString("ReOpen3"), Root + "/old2.kas");
        EXPECT_FALSE(reg.ValueExists("ReOpen4"));
    });

    Start();
    EXPECT_EQ(Form->width(), 700);
    EXPECT_EQ(Form->height(), 520);
    EXPECT_EQ(Form->x(), bounds.x());
    EXPECT_EQ(Form->y(), bounds.y());
    EXPECT_EQ(Form->LastWorkDir, Root);
    EXPECT_EQ(Form->SearchTextHistory, "find\r\n");
    EXPECT_EQ(Form->ReopenList(), QStringList({ToQPath(Root + "/OLD1.kas"), ToQPath(Root + "/new.kas"),
                                               ToQPath(Root + "/old0.kas"), ToQPath(Root + "/old2.kas")}));
    EXPECT_EQ(Form->PopupMenu4->actions().size(), 4);
    EXPECT_TRUE(Form->Reopen1->isEnabled());
}

TEST_F(MainWindow, ReopenListKeepsEveryEntryAtShutDownAndLoadsTwenty)
{
    Start();
    for (int i = 0; i < 25; ++i) Form->ReopenListUpdate(Root + "/f" + IntToStr(i) + ".kas");
    Close();
    WithSettings([](TRegistry &reg) { EXPECT_TRUE(reg.ValueExists("ReOpen24")); });
    Start();
    ASSERT_EQ(Form->ReopenList().size(), 20);
    EXPECT_EQ(Form->ReopenList().front(), ToQPath(Root + "/f24.kas"));
    const Lines body = LogBody();
    EXPECT_NE(std::find(body.begin(), body.end(), "  Reopen history: 20 items."), body.end());
}

TEST_F(MainWindow, MissingReopenEntryIsReportedAndLeavesBothMenus)
{
    const AnsiString there = MakeFile("there.kas");
    Start();
    Form->ReopenListUpdate(Root + "/gone.kas");
    Form->ReopenListUpdate(there);
    MessageBoxRecorder boxes;
    Form->ReOpenItemsClick(Form->PopupMenu4->actions().at(1));
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, "File \"" + Root + "/gone.kas\" not found!");
    EXPECT_EQ(boxes.Calls[0].Caption, "Quillet");
    EXPECT_EQ(boxes.Calls[0].Flags, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Form->ReopenList(), QStringList({ToQPath(there)}));
    EXPECT_EQ(Form->PopupMenu4->actions().size(), 1);
    Form->ReOpenItemsClick(Form->Reopen1->actions().at(0));
    EXPECT_EQ(Captions(), Lines({there}));
}

// A document window that refuses to close.
class StubbornWindow : public QMdiSubWindow
{
protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

TEST_F(MainWindow, ADocumentThatRefusesStopsTheShutDown)
{
    Start();
    Show();
    Form->MdiArea->addSubWindow(new StubbornWindow)->show();
    Form->move(11, 12);
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    WithSettings([](TRegistry &reg) { EXPECT_FALSE(reg.ValueExists("MWinTop")); });
}

TEST_F(MainWindow, ExitActionClosesAndStores)
{
    Start();
    Show();
    Form->FileExit1->trigger();
    EXPECT_FALSE(Form->isVisible());
    WithSettings([](TRegistry &reg) { EXPECT_TRUE(reg.ValueExists("MWinWidth")); });
}

TEST_F(MainWindow, AboutShowsTheAboutBoxAndTheBannerOpensItsPage)
{
    Start();
    ModalRecorder dialogs([](QDialog *) { return mrOk; });
    Form->HelpAbout1->trigger();
    EXPECT_EQ(dialogs.ClassNames, std::vector<AnsiString>({"TAboutBox"}));
    ShellRecording shell;
    Form->BannerClick();
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Kind, ShellCall::scShellOpen);
}

TEST_F(MainWindow, ResizeCentresTheBanner)
{
    Start();
    Show();
    Form->resize(900, 700);
    QCoreApplication::processEvents();
    const QWidget *area = Form->MdiArea;
    EXPECT_EQ(Form->BannerPanel->x(), (area->width() - Form->BannerPanel->width()) / 2);
    EXPECT_EQ(Form->BannerPanel->y(), (area->height() - Form->BannerPanel->height()) / 2);
}

TEST_F(MainWindow, SplashOfASecondCopyStaysHiddenAndThatCopyRunsWhenAllowed)
{
    HoldLockAsFirstCopy();
    WithSettings([](TRegistry &reg) { reg.WriteBool("AllowOnlyOneCopy", false); });
    TNamedSemaphore second(SemaphoreName, SettingsFile);
    ASSERT_TRUE(second.AlreadyExisted());
    TSplashForm splash;
    SplashForm = &splash;
    splash.ShowForCopy(second.AlreadyExisted());
    EXPECT_EQ(splash.Tag, 1);
    EXPECT_FALSE(splash.isVisible());
    Start();
    SplashForm = nullptr;
    EXPECT_FALSE(Form->HandedOver());
    EXPECT_EQ(LogBody().back(), "======");
}

TEST_F(MainWindow, SplashOfTheFirstCopyShowsTheSteps)
{
    TSplashForm splash;
    SplashForm = &splash;
    splash.ShowForCopy(false);
    EXPECT_EQ(splash.Tag, 0);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(splash.Label2->text().startsWith("Release: "));
    Start();
    SplashForm = nullptr;
    EXPECT_EQ(splash.Label1->text(), "Done!");
    EXPECT_EQ(splash.size(), QSize(300, 250));
}

} // namespace
