// Help in the dialogs: F1 and the Help buttons open the program's help at the dialog's context,
// and say so when the help file is missing, as the main window's help commands do.
#include "editing/GoToDlg.h"
#include "editing/SettingsDlg.h"
#include "editing/ToolsSetupDlg.h"
#include "platform/ActionList.h"
#include "platform/Shell.h"
#include "shell/DocumentCommands.h"
#include "shell/DocumentTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "shell/Main.h"

#include <QApplication>
#include <QTest>

namespace {

class DialogHelp : public DocumentTest
{
};

TEST_F(DialogHelp, F1InTheDialogsNamesAMissingHelpFile)
{
    OpenFile("a.kas", "JOTE\r\n", "KAS_Document");   // Go to works on scripts and texts
    // A folder named with an accent is shown by its own name.
    Form->QUILHelpPath = Root + "/d\xC3\xA9/quill.hlp";
    const struct
    {
        const char *Name;
        TAction *Action;
        long Context;
    } cases[] = {
        {"Go to", Form->GoToAction1, 109},
        {"Settings", Form->Settings1, 113},
        {"Tools setup", Form->ConfigureTools1, 108},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Boxes->Calls.clear();
        ShellRecording shell;
        ModalRecorder modal([](QDialog *dialog) {
            ShowActive(dialog);
            QWidget *focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : dialog, Qt::Key_F1);
            return int(mrCancel);
        });
        Form->ActionList1->UpdateActions();
        ASSERT_TRUE(c.Action->Execute());
        ASSERT_EQ(modal.ClassNames.size(), 1u);
        ASSERT_EQ(shell.Calls().size(), 1u);
        EXPECT_EQ(shell.Calls()[0].Kind, ShellCall::scWinHelp);
        EXPECT_EQ(shell.Calls()[0].Data, c.Context);
        ASSERT_EQ(Boxes->Calls.size(), 1u);
        EXPECT_EQ(Boxes->Calls[0].Text, "File \"" + Root + "/d\xE9/quill.hlp\" not found.");
        EXPECT_EQ(Boxes->Calls[0].Caption, FromQ(Form->windowTitle()));
        EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
    }
}

TEST_F(DialogHelp, AnExistingHelpFileOpensWithoutAMessage)
{
    Form->QUILHelpPath = MakeFile("d\xC3\xA9/quill.hlp", "help");
    ShellRecording shell;
    ModalRecorder modal([](QDialog *dialog) {
        ShowActive(dialog);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog, Qt::Key_F1);
        return int(mrCancel);
    });
    ASSERT_TRUE(Form->ConfigureTools1->Execute());
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Target, Form->QUILHelpPath);
    EXPECT_TRUE(Boxes->Calls.empty());
}

TEST(HelpNotShownText, SaysWhyTheHelpShowsNothing)
{
    const struct
    {
        const char *Path, *Game;
        bool Exists;
        const char *Text;
    } cases[] = {
        {"/opt/q/quill.hlp", "/games/t", false, "File \"/opt/q/quill.hlp\" not found."},
        {"", "/games/t", false, "File \"\" not found."},
        {"/opt/d\xC3\xA9/quill.hlp", "/games/t", false, "File \"/opt/d\xE9/quill.hlp\" not found."},
        {"none/kas_help/index.htm", "none", false, "File \"kas_help/index.htm\" not found: no game folder is set."},
        // A folder that happens to be named "none" is a folder like any other while a game is known.
        {"none/kas_help/index.htm", "/games/t", false, "File \"none/kas_help/index.htm\" not found."},
        {"/opt/q/quill.hlp", "none", true,
         "File \"/opt/q/quill.hlp\" could not be opened: no program is set to show it."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(HelpNotShownText(c.Path, c.Game, c.Exists), c.Text);
    }
}

} // namespace
