// The indexation settings dialog as a user meets it: every text whole on every page, Tab from
// the grid to its cell editor, and numbers typed into the editor with real keys.
#include "platform/TStringGrid.h"
#include "shell/DocumentTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "shell/Main.h"
#include "textres/KatGenSetsWin.h"
#include "textres/TRM.h"

#include <QAction>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

namespace {

using Names = std::vector<std::string>;

class KatGenSetsWindow : public DocumentTest
{
protected:
    // Opens the dialog from the manager's menu item and works it while it is shown.
    void WithDialog(const std::function<void(TKATGenSetsForm &)> &user)
    {
        OpenFile("Script07.kas", "// JOTE\r\n!!IF:M^Hello^;\r\n", "KAS_Document");
        TTxtResMan manager(Form);
        const auto shown = LookAtModal<TKATGenSetsForm>([&] { manager.KATsetup1->trigger(); }, user);
        ASSERT_EQ(shown, std::vector<AnsiString>{"TKATGenSetsForm"});
    }

    static void ClickPage(TKATGenSetsForm &dialog, int page)
    {
        QTest::mouseClick(dialog.TabControl1, Qt::LeftButton, {}, dialog.TabControl1->tabRect(page).center());
        ASSERT_EQ(dialog.TabControl1->currentIndex(), page);
    }

    static void ClickCell(TStringGrid *grid, int col, int row)
    {
        const QPoint at = grid->viewport()->mapFrom(grid, grid->CellRect(col, row).center());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    }

    // The titles of the fixed cells fit their columns.
    static Names CutTitles(TStringGrid *grid)
    {
        Names cut;
        for (int row = 0; row < grid->RowCount(); ++row)
            for (int col = 0; col < grid->ColCount(); ++col) {
                if (row >= grid->FixedRows() && col >= grid->FixedCols()) continue;
                if (grid->TextWidth(grid->Cells(col, row)) + 4 > grid->ColWidths(col)) cut.push_back(grid->Cells(col, row));
            }
        return cut;
    }
};

} // namespace

TEST_F(KatGenSetsWindow, EveryPageShowsItsTextsWholeAndTabReachesTheCellEditor)
{
    WithDialog([](TKATGenSetsForm &dialog) {
        EXPECT_GE(dialog.width(), 500);
        EXPECT_GE(dialog.height(), 300);
        EXPECT_EQ(FocusedField(), "TabControl1");
        for (int page = 0; page < 3; ++page) {
            SCOPED_TRACE(page);
            ClickPage(dialog, page);
            EXPECT_EQ(ClippedTexts(&dialog), Names());
        }
        EXPECT_EQ(CutTitles(dialog.StringGrid2), Names());
        ClickPage(dialog, 0);
        EXPECT_EQ(CutTitles(dialog.StringGrid1), Names());

        // The Prefix editor lies over its cell and follows the grid in Tab order.
        ClickCell(dialog.StringGrid1, 2, 3);
        ASSERT_TRUE(dialog.UpDownPanel->isVisible());
        EXPECT_EQ(FocusedField(), "StringGrid1");
        EXPECT_EQ(TabChain(&dialog),
                  (Names{"Edit1", "Apply", "Close", "Save settings", "Load settings", "Help", "TabControl1"}));
    });
}

namespace {

struct TypingCase
{
    const char *Name;
    int Col;                  // 2 Prefix (0..9), 3 Postfix (0..999)
    const char *Cell;         // before the editor is placed
    Qt::Key Before;           // where the typing goes: End, Home, or A with Ctrl (all)
    const char *Typed;
    const char *EditText;     // afterwards
    const char *CellText;
};

} // namespace

// The up-down takes its number from the text first; the text is then put back from it.
TEST_F(KatGenSetsWindow, TypedNumbersReachTheCellThroughTheUpDown)
{
    const TypingCase cases[] = {
        {"5 after a 0", 2, "0", Qt::Key_End, "5", "5", "5"},
        {"0 before a 5", 2, "5", Qt::Key_Home, "0", "5", "5"},
        {"075 over a Postfix of 7", 3, "7", Qt::Key_A, "075", "75", "75"},
        {"a lone 0 stays", 3, "7", Qt::Key_A, "0", "0", "0"},
        {"a letter is undone", 2, "3", Qt::Key_A, "x", "3", "3"},
        {"beyond the range the last number stays", 2, "3", Qt::Key_A, "12", "12", "1"},
    };
    WithDialog([&](TKATGenSetsForm &dialog) {
        for (const TypingCase &c : cases) {
            SCOPED_TRACE(c.Name);
            dialog.StringGrid1->SetCell(c.Col, 2, c.Cell);
            ClickCell(dialog.StringGrid1, c.Col, 1);   // elsewhere first, so that the editor is placed anew
            ClickCell(dialog.StringGrid1, c.Col, 2);
            ASSERT_EQ(dialog.Edit1->text().toStdString(), c.Cell);
            QTest::mouseClick(dialog.Edit1, Qt::LeftButton);
            QTest::keyClick(dialog.Edit1, c.Before, c.Before == Qt::Key_A ? Qt::ControlModifier : Qt::NoModifier);
            QTest::keyClicks(dialog.Edit1, c.Typed);
            EXPECT_EQ(dialog.Edit1->text().toStdString(), c.EditText);
            EXPECT_EQ(dialog.StringGrid1->Cells(c.Col, 2), c.CellText);
        }
    });
}
