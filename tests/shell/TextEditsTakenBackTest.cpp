// A text document whose edits are all taken back, by deleting what was typed or by undo, is saved
// with the bytes it was opened with.
#include "shell/KeyboardTestSupport.h"

#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QTest>

namespace {

class TextEditsTakenBack : public KeyboardTest
{
};

} // namespace

TEST_F(TextEditsTakenBack, LeaveTheBytesTheFileHad)
{
    const struct
    {
        const char *Name;
        AnsiString Bytes;
        bool ByUndo;   // else by BackSpace
    } cases[] = {
        {"one empty line, BackSpace", "\r\n", false},
        {"one empty line, undo", "\r\n", true},
        {"empty file", "", false},
        {"empty file, undo", "", true},
        {"two empty lines", "\r\n\r\n", false},
        {"one line", "a\r\n", true},
    };
    int n = 0;
    for (const auto &c : cases) {
        TForm_Editor *w = OpenForKeys("t" + IntToStr(n++) + ".txt", c.Bytes, "TXT_Document");
        ASSERT_EQ(Focused(), w->Memo1) << c.Name;
        Type("xy");
        Key(c.ByUndo ? Qt::Key_Z : Qt::Key_Backspace, c.ByUndo ? Qt::ControlModifier : Qt::NoModifier);
        if (!c.ByUndo) Key(Qt::Key_Backspace);
        EXPECT_EQ(w->Memo1->Text(), c.Bytes) << c.Name;
        EXPECT_EQ(SaveByKeys(w), c.Bytes) << c.Name;
        w->close();
    }
}
