// The cell editor of table windows as a user types into it, and the cell clipboard's paste by its
// key: the cell each way of showing one brings, what undo and redo bring back, and the bytes that
// Ctrl+S then writes.
#include "editing/FindDlg.h"
#include "platform/ActionList.h"
#include "platform/Dialogs.h"
#include "platform/TStringGrid.h"
#include "shell/KeyboardTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QTest>

namespace {

class CellEditorTest : public KeyboardTest
{
protected:
    // Ctrl+F, the text typed into the search dialog and Enter; the main window is active again
    // when the dialog has gone, as after a modal dialog.
    void FindByKeys(const char *text)
    {
        ModalRecorder dialogs([this, text](QDialog *d) {
            auto *search = qobject_cast<TTextSearchDialog *>(d);
            if (!search) return int(mrCancel);
            search->show();
            QTest::keyClicks(search->cbSearchText, text);
            QTest::keyClick(search->cbSearchText, Qt::Key_Return);
            EXPECT_TRUE(search->isHidden());
            QCoreApplication::processEvents();   // the window system takes note that it has gone
            Form->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(Form));
            return search->result() == QDialog::Accepted ? int(mrOk) : int(mrCancel);
        });
        Key(Qt::Key_F, Qt::ControlModifier);
        ASSERT_EQ(dialogs.ClassNames, (std::vector<AnsiString>{"TTextSearchDialog"}));
    }
};

// A table file of one row per entry: the first cell given, the others empty.
AnsiString RowsOf(std::initializer_list<const char *> firstCells, int colCount)
{
    AnsiString bytes;
    for (const char *cell : firstCells) bytes += cell + AnsiString(size_t(colCount - 1), '\t') + "\r\n";
    return bytes;
}

} // namespace

TEST_F(CellEditorTest, TheFirstCellShownAtOpeningKeepsItsLastLineBreak)
{
    const struct
    {
        const char *Name, *Kind;
        int Cols;
    } kinds[] = {{"t.cmd", "CMD_Document", 1}, {"t.kat", "KAT_Document", 4}, {"t.kao", "KAO_Document", 11}};
    for (const auto &k : kinds) {
        const AnsiString bytes = RowsOf({"a\n", "b"}, k.Cols);
        TForm_Editor *w = OpenForKeys(k.Name, bytes, k.Kind);
        ASSERT_EQ(Focused(), w->StringGrid1) << k.Kind;
        EXPECT_EQ(w->Memo2->Text(), "a\r\n\r\n") << k.Kind;
        Type("x");
        EXPECT_EQ(w->StringGrid1->Cells(0, 0), "a\x1Dx") << k.Kind;
        Key(Qt::Key_Backspace);
        EXPECT_EQ(SaveByKeys(w), bytes) << k.Kind;
        w->close();
    }
}

TEST_F(CellEditorTest, UndoGoesBackToTheTextTheCellWasShownWithAndNoFurther)
{
    const AnsiString bytes = RowsOf({"r0a", "r1a"}, 4);
    TForm_Editor *w = OpenForKeys("t.kat", bytes, "KAT_Document");
    TStringGrid *grid = w->StringGrid1;
    EXPECT_FALSE(Form->Undo_Action1->Enabled());   // nothing typed yet
    EXPECT_FALSE(Form->Redo_Action1->Enabled());

    // The first cell, typed into from the grid.
    Type("x");
    EXPECT_TRUE(Form->Undo_Action1->Enabled());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid->Cells(0, 0), "r0a");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid->Cells(0, 0), "r0a");
    // The undone step comes back through Redo (Ctrl+Alt+Z).
    EXPECT_FALSE(Form->Undo_Action1->Enabled());
    EXPECT_TRUE(Form->Redo_Action1->Enabled());
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(grid->Cells(0, 0), "r0ax");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid->Cells(0, 0), "r0a");

    // A cell found by Find, its hit typed over.
    FindByKeys("r1a");
    ASSERT_EQ(grid->Row(), 1);
    ASSERT_EQ(Focused(), w->Memo2);
    Type("y");
    EXPECT_EQ(grid->Cells(0, 1), "y");
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid->Cells(0, 1), "r1a");
    EXPECT_EQ(grid->Cells(0, 0), "r0a");
    EXPECT_EQ(SaveByKeys(w), bytes);
}

// Back in the grid after typing, Undo and Redo from the menu change the cell itself, not only the
// cell editor: the saved file holds what the grid and the editor show.
TEST_F(CellEditorTest, UndoAndRedoWhileTheGridHasTheFocusChangeTheCell)
{
    const AnsiString bytes = RowsOf({"r0a", "r1a"}, 4);
    TForm_Editor *w = OpenForKeys("t.kat", bytes, "KAT_Document");
    TStringGrid *grid = w->StringGrid1;
    Type("x");
    ASSERT_EQ(grid->Cells(0, 0), "r0ax");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->CellRect(0, 0).center());
    Idle();
    ASSERT_NE(Focused(), w->Memo2);
    ASSERT_TRUE(Form->Undo_Action1->Enabled());
    Form->Undo_Action1->Execute();   // Edit > Undo
    Idle();
    EXPECT_EQ(grid->Cells(0, 0), "r0a");
    EXPECT_EQ(SaveByKeys(w), bytes);
    Form->Redo_Action1->Execute();
    Idle();
    EXPECT_EQ(grid->Cells(0, 0), "r0ax");
}

TEST_F(CellEditorTest, FindAndFindNextShowTheHitWithItsLineBreaks)
{
    TForm_Editor *w = OpenForKeys("t.kat", "1\tfoo\n\t\t\r\n2\tfoo\n\n\t\t\r\n", "KAT_Document");
    TStringGrid *grid = w->StringGrid1;
    FindByKeys("foo");
    ASSERT_EQ(Focused(), w->Memo2);
    EXPECT_EQ(w->Memo2->SelText(), "foo");
    Type("QQ");
    EXPECT_EQ(grid->Cells(1, 0), "QQ\x1D");

    Key(Qt::Key_F3);   // Find next
    ASSERT_EQ(grid->Row(), 1);
    ASSERT_EQ(grid->Col(), 1);
    ASSERT_EQ(Focused(), w->Memo2);
    Type("R");
    EXPECT_EQ(grid->Cells(1, 1), "R\x1D\x1D");
    EXPECT_EQ(SaveByKeys(w), "1\tQQ\n\t\t\r\n2\tR\n\n\t\t\r\n");
}

TEST_F(CellEditorTest, APasteTakesTheTextAfterTheLastRowEndAsTheLastRow)
{
    const struct
    {
        const char *Clipboard, *Saved;
    } cases[] = {
        {"M1\nM2\r\nM3\n", "M1\nM2\r\nM3\n\r\n"},
        {"a\tb\r\nc\td", "a\tb\r\nc\td\r\n"},
        {"a\tb\r\n", "a\tb\r\n"},   // a final row end makes no empty row after it
        {"p\tq", "p\tq\r\n"},
    };
    for (const auto &c : cases) {
        TForm_Editor *w = OpenForKeys("t.cmd", "old\r\n", "CMD_Document");
        QGuiApplication::clipboard()->setText(ToQ(c.Clipboard));
        Idle();
        Key(Qt::Key_F3, Qt::ControlModifier);   // Paste to table
        EXPECT_EQ(SaveByKeys(w), c.Saved) << c.Clipboard;
        w->close();
    }
}
