// The class library's string grid on Qt's model/view: RowCount x ColCount 8-bit cells held
// row-major in one vector. Fixed rows and columns are ordinary cells painted in the headers'
// place, so they stay in view while the rest scrolls. Only the visible cells are painted and
// every row has the same height, so a table of 100 000 rows opens and scrolls at once.
#pragma once

#include "platform/Colors.h"
#include "platform/Text.h"

#include <QTableView>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class TStringGridModel;
class TTextWidthModel;
class TGridHeader;
class TGridCorner;

enum TGridOption : unsigned {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,        // Shift or a drag selects a rectangle of cells
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,          // drag a line between fixed-row cells
    goRowMoving = 1u << 8,          // drag a fixed-column cell up or down
    goColMoving = 1u << 9,          // drag a fixed-row cell left or right
    goEditing = 1u << 10,           // cells are edited in place
    goTabs = 1u << 11,              // Tab moves to the next cell
    goThumbTracking = 1u << 12,
};
using TGridOptions = unsigned;

enum TGridDrawStateBit : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

struct TGridRect
{
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TGridRect &, const TGridRect &) = default;
};

class TStringGrid : public QTableView
{
    Q_OBJECT

public:
    explicit TStringGrid(QWidget *parent = nullptr);
    ~TStringGrid() override;

    // Cells[col][row]. A cell outside the grid reads empty; one written there is kept and shows
    // when the grid grows over it (a paste may write rows before the grid is enlarged).
    const AnsiString &Cells(int col, int row) const;
    void SetCell(int col, int row, const AnsiString &s);

    int RowCount() const;
    void SetRowCount(int count);             // at least 1; the cells that stay are kept
    int ColCount() const;
    void SetColCount(int count);
    int FixedRows() const { return FixedRowCount; }
    void SetFixedRows(int count);            // at most RowCount - 1
    int FixedCols() const { return FixedColCount; }
    void SetFixedCols(int count);

    // The current cell; never a fixed one. Setting it asks OnSelectCell first and makes the
    // selection that one cell.
    int Col() const { return CurCol; }
    void SetCol(int col);
    int Row() const { return CurRow; }
    void SetRow(int row);
    TGridRect Selection() const { return Sel; }
    void SetSelection(const TGridRect &r);   // the current cell stays

    int ColWidths(int col) const;
    void SetColWidth(int col, int width);
    int DefaultColWidth() const { return DefColWidth; }
    void SetDefaultColWidth(int width);      // also every column's width
    int DefaultRowHeight() const { return RowHeight; }
    void SetDefaultRowHeight(int height);

    TGridOptions Options() const { return GridOptions; }
    void SetOptions(TGridOptions options);
    TColor Color() const { return GridColor; }
    void SetColor(TColor c);
    bool DefaultDrawing = true;              // paint the cells before OnDrawCell

    int TopRow() const;                      // first scrolled row in view
    void SetTopRow(int row);
    int LeftCol() const;
    void SetLeftCol(int col);
    int VisibleRowCount() const;             // scrolled rows wholly in view
    int VisibleColCount() const;
    // The cell under a point of this widget; -1, -1 when none.
    void MouseToCell(int x, int y, int &col, int &row) const;
    QRect CellRect(int col, int row) const;  // in this widget's coordinates; empty when hidden

    // Moves a row or column as a list item moves (from is taken out and put in at to).
    void MoveRow(int from, int to);
    void MoveColumn(int from, int to);
    // Insert an empty row or column at a place, or delete one; the grid grows or shrinks.
    void InsertRow(int at);
    void DeleteRow(int at);
    void InsertColumn(int at);
    void DeleteColumn(int at);

    // Bulk access for the table reader and writer: cells row-major, colCount x rowCount.
    void Assign(int colCount, int rowCount, std::vector<AnsiString> &&cells);
    const std::vector<AnsiString> &CellsRowMajor() const;

    // Between these, cell writes repaint nothing; EndUpdate repaints once.
    void BeginUpdate() { ++UpdateCount; }
    void EndUpdate();

    int TextWidth(const AnsiString &s) const;   // in the grid's font
    // The same width reckoned from the font's measured characters and pairs of them, without laying
    // the text out (fast); -1 for a text that only TextWidth can tell.
    int ReckonedTextWidth(const AnsiString &s) const;
    // A cell as shown: Latin-1, the in-cell line break 0x1D as a visible return mark.
    static QString DisplayText(const AnsiString &s);

signals:
    void OnSelectCell(int col, int row, bool &canSelect);
    void OnDrawCell(QPainter *canvas, int col, int row, const QRect &rect, TGridDrawState state);
    void OnColumnMoved(int from, int to);
    void OnRowMoved(int from, int to);
    void OnKeyDown(int &key, Qt::KeyboardModifiers shift);   // 0 swallows the key
    void OnKeyPress(char &key);
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnClick();
    void OnDblClick();
    void OnEnter();
    void OnExit();
    void OnTopLeftChanged();
    void OnSetEditText(int col, int row, const AnsiString &value);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void updateGeometries() override;
    void changeEvent(QEvent *e) override;

private:
    friend class TStringGridModel;
    friend class TGridHeader;
    friend class TGridCorner;
    friend class TGridDelegate;

    void PaintCell(QPainter *p, const QRect &rect, int col, int row) const;
    bool MoveCurrent(int col, int row, bool extend);
    void ClampCurrent();
    void RefreshFixed(int rowLimit);
    void ApplyColumnWidths();
    void ApplyHeaders();
    void RepaintAll();
    void InvalidateCell(int col, int row);
    void HeaderMouseMove(QWidget *from, QMouseEvent *e);
    int FixedWidth() const;
    QPoint ToGrid(QWidget *from, QPoint p) const;

    TStringGridModel *Model = nullptr;
    TGridHeader *TopStrip = nullptr;     // the fixed rows, scrolling sideways with the cells
    TGridHeader *LeftStrip = nullptr;    // the fixed columns, scrolling up and down
    TGridCorner *Corner = nullptr;       // fixed rows x fixed columns
    std::vector<int> Widths;
    int FixedRowCount = 1;
    int FixedColCount = 1;
    int CurCol = 1, CurRow = 1;
    int AnchorCol = 1, AnchorRow = 1;
    TGridRect Sel{1, 1, 1, 1};
    int DefColWidth = 64;
    int RowHeight = 24;
    TGridOptions GridOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TColor GridColor = clWindow;
    int UpdateCount = 0;
    bool DragSelecting = false;
    bool ApplyingWidths = false;
    mutable std::unique_ptr<TTextWidthModel> WidthModel;   // of the current font, made when first asked
};
