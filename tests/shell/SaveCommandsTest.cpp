// Save, Save As and Save All: names, kinds, header tags, the dialog's set-up, and what a cancelled
// dialog or a failed write leaves.
#include "shell/DocumentTestSupport.h"

#include "common/Utils.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <functional>

namespace {

using Lines = std::vector<AnsiString>;

class SaveCommands : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        WithKey(ProductKey, [](TRegistry &reg) {
            reg.WriteBool("WritePoweredBy", true);
            reg.WriteBool("WriteWarning1", true);
            reg.WriteString("Warning1Text", "Hands off");
        });
    }
    static AnsiString PoweredBy()
    {
        return "QUIL_PoweredBy=Quillet v. " + GetFileVersionText(FromQPath(QCoreApplication::applicationFilePath()));
    }
    // The file's lines, split at LF (the script format), without the final LF CR.
    static Lines ScriptLines(const AnsiString &path)
    {
        AnsiString bytes = ReadFileBytes(path);
        if (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\n\r") == 0) bytes.resize(bytes.size() - 2);
        Lines lines;
        size_t start = 0;
        for (size_t end; (end = bytes.find('\n', start)) != AnsiString::npos; start = end + 1)
            lines.push_back(bytes.substr(start, end - start));
        lines.push_back(bytes.substr(start));
        return lines;
    }
    void Type(TForm_Editor *w, const AnsiString &text)
    {
        w->Memo1->SetCaretXY({1, 1});
        w->Memo1->SetSelText(text);
        QCoreApplication::processEvents();
    }
    const TFileDialog &LastDialog() const { return FileDialogs->Calls.back(); }
};

TEST_F(SaveCommands, SaveOfANewScriptAsksForANameAndWritesAllThreeTags)
{
    TForm_Editor *w = OpenNew("Untitled1", "KAS_Document");
    w->Memo1->SetText("// JOTE\r\nbody\r\n");
    SaveAnswer = Root + "/first";
    ASSERT_TRUE(Form->FileSave1Execute());
    ASSERT_EQ(FileDialogs->Calls.size(), 1u);
    EXPECT_EQ(LastDialog().FileName, "Untitled1.kas");
    EXPECT_EQ(LastDialog().FilterIndex, 1);
    EXPECT_EQ(LastDialog().Filter,
              "KAS scripts (*.kas)|*.kas|Texts (*.txt)|*.txt|Scripts and texts (*.kas; *.txt)|*.kas;*.txt");
    EXPECT_EQ(LastDialog().Options & ofOverwritePrompt, unsigned(ofOverwritePrompt));

    EXPECT_EQ(w->Caption(), Root + "/first.kas");
    EXPECT_EQ(ScriptLines(Root + "/first.kas"),
              Lines({"// JOTE", "_WARNING_#1=Hands off", PoweredBy(), "QUIL_ScriptDate=" + TodayText(), "body"}));
    EXPECT_FALSE(w->IsModified());
    EXPECT_EQ(w->ModifiedHint(), "");
    EXPECT_EQ(w->Memo1->UndoCount(), 0);
    EXPECT_EQ(FromQ(Form->TabSet1->tabText(w->Tag)), "first.kas");
    EXPECT_EQ(FromQPath(Form->TabSet1->toolTip()), Root + "/first.kas (Ctrl+Tab)");
    EXPECT_EQ(Form->LastWorkDir, Root);
}

TEST_F(SaveCommands, SaveWithEveryTagSwitchedOffLeavesTheScriptAlone)
{
    WithSettings([](TRegistry &reg) { reg.WriteBool("EditorWtiteDateTag", false); });
    WithKey(ProductKey, [](TRegistry &reg) {
        reg.WriteBool("WritePoweredBy", false);
        reg.WriteBool("WriteWarning1", false);
    });
    TForm_Editor *w = OpenFile("s.kas", "JOTE\nx\n\r", "KAS_Document");
    Type(w, "y");
    ASSERT_TRUE(Form->FileSave1Execute());
    EXPECT_EQ(ReadFileBytes(Root + "/s.kas"), "yJOTE\nx\n\r");
    EXPECT_TRUE(FileDialogs->Calls.empty());
}

