// Find, find next and previous, replace with confirmation, and table search, in real windows.
#include "editing/ConfirmReplaceDlg.h"
#include "editing/FindDlg.h"
#include "editing/ReplaceDlg.h"
#include "editing/TextSearch.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "shell/DocumentTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <deque>

namespace {

const AnsiString VrScript = QUILLET_FIXTURES "/search/vr.kas";

struct SearchChoice
{
    AnsiString Text = "VR";
    bool Backward = false;
    bool CaseSensitive = false;
    bool FromCaret = true;
    bool WholeWords = false;
};

class SearchTest : public DocumentTest
{
protected:
    TForm_Editor *OpenVrScript(const AnsiString &name = "vr.kas")
    {
        return OpenFile(name, ReadFileBytes(VrScript), "KAS_Document");
    }

    // Runs an action as the user does: its state brought up to date, then run when enabled.
    bool Run(TAction *action)
    {
        Form->ActionList1->UpdateActions();
        return action->Execute();
    }

    // Answers the search (or replace) dialog with the choice and OK.
    static int AnswerSearch(QDialog *dialog, const SearchChoice &choice, const AnsiString &replacement = "")
    {
        auto *search = qobject_cast<TTextSearchDialog *>(dialog);
        if (!search) return mrCancel;
        search->cbSearchText->setEditText(ToQ(choice.Text));
        search->SetDirectionIndex(choice.Backward ? 1 : 0);
        search->cbSearchCaseSensitive->setChecked(choice.CaseSensitive);
        search->cbSearchFromCaret->setChecked(choice.FromCaret);
        search->cbSearchWholeWords->setChecked(choice.WholeWords);
        if (auto *replace = qobject_cast<TTextReplaceDialog *>(dialog))
            replace->cbReplaceText->setEditText(ToQ(replacement));
        search->btnOK->click();
        return search->result() == QDialog::Accepted ? mrOk : mrCancel;
    }

    void Find(const SearchChoice &choice)
    {
        ModalRecorder dialogs([&](QDialog *d) { return AnswerSearch(d, choice); });
        ASSERT_TRUE(Run(Form->SearhAction1));
        ASSERT_EQ(dialogs.ClassNames, (std::vector<AnsiString>{"TTextSearchDialog"}));
    }

    // Replaces through the dialog; every question is answered from the queue (Cancel when empty).
    std::vector<AnsiString> Replace(const SearchChoice &choice, const AnsiString &replacement, std::deque<int> answers)
    {
        std::vector<AnsiString> questions;
        ModalRecorder dialogs([&](QDialog *d) {
            if (auto *confirm = qobject_cast<TConfirmReplaceDialog *>(d)) {
                questions.push_back(FromQ(confirm->lblConfirmation->text()));
                if (answers.empty()) return int(mrCancel);
                const int answer = answers.front();
                answers.pop_front();
                return answer;
            }
            return AnswerSearch(d, choice, replacement);
        });
        EXPECT_TRUE(Run(Form->ReplaceAction1));
        return questions;
    }

    static TBufferCoord Hit(TForm_Editor *w) { return w->Memo1->BlockBegin(); }

    std::vector<AnsiString> MessageTexts() const
    {
        std::vector<AnsiString> texts;
        for (const auto &call : Boxes->Calls) texts.push_back(call.Text);
        return texts;
    }

    static AnsiString NotFound(TForm_Editor *w, const AnsiString &text, const char *end = ".")
    {
        return "Document: \"" + w->Caption() + "\".\r\nText \"" + text + "\" not found" + end;
    }
};

} // namespace

