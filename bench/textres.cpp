// Speed of the text-resource tools on a script of 20 MB holding 100 000 texts (and on half and
// twice that, to show the work grows linearly): the scan, KATtify's planning, KATtify into a real
// text pane (the script replaced as one edit), and De-KATtify's two passes. A plain pass over the
// bytes is the baseline.
#include "QtBenchmarkMain.h"
#include "platform/Application.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"
#include "textres/KatIndexing.h"
#include "textres/TRM.h"
#include "textres/TextScanner.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

// Texts of 100 000 per 20 MB: each text line with a comment line of filler after it.
AnsiString MakeScript(int texts)
{
    static const AnsiString filler = "; " + AnsiString(150, 'x') + " !!VR:y1:S1; z5 ^not a text^\r\n";
    const char letters[] = {'M', 'Q', 'S', 'X'};
    AnsiString script;
    script.reserve(size_t(texts) * 210);
    for (int i = 0; i < texts; ++i) {
        script += i % 2 ? "!#IF:" : "!!IF:";
        script += letters[i % 4];
        script += "^Message number " + std::to_string(i) + " of the map^;\r\n";
        script += filler;
    }
    return script;
}

const AnsiString &Script(int texts)
{
    static std::map<int, AnsiString> made;
    auto it = made.find(texts);
    if (it == made.end()) it = made.emplace(texts, MakeScript(texts)).first;
    return it->second;
}

std::vector<KatItem> ItemsOf(const AnsiString &script)
{
    std::vector<KatItem> items;
    const ScanResult scan = ScanTexts(script);
    items.reserve(scan.Texts.size());
    for (const FoundText &f : scan.Texts) items.push_back({f.Kind, f.Letter, f.Start, f.End, f.Text, true});
    return items;
}

void SetBytes(benchmark::State &state, const AnsiString &script)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(script.size()));
    state.counters["MB"] = double(script.size()) / 1e6;
}

void BM_PlainPassBaseline(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    for (auto _ : state) {
        unsigned sum = 0;
        for (unsigned char c : script) sum += c;
        benchmark::DoNotOptimize(sum);
    }
    SetBytes(state, script);
}

void BM_Scan(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ScanTexts(script).Texts.size());
    SetBytes(state, script);
}

void BM_ScanAndKattify(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    for (auto _ : state) {
        ResetIndexSettings("07");
        const KattifyResult r = Kattify(script, ItemsOf(script), TypeIndexSettings, CommonIndexSettings);
        benchmark::DoNotOptimize(r.Rows.size());
    }
    SetBytes(state, script);
}

// What the user waits for: the pane's text taken, scanned, planned, and replaced as one edit.
void BM_KattifyIntoPane(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    TSynMemo pane;
    for (auto _ : state) {
        state.PauseTiming();
        pane.SetText(script);
        state.ResumeTiming();
        ResetIndexSettings("07");
        const AnsiString text = pane.Text();
        const KattifyResult r = Kattify(text, ItemsOf(text), TypeIndexSettings, CommonIndexSettings);
        ReplaceScriptText(&pane, text, r.Script);
        benchmark::DoNotOptimize(pane.GetTextLen());
    }
    SetBytes(state, script);
}

// The edit alone: the pane holds the script and gets KATtify's result.
void BM_ReplaceInPane(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    ResetIndexSettings("07");
    const KattifyResult r = Kattify(script, ItemsOf(script), TypeIndexSettings, CommonIndexSettings);
    TSynMemo pane;
    for (auto _ : state) {
        state.PauseTiming();
        pane.SetText(script);
        const AnsiString text = pane.Text();
        state.ResumeTiming();
        ReplaceScriptText(&pane, text, r.Script);
        benchmark::DoNotOptimize(pane.GetTextLen());
    }
    SetBytes(state, script);
}

void BM_DeKattify(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    ResetIndexSettings("07");
    const KattifyResult k = Kattify(script, ItemsOf(script), TypeIndexSettings, CommonIndexSettings);
    std::vector<AnsiString> indexes, texts;
    for (const KatRow &row : k.Rows) {
        indexes.push_back(row.Index);
        texts.push_back(row.Cell + (indexes.size() % 10 == 0 ? " %Z" + indexes.front() : AnsiString()));
    }
    for (auto _ : state) {
        std::vector<AnsiString> expanded = texts;
        ExpandKatReferences(indexes, expanded);
        const RestoreResult r = RestoreKatReferences(k.Script, indexes, expanded);
        benchmark::DoNotOptimize(r.Script.size());
    }
    SetBytes(state, script);
}

// The whole command as the user runs it: the script opened in the main window, the manager's
// Search (list filled), then KATtify (table rows, the script's edit and the new Search).
struct ManagerRun
{
    QTemporaryDir Dir;
    TMainForm *Form = nullptr;
    TTxtResMan *Manager = nullptr;

    explicit ManagerRun(int texts)
    {
        setenv("QUILLET_REGISTRY", (Dir.path() + "/settings.reg").toLocal8Bit().constData(), 1);
        Application->SetCommandLine({FromQPath(Dir.path() + "/quillet")});
        const QString path = Dir.path() + "/Script07.kas";
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        const AnsiString &script = Script(texts);
        file.write(script.data(), qint64(script.size()));
        file.close();
        Form = new TMainForm;
        Form->OpenDocument(FromQPath(path), "KAS_Document");
        Manager = new TTxtResMan(Form);
    }
    ~ManagerRun()
    {
        delete Manager;
        for (int i = 0; i < Form->MDIChildCount(); ++i)
            if (auto *w = qobject_cast<TForm_Editor *>(Form->MDIChildren(i))) w->SetModified(false);
        delete Form;
    }
};

void BM_ManagerSearch(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto run = std::make_unique<ManagerRun>(int(state.range(0)));
        state.ResumeTiming();
        run->Manager->ToolButton3Click();
        benchmark::DoNotOptimize(run->Manager->ItemCount());
        state.PauseTiming();
        run.reset();
        state.ResumeTiming();
    }
    SetBytes(state, Script(int(state.range(0))));
}

void BM_ManagerKattify(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto run = std::make_unique<ManagerRun>(int(state.range(0)));
        run->Manager->ToolButton3Click();
        state.ResumeTiming();
        run->Manager->ExportchangesinKATdocument1Click();
        benchmark::DoNotOptimize(run->Manager->ItemCount());
        state.PauseTiming();
        run.reset();
        state.ResumeTiming();
    }
    SetBytes(state, Script(int(state.range(0))));
}

#define TEXTRES_SIZES Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_PlainPassBaseline)->TEXTRES_SIZES;
BENCHMARK(BM_Scan)->TEXTRES_SIZES;
BENCHMARK(BM_ScanAndKattify)->TEXTRES_SIZES;
BENCHMARK(BM_KattifyIntoPane)->TEXTRES_SIZES->Iterations(2);
BENCHMARK(BM_ReplaceInPane)->TEXTRES_SIZES->Iterations(2);
BENCHMARK(BM_DeKattify)->TEXTRES_SIZES;
BENCHMARK(BM_ManagerSearch)->TEXTRES_SIZES->Iterations(1);
BENCHMARK(BM_ManagerKattify)->TEXTRES_SIZES->Iterations(1);

} // namespace

QUILLET_QT_BENCHMARK_MAIN()