// Save looks for its three tags in one pass: the text and the caret come out as when the tags are
// set one after the other, also where a tag line is the anchor line or tags lack a value.
TEST_F(SaveCommands, SaveSetsItsTagsAsSettingThemOneByOneWould)
{
    WithKey(ProductKey, [](TRegistry &reg) { reg.WriteString("Warning1Text", "Not for JOTE editors"); });
    const struct
    {
        const char *Name;
        const char *Text;
        int CaretY;
    } cases[] = {
        {"anchor, no tags", "// JOTE\r\nbody\r\nend\r\n", 2},
        {"no anchor", "body\r\nmore\r\n", 2},
        {"the date line is the anchor", "QUIL_ScriptDate=JOTE\r\nbody\r\nJOTE later\r\n", 2},
        {"the powered-by line is the anchor", "a\r\nQUIL_PoweredBy=JOTE\r\nbody\r\n", 3},
        {"empty-valued tags above the anchor", "_warning_#1=\r\nquil_scriptdate=\r\nx JOTE\r\nbody\r\n", 4},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        const AnsiString name = "s" + IntToStr(++n);
        TForm_Editor *saved = OpenFile(name + ".kas", "old\n\r", "KAS_Document");
        saved->Memo1->SetText(c.Text);
        saved->Memo1->SetCaretXY({1, c.CaretY});
        ASSERT_TRUE(Form->FileSave1Execute());
        TForm_Editor *byHand = OpenNew(name + "t.kas", "KAS_Document");
        byHand->Memo1->SetText(c.Text);
        byHand->Memo1->SetCaretXY({1, c.CaretY});
        Form->SetScriptHeaderTag(ScriptDateTag, TodayText(), byHand->Memo1);
        Form->SetScriptHeaderTag(PoweredByTag, PoweredBy().substr(strlen(PoweredByTag) + 1), byHand->Memo1);
        Form->SetScriptHeaderTag(Warning1Tag, "Not for JOTE editors", byHand->Memo1);
        EXPECT_EQ(saved->Memo1->Text(), byHand->Memo1->Text());
        EXPECT_EQ(saved->Memo1->CaretY(), byHand->Memo1->CaretY());
    }
}

