// The table tools and the cell clipboard in real document windows of a main window, on real files.
#include "shell/DocumentTestSupport.h"

#include "platform/ActionList.h"
#include "platform/Colors.h"
#include "platform/StatusBar.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "platform/UpDown.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>

#include "shell/DocumentTestSupport.h"
#include "shell/MainTestSupport.h"

namespace {

class TableTools : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        QGuiApplication::clipboard()->clear();
    }

    // A key pressed on a control of the window, as the keyboard sends it.
    static void Press(QWidget *target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(target, &press);
    }

    // The main window's actions are brought up to date as when the program becomes idle.
    void Idle() { Form->ActionList1->UpdateActions(); }

    static std::vector<AnsiString> Row(const TStringGrid *grid, int row)
    {
        std::vector<AnsiString> cells;
        for (int c = 0; c < grid->ColCount(); ++c) cells.push_back(grid->Cells(c, row));
        return cells;
    }

    static AnsiString Clipboard() { return FromQ(QGuiApplication::clipboard()->text()); }
    static void SetClipboard(const AnsiString &text) { QGuiApplication::clipboard()->setText(ToQ(text)); }

    AnsiString Saved(TForm_Editor *w)
    {
        EXPECT_TRUE(Form->FileSave1Execute());
        EXPECT_FALSE(w->IsModified());
        return ReadFileBytes(w->Caption());
    }

    static void Select(TStringGrid *grid, int col, int row)
    {
        grid->SetCol(col);
        grid->SetRow(row);
    }
};

