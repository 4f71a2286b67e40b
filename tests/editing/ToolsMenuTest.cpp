// The user tools: macros and arguments, the Tools menu, running a real program, the set-up dialog.
#include "editing/ToolsSetupDlg.h"
#include "editing/UserTools.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "platform/ToolBar.h"
#include "shell/DocumentTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "platform/TStringGrid.h"
#include "synedit/SynMemo.h"
#include "shell/LayoutTestSupport.h"
#include "KeyTyping.h"

#include <QAction>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using Args = std::vector<AnsiString>;

TEST(ToolArguments, TheCommandLineSplitsAtBlanksOutsideQuotes)
{
    const struct
    {
        const char *Line;
        Args Words;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"/p", {"/p"}},
        {"-a  -b", {"-a", "-b"}},
        {"\"a b\" c", {"a b", "c"}},
        {"x\"y z\"w", {"xy zw"}},
        {"\"\"", {""}},
        {"a;b", {"a;b"}},
    };
    for (const auto &c : cases) EXPECT_EQ(SplitCommandLine(c.Line), c.Words) << c.Line;
}

TEST(ToolArguments, TheDocumentPathIsOneArgumentBeforeTheCommandLine)
{
    const AnsiString path = "/tmp/a b;touch \"x\".kas";
    EXPECT_EQ(ToolArguments("", true, path), (Args{path}));
    EXPECT_EQ(ToolArguments("-n 2", true, path), (Args{path, "-n", "2"}));
    EXPECT_EQ(ToolArguments("-n 2", false, path), (Args{"-n", "2"}));
}

TEST(ToolMacros, TokensAnywhereInTheTextCountAndMaximisedWinsOverMinimised)
{
    EXPECT_EQ(ParseToolMacros("").ShowMode(), SW_SHOWNORMAL);
    EXPECT_EQ(ParseToolMacros("x$MINIMIZEPROGy").ShowMode(), SW_MINIMIZE);
    EXPECT_EQ(ParseToolMacros("$MINIMIZEPROG$MAXIMIZEPROG").ShowMode(), SW_SHOWMAXIMIZED);
    const ToolMacroSet set = ParseToolMacros("junk$OPENCURDOC more $CLOSEQUIL");
    EXPECT_TRUE(set.OpenCurrent);
    EXPECT_TRUE(set.CloseQuillet);
    EXPECT_FALSE(set.CloseCurrent);
    EXPECT_FALSE(set.CopyText);
    EXPECT_EQ(ToolMacros().size(), 17u);
}

TEST(ToolMacros, FolderMacrosExpandAtTheirFirstOccurrenceOnly)
{
    const ToolFolders folders{"/opt/quil", "none", "/win"};
    const struct
    {
        const char *Name, *Expanded;
    } cases[] = {
        {"[QUILDIR]tool", "/opt/quil/tool"},
        {"[QUILDIR][QUILDIR]", "/opt/quil/[QUILDIR]"},
        {"[TARROWDIR]/game", "none/game"},
        {"[WINDOWSDIR]notepad", "/win/notepad"},
        {"plain", "plain"},
    };
    for (const auto &c : cases) EXPECT_EQ(ExpandFolderMacros(c.Name, folders), c.Expanded) << c.Name;
    // The root as the system folder gives one slash, not two.
    EXPECT_EQ(ExpandFolderMacros("[WINDOWSDIR]x", {"/p", "none", "/"}), "/x");
}

TEST(ToolMacros, WindowsDirIsWINDIRWhenSetElseTheRoot)
{
    const char *saved = std::getenv("WINDIR");
    const AnsiString keep = saved ? saved : "";
    unsetenv("WINDIR");
    EXPECT_EQ(WindowsFolder(), "/");
    setenv("WINDIR", "/srv/win/", 1);
    EXPECT_EQ(WindowsFolder(), "/srv/win");
    if (saved)
        setenv("WINDIR", keep.c_str(), 1);
    else
        unsetenv("WINDIR");
}

TEST(ToolMacros, TableClipboardTexts)
{
    EXPECT_EQ(TableRowClipText({"a", "b\x1D" "c", ""}), "a\tb\nc\t");
    EXPECT_EQ(TableClipText({{"a", "b"}, {"c", "d"}}), "a\tb\r\nc\td");
    EXPECT_EQ(TableColumnClipText({"a", "b\x1D" "c"}), "a\r\nb\nc\r\n");
}