TEST_F(SearchTest, FindForwardWalksTheHitsAndReportsTheEndWithoutWrapping)
{
    TForm_Editor *w = OpenVrScript();
    Find({});
    EXPECT_EQ(Hit(w), (TBufferCoord{1, 2}));
    EXPECT_EQ(w->Memo1->SelText(), "VR");
    const std::vector<TBufferCoord> next = {{5, 3}, {1, 4}, {4, 4}, {1, 5}};
    for (const TBufferCoord &expected : next) {
        ASSERT_TRUE(Run(Form->FindNextAction1));
        EXPECT_EQ(Hit(w), expected);
        EXPECT_EQ(w->Memo1->SelLength(), 2);
    }
    EXPECT_TRUE(Boxes->Calls.empty());
    ASSERT_TRUE(Run(Form->FindNextAction1));
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, NotFound(w, "VR"));
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONINFORMATION));
    // The selection collapses at the end of the last hit; the next search does not wrap either.
    EXPECT_FALSE(w->Memo1->SelAvail());
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{3, 5}));
    ASSERT_TRUE(Run(Form->FindNextAction1));
    EXPECT_EQ(Boxes->Calls.size(), 2u);
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{3, 5}));
}

TEST_F(SearchTest, FindPreviousWalksBackToTheFirstHit)
{
    TForm_Editor *w = OpenVrScript();
    Find({});
    w->Memo1->SetCaretXY({7, 5});
    const std::vector<TBufferCoord> previous = {{1, 5}, {4, 4}, {1, 4}, {5, 3}, {1, 2}};
    for (const TBufferCoord &expected : previous) {
        ASSERT_TRUE(Run(Form->FindPreviousAction1));
        EXPECT_EQ(Hit(w), expected);
        EXPECT_EQ(w->Memo1->CaretXY(), expected);   // a backward hit leaves the caret at its start
    }
    EXPECT_TRUE(Form->SearchBackwards);
    ASSERT_TRUE(Run(Form->FindPreviousAction1));
    EXPECT_EQ(MessageTexts(), (std::vector<AnsiString>{NotFound(w, "VR")}));
    EXPECT_FALSE(w->Memo1->SelAvail());
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{1, 2}));
    // Find next turns forward again.
    ASSERT_TRUE(Run(Form->FindNextAction1));
    EXPECT_EQ(Hit(w), (TBufferCoord{1, 2}));
    EXPECT_FALSE(Form->SearchBackwards);
}

TEST_F(SearchTest, FindOptionsChooseTheHits)
{
    struct Case
    {
        const char *Name;
        SearchChoice Choice;
        std::vector<TBufferCoord> Hits;
    };
    SearchChoice matchCase;
    matchCase.CaseSensitive = true;
    matchCase.FromCaret = false;
    SearchChoice wholeWords;
    wholeWords.WholeWords = true;
    wholeWords.FromCaret = false;
    SearchChoice backward;
    backward.Backward = true;
    backward.FromCaret = false;
    SearchChoice fromStart;
    fromStart.FromCaret = false;
    const Case cases[] = {
        {"match case", matchCase, {{1, 2}, {1, 4}, {4, 4}}},
        {"whole words", wholeWords, {{5, 3}, {1, 4}, {4, 4}, {1, 5}}},
        {"backward over the whole text", backward, {{1, 5}, {4, 4}}},
        {"from the start, not the caret", fromStart, {{1, 2}, {5, 3}}},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TForm_Editor *w = OpenVrScript("vr" + std::to_string(++n) + ".kas");
        w->Memo1->SetCaretXY({1, 4});
        Boxes->Calls.clear();
        Find(c.Choice);
        std::vector<TBufferCoord> hits{Hit(w)};
        while (hits.size() < c.Hits.size()) {
            ASSERT_TRUE(Run(c.Choice.Backward ? Form->FindPreviousAction1 : Form->FindNextAction1));
            hits.push_back(Hit(w));
        }
        EXPECT_EQ(hits, c.Hits);
        EXPECT_TRUE(Boxes->Calls.empty());
    }
    // Match case from the caret finds nothing after the last upper-case hit.
    TForm_Editor *w = OpenVrScript();
    w->Memo1->SetCaretXY({6, 4});
    Boxes->Calls.clear();
    matchCase.FromCaret = true;
    Find(matchCase);
    EXPECT_EQ(MessageTexts(), (std::vector<AnsiString>{NotFound(w, "VR")}));
}

