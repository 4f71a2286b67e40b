// The application object of the class library: the command line, the title, the message loop and
// the application window's showing state.
#pragma once

#include "platform/Text.h"
#include <exception>
#include <vector>

class QWidget;

class TApplication
{
public:
    // Keeps the arguments as the bytes given. Call from main after the QApplication is made, with the
    // argc/argv it left (it takes out its own options).
    void Initialize(int argc, char **argv);
    // For tests: argv[0] is the program's file, the rest the arguments; an empty list restores the
    // real command line.
    void SetCommandLine(const std::vector<AnsiString> &argv);

    // Number of arguments after the program's file.
    int ParamCount() const;
    // 0: the program's own file, absolute; 1 .. ParamCount: the arguments; "" out of range.
    AnsiString ParamStr(int i) const;
    AnsiString ExeName() const { return ParamStr(0); }

    // Until set: the program file's name without its extension.
    AnsiString Title() const;
    void SetTitle(const AnsiString &title);

    // Handles the pending events, then returns.
    void ProcessMessages();
    // Ends the message loop; a loop that has not started yet then ends at once.
    void Terminate();
    bool Terminated() const { return IsTerminated; }
    void ClearTerminated() { IsTerminated = false; }   // for tests
    // Shows the main window and runs the message loop until the last window closes or Terminate.
    // Returns 0 at once, showing nothing, when Terminate came first.
    int Run(QWidget *mainForm);

    // Act on the application window (ApplicationWindow(), see Dialogs.h).
    void Minimize();
    void Restore();
    bool IsMinimized() const;
    // Shows the window on top of the others and gives it the focus (restored when minimised).
    void BringToFront(QWidget *window);

    // The report of an exception that no handler caught: the message (with a final full stop
    // added as needed) in an error box captioned with the title.
    void ShowException(const std::exception &e);

private:
    std::vector<AnsiString> Args;      // argv[0] first; empty until Initialize or SetCommandLine
    bool FromTest = false;
    AnsiString StoredTitle;
    bool TitleSet = false;
    bool IsTerminated = false;
    bool Running = false;
};

extern TApplication *const Application;

// The width of the screen in pixels (the primary screen; 1024 when there is none).
int ScreenWidth();

// The class library's free functions over the same command line.
int ParamCount();
AnsiString ParamStr(int i);

#include <QApplication>

// The Qt application of the program: an exception that leaves an event handler is reported by
// Application->ShowException and the message loop goes on, as the class library's loop does,
// instead of ending the program with its unsaved documents.
class TQtApplication : public QApplication
{
public:
    TQtApplication(int &argc, char **argv) : QApplication(argc, argv) {}
    bool notify(QObject *receiver, QEvent *event) override;
};
