// The Analyzer: the normalising of usage tags, the items shared between documents, and the window
// over real document windows.
#include "shell/DocumentTestSupport.h"

#include "common/Utils.h"
#include "platform/ActionList.h"
#include "platform/Application.h"
#include "platform/StatusBar.h"
#include "script/ScriptAnalysis.h"
#include "script/VarMan.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

const AnalyzerKind &Kind(const char *tag)
{
    for (const AnalyzerKind &k : AnalyzerKinds)
        if (AnsiString(k.Tag) == tag) return k;
    throw std::runtime_error("no kind");
}

TEST(AnalyzerSteps, TagValuesAreNormalisedByKind)
{
    struct Case
    {
        const char *Tag;
        const char *Value;
        const char *Expected;
    };
    const Case cases[] = {
        {"QUIL_ScriptUsedVariables", "w3-5;w1", "w1;w3;w4;w5"},
        {"QUIL_ScriptUsedVariables", " w3 - 5 ; w1 ", "w1;w3;w4;w5"},   // blanks anywhere change nothing
        {"QUIL_ScriptUsedVariables", "w1;w2;;w3-5", "w1;w2"},           // the split ends at the empty item
        {"QUIL_ScriptUsedVariables", "W1;w1;w1-2", "W1;w2"},            // repeats dropped, first spelling kept
        {"QUIL_ScriptUsedVariables", "", ""},
        {"QUIL_ScriptUsedFunctions", "3-5", "3;4;5"},
        {"QUIL_ScriptUsedFunctions", "5-3;1", "1;3;4;5"},
        {"QUIL_ScriptUsedTimers", "t1-2", "t1-2"},                      // no prefix for timers
        {"QUIL_ScriptUsedFlags", "10;9;9", "10;9"},
        {"QUIL_ScriptUsedMacroNames", "b;a;b", "a;b;b"},                // sorted, repeats kept
        {"QUIL_ScriptUsedMacroNames", "m1-3", "m1-3"},                  // never expanded
        {"QUIL_AdditionalFiles", "z.kat; a b.txt", "ab.txt;z.kat"},
    };
    for (const Case &c : cases) EXPECT_EQ(AnalyzeTagValue(c.Value, Kind(c.Tag)), c.Expected) << c.Tag << ": " << c.Value;
}

// Row i's intersection word for word: every other row's items against row i's, collected in a
// sorted list that ignores repeats.
std::vector<AnsiString> IntersectionsByDefinition(const std::vector<AnsiString> &columns)
{
    std::vector<AnsiString> result(columns.size());
    if (columns.size() < 2) return result;
    for (size_t i = 0; i < columns.size(); ++i) {
        TStringList mine, shared;
        SplitToStrings(columns[i], ';', mine);
        shared.SetSorted(true);
        shared.Duplicates = dupIgnore;
        for (size_t j = 0; j < columns.size(); ++j) {
            if (j == i) continue;
            TStringList theirs;
            SplitToStrings(columns[j], ';', theirs);
            AddCommonItems(mine, theirs, shared);
        }
        result[i] = shared.Join(";");
    }
    return result;
}

TEST(AnalyzerSteps, IntersectionsAreThoseOfThePairwiseComparison)
{
    const std::vector<std::vector<AnsiString>> cases = {
        {"1;2", "2;3"},
        {"1;2"},
        {"", "", ""},
        {"a;b;b", "b;c", "a"},
        {"x;X", "X", "x"},            // letter case counts for the match; the first met is kept
        {"x;X", "x", "X"},
        {"A;a", "a;A", "A;a"},
        {"w1;w3;w4;w5", "v1;v2;W1;w4", "w5", ""},
        {"k;k;k", "k", "k;k"},
        {"q", "r", "s", "q;r;s"},
        {"b;a", "a;b"},               // rows not in sorted order
        {"B;a;A;b", "b;A", "a;B"},
        {"z;y;Y;x", "Y;x", "y;z;X"},
    };
    for (const auto &columns : cases) {
        const std::vector<AnsiString> expected = IntersectionsByDefinition(columns);
        EXPECT_EQ(FindIntersections(columns), expected) << columns.size() << " rows, first " << columns[0];
    }
    EXPECT_EQ(FindIntersections({"1;2", "2;3"}), (std::vector<AnsiString>{"2", "2"}));
}

