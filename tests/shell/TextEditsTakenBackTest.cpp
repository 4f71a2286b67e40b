// A text document whose edits are all taken back, by deleting what was typed or by undo, is saved
// with the bytes it was opened with.
#include "shell/KeyboardTestSupport.h"

#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QCoreApplication>
#include <QPointer>
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

// Undo by key and from the Edit menu is one command: back at the text the file has, the document
// is no longer marked changed and closes without a question. Each redo key brings the edit back,
// and with it the marker.
TEST_F(TextEditsTakenBack, UndoByKeyOrMenuClearsTheMarkerAtTheSavedText)
{
    const struct
    {
        const char *Name;
        bool ByMenu;
        bool SavedFirst;   // an edit saved with Ctrl+S before the one taken back
    } cases[] = {
        {"Ctrl+Z", false, false},
        {"Edit > Undo", true, false},
        {"Ctrl+Z after a save", false, true},
    };
    int n = 0;
    for (const auto &c : cases) {
        TForm_Editor *w = OpenForKeys("h" + IntToStr(n++) + ".txt", "hello\r\n", "TXT_Document");
        ASSERT_EQ(Focused(), w->Memo1) << c.Name;
        Key(Qt::Key_End, Qt::ControlModifier);
        if (c.SavedFirst) {
            Type("P");
            EXPECT_EQ(SaveByKeys(w), "helloP\r\n") << c.Name;
        }
        const AnsiString saved = w->Memo1->Text();
        Type("Q");
        EXPECT_TRUE(w->IsModified()) << c.Name;
        if (c.ByMenu)
            ChooseFromMenu(Form->Edit1, Form->Undo_Action1);
        else
            Key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(w->Memo1->Text(), saved) << c.Name;
        EXPECT_FALSE(w->IsModified()) << c.Name;

        const QPointer<TForm_Editor> window = w;
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(Boxes->Calls.empty()) << c.Name << ": " << (Boxes->Calls.empty() ? "" : Boxes->Calls[0].Text);
        EXPECT_TRUE(!window || window->isHidden()) << c.Name;
        Boxes->Calls.clear();
    }
}

TEST_F(TextEditsTakenBack, EveryRedoKeyBringsTheEditAndTheMarkerBack)
{
    TForm_Editor *w = OpenForKeys("r.txt", "hello\r\n", "TXT_Document");
    Key(Qt::Key_End, Qt::ControlModifier);
    Type("Q");
    const struct
    {
        const char *Name;
        Qt::KeyboardModifiers Modifiers;
        Qt::Key Key;
    } redoKeys[] = {
        {"Ctrl+Alt+Z", Qt::ControlModifier | Qt::AltModifier, Qt::Key_Z},
        {"Ctrl+Y", Qt::ControlModifier, Qt::Key_Y},
        {"Ctrl+Shift+Z", Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z},
    };
    for (const auto &redo : redoKeys) {
        Key(Qt::Key_Z, Qt::ControlModifier);
        ASSERT_EQ(w->Memo1->Text(), "hello\r\n") << redo.Name;
        EXPECT_FALSE(w->IsModified()) << redo.Name;
        Key(redo.Key, redo.Modifiers);
        EXPECT_EQ(w->Memo1->Text(), "helloQ\r\n") << redo.Name;
        EXPECT_TRUE(w->IsModified()) << redo.Name;
    }
}