TEST_F(SearchTest, EmptySearchTextShowsOneMessageAndFindNextStaysDisabled)
{
    TForm_Editor *w = OpenVrScript();
    Form->ActionList1->UpdateActions();
    EXPECT_TRUE(Form->SearhAction1->Enabled());
    EXPECT_FALSE(Form->FindNextAction1->Enabled());
    EXPECT_FALSE(Form->FindPreviousAction1->Enabled());
    const AnsiString before = w->Memo1->Text();
    Form->FindNextInActiveDocument();
    EXPECT_EQ(MessageTexts(), (std::vector<AnsiString>{NotFound(w, "")}));
    Boxes->Calls.clear();
    Form->ReplaceAllInActiveDocument();
    EXPECT_EQ(MessageTexts(), (std::vector<AnsiString>{NotFound(w, "", "!")}));
    EXPECT_EQ(w->Memo1->Text(), before);
    EXPECT_TRUE(Form->SearchTextHistory.empty());

    // The dialog's OK stays disabled without a text.
    TTextSearchDialog dialog(Form);
    dialog.cbSearchText->setEditText("");
    EXPECT_FALSE(dialog.btnOK->isEnabled());
    dialog.cbSearchText->setEditText("x");
    EXPECT_TRUE(dialog.btnOK->isEnabled());
}

TEST_F(SearchTest, NoDocumentWindowMeansNothingHappens)
{
    Form->SearchText = "VR";
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->SearhAction1->Enabled());
    EXPECT_FALSE(Form->FindNextAction1->Enabled());
    EXPECT_FALSE(Form->ReplaceAction1->Enabled());
    Form->FindNextInActiveDocument();
    Form->ReplaceAllInActiveDocument();
    EXPECT_TRUE(Boxes->Calls.empty());
}

TEST_F(SearchTest, DialogShowsTheStateAndOkKeepsHistoriesInTheRegistry)
{
    OpenVrScript();
    Form->SearchTextHistory = "old\r\nVR\r\n";
    Form->SearchText = "old";
    Form->SearchCaseSensitive = true;
    Form->SearchBackwards = true;
    {
        TTextSearchDialog dialog(Form);
        EXPECT_EQ(dialog.windowTitle(), "Search Text");
        EXPECT_EQ(dialog.cbSearchText->count(), 2);
        EXPECT_EQ(dialog.cbSearchText->currentText(), "old");
        EXPECT_TRUE(dialog.cbSearchCaseSensitive->isChecked());
        EXPECT_TRUE(dialog.cbSearchFromCaret->isChecked());
        EXPECT_EQ(dialog.DirectionIndex(), 1);
        EXPECT_FALSE(dialog.cbSearchSelectedOnly->isVisibleTo(&dialog));
        EXPECT_EQ(dialog.cbSearchFromCaret->text(), "Search from caret");
    }
    SearchChoice choice;
    choice.Text = "vr";   // equals "VR" without letter case: that item goes, "vr" comes on top
    Find(choice);
    EXPECT_EQ(Form->SearchText, "vr");
    EXPECT_EQ(Form->SearchTextHistory, "vr\r\nold\r\n");
    EXPECT_FALSE(Form->SearchBackwards);
    EXPECT_FALSE(Form->SearchCaseSensitive);

    // A long history: the dialog keeps 20.
    AnsiString history;
    for (int i = 0; i < 30; ++i) history += "t" + std::to_string(i) + "\r\n";
    Form->SearchTextHistory = history;
    Find(choice);
    EXPECT_EQ(HistoryEntries(Form->SearchTextHistory).size(), 20u);

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(SettingsKey));
    EXPECT_EQ(reg.ReadString("SearchTextHistory"), Form->SearchTextHistory);
}

