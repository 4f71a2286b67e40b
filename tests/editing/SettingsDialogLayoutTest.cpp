// The settings dialog from the keyboard: Tab walks its controls and passes the example pane by,
// which only shows how the settings look.
#include "editing/SettingsDlg.h"
#include "shell/Main.h"
#include "shell/KeyboardTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "synedit/SynMemo.h"

#include <QTest>

namespace {

using Names = std::vector<std::string>;

class SettingsDialogLayout : public KeyboardTest {};

} // namespace

// Ctrl+Alt+P, then Tab from the page's first control round the dialog: the example keeps its text,
// with the tabs off and on.
TEST_F(SettingsDialogLayout, TabPassesTheExampleBy)
{
    OpenForKeys("gate.kas", "// JOTE\r\n", "KAS_Document");
    for (const int tabWidth : {1, 4}) {
        SCOPED_TRACE(tabWidth);
        Form->activateWindow();   // back from the dialog of the round before, as a user's click does
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
        Idle();
        const auto shown = LookAtModal<TSettings_Form>(
            [&] { Key(Qt::Key_P, Qt::ControlModifier | Qt::AltModifier); },
            [&](TSettings_Form &dialog) {
                dialog.Example->SetTabWidth(tabWidth);
                const AnsiString example = dialog.Example->Text();
                EXPECT_EQ(FocusedField(), "qt_tabwidget_tabbar");
                EXPECT_EQ(TabChain(&dialog),
                          (Names{"FontComboBox", "UpDown1", "Tabs1", "UpDown2", "ListBox1", "ColorComboBox1",
                                 "ColorComboBox2", "CheckListBox3", "Example", "CheckListBox5", "Save && Close",
                                 "Close", "Help"}));
                EXPECT_EQ(dialog.Example->Text(), example);
            });
        ASSERT_EQ(shown, std::vector<AnsiString>{"TSettings_Form"});
    }
}
