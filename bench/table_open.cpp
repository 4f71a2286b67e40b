// Opening a KAO table of 100 000, 200 000 and 400 000 rows into a shown window, until the process
// is idle again (first paint, column sizing, timers included). cpu_us_per_row is what must stay flat
// as the table grows. Every figure is CPU time of the process (the machine is shared).
// Beside it: reading and splitting the file alone, and the floor of a bare QScintilla pane showing
// the same bytes, already in memory, as text until idle.
#include "BenchSupport.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"

#include <benchmark/benchmark.h>
#include <Qsci/qsciscintilla.h>
#include <QFile>
#include <memory>
#include <vector>

namespace {

using SB = QsciScintillaBase;

QTemporaryDir *Folder = nullptr;
TMainForm *Form = nullptr;

constexpr int Rows[] = {100000, 200000, 400000};

AnsiString TablePath(long rows) { return FromQPath(Folder->filePath(QStringLiteral("table%1.kao").arg(rows))); }

void Report(benchmark::State &state, double cpu, long rows)
{
    cpu /= double(state.iterations());
    state.counters["cpu_ms"] = cpu * 1e3;
    state.counters["cpu_us_per_row"] = cpu * 1e6 / double(rows);
}

void BM_OpenTableUntilIdle(benchmark::State &state)
{
    const long rows = state.range(0);
    double cpu = 0;
    for (auto _ : state) {
        const double start = CpuSeconds();
        Form->OpenDocument(TablePath(rows), KAO_Document);
        cpu += RunUntilIdle(start).Cpu;
        state.PauseTiming();
        CloseAllDocuments(Form);
        RunUntilIdle(CpuSeconds());
        state.ResumeTiming();
    }
    Report(state, cpu, rows);
}

void BM_ReadTableFile(benchmark::State &state)
{
    const long rows = state.range(0);
    double cpu = 0;
    for (auto _ : state) {
        const double start = CpuSeconds();
        benchmark::DoNotOptimize(ReadTableFile(TablePath(rows), KAO_Document));
        cpu += CpuSeconds() - start;
    }
    Report(state, cpu, rows);
}

void BM_FloorBareTextUntilIdle(benchmark::State &state)
{
    const long rows = state.range(0);
    QFile file(ToQPath(TablePath(rows)));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    double cpu = 0;
    for (auto _ : state) {
        const double start = CpuSeconds();
        auto pane = std::make_unique<QsciScintilla>();
        pane->resize(Form->size());
        pane->SendScintilla(SB::SCI_SETUNDOCOLLECTION, 0UL);
        pane->SendScintilla(SB::SCI_SETTEXT, 0UL, (void *)bytes.constData());
        pane->show();
        cpu += RunUntilIdle(start).Cpu;
        state.PauseTiming();
        pane.reset();
        RunUntilIdle(CpuSeconds());
        state.ResumeTiming();
    }
    Report(state, cpu, rows);
}

void Sized(benchmark::internal::Benchmark *b)
{
    for (int rows : Rows) b->Arg(rows);
    b->Unit(benchmark::kMillisecond)->Iterations(3);
}

BENCHMARK(BM_FloorBareTextUntilIdle)->Apply(Sized);
BENCHMARK(BM_ReadTableFile)->Apply(Sized);
BENCHMARK(BM_OpenTableUntilIdle)->Apply(Sized);

} // namespace

int main(int argc, char **argv)
{
    TBenchProgram program(argc, argv);
    Folder = &program.Folder;
    for (int rows : Rows) WriteBenchFile(TablePath(rows), KaoTableBytes(rows));
    Form = program.ShowMainWindow({1280, 1000});
    // What the first document of a run costs once (fonts, caches) stays out of the figures.
    Form->OpenDocument(TablePath(Rows[0]), KAO_Document);
    RunUntilIdle(CpuSeconds());
    CloseAllDocuments(Form);
    RunUntilIdle(CpuSeconds());
    return program.Run();
}
