// Opening and saving large documents through the main window, beside a plain copy of the same file:
// a 20 MB script of 300 000 lines and a KAO table of 100 000 rows. The floor of Ctrl+S is the same
// bytes, already in memory, written, fsynced and renamed (BM_FloorWriteFsyncRename).
#include "BenchSupport.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"
#include "platform/TStringGrid.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <memory>

namespace {

QTemporaryDir *Folder = nullptr;
TMainForm *Form = nullptr;

AnsiString PathOf(const char *name) { return FromQPath(Folder->filePath(name)); }

// A script as the program writes it: LF line ends, a final LF CR.
AnsiString ScriptBytes()
{
    AnsiString s;
    s.reserve(21 * 1024 * 1024);
    s += "// JOTE generated\nQUIL_ScriptDate=1.1(January).2024\n";
    for (int i = 0; s.size() < 20 * 1024 * 1024; ++i)
        s += "  if ($var" + std::to_string(i) + " == 1) { say(\"line text \xE9\xE0 number\"); call(x, y); }\n";
    s += "\r";
    return s;
}

void CopyFile(benchmark::State &state, const char *from, const char *to)
{
    const AnsiString source = PathOf(from), target = PathOf(to);
    for (auto _ : state) {
        QFile in(ToQPath(source));
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        QFile out(ToQPath(target));
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(bytes);
        out.close();
    }
    state.SetBytesProcessed(state.iterations() * QFile(ToQPath(source)).size());
}

void Open(benchmark::State &state, const char *name, const char *kind)
{
    const AnsiString path = PathOf(name);
    for (auto _ : state) {
        TForm_Editor *w = Form->OpenDocument(path, kind);
        benchmark::DoNotOptimize(w);
        state.PauseTiming();
        CloseAllDocuments(Form);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * QFile(ToQPath(path)).size());
}

void Save(benchmark::State &state, const char *name, const char *kind, const char *to)
{
    TForm_Editor *w = Form->OpenDocument(PathOf(name), kind);
    const AnsiString target = PathOf(to);
    for (auto _ : state) {
        const bool ok = IsTextKind(kind) ? Form->SaveDocumentToFile(kind, target, w->Memo1)
                                         : Form->SaveDocumentToFile(kind, target, w->StringGrid1);
        if (!ok) state.SkipWithError("not written");
    }
    state.SetBytesProcessed(state.iterations() * QFile(ToQPath(target)).size());
    CloseAllDocuments(Form);
}

// Ctrl+S on the open script: its tags are set, then it is written.
void BM_SaveScriptCommand(benchmark::State &state)
{
    TForm_Editor *w = Form->OpenDocument(PathOf("command.kas"), KAS_Document);
    for (auto _ : state)
        if (!Form->FileSave1Execute()) state.SkipWithError("not written");
    state.SetBytesProcessed(state.iterations() * QFile(ToQPath(PathOf("command.kas"))).size());
    w->SetModified(false);
    CloseAllDocuments(Form);
}

// The floor of a save: the script's file bytes, ready, written the way every save writes (through
// a temporary file that reaches the disk before it replaces the old one).
void BM_WriteScriptBytesDurably(benchmark::State &state)
{
    const AnsiString bytes = ScriptBytes();
    const AnsiString target = PathOf("durable.kas");
    for (auto _ : state)
        if (!WriteFileAtomically(target, bytes).Ok()) state.SkipWithError("not written");
    state.SetBytesProcessed(state.iterations() * (long long)bytes.size());
}

// The fair floor of a save: the same file bytes, already in memory, written to a new file in the
// same folder, flushed to the disk (fsync) and renamed over the target, with plain system calls.
void BM_FloorWriteFsyncRename(benchmark::State &state)
{
    QFile saved(ToQPath(PathOf("command.kas")));
    saved.open(QIODevice::ReadOnly);
    const QByteArray bytes = saved.readAll();   // as Ctrl+S leaves the file
    const QByteArray target = ToQPath(PathOf("floor.kas")).toLocal8Bit();
    const QByteArray temporary = target + ".tmp";
    for (auto _ : state) {
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool ok = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
        ok = fd >= 0 && ::fsync(fd) == 0 && ok;
        ok = fd >= 0 && ::close(fd) == 0 && ok;
        ok = ok && ::rename(temporary.constData(), target.constData()) == 0;
        if (!ok) state.SkipWithError("not written");
    }
    state.SetBytesProcessed(state.iterations() * (long long)bytes.size());
}

void BM_CopyScriptFile(benchmark::State &state) { CopyFile(state, "big.kas", "copy.kas"); }
void BM_OpenScript(benchmark::State &state) { Open(state, "big.kas", KAS_Document); }
void BM_SaveScript(benchmark::State &state) { Save(state, "big.kas", KAS_Document, "saved.kas"); }
void BM_CopyTableFile(benchmark::State &state) { CopyFile(state, "big.kao", "copy.kao"); }
void BM_OpenTable(benchmark::State &state) { Open(state, "big.kao", KAO_Document); }
void BM_SaveTable(benchmark::State &state) { Save(state, "big.kao", KAO_Document, "saved.kao"); }

BENCHMARK(BM_CopyScriptFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenScript)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveScript)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveScriptCommand)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FloorWriteFsyncRename)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WriteScriptBytesDurably)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CopyTableFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTable)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveTable)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    TBenchProgram program(argc, argv);
    Folder = &program.Folder;
    WriteBenchFile(PathOf("big.kas"), ScriptBytes());
    WriteBenchFile(PathOf("command.kas"), ScriptBytes());
    WriteBenchFile(PathOf("big.kao"), KaoTableBytes());
    Form = program.ShowMainWindow();
    return program.Run();
}
