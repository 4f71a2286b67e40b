// What a shown script pane costs after a command until the process is idle again (timers,
// background styling and repaints included), not only until the first paint: Ctrl+End and a
// replace all ("!!" by "!#", answered "Yes to all") on scripts of 5, 10 and 20 MB, with and without
// an accessibility client attached. Every figure is CPU time of the process (the machine is
// shared, so wall-clock time is noise); cpu_ms_per_MB is what must stay flat as the script grows.
// With the client, reader_queries tells how often it read. longest_ms is the most CPU the process spent between two turns of the event loop: how long the
// window could not answer a key.
// Floors in the same run: a bare QScintilla pane (no lexer) doing the same Ctrl+End until idle, the
// bare pane doing the replace all as one replacement of the span, and the bare pane styling the
// whole text once with the component's own C++ lexer. command_ms is the CPU of the command alone.
#include "BenchSupport.h"
#include "editing/ConfirmReplaceDlg.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <benchmark/benchmark.h>
#include <Qsci/qscilexercpp.h>
#include <Qsci/qsciscintilla.h>
#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>

namespace {

using SB = QsciScintillaBase;

QTemporaryDir *Folder = nullptr;
TMainForm *Form = nullptr;

constexpr int Sizes[] = {5, 10, 20};   // MB

AnsiString ScriptPath(long megabytes)
{
    return FromQPath(Folder->filePath(QStringLiteral("script%1.kas").arg(megabytes)));
}

void Report(benchmark::State &state, const std::vector<UntilIdle> &runs, long megabytes, long queries = 0,
            double commandCpu = 0)
{
    if (queries > 0) state.counters["reader_queries"] = double(queries);
    if (commandCpu > 0) state.counters["command_ms"] = commandCpu * 1e3 / double(runs.size());
    double cpu = 0, longest = 0;
    for (const UntilIdle &r : runs) {
        cpu += r.Cpu;
        longest = std::max(longest, r.Longest);
    }
    cpu /= double(runs.size());
    state.counters["cpu_ms"] = cpu * 1e3;
    state.counters["cpu_ms_per_MB"] = cpu * 1e3 / double(megabytes);
    state.counters["longest_ms"] = longest * 1e3;
}

void PressKey(QWidget *to, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(to, &release);
}

long ReaderQueries = 0;   // how often the client below read the text

// A client of the accessibility interface as a screen reader is: whenever the caret has moved or
// the text has changed, it asks where the caret is and reads the line there. The offscreen
// platform has no accessibility bridge to deliver the events, so the client looks at each turn
// of the event loop. Accessibility is switched on as a bridge would.
class AccessibilityClient
{
public:
    explicit AccessibilityClient(bool on) : On(on)
    {
        if (On) QAccessible::setActive(true);
    }
    ~AccessibilityClient()
    {
        if (On) QAccessible::setActive(false);
    }
    void Watch(QsciScintilla *pane) { Pane = pane; }
    void Look()
    {
        if (!On || !Pane) return;
        const long caret = Pane->SendScintilla(SB::SCI_GETCURRENTPOS), length = Pane->SendScintilla(SB::SCI_GETLENGTH);
        if (caret == Caret && length == Length) return;
        Caret = caret;
        Length = length;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(Pane);
        QAccessibleTextInterface *text = iface ? iface->textInterface() : nullptr;
        if (!text) return;
        int start = 0, end = 0;
        ++ReaderQueries;
        benchmark::DoNotOptimize(text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end));
    }

private:
    bool On;
    QPointer<QsciScintilla> Pane;
    long Caret = -1, Length = -1;
};

TForm_Editor *OpenShown(long megabytes)
{
    TForm_Editor *w = Form->OpenDocument(ScriptPath(megabytes), KAS_Document);
    w->Memo1->setFocus();
    RunUntilIdle(CpuSeconds());
    return w;
}

void CloseAll()
{
    CloseAllDocuments(Form);
    RunUntilIdle(CpuSeconds());
}

// Opens the script shown, runs the command on its window and measures until the process is idle.
void CommandUntilIdle(benchmark::State &state, bool accessible, const std::function<void(TForm_Editor *)> &command)
{
    const long megabytes = state.range(0);
    std::vector<UntilIdle> runs;
    long queries = 0;
    double commandCpu = 0;   // the command alone, before the first turn of the event loop
    for (auto _ : state) {
        state.PauseTiming();
        AccessibilityClient client(accessible);
        TForm_Editor *w = OpenShown(megabytes);
        client.Watch(w->Memo1);
        OnTurn = [&client] { client.Look(); };
        ReaderQueries = 0;
        state.ResumeTiming();
        const double start = CpuSeconds();
        command(w);
        commandCpu += CpuSeconds() - start;
        runs.push_back(RunUntilIdle(start));
        queries += ReaderQueries;
        OnTurn = nullptr;
        state.PauseTiming();
        CloseAll();
        state.ResumeTiming();
    }
    Report(state, runs, megabytes, queries, commandCpu);
}

void CtrlEnd(benchmark::State &state, bool accessible)
{
    CommandUntilIdle(state, accessible,
                     [](TForm_Editor *w) { PressKey(w->Memo1, Qt::Key_End, Qt::ControlModifier); });
}

void ReplaceAll(benchmark::State &state, bool accessible)
{
    ModalRecorder yesToAll([](QDialog *d) {
        return qobject_cast<TConfirmReplaceDialog *>(d) ? TConfirmReplaceDialog::ResultReplaceAll : int(mrCancel);
    });
    Form->ReplaceSearchText = "!!";
    Form->ReplaceText = "!#";
    CommandUntilIdle(state, accessible, [](TForm_Editor *) { Form->ReplaceAllInActiveDocument(); });
}

