// The text-resource manager from the keyboard: Tab leaves the text box, which holds no TABs, and
// walks the window's controls.
#include "platform/ToolBar.h"
#include "shell/KeyboardTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "textres/TRM.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

namespace {

using Names = std::vector<std::string>;

class TextResManagerLayout : public KeyboardTest {};

} // namespace

// F7, Search, a click on the found text and one into the text box: Tab moves on and the text
// stays as it was, in the box and in the list.
TEST_F(TextResManagerLayout, TabLeavesTheTextBox)
{
    OpenForKeys("Script07.kas", "// JOTE\r\n!!IF:M^Hello^;\r\n", "KAS_Document");
    const auto shown = LookAtModal<TTxtResMan>([&] { Key(Qt::Key_F7); }, [&](TTxtResMan &manager) {
        QTest::mouseClick(manager.ToolButton3, Qt::LeftButton);
        ASSERT_EQ(manager.ListBox1->count(), 1);
        QListWidget *list = manager.ListBox1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        ASSERT_FALSE(manager.Memo1->isReadOnly());
        QTest::mouseClick(manager.Memo1->viewport(), Qt::LeftButton);
        ASSERT_EQ(FocusedField(), "Memo1");
        EXPECT_EQ(TabChain(&manager),
                  (Names{"Search", "Copy list", "Settings", "Paste list", "Apply selected", "Help", "Exit", "ListBox1"}));
        EXPECT_EQ(FromQ(manager.Memo1->toPlainText()), "Hello");
        EXPECT_EQ(FromQ(list->item(0)->text()), "Hello");
    });
    ASSERT_EQ(shown, std::vector<AnsiString>{"TTxtResMan"});
}
