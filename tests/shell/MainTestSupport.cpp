#include "shell/MainTestSupport.h"

#include "platform/Application.h"
#include "platform/SingleInstance.h"
#include "shell/Main.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QThread>
#include <cstdlib>

std::vector<AnsiString> SplitLines(const AnsiString &text)
{
    std::vector<AnsiString> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == AnsiString::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

AnsiString ReadFileBytes(const AnsiString &path)
{
    QFile file(ToQPath(path));
    if (!file.open(QIODevice::ReadOnly)) return "";
    return file.readAll().toStdString();
}

ShellTest::ShellTest() = default;
ShellTest::~ShellTest() = default;

void ShellTest::SetUp()
{
    Dir = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(Dir->isValid());
    Root = FromQPath(QDir(Dir->path()).canonicalPath());
    ProgramFolder = Root + "/prog";
    ASSERT_TRUE(QDir().mkpath(ToQPath(ProgramFolder)));
    ProgramFile = ProgramFolder + "/quillet";
    SettingsFile = Root + "/settings.reg";
    setenv("QUILLET_REGISTRY", SettingsFile.c_str(), 1);
    Application->SetCommandLine({ProgramFile});
}

void ShellTest::TearDown()
{
    delete Form;
    Form = nullptr;
    Lock.reset();
    Application->SetCommandLine({});
    unsetenv("QUILLET_REGISTRY");
    InstanceSemaphore = nullptr;
}

TMainForm *ShellTest::Start(const std::vector<AnsiString> &args)
{
    std::vector<AnsiString> line{ProgramFile};
    line.insert(line.end(), args.begin(), args.end());
    Application->SetCommandLine(line);
    Form = new TMainForm;
    return Form;
}

void ShellTest::Show()
{
    Form->show();
    QCoreApplication::processEvents();
}

void ShellTest::Close()
{
    Form->close();
    delete Form;
    Form = nullptr;
}

AnsiString ShellTest::SettingsKeyPath() { return SettingsKey; }

void ShellTest::WithKey(const AnsiString &key, const std::function<void(TRegistry &)> &write)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(key, true));
    write(reg);
    reg.CloseKey();
}

AnsiString ShellTest::MakeFile(const AnsiString &relativePath, const AnsiString &content)
{
    const AnsiString path = Root + "/" + relativePath;
    QDir().mkpath(QFileInfo(ToQPath(path)).absolutePath());
    QFile file(ToQPath(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content.data(), qint64(content.size()));
    return path;
}

AnsiString ShellTest::LogPath() const { return ProgramFolder + "/QUIL_Loading.txt"; }

std::vector<AnsiString> ShellTest::LogHeader() const
{
    std::vector<AnsiString> lines = SplitLines(ReadFileBytes(LogPath()));
    lines.resize(std::min<size_t>(lines.size(), 3));
    return lines;
}

std::vector<AnsiString> ShellTest::LogBody() const
{
    std::vector<AnsiString> lines = SplitLines(ReadFileBytes(LogPath()));
    if (lines.size() <= 3) return {};
    return std::vector<AnsiString>(lines.begin() + 3, lines.end());
}

std::vector<AnsiString> ShellTest::Captions() const
{
    std::vector<AnsiString> captions;
    for (int i = 0; i < Form->MDIChildCount(); ++i) captions.push_back(FromQPath(Form->MDIChildren(i)->windowTitle()));
    return captions;
}

AnsiString ShellTest::CopyProgram(const AnsiString &folderName)
{
    const AnsiString folder = Root + "/" + folderName;
    QDir().mkpath(ToQPath(folder));
    const AnsiString exe = folder + "/quillet";
    EXPECT_TRUE(QFile::copy(QUILLET_EXE, ToQPath(exe)));
    return exe;
}

QProcessEnvironment ShellTest::CopyEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUILLET_REGISTRY", ToQPath(SettingsFile));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

bool ShellTest::WaitWhileRunning(QProcess &process, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        process.waitForFinished(10);
    }
    return true;
}

void ShellTest::HoldLockAsFirstCopy()
{
    Lock = std::make_unique<TNamedSemaphore>(SemaphoreName, SettingsFile);
    ASSERT_TRUE(Lock->Held());
    InstanceSemaphore = Lock.get();
}
