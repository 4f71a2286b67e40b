// A settings file that cannot be written: the user is told once, at start, why settings will not
// be kept; working on and leaving the program then shows nothing more.
#include "shell/DocumentTestSupport.h"

#include "editing/SettingsDlg.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/ToolBar.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QDir>
#include <QFile>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

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

// A folder where the settings file should be: the same message at start as for a file that
// cannot be written, with the reason, and stderr says each thing once.
TEST_F(SettingsNotKept, AFolderNamedAsTheSettingsFileIsToldOnceAtStart)
{
    const AnsiString folder = Root + "/registry.reg";
    ASSERT_TRUE(QDir().mkpath(ToQPath(folder)));
    setenv("QUILLET_REGISTRY", folder.c_str(), 1);
    StderrCapture err;
    const std::vector<MessageBoxCall> boxes = RunSession();
    const std::vector<AnsiString> lines = err.Lines("Quillet: ");
    EXPECT_TRUE(SaidOnce(lines));
    EXPECT_LE(lines.size(), 2u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, NotKeptText(folder, std::strerror(EISDIR)));
    EXPECT_EQ(boxes[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
}

// Told at start that settings are not kept, Save && Close in the settings dialog applies the
// choices for this run without a second box, and stderr tells the failure once.
TEST_F(SettingsNotKept, SaveAndCloseAfterTheStartMessageSaysNothingMore)
{
    const struct
    {
        const char *Name;
        bool LockedFolder;   // else a full disk
    } cases[] = {{"a full disk", false}, {"a folder and a file that take no change", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        const AnsiString folder = Root + "/" + (c.LockedFolder ? "locked" : "full");
        ASSERT_TRUE(QDir().mkpath(ToQPath(folder)));
        const AnsiString settings = folder + "/registry.reg";
        setenv("QUILLET_REGISTRY", settings.c_str(), 1);
        std::optional<UnprivilegedScope> user;
        if (c.LockedFolder) {
            WriteBytes(settings, "REGEDIT4\r\n");
            QFile::setPermissions(ToQPath(Root), QFile::Permissions(0x7755));
            QFile::setPermissions(ToQPath(ProgramFolder), QFile::Permissions(0x7777));   // the start-up log
            QFile::setPermissions(ToQPath(settings), QFile::Permissions(0x4444));
            QFile::setPermissions(ToQPath(folder), QFile::Permissions(0x5555));
            user.emplace();
            if (!user->Active()) GTEST_SKIP() << "no ordinary user to act as, for a folder that takes no file";
        } else {
            SetFileWriteFault([](FileWriteStep, long long, long long &) { return ENOSPC; });
        }
        MessageBoxRecorder boxes;
        StderrCapture err;
        Start();
        Show();
        bool accepted = false;
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<TSettings_Form *>(dialog);
            EXPECT_NE(form, nullptr);
            if (!form) return int(mrCancel);
            dialog->show();
            form->UpDown1->setValue(23);
            QTest::mouseClick(form->ToolButton1, Qt::LeftButton);
            accepted = dialog->result() == QDialog::Accepted;
            return dialog->result();
        });
        Form->Settings1->Execute();
        const int fontSize = Form->EditorFontSize;
        Close();
        const std::vector<AnsiString> lines = err.Lines("Quillet: ");
        user.reset();
        SetFileWriteFault({});
        QFile::setPermissions(ToQPath(folder), QFile::Permissions(0x7755));

        EXPECT_TRUE(SaidOnce(lines));
        ASSERT_EQ(boxes.Calls.size(), 1u) << boxes.Calls.back().Text;
        EXPECT_EQ(boxes.Calls[0].Text.rfind("Settings will not be kept: the settings file \"" + settings, 0), 0u);
        EXPECT_NE(boxes.Calls[0].Text.find("\r\n"), AnsiString::npos) << "no reason: " << boxes.Calls[0].Text;
        EXPECT_TRUE(accepted);
        EXPECT_EQ(fontSize, 23);
    }
}

} // namespace
