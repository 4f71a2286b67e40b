// What the benchmark programs that drive the main window share: a scratch folder the program runs
// in with its own settings, files written there, the big table they open, and closing every window.
#pragma once

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Memory.h"
#include "platform/Text.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSize>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <cstdlib>
#include <string>

// The program runs from the folder, keeps its settings there and answers every message box with OK.
inline void RunProgramIn(const QTemporaryDir &folder)
{
    setenv("QUILLET_REGISTRY", (folder.path() + "/settings.reg").toLocal8Bit().constData(), 1);
    Application->SetCommandLine({FromQPath(folder.path() + "/quillet")});
    SetMessageBoxResponder([](const MessageBoxCall &) { return IDOK; });
}

inline void WriteBenchFile(const AnsiString &path, const AnsiString &bytes)
{
    QFile file(ToQPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(bytes.data(), qint64(bytes.size()));
}

// A KAO table of 100 000 (or the given number of) rows of 11 cells, CR LF line ends.
inline AnsiString KaoTableBytes(int rows = 100000)
{
    AnsiString s;
    for (int r = 0; r < rows; ++r) {
        s += std::to_string(r);
        for (int c = 1; c < 11; ++c) s += "\tcell " + std::to_string(c) + " of row";
        s += "\r\n";
    }
    return s;
}

// A script as the program writes it (LF line ends, a final LF CR) of about the given size: a
// header with its tags, then short lines of commands, remarks and messages (about 25 bytes each).
inline AnsiString KasScriptBytes(size_t size)
{
    static const char *const body[] = {
        "!?FU%d;",
        "!!VRv%d:S1;                      ; set the counter",
        "!!IF&v1>5:M^Counter $v1$ passed @msg@.^;",
        "!#VA(count:x)/%d;",
        "* a whole-line remark",
        "!!UN:P%d/0;  !!HE-1:C0/0/1/2;",
        "!$OB2/%d:M1;",
        "",
    };
    AnsiString s;
    s.reserve(size + 1024);
    s += "ZVSE\nQUIL_ScriptName=Big\nQUIL_ScriptDate=1.1(January).2024\n_WARNING_#1=Generated\n"
         "_DECLARATION_v1=counter\n; JOTE header end\n";
    char line[128];
    for (int i = 0; s.size() < size; ++i) {
        std::snprintf(line, sizeof line, body[i % 8], i);
        s += line;
        s += '\n';
    }
    s += "\r";
    return s;
}

// Closes every document window, dropping its changes.
inline void CloseAllDocuments(TMainForm *form)
{
    while (form->MDIChildCount() > 0) {
        auto *w = qobject_cast<TForm_Editor *>(form->MDIChildren(0));
        w->SetModified(false);
        w->close();
        QCoreApplication::processEvents();
    }
}

// CPU time of the whole process, in seconds: on a shared machine wall-clock time is noise.
inline double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct UntilIdle
{
    double Cpu = 0;       // seconds from the start until the process went quiet
    double Longest = 0;   // seconds of CPU between two turns of the event loop, at most
};

// What a client attached does at each turn of the event loop (see RunUntilIdle).
inline std::function<void()> OnTurn;

// Runs the event loop from the CPU time `start` until the process is quiet: a tick every 20 ms,
// quiet when 300 ms of ticks together cost under 3 ms of CPU. Bounded at two minutes.
inline UntilIdle RunUntilIdle(double start)
{
    constexpr int TickMs = 20, QuietTicks = 15;
    constexpr double QuietCpu = 0.003;
    UntilIdle result;
    double lastTick = start, quietSince = -1;
    int quietTicks = 0;
    bool done = false;
    QTimer tick;
    tick.setInterval(TickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (OnTurn) OnTurn();
        const double now = CpuSeconds();
        result.Longest = std::max(result.Longest, now - lastTick);
        if (quietSince < 0 || now - quietSince > QuietCpu) {
            quietSince = now;
            quietTicks = 0;
        } else if (++quietTicks >= QuietTicks)
            done = true;
        lastTick = now;
    });
    tick.start();
    QElapsedTimer wall;
    wall.start();
    while (!done && wall.elapsed() < 120000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    result.Cpu = quietSince - start;
    return result;
}

inline void RunBenchmarks(int &argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

// A benchmark program around one main window: offscreen, in a scratch program folder of its own.
// Write the files into Folder, then ShowMainWindow, then Run.
class TBenchProgram
{
public:
    TBenchProgram(int &argc, char **argv) : Argc(argc), Argv(argv), App((Offscreen(), argc), argv)
    {
        RunProgramIn(Folder);
    }

    QTemporaryDir Folder;

    TMainForm *ShowMainWindow(QSize size = {})
    {
        Form = new TMainForm;
        if (size.isValid()) Form->resize(size);
        Form->show();
        QCoreApplication::processEvents();
        return Form;
    }

    int Run()
    {
        RunBenchmarks(Argc, Argv);
        CloseAllDocuments(Form);
        delete Form;
        return 0;
    }

private:
    // Before the application: as the program's main does, the heap's policy comes first.
    static void Offscreen()
    {
        KeepFreedMemoryForReuse();
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    int &Argc;
    char **Argv;
    QApplication App;
    TMainForm *Form = nullptr;
};
