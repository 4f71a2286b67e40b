// Go to a line or a character, and undo, redo and delete on the active document.
#include "shell/DocumentTestSupport.h"

#include "editing/GoToDlg.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QLineEdit>
#include <QRadioButton>

namespace {

class GoTo : public DocumentTest
{
protected:
    TForm_Editor *OpenLines(int count)
    {
        AnsiString text;
        for (int i = 1; i <= count; ++i) text += "line " + IntToStr(i) + "\r\n";
        return OpenFile("lines.txt", text, "TXT_Document");
    }
    void RunGoTo(int item, const AnsiString &number)
    {
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<TGoToForm *>(dialog);
            EXPECT_NE(form, nullptr);
            if (!form) return int(mrCancel);
            EXPECT_EQ(FromQ(form->Edit1->text()), "1");
            EXPECT_EQ(form->ItemIndex(), 0);
            form->SetItemIndex(item);
            form->Edit1->setText(ToQ(number));
            form->ToolButton1Click();
            return int(mrOk);
        });
        ASSERT_TRUE(Form->GoToAction1->Execute());
    }
    bool Enabled(TAction *action)
    {
        Form->ActionList1->UpdateActions();
        return action->Enabled();
    }
};

TEST_F(GoTo, LineOneHundredFiftyPutsTheCaretThere)
{
    TForm_Editor *w = OpenLines(300);
    RunGoTo(0, "150");
    EXPECT_EQ(w->Memo1->CaretY(), 150);
    EXPECT_LE(w->Memo1->TopLine(), 150);
    EXPECT_GT(w->Memo1->TopLine() + std::max(1, w->Memo1->LinesInWindow()), 150);
}

TEST_F(GoTo, SymbolSelectsTheCharacterAtTheOffset)
{
    TForm_Editor *w = OpenFile("s.txt", "abc\r\ndef\r\n", "TXT_Document");
    const struct
    {
        const char *Number;
        const char *Selected;
    } cases[] = {{"0", "a"}, {"1", "a"}, {"3", "c"}, {"6", "d"}};
    for (const auto &c : cases) {
        RunGoTo(1, c.Number);
        EXPECT_EQ(w->Memo1->SelText(), c.Selected) << c.Number;
    }
}

TEST(GoToField, BadTextsBecomeOne)
{
    const struct
    {
        const char *Text, *Kept;
    } cases[] = {{"150", "150"}, {"007", "1"}, {"0", "1"}, {"-5", "1"}, {"12a", "1"},
                 {"", "1"},      {"1234567890", "1"}, {"123456789", "123456789"}};
    for (const auto &c : cases) EXPECT_EQ(CheckedGoToText(c.Text), c.Kept) << c.Text;
}

TEST_F(GoTo, OnlyForScriptsAndTexts)
{
    EXPECT_FALSE(Enabled(Form->GoToAction1));
    OpenNew("t.cmd", "CMD_Document");
    EXPECT_FALSE(Enabled(Form->GoToAction1));
    OpenNew("t.kas", "KAS_Document");
    EXPECT_TRUE(Enabled(Form->GoToAction1));
}

// ---- Undo, redo, delete ----

TEST_F(GoTo, UndoToTheStartHidesTheMarkerAndRedoBringsTheChangeBack)
{
    TForm_Editor *w = OpenFile("u.txt", "abc\r\n", "TXT_Document");
    w->Memo1->SetCaretXY({4, 1});
    w->Memo1->SetSelText("d");
    ASSERT_TRUE(w->IsModified());
    ASSERT_TRUE(Enabled(Form->Undo_Action1));
    Form->Undo_Action1->Execute();
    EXPECT_EQ(w->Memo1->Lines[0], "abc");
    EXPECT_FALSE(w->IsModified());
    EXPECT_EQ(w->ModifiedHint(), "");
    Form->Redo_Action1->Execute();
    EXPECT_EQ(w->Memo1->Lines[0], "abcd");
}

TEST_F(GoTo, UndoInATableIsTheCellEditors)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\r\n", "CMD_Document");
    w->Memo2->SetSelText("x");
    ASSERT_TRUE(Enabled(Form->Undo_Action1));
    const AnsiString typed = w->Memo2->Text();
    Form->Undo_Action1->Execute();
    EXPECT_NE(w->Memo2->Text(), typed);
    Form->Redo_Action1->Execute();
    EXPECT_EQ(w->Memo2->Text(), typed);
}

TEST_F(GoTo, DeleteNeedsASelectionInTheTextPane)
{
    TForm_Editor *w = OpenFile("d.txt", "hello world\r\n", "TXT_Document");
    EXPECT_FALSE(Enabled(Form->EditDelete1));
    w->Memo1->SetSelStart(0);
    w->Memo1->SetSelEnd(6);
    ASSERT_TRUE(Enabled(Form->EditDelete1));
    Form->EditDelete1->Execute();
    EXPECT_EQ(w->Memo1->Lines[0], "world");
}

} // namespace
