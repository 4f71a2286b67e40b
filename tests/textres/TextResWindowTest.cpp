// The text-resource commands on real windows: the manager lists a script's texts, KATtify moves
// them into the KAT table, De-KATtify puts them back, Go to KAT index finds a row.
#include "shell/DocumentTestSupport.h"

#include "common/Utils.h"
#include "platform/Application.h"
#include "platform/Shell.h"
#include "platform/StatusBar.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"
#include "textres/KatGenSetsWin.h"
#include "textres/KatIndexing.h"
#include "textres/ReKatWin.h"
#include "textres/TRM.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <QTimer>

namespace {

const char *const KeptMime = "application/x-quillet-test";

AnsiString Fixture() { return ReadAll(QString(QUILLET_FIXTURES) + "/textres/Script07.kas"); }

// The fixture's script once KATtified with the default settings.
const char *const KattifiedLines[] = {
    "; Script of the northern island", "QUIL_ScriptVersion=2.1", "!#IF:M1/z107000;", "!!IF:M1/z107001;",
    "!!IF:Q2/z107002;", "!!VR:z5:Sz107003;", "!!IF:M1/z107004;", "!#VR:z3:Q/z107005;", "!#IF:Sz107006;",
    "!!FU:Xz107007;", "!?FU^Never moved^;", "!$OB^Dollar command^;",
    "Outside a command ^carets^ are ordinary.", "!!IF:M1/z107008;",
};

AnsiString KattifiedText()
{
    AnsiString text;
    for (const char *line : KattifiedLines) text += AnsiString(line) + "\r\n";
    return text + "\r\n";   // the loader's empty last line of a script file
}

AnsiString ExpectedKatFile()
{
    const AnsiString tail = "; Script version = 2.1\t" + TodayShortDate() + "\r\n";
    return "#\tText resource for \"Script07.kas\" document\t\t\r\n"
           "107000\tWelcome to the map!\t!#M" + tail +
           "107001\tHello, hero.\t!!M" + tail +
           "107002\tDo you want to fight?\t!!Q" + tail +
           "107003\tA text with ; and ! inside\t!!S" + tail +
           "107004\tA text on\ntwo lines\t!!M" + tail +
           "107005\tQuestion of the hash command\t!#Q" + tail +
           "107006\tPlain string\t!#S" + tail +
           "107007\tUnknown letter\t!!S" + tail +
           "107008\t\t!!M" + tail;
}

class TextResTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        KatOptionFlags = {true, true, true, true};
        DocumentTest::SetUp();
    }

    TForm_Editor *OpenScript() { return OpenFile("Script07.kas", Fixture(), "KAS_Document"); }
    AnsiString KatPath() const { return Root + "/Script07.kat"; }

    TForm_Editor *WindowOf(const AnsiString &caption) const
    {
        for (int i = 0; i < Form->MDIChildCount(); ++i)
            if (auto *w = qobject_cast<TForm_Editor *>(Form->MDIChildren(i)); w && w->Caption() == caption) return w;
        return nullptr;
    }

    void Activate(TForm_Editor *window) { Form->MdiArea->setActiveSubWindow(window); }

    // Runs De-KATtify on the active script with the KAT file named.
    void DeKattify(const AnsiString &katPath)
    {
        TREKATForm dialog(Form);
        dialog.Edit2->setText(ToQPath(katPath));
        ASSERT_TRUE(dialog.ToolButton1->Enabled());
        dialog.ToolButton1Click();
    }

    static void KeepSomethingOnTheClipboard()
    {
        auto *data = new QMimeData;
        data->setData(KeptMime, "the user's own");
        QApplication::clipboard()->setMimeData(data);
    }
    static bool ClipboardKept()
    {
        const QMimeData *data = QApplication::clipboard()->mimeData();
        return data && data->data(KeptMime) == "the user's own";
    }
};

TEST_F(TextResTest, ManagerListsTheScriptsTexts)
{
    TForm_Editor *script = OpenScript();
    TTxtResMan manager(Form);
    EXPECT_EQ(manager.windowTitle(), "Text resource manager");
    EXPECT_TRUE(manager.ExportchangesinKATdocument1->isEnabled());
    manager.ToolButton3Click();

    ASSERT_EQ(manager.ItemCount(), 11);
    EXPECT_EQ(manager.Panel22Count->text(), "Count: 11");
    EXPECT_EQ(manager.ItemText(4), "A text on\r\ntwo lines");
    EXPECT_EQ(manager.TextKinds[0], "#");
    EXPECT_EQ(manager.TextLetters[7], "X");
    EXPECT_EQ(manager.TextKinds[8], "?");
    EXPECT_TRUE(manager.ToolButton1->Enabled());
    EXPECT_TRUE(manager.ToolButton2->Enabled());
    EXPECT_FALSE(manager.ToolButton5->Enabled());
    EXPECT_TRUE(manager.Memo1->isReadOnly());
    EXPECT_TRUE(Boxes->Calls.empty());

    manager.ListBox1->setCurrentRow(1);
    EXPECT_EQ(script->Memo1->SelText(), "Hello, hero.");
    EXPECT_EQ(manager.Memo1->toPlainText(), "Hello, hero.");
    EXPECT_EQ(manager.Panel5Count->text(), "Count: 12");
    EXPECT_EQ(manager.Label3->text(), "2 ");
    EXPECT_EQ(manager.Label4->text(), ToQ("(" + manager.TextStarts[1] + ";" + manager.TextEnds[1] + ") "));
    EXPECT_FALSE(manager.Memo1->isReadOnly());
}

TEST_F(TextResTest, UnpairedCaretIsListedAndReported)
{
    OpenFile("Script01.kas", "!!IF:M^fine^;\n!!IF:M^never closed\n\r", "KAS_Document");
    TTxtResMan manager(Form);
    manager.ToolButton3Click();
    ASSERT_EQ(manager.ItemCount(), 2);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "The error is detected: unpaired quotes (\"^\").");
    EXPECT_EQ(Boxes->Calls[0].Caption, "Text resource manager");
    EXPECT_EQ(Boxes->Calls[0].Flags & MB_ICONMASK, unsigned(MB_ICONWARNING));
}