TEST_F(TableTools, AKatTableGetsANewRowWithTheNextFreeIndex)
{
    TForm_Editor *w = OpenFile("t.kat", "1\tone\t\t\r\n2\ttwo\t\t\r\n4\tfour\t\t\r\n", "KAT_Document");
    TStringGrid *grid = w->StringGrid1;
    ASSERT_EQ(grid->RowCount(), 3);
    EXPECT_FALSE(w->IsModified());

    Press(grid, Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(Row(grid, 3), (std::vector<AnsiString>{"3", "", "", ""}));
    EXPECT_TRUE(w->IsModified());
    EXPECT_TRUE(w->ToolButton9->Enabled());

    // Continuing instead of filling blanks; the button does the same as the key.
    w->Tofillinblanksofindexing1->trigger();
    w->ToolButton9->click();
    EXPECT_EQ(grid->Cells(0, 4), "5");
    // No indexing at all.
    w->Tocontinueindexing1->trigger();
    EXPECT_FALSE(w->Tofillinblanksofindexing1->isEnabled());
    w->ToolButton9->click();
    EXPECT_EQ(grid->Cells(0, 5), "");
    EXPECT_EQ(w->StatusBar2->Panels[2].Text(), IntToStr(grid->Row() + 1) + "/6");

    EXPECT_EQ(Saved(w), "1\tone\t\t\r\n2\ttwo\t\t\r\n4\tfour\t\t\r\n3\t\t\t\r\n5\t\t\t\r\n\t\t\t\r\n");
}

TEST_F(TableTools, IndexingAtTheLimitGivesZeroOnceAndNeverADuplicate)
{
    TForm_Editor *w = OpenFile("limit.kat", "999999999\tlast\t\t\r\n", "KAT_Document");
    w->Tofillinblanksofindexing1->trigger();   // continue from the largest
    for (int i = 0; i < 3; ++i) w->ToolButton9->click();
    EXPECT_EQ(w->StringGrid1->Cells(0, 1), "0");
    EXPECT_EQ(w->StringGrid1->Cells(0, 2), "");
    EXPECT_EQ(w->StringGrid1->Cells(0, 3), "");
}

TEST_F(TableTools, RowsAndColumnsAreInsertedAndDeletedAtTheCurrentCellAndSavedByteExactly)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\tc\r\nd\te\tf\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;
    Idle();

    Select(grid, 1, 0);
    Press(grid, Qt::Key_Left, Qt::ShiftModifier | Qt::AltModifier);    // insert row
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(Row(grid, 0), (std::vector<AnsiString>{"", "", ""}));
    EXPECT_EQ(Row(grid, 1), (std::vector<AnsiString>{"a", "b", "c"}));
    EXPECT_TRUE(w->IsModified());

    Press(grid, Qt::Key_Down, Qt::ShiftModifier | Qt::AltModifier);    // delete column 1
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(Row(grid, 2), (std::vector<AnsiString>{"d", "f"}));
    Press(grid, Qt::Key_Up, Qt::ShiftModifier | Qt::AltModifier);      // insert column at 1
    Press(grid, Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier); // add a column
    EXPECT_EQ(Row(grid, 1), (std::vector<AnsiString>{"a", "", "c", ""}));

    Select(grid, 0, 2);
    Idle();
    Press(grid, Qt::Key_Right, Qt::ShiftModifier | Qt::AltModifier);   // delete the last row
    Press(grid, Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);  // drop the last column
    EXPECT_EQ(w->StatusBar2->Panels[5].Text(), "1/3");
    EXPECT_EQ(Saved(w), "\t\t\r\na\t\tc\r\n");

    // One row left: the row buttons go off and their keys do nothing.
    Press(grid, Qt::Key_Up, Qt::ControlModifier | Qt::AltModifier);
    Idle();
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_FALSE(w->ToolButton8->Enabled());
    EXPECT_FALSE(w->ToolButton13->Enabled());
    Press(grid, Qt::Key_Right, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(grid->RowCount(), 1);
}

TEST_F(TableTools, FixedLayoutTablesKeepTheirColumns)
{
    TForm_Editor *w = OpenFile("t.kat", "1\ta\tb\tc\r\n2\td\te\tf\r\n", "KAT_Document");
    Idle();
    EXPECT_FALSE(w->ToolButton7->Enabled());
    EXPECT_FALSE(w->ToolButton18->Enabled());
    EXPECT_TRUE(w->ToolButton8->Enabled());
    Press(w->StringGrid1, Qt::Key_Down, Qt::ShiftModifier | Qt::AltModifier);
    Press(w->StringGrid1, Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(w->StringGrid1->ColCount(), 4);
    EXPECT_FALSE(w->IsModified());
}

TEST_F(TableTools, FixedRowsAndColumnsMoveTheCurrentCellButChangeNoDocument)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\r\nc\td\r\ne\tf\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;
    Press(grid, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    Press(grid, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(grid->FixedRows(), 1);
    EXPECT_EQ(grid->FixedCols(), 1);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(FromQ(w->Memo2->text()), "d");
    EXPECT_EQ(w->StatusBar2->Panels[2].Text(), "2/3");
    Press(grid, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);   // at most ColCount - 1
    EXPECT_EQ(grid->FixedCols(), 1);
    Press(grid, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(grid->FixedRows(), 0);
    EXPECT_FALSE(w->IsModified());
}

TEST_F(TableTools, TableKeysDoNothingInATextDocument)
{
    TForm_Editor *w = OpenFile("s.kas", "text\r\n", "KAS_Document");
    Press(w->Memo1, Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(w->StringGrid1->RowCount(), 1);
    Idle();
    EXPECT_FALSE(Form->CopyCellAction1->Enabled());
    EXPECT_FALSE(Form->SelectAllCellsAction1->Enabled());
}

TEST_F(TableTools, ABlockCopiedFromTheGridArrivesAsTabAndCrLfText)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\tc\tz\r\nd\te\x1D" "f\tg\tz\r\nz\tz\tz\tz\r\n", "CMD_Document");
    w->StringGrid1->SetSelection({0, 0, 2, 1});
    Idle();
    ASSERT_TRUE(Form->CopyCellAction1->Execute());
    EXPECT_EQ(Clipboard(), "a\tb\tc\r\nd\te\nf\tg\r\n");

    // Pasted into a text document it makes two lines.
    TForm_Editor *text = OpenFile("notes.txt", "", "TXT_Document");
    text->Memo1->PasteFromClipboard();
    EXPECT_EQ(text->Memo1->Lines.Strings(0), "a\tb\tc");
    EXPECT_EQ(text->Memo1->Lines.Strings(1), "d\te");
    EXPECT_EQ(text->Memo1->Lines.Strings(2), "f\tg");
}

TEST_F(TableTools, SpreadsheetTextPastesAtTheSelectionAndGrowsACommandTable)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\r\nc\td\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;
    Select(grid, 1, 1);
    SetClipboard("1\t2\n3\t4\n");   // as a spreadsheet on this platform copies two rows
    Idle();
    ASSERT_TRUE(Form->PasteCellAction1->Enabled());
    ASSERT_TRUE(Form->PasteCellAction1->Execute());
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(FromQ(w->Memo2->text()), "1");
    EXPECT_EQ(Saved(w), "a\tb\t\r\nc\t1\t2\r\n\t3\t4\r\n");

    // Text with CR LF row ends keeps its lone LFs inside the cells.
    Select(grid, 0, 0);
    SetClipboard("x\ny\r\n");
    ASSERT_TRUE(Form->PasteCellAction1->Execute());
    EXPECT_EQ(grid->Cells(0, 0), "x\x1Dy");
}

TEST_F(TableTools, PastedRowsGrowTheTableButAFixedLayoutKeepsItsColumns)
{
    AnsiString sixRows;
    for (int i = 0; i < 6; ++i) sixRows += IntToStr(i) + "\ta\t\t\r\n";
    TForm_Editor *w = OpenFile("t.kat", sixRows, "KAT_Document");
    TStringGrid *grid = w->StringGrid1;
    Select(grid, 2, 5);
    SetClipboard("p\tq\tr\ts\r\nt\r\nu\r\n");
    ASSERT_TRUE(Form->PasteCellAction1->Execute());
    EXPECT_EQ(grid->RowCount(), 8);
    EXPECT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(Row(grid, 5), (std::vector<AnsiString>{"5", "a", "p", "q"}));
    EXPECT_EQ(Row(grid, 7), (std::vector<AnsiString>{"", "", "u", ""}));
    EXPECT_EQ(ReadFileBytes(w->Caption()), sixRows);
    EXPECT_EQ(Saved(w), sixRows.substr(0, sixRows.size() - 7) + "5\ta\tp\tq\r\n\t\tt\t\r\n\t\tu\t\r\n");
}

TEST_F(TableTools, PastingTextThatIsNoTableNeitherFreezesNorOverfillsTheGrid)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;

    // One line of 10 MB without a row end: one cell, pasted at once.
    SetClipboard(AnsiString(10 * 1024 * 1024, 'q'));
    ASSERT_TRUE(Form->PasteCellAction1->Execute());
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->Cells(0, 0), AnsiString(10 * 1024 * 1024, 'q'));
    EXPECT_TRUE(w->IsModified());

    // Binary bytes: what has row ends is pasted by the cell rules.
    AnsiString binary(256 * 1024, '\0');
    unsigned state = 99;
    for (char &b : binary) {
        state = state * 1103515245u + 12345u;
        b = char(state >> 24);
    }
    binary += "\r\n";
    SetClipboard(binary);
    ASSERT_TRUE(Form->PasteCellAction1->Execute());
    EXPECT_GE(grid->RowCount(), 1);
    for (int r = 0; r < grid->RowCount(); ++r)
        for (int c = 0; c < grid->ColCount(); ++c)
            for (char b : grid->Cells(c, r)) ASSERT_TRUE((unsigned char)b >= 0x15) << r << " " << c;

    // A paste that would take the table beyond its cell limit is refused with a message.
    w->SetModified(false);
    grid->SetColCount(1);
    grid->SetRowCount(1000000);
    SetClipboard(AnsiString(69, '\t') + "\r\n");
    Boxes->Calls.clear();
    ASSERT_TRUE(Form->PasteCellAction1->Execute());
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");
    EXPECT_EQ(Boxes->Calls[0].Text, "Document: \"" + w->Caption() +
                                        "\"\r\nThe clipboard text would make a table of more than 67108864 cells; "
                                        "nothing was pasted.");
    EXPECT_EQ(grid->ColCount(), 1);
    EXPECT_FALSE(w->IsModified());
}

TEST_F(TableTools, ClearEmptiesTheSelectionAndSelectActionsPickRowsAndColumns)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\tc\r\nd\te\tf\r\ng\th\ti\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;
    Select(grid, 1, 1);
    Idle();
    ASSERT_TRUE(Form->SelectRowAction1->Execute());
    EXPECT_EQ(grid->Selection(), (TGridRect{0, 1, 2, 1}));
    ASSERT_TRUE(Form->SelectColAction1->Execute());
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 0, 1, 2}));
    ASSERT_TRUE(Form->ClearCellAction1->Execute());
    EXPECT_EQ(FromQ(w->Memo2->text()), "");
    EXPECT_EQ(w->StatusBar2->Panels[8].Text(), "0");
    EXPECT_TRUE(w->IsModified());
    ASSERT_TRUE(Form->SelectAllCellsAction1->Execute());
    EXPECT_EQ(grid->Selection(), (TGridRect{0, 0, 2, 2}));
    EXPECT_EQ(Saved(w), "a\t\tc\r\nd\t\tf\r\ng\t\ti\r\n");
}