TEST(ToolMenuItems, ShortcutsCaptionsAndHints)
{
    EXPECT_EQ(ToolShortcut(0), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    EXPECT_EQ(ToolShortcut(11), QKeySequence(Qt::SHIFT | Qt::Key_F12));
    EXPECT_TRUE(ToolShortcut(12).isEmpty());
    EXPECT_EQ(ToolHint("Edit", ToolShortcut(1)), "Tools: Edit (Shift+F2)");
    EXPECT_EQ(ToolHint("Edit", ToolShortcut(12)), "Tools: Edit");
    TStringList titles, files;
    titles.Add("First");
    files.Add("/bin/a");
    files.Add("/bin/b");
    EXPECT_EQ(ToolCaption(titles, files, 0), "First");
    EXPECT_EQ(ToolCaption(titles, files, 1), "/bin/b");
    // A file name is file-system text, a title the program's own 8-bit text.
    files.Add("/bin/d\xC3\xA9/c");
    EXPECT_EQ(ToolCaption(titles, files, 2), QString::fromUtf8("/bin/dé/c"));
    titles.Add("Caf\xE9");
    EXPECT_EQ(ToolCaption(titles, files, 1), QString::fromUtf8("Café"));
    EXPECT_EQ(ToolHint(QString::fromUtf8("/bin/dé/c"), ToolShortcut(2)), QString::fromUtf8("Tools: /bin/dé/c (Shift+F3)"));
}

namespace {

class ToolsMenu : public DocumentTest
{
protected:
    void AddTool(const AnsiString &file, const AnsiString &title, const AnsiString &commandLine,
                 const AnsiString &macros)
    {
        Form->TC_FileNames->Add(file);
        Form->TC_Titles->Add(title);
        Form->TC_CommandLines->Add(commandLine);
        Form->TC_Macros->Add(macros);
        Form->BuildToolsMenu();
    }

    QList<QAction *> ToolItems() const { return Form->Toolls1->actions().mid(7); }

    void Run(int i) { ToolItems().at(i)->trigger(); }   // as a click on the menu item
};

// While it lives, what this process and the programs it starts write to standard output goes
// to a file.
class StdoutToFile
{
public:
    explicit StdoutToFile(const AnsiString &path)
    {
        fflush(stdout);
        Saved = dup(1);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 1);
        close(fd);
    }
    ~StdoutToFile()
    {
        fflush(stdout);
        dup2(Saved, 1);
        close(Saved);
    }

private:
    int Saved = -1;
};

AnsiString WaitForContent(const AnsiString &path, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    AnsiString content;
    while (!deadline.hasExpired()) {
        content = ReadFileBytes(path);
        if (!content.empty()) break;
        QThread::msleep(20);
    }
    QThread::msleep(200);   // a program that would go on writing has had its time
    return ReadFileBytes(path);
}

} // namespace

TEST_F(ToolsMenu, TheMenuKeepsItsFixedItemsAndGetsOneItemPerToolWithShiftFKeys)
{
    Form->TC_Titles->Clear();
    for (int i = 0; i < 13; ++i) {
        Form->TC_FileNames->Add("/bin/tool" + IntToStr(i));
        if (i < 12) Form->TC_Titles->Add("Tool & " + IntToStr(i));
    }
    Form->BuildToolsMenu();
    Form->BuildToolsMenu();   // a rebuild replaces the items
    const QList<QAction *> items = ToolItems();
    ASSERT_EQ(items.size(), 13);
    EXPECT_EQ(Form->Toolls1->actions()[0], Form->ConfigureTools1);
    EXPECT_EQ(items[0]->text(), "Tool && 0");   // shown literally
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    EXPECT_EQ(items[0]->statusTip(), "Tools: Tool & 0 (Shift+F1)");
    EXPECT_EQ(items[11]->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F12));
    EXPECT_EQ(items[12]->text(), "/bin/tool12");
    EXPECT_TRUE(items[12]->shortcut().isEmpty());
    EXPECT_EQ(items[12]->statusTip(), "Tools: /bin/tool12");
}