// Ctrl+S writes the tags under the anchor line; the caret stays where it was in the text, so the
// next letter typed lands there and not in a tag, and the next save finds its tags whole.
TEST_F(SaveCommands, TheCaretStaysOnItsTextWhenSavingWritesTags)
{
    const struct
    {
        const char *Name;
        int Line;        // 1-based
        int Column;      // 0-based; -1: the end of the line
        Lines Expected;  // the file after Z was typed there and saved again
    } cases[] = {
        {"start of the anchor line", 2, 0, {"; head", "Z// JOTE", "#tags", "!!VR1:S5;"}},
        {"end of the anchor line", 2, -1, {"; head", "// JOTEZ", "#tags", "!!VR1:S5;"}},
        {"above the anchor line", 1, 2, {"; Zhead", "// JOTE", "#tags", "!!VR1:S5;"}},
        {"below the anchor line", 3, 2, {"; head", "// JOTE", "#tags", "!!ZVR1:S5;"}},
        {"end of the line before the last", 3, -1, {"; head", "// JOTE", "#tags", "!!VR1:S5;Z"}},
        {"the last line, empty: the file ends with a line break", 4, 0, {"; head", "// JOTE", "#tags", "!!VR1:S5;", "Z"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        TForm_Editor *w = OpenFile("s.kas", "; head\n// JOTE\n!!VR1:S5;\n\r", "KAS_Document");
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
        Form->ActionList1->UpdateActions();
        TSynMemo *pane = w->Memo1;
        QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
        for (int i = 1; i < c.Line; ++i) QTest::keyClick(pane, Qt::Key_Down);
        if (c.Column < 0)
            QTest::keyClick(pane, Qt::Key_End);
        else
            for (int i = 0; i < c.Column; ++i) QTest::keyClick(pane, Qt::Key_Right);
        QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(pane, 'Z');
        QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);

        Lines expected;
        for (const AnsiString &line : c.Expected) {
            if (line != "#tags") {
                expected.push_back(line);
                continue;
            }
            expected.insert(expected.end(), {"_WARNING_#1=Hands off", PoweredBy(), "QUIL_ScriptDate=" + TodayText()});
        }
        EXPECT_EQ(ScriptLines(Root + "/s.kas"), expected);
        w->close();
        QCoreApplication::processEvents();
    }
}

TEST_F(SaveCommands, WithoutTheProductKeyTheWarningTagIsRemoved)
{
    WithSettings([](TRegistry &reg) { reg.WriteBool("EditorWtiteDateTag", false); });
    {
        TRegistry reg;
        reg.DeleteKey(ProductKey);
    }
    TForm_Editor *w = OpenFile("s.kas", "_WARNING_#1=old\nx\n\r", "KAS_Document");
    ASSERT_TRUE(Form->FileSave1Execute());
    EXPECT_EQ(ScriptLines(Root + "/s.kas"), Lines({PoweredBy(), "x"}));
    EXPECT_FALSE(w->IsModified());
}

TEST_F(SaveCommands, SaveAsChangesTheKindBetweenScriptAndText)
{
    Form->EditorHighlightKAS = true;
    Form->EditorHighlightTXT = false;
    TForm_Editor *w = OpenFile("s.kas", "text\n\r", "KAS_Document");
    SaveAnswer = Root + "/notes.txt";
    ASSERT_TRUE(Form->FileSaveAs1Execute());
    EXPECT_EQ(w->DocumentKind, "TXT_Document");
    // No tags; the plain text format (the script's final LF CR was read as two line ends).
    EXPECT_EQ(ReadFileBytes(Root + "/notes.txt"), "text\r\n\r\n");
    EXPECT_FALSE(w->HighlighterButton->isChecked());
    EXPECT_EQ(w->Memo1->Highlighter(), nullptr);
    EXPECT_EQ(FileDialogs->Calls.back().FilterIndex, 1);

    SaveAnswer = Root + "/b.kas";
    ASSERT_TRUE(Form->FileSaveAs1Execute());
    EXPECT_EQ(FileDialogs->Calls.back().FileName, "notes.txt");   // index 2 for a text, name kept
    EXPECT_EQ(w->DocumentKind, "KAS_Document");
    EXPECT_TRUE(w->HighlighterButton->isChecked());
    EXPECT_EQ(ScriptLines(Root + "/b.kas"), Lines({"_WARNING_#1=Hands off", PoweredBy(), "text"}));
}

TEST_F(SaveCommands, ANameWithoutAnAcceptedExtensionGetsTheFiltersOne)
{
    struct Case { const char *Kind; const char *File; AnsiString Answer; int Index; AnsiString Saved; };
    const Case cases[] = {
        {"KAS_Document", "a.kas", "/x.abc", 1, "/x.abc.kas"},
        {"KAS_Document", "a.kas", "/y", 2, "/y.txt"},
        {"KAS_Document", "a.kas", "/z", 3, "/z.txt"},
        {"KAO_Document", "a.kao", "/t.txt", 1, "/t.txt.kao"},
        {"KAT_Document", "a.kat", "/k.KAT", 1, "/k.KAT"},
        {"CMD_Document", "a.cmd", "/c", 1, "/c.cmd"},
        {"CMD_Document", "a.txt", "/d", 1, "/d.txt"},
        {"CMD_Document", "a.txt", "/e", 2, "/e.cmd"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Answer);
        TForm_Editor *w = OpenFile(c.File, "", c.Kind);
        SaveAnswer = Root + c.Answer;
        SaveFilterAnswer = c.Index;
        ASSERT_TRUE(Form->FileSaveAs1Execute());
        EXPECT_EQ(w->Caption(), Root + c.Saved);
        EXPECT_TRUE(QFileInfo::exists(ToQPath(Root + c.Saved)));
        if (!w->StringGridPanel->isHidden()) {
            EXPECT_EQ(w->DocumentKind, c.Kind);
        }
    }
}

TEST_F(SaveCommands, ACommandTableFromATextFileOffersBothFilters)
{
    TForm_Editor *w = OpenFile("list.txt", "a\tb\r\n", "CMD_Document");
    SaveAnswer = Root + "/list2.cmd";
    ASSERT_TRUE(Form->FileSaveAs1Execute());
    EXPECT_EQ(LastDialog().Filter, "Texts (*.txt)|*.txt|CMD documents (*.cmd)|*.cmd");
    EXPECT_EQ(LastDialog().FileName, "list.txt");
    EXPECT_EQ(w->DocumentKind, "CMD_Document");
    EXPECT_EQ(ReadFileBytes(Root + "/list2.cmd"), "a\tb\r\n");
    // Now named .cmd: the CMD filter alone.
    SaveAnswer = Root + "/list3";
    ASSERT_TRUE(Form->FileSaveAs1Execute());
    EXPECT_EQ(LastDialog().Filter, "CMD documents (*.cmd)|*.cmd");
    EXPECT_EQ(w->Caption(), Root + "/list3.cmd");
}

TEST_F(SaveCommands, ACancelledSaveAsKeepsCaptionMarkerAndUndoHistory)
{
    TForm_Editor *w = OpenFile("s.kas", "x\n\r", "KAS_Document");
    Type(w, "edit ");
    const int undo = w->Memo1->UndoCount();
    ASSERT_GT(undo, 0);
    SaveAnswer.clear();
    EXPECT_FALSE(Form->FileSaveAs1Execute());
    EXPECT_EQ(w->Caption(), Root + "/s.kas");
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(w->Memo1->UndoCount(), undo);
    EXPECT_EQ(ReadFileBytes(Root + "/s.kas"), "x\n\r");
}

TEST_F(SaveCommands, AFailedWriteKeepsTheMarkerAndTheUndoHistory)
{
    // The commands are called through functions, not pointers to members: g++ 12 with
    // -fsanitize=vptr miscompiles a call through a member pointer on a member of a base class
    // (Form) and reads an unset stack slot.
    struct Case { const char *Name; bool SavesUnderTheCaption; std::function<bool(TMainForm *)> Command; };
    const Case cases[] = {{"Save As", false, [](TMainForm *f) { return f->FileSaveAs1Execute(); }},
                          {"Save All", true, [](TMainForm *f) { return f->FileSaveAll1Execute(); }},
                          {"Save", true, [](TMainForm *f) { return f->FileSave1Execute(); }}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TForm_Editor *w = OpenFile("s.txt", "old\r\n", "TXT_Document");
        Type(w, "new ");
        const int undo = w->Memo1->UndoCount();
        SaveAnswer = Root + "/no/such/folder/s.txt";
        Boxes->Calls.clear();
        // Save and Save All write under the caption: the folder goes away first.
        if (c.SavesUnderTheCaption) w->SetCaption(Root + "/gone/s.txt");
        EXPECT_FALSE(c.Command(Form));
        EXPECT_TRUE(w->IsModified());
        EXPECT_EQ(w->Memo1->UndoCount(), undo);
        ASSERT_FALSE(Boxes->Calls.empty());
        EXPECT_EQ(Boxes->Calls.back().Text,
                  "Error at opening the file \"" + Root + "/no/such/folder/s.txt\"!\r\n" + std::strerror(ENOENT));
        w->SetModified(false);
        w->close();
        QCoreApplication::processEvents();
    }
}

// The dialog asks about overwriting the name as typed; the extension added afterwards names
// another file, which is replaced only when the user says so.
TEST_F(SaveCommands, ANameCompletedAfterTheDialogIsReplacedOnlyWhenConfirmed)
{
    struct Case { const char *Name; std::function<bool(TMainForm *)> Command; };
    const Case cases[] = {{"Save As", [](TMainForm *f) { return f->FileSaveAs1Execute(); }},
                          {"Save All", [](TMainForm *f) { return f->FileSaveAll1Execute(); }}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        WriteBytes(Root + "/notes.kas", "precious\n\r");
        TForm_Editor *w = OpenNew("Untitled1", "KAS_Document");
        w->Memo1->SetText("draft\r\n");
        SaveAnswer = Root + "/notes";
        Boxes->Calls.clear();
        Boxes->Answers = {IDNO};
        EXPECT_FALSE(c.Command(Form));
        ASSERT_EQ(Boxes->Calls.size(), 1u);
        EXPECT_EQ(Boxes->Calls[0].Text, "File \"" + Root + "/notes.kas\" already exists. Do you want to replace it?");
        EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");
        EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_YESNO | MB_ICONWARNING));
        EXPECT_EQ(ReadFileBytes(Root + "/notes.kas"), "precious\n\r");
        EXPECT_EQ(w->Caption(), Root + "/Untitled1");   // as after a cancelled dialog
        EXPECT_TRUE(w->IsModified());

        Boxes->Answers = {IDYES};
        EXPECT_TRUE(c.Command(Form));
        EXPECT_EQ(ScriptLines(Root + "/notes.kas").back(), "draft");
        EXPECT_EQ(w->Caption(), Root + "/notes.kas");
        w->close();
        QCoreApplication::processEvents();
    }
    // A completed name that is free is written without a question.
    OpenNew("Untitled2", "KAS_Document");
    SaveAnswer = Root + "/fresh";
    Boxes->Calls.clear();
    EXPECT_TRUE(Form->FileSaveAs1Execute());
    EXPECT_TRUE(Boxes->Calls.empty());
}

