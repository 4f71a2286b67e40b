// Throughput of the document file formats, each beside a plain copy or read of the same bytes.
#include "shell/DocumentFiles.h"
#include "shell/HeaderTags.h"

#include <benchmark/benchmark.h>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

namespace {

constexpr size_t TargetBytes = 32u << 20;

// A script of ordinary lines: indentation, TABs, blanks before the line ends.
const AnsiString &ScriptText()
{
    static const AnsiString text = [] {
        const AnsiString lines[] = {"  IF (var_door_open = 1) THEN   \r\n", "\tMESSAGE \"Der T\xFCr ist offen\";\r\n",
                                    "  SET timer_12 = 300 ; wait\t \r\n", "END\r\n", "\r\n"};
        AnsiString t;
        t.reserve(TargetBytes + 64);
        for (size_t i = 0; t.size() < TargetBytes; ++i) t += lines[i % 5];
        return t;
    }();
    return text;
}

// A command table: 8 columns of short cells, some with an in-cell line break.
const TableData &Table()
{
    static const TableData table = [] {
        TableData t;
        t.ColCount = 8;
        const AnsiString cells[] = {"CMD_OPEN", "12", "", "door\x1Dleft", "\xC4nderung", "3.5", "x", "some longer text"};
        size_t bytes = 0;
        while (bytes < TargetBytes) {
            for (const AnsiString &c : cells) {
                t.Cells.push_back(c);
                bytes += c.size() + 1;
            }
            ++t.RowCount;
        }
        return t;
    }();
    return table;
}

const AnsiString &TableBytes()
{
    static const AnsiString bytes = TableToFileBytes(Table());
    return bytes;
}

QTemporaryDir &TempDir()
{
    static QTemporaryDir dir(QStringLiteral("/tmp/quillet_bench_XXXXXX"));
    return dir;
}

const AnsiString &TableFilePath()
{
    static const AnsiString path = [] {
        const QString p = TempDir().filePath("table.cmd");
        QFile f(p);
        if (f.open(QIODevice::WriteOnly)) f.write(TableBytes().data(), qint64(TableBytes().size()));
        return FromQPath(p);
    }();
    return path;
}

void BM_Memcpy(benchmark::State &state)
{
    const AnsiString &src = ScriptText();
    AnsiString dst(src.size(), '\0');
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}

void BM_ScriptTextToFileBytes(benchmark::State &state)
{
    const AnsiString &text = ScriptText();
    for (auto _ : state) benchmark::DoNotOptimize(ScriptTextToFileBytes(text));   // includes copying the text in
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_RemoveBlanksBeforeLineEnds(benchmark::State &state)
{
    const AnsiString &text = ScriptText();
    for (auto _ : state) benchmark::DoNotOptimize(RemoveBlanksBeforeLineEnds(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_ConvertAutoTags(benchmark::State &state)
{
    const AnsiString &text = ScriptText();
    for (auto _ : state) benchmark::DoNotOptimize(ConvertAutoTags(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_TableToFileBytes(benchmark::State &state)
{
    const TableData &table = Table();
    for (auto _ : state) benchmark::DoNotOptimize(TableToFileBytes(table));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TableBytes().size()));
}

void BM_TableFromFileBytes(benchmark::State &state)
{
    const AnsiString &bytes = TableBytes();
    for (auto _ : state) benchmark::DoNotOptimize(TableFromFileBytes(bytes, CMD_Document));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_ReadFileBaseline(benchmark::State &state)
{
    const QString path = ToQPath(TableFilePath());
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(f.readAll());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TableBytes().size()));
}

void BM_ReadTableFile(benchmark::State &state)
{
    const AnsiString &path = TableFilePath();
    for (auto _ : state) benchmark::DoNotOptimize(ReadTableFile(path, CMD_Document));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TableBytes().size()));
}

void BM_WriteFileBaseline(benchmark::State &state)
{
    const QString path = TempDir().filePath("plain.cmd");
    const AnsiString &bytes = TableBytes();
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        benchmark::DoNotOptimize(f.write(bytes.data(), qint64(bytes.size())));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_WriteFileAtomically(benchmark::State &state)
{
    const AnsiString path = FromQPath(TempDir().filePath("atomic.cmd"));
    const AnsiString &bytes = TableBytes();
    for (auto _ : state) benchmark::DoNotOptimize(WriteFileAtomically(path, bytes));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScriptTextToFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveBlanksBeforeLineEnds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertAutoTags)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableToFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableFromFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFileBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTableFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFileBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFileAtomically)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
