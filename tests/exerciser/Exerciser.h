// Seeded random use of the whole program: actions, tool buttons, keys, clicks, popups, window
// switching and closing, with every modal dialog, message box and file dialog answered at random
// through the test responders. After each step it checks what a user relies on but cannot see:
// no file written where it should not be, a document's file changed only by a save of it, the
// changed marker shown wherever a window differs from its file, saved tables reading back as the
// grid holds them, tabs matching the document windows.
#pragma once

#include "FileWatch.h"
#include "platform/Text.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QWidget;
class TFileDialog;
class TForm_Editor;
class TMainForm;
class TSynMemo;
struct MessageBoxCall;

struct TExercisePlaces
{
    AnsiString Root;            // the run's temporary folder: everything it may write lies below
    AnsiString Documents;       // the documents; file dialogs choose only here
    AnsiString ProgramFolder;
    AnsiString SettingsFile;
    std::vector<AnsiString> Untouchable;   // folders and files outside Root that must stay as they are
};

class TExerciser
{
public:
    TExerciser(TMainForm *form, const TExercisePlaces &places, uint64_t seed);
    ~TExerciser();
    TExerciser(const TExerciser &) = delete;
    TExerciser &operator=(const TExerciser &) = delete;

    // Takes steps until the count, until the main window has closed, or until a check fails.
    // Returns the failed check, empty when every check held.
    std::string Run(int steps);
    int StepsTaken() const { return Taken; }

private:
    // ---- Random choices ----
    uint64_t Next();
    int Below(int n);
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T> const T &PickFrom(const std::vector<T> &items) { return items[size_t(Below(int(items.size())))]; }

    // ---- Steps; each one describes itself in the log before it acts ----
    void TakeStep();
    void Begin(const std::string &text);
    void Note(const std::string &text);
    void AnswerOpenPopup(QWidget *popup);
    void TriggerAction();
    void ClickToolButton();
    QPoint ClickPoint(const QWidget *w);
    void PressKeys(QWidget *top);
    void ClickWidget(QWidget *top);
    void OpenPopup(QWidget *top);
    void PaintWindow(QWidget *top);
    void SwitchWindow();
    void CloseWindow();
    void OpenDocument();
    void ExitProgram();
    void ResizeWindow();

    // ---- Modal windows, answered as a user would ----
    int AnswerDialog(QDialog *dialog);
    void FinishDialog(QDialog *dialog);
    int AnswerMessageBox(const MessageBoxCall &call);
    bool AnswerFileDialog(TFileDialog &dialog);
    bool AnswerFolderDialog(AnsiString &dir);
    void InstallResponders();

    // ---- Settling: events, timers and the actions' idle update, in a fixed order ----
    void Settle();

    // ---- Checks after every step ----
    std::string CheckAfterStep();
    std::string CheckUntouchable() const;
    std::string CheckWrites();
    std::string CheckTabs() const;
    std::string CheckDocuments();
    bool WriteAllowed(const std::string &path) const;
    // Saving the window would leave its file's content as it is (the file read as opening reads it).
    bool MatchesFile(TForm_Editor *window, const AnsiString &bytes);
    AnsiString TextAsOpened(const AnsiString &kind, AnsiString bytes);
    int WindowId(TForm_Editor *window);
    void ObserveSaveCommands();

    // ---- Helpers ----
    QWidget *KeyTarget(QWidget *top) const;
    std::vector<TForm_Editor *> Editors() const;
    TForm_Editor *ActiveEditor() const;
    std::vector<AnsiString> DocumentFiles() const;
    std::vector<AnsiString> DocumentFolders() const;
    bool FormGone() const;

    QPointer<TMainForm> Form;
    TExercisePlaces Places;
    uint64_t State;
    int Taken = 0;
    int StepIndex = 0;
    int DialogDepth = 0;
    int SavedNameCounter = 0;

    // What the running step may write.
    struct StepWrites
    {
        std::set<std::string> Paths;           // named documents of the save commands run
        std::vector<std::string> ChosenNames;  // names given in save dialogs (an extension may follow)
        std::set<int> SavedWindows;            // ids of the windows the save commands acted on
        std::set<std::string> DialogClasses;
        std::string ExceptionText;             // an exception box shown to the user
    } Writes;

    struct WindowSync
    {
        AnsiString Path;
        FileStamp Stamp;           // the file when the window last matched it (or was first seen)
        bool Stale = false;        // the file was rewritten by another window or tool meanwhile
    };
    std::map<int, WindowSync> Sync;
    int NextWindowId = 1;

    FileTree RootFiles;
    std::vector<std::pair<AnsiString, FileContents>> UntouchableFiles;
    std::unique_ptr<TSynMemo> Checker;   // loads a file as a text pane does, for comparisons

    QObject Receiver;   // of the connections to the main window's commands

    struct SavedResponders;
    std::unique_ptr<SavedResponders> Previous;
};
