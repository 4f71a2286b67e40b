// Speed of the text pane with a script of 500 000 lines: loading a file (line breaks of every
// kind made CR LF), reading every line, taking the whole text, and a replace-all. A plain read of
// the same file is the baseline.
#include "QtBenchmarkMain.h"
#include "synedit/SynMemo.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

constexpr int LineCount = 500000;

const QString &ScriptFile()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath("big.kas");
    static bool written = false;
    if (!written) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        QByteArray text;
        for (int i = 0; i < LineCount; ++i) {
            text += "!!VR:z" + QByteArray::number(i) + "=^Text \xE9t\xE9 number^;";
            text += (i % 3 == 0) ? "\r\n" : (i % 3 == 1 ? "\n" : "\r");
        }
        f.write(text);
        written = true;
    }
    return path;
}

int64_t FileSize() { return QFile(ScriptFile()).size(); }

void BM_ReadFileBaseline(benchmark::State &state)
{
    for (auto _ : state) {
        QFile f(ScriptFile());
        f.open(QIODevice::ReadOnly);
        QByteArray data = f.readAll();
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * FileSize());
}
BENCHMARK(BM_ReadFileBaseline)->Unit(benchmark::kMillisecond);

void BM_LoadFromFile(benchmark::State &state)
{
    TSynMemo memo;
    for (auto _ : state) memo.LoadFromFile(FromQPath(ScriptFile()));
    state.SetBytesProcessed(int64_t(state.iterations()) * FileSize());
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

void BM_ReadEveryLine(benchmark::State &state)
{
    TSynMemo memo;
    memo.LoadFromFile(FromQPath(ScriptFile()));
    for (auto _ : state) {
        size_t total = 0;
        for (int i = 0; i < memo.Lines.Count(); ++i) total += memo.Lines[i].size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * LineCount);
}
BENCHMARK(BM_ReadEveryLine)->Unit(benchmark::kMillisecond);

void BM_WholeText(benchmark::State &state)
{
    TSynMemo memo;
    memo.LoadFromFile(FromQPath(ScriptFile()));
    for (auto _ : state) {
        AnsiString text = memo.Text();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * FileSize());
}
BENCHMARK(BM_WholeText)->Unit(benchmark::kMillisecond);

void BM_ReplaceAll(benchmark::State &state)
{
    TSynMemo memo;
    for (auto _ : state) {
        state.PauseTiming();
        memo.LoadFromFile(FromQPath(ScriptFile()));
        state.ResumeTiming();
        const int n = memo.SearchReplace("number", "No.", ssoReplace | ssoReplaceAll | ssoEntireScope);
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * LineCount);
}
BENCHMARK(BM_ReplaceAll)->Unit(benchmark::kMillisecond);

} // namespace

QUILLET_QT_BENCHMARK_MAIN()
