// Speed of the string grid with a table of 100 000 rows x 11 columns: filling it in one piece,
// scrolling it (a repaint at each of 100 positions) and growing it by a column. A plain copy of
// the same cells is the baseline.
#include "QtBenchmarkMain.h"
#include "platform/TStringGrid.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>

namespace {

constexpr int Cols = 11;
constexpr int Rows = 100000;

std::vector<AnsiString> Table()
{
    std::vector<AnsiString> cells;
    cells.reserve(size_t(Cols) * Rows);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols; ++c)
            cells.push_back(c == 0 ? IntToStr(r) : "text of cell " + IntToStr(c) + " in row " + IntToStr(r));
    return cells;
}

size_t Bytes(const std::vector<AnsiString> &cells)
{
    size_t n = 0;
    for (const AnsiString &s : cells) n += s.size();
    return n;
}

void BM_CopyCells(benchmark::State &state)
{
    const std::vector<AnsiString> cells = Table();
    for (auto _ : state) {
        std::vector<AnsiString> copy = cells;
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes(cells)));
}
BENCHMARK(BM_CopyCells)->Unit(benchmark::kMillisecond);

void BM_Assign(benchmark::State &state)
{
    TStringGrid grid;
    grid.resize(800, 600);
    grid.show();
    const std::vector<AnsiString> cells = Table();
    for (auto _ : state) {
        std::vector<AnsiString> copy = cells;   // the reader hands over a vector it built
        grid.Assign(Cols, Rows, std::move(copy));
        QApplication::processEvents();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes(cells)));
}
BENCHMARK(BM_Assign)->Unit(benchmark::kMillisecond);

void BM_Scroll100Positions(benchmark::State &state)
{
    TStringGrid grid;
    grid.resize(800, 600);
    grid.show();
    grid.Assign(Cols, Rows, Table());
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    QImage image(grid.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            grid.SetTopRow(i * (Rows / 100));
            QPainter p(&image);
            grid.render(&p);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 100);
}
BENCHMARK(BM_Scroll100Positions)->Unit(benchmark::kMillisecond);

void BM_AddColumn(benchmark::State &state)
{
    TStringGrid grid;
    grid.resize(800, 600);
    grid.Assign(Cols, Rows, Table());
    for (auto _ : state) {
        grid.SetColCount(Cols + 1);
        grid.SetColCount(Cols);
    }
}
BENCHMARK(BM_AddColumn)->Unit(benchmark::kMillisecond);

} // namespace

QUILLET_QT_BENCHMARK_MAIN()
