// A program folder and a settings file of the test's own, the main window created in the test
// process, and the built program started as another copy.
#pragma once

#include "platform/TRegistry.h"
#include "platform/Text.h"

#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class TMainForm;
class TNamedSemaphore;

class ShellTest : public ::testing::Test
{
protected:
    ShellTest();
    ~ShellTest() override;
    void SetUp() override;
    void TearDown() override;

    // Creates the main window (its FormCreate runs) with this command line after the program path.
    TMainForm *Start(const std::vector<AnsiString> &args = {});
    // Shows it (FormShow runs once).
    void Show();
    // The whole shut-down: the main window is closed and destroyed.
    void Close();

    // Writes values under a key of the settings file.
    void WithKey(const AnsiString &key, const std::function<void(TRegistry &)> &write);
    void WithSettings(const std::function<void(TRegistry &)> &write) { WithKey(SettingsKeyPath(), write); }
    static AnsiString SettingsKeyPath();

    AnsiString MakeFile(const AnsiString &relativePath, const AnsiString &content = "x");
    AnsiString LogPath() const;
    // The start-up log's lines after its three header lines.
    std::vector<AnsiString> LogBody() const;
    std::vector<AnsiString> LogHeader() const;
    // Captions of the document windows, in window-number order.
    std::vector<AnsiString> Captions() const;

    // The built program, copied into a program folder of its own (a folder below the test's).
    AnsiString CopyProgram(const AnsiString &folderName);
    // Environment for a started copy: this test's settings file, no display.
    QProcessEnvironment CopyEnvironment() const;
    // Runs the events of this process until the started copy ends or the time is up.
    bool WaitWhileRunning(QProcess &process, int timeoutMs);

    // The lock of a running copy taken by this process, as the program entry takes it.
    void HoldLockAsFirstCopy();

    std::unique_ptr<QTemporaryDir> Dir;
    AnsiString Root;            // the test's folder
    AnsiString ProgramFolder;   // Root + "/prog"
    AnsiString ProgramFile;     // ProgramFolder + "/quillet" (not the real file; named by ParamStr(0))
    AnsiString SettingsFile;    // Root + "/settings.reg"
    TMainForm *Form = nullptr;
    std::unique_ptr<TNamedSemaphore> Lock;
};

std::vector<AnsiString> SplitLines(const AnsiString &text);
AnsiString ReadFileBytes(const AnsiString &path);