TEST_F(TableTools, AutosizeMakesAColumnAsWideAsItsWidestTextPlusSix)
{
    TForm_Editor *w = OpenFile("t.cmd", "short\t\twide text here\r\nx\t\t\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;
    Idle();
    ASSERT_TRUE(Form->AutosizingCols->Execute());
    EXPECT_EQ(grid->ColWidths(0), grid->TextWidth("short") + 6);
    EXPECT_EQ(grid->ColWidths(1), 6);
    EXPECT_EQ(grid->ColWidths(2), grid->TextWidth("wide text here") + 6);

    grid->SetColWidth(0, 300);
    Select(grid, 0, 1);
    Press(grid, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(grid->ColWidths(0), grid->TextWidth("short") + 6);
    EXPECT_EQ(w->ToolButton22->DropdownMenu(), Form->AutosizingColsMenu);
    EXPECT_FALSE(w->IsModified());
}

TEST_F(TableTools, WidthFieldsSetTheCurrentColumnAndTheStep)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;
    Select(grid, 1, 0);
    w->Edit1->setText("150");
    EXPECT_EQ(grid->ColWidths(1), 150);
    w->Edit1->setText("0150");   // a leading zero is no width: the spinner's position comes back
    EXPECT_EQ(FromQ(w->Edit1->text()), "150");
    w->Edit2->setText("10");
    EXPECT_EQ(w->UpDown1->Increment(), 10);
    w->UpDown1->Click(true);
    EXPECT_EQ(grid->ColWidths(1), 160);
    w->ToolButton20->click();
    EXPECT_EQ(grid->ColWidths(0), 160);
    grid->SetColWidth(0, 77);
    Select(grid, 0, 0);
    w->StringGrid1DblClick();
    EXPECT_EQ(FromQ(w->Edit1->text()), "77");
    // A width above the spinner's range is taken as its largest.
    w->Edit1->setText("50000");
    EXPECT_EQ(grid->ColWidths(0), 32767);
    w->ToolButton16->click();
    EXPECT_EQ(grid->ColWidths(0), grid->contentsRect().width() / 2 - 1);
    EXPECT_EQ(grid->ColWidths(1), grid->ColWidths(0));
    EXPECT_EQ(FromQ(w->Edit1->text()), IntToStr(grid->ColWidths(0)));
}

TEST_F(TableTools, TypingOnTheGridGoesIntoTheCellEditorAndTheCell)
{
    TForm_Editor *w = OpenFile("t.cmd", "ab\tc\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;
    Press(grid, Qt::Key_X, Qt::NoModifier, "x");
    EXPECT_EQ(grid->Cells(0, 0), "abx");
    Press(grid, Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(grid->Cells(0, 0), "abx\x1D");
    EXPECT_EQ(FromQ(w->Memo2->text()), "abx\r\n");
    EXPECT_EQ(w->StatusBar2->Panels[8].Text(), "4");
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(Saved(w), "abx\n\tc\r\n");

    // A control character does nothing; a cell that ends in a line break keeps it when shown.
    Press(grid, Qt::Key_B, Qt::NoModifier, "\x02");
    EXPECT_EQ(grid->Cells(0, 0), "abx\x1D");
    Select(grid, 1, 0);
    Select(grid, 0, 0);
    EXPECT_EQ(FromQ(w->Memo2->text()), "abx\r\n");
    EXPECT_FALSE(w->IsModified());

    // Undo in the cell editor never brings another cell's text into this one.
    Select(grid, 1, 0);
    EXPECT_FALSE(w->Memo2->CanUndo());
}

TEST_F(TableTools, TheCellEditorStoresItsTextIntoTheCellWhileItHasTheFocus)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;
    Select(grid, 1, 0);
    w->Memo2->SetText("not typed");   // the program's own change while the grid has the focus
    EXPECT_EQ(grid->Cells(1, 0), "b");
    EXPECT_FALSE(w->IsModified());

    w->Memo2Enter();
    w->Memo2->SetText("x\ty\r\nz");   // as pasted into the editor
    EXPECT_EQ(grid->Cells(1, 0), "x y\x1Dz");
    EXPECT_EQ(w->StatusBar2->Panels[8].Text(), "5");
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(Saved(w), "a\tx y\nz\r\n");
}

TEST_F(TableTools, GoToKasVariableFindsItInTheCompanionScript)
{
    WriteBytes(Root + "/quest.kas", "JOTE\nx = z10\nz1 = 2\n");
    TForm_Editor *w = OpenFile("quest.kat", "1\tone\t\t\r\nabc\tbad\t\t\r\n7\tseven\t\t\r\n", "KAT_Document");
    TStringGrid *grid = w->StringGrid1;
    Select(grid, 1, 0);
    w->StringGrid1Enter();   // the button works while the grid has the focus
    Press(grid, Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(EditorCount(), 2);
    TForm_Editor *script = qobject_cast<TForm_Editor *>(Form->ActiveMDIChild());
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->Caption(), Root + "/quest.kas");
    // A plain text match: z1 stops at z10 first.
    EXPECT_EQ(script->Memo1->SelText(), "z1");
    EXPECT_EQ(script->Memo1->CaretY(), 2);
    EXPECT_EQ(Form->SearchText, "z1");
    EXPECT_FALSE(Form->SearchSelectedOnly);
    EXPECT_TRUE(Boxes->Calls.empty());

    // The open script is used again; messages for a bad index and a missing variable.
    Form->MdiArea->setActiveSubWindow(w);
    Select(grid, 0, 1);
    w->ToolButton10Click();
    Select(grid, 0, 2);
    w->ToolButton10Click();
    EXPECT_EQ(EditorCount(), 2);
    ASSERT_EQ(Boxes->Calls.size(), 2u);
    EXPECT_EQ(Boxes->Calls[0].Text, "\"abc\" is not integer value.");
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");
    EXPECT_EQ(Boxes->Calls[1].Text, "Variable \"z7\" not found.");
}

TEST_F(TableTools, GoToKasVariableWithoutTheScriptSaysSo)
{
    TForm_Editor *w = OpenFile("alone.kat", "3\tx\t\t\r\n", "KAT_Document");
    w->StringGrid1Exit();
    Press(w->StringGrid1, Qt::Key_E, Qt::ControlModifier);   // the button is off: nothing happens
    EXPECT_TRUE(Boxes->Calls.empty());
    w->StringGrid1Enter();
    Press(w->StringGrid1, Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "File \"" + Root + "/alone.kas\" not found.");
    EXPECT_EQ(EditorCount(), 1);
}

TEST_F(TableTools, TheDateGoesIntoTheDateColumnOfTheCurrentRow)
{
    TForm_Editor *w = OpenFile("d.kat", "1\ta\t\t\r\n2\tb\t\t\r\n", "KAT_Document");
    Select(w->StringGrid1, 1, 1);
    Press(w->StringGrid1, Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(w->StringGrid1->Cells(3, 1), FromQ(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)));
    EXPECT_EQ(w->StringGrid1->Cells(3, 0), "");
    EXPECT_TRUE(w->IsModified());
}

TEST_F(TableTools, KeysWorkFromTheCellEditorToo)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\r\nb\r\n", "CMD_Document");
    Press(w->Memo2, Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(w->StringGrid1->RowCount(), 3);
}

TEST_F(TableTools, DraggedRowsAndTheTestFillMarkTheDocumentChanged)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\r\nc\td\r\n", "CMD_Document");
    w->StringGrid1->MoveRow(0, 1);
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(Saved(w), "c\td\r\na\tb\r\n");
    Press(w->StringGrid1, Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(w->StringGrid1->Cells(1, 0), "Line: 1\x1D" "Column: 2");
    EXPECT_TRUE(w->IsModified());
}

TEST_F(TableTools, CellsPaintOnAlternatingBackgroundsAndTheSelectionHighlighted)
{
    TForm_Editor *w = OpenFile("t.cmd", "\t\r\n\t\r\n\t\r\n", "CMD_Document");
    TStringGrid *grid = w->StringGrid1;
    grid->SetSelection({1, 2, 1, 2});
    const QImage image = grid->grab().toImage();
    const auto colourAt = [&](int col, int row) {
        const QRect r = grid->CellRect(col, row);
        return image.pixelColor(r.center() + QPoint(r.width() / 4, 0));
    };
    const auto real = [](TColor c) { return ColorToQColor(c).rgb(); };
    EXPECT_EQ(colourAt(1, 0).rgb(), real(clInfoBk));
    EXPECT_EQ(colourAt(1, 1).rgb(), real(clWindow));
    EXPECT_EQ(colourAt(1, 2).rgb(), real(clHighlight));
}

TEST_F(TableTools, GridHintsFollowTheMouseByKind)
{
    TForm_Editor *w = OpenFile("t.kao", "a\tb\r\n", "KAO_Document");
    TStringGrid *grid = w->StringGrid1;
    const QRect cell = grid->CellRect(2, 0);
    w->StringGrid1MouseMove(Qt::NoModifier, cell.center().x(), cell.center().y());
    EXPECT_EQ(FromQ(grid->toolTip()), "\"Page number\" column (0...7)");
    w->StringGrid1MouseMove(Qt::NoModifier, -5, -5);
    EXPECT_EQ(FromQ(grid->toolTip()), "");

    // With autoswitching the cell under the mouse becomes the current one.
    w->Item11->trigger();
    w->StringGrid1MouseMove(Qt::NoModifier, cell.center().x(), cell.center().y());
    EXPECT_EQ(grid->Col(), 2);
}

TEST_F(TableTools, EitherEditModeItemSwitchesBetweenInsertAndOverwrite)
{
    TForm_Editor *w = OpenFile("s.kas", "x\r\n", "KAS_Document");
    ASSERT_TRUE(w->Memo1->InsertMode());
    w->Overwrite1->trigger();
    EXPECT_FALSE(w->Memo1->InsertMode());
    EXPECT_TRUE(w->Overwrite1->isChecked());
    EXPECT_EQ(FromQ(w->EditModeButton->text()), "O");
    w->Insert1->trigger();
    EXPECT_TRUE(w->Memo1->InsertMode());
    EXPECT_TRUE(w->Insert1->isChecked());
    EXPECT_EQ(FromQ(w->EditModeButton->text()), "I");
}

TEST_F(TableTools, RangeSelectionFollowsItsMenuItem)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tb\r\n", "CMD_Document");
    w->Multiplecellsselection1->trigger();
    EXPECT_FALSE(w->StringGrid1->Options() & goRangeSelect);
    w->Multiplecellsselection1->trigger();
    EXPECT_TRUE(w->StringGrid1->Options() & goRangeSelect);
}

TEST_F(TableTools, PasteNeedsTextOnTheClipboardAndBothCtrlF3HintsTellTheTruth)
{
    OpenFile("t.cmd", "a\r\n", "CMD_Document");
    Idle();
    EXPECT_FALSE(Form->PasteCellAction1->Enabled());
    SetClipboard("b\r\n");
    Idle();
    EXPECT_TRUE(Form->PasteCellAction1->Enabled());
    EXPECT_EQ(Form->PasteCellAction1->ShortCut(), QKeySequence(Qt::CTRL | Qt::Key_F3));
    EXPECT_EQ(Form->PasteCellAction1->Hint(), "Paste to table from clipboard (Ctrl+F3)");
    EXPECT_TRUE(Form->FindPreviousAction1->ShortCut().isEmpty());
    EXPECT_EQ(Form->FindPreviousAction1->Hint(), "Find previous");
}

} // namespace