// The document's name holds a blank, a ";" and a shell command: the tool gets it as one
// argument, prints exactly it, and nothing else runs.
TEST_F(ToolsMenu, ARealToolGetsTheDocumentNameAsOneArgumentAndNoShellRunsIt)
{
    const AnsiString docFolder = Root + "/docs";
    ASSERT_TRUE(QDir().mkpath(ToQPath(docFolder)));
    TForm_Editor *editor = Form->OpenDocument(docFolder + "/a b;touch x.kas", "KAS_Document");
    ASSERT_NE(editor, nullptr);
    AddTool("printf", "Print name", "", "$OPENCURDOC");

    const AnsiString out = Root + "/out.txt";
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(ToQPath(docFolder));
    {
        StdoutToFile capture(out);
        Run(0);
        EXPECT_EQ(WaitForContent(out, 5000), docFolder + "/a b;touch x.kas");
    }
    QDir::setCurrent(oldCurrent);
    EXPECT_TRUE(Boxes->Calls.empty());
    for (const AnsiString &folder : {docFolder, Root, FromQPath(oldCurrent)})
        for (const char *name : {"x", "x.kas"}) EXPECT_FALSE(QFile::exists(ToQPath(folder + "/" + name))) << folder;
}

TEST_F(ToolsMenu, TheProgramStartsInItsFolderWithTheShowModeAndTheCommandLineWords)
{
    ShellRecording shell;
    const AnsiString program = MakeFile("bin/tool", "#!/bin/sh\n");
    TForm_Editor *editor = OpenFile("s.kas", "JOTE\r\n", "KAS_Document");
    AddTool(program, "T", "-x \"two words\"", "$OPENCURDOC$MINIMIZEPROG");
    Run(0);
    ASSERT_EQ(shell.Calls().size(), 1u);
    const ShellCall &call = shell.Calls()[0];
    EXPECT_EQ(call.Kind, ShellCall::scStartProcess);
    EXPECT_EQ(call.Target, program);
    EXPECT_EQ(call.Args, (Args{editor->Caption(), "-x", "two words"}));
    EXPECT_EQ(call.WorkDir, Root + "/bin");
    EXPECT_EQ(call.ShowMode, SW_MINIMIZE);
}

TEST_F(ToolsMenu, FolderMacrosOfTheProgramNameExpand)
{
    ShellRecording shell;
    const AnsiString program = MakeFile("prog/tools/t1", "x");
    AddTool("[QUILDIR]tools/t1", "T", "", "");
    Run(0);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Target, program);
}

TEST_F(ToolsMenu, AMissingProgramIsReportedAndTheAfterMacrosStillAct)
{
    ShellRecording shell;
    ASSERT_EQ(Form->GameFolder, "none");
    AddTool("[TARROWDIR]/bin/game", "T", "", "$MINQUIL");
    Run(0);
    EXPECT_TRUE(shell.Calls().empty());
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet: Tools");
    EXPECT_EQ(Boxes->Calls[0].Text, "File \"none/bin/game\" not found!");
    EXPECT_EQ(Boxes->Calls[0].Flags & MB_ICONMASK, unsigned(MB_ICONERROR));
}

TEST_F(ToolsMenu, AProgramThatCannotStartIsReported)
{
    // A file that exists but cannot be executed (without any execute bit not even by root).
    const AnsiString program = MakeFile("not-a-program", "data");
    QFile::setPermissions(ToQPath(program), QFile::ReadOwner | QFile::WriteOwner);
    AddTool(program, "T", "", "");
    Run(0);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet: Tools");
    EXPECT_EQ(Boxes->Calls[0].Text, "File \"" + program + "\" could not be started!");
}

TEST_F(ToolsMenu, CopyMacrosPutTheTextOrTheTableOnTheClipboard)
{
    ShellRecording shell;
    const AnsiString program = MakeFile("tool", "x");
    TForm_Editor *text = OpenFile("t.txt", "one\r\ntwo\r\n", "TXT_Document");
    AddTool(program, "T", "", "$COPYTXTTOCLPBRD");
    Run(0);
    EXPECT_EQ(FromQ(QGuiApplication::clipboard()->text()), text->Memo1->Text());

    TForm_Editor *table = OpenFile("t.cmd", "a\tb\r\nc\x1D" "d\te\r\n", "CMD_Document");
    ASSERT_NE(table, nullptr);
    const struct
    {
        const char *Macro;
        AnsiString Expected;
    } cases[] = {
        {"$COPYSELTBLTOCLPBRD", "a\tb\r\nc\nd\te"},
        {"$COPYSELTBLCELLTOCLPBRD", table->StringGrid1->Cells(table->StringGrid1->Col(), table->StringGrid1->Row())},
    };
    for (const auto &c : cases) {
        Form->TC_Macros->SetString(0, c.Macro);
        Run(0);
        EXPECT_EQ(FromQ(QGuiApplication::clipboard()->text()), c.Expected) << c.Macro;
    }
}

