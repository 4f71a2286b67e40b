// The Analyzer over many scripts with large usage tags, and the converter over a folder of
// scripts, each beside a plain read of the same files.
#include "script/ScriptAnalysis.h"
#include "script/ScriptConverter.h"
#include "shell/HeaderTags.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <random>

namespace {

QTemporaryDir &TempDir()
{
    static QTemporaryDir dir(QStringLiteral("/tmp/quillet_bench_XXXXXX"));
    return dir;
}

void WriteFile(const QString &path, const AnsiString &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes.data(), qint64(bytes.size()));
}

AnsiString ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "";
    const QByteArray b = f.readAll();
    return AnsiString(b.constData(), size_t(b.size()));
}

// ---- Analyzer ----

constexpr int MaxScripts = 50;
constexpr int FullItems = 10000;

// A script declaring about `items` items over its six usage tags, in the order an author would
// write them (not sorted), some as ranges. The scripts draw from shared pools that grow with the
// number of items, so the share of items that scripts have in common stays the same.
AnsiString AnalyzerScript(int seed, int items)
{
    std::mt19937 random(unsigned(seed) * 7919u + unsigned(items));
    const auto list = [&](const char *prefix, int poolPerItem, int share, int rangeEvery) {
        const int count = items * share / 100;
        const int pool = std::max(poolPerItem * items, 1);
        AnsiString value;
        for (int declared = 0; declared < count;) {
            if (!value.empty()) value += ';';
            const int n = int(random() % unsigned(pool));
            if (rangeEvery > 0 && declared % rangeEvery == 0) {
                value += prefix + std::to_string(n) + "-" + std::to_string(n + 9);
                declared += 10;
            } else {
                value += prefix + std::to_string(n);
                ++declared;
            }
        }
        return value;
    };
    AnsiString text = "// JOTE bench script " + std::to_string(seed) + "\r\n";
    text += "QUIL_ScriptUsedVariables=" + list("v", 20, 40, 50) + "\r\n";
    text += "QUIL_ScriptUsedFunctions=" + list("", 10, 20, 40) + "\r\n";
    text += "QUIL_ScriptUsedMacroNames=" + list("MACRO_", 5, 15, 0) + "\r\n";
    text += "QUIL_ScriptUsedTimers=" + list("", 5, 10, 30) + "\r\n";
    text += "QUIL_ScriptUsedFlags=" + list("", 5, 10, 30) + "\r\n";
    text += "QUIL_AdditionalFiles=" + list("file_", 2, 5, 0) + ".kat\r\n";
    text += "!$ SET v1 = 1;\r\n";
    return text;
}

// The scripts with the given number of items each, as files.
const std::vector<QString> &AnalyzerFiles(int items)
{
    static std::map<int, std::vector<QString>> byItems;
    std::vector<QString> &paths = byItems[items];
    if (paths.empty())
        for (int i = 0; i < MaxScripts; ++i) {
            paths.push_back(TempDir().filePath(QString("analyzer_%1_%2.kas").arg(items).arg(i)));
            WriteFile(paths.back(), AnalyzerScript(i, items));
        }
    return paths;
}

int64_t BytesOf(const std::vector<QString> &files, int count)
{
    int64_t total = 0;
    for (int i = 0; i < count; ++i) total += QFile(files[size_t(i)]).size();
    return total;
}

std::vector<TStringList> ReadScripts(int count, int items)
{
    std::vector<TStringList> scripts(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) scripts[size_t(i)].SetText(ReadFile(AnalyzerFiles(items)[size_t(i)]));
    return scripts;
}

// The normalising of each script's six tags (per script).
std::vector<std::array<AnsiString, AnalyzerKindCount>> NormalisedScripts(const std::vector<TStringList> &scripts)
{
    std::vector<std::array<AnsiString, AnalyzerKindCount>> result;
    for (const TStringList &lines : scripts) {
        std::array<AnsiString, AnalyzerKindCount> items;
        for (int k = 0; k < AnalyzerKindCount; ++k)
            items[size_t(k)] = AnalyzeTagValue(HeaderTagValue(lines, AnalyzerKinds[size_t(k)].Tag), AnalyzerKinds[size_t(k)]);
        result.push_back(items);
    }
    return result;
}

// The items shared between the scripts, per kind; returns their total length.
int64_t SharedItems(const std::vector<std::array<AnsiString, AnalyzerKindCount>> &normalised)
{
    int64_t shared = 0;
    for (int k = 0; k < AnalyzerKindCount; ++k) {
        std::vector<AnsiString> items;
        for (const auto &s : normalised) items.push_back(s[size_t(k)]);
        for (const AnsiString &r : FindIntersections(items)) shared += int64_t(r.size());
    }
    return shared;
}

// The whole analysis of the window: read each script's tags, normalise them, find the shared items.
// Arguments: number of scripts, items declared by each.
void BM_Analyzer(benchmark::State &state)
{
    const int count = int(state.range(0)), items = int(state.range(1));
    const std::vector<TStringList> scripts = ReadScripts(count, items);
    int64_t shared = 0;
    for (auto _ : state) shared = SharedItems(NormalisedScripts(scripts));
    state.SetBytesProcessed(int64_t(state.iterations()) * BytesOf(AnalyzerFiles(items), count));
    state.counters["shared_bytes"] = double(shared);
}
BENCHMARK(BM_Analyzer)
    ->Args({50, 2500})->Args({50, 5000})->Args({50, FullItems})
    ->Args({10, FullItems})->Args({25, FullItems})
    ->Unit(benchmark::kMillisecond);