// Where every filter appends the same extension, the dialog completes the name itself, so that its
// own overwrite prompt sees the final name.
TEST_F(SaveCommands, TheDialogCompletesTheNameWhenOnlyOneExtensionCanFollow)
{
    struct Case { const char *File; const char *Kind; const char *DefaultExt; };
    for (const Case &c : {Case{"a.kao", "KAO_Document", "kao"}, Case{"a.kat", "KAT_Document", "kat"},
                          Case{"a.cmd", "CMD_Document", "cmd"}, Case{"b.txt", "CMD_Document", ""},
                          Case{"a.kas", "KAS_Document", ""}}) {
        SCOPED_TRACE(c.File);
        OpenFile(c.File, "", c.Kind);
        SaveAnswer.clear();
        EXPECT_FALSE(Form->FileSaveAs1Execute());
        EXPECT_EQ(LastDialog().DefaultExt, c.DefaultExt);
    }
}

// A file that could not be read opens as an empty window; saving it under its own name would
// replace the file by nothing, so Save and Save All ask for a name first.
TEST_F(SaveCommands, AFileThatCouldNotBeReadIsNeverReplacedUnasked)
{
    const AnsiString script = MakeFile("locked.kas", "secret\n\r");
    const AnsiString table = MakeFile("locked.kat", "a\tb\r\n");
    TForm_Editor *s = nullptr;
    TForm_Editor *t = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenUnreadable(script, table, s, t));
    ASSERT_EQ(Boxes->Calls.size(), 2u);   // the two reading messages
    for (TForm_Editor *w : {s, t}) EXPECT_TRUE(w->FileNotRead);
    // From here on the files could be written: only the commands keep them.
    for (const AnsiString &p : {script, table}) QFile::setPermissions(ToQPath(p), QFileDevice::Permissions(0x6644));

    SaveAnswer.clear();   // every dialog cancelled
    Form->MdiArea->setActiveSubWindow(t);
    EXPECT_FALSE(Form->FileSave1Execute());
    Form->MdiArea->setActiveSubWindow(s);
    EXPECT_FALSE(Form->FileSave1Execute());
    EXPECT_FALSE(Form->FileSaveAll1Execute());
    EXPECT_EQ(FileDialogs->Calls.size(), 4u);
    EXPECT_EQ(ReadFileBytes(script), "secret\n\r");
    EXPECT_EQ(ReadFileBytes(table), "a\tb\r\n");

    // Saved under a name the user chose, the window holds that file's document.
    SaveAnswer = Root + "/chosen.kat";
    Form->MdiArea->setActiveSubWindow(t);
    EXPECT_TRUE(Form->FileSave1Execute());
    EXPECT_FALSE(t->FileNotRead);
    EXPECT_EQ(FileDialogs->Calls.size(), 5u);
    EXPECT_TRUE(Form->FileSave1Execute());
    EXPECT_EQ(FileDialogs->Calls.size(), 5u);
    EXPECT_EQ(ReadFileBytes(table), "a\tb\r\n");
}

