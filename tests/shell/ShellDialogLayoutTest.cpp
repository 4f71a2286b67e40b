// The new-document dialog and the about box at their first size: every text whole, and Tab
// through their controls in reading order.
#include "shell/About.h"
#include "shell/DocumentTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "shell/Main.h"
#include "shell/NewDocWin.h"

#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace {

using Names = std::vector<std::string>;

class ShellDialogLayout : public DocumentTest
{
protected:
    // Runs the action; its dialog is looked at while it is shown.
    template <typename Dialog> void Look(TAction *action, const std::function<void(Dialog &)> &look)
    {
        bool executed = false;
        const auto shown = LookAtModal<Dialog>([&] { executed = action->Execute(); }, look);
        ASSERT_TRUE(executed);
        ASSERT_EQ(shown.size(), 1u);
    }
};

} // namespace

// The five kinds, and the companions of the active script, whole without scrolling; the
// favourites page shows whole too.
TEST_F(ShellDialogLayout, NewDocumentShowsEveryEntryWhole)
{
    WithSettings([&](TRegistry &reg) {
        reg.WriteString("FavouritesFileList", Root + "/a.kas\tKAS_Document\r\n" + Root + "/b.txt\tTXT_Document\r\n");
    });
    for (const char *script : {"", "s.kas", "Tarrowmere_campaign_01.kas"}) {
        SCOPED_TRACE(script);
        const bool companions = *script;
        if (companions) OpenFile(script, "// JOTE\r\n", "KAS_Document");
        Look<TNewDocForm>(Form->NewDoc, [&](TNewDocForm &dialog) {
            EXPECT_EQ(dialog.ListView1->count(), companions ? 7 : 5);
            EXPECT_GE(dialog.width(), 400);
            EXPECT_GE(dialog.height(), 380);
            EXPECT_EQ(ClippedTexts(&dialog), Names());
            EXPECT_EQ(FocusedField(), "ListView1");
            EXPECT_EQ(TabChain(&dialog), (Names{"Select", "Close", "Help", "qt_tabwidget_tabbar"}));
            QTabBar *tabs = dialog.PageControl1->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
            EXPECT_EQ(dialog.PageControl1->currentIndex(), 1);
            EXPECT_EQ(ClippedTexts(&dialog), Names());
        });
    }
}

// The credits and the report need no side-scrolling.
TEST_F(ShellDialogLayout, AboutBoxShowsItsTextsWhole)
{
    Look<TAboutBox>(Form->HelpAbout1, [](TAboutBox &box) {
        EXPECT_GE(box.width(), 400);
        EXPECT_EQ(box.height(), 300);
        EXPECT_EQ(ClippedTexts(&box), Names());
        EXPECT_EQ(FocusedField(), "QPlainTextEdit");
        EXPECT_EQ(TabChain(&box), (Names{"Contacts...", "Ok"}));
    });
}