class Analyzer : public DocumentTest
{
protected:
    AnsiString Fixture(const char *name) { return ReadFileBytes(AnsiString(QUILLET_FIXTURES) + "/scriptinfo/" + name); }

    // Runs the action; the window is looked at while it is shown, then closed.
    void RunAnalyzer(const std::function<void(TVarManForm &)> &look)
    {
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<TVarManForm *>(dialog);
            EXPECT_NE(form, nullptr);
            if (form) look(*form);
            return int(mrOk);
        });
        Form->ActionList1->UpdateActions();
        ASSERT_TRUE(Form->VarManAction1->Execute());
        ASSERT_EQ(modal.ClassNames, std::vector<AnsiString>{"TVarManForm"});
    }

    static std::vector<AnsiString> Column(const QTreeWidget *list, int column)
    {
        std::vector<AnsiString> texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i) texts.push_back(FromQ(list->topLevelItem(i)->text(column)));
        return texts;
    }
};

TEST_F(Analyzer, EnabledOnlyWhileADocumentIsOpen)
{
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->VarManAction1->Enabled());
    OpenFile("t.kat", "a\tb\r\n", "KAT_Document");
    Form->ActionList1->UpdateActions();
    EXPECT_TRUE(Form->VarManAction1->Enabled());
}

TEST_F(Analyzer, CopyTextOfThreeScriptsAndATable)
{
    const AnsiString a = Root + "/analyzer_a.kas", b = Root + "/analyzer_b.kas", c = Root + "/analyzer_c.txt";
    OpenFile("analyzer_a.kas", Fixture("analyzer_a.kas"), "KAS_Document");
    OpenFile("table.kat", "1\tx\r\n", "KAT_Document");
    OpenFile("analyzer_b.kas", Fixture("analyzer_b.kas"), "KAS_Document");
    OpenFile("analyzer_c.txt", Fixture("analyzer_c.txt"), "TXT_Document");

    AnsiString copied;
    RunAnalyzer([&](TVarManForm &form) {
        EXPECT_EQ(form.windowTitle(), "Analyzer");
        EXPECT_EQ(form.PageControl1->count(), 6);
        EXPECT_EQ(form.PageControl1->tabText(5), "Additional files");
        EXPECT_EQ(FromQ(form.ListViews[2]->headerItem()->text(3)), "Intersection maco names");
        // The table adds no row; the second number is the window's own.
        EXPECT_EQ(Column(form.ListViews[0], 0), (std::vector<AnsiString>{"1 / 0", "2 / 2", "3 / 3"}));
        form.ToolButton2Click();
        copied = FromQ(QGuiApplication::clipboard()->text());
    });

    const AnsiString expected =
        "Variables\r\n==========\r\n"
        "Document: " + a + "\r\nVariables: w1;w3;w4;w5\r\nIntersection variables: w4;w5\r\n"
        "Document: " + b + "\r\nVariables: v1;v2;W1;w4\r\nIntersection variables: w4\r\n"
        "Document: " + c + "\r\nVariables: w5\r\nIntersection variables: w5\r\n"
        "\r\nFunctions\r\n==========\r\n"
        "Document: " + a + "\r\nFunctions: 3;4;5\r\nIntersection functions: 5\r\n"
        "Document: " + b + "\r\nFunctions: 5;6\r\nIntersection functions: 5\r\n"
        "Document: " + c + "\r\nFunctions: \r\nIntersection functions: \r\n"
        "\r\nMacros\r\n==========\r\n"
        "Document: " + a + "\r\nMacros: a;b;b\r\nIntersection maco names: a\r\n"
        "Document: " + b + "\r\nMacros: a;c\r\nIntersection maco names: a\r\n"
        "Document: " + c + "\r\nMacros: \r\nIntersection maco names: \r\n"
        "\r\nTimers\r\n==========\r\n"
        "Document: " + a + "\r\nTimers: 1;2\r\nIntersection timers: 2\r\n"
        "Document: " + b + "\r\nTimers: 2\r\nIntersection timers: 2\r\n"
        "Document: " + c + "\r\nTimers: \r\nIntersection timers: \r\n"
        "\r\nFlags\r\n==========\r\n"
        "Document: " + a + "\r\nFlags: 7\r\nIntersection flags: 7\r\n"
        "Document: " + b + "\r\nFlags: \r\nIntersection flags: \r\n"
        "Document: " + c + "\r\nFlags: 7;8\r\nIntersection flags: 7\r\n"
        "\r\nAdditional files\r\n==========\r\n"
        "Document: " + a + "\r\nFiles: alpha.kat;common.txt\r\nIntersection files: common.txt\r\n"
        "Document: " + b + "\r\nFiles: common.txt\r\nIntersection files: common.txt\r\n"
        "Document: " + c + "\r\nFiles: \r\nIntersection files: \r\n";
    EXPECT_EQ(copied, expected);

    // The main window's status bar is left as before, with the last status text.
    EXPECT_EQ(Form->StatusBar1->Panels[1].Text(), "Done!");
    EXPECT_EQ(Form->OperationProgressBar, nullptr);
    EXPECT_EQ(Form->StatusBar1->Panels[0].Width(), ScreenWidth());
}