TEST_F(ToolsMenu, CloseMacrosCloseTheDocumentsAndTheToolStillStarts)
{
    ShellRecording shell;
    const AnsiString program = MakeFile("tool", "x");
    OpenFile("a.txt", "a\r\n", "TXT_Document");
    OpenFile("b.txt", "b\r\n", "TXT_Document");
    AddTool(program, "T", "", "$OPENCURDOC$CLOSEALLDOC");
    Run(0);
    EXPECT_EQ(EditorCount(), 0);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Args, (Args{Root + "/b.txt"}));
}

// ---------------------------------------------------------------------------------------------
// Set-up dialog

namespace {

class ToolsSetup : public ToolsMenu
{
protected:
    void RunSetup(const std::function<void(TForm_SetupTools &)> &user)
    {
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<TForm_SetupTools *>(dialog);
            EXPECT_NE(form, nullptr);
            if (form) user(*form);
            return dialog->result();
        });
        ASSERT_TRUE(Form->ConfigureTools1->Execute());
        ASSERT_EQ(modal.ClassNames, std::vector<AnsiString>{"TForm_SetupTools"});
    }

    static void Fill(TForm_SetupTools &form, const AnsiString &app, const AnsiString &title,
                     const AnsiString &line = "", const AnsiString &macro = "")
    {
        form.Edit4->setText(ToQ(app));
        form.Edit2->setText(ToQ(title));
        form.Edit3->setText(ToQ(line));
        form.Edit1->setText(ToQ(macro));
    }

    AnsiString StoredList(const char *name)
    {
        TRegistry reg;
        EXPECT_TRUE(reg.OpenKeyReadOnly(SettingsKey));
        return reg.ValueExists(name) ? reg.ReadString(name) : "<none>";
    }
};

} // namespace

TEST_F(ToolsSetup, AddAndSaveStoreTheListsAndRebuildTheMenu)
{
    const AnsiString program = MakeFile("tool", "x");
    RunSetup([&](TForm_SetupTools &form) {
        EXPECT_FALSE(form.AddButton->isEnabled());
        Fill(form, program, "");
        EXPECT_FALSE(form.AddButton->isEnabled());   // no title
        Fill(form, Root + "/missing", "T");
        EXPECT_FALSE(form.AddButton->isEnabled());   // no such file
        Fill(form, program, "First", "-a", "$SAVECURDOC");
        EXPECT_TRUE(form.AddButton->isEnabled());
        form.AddClick();
        Fill(form, "sh", "Second");                   // found along PATH
        EXPECT_TRUE(form.AddButton->isEnabled());
        form.AddClick();
        EXPECT_EQ(form.ListBox1->count(), 2);
        form.SaveClick();
    });
    EXPECT_EQ(StoredList("TC_FileNames"), program + "\r\nsh\r\n");
    EXPECT_EQ(StoredList("TC_Titles"), "First\r\nSecond\r\n");
    EXPECT_EQ(StoredList("TC_CommandLines"), "-a\r\n\r\n");
    EXPECT_EQ(StoredList("TC_Macros"), "$SAVECURDOC\r\n\r\n");
    ASSERT_EQ(ToolItems().size(), 2);
    EXPECT_EQ(ToolItems()[1]->text(), "Second");
}

TEST_F(ToolsSetup, CloseDiscardsTheEditsAndLeavesTheMenu)
{
    const AnsiString program = MakeFile("tool", "x");
    AddTool(program, "Kept", "", "");
    WithSettings([&](TRegistry &reg) {
        WriteToolLists(reg, {Form->TC_FileNames, Form->TC_Titles, Form->TC_CommandLines, Form->TC_Macros});
    });
    RunSetup([&](TForm_SetupTools &form) {
        Fill(form, program, "Added");
        form.AddClick();
        form.ListBox1->setCurrentRow(0);
        form.RemoveClick();
        EXPECT_EQ(form.ListBox1->count(), 1);
        form.CloseClick();
    });
    EXPECT_EQ(Form->TC_Titles->Text(), "Kept\r\n");
    EXPECT_EQ(Form->TC_FileNames->Count(), 1);
    ASSERT_EQ(ToolItems().size(), 1);

    // Lists never stored get back what they held when the dialog opened.
    WithSettings([](TRegistry &reg) {
        for (const char *name : {"TC_FileNames", "TC_Titles", "TC_CommandLines", "TC_Macros"}) reg.DeleteValue(name);
    });
    RunSetup([&](TForm_SetupTools &form) {
        form.ClearAllClick();
        form.CloseClick();
    });
    EXPECT_EQ(Form->TC_Titles->Text(), "Kept\r\n");
}

