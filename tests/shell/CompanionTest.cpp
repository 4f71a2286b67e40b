// Companion documents of a script, reading a document again from its file, and reopening a text
// as a table.
#include "shell/DocumentTestSupport.h"

#include "shell/DocumentCommands.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "platform/TStringGrid.h"
#include "synedit/SynMemo.h"

#include <QFile>
#include <QCoreApplication>
#include <QMdiArea>
#include <QPointer>
#include <QTest>

namespace {

class Companion : public DocumentTest
{
protected:
    bool Enabled(TAction *action)
    {
        Form->ActionList1->UpdateActions();
        return action->Enabled();
    }
    TForm_Editor *Active() const { return Form->ActiveEditor(); }

    // A key pressed in the focused pane of the window, the actions brought up to date first as the
    // idle program does.
    void Press(TForm_Editor *w, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        Form->ActionList1->UpdateActions();
        QTest::keyClick(w->Memo1->isHidden() ? static_cast<QWidget *>(w->StringGrid1) : w->Memo1, key, modifiers);
    }
    void ReopenAsTable(TForm_Editor *w) { Press(w, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier); }
    void Reopen(TForm_Editor *w) { Press(w, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier); }
};

TEST(CompanionPath, CutsTheLastFourCharactersWhateverTheExtension)
{
    const struct
    {
        const char *Path, *Ext, *Expected;
    } cases[] = {
        {"/s/quest.kas", ".kat", "/s/quest.kat"},
        {"/s/quest.html", ".kao", "/s/quest..kao"},
        {"/s/quest.c", ".txt", "/s/que.txt"},
        {"ab", ".kas", ".kas"},
    };
    for (const auto &c : cases) EXPECT_EQ(CompanionPath(c.Path, c.Ext), c.Expected) << c.Path;
}

TEST_F(Companion, OpenCompanionBringsItsWindowToTheFront)
{
    OpenFile("quest.kat", "a\tb\tc\td\r\n", "KAT_Document");
    TForm_Editor *script = OpenFile("quest.kas", "JOTE\r\n", "KAS_Document");
    ASSERT_EQ(Active(), script);
    ASSERT_TRUE(Enabled(Form->OpenKATAction1));
    Form->OpenKATAction1->Execute();
    EXPECT_EQ(EditorCount(), 2);
    EXPECT_EQ(Active()->Caption(), Root + "/quest.kat");
    EXPECT_TRUE(Boxes->Calls.empty());
}

// Letter case counts; with the companion open twice, the newer window comes to the front.
TEST_F(Companion, OpenCompanionTakesTheNewestWindowOfExactlyThatName)
{
    OpenFile("quest.kat", "a\tb\tc\td\r\n", "KAT_Document");
    TForm_Editor *newer = Form->OpenDocument(Root + "/quest.kat", "KAT_Document");
    OpenFile("Quest.kat", "a\tb\tc\td\r\n", "KAT_Document");
    OpenFile("quest.kas", "JOTE\r\n", "KAS_Document");
    Form->ActionList1->UpdateActions();
    Form->OpenKATAction1->trigger();   // Window > Open KAT document
    EXPECT_EQ(EditorCount(), 4);
    EXPECT_EQ(Active(), newer);
}

TEST_F(Companion, ExistingCompanionFileIsOpened)
{
    WriteBytes(Root + "/quest.txt", "notes\r\n");
    OpenFile("quest.kas", "JOTE\r\n", "KAS_Document");
    Form->OpenTXTAction1->Execute();
    ASSERT_EQ(EditorCount(), 2);
    EXPECT_EQ(Active()->Caption(), Root + "/quest.txt");
    EXPECT_EQ(Active()->DocumentKind, "TXT_Document");
    EXPECT_EQ(Active()->Memo1->Lines[0], "notes");
}

TEST_F(Companion, MissingCompanionIsOfferedAndOkGivesAnEmptyChangedWindow)
{
    OpenFile("quest.kas", "JOTE\r\n", "KAS_Document");
    Boxes->Answers = {IDCANCEL};
    Form->OpenKAOAction1->Execute();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text,
              "The file \"" + Root + "/quest.kao\" does not exist, you want to create this file?");
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(EditorCount(), 1);

