// The syntax-check window: the missing-library text, error rows that mark their line, and the
// opener removing the marks again. Its action stays disabled.
#include "shell/DocumentTestSupport.h"

#include "script/SyntaxCheck.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QLabel>
#include <QSplitter>
#include <QTreeWidget>

namespace {

class SyntaxCheck : public DocumentTest
{
protected:
    TForm_Editor *OpenScript()
    {
        AnsiString text;
        for (int i = 1; i <= 20; ++i) text += "line " + IntToStr(i) + "\r\n";
        return OpenFile("s.kas", text, "KAS_Document");
    }
    void Run(const std::function<void(TCS_Form &)> &user)
    {
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<TCS_Form *>(dialog);
            EXPECT_NE(form, nullptr);
            if (form) user(*form);
            return int(mrOk);
        });
        Form->CheckSyntaxExecute();
        EXPECT_EQ(modal.ClassNames, std::vector<AnsiString>{"TCS_Form"});
    }
    static void SelectRow(TCS_Form &form, int row)
    {
        form.ListView1->clearSelection();
        form.ListView1->topLevelItem(row)->setSelected(true);
    }
};

TEST_F(SyntaxCheck, ActionStaysDisabled)
{
    OpenScript();
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->CheckSyntax->Enabled());
    EXPECT_FALSE(Form->CheckSyntax->Execute());
}

TEST_F(SyntaxCheck, WithoutTheLibraryOnlyItsAbsenceIsShown)
{
    OpenScript();
    Run([&](TCS_Form &form) {
        EXPECT_EQ(form.windowTitle(), "Check syntax");
        EXPECT_EQ(form.Memo1->Text(), "File \"" + Form->ProgramFolder + "/cs_kas.dll\" not found.\r\n");
        EXPECT_TRUE(form.Panel1->isHidden());
        EXPECT_EQ(form.Label2->text(), "- - -");
        EXPECT_EQ(form.Label4->text(), "- - -");
    });
}

TEST_F(SyntaxCheck, WithTheLibraryTheResultPageIsEmpty)
{
    OpenScript();
    MakeFile("prog/cs_kas.dll");
    Run([&](TCS_Form &form) {
        EXPECT_EQ(form.Memo1->Text(), "");
        EXPECT_FALSE(form.Panel1->isHidden());
        EXPECT_EQ(form.ListView1->topLevelItemCount(), 0);
        EXPECT_EQ(form.Label2->text(), "");
    });
}

TEST_F(SyntaxCheck, RowsLeaveOneMarkWhichClosingRemoves)
{
    TForm_Editor *w = OpenScript();
    w->Memo1->SetBookmark(1, 2, 1);
    const int before = w->Memo1->Marks.Count();
    Run([&](TCS_Form &form) {
        form.AddErrorRow("5", "Unknown command");
        form.AddErrorRow("12", "Missing ENDIF");
        form.AddErrorRow("99", "Beyond the end");
        SelectRow(form, 0);
        EXPECT_EQ(form.Memo2->Text(), "Line #5:\r\nUnknown command\r\n");
        EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{1, 5}));
        SelectRow(form, 1);
        EXPECT_EQ(w->Memo1->CaretY(), 12);
        EXPECT_EQ(w->Memo1->Marks.Count(), before + 1);
        EXPECT_EQ(w->Memo1->Marks[before].Line(), 12);
        EXPECT_EQ(w->Memo1->Marks[before].ImageIndex(), ErrorMarkImage);
        SelectRow(form, 2);   // beyond the text: only the details change
        EXPECT_EQ(form.Memo2->Text(), "Line #99:\r\nBeyond the end\r\n");
        EXPECT_EQ(w->Memo1->CaretY(), 12);
        EXPECT_EQ(w->Memo1->Marks.Count(), before + 1);
    });
    EXPECT_EQ(w->Memo1->Marks.Count(), before);
}

} // namespace