// A history that the settings file cannot take is reported with the reason, and the search runs.
TEST_F(SearchTest, AHistoryTheSettingsFileCannotTakeIsReportedAndTheSearchGoesOn)
{
    TForm_Editor *w = OpenVrScript();
    {
        // As on a full disk: the settings file cannot grow.
        FileSizeLimit full(QFileInfo(ToQPath(SettingsFile)).size());
        Find({});
    }
    EXPECT_EQ(Hit(w), (TBufferCoord{1, 2}));
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet: Error!");
    EXPECT_NE(Boxes->Calls[0].Text.find(SettingsFile), AnsiString::npos) << Boxes->Calls[0].Text;
    EXPECT_NE(Boxes->Calls[0].Text.find("TMainForm::StoreSearchHistories"), AnsiString::npos);
    EXPECT_EQ(Form->SearchTextHistory, "VR\r\n");   // kept for the next try, at shut-down
}

TEST_F(SearchTest, ReplaceAsksForEachHitAndUndoesInOneStep)
{
    TForm_Editor *w = OpenVrScript();
    const AnsiString original = w->Memo1->Text();
    // Yes, No, then Yes to all: the rest without asking.
    const auto questions = Replace({}, "XY", {TConfirmReplaceDialog::ResultReplace, TConfirmReplaceDialog::ResultSkip,
                                              TConfirmReplaceDialog::ResultReplaceAll});
    EXPECT_EQ(questions, (std::vector<AnsiString>{"Replace this occurence of \"VR\"?", "Replace this occurence of \"vr\"?",
                                                  "Replace this occurence of \"VR\"?"}));
    EXPECT_EQ(w->Memo1->Text(), "// JOTE test\r\nXY_A=1\r\nset vr 2\r\nXY XY\r\nXY end\r\n");
    EXPECT_TRUE(Boxes->Calls.empty());
    EXPECT_EQ(Form->ReplaceSearchTextHistory, "VR\r\n");
    EXPECT_EQ(Form->ReplaceTextHistory, "XY\r\n");
    EXPECT_TRUE(w->IsModified());
    ASSERT_TRUE(Run(Form->Undo_Action1));   // one undo step takes the whole replace back
    EXPECT_EQ(w->Memo1->Text(), original);
    EXPECT_FALSE(w->Memo1->CanUndo());
    EXPECT_FALSE(w->IsModified());
}

TEST_F(SearchTest, ReplaceCancelKeepsWhatWasReplacedAndSkippingEverythingIsNoNotFound)
{
    TForm_Editor *w = OpenVrScript();
    SearchChoice matchCase;
    matchCase.CaseSensitive = true;
    matchCase.FromCaret = false;
    Replace(matchCase, "XY", {TConfirmReplaceDialog::ResultReplace, mrCancel});
    EXPECT_EQ(w->Memo1->Text(), "// JOTE test\r\nXY_A=1\r\nset vr 2\r\nVR VR\r\nVr end\r\n");
    EXPECT_TRUE(Boxes->Calls.empty());

    // Every hit answered No: the text was found, so no "not found" message.
    const auto questions = Replace(matchCase, "Q", {TConfirmReplaceDialog::ResultSkip, TConfirmReplaceDialog::ResultSkip});
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(w->Memo1->Text(), "// JOTE test\r\nXY_A=1\r\nset vr 2\r\nVR VR\r\nVr end\r\n");
    EXPECT_TRUE(Boxes->Calls.empty());

    // No hit at all: not found, with a full stop.
    Replace({"ZZ"}, "Q", {});
    EXPECT_EQ(MessageTexts(), (std::vector<AnsiString>{NotFound(w, "ZZ")}));
}

TEST_F(SearchTest, HitsEqualToTheReplacementAreSkippedWithoutAsking)
{
    TForm_Editor *w = OpenVrScript();
    SearchChoice lower;
    lower.Text = "vr";
    lower.FromCaret = false;
    // Only "vr" and "Vr" differ from "VR": two questions.
    const auto questions = Replace(lower, "VR", {TConfirmReplaceDialog::ResultReplace, TConfirmReplaceDialog::ResultReplace});
    EXPECT_EQ(questions, (std::vector<AnsiString>{"Replace this occurence of \"vr\"?", "Replace this occurence of \"Vr\"?"}));
    EXPECT_EQ(w->Memo1->Text(), "// JOTE test\r\nVR_A=1\r\nset VR 2\r\nVR VR\r\nVR end\r\n");
}

