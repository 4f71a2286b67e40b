#include "platform/TStringGrid.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

void Key(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
}

// A mouse event at a point of the grid widget, sent to the child that lies there.
void Mouse(TStringGrid &g, QEvent::Type type, QPoint gridPoint, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *target = g.childAt(gridPoint);
    ASSERT_NE(target, nullptr);
    const QPoint local = target->mapFrom(&g, gridPoint);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, buttons, mods);
    QApplication::sendEvent(target, &e);
}

QPoint Centre(const TStringGrid &g, int col, int row) { return g.CellRect(col, row).center(); }

std::vector<AnsiString> Numbered(int cols, int rows)
{
    std::vector<AnsiString> cells;
    cells.reserve(size_t(cols) * size_t(rows));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) cells.push_back(IntToStr(c) + ":" + IntToStr(r));
    return cells;
}

class StringGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Grid.resize(500, 300);
        Grid.show();
        QApplication::processEvents();
    }
    void Fill(int cols, int rows) { Grid.Assign(cols, rows, Numbered(cols, rows)); }

    TStringGrid Grid;
};

TEST_F(StringGridTest, CellsKeepAcrossShapeChanges)
{
    Grid.SetFixedRows(0);
    Grid.SetFixedCols(0);
    Fill(3, 3);
    Grid.SetColCount(5);
    Grid.SetRowCount(6);
    EXPECT_EQ(Grid.Cells(2, 2), "2:2");
    EXPECT_EQ(Grid.Cells(4, 5), "");
    Grid.SetColCount(2);
    Grid.SetRowCount(2);
    EXPECT_EQ(Grid.Cells(1, 1), "1:1");
    EXPECT_EQ(Grid.CellsRowMajor(), (std::vector<AnsiString>{"0:0", "1:0", "0:1", "1:1"}));
    // What a shrink cut off does not come back.
    Grid.SetColCount(3);
    Grid.SetRowCount(3);
    EXPECT_EQ(Grid.Cells(2, 2), "");
    EXPECT_EQ(Grid.Cells(2, 0), "");

    // Cells written past the end show when the grid grows over them, as a paste needs.
    Grid.SetCell(0, 4, "below");
    Grid.SetCell(5, 0, "right");
    EXPECT_EQ(Grid.Cells(0, 4), "below");
    EXPECT_EQ(Grid.CellsRowMajor().size(), 9u);
    Grid.SetRowCount(5);
    EXPECT_EQ(Grid.Cells(0, 4), "below");
    EXPECT_EQ(Grid.CellsRowMajor()[12], "below");
    Grid.SetColCount(6);
    EXPECT_EQ(Grid.Cells(5, 0), "right");
    Grid.SetRowCount(0);
    EXPECT_EQ(Grid.RowCount(), 1);   // a grid keeps one row
}

TEST_F(StringGridTest, FixedRowsAndColumnsStayInViewAndAreNeverCurrent)
{
    Fill(11, 500);
    Grid.SetFixedRows(2);
    Grid.SetFixedCols(1);
    EXPECT_EQ(Grid.Row(), 2);
    EXPECT_EQ(Grid.Col(), 1);
    Grid.SetRow(0);
    EXPECT_EQ(Grid.Row(), 2);

    const QRect header = Grid.CellRect(3, 0);
    const QRect leftCell = Grid.CellRect(0, 10);
    ASSERT_FALSE(header.isEmpty());
    Grid.SetTopRow(200);
    Grid.SetLeftCol(4);
    EXPECT_EQ(Grid.TopRow(), 200);
    EXPECT_EQ(Grid.LeftCol(), 4);
    EXPECT_EQ(Grid.CellRect(3, 0), QRect());              // scrolled out sideways
    EXPECT_EQ(Grid.CellRect(4, 0).top(), header.top());   // the fixed rows stay on top
    EXPECT_EQ(Grid.CellRect(0, 200).left(), leftCell.left());
    int col = -1, row = -1;
    Grid.MouseToCell(Centre(Grid, 5, 1).x(), Centre(Grid, 5, 1).y(), col, row);
    EXPECT_EQ(col, 5);
    EXPECT_EQ(row, 1);
    Grid.MouseToCell(Centre(Grid, 0, 203).x(), Centre(Grid, 0, 203).y(), col, row);
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 203);
    Grid.MouseToCell(Centre(Grid, 6, 205).x(), Centre(Grid, 6, 205).y(), col, row);
    EXPECT_EQ(col, 6);
    EXPECT_EQ(row, 205);
    Grid.MouseToCell(-5, -5, col, row);
    EXPECT_EQ(col, -1);

    Grid.SetFixedRows(1000);
    EXPECT_EQ(Grid.FixedRows(), 499);
    Grid.SetRowCount(3);
    EXPECT_EQ(Grid.FixedRows(), 2);
    EXPECT_EQ(Grid.Row(), 2);
    Grid.SetFixedRows(0);
    Grid.SetFixedCols(0);
    EXPECT_EQ(Grid.CellRect(0, 0).topLeft(), Grid.viewport()->geometry().topLeft());
}

