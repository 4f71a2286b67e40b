#include "platform/ActionList.h"
#include "platform/ToolBar.h"

#include <gtest/gtest.h>
#include <QMainWindow>
#include <QMenu>

namespace {

class ToolBarTest : public ::testing::Test
{
protected:
    QMainWindow window;
    TToolBar *bar = new TToolBar(&window);
    TToolButton *plain = bar->AddButton("Ok");

    ToolBarTest()
    {
        window.addToolBar(bar);
        window.show();
    }
};

TEST_F(ToolBarTest, ButtonPropertiesAndVisibilityInsideTheBar)
{
    plain->SetHint("Close window (Esc)");
    EXPECT_EQ(plain->toolTip(), "Close window (Esc)");
    EXPECT_EQ(plain->statusTip(), "Close window (Esc)");
    EXPECT_EQ(plain->Caption(), "Ok");
    plain->SetEnabled(false);
    EXPECT_FALSE(plain->Enabled());
    bar->setEnabled(false);
    plain->SetEnabled(true);
    EXPECT_TRUE(plain->Enabled()) << "the button's own flag, not its bar's";
    bar->setEnabled(true);

    plain->SetVisible(false);
    EXPECT_FALSE(plain->isVisible());
    EXPECT_FALSE(plain->Visible());
    plain->SetVisible(true);
    EXPECT_TRUE(plain->isVisible());
    EXPECT_EQ(bar->ButtonCount(), 1);
    EXPECT_EQ(bar->Buttons(0), plain);
    bar->AddButton("Help");
    delete plain;
    ASSERT_EQ(bar->ButtonCount(), 1);
    EXPECT_EQ(bar->Buttons(0)->Caption(), "Help");
}

TEST_F(ToolBarTest, DownLookIsTheHandlersUnlessTheButtonToggles)
{
    int clicks = 0;
    plain->OnClick = [&] { ++clicks; };
    plain->SetDown(true);
    plain->click();
    EXPECT_TRUE(plain->Down());
    plain->SetDown(false);
    plain->click();
    EXPECT_FALSE(plain->Down());
    plain->Toggles = true;
    plain->click();
    EXPECT_TRUE(plain->Down());
    EXPECT_EQ(clicks, 3);
}

TEST_F(ToolBarTest, ButtonFollowsItsAction)
{
    TAction action("Open");
    int runs = 0;
    action.OnExecute = [&] { ++runs; };
    QMenu reopen;
    TToolButton *open = bar->AddButton(&action);
    open->SetDropdownMenu(&reopen);
    action.SetHint("Open document (Ctrl+O)");
    EXPECT_EQ(open->Caption(), "Open");
    EXPECT_EQ(open->toolTip(), "Open document (Ctrl+O)");
    open->click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(open->DropdownMenu(), &reopen);

    action.SetEnabled(false);
    EXPECT_FALSE(open->isEnabled());
    action.SetEnabled(true);
    action.SetVisible(false);
    EXPECT_FALSE(open->isVisible());
    action.SetVisible(true);
    EXPECT_TRUE(open->isVisible());
    action.SetChecked(true);
    EXPECT_TRUE(open->Down());
    open->SetDown(false);
    EXPECT_FALSE(action.Checked());
    open->click();
    EXPECT_FALSE(open->Down()) << "a click leaves the check mark to the handler";
    EXPECT_EQ(runs, 2);
}

} // namespace
