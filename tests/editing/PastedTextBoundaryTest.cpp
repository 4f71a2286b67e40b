// Clipboard text pasted into table cells or the text-resource list: a character the documents'
// 8-bit code cannot hold is refused by name and nothing is pasted; text it can hold goes in.
#include "platform/ActionList.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "shell/DocumentTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "textres/TRM.h"

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <functional>

namespace {

class PastedTextBoundary : public DocumentTest
{
protected:
    void ExpectRefused(const QString &pasted)
    {
        ASSERT_EQ(Boxes->Calls.size(), 1u);
        EXPECT_EQ(Boxes->Calls[0].Text, RefusedInputText(CheckedFromQ(pasted), "the pasted text"));
        EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
        Boxes->Calls.clear();
    }
};

struct CellPaste
{
    const char *Name;
    std::function<void(TMainForm *)> Paste;
};

const CellPaste CellPastes[] = {
    {"paste to table",
     [](TMainForm *form) {
         form->ActionList1->UpdateActions();
         EXPECT_TRUE(form->PasteCellAction1->Execute());
     }},
    {"paste message from another copy",
     [](TMainForm *form) { EXPECT_TRUE(form->WndProc(form->WM_QUIL_PasteTblCellFromClipboard, "")); }},
};

} // namespace

TEST_F(PastedTextBoundary, ACellPasteWithALetterTheTableCannotHoldPastesNothing)
{
    for (const CellPaste &c : CellPastes) {
        SCOPED_TRACE(c.Name);
        TForm_Editor *w = OpenFile(AnsiString("t") + IntToStr(EditorCount()) + ".cmd", "a\tb\r\n", "CMD_Document");
        TStringGrid *grid = w->StringGrid1;
        grid->SetCol(1);
        const QString refused = QString::fromUtf8("x\tЖ\r\n");
        QGuiApplication::clipboard()->setText(refused);
        c.Paste(Form);
        ExpectRefused(refused);
        EXPECT_EQ(grid->Cells(0, 0), "a");
        EXPECT_EQ(grid->Cells(1, 0), "b");
        EXPECT_EQ(grid->ColCount(), 2);
        EXPECT_FALSE(w->IsModified());

        QGuiApplication::clipboard()->setText(QString::fromUtf8("é\r\n"));
        c.Paste(Form);
        EXPECT_EQ(grid->Cells(1, 0).substr(0, 1), "\xE9");
        EXPECT_TRUE(Boxes->Calls.empty());
    }
}

TEST_F(PastedTextBoundary, PasteListWithALetterTheScriptCannotHoldKeepsEveryText)
{
    OpenFile("Script02.kas", "!!IF:M^a^;\r\n!!IF:M^b^;\r\n", "KAS_Document");
    TTxtResMan manager(Form);
    ShowActive(&manager);
    manager.ToolButton3Click();
    ASSERT_EQ(manager.ItemCount(), 2);
    manager.ListBox1->setCurrentRow(0);
    const QString refused = QString::fromUtf8("x\r\n<<<_END_OF_MESSAGE_>>>\r\nД");
    QApplication::clipboard()->setText(refused);
    QTest::mouseClick(manager.ToolButton7, Qt::LeftButton);
    ExpectRefused(refused);
    EXPECT_EQ(manager.ItemText(0), "a");
    EXPECT_EQ(manager.ItemText(1), "b");
    EXPECT_EQ(manager.Memo1->toPlainText(), "a");

    QApplication::clipboard()->setText(QString::fromUtf8("x\r\n<<<_END_OF_MESSAGE_>>>\r\nü"));
    QTest::mouseClick(manager.ToolButton7, Qt::LeftButton);
    EXPECT_EQ(manager.ItemText(0), "x");
    EXPECT_EQ(manager.ItemText(1), "\xFC");
    EXPECT_TRUE(Boxes->Calls.empty());
}