TEST_F(TextResTest, KattifyOnlyForSavedScripts)
{
    TForm_Editor *fresh = OpenNew("fresh.kas", "KAS_Document");
    {
        TTxtResMan manager(Form);
        EXPECT_EQ(FromQ(manager.windowTitle()),
                  "Text resource manager: Document \"" + fresh->Caption() + "\" was not saved!");
        EXPECT_FALSE(manager.ExportchangesinKATdocument1->isEnabled());
    }
    OpenFile("notes.txt", "!!IF:M^x^;\r\n", "TXT_Document");
    TTxtResMan manager(Form);
    EXPECT_EQ(manager.windowTitle(), "Text resource manager: Current document is not KAS-type!");
    EXPECT_FALSE(manager.ExportchangesinKATdocument1->isEnabled());
    manager.ToolButton3Click();
    EXPECT_EQ(manager.ItemCount(), 1);
}

// Texts of every form go into a new KAT table and come back byte for byte; the clipboard stays
// as the user left it, the script change is one undo step, and a second De-KATtify does nothing.
TEST_F(TextResTest, KattifyThenDeKattifyGivesTheScriptBack)
{
    TForm_Editor *script = OpenScript();
    const AnsiString original = script->Memo1->Text();
    KeepSomethingOnTheClipboard();

    TTxtResMan manager(Form);
    manager.ToolButton3Click();
    manager.ExportchangesinKATdocument1Click();
    EXPECT_TRUE(Boxes->Calls.empty());
    EXPECT_TRUE(ClipboardKept());
    EXPECT_EQ(script->Memo1->Text(), KattifiedText());
    EXPECT_EQ(manager.ItemCount(), 2);   // the "!?" and "!$" texts stay
    EXPECT_EQ(Form->ActiveEditor(), script);
    EXPECT_EQ(TypeIndexSettings[0][2], "9");
    EXPECT_EQ(TypeIndexSettings[3][2], "1");

    TForm_Editor *kat = WindowOf(KatPath());
    ASSERT_NE(kat, nullptr);
    EXPECT_TRUE(kat->IsModified());
    EXPECT_EQ(ReadFileBytes(KatPath()), "\t\t\r\n");   // the seed, until the table is saved
    ASSERT_TRUE(Form->SaveDocumentToFile("KAT_Document", KatPath(), kat->StringGrid1));
    EXPECT_EQ(ReadFileBytes(KatPath()), ExpectedKatFile());

    script->Memo1->Undo();
    EXPECT_EQ(script->Memo1->Text(), original);
    script->Memo1->Redo();
    EXPECT_EQ(script->Memo1->Text(), KattifiedText());

    Activate(script);
    DeKattify(KatPath());
    EXPECT_EQ(script->Memo1->Text(), original);
    EXPECT_TRUE(ClipboardKept());
    EXPECT_EQ(kat->StringGrid1->Cells(0, 1), "#107000");
    EXPECT_EQ(kat->StringGrid1->Cells(0, 9), "#107008");
    EXPECT_EQ(kat->StringGrid1->Cells(0, 0), "#");
    EXPECT_TRUE(PathExists(Root + "/Script07_COPY0.kas"));   // the script's backup

    Activate(script);
    script->Memo1->SetModified(false);
    DeKattify(KatPath());
    EXPECT_EQ(script->Memo1->Text(), original);

    ASSERT_TRUE(Form->SaveDocumentToFile("KAS_Document", script->Caption(), script->Memo1));
    EXPECT_EQ(ReadFileBytes(script->Caption()), Fixture());
}

TEST_F(TextResTest, KattifyAddsToAnOpenTableOfAnotherScript)
{
    TForm_Editor *kat = OpenFile("Script07.kat", "#\tText resource for \"Other.kas\" document\t\t\r\n5\tOld\t\t\r\n",
                                 "KAT_Document");
    TForm_Editor *script = OpenFile("Script07.kas", "!!IF:M^New^;\n\r", "KAS_Document");
    TTxtResMan manager(Form);
    manager.ToolButton3Click();
    manager.ExportchangesinKATdocument1Click();
    TStringGrid *grid = kat->StringGrid1;
    ASSERT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Cells(1, 0), "Text resource for \"Script07.kas\" document");
    EXPECT_EQ(grid->Cells(1, 1), "Text resource for \"Other.kas\" document");
    EXPECT_EQ(grid->Cells(0, 2), "5");
    EXPECT_EQ(grid->Cells(0, 3), "107000");
    EXPECT_EQ(grid->Cells(1, 3), "New");
    EXPECT_EQ(script->Memo1->Text(), "!!IF:M1/z107000;\r\n\r\n");
    EXPECT_TRUE(PathExists(Root + "/Script07_COPY0.kat"));
    EXPECT_EQ(WindowOf(KatPath()), kat);
}

// With "open old document" off, an existing KAT file is backed up and replaced by a fresh table
// (the settings come from the registry when the manager is made).
TEST_F(TextResTest, KattifyStartsAFreshTableWhenTheOldOneIsNotOpened)
{
    WithSettings([](TRegistry &reg) {
        reg.WriteBool("KAT_OpenOldDoc", false);
        reg.WriteBool("KAT_WriteScriptVersion", false);
    });
    const AnsiString old = "#\tText resource for \"Script07.kas\" document\t\t\r\n9\tOld row\t\t\r\n";
    MakeFile("Script07.kat", old);
    TForm_Editor *script = OpenFile("Script07.kas", "!!IF:S^One^;\n!!IF:Q^Two^;\n\r", "KAS_Document");
    TTxtResMan manager(Form);
    EXPECT_FALSE(KatOptionFlags[KatOpenOldDoc]);
    manager.ToolButton3Click();
    manager.ExportchangesinKATdocument1Click();

    EXPECT_EQ(ReadFileBytes(Root + "/Script07_COPY0.kat"), old);
    EXPECT_TRUE(PathExists(Root + "/Script07_COPY0.kas"));
    EXPECT_EQ(ReadFileBytes(KatPath()), "\t\t\r\n");
    TForm_Editor *kat = WindowOf(KatPath());
    ASSERT_NE(kat, nullptr);
    TStringGrid *grid = kat->StringGrid1;
    ASSERT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Cells(0, 0), "#");
    EXPECT_EQ(grid->Cells(0, 1), "107000");
    EXPECT_EQ(grid->Cells(2, 1), "!!S");
    EXPECT_EQ(grid->Cells(0, 2), "107001");
    EXPECT_EQ(grid->Cells(2, 2), "!!Q");
    EXPECT_EQ(script->Memo1->Text(), "!!IF:Sz107000;\r\n!!IF:Q/z107001;\r\n\r\n");
    EXPECT_EQ(Form->ActiveEditor(), kat);   // no text is left in the script
    EXPECT_EQ(kat->StatusBar2->Panels[2].Text(), IntToStr(grid->Row() + 1) + "/3");
    EXPECT_TRUE(Boxes->Calls.empty());
}

