// Two real processes: this test's main window is the first copy; the built program, started with
// two files, hands them over and ends. The files open for real, in order, and reach the settings.
#include "shell/DocumentTestSupport.h"

#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QProcess>

namespace {

class SecondCopyOpensFiles : public DocumentTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        HoldLockAsFirstCopy();
        Boxes = std::make_unique<MessageBoxRecorder>();
        Start();
        Show();
    }
};

TEST_F(SecondCopyOpensFiles, BothFilesOpenInTheFirstCopyInOrderAndAreStoredAtShutDown)
{
    const AnsiString script = MakeFile("first.kas", "QUIL_ScriptName=one\nsay\n\r");
    const AnsiString table = MakeFile("second.kat", "1\ttext\t\t\r\n");
    const AnsiString exe = CopyProgram("second");
    QProcess copy;
    copy.setProcessEnvironment(CopyEnvironment());
    copy.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copy.start(ToQPath(exe), {ToQPath(script), ToQPath(table)});
    ASSERT_TRUE(copy.waitForStarted(10000));
    ASSERT_TRUE(WaitWhileRunning(copy, 60000));
    EXPECT_EQ(copy.exitCode(), 0);

    ASSERT_EQ(Captions(), std::vector<AnsiString>({script, table}));
    EXPECT_EQ(Editor(0)->Memo1->Lines.Strings(0), "QUIL_ScriptName=one");
    EXPECT_EQ(Editor(1)->StringGrid1->Cells(1, 0), "text");
    EXPECT_EQ(Form->ReopenList(), QStringList({ToQPath(table), ToQPath(script)}));
    EXPECT_TRUE(Boxes->Calls.empty());

    Close();
    WithSettings([&](TRegistry &reg) {
        EXPECT_EQ(reg.ReadString("ReOpen0"), table);
        EXPECT_EQ(reg.ReadString("ReOpen1"), script);
        EXPECT_FALSE(reg.ValueExists("ReOpen2"));
    });
}

} // namespace
