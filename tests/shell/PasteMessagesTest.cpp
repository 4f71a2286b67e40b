// The two paste messages another copy may send: the text pane pastes at its caret, the table's
// current cell takes the clipboard text with its line breaks as in-cell breaks.
#include "platform/TStringGrid.h"
#include "shell/DocumentFiles.h"
#include "shell/DocumentTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

class PasteMessages : public DocumentTest {};

TEST_F(PasteMessages, TextPanePastesAtItsCaret)
{
    Start();
    TForm_Editor *script = OpenFile("a.kas", "ab\n", KAS_Document);
    script->Memo1->SetSelStart(1);
    QGuiApplication::clipboard()->setText("XY");
    EXPECT_TRUE(Form->WndProc(Form->WM_QUIL_PasteTextFromClipboard, ""));
    EXPECT_EQ(script->Memo1->Text(), "aXYb\r\n");
    // A table in front ignores the text message.
    TForm_Editor *table = OpenFile("t.cmd", "c\r\n", CMD_Document);
    EXPECT_TRUE(Form->WndProc(Form->WM_QUIL_PasteTextFromClipboard, ""));
    EXPECT_EQ(table->StringGrid1->Cells(0, 0), "c");
}

TEST_F(PasteMessages, TableCellTakesTheClipboardWithInCellBreaks)
{
    Start();
    TForm_Editor *table = OpenFile("t.cmd", "a\tb\r\n", CMD_Document);
    table->StringGrid1->SetCol(1);
    QGuiApplication::clipboard()->setText(ToQ("one\r\ntwo\xE9"));
    EXPECT_TRUE(Form->WndProc(Form->WM_QUIL_PasteTblCellFromClipboard, ""));
    EXPECT_EQ(table->StringGrid1->Cells(1, 0), "one\x1Dtwo\xE9");
    EXPECT_EQ(table->StringGrid1->Cells(0, 0), "a");
    // A text pane in front ignores the cell message.
    TForm_Editor *script = OpenFile("a.kas", "ab\n", KAS_Document);
    EXPECT_TRUE(Form->WndProc(Form->WM_QUIL_PasteTblCellFromClipboard, ""));
    EXPECT_EQ(script->Memo1->Text(), "ab\r\n");
}

TEST(ClipboardTextToCell, OnlyCrLfPairsBecomeInCellBreaks)
{
    EXPECT_EQ(ClipboardTextToCell("a\r\nb\nc\rd\r\n"), "a\x1D" "b\nc\rd\x1D");
    EXPECT_EQ(ClipboardTextToCell(""), "");
}

} // namespace