TEST_F(TextResTest, WriteBackEditedTexts)
{
    TForm_Editor *script = OpenScript();
    KeepSomethingOnTheClipboard();
    TTxtResMan manager(Form);
    manager.ToolButton3Click();
    const int laterStart = std::stoi(manager.TextStarts[2]);
    manager.ListBox1->setCurrentRow(1);
    manager.Memo1->setPlainText("Hi");
    EXPECT_EQ(manager.ItemText(1), "Hi");
    script->Memo1->SetSelStart(3);
    manager.Exportchangesincurrentdocument1Click();

    EXPECT_NE(script->Memo1->Text().find("!!IF:M^Hi^;\r\n!!IF:Q2^Do you"), AnsiString::npos);
    EXPECT_EQ(std::stoi(manager.TextStarts[2]), laterStart - 10);
    EXPECT_EQ(script->Memo1->SelStart(), 3);
    EXPECT_TRUE(ClipboardKept());
    manager.ListBox1->setCurrentRow(2);
    EXPECT_EQ(script->Memo1->SelText(), "Do you want to fight?");
}

TEST_F(TextResTest, CopyAndPasteTheList)
{
    OpenFile("Script02.kas", "!!IF:M^a^;\n!!IF:M^b^;\n!!IF:M^c^;\n\r", "KAS_Document");
    TTxtResMan manager(Form);
    manager.ToolButton3Click();
    manager.ToolButton2Click();
    EXPECT_EQ(FromQ(QApplication::clipboard()->text()),
              "a\r\n<<<_END_OF_MESSAGE_>>>\r\nb\r\n<<<_END_OF_MESSAGE_>>>\r\nc");
    QApplication::clipboard()->setText("x\n<<<_END_OF_MESSAGE_>>>\ny1\ny2");
    manager.ToolButton7Click();
    EXPECT_EQ(manager.ItemText(0), "x");
    EXPECT_EQ(manager.ItemText(1), "y1\r\ny2");
    EXPECT_EQ(manager.ItemText(2), "c");

    const auto checks = [&manager] {
        AnsiString marks;
        for (int i = 0; i < manager.ItemCount(); ++i)
            marks += manager.ListBox1->item(i)->checkState() == Qt::Checked ? 'x' : '-';
        return marks;
    };
    manager.ListBox1->item(1)->setCheckState(Qt::Unchecked);
    manager.InvertSelection1->trigger();
    EXPECT_EQ(checks(), "-x-");
    manager.SelectAll1->trigger();
    EXPECT_EQ(checks(), "xxx");
    manager.UnselectAll1->trigger();
    EXPECT_EQ(checks(), "---");

    manager.Toseparatethemessages1->trigger();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Attention! The \"Paste List\" function can work only with the text divided "
                                    "into the separate messages.");
    manager.ToolButton2Click();
    EXPECT_EQ(FromQ(QApplication::clipboard()->text()), "x\r\ny1\r\ny2\r\nc");
}

TEST_F(TextResTest, GoToKatIndex)
{
    TForm_Editor *script = OpenScript();
    TTxtResMan manager(Form);
    manager.ToolButton3Click();
    manager.ExportchangesinKATdocument1Click();
    TForm_Editor *kat = WindowOf(KatPath());
    ASSERT_TRUE(Form->SaveDocumentToFile("KAT_Document", KatPath(), kat->StringGrid1));
    kat->SetModified(false);
    kat->close();
    ASSERT_EQ(WindowOf(KatPath()), nullptr);

    Activate(script);
    const int at = int(script->Memo1->Text().find("107004"));
    script->Memo1->SetSelStart(at);
    script->Memo1->SetSelEnd(at + 6);
    Form->GoToKATIndexActionUpdate();
    ASSERT_TRUE(Form->GoToKATIndexAction->Enabled());
    Form->GoToKATIndexActionExecute();
    kat = WindowOf(KatPath());
    ASSERT_NE(kat, nullptr);   // opened from its file
    EXPECT_EQ(Form->ActiveEditor(), kat);
    EXPECT_EQ(kat->StringGrid1->Row(), 5);
    EXPECT_TRUE(Boxes->Calls.empty());

    Activate(script);
    const int five = int(script->Memo1->Text().find("z5:"));
    script->Memo1->SetSelStart(five + 1);
    script->Memo1->SetSelEnd(five + 2);
    Form->GoToKATIndexActionExecute();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "KAT index \"5\" not found.");
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");

    TForm_Editor *lone = OpenFile("Lone.kas", "!!IF:M1/z12;\n\r", "KAS_Document");
    lone->Memo1->SetSelStart(10);
    lone->Memo1->SetSelEnd(12);
    Form->GoToKATIndexActionExecute();
    ASSERT_EQ(Boxes->Calls.size(), 2u);
    EXPECT_EQ(Boxes->Calls[1].Text, "File \"" + Root + "/Lone.kat\" not found.");

    lone->Memo1->SetSelStart(9);   // "z12" is no number
    Form->GoToKATIndexActionUpdate();
    EXPECT_FALSE(Form->GoToKATIndexAction->Enabled());
}

TEST_F(TextResTest, ActionsFollowTheActiveDocument)
{
    OpenFile("t.kat", "1\ta\t\t\r\n", "KAT_Document");
    Form->TextresourcemanagerAction1Update();
    Form->ReKATtifyActionUpdate();
    EXPECT_FALSE(Form->TextresourcemanagerAction1->Enabled());
    EXPECT_FALSE(Form->ReKATtifyAction->Enabled());
    OpenFile("t.txt", "x\r\n", "TXT_Document");
    Form->TextresourcemanagerAction1Update();
    Form->ReKATtifyActionUpdate();
    EXPECT_TRUE(Form->TextresourcemanagerAction1->Enabled());
    EXPECT_FALSE(Form->ReKATtifyAction->Enabled());
    OpenFile("t.kas", "x\n\r", "KAS_Document");
    Form->ReKATtifyActionUpdate();
    EXPECT_TRUE(Form->ReKATtifyAction->Enabled());

    ModalRecorder modal([](QDialog *) { return mrCancel; });
    Form->TextresourcemanagerAction1Execute();
    Form->ReKATtifyActionExecute();
    EXPECT_EQ(modal.ClassNames, (std::vector<AnsiString>{"TTxtResMan", "TREKATForm"}));
}

