// Seeded random use of the whole program, checked after every step (see Exerciser.h).
// QUILLET_EXERCISE_SECONDS: rounds follow one another until that many seconds have passed
// (unset: a short smoke of a fixed number of rounds). QUILLET_EXERCISE_SEED: the first round's seed;
// each later round takes the next one. QUILLET_EXERCISE_STEPS: steps per round.
#include "ExerciseLog.h"
#include "Exerciser.h"
#include "platform/Shell.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/MainTestSupport.h"
#include "shell/_EditorWin.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QClipboard>
#include <QApplication>
#include <QHashFunctions>
#include <QMdiSubWindow>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace {

constexpr int SmokeRounds = 1;
constexpr int SmokeStepsPerRound = 150;
constexpr int StepLimitSeconds = 60;

long long EnvironmentNumber(const char *name, long long fallback)
{
    const char *value = std::getenv(name);
    if (!value || !*value) return fallback;
    return std::strtoll(value, nullptr, 10);
}

// Copies a folder tree; fails the test when a file cannot be copied.
void CopyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + "/" + QDir(from).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).absolutePath());
        ASSERT_TRUE(QFile::copy(source, target)) << source.toStdString();
    }
}

// Qt's messages go into the step log instead of the output (the offscreen platform reports every
// raise and keyboard grab it cannot do).
void NoteQtMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (message.startsWith("This plugin does not support")) return;
    TExerciseLog::Instance().Note((type == QtWarningMsg ? "Qt warning: " : "Qt: ") + message.toStdString());
}

// Each round starts from other options, chosen by its seed: how files open and tables lay out.
void WriteRoundOptions(TRegistry &reg, uint64_t seed)
{
    const char *const options[] = {"OpenTXTAsCMD", "NeedBackup", "RememberColWidth", "RememberFixColsRows",
                                   "AutoAutosizeAllCollsForCMDTab", "AutoAutosizeAllCollsForKAOTab",
                                   "AutoAutosizeAllCollsForKATTab", "EditorHighlightKAS", "EditorHighlightTXT",
                                   "EditorGutterVisible", "EditorWtiteDateTag"};
    uint64_t bits = seed * 0x9E3779B97F4A7C15ULL;
    bits ^= bits >> 29;
    for (const char *option : options) {
        reg.WriteBool(option, (bits & 3) == 0);   // on in one round of four
        bits >>= 2;
    }
    reg.WriteInteger("EditorTabWidth", int(bits % 10) + 1);
}

