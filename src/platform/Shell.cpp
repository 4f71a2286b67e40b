#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <cstdlib>

namespace {

bool StartsWith(const AnsiString &s, const char *prefix) { return s.rfind(prefix, 0) == 0; }

ShellCall &Record(ShellCall::TKind kind, const AnsiString &target)
{
    ShellCall call;
    call.Kind = kind;
    call.Target = target;
    ShellCalls().Calls.push_back(call);
    return ShellCalls().Calls.back();
}

bool OpenHelp(const AnsiString &file, unsigned command)
{
    if (command == HELP_QUIT) return true;
    if (file.empty() || !QFileInfo(ToQPath(file)).isFile()) return false;
    if (ShellCalls().RecordOnly) return true;
    return QDesktopServices::openUrl(ShellTargetUrl(file));
}

} // namespace

ShellRecorder &ShellCalls()
{
    static ShellRecorder recorder;
    return recorder;
}

QUrl ShellTargetUrl(const AnsiString &target)
{
    if (target.find("://") != AnsiString::npos || StartsWith(target, "mailto:"))
        return QUrl(ToQ(target));
    return QUrl::fromLocalFile(QFileInfo(ToQPath(target)).absoluteFilePath());
}

bool ShellOpen(const AnsiString &target)
{
    Record(ShellCall::scShellOpen, target);
    if (ShellCalls().RecordOnly) return true;
    return QDesktopServices::openUrl(ShellTargetUrl(target));
}

bool WinHelp(const AnsiString &file, unsigned command, long data)
{
    ShellCall &call = Record(ShellCall::scWinHelp, file);
    call.Command = command;
    call.Data = data;
    return OpenHelp(file, command);
}

bool WinHelp(const AnsiString &file, unsigned command, const AnsiString &key)
{
    ShellCall &call = Record(ShellCall::scWinHelp, file);
    call.Command = command;
    call.Key = key;
    return OpenHelp(file, command);
}

bool StartProcess(const AnsiString &program, const std::vector<AnsiString> &args, const AnsiString &workDir,
                  int showMode)
{
    ShellCall &call = Record(ShellCall::scStartProcess, program);
    call.Args = args;
    call.WorkDir = workDir;
    call.ShowMode = showMode;
    if (ShellCalls().RecordOnly) return true;

    QProcess process;
    process.setProgram(ToQPath(program));
    QStringList arguments;
    for (const AnsiString &a : args) arguments << ToQPath(a);
    process.setArguments(arguments);
    if (!workDir.empty()) process.setWorkingDirectory(ToQPath(workDir));
    return process.startDetached();
}

AnsiString WindowsFolder()
{
    const char *dir = std::getenv("WINDIR");
    AnsiString folder = dir && *dir ? AnsiString(dir) : AnsiString("/");
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

ShellRecording::ShellRecording() : PreviousRecordOnly(ShellCalls().RecordOnly)
{
    ShellCalls().Calls.clear();
    ShellCalls().RecordOnly = true;
}

ShellRecording::~ShellRecording()
{
    ShellCalls().RecordOnly = PreviousRecordOnly;
    ShellCalls().Calls.clear();
}