TEST_F(TextResTest, DeKattifyOptionsAndMissingFile)
{
    TForm_Editor *script = OpenFile("Script03.kas", "!!IF:M1/z5;\n\r", "KAS_Document");
    {
        TREKATForm dialog(Form);
        EXPECT_EQ(FromQ(dialog.Edit1->text()), script->Caption());
        EXPECT_EQ(dialog.CheckListBox1->item(0)->checkState(), Qt::Checked);
        EXPECT_EQ(dialog.CheckListBox1->item(1)->checkState(), Qt::Unchecked);
        EXPECT_FALSE(dialog.ToolButton1->Enabled());
        dialog.CheckListBox1->item(0)->setCheckState(Qt::Unchecked);
        dialog.CheckListBox1->item(1)->setCheckState(Qt::Checked);
        dialog.Edit2->setText(ToQPath(Root + "/Script03.txt"));
        EXPECT_FALSE(dialog.ToolButton1->Enabled());
    }
    TREKATForm dialog(Form);
    EXPECT_EQ(dialog.CheckListBox1->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(dialog.CheckListBox1->item(1)->checkState(), Qt::Checked);

    // Delete KAT document: the file goes and its window closes.
    const AnsiString kat = MakeFile("Script03.kat", "5\tHello\t\t\r\n");
    dialog.Edit2->setText(ToQPath(kat));
    ASSERT_TRUE(dialog.ToolButton1->Enabled());
    Boxes->Answers = {IDNO};   // do not save the changed table
    dialog.ToolButton1Click();
    EXPECT_EQ(script->Memo1->Text(), "!!IF:M^Hello^;\r\n\r\n");
    EXPECT_FALSE(PathExists(kat));
    EXPECT_FALSE(PathExists(Root + "/Script03_COPY0.kas"));
    EXPECT_EQ(WindowOf(kat), nullptr);
}

TEST_F(TextResTest, IndexationSettingsDialog)
{
    OpenScript();
    TTxtResMan manager(Form);
    EXPECT_EQ(CommonIndexSettings[0], "07");
    {
        TKATGenSetsForm dialog(Form);
        EXPECT_EQ(dialog.StringGrid1->Cells(0, 2), "!!, Q");
        EXPECT_EQ(dialog.StringGrid2->Cells(1, 0), "07");
        dialog.StringGrid1->SetCell(1, 2, "FALSE");
        dialog.StringGrid1->SetCell(3, 1, "50");
        dialog.StringGrid2->SetCell(1, 2, "M");
        dialog.ToolButton3Click();   // save as shown
        dialog.ToolButton1Click();   // apply
    }
    EXPECT_EQ(TypeIndexSettings[1][0], "FALSE");
    EXPECT_EQ(TypeIndexSettings[0][2], "50");
    EXPECT_EQ(CommonIndexSettings[2], "M");

    // A new manager starts from the defaults; Load brings the saved scheme back but keeps the
    // document's script number.
    ResetIndexSettings("42");
    TKATGenSetsForm dialog(Form);
    dialog.ToolButton4Click();
    EXPECT_EQ(dialog.StringGrid1->Cells(1, 2), "FALSE");
    EXPECT_EQ(dialog.StringGrid1->Cells(3, 1), "50");
    EXPECT_EQ(dialog.StringGrid2->Cells(1, 0), "42");
    EXPECT_EQ(dialog.StringGrid2->Cells(1, 2), "M");
    EXPECT_EQ(TypeIndexSettings[1][0], "TRUE");   // not applied yet

    // Typing into the Prefix editor: out of range or not a number never reaches the cell.
    dialog.show();
    dialog.TabControl1->setCurrentIndex(0);
    dialog.StringGrid1->SetCol(2);
    dialog.StringGrid1->SetRow(3);
    dialog.StringGrid1SelectCell(2, 3);
    dialog.Edit1->setText("7");
    EXPECT_EQ(dialog.StringGrid1->Cells(2, 3), "7");
    dialog.Edit1->setText("12");
    EXPECT_EQ(dialog.StringGrid1->Cells(2, 3), "7");
    dialog.Edit1->setText("x");
    EXPECT_EQ(dialog.Edit1->text(), "7");
    EXPECT_EQ(dialog.StringGrid1->Cells(2, 3), "7");

    // The option list writes its values at once.
    dialog.CheckListBox1->item(KatOpenOldDoc)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(KatOptionFlags[KatOpenOldDoc]);
    WithSettings([](TRegistry &reg) { EXPECT_FALSE(reg.ReadBool("KAT_OpenOldDoc")); });
}

} // namespace

namespace {

TEST_F(TextResTest, HelpContextsAndRightArrangeIsRemembered)
{
    OpenScript();
    ShellRecording shell;
    {
        TTxtResMan manager(Form);
        EXPECT_FALSE(manager.RightArrange->isChecked());
        manager.ToolButton10Click();
        TKATGenSetsForm settings(Form);
        settings.ToolButton5Click();
        TREKATForm rekat(Form);
        rekat.ToolButton9Click();
        manager.RightArrange->setChecked(true);
    }
    ASSERT_EQ(shell.Calls().size(), 3u);
    EXPECT_EQ(shell.Calls()[0].Data, 116);
    EXPECT_EQ(shell.Calls()[1].Data, 104);
    EXPECT_EQ(shell.Calls()[2].Data, 119);
    for (const ShellCall &call : shell.Calls()) EXPECT_EQ(call.Command, unsigned(HELP_CONTEXT));

    // Docked at the main window's right edge while shown, and the main window back afterwards.
    const int left = Form->x(), width = Form->width();
    TTxtResMan manager(Form);
    EXPECT_TRUE(manager.RightArrange->isChecked());
    manager.show();
    EXPECT_GE(manager.x(), Form->x() + Form->width() - 4);   // right of the main window
    manager.close();
    EXPECT_EQ(Form->width(), width);
    EXPECT_EQ(Form->x(), left);
}

} // namespace