    Boxes->Answers = {IDOK};
    Form->OpenKAOAction1->Execute();
    ASSERT_EQ(EditorCount(), 2);
    EXPECT_EQ(Active()->Caption(), Root + "/quest.kao");
    EXPECT_EQ(Active()->DocumentKind, "KAO_Document");
    EXPECT_TRUE(Active()->IsModified());
    EXPECT_FALSE(QFile::exists(ToQPath(Root + "/quest.kao")));   // not written until saved
}

TEST_F(Companion, ActionsNeedASavedDocumentOfAnotherKind)
{
    EXPECT_FALSE(Enabled(Form->OpenKASAction1));
    OpenNew("never-saved.kas", "KAS_Document");
    for (TAction *a : {Form->OpenKASAction1, Form->OpenKAOAction1, Form->OpenKATAction1, Form->OpenTXTAction1})
        EXPECT_FALSE(Enabled(a)) << a->Caption();
    OpenFile("saved.kas", "JOTE\r\n", "KAS_Document");
    EXPECT_FALSE(Enabled(Form->OpenKASAction1));
    for (TAction *a : {Form->OpenKAOAction1, Form->OpenKATAction1, Form->OpenTXTAction1})
        EXPECT_TRUE(Enabled(a)) << a->Caption();
}

// ---- Reopen document ----

TEST_F(Companion, RefreshReloadsAFileChangedOnDisk)
{
    TForm_Editor *w = OpenFile("a.txt", "one\r\ntwo\r\nthree\r\n", "TXT_Document");
    w->Memo1->SetCaretXY({2, 3});
    WriteBytes(Root + "/a.txt", "one\r\nTWO\r\nthree\r\nfour\r\n");
    ASSERT_TRUE(Enabled(Form->RefreshDocAction1));
    Form->RefreshDocAction1->Execute();
    EXPECT_EQ(w->Memo1->Text(), "one\r\nTWO\r\nthree\r\nfour\r\n");
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{2, 3}));
    EXPECT_FALSE(w->IsModified());
    EXPECT_FALSE(w->Memo1->CanUndo());
    EXPECT_TRUE(Boxes->Calls.empty());
}

TEST_F(Companion, RefreshOfAScriptRenamesLegacyTagsAndMarksIt)
{
    TForm_Editor *w = OpenFile("s.kas", "JOTE\r\n", "KAS_Document");
    WriteBytes(Root + "/s.kas", "JOTE\r\nAUTO_ScriptDate=1\r\n");
    Form->RefreshDocAction1->Execute();
    EXPECT_EQ(w->Memo1->Lines[1], "QUIL_ScriptDate=1");
    EXPECT_TRUE(w->IsModified());
    EXPECT_FALSE(w->Memo1->CanUndo());
}

TEST_F(Companion, RefreshOfAChangedDocumentAsksFirst)
{
    TForm_Editor *w = OpenFile("a.txt", "disk\r\n", "TXT_Document");
    w->Memo1->SetText("mine\r\n");
    ASSERT_TRUE(w->IsModified());

    Boxes->Answers = {IDNO};
    Form->RefreshDocAction1->Execute();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(w->Memo1->Text(), "mine\r\n");
    EXPECT_TRUE(w->IsModified());

    Boxes->Answers = {IDYES};
    Form->RefreshDocAction1->Execute();
    EXPECT_EQ(w->Memo1->Text(), "disk\r\n");
    EXPECT_FALSE(w->IsModified());
}

TEST_F(Companion, RefreshOfAVanishedFileKeepsTheTextAndItsChangedState)
{
    TForm_Editor *w = OpenFile("gone.txt", "disk\r\n", "TXT_Document");
    w->Memo1->SetText("mine\r\n");
    ASSERT_TRUE(QFile::remove(ToQPath(Root + "/gone.txt")));
    Form->RefreshDocAction1->Execute();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text,
              "File \"" + Root + "/gone.txt\" not found.\n\rIt is previouse necessary to save this document.");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(w->Memo1->Text(), "mine\r\n");
    EXPECT_TRUE(w->IsModified());
}