TEST_F(SaveCommands, SaveAllWritesEveryDocumentAndAsksForNamesLastFirst)
{
    TForm_Editor *named = OpenFile("n.kas", "JOTE\nbody\n\r", "KAS_Document");
    TForm_Editor *table = OpenFile("t.kao", "a\r\n", "KAO_Document");
    TForm_Editor *first = OpenNew("unnamed1", "TXT_Document");
    TForm_Editor *second = OpenNew("unnamed2", "CMD_Document");
    first->Memo1->SetText("one\r\n");
    std::vector<AnsiString> asked;
    FileDialogs.reset();
    FileDialogs = std::make_unique<FileDialogRecorder>([&](TFileDialog &dialog) {
        asked.push_back(dialog.FileName);
        if (dialog.FileName == "unnamed2") return false;   // cancelled
        dialog.FileName = Root + "/one.kas";
        return true;
    });
    WriteBytes(Root + "/t.kao", "changed on disk\r\n");
    EXPECT_FALSE(Form->FileSaveAll1Execute());

    EXPECT_EQ(asked, Lines({"unnamed2", "unnamed1"}));   // no extension appended before the dialog
    EXPECT_EQ(FileDialogs->Calls[0].Filter, "CMD documents (*.cmd)|*.cmd");
    EXPECT_EQ(second->Caption(), Root + "/unnamed2");   // a cancelled dialog leaves the caption
    EXPECT_EQ(first->Caption(), Root + "/one.kas");
    EXPECT_EQ(first->DocumentKind, "KAS_Document");
    EXPECT_EQ(ReadFileBytes(Root + "/one.kas"), "one\n\r");   // no tags for an unnamed script
    EXPECT_EQ(ReadFileBytes(Root + "/t.kao"), "a\t\t\t\t\t\t\t\t\t\t\r\n");   // unmodified, written all the same
    EXPECT_EQ(ScriptLines(Root + "/n.kas"), Lines({"JOTE", "_WARNING_#1=Hands off", PoweredBy(), "body"}));
    EXPECT_FALSE(named->IsModified());
    EXPECT_FALSE(table->IsModified());
    EXPECT_EQ(FromQ(Form->TabSet1->tabText(first->Tag)), "one.kas");
    EXPECT_EQ(FromQ(Form->TabSet1->tabText(second->Tag)), "unnamed2");
}

TEST_F(SaveCommands, ADocumentWhoseFileWasDeletedCountsAsUnnamed)
{
    TForm_Editor *w = OpenFile("s.kao", "a\r\n", "KAO_Document");
    QFile::remove(ToQPath(Root + "/s.kao"));
    SaveAnswer = Root + "/again.kao";
    ASSERT_TRUE(Form->FileSave1Execute());
    EXPECT_EQ(FileDialogs->Calls.size(), 1u);
    EXPECT_EQ(LastDialog().FileName, "s.kao");
    EXPECT_EQ(w->Caption(), Root + "/again.kao");
}

TEST_F(SaveCommands, TheSaveActionsNeedADocumentWindow)
{
    Form->ActionList1->UpdateActions();
    for (TAction *a : {Form->FileSave1, Form->FileSaveAs1, Form->FileSaveAll1}) EXPECT_FALSE(a->isEnabled());
    OpenNew("a.kas", "KAS_Document");
    Form->ActionList1->UpdateActions();
    for (TAction *a : {Form->FileSave1, Form->FileSaveAs1, Form->FileSaveAll1}) EXPECT_TRUE(a->isEnabled());
}

} // namespace