void BM_CtrlEndUntilIdle(benchmark::State &state) { CtrlEnd(state, false); }
void BM_CtrlEndUntilIdleAccessible(benchmark::State &state) { CtrlEnd(state, true); }
void BM_ReplaceAllUntilIdle(benchmark::State &state) { ReplaceAll(state, false); }
void BM_ReplaceAllUntilIdleAccessible(benchmark::State &state) { ReplaceAll(state, true); }

QByteArray ScriptBytes(long megabytes)
{
    QFile file(ToQPath(ScriptPath(megabytes)));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

std::unique_ptr<QsciScintilla> BarePane(long megabytes, bool undo = false)
{
    const QByteArray bytes = ScriptBytes(megabytes);
    auto pane = std::make_unique<QsciScintilla>();
    pane->resize(Form->size());
    pane->SendScintilla(SB::SCI_SETUNDOCOLLECTION, 0UL);
    pane->SendScintilla(SB::SCI_SETTEXT, 0UL, (void *)bytes.constData());
    if (undo) pane->SendScintilla(SB::SCI_SETUNDOCOLLECTION, 1UL);
    pane->show();
    pane->setFocus();
    RunUntilIdle(CpuSeconds());
    return pane;
}

void BM_FloorBareCtrlEndUntilIdle(benchmark::State &state)
{
    const long megabytes = state.range(0);
    std::vector<UntilIdle> runs;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<QsciScintilla> pane = BarePane(megabytes);
        state.ResumeTiming();
        const double start = CpuSeconds();
        PressKey(pane.get(), Qt::Key_End, Qt::ControlModifier);
        runs.push_back(RunUntilIdle(start));
        state.PauseTiming();
        pane.reset();
        RunUntilIdle(CpuSeconds());
        state.ResumeTiming();
    }
    Report(state, runs, megabytes);
}

// The whole text styled once by the component's own lexer, in one call.
void BM_FloorBareStyleWholeText(benchmark::State &state)
{
    const long megabytes = state.range(0);
    std::vector<UntilIdle> runs;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<QsciScintilla> pane = BarePane(megabytes);
        pane->setLexer(new QsciLexerCPP(pane.get()));
        RunUntilIdle(CpuSeconds());
        state.ResumeTiming();
        const double start = CpuSeconds();
        pane->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
        runs.push_back({CpuSeconds() - start, 0});
        state.PauseTiming();
        pane.reset();
        RunUntilIdle(CpuSeconds());
        state.ResumeTiming();
    }
    Report(state, runs, megabytes);
}

// What the component costs by itself for the replace all above: the bare pane (undo on, as in
// the editor) replacing the span from the first to the last "!!" by the same bytes with "!#", in
// one SCI_REPLACETARGET; with its change notifications on (as for any edit) and off. The new
// bytes are made before the measure.
void FloorBareReplaceSpan(benchmark::State &state, bool notifications)
{
    const long megabytes = state.range(0);
    std::vector<UntilIdle> runs;
    double commandCpu = 0;
    const QByteArray bytes = ScriptBytes(megabytes);
    const long first = bytes.indexOf("!!"), end = bytes.lastIndexOf("!!") + 2;
    QByteArray block = bytes.mid(first, end - first);
    block.replace("!!", "!#");
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<QsciScintilla> pane = BarePane(megabytes, true);
        if (!notifications) pane->SendScintilla(SB::SCI_SETMODEVENTMASK, 0UL);
        state.ResumeTiming();
        const double start = CpuSeconds();
        pane->SendScintilla(SB::SCI_SETTARGETRANGE, (unsigned long)first, end);
        pane->SendScintilla(SB::SCI_REPLACETARGET, uintptr_t(block.size()), block.constData());
        commandCpu += CpuSeconds() - start;
        runs.push_back(RunUntilIdle(start));
        state.PauseTiming();
        pane.reset();
        RunUntilIdle(CpuSeconds());
        state.ResumeTiming();
    }
    Report(state, runs, megabytes, 0, commandCpu);
}

void BM_FloorBareReplaceSpanUntilIdle(benchmark::State &state) { FloorBareReplaceSpan(state, true); }
void BM_FloorBareReplaceSpanQuietUntilIdle(benchmark::State &state) { FloorBareReplaceSpan(state, false); }

void Sized(benchmark::internal::Benchmark *b)
{
    for (int mb : Sizes) b->Arg(mb);
    b->Unit(benchmark::kMillisecond)->Iterations(2);
}

BENCHMARK(BM_FloorBareStyleWholeText)->Apply(Sized);
BENCHMARK(BM_FloorBareCtrlEndUntilIdle)->Apply(Sized);
BENCHMARK(BM_FloorBareReplaceSpanUntilIdle)->Apply(Sized);
BENCHMARK(BM_FloorBareReplaceSpanQuietUntilIdle)->Apply(Sized);
BENCHMARK(BM_CtrlEndUntilIdle)->Apply(Sized);
BENCHMARK(BM_ReplaceAllUntilIdle)->Apply(Sized);
BENCHMARK(BM_CtrlEndUntilIdleAccessible)->Apply(Sized);
BENCHMARK(BM_ReplaceAllUntilIdleAccessible)->Apply(Sized);

} // namespace

int main(int argc, char **argv)
{
    TBenchProgram program(argc, argv);
    Folder = &program.Folder;
    for (int mb : Sizes) WriteBenchFile(ScriptPath(mb), KasScriptBytes(size_t(mb) << 20));
    Form = program.ShowMainWindow({1280, 1000});
    // What the first document of a run costs once (fonts, caches) stays out of the figures.
    PressKey(OpenShown(Sizes[0])->Memo1, Qt::Key_End, Qt::ControlModifier);
    RunUntilIdle(CpuSeconds());
    CloseAll();
    return program.Run();
}