class Exerciser : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        OriginalFolder = QDir::currentPath();
        const char *config = std::getenv("XDG_CONFIG_HOME");
        OriginalConfig = config ? std::optional<std::string>(config) : std::nullopt;
        // A settings file written without QUILLET_REGISTRY would land in the test's folder and
        // show there; the user's own stays untouched either way.
        setenv("XDG_CONFIG_HOME", (Root + "/config").c_str(), 1);
    }

    void TearDown() override
    {
        QDir::setCurrent(OriginalFolder);
        if (OriginalConfig) setenv("XDG_CONFIG_HOME", OriginalConfig->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        ShellTest::TearDown();
    }

    // A fresh folder, program folder, settings file and main window for the next round.
    void Restart()
    {
        TearDown();
        SetUp();
    }

    // The program folder's files, the documents, the settings of the round; the main window shown
    // with every document open.
    void PrepareRound(uint64_t seed)
    {
        CopyTree(QUILLET_DATA, ToQPath(ProgramFolder));
        const AnsiString documents = Root + "/docs";
        CopyTree(QUILLET_FIXTURES "/exerciser", ToQPath(documents));
        // Relative paths land in the test's folder.
        QDir().mkpath(ToQPath(Root + "/cwd"));
        QDir::setCurrent(ToQPath(Root + "/cwd"));
        WithSettings([&](TRegistry &reg) {
            reg.WriteString("LastWorkDir", documents);
            reg.WriteInteger("MWinTop", 0);
            reg.WriteInteger("MWinLeft", 0);
            reg.WriteInteger("MWinWidth", 1000);
            reg.WriteInteger("MWinHeight", 720);
            // Completion opens as soon as the settling after a step runs, not after a second.
            reg.WriteInteger("SCL_Delay", 1);
            WriteRoundOptions(reg, seed);
        });
        QGuiApplication::clipboard()->clear();
        Start();
        Show();
        Form->activateWindow();
        QDirIterator it(ToQPath(documents), QDir::Files, QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext()) files << it.next();
        files.sort();
        for (const QString &file : files) {
            const AnsiString kind = DocumentKindFromFileName(FromQPath(file), false);
            if (!kind.empty()) Form->OpenDocument(FromQPath(file), kind);
        }

        const AnsiString programFolder = FromQPath(QFileInfo(QUILLET_EXE).absolutePath());
        Places = {Root, documents, ProgramFolder, SettingsFile,
                  {QUILLET_FIXTURES, QUILLET_DATA, programFolder + "/Syntax/SCL.CFG", programFolder + "/InsList.il",
                   programFolder + "/" + LoadingLogName}};
    }

    // Windows left changed close without their prompts.
    void EndRound()
    {
        if (!Form) return;
        for (int i = 0; i < Form->MDIChildCount(); ++i)
            if (auto *w = qobject_cast<TForm_Editor *>(Form->MDIChildren(i))) w->SetModified(false);
    }

    TExercisePlaces Places;
    QString OriginalFolder;
    std::optional<std::string> OriginalConfig;
};

} // namespace

TEST_F(Exerciser, RandomStepsKeepEveryDocumentSound)
{
    const long long seconds = EnvironmentNumber("QUILLET_EXERCISE_SECONDS", 0);
    const uint64_t firstSeed = uint64_t(EnvironmentNumber("QUILLET_EXERCISE_SEED", 1));
    const int stepsPerRound = int(EnvironmentNumber("QUILLET_EXERCISE_STEPS", seconds > 0 ? 250 : SmokeStepsPerRound));
    TExerciseLog::Instance().InstallGuards(StepLimitSeconds);
    QHashSeed::setDeterministicGlobalSeed();
    // No choice of the toolkit's may depend on the time between two steps: typed letters always
    // join the running keyboard search of a list, and no click ever becomes part of a double or
    // triple click of an earlier step.
    QApplication::setKeyboardInputInterval(std::numeric_limits<int>::max());
    QApplication::setDoubleClickInterval(0);
    ShellRecording shell;   // help, web pages and user tools are recorded, never started
    const QtMessageHandler previousHandler = qInstallMessageHandler(NoteQtMessage);

    QElapsedTimer clock;
    clock.start();
    long long steps = 0;
    int round = 0;
    for (;; ++round) {
        if (round > 0) Restart();
        const uint64_t seed = firstSeed + uint64_t(round);
        TExerciseLog::Instance().BeginRound(seed, round);
        PrepareRound(seed);
        std::string failed;
        {
            TExerciser exerciser(Form, Places, seed);
            failed = exerciser.Run(stepsPerRound);
            steps += exerciser.StepsTaken();
        }
        if (!failed.empty()) {
            qInstallMessageHandler(previousHandler);
            const std::string report = TExerciseLog::Instance().Report("exerciser: " + failed);
            EndRound();
            FAIL() << report;
        }
        EndRound();
        if (seconds > 0 ? clock.elapsed() >= seconds * 1000 : round + 1 >= SmokeRounds) break;
    }
    qInstallMessageHandler(previousHandler);
    const double elapsed = double(clock.elapsed()) / 1000.0;
    std::printf("exerciser: %lld steps in %d rounds (seeds %llu-%llu) in %.1f s: %.1f steps/s\n", steps, round + 1,
                (unsigned long long)firstSeed, (unsigned long long)(firstSeed + uint64_t(round)), elapsed,
                elapsed > 0 ? double(steps) / elapsed : 0.0);
}