void BM_AnalyzerNormalise(benchmark::State &state)
{
    const int count = int(state.range(0));
    const std::vector<TStringList> scripts = ReadScripts(count, FullItems);
    for (auto _ : state) benchmark::DoNotOptimize(NormalisedScripts(scripts));
    state.SetBytesProcessed(int64_t(state.iterations()) * BytesOf(AnalyzerFiles(FullItems), count));
}
BENCHMARK(BM_AnalyzerNormalise)->Arg(10)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);

// A plain read of the same files.
void BM_AnalyzerReadBaseline(benchmark::State &state)
{
    const int count = int(state.range(0)), items = int(state.range(1));
    for (auto _ : state)
        for (int i = 0; i < count; ++i) benchmark::DoNotOptimize(ReadFile(AnalyzerFiles(items)[size_t(i)]));
    state.SetBytesProcessed(int64_t(state.iterations()) * BytesOf(AnalyzerFiles(items), count));
}
BENCHMARK(BM_AnalyzerReadBaseline)->Args({50, 2500})->Args({50, 5000})->Args({50, FullItems})->Unit(benchmark::kMillisecond);

// ---- Converter ----

constexpr int MaxConverted = 1000;
constexpr size_t ScriptBytes = 20 * 1024;

AnsiString ConverterScript(int seed)
{
    AnsiString text = "// Bench script " + std::to_string(seed) + "\r\n// JOTE\r\nAUTO_ScriptName=bench\r\n"
                      "QUIL_ScriptDate=1.1(January).2020\r\nQUIL_ScriptUsedVariables=v1-20\r\n";
    const AnsiString lines[] = {"// a comment about the next operator\r\n", "!$ SET v1 = v1 + 1;   // count\r\n",
                                "\r\n", "\t!# IF (v2 = 3) THEN\r\n\t\t!? MESSAGE \"Open!\";\r\n",
                                "!! END; ! not an operator here\r\n"};
    for (size_t i = 0; text.size() < ScriptBytes; ++i) text += lines[i % 5];
    return text;
}

QString ConverterSource() { return TempDir().filePath("convert_src"); }
QString ConverterTarget() { return TempDir().filePath("convert_out"); }

const std::vector<AnsiString> &ConverterNames()
{
    static const std::vector<AnsiString> names = [] {
        QDir().mkpath(ConverterSource());
        QDir().mkpath(ConverterTarget());
        std::vector<AnsiString> list;
        for (int i = 0; i < MaxConverted; ++i) {
            list.push_back("script_" + std::to_string(i) + ".kas");
            WriteFile(ConverterSource() + "/" + ToQ(list.back()), ConverterScript(i));
        }
        return list;
    }();
    return names;
}

void ConvertFolder(benchmark::State &state, bool optimize)
{
    const int count = int(state.range(0));
    const std::vector<AnsiString> &names = ConverterNames();
    ConvertOptions options;
    options.Optimize = optimize;
    options.PoweredByValue = "Quillet v. 1.0.0";
    options.DateValue = "10.12.2026";
    const AnsiString source = FromQPath(ConverterSource()), target = FromQPath(ConverterTarget());
    for (auto _ : state)
        for (int i = 0; i < count; ++i)
            benchmark::DoNotOptimize(
                ConvertScriptFile(source + "/" + names[size_t(i)], target + "/" + names[size_t(i)], options));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(count) * int64_t(ScriptBytes));
}

void BM_ConverterPlain(benchmark::State &state) { ConvertFolder(state, false); }
void BM_ConverterOptimized(benchmark::State &state) { ConvertFolder(state, true); }
BENCHMARK(BM_ConverterPlain)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConverterOptimized)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ConverterReadBaseline(benchmark::State &state)
{
    const int count = int(state.range(0));
    const std::vector<AnsiString> &names = ConverterNames();
    for (auto _ : state)
        for (int i = 0; i < count; ++i)
            benchmark::DoNotOptimize(ReadFile(ConverterSource() + "/" + ToQ(names[size_t(i)])));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(count) * int64_t(ScriptBytes));
}
BENCHMARK(BM_ConverterReadBaseline)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// The compacting alone, on one long script: linear in its length.
void BM_CompactScript(benchmark::State &state)
{
    TStringList lines;
    AnsiString text;
    while (text.size() < size_t(state.range(0))) text += ConverterScript(0);
    lines.SetText(text);
    for (auto _ : state) benchmark::DoNotOptimize(CompactScript(lines, false, true));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_CompactScript)->Arg(1 << 20)->Arg(4 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

// The conversion of one script in memory, without the files.
void BM_ConvertScriptBytes(benchmark::State &state)
{
    const AnsiString script = ConverterScript(0);
    ConvertOptions options;
    options.Optimize = state.range(0) != 0;
    options.PoweredByValue = "Quillet v. 1.0.0";
    options.DateValue = "10.12.2026";
    for (auto _ : state) benchmark::DoNotOptimize(ConvertScriptBytes(script, options));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(script.size()));
}
BENCHMARK(BM_ConvertScriptBytes)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
