// What a user waits for when opening a big document: from OpenDocument until the window is shown
// and its text or grid has been painted once. A 20 MB script of about 850 000 lines and a KAO
// table of 100 000 rows, beside the floor for the script: a bare QScintilla pane that reads the
// same file and takes it with setText (undo off, no lexer), shown and painted the same way.
// Then what comes right after opening: the first keystroke, and a jump to the end of the script.
#include "BenchSupport.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"
#include "platform/TStringGrid.h"

#include <benchmark/benchmark.h>
#include <Qsci/qsciscintilla.h>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

namespace {

using SB = QsciScintillaBase;

QTemporaryDir *Folder = nullptr;
TMainForm *Form = nullptr;

AnsiString PathOf(const char *name) { return FromQPath(Folder->filePath(name)); }

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int Count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) ++Count;
        return false;
    }
};

// Runs the event loop until the widget has painted once more (bounded, in case it never does).
void WaitForPaint(QWidget *widget)
{
    PaintCounter counter;
    widget->installEventFilter(&counter);
    widget->update();
    QElapsedTimer timer;
    timer.start();
    while (counter.Count == 0 && timer.elapsed() < 5000) QCoreApplication::processEvents();
    widget->removeEventFilter(&counter);
}

QWidget *PaintedPart(TForm_Editor *w)
{
    return w->Memo1->isHidden() ? static_cast<QWidget *>(w->StringGrid1) : w->Memo1->viewport();
}

void OpenToWindow(benchmark::State &state, const char *name, const char *kind)
{
    const AnsiString path = PathOf(name);
    for (auto _ : state) {
        TForm_Editor *w = Form->OpenDocument(path, kind);
        WaitForPaint(PaintedPart(w));
        state.PauseTiming();
        CloseAllDocuments(Form);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * QFile(ToQPath(path)).size());
}

// The floor: read the file and hand it to a bare pane with setText, undo off, no lexer. The lean
// floor also sizes the buffer once and turns change notifications off during the insert.
void Floor(benchmark::State &state, bool lean)
{
    const QString path = ToQPath(PathOf("big.kas"));
    for (auto _ : state) {
        auto pane = std::make_unique<QsciScintilla>();
        pane->resize(Form->size());
        pane->show();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        pane->SendScintilla(SB::SCI_SETUNDOCOLLECTION, 0UL);
        if (lean) {
            pane->SendScintilla(SB::SCI_SETMODEVENTMASK, 0UL);
            pane->SendScintilla(SB::SCI_ALLOCATE, (unsigned long)bytes.size() + 1);
        }
        pane->SendScintilla(SB::SCI_SETTEXT, 0UL, (void *)bytes.constData());
        WaitForPaint(pane->viewport());
        state.PauseTiming();
        pane.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * QFile(path).size());
}

void BM_FloorBareQScintilla(benchmark::State &state) { Floor(state, false); }
void BM_FloorLeanQScintilla(benchmark::State &state) { Floor(state, true); }
void BM_OpenScriptToWindow(benchmark::State &state) { OpenToWindow(state, "big.kas", KAS_Document); }
void BM_OpenTableToWindow(benchmark::State &state) { OpenToWindow(state, "big.kao", KAO_Document); }

// Right after opening: one character typed at the caret, until it is painted.
void BM_FirstKeystrokeAfterOpening(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TForm_Editor *w = Form->OpenDocument(PathOf("big.kas"), KAS_Document);
        WaitForPaint(w->Memo1->viewport());
        state.ResumeTiming();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
        QCoreApplication::sendEvent(w->Memo1, &press);
        WaitForPaint(w->Memo1->viewport());
        state.PauseTiming();
        CloseAllDocuments(Form);
        state.ResumeTiming();
    }
}

// Right after opening: Ctrl+End, until the last page is painted.
void BM_ScrollToEndAfterOpening(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TForm_Editor *w = Form->OpenDocument(PathOf("big.kas"), KAS_Document);
        WaitForPaint(w->Memo1->viewport());
        state.ResumeTiming();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QCoreApplication::sendEvent(w->Memo1, &press);
        WaitForPaint(w->Memo1->viewport());
        state.PauseTiming();
        CloseAllDocuments(Form);
        state.ResumeTiming();
    }
}

// The floor of a jump: a bare pane holding the same text, Ctrl+End until the last page is painted.
void BM_FloorScrollToEnd(benchmark::State &state)
{
    QFile file(ToQPath(PathOf("big.kas")));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    for (auto _ : state) {
        state.PauseTiming();
        auto pane = std::make_unique<QsciScintilla>();
        pane->resize(Form->size());
        pane->show();
        pane->SendScintilla(SB::SCI_SETUNDOCOLLECTION, 0UL);
        pane->SendScintilla(SB::SCI_SETTEXT, 0UL, (void *)bytes.constData());
        WaitForPaint(pane->viewport());
        state.ResumeTiming();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QCoreApplication::sendEvent(pane.get(), &press);
        WaitForPaint(pane->viewport());
        state.PauseTiming();
        pane.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_FloorBareQScintilla)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FloorLeanQScintilla)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenScriptToWindow)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenTableToWindow)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FirstKeystrokeAfterOpening)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ScrollToEndAfterOpening)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FloorScrollToEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    TBenchProgram program(argc, argv);
    Folder = &program.Folder;
    WriteBenchFile(PathOf("big.kas"), KasScriptBytes(20 * 1024 * 1024));
    WriteBenchFile(PathOf("big.kao"), KaoTableBytes());
    Form = program.ShowMainWindow({1280, 1000});
    return program.Run();
}