TEST_F(Companion, RefreshOfATableOpensItAgainInANewWindow)
{
    OpenFile("t.cmd", "a\tb\r\n", "CMD_Document");
    WriteBytes(Root + "/t.cmd", "x\ty\tz\r\n");
    Form->RefreshDocAction1->Execute();
    QCoreApplication::processEvents();
    ASSERT_EQ(EditorCount(), 1);
    TForm_Editor *w = Active();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->StringGrid1->ColCount(), 3);
    EXPECT_EQ(w->StringGrid1->Cells(2, 0), "z");
    EXPECT_TRUE(Boxes->Calls.empty());
}

TEST_F(Companion, RefreshOfAnUnreadableFileKeepsTheDocument)
{
    TForm_Editor *text = OpenFile("a.txt", "disk\r\n", "TXT_Document");
    text->Memo1->SetText("mine\r\n");
    TForm_Editor *table = OpenFile("t.cmd", "a\tb\r\n", "CMD_Document");
    table->StringGrid1->SetCell(0, 0, "changed");
    table->SetModified(true);
    for (const char *name : {"/a.txt", "/t.cmd"})
        QFile::setPermissions(ToQPath(Root + name), QFileDevice::WriteOwner);
    OpenToEveryone(Root);
    QFile::setPermissions(ToQPath(SettingsFile), QFileDevice::Permissions(0x6666));
    {
        UnprivilegedScope user;
        ASSERT_TRUE(user.Active());
        for (TForm_Editor *w : {text, table}) {
            Form->MdiArea->setActiveSubWindow(w);
            Form->RefreshDocAction1->Execute();   // Yes to dropping the changes
        }
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(Boxes->Calls.size(), 4u);
    // The system's reason follows the message.
    EXPECT_EQ(Boxes->Calls[1].Text, "File: \"" + Root + "/a.txt\".\r\nReading failed.\r\nPermission denied");
    EXPECT_EQ(Boxes->Calls[3].Text, "File: \"" + Root + "/t.cmd\".\r\nReading failed.\r\nPermission denied");
    EXPECT_EQ(EditorCount(), 2);
    EXPECT_EQ(text->Memo1->Text(), "mine\r\n");
    EXPECT_TRUE(text->IsModified());
    EXPECT_EQ(table->StringGrid1->Cells(0, 0), "changed");
    EXPECT_TRUE(table->IsModified());
}

// ---- Reopen as table ----

TEST_F(Companion, ReopenAsTableOnlyForTexts)
{
    TForm_Editor *script = OpenFile("s.kas", "JOTE\r\n", "KAS_Document");
    Form->ReOpenAsTableAction1->Execute();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "This operation is accessible only to text documents.");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(EditorCount(), 1);
    EXPECT_EQ(Active(), script);
}

TEST_F(Companion, ReopenAsTableShowsTheTextAsACommandTable)
{
    OpenFile("list.txt", "a\tb\r\nc\td\r\n", "TXT_Document");
    Form->ReOpenAsTableAction1->Execute();
    QCoreApplication::processEvents();
    ASSERT_EQ(EditorCount(), 1);
    EXPECT_EQ(Active()->DocumentKind, "CMD_Document");
    EXPECT_EQ(Active()->StringGrid1->Cells(1, 1), "d");
}