TEST_F(StringGridTest, KeysMoveTheCurrentCellAndShiftSelects)
{
    Fill(6, 30);
    Grid.SetFixedRows(1);
    Grid.SetFixedCols(1);
    Key(&Grid, Qt::Key_Right);
    Key(&Grid, Qt::Key_Down);
    EXPECT_EQ(Grid.Col(), 2);
    EXPECT_EQ(Grid.Row(), 2);
    Key(&Grid, Qt::Key_Right, Qt::ShiftModifier);
    Key(&Grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Grid.Selection(), (TGridRect{2, 2, 3, 3}));
    // Arrows with Ctrl or Alt are the table tools' keys.
    Key(&Grid, Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    Key(&Grid, Qt::Key_Left, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(Grid.Row(), 3);
    EXPECT_EQ(Grid.Col(), 3);
    Key(&Grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Grid.Col(), 5);
    EXPECT_EQ(Grid.Row(), 29);
    EXPECT_GT(Grid.TopRow(), 1);   // scrolled to the current cell
    Key(&Grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Grid.Selection(), (TGridRect{1, 1, 1, 1}));

    Grid.SetOptions(Grid.Options() & ~goRangeSelect);
    Key(&Grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Grid.Selection(), (TGridRect{1, 2, 1, 2}));

    // Select-all style rectangles leave the current cell where it is.
    Grid.SetSelection({0, 0, 5, 29});
    EXPECT_EQ(Grid.Selection(), (TGridRect{0, 0, 5, 29}));
    EXPECT_EQ(Grid.Row(), 2);
}

TEST_F(StringGridTest, MouseClickAndDragSelect)
{
    Fill(6, 30);
    Mouse(Grid, QEvent::MouseButtonPress, Centre(Grid, 2, 3));
    Mouse(Grid, QEvent::MouseMove, Centre(Grid, 4, 5));
    Mouse(Grid, QEvent::MouseButtonRelease, Centre(Grid, 4, 5));
    EXPECT_EQ(Grid.Selection(), (TGridRect{2, 3, 4, 5}));
    EXPECT_EQ(Grid.Col(), 4);
    Mouse(Grid, QEvent::MouseButtonPress, Centre(Grid, 1, 1));
    Mouse(Grid, QEvent::MouseButtonRelease, Centre(Grid, 1, 1));
    EXPECT_EQ(Grid.Selection(), (TGridRect{1, 1, 1, 1}));
    Mouse(Grid, QEvent::MouseButtonPress, Centre(Grid, 3, 2), Qt::ShiftModifier);
    EXPECT_EQ(Grid.Selection(), (TGridRect{1, 1, 3, 2}));
}

TEST_F(StringGridTest, SelectCellHandlerCanRefuse)
{
    Fill(5, 5);
    std::vector<std::pair<int, int>> asked;
    QObject::connect(&Grid, &TStringGrid::OnSelectCell, [&](int col, int row, bool &canSelect) {
        asked.push_back({col, row});
        canSelect = row != 3;
    });
    Grid.SetRow(2);
    Key(&Grid, Qt::Key_Down);
    EXPECT_EQ(Grid.Row(), 2);
    Grid.SetRow(3);
    EXPECT_EQ(Grid.Row(), 2);
    Mouse(Grid, QEvent::MouseButtonPress, Centre(Grid, 2, 3));
    EXPECT_EQ(Grid.Row(), 2);
    EXPECT_EQ(Grid.Col(), 1);
    Grid.SetCol(4);
    EXPECT_EQ(Grid.Col(), 4);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}, {1, 3}, {2, 3}, {4, 2}}));
}

