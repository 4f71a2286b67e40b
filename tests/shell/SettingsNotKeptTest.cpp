// A settings file that cannot be written: the user is told once, at start, why settings will not
// be kept; working on and leaving the program then shows nothing more.
#include "shell/DocumentTestSupport.h"

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

class SettingsNotKept : public ShellTest
{
protected:
    void TearDown() override
    {
        SetFileWriteFault({});
        ShellTest::TearDown();
    }

    void SetUp() override
    {
        ShellTest::SetUp();
        Script = MakeFile("s.kas", "// JOTE\r\nbody\r\n");
    }

    // Starts, opens a script, closes the program; every message box on the way is recorded.
    std::vector<MessageBoxCall> RunSession()
    {
        MessageBoxRecorder boxes;
        Start();
        Show();
        Form->OpenDocument(Script, "KAS_Document");
        Close();
        return boxes.Calls;
    }

    bool LogHas(const AnsiString &line) const
    {
        const std::vector<AnsiString> body = LogBody();
        return std::find(body.begin(), body.end(), line) != body.end();
    }

    AnsiString Script;

    static AnsiString NotKeptText(const AnsiString &path, const AnsiString &reason)
    {
        return "Settings will not be kept: the settings file \"" + path + "\" cannot be written.\r\n" + reason;
    }
};

TEST_F(SettingsNotKept, AFullDiskIsToldOnceAtStartAndNotAtExit)
{
    WithSettings([](TRegistry &reg) { reg.WriteBool("AllowOnlyOneCopy", true); });
    SetFileWriteFault([](FileWriteStep, long long, long long &) { return ENOSPC; });
    const std::vector<MessageBoxCall> boxes = RunSession();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, NotKeptText(SettingsFile, std::strerror(ENOSPC)));
    EXPECT_EQ(boxes[0].Caption, "Quillet");
    EXPECT_EQ(boxes[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_TRUE(LogHas("Settings file \"" + SettingsFile + "\" cannot be written: " + std::strerror(ENOSPC)));
}

TEST_F(SettingsNotKept, AFolderThatTakesNoFileIsToldOnceAtStartAndNotAtExit)
{
    const AnsiString folder = Root + "/locked";
    ASSERT_TRUE(QDir().mkpath(ToQPath(folder)));
    const AnsiString settings = folder + "/registry.reg";
    setenv("QUILLET_REGISTRY", settings.c_str(), 1);
    QFile::setPermissions(ToQPath(Root), QFile::Permissions(0x7755));
    QFile::setPermissions(ToQPath(ProgramFolder), QFile::Permissions(0x7777));   // the start-up log
    QFile::setPermissions(ToQPath(folder), QFile::Permissions(0x5555));
    std::vector<MessageBoxCall> boxes;
    {
        UnprivilegedScope user;
        if (!user.Active()) GTEST_SKIP() << "no ordinary user to act as, for a folder that takes no file";
        boxes = RunSession();
    }
    QFile::setPermissions(ToQPath(folder), QFile::Permissions(0x7755));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text.substr(0, boxes[0].Text.find("\r\n")),
              "Settings will not be kept: the settings file \"" + settings + "\" cannot be written.");
    EXPECT_NE(boxes[0].Text.find("\r\n"), AnsiString::npos) << "no reason given: " << boxes[0].Text;
    EXPECT_FALSE(QFile::exists(ToQPath(settings)));
}

TEST_F(SettingsNotKept, AWritableSettingsFileIsNotMentioned)
{
    const std::vector<MessageBoxCall> boxes = RunSession();
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(QFile::exists(ToQPath(SettingsFile)));
}

} // namespace