// A changed text is dealt with before the table is read: the table shows what is on disk after the
// answer, and Cancel changes nothing.
TEST_F(Companion, ReopenAsTableAsksAboutTheChangedTextFirst)
{
    const AnsiString disk = "a\tb\r\n";
    const struct
    {
        const char *Name;
        int Answer;                 // to the save question
        bool SaveAs;                // the save dialog is confirmed
        AnsiString FileAfter;
        AnsiString TableCell;       // cell (0, 0) of the table; empty: no table, the text stays
    } cases[] = {
        {"Yes saves, the table shows the saved text", IDYES, true, "Xa\tb\r\n", "Xa"},
        {"No drops the text, the table shows the file", IDNO, false, disk, "a"},
        {"Cancel changes nothing", IDCANCEL, false, disk, ""},
        {"a cancelled save changes nothing", IDYES, false, disk, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        TForm_Editor *text = OpenFile("list.txt", disk, "TXT_Document");
        QTest::keyClicks(text->Memo1, "X");
        ASSERT_TRUE(text->IsModified());
        Boxes->Calls.clear();
        Boxes->Answers = {c.Answer};
        SaveAnswer = c.SaveAs ? Root + "/list.txt" : AnsiString();
        ReopenAsTable(text);
        QCoreApplication::processEvents();

        ASSERT_EQ(Boxes->Calls.size(), 1u);
        EXPECT_EQ(Boxes->Calls[0].Text,
                  "Document \"" + Root + "/list.txt\" changed. Do you want to save the document?");
        EXPECT_EQ(ReadFileBytes(Root + "/list.txt"), c.FileAfter);
        ASSERT_EQ(EditorCount(), 1);
        if (c.TableCell.empty()) {
            EXPECT_EQ(Active(), text);
            EXPECT_EQ(text->Memo1->Text(), "Xa\tb\r\n");
            EXPECT_TRUE(text->IsModified());
            text->SetModified(false);
            text->close();
        } else {
            EXPECT_EQ(Active()->DocumentKind, "CMD_Document");
            EXPECT_EQ(Active()->StringGrid1->Cells(0, 0), c.TableCell);
            EXPECT_FALSE(Active()->IsModified());
            Active()->close();
        }
        QCoreApplication::processEvents();
        ASSERT_EQ(EditorCount(), 0);
    }
}

// The user closes a window while the command reads the file: nothing touches it afterwards.
TEST_F(Companion, AWindowClosedWhileTheFileIsReadAgainIsLeftAlone)
{
    const struct
    {
        const char *Name, *Kind;
        bool AsTable;    // reopen as table, else reopen
        bool CloseOld;   // the window the command started from, else the new one
    } cases[] = {
        {"t.cmd", "CMD_Document", false, true},
        {"t.cmd", "CMD_Document", false, false},
        {"list.txt", "TXT_Document", true, true},
        {"list.txt", "TXT_Document", true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.Name) + (c.CloseOld ? ", the old window" : ", the new window"));
        TForm_Editor *old = OpenFile(c.Name, "a\tb\r\n", c.Kind);
        const QPointer<TForm_Editor> closing = old;
        CloseWhileEventsRun([&] { return c.CloseOld ? closing.data() : Active(); });
        if (c.AsTable)
            ReopenAsTable(old);
        else
            Reopen(old);
        QCoreApplication::processEvents();
        EXPECT_TRUE(Boxes->Calls.empty());
        EXPECT_EQ(EditorCount(), c.CloseOld ? 1 : 0);
        if (c.CloseOld && EditorCount() == 1) {
            EXPECT_EQ(Active()->DocumentKind, "CMD_Document");
            EXPECT_EQ(Active()->StringGrid1->Cells(1, 0), "b");
            Active()->close();
            QCoreApplication::processEvents();
        }
    }
}

// The new companion's window is closed while it opens: nothing is marked in a window that is gone.
TEST_F(Companion, AMissingCompanionClosedWhileItOpensIsLeftAlone)
{
    OpenFile("quest.kas", "JOTE\r\n", "KAS_Document");
    Boxes->Answers = {IDOK};
    CloseWhileEventsRun([this] { return Active(); });
    Form->ActionList1->UpdateActions();
    Form->OpenKAOAction1->trigger();   // Window > Open KAO document
    QCoreApplication::processEvents();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    ASSERT_EQ(EditorCount(), 1);
    EXPECT_EQ(Active()->Caption(), Root + "/quest.kas");
}

TEST_F(Companion, ReopenAsTableOfAnUnsavedTextSaysSo)
{
    OpenNew("new.txt", "TXT_Document");
    Form->ReOpenAsTableAction1->Execute();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text,
              "File \"" + Root + "/new.txt\" not found.\n\rIt is previouse necessary to save this document.");
    EXPECT_EQ(EditorCount(), 1);
}

} // namespace
