// Search and replace in text panes and tables.
#include "editing/ConfirmReplaceDlg.h"
#include "editing/FindDlg.h"
#include "editing/ReplaceDlg.h"
#include "editing/TextSearch.h"
#include "platform/Dialogs.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QCheckBox>

namespace {

bool TableShown(const TForm_Editor *window) { return !window->StringGridPanel->isHidden(); }
bool TextShown(const TForm_Editor *window) { return !window->Memo1->isHidden(); }

void ShowNotFound(const TForm_Editor *window, const AnsiString &text, bool forReplace)
{
    MessageBox(ApplicationWindow(), NotFoundMessage(window->Caption(), text, forReplace), "Quillet",
               MB_OK | MB_ICONINFORMATION);
}

// After a search without a hit nothing stays selected: the caret stays at the end of the old
// selection going forward, at its start going backward.
void CollapseSelection(TSynMemo *pane, bool backward)
{
    const TBufferCoord at = backward ? pane->BlockBegin() : pane->BlockEnd();
    pane->SetBlockBegin(at);
    pane->SetCaretXY(at);
}

TSynSearchOptions SearchOptions(bool backward, bool caseSensitive, bool fromCaret, bool selectedOnly, bool wholeWords)
{
    TSynSearchOptions options = 0;
    if (backward) options |= ssoBackwards;
    if (caseSensitive) options |= ssoMatchCase;
    if (!fromCaret) options |= ssoEntireScope;
    if (selectedOnly) options |= ssoSelectedOnly;
    if (wholeWords) options |= ssoWholeWord;
    return options;
}

// Row first, then the column.
void MoveCurrentCell(TStringGrid *grid, int col, int row)
{
    grid->SetRow(row);
    grid->SetCol(col);
}

TableShape ShapeOf(const TStringGrid *grid)
{
    return {grid->ColCount(), grid->RowCount(), grid->FixedCols(), grid->FixedRows()};
}

} // namespace

void TMainForm::ConnectSearchActions()
{
    SearhAction1->OnExecute = [this] { SearhAction1Execute(); };
    SearhAction1->OnUpdate = [this] { SearhAction1->SetEnabled(ActiveEditor() != nullptr); };
    FindNextAction1->OnExecute = [this] { FindNextAction1Execute(); };
    FindNextAction1->OnUpdate = [this] { FindNextAction1->SetEnabled(ActiveEditor() && !SearchText.empty()); };
    FindPreviousAction1->OnExecute = [this] { FindPreviousAction1Execute(); };
    FindPreviousAction1->OnUpdate = [this] {
        FindPreviousAction1->SetEnabled(ActiveEditor() && !SearchText.empty());
    };
    ReplaceAction1->OnExecute = [this] { ReplaceAction1Execute(); };
    ReplaceAction1->OnUpdate = [this] {
        const TForm_Editor *window = ActiveEditor();
        ReplaceAction1->SetEnabled(window && TextShown(window) && !TableShown(window));
    };
}

void TMainForm::SearhAction1Execute()
{
    TTextSearchDialog dialog(this);
    TForm_Editor *window = ActiveEditor();
    if (!window) return;
    if (TableShown(window))
        dialog.PrepareForTable();
    else {
        window->Normal1Click();
        dialog.cbSearchSelectedOnly->setChecked(false);
    }
    if (ShowModal(&dialog) != mrOk) return;
    StoreSearchHistories();
    FindNextInActiveDocument();
}

void TMainForm::FindNextAction1Execute() { FindAgain(false); }
void TMainForm::FindPreviousAction1Execute() { FindAgain(true); }

void TMainForm::FindAgain(bool backward)
{
    TForm_Editor *window = ActiveEditor();
    if (!window) return;
    SearchBackwards = backward;
    SearchFromCaret = true;
    if (TableShown(window)) {
        // The scan starts at the current cell: one step on, so that the last hit is not found again.
        TStringGrid *grid = window->StringGrid1;
        grid->setFocus();
        int col = grid->Col(), row = grid->Row();
        StepCell(col, row, ShapeOf(grid), backward);
        MoveCurrentCell(grid, col, row);
        window->ShowCellInEditor(grid->Col(), grid->Row());
    } else
        window->Normal1Click();
    FindNextInActiveDocument();
}

void TMainForm::FindNextInActiveDocument()
{
    TForm_Editor *window = ActiveEditor();
    if (!window) return;
    if (SearchText.empty()) {
        ShowNotFound(window, "", false);
        return;
    }
    PutOnTopOfSearchHistory(SearchTextHistory, SearchText);
    if (TextShown(window)) {
        const TSynSearchOptions options =
            SearchOptions(SearchBackwards, SearchCaseSensitive, SearchFromCaret, SearchSelectedOnly, SearchWholeWords);
        if (window->Memo1->SearchReplace(SearchText, ReplaceText, options) == 0) {
            ShowNotFound(window, SearchText, false);
            CollapseSelection(window->Memo1, SearchBackwards);
        }
    } else if (TableShown(window))
        FindInTableDocument(window);
}

