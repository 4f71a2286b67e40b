// The table tools on a command table of 100 000 rows x 11 columns in a real document window:
// inserting a row at the top, deleting a column, and selecting a column and copying it, beside a
// plain in-memory copy of the table's cells; also pasting the whole table back over itself and
// autosizing every column (again, and in a font not measured before). Each step is what the user
// waits for after a key.
#include "BenchSupport.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/TStringGrid.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

constexpr int Rows = 100000;
constexpr int Cols = 11;

QTemporaryDir *Folder = nullptr;
TMainForm *Form = nullptr;
TForm_Editor *Window = nullptr;

AnsiString TableBytes()
{
    AnsiString s;
    for (int r = 0; r < Rows; ++r) {
        s += std::to_string(r);
        for (int c = 1; c < Cols; ++c) s += "\tcell " + std::to_string(c) + " of row " + std::to_string(r);
        s += "\r\n";
    }
    return s;
}

size_t CellBytes()
{
    size_t n = 0;
    for (const AnsiString &cell : Window->StringGrid1->CellsRowMajor()) n += cell.size();
    return n;
}

void BM_CopyCellArray(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<AnsiString> copy = Window->StringGrid1->CellsRowMajor();
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(CellBytes()));
}

void BM_InsertRowAtTop(benchmark::State &state)
{
    TStringGrid *grid = Window->StringGrid1;
    for (auto _ : state) {
        grid->SetRow(0);
        Window->ToolButton12Click();
        QCoreApplication::processEvents();
        state.PauseTiming();
        grid->DeleteRow(0);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_DeleteColumn(benchmark::State &state)
{
    TStringGrid *grid = Window->StringGrid1;
    for (auto _ : state) {
        grid->SetCol(5);
        Window->ToolButton18Click();
        QCoreApplication::processEvents();
        state.PauseTiming();
        grid->InsertColumn(5);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_SelectColumnAndCopy(benchmark::State &state)
{
    Window->StringGrid1->SetCol(3);
    for (auto _ : state) {
        Form->SelectColAction1Execute();
        Form->CopyCellAction1Execute();
        QCoreApplication::processEvents();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * QGuiApplication::clipboard()->text().size());
}

// The whole table copied and pasted back over itself: about 20 MB of clipboard text.
void BM_PasteWholeTable(benchmark::State &state)
{
    Form->SelectAllCellsAction1Execute();
    Form->CopyCellAction1Execute();
    const qsizetype bytes = QGuiApplication::clipboard()->text().size();
    for (auto _ : state) {
        Form->PasteCellAction1Execute();
        QCoreApplication::processEvents();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}

void BM_AutosizeAllColumns(benchmark::State &state)
{
    for (auto _ : state) {
        Form->AutosizingColsClick();
        QCoreApplication::processEvents();
    }
}

// The same in a font not measured before, as at the first autosize of a newly opened table.
void BM_AutosizeAllColumnsInAFreshFont(benchmark::State &state)
{
    TStringGrid *grid = Window->StringGrid1;
    const QFont original = grid->font();
    int size = original.pointSize();
    for (auto _ : state) {
        state.PauseTiming();
        QFont font = original;
        font.setPointSize(++size);
        grid->setFont(font);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Form->AutosizingColsClick();
        QCoreApplication::processEvents();
    }
    grid->setFont(original);
}

BENCHMARK(BM_CopyCellArray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRowAtTop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectColumnAndCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteWholeTable)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AutosizeAllColumns)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_AutosizeAllColumnsInAFreshFont)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    TBenchProgram program(argc, argv);
    Folder = &program.Folder;
    const AnsiString path = FromQPath(program.Folder.filePath("big.cmd"));
    WriteBenchFile(path, TableBytes());
    Form = program.ShowMainWindow();
    Window = Form->OpenDocument(path, CMD_Document);
    QCoreApplication::processEvents();
    return program.Run();
}