TEST_F(ToolsSetup, SelectingFillsTheFieldsAndUpDownModifyRemoveKeepTheListsParallel)
{
    const AnsiString program = MakeFile("tool", "x");
    AddTool(program, "A", "-a", "$MINQUIL");
    AddTool(program, "B", "-b", "");
    Form->TC_FileNames->Add(program);   // a third tool whose other entries are missing
    RunSetup([&](TForm_SetupTools &form) {
        EXPECT_EQ(form.ListBox1->count(), 2);   // the list shows the titles
        form.ListBox1->setCurrentRow(0);
        EXPECT_EQ(form.Edit3->text(), "-a");
        EXPECT_EQ(form.Edit1->text(), "$MINQUIL");
        EXPECT_FALSE(form.UpButton->isEnabled());
        EXPECT_TRUE(form.DownButton->isEnabled());
        EXPECT_TRUE(form.RemoveButton->isEnabled());
        form.DownClick();
        EXPECT_EQ(form.ListBox1->currentRow(), 1);
        EXPECT_TRUE(form.UpButton->isEnabled());
        EXPECT_EQ(Form->TC_Titles->Text(), "B\r\nA\r\n");
        EXPECT_EQ(Form->TC_Macros->Text(), "\r\n$MINQUIL\r\n");
        form.Edit2->setText("A2");
        form.ModifyClick();
        EXPECT_EQ(Form->TC_Titles->Text(), "B\r\nA2\r\n");
        EXPECT_FALSE(form.ModifyButton->isEnabled());
        form.ListBox1->setCurrentRow(0);
        form.RemoveClick();
        EXPECT_EQ(Form->TC_Titles->Text(), "A2\r\n");
        EXPECT_EQ(Form->TC_CommandLines->Text(), "-a\r\n");
        EXPECT_EQ(Form->TC_FileNames->Count(), 2);
        EXPECT_EQ(form.Edit4->text(), " ");
        form.CloseClick();
    });
}

TEST_F(ToolsSetup, MenusFillTheFieldsAndHintsFollowTheText)
{
    RunSetup([&](TForm_SetupTools &form) {
        EXPECT_EQ(form.Edit1->toolTip(), "Write macro (Parameter is possible to not fill)");
        form.FolderMacroMenu->actions()[0]->trigger();
        EXPECT_EQ(form.Edit4->text(), "[QUILDIR]");
        EXPECT_EQ(form.Edit4->toolTip(), ToQ("Application: " + ProgramFolder + "/"));
        QList<QAction *> macros;
        for (QAction *a : form.MacroMenu->actions())
            if (!a->isSeparator()) macros << a;
        macros[1]->trigger();
        macros[2]->trigger();
        EXPECT_EQ(form.Edit1->text(), "$COPYTXTTOCLPBRD$COPYSELTXTTOCLPBRD");
        EXPECT_EQ(form.Edit1->toolTip(), "Macro: $COPYTXTTOCLPBRD$COPYSELTXTTOCLPBRD");
        macros[0]->trigger();
        EXPECT_TRUE(form.Edit1->text().isEmpty());
        form.CloseClick();
    });
}

TEST_F(ToolsSetup, BrowseFillsTheApplicationAndEnterSavesAndCloses)
{
    const AnsiString program = MakeFile("prog/editor", "x");
    FileDialogs.reset();   // the fixture's recorder gives way (it restores what it found)
    FileDialogs = std::make_unique<FileDialogRecorder>([&](TFileDialog &dialog) {
        dialog.FileName = program;
        return true;
    });
    RunSetup([&](TForm_SetupTools &form) {
        EXPECT_EQ(form.Edit2->toolTip(), "Write title");
        form.BrowseClick();
        EXPECT_EQ(FromQ(form.Edit4->text()), program);
        form.Edit2->setText("Ed");
        EXPECT_EQ(form.Edit2->toolTip(), "Title: Ed");
        form.AddClick();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(form.Edit2, &enter);
    });
    ASSERT_EQ(FileDialogs->Calls.size(), 1u);
    EXPECT_EQ(FileDialogs->Calls[0].Title, "Select executable file");
    EXPECT_EQ(FileDialogs->Calls[0].InitialDir, ProgramFolder);
    EXPECT_EQ(StoredList("TC_Titles"), "Ed\r\n");
    ASSERT_EQ(ToolItems().size(), 1);
}

