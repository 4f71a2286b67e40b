// Speed of search and replace as the user waits for it: a prompted replace-all answered "Yes to
// all" at the first hit, over a 20 MB script with 1 000 000 hits of a 2-character text replaced by
// a 3-character one (a plain std::string pass over the same bytes is the baseline), and Find next
// in a table of 100 000 rows x 11 columns whose only match is in the last row, and Find next to
// the last line of that script.
#include "QtBenchmarkMain.h"
#include "editing/TextSearch.h"
#include "platform/TStringGrid.h"
#include "shell/TableCells.h"
#include "synedit/SynMemo.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Hits = 1000000;
constexpr int TableRows = 100000;
constexpr int TableCols = 11;

// 1 000 000 lines of 20 bytes, each beginning with the text searched for.
const AnsiString &Script()
{
    static const AnsiString text = [] {
        AnsiString t;
        t.reserve(size_t(Hits) * 20);
        for (int i = 0; i < Hits; ++i) t += "VR abcdefghijklmno\r\n";
        return t;
    }();
    return text;
}

void BM_ReplaceAllBaselineString(benchmark::State &state)
{
    const AnsiString &text = Script();
    for (auto _ : state) {
        AnsiString result;
        result.reserve(text.size() + Hits);
        size_t from = 0;
        for (size_t at = text.find("VR"); at != AnsiString::npos; at = text.find("VR", from)) {
            result.append(text, from, at - from);
            result += "KEY";
            from = at + 2;
        }
        result.append(text, from, AnsiString::npos);
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Script().size()));
}
BENCHMARK(BM_ReplaceAllBaselineString)->Unit(benchmark::kMillisecond);

// The replace command's options: prompted, from the start, letter case not counting.
void BM_ReplaceAllPromptedYesToAll(benchmark::State &state)
{
    TSynMemo memo;
    QObject::connect(&memo, &TSynMemo::OnReplaceText,
                     [](const AnsiString &, const AnsiString &, int, int, TSynReplaceAction &a) { a = raReplaceAll; });
    int replaced = 0;
    for (auto _ : state) {
        state.PauseTiming();
        memo.SetText(Script());
        memo.ClearUndo();
        state.ResumeTiming();
        replaced = memo.SearchReplace("VR", "KEY", ssoPrompt | ssoReplace | ssoReplaceAll | ssoEntireScope);
    }
    if (replaced != Hits) state.SkipWithError("not every hit replaced");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Script().size()));
}
BENCHMARK(BM_ReplaceAllPromptedYesToAll)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every hit already equals the replacement: each is skipped without a question.
void BM_ReplaceAllEveryHitAlreadyEqual(benchmark::State &state)
{
    TSynMemo memo;
    QObject::connect(&memo, &TSynMemo::OnReplaceText,
                     [](const AnsiString &found, const AnsiString &replacement, int, int, TSynReplaceAction &a) {
                         a = found == replacement ? raSkip : raCancel;
                     });
    memo.SetText(Script());
    for (auto _ : state) {
        memo.SetSelStart(0);
        const int replaced = memo.SearchReplace("vr", "VR", ssoPrompt | ssoReplace | ssoReplaceAll | ssoEntireScope);
        benchmark::DoNotOptimize(replaced);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Script().size()));
}
BENCHMARK(BM_ReplaceAllEveryHitAlreadyEqual)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_UndoReplaceAll(benchmark::State &state)
{
    TSynMemo memo;
    for (auto _ : state) {
        state.PauseTiming();
        memo.SetText(Script());
        memo.ClearUndo();
        memo.SearchReplace("VR", "KEY", ssoReplace | ssoReplaceAll | ssoEntireScope | ssoMatchCase);
        state.ResumeTiming();
        memo.Undo();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Script().size()));
}
BENCHMARK(BM_UndoReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);

// Find next from the first cell of a table whose only match is in the last row: the scan, then the
// grid moving to the hit and the cell editor showing it, as the window does.
void FindInLastRow(benchmark::State &state, bool caseSensitive)
{
    TStringGrid grid;
    grid.resize(800, 600);
    std::vector<AnsiString> cells;
    cells.reserve(size_t(TableRows) * TableCols);
    for (int r = 0; r < TableRows; ++r)
        for (int c = 0; c < TableCols; ++c)
            cells.push_back(r == TableRows - 1 && c == 5 ? AnsiString("the Needle here") : "text of cell " + IntToStr(c) + " in row " + IntToStr(r));
    grid.Assign(TableCols, TableRows, std::move(cells));
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    TSynMemo cellEditor;
    for (auto _ : state) {
        state.PauseTiming();
        grid.SetRow(1);
        grid.SetCol(1);
        state.ResumeTiming();
        const TableShape shape{grid.ColCount(), grid.RowCount(), grid.FixedCols(), grid.FixedRows()};
        const auto hit = FindInTable({grid.CellsRowMajor(), shape}, grid.Col(), grid.Row(), false,
                                     caseSensitive ? "Needle" : "needle", caseSensitive);
        if (!hit) {
            state.SkipWithError("not found");
            break;
        }
        grid.SetRow(hit->Row);
        grid.SetCol(hit->Col);
        cellEditor.SetText(CellToEditorText(grid.Cells(hit->Col, hit->Row)));
        cellEditor.SetSelStart(hit->Position - 1);
        cellEditor.SetSelLength(6);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * TableRows * TableCols);
}

void BM_TableFindNextInLastRow(benchmark::State &state) { FindInLastRow(state, false); }
BENCHMARK(BM_TableFindNextInLastRow)->Unit(benchmark::kMillisecond);

void BM_TableFindNextInLastRowMatchCase(benchmark::State &state) { FindInLastRow(state, true); }
BENCHMARK(BM_TableFindNextInLastRowMatchCase)->Unit(benchmark::kMillisecond);

// Find next (letter case not counting) from the start of the script to its last line.
void BM_FindNextInLastLine(benchmark::State &state)
{
    TSynMemo memo;
    memo.SetText(Script() + "the Needle\r\n");
    for (auto _ : state) {
        memo.SetSelStart(0);
        if (memo.SearchReplace("needle", "", 0) != 1) state.SkipWithError("not found");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Script().size()));
}
BENCHMARK(BM_FindNextInLastLine)->Unit(benchmark::kMillisecond);

} // namespace

QUILLET_QT_BENCHMARK_MAIN()