TEST_F(SearchTest, ReplacementHoldingTheSearchTextIsNotSearchedAgain)
{
    TForm_Editor *w = OpenVrScript();
    SearchChoice choice;
    choice.FromCaret = false;
    Replace(choice, "VRVR", {TConfirmReplaceDialog::ResultReplace, TConfirmReplaceDialog::ResultReplace,
                             TConfirmReplaceDialog::ResultReplaceAll});
    EXPECT_EQ(w->Memo1->Text(), "// JOTE test\r\nVRVR_A=1\r\nset VRVR 2\r\nVRVR VRVR\r\nVRVR end\r\n");
    // Backward as well.
    w->Memo1->Undo();
    choice.Backward = true;
    Replace(choice, "vrVR", {TConfirmReplaceDialog::ResultReplaceAll});
    EXPECT_EQ(w->Memo1->Text(), "// JOTE test\r\nvrVR_A=1\r\nset vrVR 2\r\nvrVR vrVR\r\nvrVR end\r\n");
}

TEST_F(SearchTest, ReplaceDialogTakesTheSelectionAndTheReplaceState)
{
    TForm_Editor *w = OpenVrScript();
    Form->ReplaceText = "old";
    Form->ReplaceTextHistory = "old\r\nolder\r\n";
    {
        TTextReplaceDialog dialog(Form);
        EXPECT_EQ(dialog.windowTitle(), "Replace Text");
        EXPECT_FALSE(dialog.cbSearchSelectedOnly->isChecked());
        EXPECT_TRUE(dialog.cbSearchSelectedOnly->isVisibleTo(&dialog));
        EXPECT_EQ(dialog.cbReplaceText->currentText(), "old");
        EXPECT_EQ(dialog.cbReplaceText->count(), 2);
        EXPECT_FALSE(dialog.btnOK->isEnabled());   // no replace search text yet
    }
    // Inside the selection only: lines 3 and 4.
    w->Memo1->SetBlockBegin({1, 3});
    w->Memo1->SetBlockEnd({6, 4});
    {
        TTextReplaceDialog dialog(Form);
        EXPECT_TRUE(dialog.cbSearchSelectedOnly->isChecked());
    }
    Replace({}, "Q", {TConfirmReplaceDialog::ResultReplaceAll});
    EXPECT_TRUE(Form->ReplaceSelectedOnly);
    EXPECT_EQ(w->Memo1->Text(), "// JOTE test\r\nVR_A=1\r\nset Q 2\r\nQ Q\r\nVr end\r\n");
    EXPECT_EQ(Form->ReplaceTextHistory, "Q\r\nold\r\nolder\r\n");
    // The search state is untouched by Replace.
    EXPECT_TRUE(Form->SearchText.empty());
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(SettingsKey));
    EXPECT_EQ(reg.ReadString("ReplaceTextHistory"), "Q\r\nold\r\nolder\r\n");
    EXPECT_EQ(reg.ReadString("ReplaceSearchTextHistory"), "VR\r\n");
}

TEST_F(SearchTest, ConfirmDialogSitsBesideTheHit)
{
    TConfirmReplaceDialog dialog(Form);
    EXPECT_EQ(dialog.windowTitle(), "Confirm replace");
    EXPECT_EQ(dialog.btnReplace->text(), "&Yes");
    EXPECT_EQ(dialog.btnSkip->text(), "&No");
    EXPECT_EQ(dialog.btnCancel->text(), "&Cancel");
    EXPECT_EQ(dialog.btnReplaceAll->text(), "Yes to &all");
    EXPECT_TRUE(dialog.btnReplace->isDefault());
    EXPECT_EQ(dialog.width(), 350);
    dialog.PlaceNearText(QRect(0, 0, 800, 600), 100, 500, 516, "abc");
    EXPECT_EQ(dialog.lblConfirmation->text(), "Replace this occurence of \"abc\"?");
    EXPECT_EQ(dialog.y(), 500 - dialog.height() - 4);   // a hit in the lower third: above the line
    EXPECT_EQ(dialog.x(), 100);
}