namespace {

// The scan lets the window's events run, so Stop reaches it: the scan ends at the next closing
// caret.
TEST_F(TextResTest, StopReachesARunningScan)
{
    AnsiString script;
    for (int i = 0; i < 10000; ++i) script += "!!IF:M^text^;\n";
    OpenFile("Script04.kas", script + "\r", "KAS_Document");
    TTxtResMan manager(Form);
    QTimer::singleShot(0, &manager, [&manager] { manager.ToolButton5->click(); });
    manager.ToolButton3Click();
    EXPECT_EQ(manager.ItemCount(), 1);
    EXPECT_FALSE(manager.ToolButton5->Enabled());
    EXPECT_TRUE(manager.ToolButton3->Enabled());
    manager.ToolButton3Click();
    EXPECT_EQ(manager.ItemCount(), 10000);
    EXPECT_EQ(manager.Panel22Count->text(), "Count: 10000");
}

} // namespace

namespace {

// A KAT file that cannot be made is reported; the run still gives the texts to a new table of
// that name.
TEST_F(TextResTest, KatFileThatCannotBeCreated)
{
    ASSERT_TRUE(QDir().mkpath(ToQPath(Root + "/locked")));
    TForm_Editor *script = OpenFile("locked/Script09.kas", "!!IF:M^Text^;\n\r", "KAS_Document");
    QFile::setPermissions(ToQPath(Root + "/locked"), QFile::Permissions(0x5555));
    OpenToEveryone(Root);
    QFile::setPermissions(ToQPath(SettingsFile), QFileDevice::Permissions(0x6644));
    {
        UnprivilegedScope user;
        ASSERT_TRUE(user.Active());
        TTxtResMan manager(Form);
        manager.ToolButton3Click();
        manager.ExportchangesinKATdocument1Click();
    }

    const AnsiString katPath = Root + "/locked/Script09.kat";
    ASSERT_GE(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Error at creating file \"" + katPath + "\"!\r\nPermission denied");
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");
    EXPECT_EQ(Boxes->Calls[0].Flags & MB_ICONMASK, unsigned(MB_ICONSTOP));
    TForm_Editor *kat = WindowOf(katPath);
    ASSERT_NE(kat, nullptr);
    EXPECT_EQ(kat->StringGrid1->Cells(0, 1), "109000");
    EXPECT_EQ(script->Memo1->Text(), "!!IF:M1/z109000;\r\n\r\n");
}

} // namespace

namespace {

// A left click at the point (the widget's centre when none is given), as the mouse sends it.
void Click(QWidget *target, QPoint at = {})
{
    if (at.isNull()) at = target->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }
}

// Opens the tool button's drop-down menu with a click and clicks the item in it; meanwhile runs
// just before that click (so whatever it starts happens while the item's command runs).
void ChooseFromDropDown(TToolButton *button, QAction *item, const std::function<void()> &meanwhile = {})
{
    QTimer::singleShot(0, button, [item, meanwhile] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu) return ADD_FAILURE() << "the drop-down menu is not open";
        if (!item->isEnabled()) {
            menu->close();
            return ADD_FAILURE() << "the item is disabled";
        }
        menu->grab();
        if (meanwhile) meanwhile();
        Click(menu, menu->actionGeometry(item).center());
    });
    Click(button);
}

// Closes the window as the user does; its deletion, which the program's event loop would make
// next, is made at once.
void CloseNow(QWidget *window)
{
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Answers every message box as the recorder does and lets the test act on it.
class MessageBoxHook
{
public:
    explicit MessageBoxHook(const std::function<void(const MessageBoxCall &)> &onBox) : Recorder(CurrentMessageBoxResponder())
    {
        SetMessageBoxResponder([this, onBox](const MessageBoxCall &call) {
            const int answer = Recorder(call);
            onBox(call);
            return answer;
        });
    }
    ~MessageBoxHook() { SetMessageBoxResponder(Recorder); }

private:
    MessageBoxResponder Recorder;
};

// A file name as long as the system allows: no backup copy of it can be made beside it, as its
// name would be longer still.
AnsiString LongestName(const char *extension) { return AnsiString(251, 's') + extension; }

// KATtify with an old KAT file that is not to be opened, which the run would delete: a backup
// that fails, or a setting that is no number, ends the run before anything has changed.
TEST_F(TextResTest, KattifyChangesNothingWhenABackupOrTheNumberingFails)
{
    struct Case
    {
        const char *Name;
        AnsiString Stem;
        std::function<void()> Setup;
        AnsiString MessageStart;
    };
    const AnsiString longStem = LongestName("");
    const Case cases[] = {
        {"backup that cannot be made", longStem, {},
         "Error at making backup copy of file \"" + Root + "/" + longStem + ".kat\"! Nothing has been changed.\r\n"},
        {"postfix that is no number", "Script07", [] { TypeIndexSettings[0].SetString(2, "x"); },
         "Exception message: \"'x' is not a valid integer value"},
    };
    WithSettings([](TRegistry &reg) { reg.WriteBool("KAT_OpenOldDoc", false); });
    const AnsiString old = "#\tText resource for \"other.kas\" document\t\t\r\n9\tOld row\t\t\r\n";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        const AnsiString katPath = MakeFile(c.Stem + ".kat", old);
        TForm_Editor *script = OpenFile(c.Stem + ".kas", "!!IF:M^One^;\n\r", "KAS_Document");
        const AnsiString text = script->Memo1->Text();
        TTxtResMan manager(Form);
        manager.show();
        Click(manager.ToolButton3);
        ASSERT_EQ(manager.ItemCount(), 1);
        if (c.Setup) c.Setup();
        const std::array<TStringList, 6> types = TypeIndexSettings;
        Boxes->Calls.clear();
        ChooseFromDropDown(manager.ToolButton1, manager.ExportchangesinKATdocument1);

        ASSERT_EQ(Boxes->Calls.size(), 1u);
        const AnsiString &message = Boxes->Calls[0].Text;
        EXPECT_EQ(message.substr(0, c.MessageStart.size()), c.MessageStart);
        EXPECT_GT(message.size(), c.MessageStart.size());   // the system's reason follows
        EXPECT_EQ(Boxes->Calls[0].Caption.substr(0, 7), "Quillet");
        EXPECT_EQ(ReadFileBytes(katPath), old);
        EXPECT_EQ(WindowOf(katPath), nullptr);
        EXPECT_EQ(script->Memo1->Text(), text);
        EXPECT_EQ(TypeIndexSettings[0][2], types[0][2]);
        EXPECT_EQ(CommonIndexSettings[0], c.Stem == "Script07" ? "07" : "0");
        EXPECT_FALSE(PathExists(Root + "/" + c.Stem + "_COPY0.kat"));
        script->SetModified(false);
        CloseNow(script);
    }
}