void TMainForm::FindInTableDocument(TForm_Editor *window)
{
    TStringGrid *grid = window->StringGrid1;
    const TableShape shape = ShapeOf(grid);
    int col = SearchBackwards ? shape.ColCount - 1 : 0;
    int row = SearchBackwards ? shape.RowCount - 1 : 0;
    if (SearchFromCaret) {
        col = grid->Col();
        row = grid->Row();
    }
    const auto hit = FindInTable({grid->CellsRowMajor(), shape}, col, row, SearchBackwards, SearchText, SearchCaseSensitive);
    if (!hit) {
        ShowNotFound(window, SearchText, false);
        return;
    }
    MoveCurrentCell(grid, hit->Col, hit->Row);
    // A cell the grid refuses to make current is not shown: the cell editor writes into the
    // current cell.
    if (grid->Col() != hit->Col || grid->Row() != hit->Row) return;
    window->ShowCellInEditor(hit->Col, hit->Row);
    window->Memo2->SetSelStart(hit->Position - 1);
    window->Memo2->SetSelLength(int(SearchText.size()));
    window->Memo2->setFocus();
}

void TMainForm::ReplaceAction1Execute()
{
    TTextReplaceDialog dialog(this);
    TForm_Editor *window = ActiveEditor();
    if (!window || !TextShown(window)) return;
    window->Normal1Click();
    if (ShowModal(&dialog) != mrOk) return;
    StoreSearchHistories();
    ReplaceAllInActiveDocument();
}

void TMainForm::ReplaceAllInActiveDocument()
{
    TForm_Editor *window = ActiveEditor();
    if (!window) return;
    if (ReplaceSearchText.empty()) {
        ShowNotFound(window, "", true);
        return;
    }
    PutOnTopOfSearchHistory(ReplaceSearchTextHistory, ReplaceSearchText);
    if (!TextShown(window)) return;   // tables are searched, never replaced
    const TSynSearchOptions options =
        ssoPrompt | ssoReplace | ssoReplaceAll |
        SearchOptions(ReplaceBackwards, ReplaceCaseSensitive, ReplaceFromCaret, ReplaceSelectedOnly, ReplaceWholeWords);
    // Not found means no hit at all: hits that were only skipped (answered No, or already equal
    // to the replacement) were found.
    int hits = 0;
    window->Memo1->SearchReplace(ReplaceSearchText, ReplaceText, options, &hits);
    if (hits == 0) {
        ShowNotFound(window, ReplaceSearchText, false);
        CollapseSelection(window->Memo1, ReplaceBackwards);
    }
}

void TMainForm::PutOnTopOfSearchHistory(AnsiString &history, const AnsiString &text)
{
    const AnsiString updated = PutOnTopOfHistory(history, text);
    if (updated == history) return;
    history = updated;
    StoreSearchHistories();
}

// Written through at once, so that a crash loses none of them. A settings file that cannot be
// written is reported but does not stop the search; shut-down writes the histories again.
void TMainForm::StoreSearchHistories()
{
    try {
        TRegistry reg;
        if (!reg.OpenKey(SettingsKey, true)) return;
        reg.BeginUpdate();
        if (!SearchTextHistory.empty()) reg.WriteString("SearchTextHistory", SearchTextHistory);
        if (!ReplaceTextHistory.empty()) reg.WriteString("ReplaceTextHistory", ReplaceTextHistory);
        if (!ReplaceSearchTextHistory.empty()) reg.WriteString("ReplaceSearchTextHistory", ReplaceSearchTextHistory);
        reg.EndUpdate();
    } catch (const std::exception &e) {
        ShowHandlerException(e, "Search", "TMainForm::StoreSearchHistories");
    }
}

// The confirmation of one hit of a prompted replace, asked beside the hit.
void TForm_Editor::Memo1ReplaceText(const AnsiString &found, const AnsiString &replacement, int line, int column,
                                    TSynReplaceAction &action)
{
    if (found == replacement) {
        action = raSkip;
        return;
    }
    Memo1->ensureCursorVisible();   // the user sees the hit, and it has a place on the screen
    const QPoint hit = Memo1->mapToGlobal(Memo1->RowColumnToPixels({column, line}));
    const QRect area(widget()->mapToGlobal(QPoint(0, 0)), widget()->size());
    TConfirmReplaceDialog dialog(MainForm);
    dialog.PlaceNearText(area, hit.x(), hit.y(), hit.y() + Memo1->LineHeight(), found);
    switch (ShowModal(&dialog)) {
    case TConfirmReplaceDialog::ResultReplace: action = raReplace; break;
    case TConfirmReplaceDialog::ResultSkip: action = raSkip; break;
    case TConfirmReplaceDialog::ResultReplaceAll: action = raReplaceAll; break;
    default: action = raCancel; break;
    }
}
