// The changed marker stays while the text differs from the file: undoing every typed step brings back
// an unchanged document only when the text was the file's before the first step.
#include "shell/DocumentTestSupport.h"

#include "platform/ToolBar.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QTest>

namespace {

class ChangedMarker : public DocumentTest
{
protected:
    // A key in the text pane, the actions brought up to date first as the idle program does.
    void Press(TForm_Editor *w, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        Form->ActionList1->UpdateActions();
        QTest::keyClick(w->Memo1, key, modifiers);
    }
    // "Reopen document".
    void Reopen(TForm_Editor *w) { Press(w, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier); }

    // The Undo button of the main tool bar (Edit > Undo).
    void ClickUndo()
    {
        Form->ActionList1->UpdateActions();
        for (QToolButton *child : Form->ToolBar3->findChildren<QToolButton *>())
            if (auto *button = dynamic_cast<TToolButton *>(child); button && button->Action() == Form->Undo_Action1)
                return QTest::mouseClick(button, Qt::LeftButton);
        ADD_FAILURE() << "no Undo button";
    }
};

TEST_F(ChangedMarker, UndoingTheTypedStepKeepsARenamedTagMarkedAsChanged)
{
    const AnsiString legacy = "JOTE\r\nAUTO_ScriptName=Demo\r\n";
    const AnsiString plain = "JOTE\r\nQUIL_ScriptName=Demo\r\n";
    const struct
    {
        const char *Name;
        AnsiString Opened;        // the file when it is opened
        AnsiString Reopened;      // the file when it is read again; empty: not read again
        bool ChangedAfterUndo;
    } cases[] = {
        {"renamed on opening", legacy, "", true},
        {"renamed on reopening", plain, legacy, true},
        {"nothing to rename", plain, "", false},
        {"nothing to rename on reopening", legacy, plain, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        TForm_Editor *w = OpenFile("s.kas", c.Opened, "KAS_Document");
        if (!c.Reopened.empty()) {
            WriteBytes(Root + "/s.kas", c.Reopened);
            w->SetModified(false);   // no question about dropping changes
            Reopen(w);
        }
        ASSERT_EQ(w->Memo1->Lines[1], "QUIL_ScriptName=Demo");
        QTest::keyClicks(w->Memo1, "x");
        ASSERT_TRUE(w->IsModified());
        ClickUndo();
        EXPECT_FALSE(w->Memo1->CanUndo());
        EXPECT_EQ(w->Memo1->Lines[1], "QUIL_ScriptName=Demo");
        EXPECT_EQ(w->IsModified(), c.ChangedAfterUndo);

        // Closing offers to save exactly when the text is not the file's.
        Boxes->Calls.clear();
        Boxes->Answers = {IDNO};
        w->close();
        QCoreApplication::processEvents();
        EXPECT_EQ(Boxes->Calls.size(), c.ChangedAfterUndo ? 1u : 0u);
        EXPECT_EQ(EditorCount(), 0);
    }
}

// After a save the file holds the renamed tag: undoing every later step leaves the document unchanged.
TEST_F(ChangedMarker, ASaveMakesTheRenamedTextTheFilesText)
{
    TForm_Editor *w = OpenFile("s.kas", "JOTE\r\nAUTO_ScriptName=Demo\r\n", "KAS_Document");
    ASSERT_TRUE(w->IsModified());
    Press(w, Qt::Key_S, Qt::ControlModifier);
    ASSERT_FALSE(w->IsModified());
    QTest::keyClicks(w->Memo1, "x");
    ClickUndo();
    EXPECT_FALSE(w->IsModified());
}

} // namespace