TEST_F(StringGridTest, RowsAndColumnsMoveWithTheirCellsAndWidths)
{
    Fill(4, 4);
    Grid.SetColWidth(1, 111);
    std::vector<std::pair<int, int>> movedCols, movedRows;
    QObject::connect(&Grid, &TStringGrid::OnColumnMoved, [&](int f, int t) { movedCols.push_back({f, t}); });
    QObject::connect(&Grid, &TStringGrid::OnRowMoved, [&](int f, int t) { movedRows.push_back({f, t}); });
    Grid.MoveColumn(1, 3);
    EXPECT_EQ(Grid.Cells(3, 0), "1:0");
    EXPECT_EQ(Grid.Cells(1, 2), "2:2");
    EXPECT_EQ(Grid.ColWidths(3), 111);
    Grid.MoveRow(3, 1);
    EXPECT_EQ(Grid.Cells(0, 1), "0:3");
    EXPECT_EQ(Grid.Cells(0, 2), "0:1");
    EXPECT_EQ(movedCols, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(movedRows, (std::vector<std::pair<int, int>>{{3, 1}}));

    // Dragging a fixed-row cell moves its column, only with the option.
    Fill(4, 4);
    Mouse(Grid, QEvent::MouseButtonPress, Centre(Grid, 1, 0));
    Mouse(Grid, QEvent::MouseMove, Centre(Grid, 3, 0));
    Mouse(Grid, QEvent::MouseButtonRelease, Centre(Grid, 3, 0));
    EXPECT_EQ(Grid.Cells(1, 0), "1:0");
    Grid.SetOptions(Grid.Options() | goColMoving | goRowMoving);
    Mouse(Grid, QEvent::MouseButtonPress, Centre(Grid, 1, 0));
    Mouse(Grid, QEvent::MouseMove, Centre(Grid, 3, 0));
    Mouse(Grid, QEvent::MouseButtonRelease, Centre(Grid, 3, 0));
    EXPECT_EQ(Grid.Cells(3, 2), "1:2");
    Mouse(Grid, QEvent::MouseButtonPress, Centre(Grid, 0, 3));
    Mouse(Grid, QEvent::MouseButtonRelease, Centre(Grid, 0, 1));
    EXPECT_EQ(Grid.Cells(0, 1), "0:3");
    EXPECT_EQ(movedCols.back(), (std::pair<int, int>{1, 3}));
    EXPECT_EQ(movedRows.back(), (std::pair<int, int>{3, 1}));
}

TEST_F(StringGridTest, InsertAndDeleteRowsAndColumns)
{
    Grid.SetFixedRows(1);
    Fill(3, 3);
    Grid.InsertRow(0);
    EXPECT_EQ(Grid.RowCount(), 4);
    EXPECT_EQ(Grid.Cells(0, 0), "");
    EXPECT_EQ(Grid.Cells(0, 1), "0:0");
    Grid.DeleteRow(3);
    EXPECT_EQ(Grid.RowCount(), 3);
    EXPECT_EQ(Grid.Cells(2, 2), "2:1");
    Grid.InsertColumn(1);
    EXPECT_EQ(Grid.Cells(1, 1), "");
    EXPECT_EQ(Grid.Cells(2, 1), "1:0");
    EXPECT_EQ(Grid.ColWidths(1), Grid.DefaultColWidth());
    Grid.DeleteColumn(0);
    EXPECT_EQ(Grid.ColCount(), 3);
    EXPECT_EQ(Grid.Cells(1, 2), "1:1");
    // The fixed row's strip shows the new row 0 after the insert.
    EXPECT_TRUE(Grid.isRowHidden(0));
    EXPECT_FALSE(Grid.isRowHidden(1));
}

TEST_F(StringGridTest, AHundredThousandRowsPaintOnlyWhatIsInView)
{
    Grid.SetFixedRows(1);
    Grid.SetFixedCols(0);
    Grid.Assign(11, 100000, Numbered(11, 100000));
    EXPECT_EQ(Grid.RowCount(), 100000);
    EXPECT_EQ(Grid.ColCount(), 11);
    EXPECT_EQ(Grid.Cells(10, 99999), "10:99999");
    int painted = 0;
    QObject::connect(&Grid, &TStringGrid::OnDrawCell,
                     [&](QPainter *, int, int row, const QRect &, TGridDrawState) {
                         ++painted;
                         EXPECT_TRUE(row == 0 || (row >= Grid.TopRow() - 1 && row <= Grid.TopRow() + Grid.VisibleRowCount() + 1));
                     });
    Grid.SetTopRow(99990);
    (void)Grid.grab();
    EXPECT_GT(painted, 0);
    EXPECT_LT(painted, 300);
    EXPECT_GE(Grid.TopRow(), 99990 - Grid.VisibleRowCount());
    EXPECT_FALSE(Grid.CellRect(0, 99999).isEmpty());
    Key(&Grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Grid.Row(), 99999);
}

TEST_F(StringGridTest, LineBreakInACellShowsAsAMark)
{
    EXPECT_EQ(TStringGrid::DisplayText("x\x1Dy\xE9"), QString::fromUtf8("x\u21B5y\u00E9"));
    Grid.SetCell(1, 1, "x\x1Dy");
    EXPECT_EQ(Grid.model()->data(Grid.model()->index(1, 1)).toString(), QString::fromUtf8("x\u21B5y"));
    EXPECT_EQ(Grid.Cells(1, 1), "x\x1Dy");
    EXPECT_GT(Grid.TextWidth("abc"), Grid.TextWidth("a"));
}

} // namespace