// The script window is closed while a command of the manager lets the windows' events run: the
// command ends there, and the manager goes on without it.
TEST_F(TextResTest, ScriptClosedWhileTheManagersCommandRuns)
{
    enum When { AtTheFirstEvents, WhenTheKatWindowOpens, AtTheMessageOfTheNewSearch };
    struct Case
    {
        const char *Name;
        QAction *TTxtResMan::*Item;
        When At;
    };
    const Case cases[] = {
        {"write-back", &TTxtResMan::Exportchangesincurrentdocument1, AtTheFirstEvents},
        {"KATtify, at once", &TTxtResMan::ExportchangesinKATdocument1, AtTheFirstEvents},
        {"KATtify, as the KAT window opens", &TTxtResMan::ExportchangesinKATdocument1, WhenTheKatWindowOpens},
        {"KATtify, at the new search's message", &TTxtResMan::ExportchangesinKATdocument1, AtTheMessageOfTheNewSearch},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::remove(ToQPath(KatPath()));
        QPointer<TForm_Editor> script = OpenFile("Script07.kas", "!!IF:M^One^;\n!!IF:M^never closed\n\r", "KAS_Document");
        TTxtResMan manager(Form);
        manager.show();
        Click(manager.ToolButton3);
        ASSERT_EQ(manager.ItemCount(), 2);
        manager.ListBox1->item(1)->setCheckState(Qt::Unchecked);

        const auto closeScript = [script] {
            if (!script) return;
            script->SetModified(false);   // no question whether to save it
            CloseNow(script);
        };
        QMetaObject::Connection opened;
        std::unique_ptr<MessageBoxHook> hook;
        if (c.At == WhenTheKatWindowOpens)
            opened = QObject::connect(Form->MdiArea, &QMdiArea::subWindowActivated, [this, closeScript](QMdiSubWindow *w) {
                if (w && w->windowTitle() == ToQPath(KatPath())) QTimer::singleShot(0, closeScript);
            });
        if (c.At == AtTheMessageOfTheNewSearch)
            hook = std::make_unique<MessageBoxHook>([closeScript](const MessageBoxCall &) { closeScript(); });
        ChooseFromDropDown(manager.ToolButton1, manager.*c.Item, [&] {
            if (c.At == AtTheFirstEvents) QTimer::singleShot(0, closeScript);
        });
        QObject::disconnect(opened);
        hook.reset();

        EXPECT_TRUE(script.isNull());
        EXPECT_TRUE(manager.Document.isNull());
        Click(manager.ToolButton3);   // a search without the script finds nothing to do
        if (TForm_Editor *kat = WindowOf(KatPath())) CloseNow(kat);
    }
}

// De-KATtify: a window it works on is closed while it lets the windows' events run (in the
// Save As dialog of a script never saved, or as the open KAT window is brought to the front).
TEST_F(TextResTest, WindowClosedWhileDeKattifyRuns)
{
    struct Case
    {
        const char *Name;
        bool KatOpenBefore;
        bool CloseScript;   // else the KAT window
    };
    const Case cases[] = {
        {"KAT window closed in the Save As dialog", false, false},
        {"script closed as the KAT window comes to the front", true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        const AnsiString katPath = MakeFile("Fresh.kat", "5\tHello\t\t\r\n");
        if (c.KatOpenBefore) Form->OpenDocument(katPath, "KAT_Document");
        QPointer<TForm_Editor> script = OpenNew("Fresh.kas", "KAS_Document");
        script->Memo1->SetText("!!IF:M1/z5;\r\n");
        QPointer<TForm_Editor> kat;
        const auto closeOne = [&] {
            TForm_Editor *w = c.CloseScript ? script.data() : kat.data();
            if (!w) return ADD_FAILURE() << "nothing to close";
            w->SetModified(false);
            CloseNow(w);
        };
        FileDialogRecorder saveAs([&](TFileDialog &) {
            kat = WindowOf(katPath);
            closeOne();
            return false;   // Cancel
        });
        TREKATForm dialog(Form);
        dialog.show();
        dialog.Edit2->setText(ToQPath(katPath));
        if (c.CloseScript) QTimer::singleShot(0, closeOne);
        Click(dialog.ToolButton1);

        EXPECT_TRUE(dialog.isHidden());
        if (c.CloseScript) {
            EXPECT_TRUE(script.isNull());
            EXPECT_TRUE(saveAs.Calls.empty());
        } else {
            EXPECT_TRUE(kat.isNull());
            ASSERT_FALSE(script.isNull());
            EXPECT_EQ(script->Memo1->Text(), "!!IF:M1/z5;\r\n");
        }
        for (TForm_Editor *w : {WindowOf(katPath), script.data()})
            if (w) {
                w->SetModified(false);
                CloseNow(w);
            }
    }
}

// De-KATtify asked for a backup of the script that cannot be made: nothing is restored.
TEST_F(TextResTest, DeKattifyChangesNothingWhenTheBackupFails)
{
    const AnsiString katPath = MakeFile(LongestName(".kat"), "5\tHello\t\t\r\n");
    TForm_Editor *script = OpenFile(LongestName(".kas"), "!!IF:M1/z5;\n\r", "KAS_Document");
    TREKATForm dialog(Form);
    dialog.show();
    ASSERT_EQ(dialog.CheckListBox1->item(0)->checkState(), Qt::Checked);
    dialog.Edit2->setText(ToQPath(katPath));
    Click(dialog.ToolButton1);

    ASSERT_EQ(Boxes->Calls.size(), 1u);
    const AnsiString start = "Error at making backup copy of file \"" + script->Caption() + "\"! Nothing has been changed.\r\n";
    EXPECT_EQ(Boxes->Calls[0].Text.substr(0, start.size()), start);
    EXPECT_GT(Boxes->Calls[0].Text.size(), start.size());
    EXPECT_EQ(Boxes->Calls[0].Flags & MB_ICONMASK, unsigned(MB_ICONSTOP));
    EXPECT_EQ(script->Memo1->Text(), "!!IF:M1/z5;\r\n\r\n");
    TForm_Editor *kat = WindowOf(katPath);
    ASSERT_NE(kat, nullptr);
    EXPECT_EQ(kat->StringGrid1->Cells(0, 0), "5");
    EXPECT_FALSE(kat->IsModified());
    EXPECT_TRUE(dialog.isHidden());
}

} // namespace