TEST_F(Analyzer, OneDocumentHasNoIntersectionsAndUnsavedEditsCount)
{
    TForm_Editor *w = OpenFile("one.kas", "JOTE\r\nQUIL_ScriptUsedFunctions=1;2\r\n", "KAS_Document");
    w->Memo1->Lines.SetString(1, "QUIL_ScriptUsedFunctions=9-8");
    RunAnalyzer([&](TVarManForm &form) {
        EXPECT_EQ(Column(form.ListViews[1], 2), std::vector<AnsiString>{"8;9"});
        EXPECT_EQ(Column(form.ListViews[1], 3), std::vector<AnsiString>{""});
    });
}

TEST_F(Analyzer, SelectingSortingAndEnteringPages)
{
    for (int i = 0; i < 11; ++i)
        OpenFile("s" + IntToStr(i) + ".kas", "QUIL_ScriptUsedFlags=" + IntToStr(i) + "\r\n", "KAS_Document");
    RunAnalyzer([&](TVarManForm &form) {
        QTreeWidget *flags = form.ListViews[4];
        form.ListView1ColumnClick(flags, 0);
        const std::vector<AnsiString> ids = Column(flags, 0);
        EXPECT_EQ(ids[0], "1 / 0");
        EXPECT_EQ(ids[1], "10 / 9");   // compared as text
        EXPECT_EQ(ids[2], "11 / 10");
        EXPECT_EQ(ids[3], "2 / 1");
        EXPECT_FALSE(flags->headerItem()->icon(0).isNull());
        form.ListView1ColumnClick(flags, 2);
        EXPECT_TRUE(flags->headerItem()->icon(0).isNull());
        EXPECT_FALSE(flags->headerItem()->icon(2).isNull());
        EXPECT_EQ(Column(flags, 2).front(), "0");
        EXPECT_EQ(Column(flags, 2).back(), "9");

        form.show();
        flags->setCurrentItem(flags->topLevelItem(0));
        EXPECT_EQ(form.StatusBar1->Panels[1].Text(), "\"" + Root + "/s0.kas\": 0 >> none");
        form.TabSheetEnter(4);
        EXPECT_EQ(form.StatusBar1->Panels[1].Text(), "\"" + Root + "/s0.kas\": 0");
        form.TabSheetEnter(0);
        EXPECT_EQ(form.StatusBar1->Panels[1].Text(), "");
        form.hide();
    });
}

TEST_F(Analyzer, ARangeBeyondTheIntegersIsReportedAsAnError)
{
    OpenFile("big.kas", "QUIL_ScriptUsedFunctions=1-99999999999\r\n", "KAS_Document");
    ModalRecorder modal([](QDialog *) { return int(mrOk); });
    Form->ActionList1->UpdateActions();
    Form->VarManAction1->Execute();
    EXPECT_TRUE(modal.ClassNames.empty());
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet: Error!");
    EXPECT_EQ(Form->OperationProgressBar, nullptr);
}

} // namespace
