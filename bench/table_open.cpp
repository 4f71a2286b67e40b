// Opening a KAO table of 100 000, 200 000 and 400 000 rows into a shown window, until the process
// is idle again (first paint, column sizing, timers included). cpu_us_per_row is what must stay flat
// as the table grows (mean of the iterations; min_us_per_row is the least one). Every figure is CPU
// time of the process (the machine is shared). sys_us_per_row and faults_per_krow tell how much of
// it went on fresh memory: on a virtual machine its first touch costs about 3 ms per megabyte in
// small pages, and what is reused from the last iteration costs nothing, so that is where a
// figure that grows faster than the rows usually comes from.
// Beside it: reading and splitting the file alone, and the floor of a bare QScintilla pane showing
// the same bytes, already in memory, as text until idle.
#include "BenchSupport.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"

#include <benchmark/benchmark.h>
#include <Qsci/qsciscintilla.h>
#include <QFile>
#include <sys/resource.h>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

using SB = QsciScintillaBase;

QTemporaryDir *Folder = nullptr;
TMainForm *Form = nullptr;

constexpr int Rows[] = {100000, 200000, 400000};

AnsiString TablePath(long rows) { return FromQPath(Folder->filePath(QStringLiteral("table%1.kao").arg(rows))); }

// What the process spent: CPU time split into user and system, and the fresh pages it touched.
struct Spent
{
    double User = 0, System = 0;
    long Faults = 0;

    static Spent Now()
    {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        auto seconds = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
        return {seconds(u.ru_utime), seconds(u.ru_stime), u.ru_minflt + u.ru_majflt};
    }
    Spent operator-(const Spent &o) const { return {User - o.User, System - o.System, Faults - o.Faults}; }
};

// Per iteration, so that the report can give the least of them beside the mean: on a shared
// machine a slow iteration is noise far more often than a fast one.
struct Figures
{
    std::vector<double> Cpu;
    Spent Total;

    void Add(double cpu, const Spent &spent)
    {
        Cpu.push_back(cpu);
        Total = {Total.User + spent.User, Total.System + spent.System, Total.Faults + spent.Faults};
    }
    double Mean() const
    {
        double sum = 0;
        for (double c : Cpu) sum += c;
        return Cpu.empty() ? 0 : sum / double(Cpu.size());
    }
};

void Report(benchmark::State &state, const Figures &f, long rows)
{
    const double n = double(f.Cpu.size());
    const double mean = f.Mean();
    const double least = *std::min_element(f.Cpu.begin(), f.Cpu.end());
    state.counters["cpu_ms"] = mean * 1e3;
    state.counters["cpu_us_per_row"] = mean * 1e6 / double(rows);
    state.counters["min_us_per_row"] = least * 1e6 / double(rows);
    state.counters["sys_us_per_row"] = f.Total.System / n * 1e6 / double(rows);
    state.counters["faults_per_krow"] = double(f.Total.Faults) / n * 1e3 / double(rows);
}

void BM_OpenTableUntilIdle(benchmark::State &state)
{
    const long rows = state.range(0);
    Figures f, closed;
    for (auto _ : state) {
        const Spent before = Spent::Now();
        const double start = CpuSeconds();
        Form->OpenDocument(TablePath(rows), KAO_Document);
        f.Add(RunUntilIdle(start).Cpu, Spent::Now() - before);
        state.PauseTiming();
        const double closing = CpuSeconds();
        CloseAllDocuments(Form);
        closed.Add(RunUntilIdle(closing).Cpu, {});
        state.ResumeTiming();
    }
    Report(state, f, rows);
    // Closing the table (freeing its cells) is not in the figures above; it must be flat too.
    state.counters["close_us_per_row"] = closed.Mean() * 1e6 / double(rows);
}

void BM_ReadTableFile(benchmark::State &state)
{
    const long rows = state.range(0);
    Figures f;
    for (auto _ : state) {
        const Spent before = Spent::Now();
        const double start = CpuSeconds();
        benchmark::DoNotOptimize(ReadTableFile(TablePath(rows), KAO_Document));
        f.Add(CpuSeconds() - start, Spent::Now() - before);
    }
    Report(state, f, rows);
}

void BM_FloorBareTextUntilIdle(benchmark::State &state)
{
    const long rows = state.range(0);
    QFile file(ToQPath(TablePath(rows)));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    Figures f;
    for (auto _ : state) {
        const Spent before = Spent::Now();
        const double start = CpuSeconds();
        auto pane = std::make_unique<QsciScintilla>();
        pane->resize(Form->size());
        pane->SendScintilla(SB::SCI_SETUNDOCOLLECTION, 0UL);
        pane->SendScintilla(SB::SCI_SETTEXT, 0UL, (void *)bytes.constData());
        pane->show();
        f.Add(RunUntilIdle(start).Cpu, Spent::Now() - before);
        state.PauseTiming();
        pane.reset();
        RunUntilIdle(CpuSeconds());
        state.ResumeTiming();
    }
    Report(state, f, rows);
}

void Sized(benchmark::internal::Benchmark *b)
{
    for (int rows : Rows) b->Arg(rows);
    b->Unit(benchmark::kMillisecond)->Iterations(5);
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