namespace {

// A script without a number in its name: its texts are numbered from 100000.
class KattifyRoundTripTest : public TextResTest
{
protected:
    AnsiString JotePath() const { return Root + "/Jote.kas"; }
    AnsiString JoteKat() const { return Root + "/Jote.kat"; }

    // Search, untick the items named (a click on the item, then Space, as the user does), and
    // KATtify from the "Apply selected" drop-down.
    static void SearchAndKattify(TTxtResMan &manager, const std::vector<int> &untick = {})
    {
        Click(manager.ToolButton3);
        for (int row : untick) {
            QListWidgetItem *item = manager.ListBox1->item(row);
            Click(manager.ListBox1->viewport(), manager.ListBox1->visualItemRect(item).center());
            ASSERT_EQ(manager.ListBox1->currentRow(), row);
            QTest::keyClick(manager.ListBox1, Qt::Key_Space);
            ASSERT_EQ(item->checkState(), Qt::Unchecked);
        }
        ChooseFromDropDown(manager.ToolButton1, manager.ExportchangesinKATdocument1);
    }

    // Saves the table and closes its window; De-KATtify then reads it from its file.
    void SaveAndCloseTable()
    {
        TForm_Editor *kat = WindowOf(JoteKat());
        ASSERT_NE(kat, nullptr);
        ASSERT_TRUE(Form->SaveDocumentToFile("KAT_Document", JoteKat(), kat->StringGrid1));
        CloseTable();
    }

    void CloseTable()
    {
        if (TForm_Editor *kat = WindowOf(JoteKat())) {
            kat->SetModified(false);
            CloseNow(kat);
        }
    }

    // De-KATtify from the dialog with the table's file; the table's window is closed after it.
    void DeKattifyFromTheDialog(TForm_Editor *script)
    {
        Activate(script);
        TREKATForm dialog(Form);
        dialog.show();
        dialog.Edit2->setText(ToQPath(JoteKat()));
        Click(dialog.ToolButton1);
        CloseTable();
        Activate(script);
    }

    // The indexes in column 0 of the saved table, in row order.
    std::vector<AnsiString> SavedIndexes() const
    {
        std::vector<AnsiString> indexes;
        TStringList lines;
        lines.SetText(ReadFileBytes(JoteKat()));
        for (int i = 0; i < lines.Count(); ++i) indexes.push_back(lines[i].substr(0, lines[i].find('\t')));
        return indexes;
    }
};

// Two runs into one table, from one manager window or from two: the second never gives an
// index that the table (or the first run's references in the script) already holds, and
// De-KATtify gives the script back as it was.
TEST_F(KattifyRoundTripTest, LaterRunsSkipTheIndexesTheTableHolds)
{
    const AnsiString first = "JOTE\n!!VR:S^a^;\n!!VR:S^b^;\n!!IF:M^c^;\n\r";
    TForm_Editor *script = OpenFile("Jote.kas", first, "KAS_Document");
    const AnsiString original = script->Memo1->Text();
    {
        TTxtResMan manager(Form);
        manager.show();
        SearchAndKattify(manager, {2});
        EXPECT_EQ(manager.ItemCount(), 1);   // c stays listed
        SearchAndKattify(manager);
    }
    EXPECT_EQ(script->Memo1->Text(), "JOTE\r\n!!VR:Sz100000;\r\n!!VR:Sz100001;\r\n!!IF:M1/z100002;\r\n\r\n");
    SaveAndCloseTable();
    EXPECT_EQ(SavedIndexes(), (std::vector<AnsiString>{"#", "100000", "100001", "100002"}));
    DeKattifyFromTheDialog(script);
    EXPECT_EQ(script->Memo1->Text(), original);
    EXPECT_TRUE(Boxes->Calls.empty());

    // A new manager window starts its numbering anew, at a table that holds 100000 .. 100002.
    ASSERT_TRUE(QFile::remove(ToQPath(JoteKat())));
    script->Memo1->SetText("JOTE\r\n!!VR:S^one^;\r\n");
    {
        TTxtResMan manager(Form);
        manager.show();
        SearchAndKattify(manager);
    }
    SaveAndCloseTable();
    script->Memo1->SetText(script->Memo1->Text() + "!!VR:S^two^;\r\n");
    const AnsiString both = "JOTE\r\n!!VR:Sz100000;\r\n!!VR:S^two^;\r\n";
    ASSERT_EQ(script->Memo1->Text().substr(0, both.size()), both);
    {
        TTxtResMan manager(Form);
        manager.show();
        SearchAndKattify(manager);
    }
    SaveAndCloseTable();
    EXPECT_EQ(SavedIndexes(), (std::vector<AnsiString>{"#", "100000", "100001"}));
    DeKattifyFromTheDialog(script);
    EXPECT_EQ(script->Memo1->Text().substr(0, 36), "JOTE\r\n!!VR:S^one^;\r\n!!VR:S^two^;\r\n");
}

} // namespace

