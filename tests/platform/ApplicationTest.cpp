#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>
#include <QWidget>

namespace {

// Every test leaves the real command line and a fresh state behind.
class ApplicationTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        Application->SetCommandLine({});
        Application->ClearTerminated();
        SetApplicationWindow(nullptr);
    }
};

TEST_F(ApplicationTest, ParamStrGivesTheProgramAndTheArgumentsAsBytes)
{
    Application->SetCommandLine({"/opt/quillet/quillet", "a b.kas", "\xE9t\xE9.txt", "", "\"q\""});
    EXPECT_EQ(Application->ParamCount(), 4);
    EXPECT_EQ(ParamCount(), 4);
    struct Case { int i; AnsiString value; };
    const Case cases[] = {
        {-1, ""}, {0, "/opt/quillet/quillet"}, {1, "a b.kas"}, {2, "\xE9t\xE9.txt"}, {3, ""}, {4, "\"q\""}, {5, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Application->ParamStr(c.i), c.value) << c.i;
        EXPECT_EQ(ParamStr(c.i), c.value) << c.i;
    }
    EXPECT_EQ(Application->ExeName(), "/opt/quillet/quillet");
}

TEST_F(ApplicationTest, ARelativeProgramPathBecomesAbsolute)
{
    Application->SetCommandLine({"bin/quillet"});
    EXPECT_EQ(Application->ParamCount(), 0);
    EXPECT_EQ(Application->ParamStr(0), FromQPath(QDir::current().absoluteFilePath("bin/quillet")));
    EXPECT_EQ(Application->ParamStr(1), "");
}

TEST_F(ApplicationTest, RealCommandLineNamesTheRunningProgram)
{
    const AnsiString exe = Application->ParamStr(0);
    EXPECT_EQ(exe, FromQPath(QCoreApplication::applicationFilePath()));
    EXPECT_EQ(exe[0], '/');

    // Initialize keeps the bytes as given, but the program file stays the real one.
    char prog[] = "test_platform", a1[] = "x\xE9y.kas", a2[] = "two words";
    char *argv[] = {prog, a1, a2};
    Application->Initialize(3, argv);
    EXPECT_EQ(Application->ParamCount(), 2);
    EXPECT_EQ(Application->ParamStr(0), exe);
    EXPECT_EQ(Application->ParamStr(1), "x\xE9y.kas");
    EXPECT_EQ(Application->ParamStr(2), "two words");
}

TEST_F(ApplicationTest, TitleIsTheProgramNameUntilSet)
{
    TApplication fresh;
    fresh.SetCommandLine({"/opt/q/Quillet.exe"});
    EXPECT_EQ(fresh.Title(), "Quillet");
    fresh.SetTitle("Quillet \xE9");
    EXPECT_EQ(fresh.Title(), "Quillet \xE9");
    fresh.SetTitle("");
    EXPECT_EQ(fresh.Title(), "");
}

TEST_F(ApplicationTest, TerminateBeforeTheLoopEndsItAtOnceWithoutShowing)
{
    QWidget mainForm;
    Application->Terminate();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(Application->Run(&mainForm), 0);
    EXPECT_FALSE(mainForm.isVisible());

    // Later modal loops still run normally.
    QDialog dialog;
    QTimer::singleShot(0, &dialog, [&] { dialog.done(mrYes); });
    EXPECT_EQ(ShowModal(&dialog), mrYes);
}

TEST_F(ApplicationTest, TerminateEndsARunningLoopAlsoFromAModalDialog)
{
    QWidget mainForm;
    bool shownWhileRunning = false;
    QDialog dialog;
    QTimer::singleShot(0, [&] {
        shownWhileRunning = mainForm.isVisible();
        QTimer::singleShot(0, [&] { Application->Terminate(); });
        ShowModal(&dialog);
    });
    EXPECT_EQ(Application->Run(&mainForm), 0);
    EXPECT_TRUE(shownWhileRunning);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ApplicationTest, ProcessMessagesHandlesPendingEvents)
{
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    QMetaObject::invokeMethod(qApp, [&] { ++ran; }, Qt::QueuedConnection);
    Application->ProcessMessages();
    EXPECT_EQ(ran, 2);
}

TEST_F(ApplicationTest, MinimizeAndRestoreActOnTheApplicationWindow)
{
    QWidget mainForm;
    mainForm.showMaximized();
    SetApplicationWindow(&mainForm);
    Application->Minimize();
    EXPECT_TRUE(Application->IsMinimized());
    EXPECT_TRUE(mainForm.isMinimized());
    Application->Restore();
    EXPECT_FALSE(mainForm.isMinimized());
    EXPECT_TRUE(mainForm.isMaximized());   // restored to what it was

    QWidget other;
    other.showMinimized();
    Application->BringToFront(&other);
    EXPECT_TRUE(other.isVisible());
    EXPECT_FALSE(other.isMinimized());
}

TEST_F(ApplicationTest, UncaughtExceptionIsReportedUnderTheTitle)
{
    TApplication app;
    app.SetTitle("Quillet");
    MessageBoxRecorder rec;
    app.ShowException(Exception("Disk full"));
    app.ShowException(Exception("Done."));
    app.ShowException(Exception("Really?"));
    ASSERT_EQ(rec.Calls.size(), 3u);
    EXPECT_EQ(rec.Calls[0].Text, "Disk full.");
    EXPECT_EQ(rec.Calls[0].Caption, "Quillet");
    EXPECT_EQ(rec.Calls[0].Flags, unsigned(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(rec.Calls[1].Text, "Done.");
    EXPECT_EQ(rec.Calls[2].Text, "Really?.");
}

// An exception thrown out of an event handler is reported and the loop goes on.
TEST_F(ApplicationTest, ExceptionLeavingAnEventHandlerIsReportedAndTheLoopGoesOn)
{
    class Throwing : public QObject
    {
    public:
        bool event(QEvent *e) override
        {
            if (e->type() == QEvent::User) throw Exception("Handler failed");
            return QObject::event(e);
        }
    } target;
    MessageBoxRecorder rec;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    bool ranAfter = false;
    QTimer::singleShot(0, [&] { ranAfter = true; });
    Application->ProcessMessages();
    Application->ProcessMessages();
    ASSERT_EQ(rec.Calls.size(), 1u);
    EXPECT_EQ(rec.Calls[0].Text, "Handler failed.");
    EXPECT_TRUE(ranAfter);
}

} // namespace
