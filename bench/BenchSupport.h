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

// A KAO table of 100 000 rows of 11 cells, CR LF line ends.
inline AnsiString KaoTableBytes()
{
    AnsiString s;
    for (int r = 0; r < 100000; ++r) {
        s += std::to_string(r);
        for (int c = 1; c < 11; ++c) s += "\tcell " + std::to_string(c) + " of row";
        s += "\r\n";
    }
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