namespace {

// Script code that reads like a reference, and texts that name an index with "%Z": no index is
// given whose reference De-KATtify would find there, so the script comes back byte for byte.
TEST_F(KattifyRoundTripTest, IndexesWhoseReferencesTheScriptUsesAreSkipped)
{
    struct Case
    {
        const char *Name;
        AnsiString Script;   // file bytes
        AnsiString Prefix;
        AnsiString Kattified;
    };
    const Case cases[] = {
        {"prefix 0, the script's own z1 and z2", "JOTE\n!!VRz1:S^one^;\n!!VRz2:S^two^;\n!!IF:M^z1=%Z1^;\n\r", "0",
         "JOTE\r\n!!VRz1:Sz0;\r\n!!VRz2:Sz3;\r\n!!IF:M1/z4;\r\n\r\n"},
        {"a moved text names the next index", "JOTE\n!!VR:S^a^;\n!!IF:M^see %Z100001^;\n\r", "1",
         "JOTE\r\n!!VR:Sz100000;\r\n!!IF:M1/z100002;\r\n\r\n"},
        {"the script's own z100000", "JOTE\n!!VRz100000:S^a^;\n\r", "1", "JOTE\r\n!!VRz100000:Sz100001;\r\n\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::remove(ToQPath(JoteKat()));
        TForm_Editor *script = OpenFile("Jote.kas", c.Script, "KAS_Document");
        const AnsiString original = script->Memo1->Text();
        {
            TTxtResMan manager(Form);
            manager.show();
            for (TStringList &type : TypeIndexSettings) type.SetString(1, c.Prefix);
            SearchAndKattify(manager);
        }
        EXPECT_EQ(script->Memo1->Text(), c.Kattified);
        SaveAndCloseTable();
        DeKattifyFromTheDialog(script);
        EXPECT_EQ(script->Memo1->Text(), original);
        EXPECT_TRUE(Boxes->Calls.empty());
        script->SetModified(false);
        CloseNow(script);
    }
}

// Texts holding a byte that a table cell loses on its way through the file stay in the script,
// and the run says how many and why; the others move and come back.
TEST_F(KattifyRoundTripTest, TextsACellCannotKeepStayAndAreCounted)
{
    TForm_Editor *script = OpenFile(
        "Jote.kas", "JOTE\n!!VR:S^tab\there^;\n!!VR:S^ff\x0c" "byte^;\n!!VR:S^bell\x07" "byte^;\n!!VR:S^plain^;\n\r",
        "KAS_Document");
    const AnsiString original = script->Memo1->Text();
    {
        TTxtResMan manager(Form);
        manager.show();
        SearchAndKattify(manager);
        EXPECT_EQ(manager.ItemCount(), 3);
    }
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Attention! 3 selected texts stayed in the script:\r\n3 - it holds a TAB, a lone CR "
                                    "or LF, or another control byte, which a cell of the KAT document cannot keep.");
    EXPECT_EQ(Boxes->Calls[0].Caption, "Text resource manager");
    EXPECT_EQ(Boxes->Calls[0].Flags & MB_ICONMASK, unsigned(MB_ICONWARNING));
    EXPECT_EQ(script->Memo1->Text(),
              "JOTE\r\n!!VR:S^tab\there^;\r\n!!VR:S^ff\x0c" "byte^;\r\n!!VR:S^bell\x07" "byte^;\r\n!!VR:Sz100000;\r\n\r\n");
    SaveAndCloseTable();
    EXPECT_EQ(SavedIndexes(), (std::vector<AnsiString>{"#", "100000"}));
    DeKattifyFromTheDialog(script);
    EXPECT_EQ(script->Memo1->Text(), original);
}

// A table that repeats an index: De-KATtify names the indexes and asks before it changes
// anything; No leaves everything as it was, Yes puts back the first row of each.
TEST_F(KattifyRoundTripTest, DeKattifyAsksAboutRepeatedIndexes)
{
    const AnsiString table = "#\tText resource\t\t\r\n100000\tone\t\t\r\n100001\tb\t\t\r\n100001\tc\t\t\r\n"
                             "100000\tagain\t\t\r\n7\tseven\t\t\r\n";
    const AnsiString kattified = "JOTE\r\n!!VR:Sz100000;\r\n!!VR:Sz100001;\r\n!!IF:M1/z7;\r\n\r\n";
    struct Case
    {
        int Answer;
        AnsiString Script;
    };
    const Case cases[] = {
        {IDNO, kattified},
        {IDYES, "JOTE\r\n!!VR:S^one^;\r\n!!VR:S^b^;\r\n!!IF:M^seven^;\r\n\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Answer == IDYES ? "yes" : "no");
        QFile::remove(ToQPath(Root + "/Jote_COPY0.kas"));
        MakeFile("Jote.kat", table);
        TForm_Editor *script = OpenFile("Jote.kas", "JOTE\n!!VR:Sz100000;\n!!VR:Sz100001;\n!!IF:M1/z7;\n\r", "KAS_Document");
        ASSERT_EQ(script->Memo1->Text(), kattified);
        Boxes->Calls.clear();
        Boxes->Answers = {c.Answer};
        Activate(script);
        TREKATForm dialog(Form);
        dialog.show();
        dialog.Edit2->setText(ToQPath(JoteKat()));
        Click(dialog.ToolButton1);

        ASSERT_EQ(Boxes->Calls.size(), 1u);
        EXPECT_EQ(Boxes->Calls[0].Text,
                  "Attention! More than one row of the KAT document has the same index: 100000, 100001.\r\n"
                  "De-KATtify can put back the text of the first row of each of them only.\r\n"
                  "Continue? (\"No\" leaves the script and the KAT document as they are.)");
        EXPECT_EQ(Boxes->Calls[0].Caption, "De-KATtify script");
        EXPECT_EQ(Boxes->Calls[0].Flags & MB_BUTTONMASK, unsigned(MB_YESNO));
        EXPECT_EQ(Boxes->Calls[0].Flags & MB_ICONMASK, unsigned(MB_ICONQUESTION));
        EXPECT_EQ(script->Memo1->Text(), c.Script);
        EXPECT_EQ(PathExists(Root + "/Jote_COPY0.kas"), c.Answer == IDYES);   // the backup
        TForm_Editor *kat = WindowOf(JoteKat());
        ASSERT_NE(kat, nullptr);
        EXPECT_EQ(kat->IsModified(), c.Answer == IDYES);
        EXPECT_EQ(kat->StringGrid1->Cells(0, 1), c.Answer == IDYES ? "#100000" : "100000");
        EXPECT_EQ(kat->StringGrid1->Cells(0, 4), "100000");
        EXPECT_TRUE(dialog.isHidden());
        CloseTable();
        script->SetModified(false);
        CloseNow(script);
    }
}

} // namespace
