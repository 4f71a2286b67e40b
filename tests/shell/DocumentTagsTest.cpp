// Header tags set in real document windows, the outline lists of the window, legacy names on opening.
#include "shell/DocumentTestSupport.h"

#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QComboBox>
#include <QMdiArea>

namespace {

class DocumentTags : public DocumentTest
{
protected:
    static std::vector<AnsiString> Items(const QComboBox *box)
    {
        std::vector<AnsiString> items;
        for (int i = 0; i < box->count(); ++i) items.push_back(FromQ(box->itemText(i)));
        return items;
    }
    static std::vector<AnsiString> List(const TStringList *list) { return {list->begin(), list->end()}; }
};

TEST_F(DocumentTags, ANewTagGoesBelowTheAnchorLineAndTheCaretKeepsItsText)
{
    TForm_Editor *w = OpenFile("s.kas", "// JOTE header\r\nbody\r\nend\r\n", "KAS_Document");
    w->Memo1->SetCaretXY({2, 2});
    Form->SetScriptHeaderTag("QUIL_ScriptDate", "1.2(February).2020", w->Memo1);
    EXPECT_EQ(w->Memo1->Text(), "// JOTE header\r\nQUIL_ScriptDate=1.2(February).2020\r\nbody\r\nend\r\n");
    EXPECT_EQ(w->Memo1->CaretY(), 3);
    EXPECT_EQ(w->Memo1->Lines.Strings(w->Memo1->CaretY() - 1), "body");
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(List(w->OutlineLines), std::vector<AnsiString>({"\t\t\t", "QUIL_ScriptDate"}));
    EXPECT_EQ(Items(w->ComboBox1), std::vector<AnsiString>({"  QUIL TAGS:", "ScriptDate"}));
}

TEST_F(DocumentTags, SettingRewritesInPlaceAndAnEmptyValueRemoves)
{
    struct Case { const char *Text; const char *Value; const char *Expected; };
    const Case cases[] = {
        {"a\r\nquil_poweredby=old\r\nb\r\n", "new", "a\r\nQUIL_PoweredBy=new\r\nb\r\n"},
        {"a\r\nQUIL_PoweredBy=old\r\n", "", "a\r\n"},
        {"a\r\nb\r\n", "", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "v", "QUIL_PoweredBy=v\r\na\r\nb\r\n"},
        {"", "v", "QUIL_PoweredBy=v\r\n"},
    };
    for (const Case &c : cases) {
        TForm_Editor *w = OpenFile("s.kas", c.Text, "KAS_Document");
        Form->SetScriptHeaderTag("QUIL_PoweredBy", c.Value, w->Memo1);
        EXPECT_EQ(w->Memo1->Text(), c.Expected) << c.Text;
    }
}

TEST_F(DocumentTags, WithoutADocumentWindowNothingHappens)
{
    TSynMemo pane;
    pane.SetText("a\r\n");
    Form->SetScriptHeaderTag("QUIL_ScriptName", "x", &pane);
    Form->RefreshScriptOutline();
    EXPECT_EQ(pane.Text(), "a\r\n");
}

// Save All tags every named script; the marker and outline that change are the tagged window's.
TEST_F(DocumentTags, TaggingAnotherWindowMarksThatWindow)
{
    TForm_Editor *first = OpenFile("a.kas", "a\r\n", "KAS_Document");
    TForm_Editor *active = OpenFile("b.kas", "b\r\n", "KAS_Document");
    ASSERT_EQ(Form->ActiveEditor(), active);
    Form->SetScriptHeaderTag("_WARNING_#1", "w", first->Memo1);
    EXPECT_TRUE(first->IsModified());
    EXPECT_FALSE(active->IsModified());
    EXPECT_EQ(List(first->OutlineLines), std::vector<AnsiString>({"\t\t\t", "_WARNING_#1"}));
    EXPECT_EQ(active->OutlineLines->Count(), 0);
}

TEST_F(DocumentTags, OutlineSectionsComeInTheirOrderEachOnlyWithEntries)
{
    const AnsiString text = "QUIL_ScriptName=n\r\n_DECLARATION_var1=int\r\n QUIL_Indented=x\r\n"
                            "_WARNING_#1=w\r\n_DECLARATION_nothing\r\nQUIL_ScriptDate=d\r\n";
    TForm_Editor *w = OpenFile("o.kas", text, "KAS_Document");
    EXPECT_EQ(Items(w->ComboBox1), std::vector<AnsiString>({"  WARNINGS:", "#1", "  QUIL TAGS:", "ScriptName",
                                                            "ScriptDate", "  DECLARATIONS:", "var1"}));
    EXPECT_EQ(List(w->OutlineLines), std::vector<AnsiString>({"\t\t\t", "_WARNING_#1", "\t\t\t", "QUIL_ScriptName",
                                                              "QUIL_ScriptDate", "\t\t\t", "_DECLARATION_var1"}));
    EXPECT_EQ(Items(w->ComboBox2), std::vector<AnsiString>({"var1"}));
    EXPECT_EQ(List(w->DeclarationLines), std::vector<AnsiString>({"_DECLARATION_var1"}));

    w->Memo1->SetText("plain\r\n");
    Form->RefreshScriptOutline();
    EXPECT_EQ(w->ComboBox1->count(), 0);
    EXPECT_EQ(w->OutlineLines->Count(), 0);
}

TEST_F(DocumentTags, LegacyNamesAreRenamedOnOpeningAndMarkTheScriptChanged)
{
    TForm_Editor *old = OpenFile("old.kas", "AUTO_ScriptName=a\r\nx AUTO_ScriptName=b\r\nAUTO_Other=c\r\n", "KAS_Document");
    EXPECT_EQ(old->Memo1->Text(), "QUIL_ScriptName=a\r\nx QUIL_ScriptName=b\r\nAUTO_Other=c\r\n");
    EXPECT_TRUE(old->IsModified());
    EXPECT_EQ(Form->ConvertAutoTags("AUTO_ScriptDate=1"), "QUIL_ScriptDate=1");

    TForm_Editor *current = OpenFile("new.kas", "QUIL_ScriptName=a\r\n", "KAS_Document");
    EXPECT_FALSE(current->IsModified());
    // A text document keeps its legacy names.
    TForm_Editor *text = OpenFile("t.txt", "AUTO_ScriptName=a\r\n", "TXT_Document");
    EXPECT_EQ(text->Memo1->Text(), "AUTO_ScriptName=a\r\n");
    EXPECT_FALSE(text->IsModified());
}

} // namespace