// ---------------------------------------------------------------------------------------------
// Tables

namespace {

// A KAO table of rows x 11 cells "r<row>c<col>", with the text in one cell.
AnsiString KaoTable(int rows, int textRow, int textCol, const AnsiString &text)
{
    AnsiString bytes;
    bytes.reserve(size_t(rows) * 80);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 11; ++c) {
            if (c > 0) bytes += '\t';
            bytes += (r == textRow && c == textCol) ? text : "r" + std::to_string(r) + "c" + std::to_string(c);
        }
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace

TEST_F(SearchTest, TableSearchFindsTheTextInTheHundredThousandthRow)
{
    TForm_Editor *w = OpenFile("big.kao", KaoTable(100000, 99999, 3, "xNeedle\ny"), "KAO_Document");
    ASSERT_EQ(w->StringGrid1->RowCount(), 100000);
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->ReplaceAction1->Enabled());   // tables are never replaced
    SearchChoice choice;
    choice.Text = "needle\r\ny";                     // the in-cell line break matches CR LF
    choice.FromCaret = false;
    Find(choice);
    EXPECT_TRUE(Boxes->Calls.empty());
    EXPECT_EQ(w->StringGrid1->Row(), 99999);
    EXPECT_EQ(w->StringGrid1->Col(), 3);
    EXPECT_EQ(w->Memo2->Text(), "xNeedle\r\ny\r\n");
    EXPECT_EQ(w->Memo2->SelStart(), 1);
    EXPECT_EQ(w->Memo2->SelText(), "Needle\r\ny");
    EXPECT_FALSE(w->IsModified());

    // Find next moves one cell on and finds nothing more: no wrap-around.
    ASSERT_TRUE(Run(Form->FindNextAction1));
    EXPECT_EQ(MessageTexts(), (std::vector<AnsiString>{NotFound(w, "needle\r\ny")}));
    EXPECT_EQ(w->StringGrid1->Col(), 4);
    // Find previous goes back to it.
    Boxes->Calls.clear();
    ASSERT_TRUE(Run(Form->FindPreviousAction1));
    EXPECT_TRUE(Boxes->Calls.empty());
    EXPECT_EQ(w->StringGrid1->Row(), 99999);
    EXPECT_EQ(w->StringGrid1->Col(), 3);
}

TEST_F(SearchTest, TableSearchFoldsLetterCaseAndTheDialogFitsTables)
{
    TForm_Editor *w = OpenFile("t.kao", KaoTable(5, 3, 2, "xABCy"), "KAO_Document");
    {
        TTextSearchDialog dialog(Form);
        dialog.PrepareForTable();
        EXPECT_FALSE(dialog.cbSearchWholeWords->isEnabled());
        EXPECT_FALSE(dialog.cbSearchWholeWords->isChecked());
        EXPECT_EQ(dialog.cbSearchFromCaret->text(), "Search from cell");
    }
    SearchChoice choice;
    choice.Text = "abc";
    Form->SearchWholeWords = true;   // unchecked for tables
    ModalRecorder dialogs([&](QDialog *d) {
        auto *search = qobject_cast<TTextSearchDialog *>(d);
        EXPECT_FALSE(search->cbSearchWholeWords->isEnabled());
        EXPECT_FALSE(search->cbSearchWholeWords->isChecked());
        return AnswerSearch(d, choice);
    });
    ASSERT_TRUE(Run(Form->SearhAction1));
    EXPECT_FALSE(Form->SearchWholeWords);
    EXPECT_EQ(w->StringGrid1->Row(), 3);
    EXPECT_EQ(w->StringGrid1->Col(), 2);
    EXPECT_EQ(w->Memo2->SelStart(), 1);
    EXPECT_EQ(w->Memo2->SelLength(), 3);
    EXPECT_EQ(w->Memo2->SelText(), "ABC");
}