// A program in a folder whose name has a letter beyond ASCII: typed with real keys it can be
// added, it is stored, shown, browsed and started by its own name.
TEST_F(ToolsSetup, AProgramInAFolderNamedWithAnAccentIsTypedStoredShownAndStarted)
{
    const AnsiString program = MakeFile("d\xC3\xA9/tool.sh", "x");
    const QString typed = ToQPath(program);
    ASSERT_TRUE(typed.contains(QString::fromUtf8("/dé/"))) << program;
    FileDialogs.reset();
    FileDialogs = std::make_unique<FileDialogRecorder>([&](TFileDialog &dialog) {
        dialog.FileName = program;
        return true;
    });
    RunSetup([&](TForm_SetupTools &form) {
        ShowActive(&form);
        form.Edit4->setFocus();
        QTest::keyClick(form.Edit4, Qt::Key_A, Qt::ControlModifier);
        TypeKeys(form.Edit4, typed);
        form.Edit2->setFocus();
        TypeKeys(form.Edit2, "T");
        EXPECT_TRUE(form.AddButton->isEnabled());
        EXPECT_TRUE(form.ModifyButton->isEnabled());
        EXPECT_EQ(form.Edit4->toolTip(), "Application: " + typed);
        QTest::mouseClick(form.AddButton, Qt::LeftButton);
        form.Edit4->clear();
        form.BrowseClick();
        EXPECT_EQ(form.Edit4->text(), typed);
        form.ListBox1->setCurrentRow(0);
        EXPECT_EQ(form.Edit4->text(), typed);
        form.SaveClick();
    });
    EXPECT_EQ(StoredList("TC_FileNames"), program + "\r\n");
    ShellRecording shell;
    Form->TC_Titles->Clear();   // the caption falls back to the file name
    Form->BuildToolsMenu();
    ASSERT_EQ(ToolItems().size(), 1);
    EXPECT_EQ(ToolItems()[0]->text(), typed);
    Run(0);
    EXPECT_TRUE(Boxes->Calls.empty()) << (Boxes->Calls.empty() ? "" : Boxes->Calls[0].Text);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Kind, ShellCall::scStartProcess);
    EXPECT_EQ(shell.Calls()[0].Target, program);
}

// The command line goes to the program as file-system text, any letter; the title and the macro
// are the program's own 8-bit texts, so a letter they cannot hold is refused by name.
TEST_F(ToolsSetup, ATitleWithALetterItCannotHoldIsRefusedByNameAndNothingIsAdded)
{
    const AnsiString program = MakeFile("tool", "x");
    RunSetup([&](TForm_SetupTools &form) {
        ShowActive(&form);
        Fill(form, program, "");
        form.Edit2->setFocus();
        TypeKeys(form.Edit2, QString::fromUtf8("Café я"));
        form.Edit3->setFocus();
        TypeKeys(form.Edit3, QString::fromUtf8("--file=я.txt"));
        QTest::mouseClick(form.AddButton, Qt::LeftButton);
        EXPECT_EQ(form.ListBox1->count(), 0);
        EXPECT_TRUE(form.Edit2->hasFocus());
        EXPECT_EQ(form.Edit2->selectedText(), QString::fromUtf8("я"));
        QTest::keyClick(form.Edit2, Qt::Key_Backspace);
        QTest::mouseClick(form.AddButton, Qt::LeftButton);
        EXPECT_EQ(form.ListBox1->count(), 1);
        form.SaveClick();
    });
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, RefusedCharacterText(CheckedFromQ(QString::fromUtf8("Café я")), "Title"));
    EXPECT_EQ(Boxes->Calls[0].Caption, "Tools setup");
    EXPECT_EQ(StoredList("TC_Titles"), "Caf\xE9 \r\n");
    EXPECT_EQ(StoredList("TC_CommandLines"), "--file=\xD1\x8F.txt\r\n");
    EXPECT_EQ(Form->TC_FileNames->Count(), 1);
}
