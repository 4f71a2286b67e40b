#include "platform/ActionList.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Runs the event loop for a while, as the application does between the user's actions.
void RunEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class ActionListTest : public ::testing::Test
{
protected:
    QWidget window;
    TActionList list{&window};
    std::vector<std::string> calls;
    bool documentOpen = false;
    TAction *close = list.Add("Close");
    TAction *save = list.Add("Save");

    ActionListTest()
    {
        list.OnUpdate = [this] { calls.push_back("list"); };
        close->OnUpdate = [this] {
            calls.push_back("close");
            close->SetEnabled(documentOpen);
        };
        save->OnUpdate = [this] { calls.push_back("save"); };
        window.show();
        RunEventLoop(20);
        calls.clear();
    }
};

TEST_F(ActionListTest, UpdateOnDemandRunsTheListFirstThenEveryAction)
{
    list.UpdateActions();
    EXPECT_EQ(calls, (std::vector<std::string>{"list", "close", "save"}));
    EXPECT_FALSE(close->Enabled());
    documentOpen = true;
    list.UpdateActions();
    EXPECT_TRUE(close->Enabled());
}

TEST_F(ActionListTest, IdleRunsTheUpdatesAfterEventsButNotWhileNothingHappens)
{
    EXPECT_FALSE(close->Enabled());
    documentOpen = true;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(&window, &press);
    RunEventLoop(50);
    EXPECT_TRUE(close->Enabled()) << "no update after a key press";
    EXPECT_EQ(calls.front(), "list");

    // Nothing happens: at most the pass caused by the loop's own end timer, never a spinning loop.
    calls.clear();
    RunEventLoop(300);
    EXPECT_LE(calls.size(), 3u * 2);
}

TEST_F(ActionListTest, ExecuteRefreshesTheStateFirst)
{
    int runs = 0;
    close->OnExecute = [&] { ++runs; };
    close->SetEnabled(true);   // stale: no document is open
    close->trigger();
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(close->Enabled());
    documentOpen = true;
    EXPECT_TRUE(close->Execute());
    EXPECT_EQ(runs, 1);
}

TEST_F(ActionListTest, CheckMarkIsTheHandlersUnlessAutoCheck)
{
    save->SetChecked(false);
    save->trigger();
    EXPECT_FALSE(save->Checked());
    save->OnExecute = [this] { save->SetChecked(!save->Checked()); };
    save->trigger();
    EXPECT_TRUE(save->Checked());
    close->SetChecked(false);
    close->AutoCheck = true;
    documentOpen = true;
    list.UpdateActions();
    close->trigger();
    EXPECT_TRUE(close->Checked());
}

TEST_F(ActionListTest, HintIsToolTipAndStatusTipAndShortcutWorksInTheOwner)
{
    save->SetHint("Save document (Ctrl+S)");
    EXPECT_EQ(save->toolTip(), "Save document (Ctrl+S)");
    EXPECT_EQ(save->statusTip(), "Save document (Ctrl+S)");
    EXPECT_TRUE(window.actions().contains(save));
}

TEST_F(ActionListTest, ExceptionInAHandlerIsReportedNotThrownThroughTheLoop)
{
    std::string reported;
    TAction::OnUnhandledException = [&](const std::exception &e) { reported = e.what(); };
    save->OnExecute = [] { throw std::runtime_error("disk full"); };
    save->trigger();
    TAction::OnUnhandledException = nullptr;
    EXPECT_EQ(reported, "disk full");
}

TEST_F(ActionListTest, DeletedActionLeavesTheList)
{
    delete close;
    EXPECT_EQ(list.Count(), 1);
    list.UpdateActions();
    EXPECT_EQ(calls, (std::vector<std::string>{"list", "save"}));
}

} // namespace
