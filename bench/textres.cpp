// Speed of the text-resource tools on scripts of 5, 11, 22 and 45 MB (one text per 225 bytes), to
// show the work grows linearly: the scan, KATtify's planning, KATtify, De-KATtify and the write-back
// of edited texts into a real text pane, the undo of KATtify, and the whole manager commands. A
// plain pass over the bytes and a copy of them are the floors, measured in the same run.
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

// Texts of 100 000 per 22 MB: each text line with a comment line of filler after it.
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

std::vector<KatItem> ItemsOf(std::string_view script)
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

// A copy of the whole text into fresh memory: what one more copy of the script costs.
void BM_CopyBaseline(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    for (auto _ : state) {
        AnsiString copy(script);
        benchmark::DoNotOptimize(copy.data());
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

// Texts as De-KATtify finds them in a KAT table: every tenth names the first one's text.
struct KatTable
{
    std::vector<AnsiString> Indexes, Texts;
};

KatTable TableOf(const KattifyResult &k)
{
    KatTable table;
    for (const KatRow &row : k.Rows) {
        table.Indexes.push_back(row.Index);
        table.Texts.push_back(row.Cell + (table.Indexes.size() % 10 == 0 ? " %Z" + table.Indexes.front() : AnsiString()));
    }
    return table;
}

// The items of the script with every text edited, as the user does in the manager before "To
// current document".
std::vector<KatItem> EditedItemsOf(const AnsiString &script)
{
    std::vector<KatItem> items = ItemsOf(script);
    for (KatItem &item : items) item.Text = "Edited: " + item.Text;
    return items;
}

// The commands' own steps on the pane: the text taken, the result planned and put in as one edit.
void KattifyPane(TSynMemo &pane)
{
    ResetIndexSettings("07");
    const std::string_view text = pane.TextView();
    const KattifyResult r = Kattify(text, ItemsOf(text), TypeIndexSettings, CommonIndexSettings);
    ApplyScriptEdits(&pane, r.Edits);
}

void DeKattifyPane(TSynMemo &pane, const KatTable &table)
{
    std::vector<AnsiString> expanded = table.Texts;
    ExpandKatReferences(table.Indexes, expanded);
    const RestoreResult r = RestoreKatReferences(pane.TextView(), table.Indexes, expanded);
    ApplyScriptEdits(&pane, r.Edits);
}

void WriteBackPane(TSynMemo &pane, std::vector<KatItem> items)
{
    ApplyScriptEdits(&pane, WriteBackTexts(pane.TextView(), items, "\r\n"));
}

// What the user waits for: the pane's text taken, scanned, planned, and put back as one edit.
void BM_KattifyIntoPane(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    TSynMemo pane;
    for (auto _ : state) {
        state.PauseTiming();
        pane.LoadText(script);
        state.ResumeTiming();
        KattifyPane(pane);
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
        pane.LoadText(script);
        state.ResumeTiming();
        ApplyScriptEdits(&pane, r.Edits);
        benchmark::DoNotOptimize(pane.GetTextLen());
    }
    SetBytes(state, script);
}

// Undo of a KATtify: every text comes back in one step.
void BM_UndoKattifyInPane(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    TSynMemo pane;
    for (auto _ : state) {
        state.PauseTiming();
        pane.LoadText(script);
        KattifyPane(pane);
        state.ResumeTiming();
        pane.Undo();
        benchmark::DoNotOptimize(pane.GetTextLen());
    }
    SetBytes(state, script);
}

void BM_DeKattify(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    ResetIndexSettings("07");
    const KattifyResult k = Kattify(script, ItemsOf(script), TypeIndexSettings, CommonIndexSettings);
    const KatTable table = TableOf(k);
    const AnsiString kattified = EditedScript(script, k.Edits);
    for (auto _ : state) {
        std::vector<AnsiString> expanded = table.Texts;
        ExpandKatReferences(table.Indexes, expanded);
        const RestoreResult r = RestoreKatReferences(kattified, table.Indexes, expanded);
        benchmark::DoNotOptimize(r.Restored.size());
    }
    SetBytes(state, script);
}

// De-KATtify's two passes and the script's edit in the pane.
void BM_DeKattifyIntoPane(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    TSynMemo pane;
    pane.LoadText(script);
    KattifyPane(pane);
    const AnsiString kattified = pane.Text();
    ResetIndexSettings("07");
    const KatTable table = TableOf(Kattify(script, ItemsOf(script), TypeIndexSettings, CommonIndexSettings));
    for (auto _ : state) {
        state.PauseTiming();
        pane.LoadText(kattified);
        state.ResumeTiming();
        DeKattifyPane(pane, table);
        benchmark::DoNotOptimize(pane.GetTextLen());
    }
    SetBytes(state, script);
}

// "To current document" with every text edited.
void BM_WriteBackIntoPane(benchmark::State &state)
{
    const AnsiString &script = Script(int(state.range(0)));
    const std::vector<KatItem> items = EditedItemsOf(script);
    TSynMemo pane;
    for (auto _ : state) {
        state.PauseTiming();
        pane.LoadText(script);
        state.ResumeTiming();
        WriteBackPane(pane, items);
        benchmark::DoNotOptimize(pane.GetTextLen());
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

// 5, 11, 22 and 45 MB.
#define TEXTRES_SIZES Arg(22500)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_PlainPassBaseline)->TEXTRES_SIZES;
BENCHMARK(BM_CopyBaseline)->TEXTRES_SIZES;
BENCHMARK(BM_Scan)->TEXTRES_SIZES;
BENCHMARK(BM_ScanAndKattify)->TEXTRES_SIZES;
BENCHMARK(BM_KattifyIntoPane)->TEXTRES_SIZES->Iterations(3);
BENCHMARK(BM_ReplaceInPane)->TEXTRES_SIZES->Iterations(3);
BENCHMARK(BM_UndoKattifyInPane)->TEXTRES_SIZES->Iterations(3);
BENCHMARK(BM_DeKattify)->TEXTRES_SIZES;
BENCHMARK(BM_DeKattifyIntoPane)->TEXTRES_SIZES->Iterations(3);
BENCHMARK(BM_WriteBackIntoPane)->TEXTRES_SIZES->Iterations(3);
BENCHMARK(BM_ManagerSearch)->TEXTRES_SIZES->Iterations(1);
BENCHMARK(BM_ManagerKattify)->TEXTRES_SIZES->Iterations(1);

} // namespace

QUILLET_QT_BENCHMARK_MAIN()
