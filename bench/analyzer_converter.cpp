// The Analyzer over many scripts with large usage tags, and the converter over a folder of
// scripts, each beside a plain read of the same files.
#include "script/ScriptAnalysis.h"
#include "script/ScriptConverter.h"
#include "shell/HeaderTags.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

// A script declaring about 10,000 items over its six usage tags, in the order an author would
// write them (not sorted), some as ranges; the scripts draw from shared pools, so they overlap.
AnsiString AnalyzerScript(int seed)
{
    std::mt19937 random(unsigned(seed) * 7919u + 1u);
    const auto list = [&](const char *prefix, int pool, int items, int rangeEvery) {
        AnsiString value;
        for (int declared = 0; declared < items;) {
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
    text += "QUIL_ScriptUsedVariables=" + list("v", 200000, 4000, 50) + "\r\n";
    text += "QUIL_ScriptUsedFunctions=" + list("", 100000, 2000, 40) + "\r\n";
    text += "QUIL_ScriptUsedMacroNames=" + list("MACRO_", 50000, 1500, 0) + "\r\n";
    text += "QUIL_ScriptUsedTimers=" + list("", 50000, 1000, 30) + "\r\n";
    text += "QUIL_ScriptUsedFlags=" + list("", 50000, 1000, 30) + "\r\n";
    text += "QUIL_AdditionalFiles=" + list("file_", 20000, 500, 0) + ".kat\r\n";
    text += "!$ SET v1 = 1;\r\n";
    return text;
}

const std::vector<QString> &AnalyzerFiles()
{
    static const std::vector<QString> files = [] {
        std::vector<QString> paths;
        for (int i = 0; i < MaxScripts; ++i) {
            paths.push_back(TempDir().filePath(QString("analyzer_%1.kas").arg(i)));
            WriteFile(paths.back(), AnalyzerScript(i));
        }
        return paths;
    }();
    return files;
}

int64_t BytesOf(const std::vector<QString> &files, int count)
{
    int64_t total = 0;
    for (int i = 0; i < count; ++i) total += QFile(files[size_t(i)]).size();
    return total;
}

// The whole analysis of the window: read each script's tags, normalise them, find the intersections.
void BM_Analyzer(benchmark::State &state)
{
    const int count = int(state.range(0));
    std::vector<TStringList> scripts(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) scripts[size_t(i)].SetText(ReadFile(AnalyzerFiles()[size_t(i)]));
    for (auto _ : state) {
        for (int k = 0; k < AnalyzerKindCount; ++k) {
            const AnalyzerKind &kind = AnalyzerKinds[size_t(k)];
            std::vector<AnsiString> items;
            for (const TStringList &lines : scripts) items.push_back(AnalyzeTagValue(HeaderTagValue(lines, kind.Tag), kind));
            benchmark::DoNotOptimize(FindIntersections(items));
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * BytesOf(AnalyzerFiles(), count));
    state.counters["scripts"] = count;
}
BENCHMARK(BM_Analyzer)->Arg(10)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_AnalyzerReadBaseline(benchmark::State &state)
{
    const int count = int(state.range(0));
    for (auto _ : state)
        for (int i = 0; i < count; ++i) benchmark::DoNotOptimize(ReadFile(AnalyzerFiles()[size_t(i)]));
    state.SetBytesProcessed(int64_t(state.iterations()) * BytesOf(AnalyzerFiles(), count));
}
BENCHMARK(BM_AnalyzerReadBaseline)->Arg(10)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);

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

// The analysis split in its two parts: normalising each script's tags (per script) and finding
// the shared items (over all scripts).
std::vector<std::array<AnsiString, AnalyzerKindCount>> NormalisedScripts(int count)
{
    std::vector<std::array<AnsiString, AnalyzerKindCount>> result;
    for (int i = 0; i < count; ++i) {
        TStringList lines;
        lines.SetText(ReadFile(AnalyzerFiles()[size_t(i)]));
        std::array<AnsiString, AnalyzerKindCount> items;
        for (int k = 0; k < AnalyzerKindCount; ++k)
            items[size_t(k)] = AnalyzeTagValue(HeaderTagValue(lines, AnalyzerKinds[size_t(k)].Tag), AnalyzerKinds[size_t(k)]);
        result.push_back(items);
    }
    return result;
}

void BM_AnalyzerNormalise(benchmark::State &state)
{
    const int count = int(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(NormalisedScripts(count));
    state.SetBytesProcessed(int64_t(state.iterations()) * BytesOf(AnalyzerFiles(), count));
}
BENCHMARK(BM_AnalyzerNormalise)->Arg(10)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_AnalyzerIntersections(benchmark::State &state)
{
    const int count = int(state.range(0));
    const auto scripts = NormalisedScripts(count);
    int64_t shared = 0;
    for (auto _ : state) {
        shared = 0;
        for (int k = 0; k < AnalyzerKindCount; ++k) {
            std::vector<AnsiString> items;
            for (const auto &s : scripts) items.push_back(s[size_t(k)]);
            for (const AnsiString &r : FindIntersections(items)) shared += int64_t(r.size());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * BytesOf(AnalyzerFiles(), count));
    state.counters["shared_bytes"] = double(shared);
}
BENCHMARK(BM_AnalyzerIntersections)->Arg(10)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
