// The desktop shell: opening documents and web pages, help files, starting programs, the system
// folder. Every call is recorded, and a test can switch the acting off (see ShellCalls).
#pragma once

#include "platform/Text.h"
#include <vector>

class QUrl;

// Help commands, the numbers of the Windows help call.
enum : unsigned { HELP_CONTEXT = 1, HELP_QUIT = 2, HELP_CONTENTS = 3, HELP_FINDER = 11, HELP_PARTIALKEY = 0x105 };
// Show modes of a started program.
enum : int { SW_SHOWNORMAL = 1, SW_SHOWMAXIMIZED = 3, SW_MINIMIZE = 6 };

// Opens a file with the desktop's handler for it, or a web address ("http://...", "mailto:...").
bool ShellOpen(const AnsiString &target);
// The address ShellOpen opens: an address as it is, a path (relative to the current folder) as a file URL.
QUrl ShellTargetUrl(const AnsiString &target);

// Opens the help file with the desktop's handler when it exists (the handler cannot be told the
// context or key). HELP_QUIT does nothing and succeeds. False when the file is missing.
bool WinHelp(const AnsiString &file, unsigned command, long data = 0);
bool WinHelp(const AnsiString &file, unsigned command, const AnsiString &key);

// Starts the program detached with the arguments as a list (never through a shell), in workDir when
// not empty. showMode is recorded; the desktop decides how the program's window opens.
bool StartProcess(const AnsiString &program, const std::vector<AnsiString> &args, const AnsiString &workDir,
                  int showMode = SW_SHOWNORMAL);

// The folder named by $WINDIR, else "/"; no trailing "/" (except the root itself).
AnsiString WindowsFolder();

struct ShellCall
{
    enum TKind { scShellOpen, scWinHelp, scStartProcess };
    TKind Kind = scShellOpen;
    AnsiString Target;                 // ShellOpen: the target; WinHelp: the file; StartProcess: the program
    unsigned Command = 0;              // WinHelp
    long Data = 0;                     // WinHelp: the context number
    AnsiString Key;                    // WinHelp: the key text of HELP_PARTIALKEY
    std::vector<AnsiString> Args;      // StartProcess
    AnsiString WorkDir;                // StartProcess
    int ShowMode = SW_SHOWNORMAL;      // StartProcess
};

struct ShellRecorder
{
    std::vector<ShellCall> Calls;
    bool RecordOnly = false;           // true: calls are recorded and succeed, nothing is opened or started
};
ShellRecorder &ShellCalls();

// For tests: empties the record and switches acting off while it lives.
class ShellRecording
{
public:
    ShellRecording();
    ~ShellRecording();
    ShellRecording(const ShellRecording &) = delete;
    ShellRecording &operator=(const ShellRecording &) = delete;
    const std::vector<ShellCall> &Calls() const { return ShellCalls().Calls; }

private:
    bool PreviousRecordOnly;
};
