// The window-free part of search and replace: search histories, the not-found texts, the cell
// scan of tables and the place of the replace question beside a hit.
#pragma once

#include "platform/Text.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

// The dialogs keep at most this many entries of a history.
inline constexpr int MaxHistoryEntries = 20;

// A history: its entries, each followed by CR LF, newest first.
std::vector<AnsiString> HistoryEntries(const AnsiString &history);
// The first MaxHistoryEntries non-empty items, each followed by CR LF.
AnsiString HistoryFromItems(const std::vector<AnsiString> &items);
// Every entry exactly equal to the text is dropped and the text put in front (no cap).
AnsiString PutOnTopOfHistory(const AnsiString &history, const AnsiString &text);
// A combo box's items after OK: the first item equal to the text without letter case goes, the
// text becomes item 0. An empty text changes nothing.
void MoveItemToTop(std::vector<AnsiString> &items, const AnsiString &text);

// "Document: "caption"." CR LF "Text "text" not found." ("not found!" for the replace command).
AnsiString NotFoundMessage(const AnsiString &caption, const AnsiString &text, bool forReplace);

// 1-based position of the first occurrence of pattern in the cell as the cell editor shows it; 0
// when there is none. Without case sensitivity both sides compare upper-cased by the code page.
// upperPattern is AnsiUpperCase(pattern), passed in so that a scan folds it once.
int CellMatchPosition(const AnsiString &cell, const AnsiString &pattern, const AnsiString &upperPattern,
                      bool caseSensitive);

// The size of a table and its fixed rows and columns.
struct TableShape
{
    int ColCount = 0;
    int RowCount = 0;
    int FixedCols = 0;
    int FixedRows = 0;
    bool IsFixed(int col, int row) const { return col < FixedCols || row < FixedRows; }
};

// A table's cells, row-major (cell (c, r) at r * ColCount + c).
struct TableCellsView
{
    const std::vector<AnsiString> &Cells;
    TableShape Shape;
};

struct CellHit
{
    int Col = 0;
    int Row = 0;
    int Position = 0;    // 1-based, in the cell editor's text
    bool operator==(const CellHit &) const = default;
};

// Scans the cells from the start cell (tested itself) forward, row by row and left to right, or
// backward, to the last or the first cell; no wrap-around. A hit in a fixed cell is passed over:
// the grid cannot make a fixed cell its current one, and the cell editor must never show a cell
// other than the current one (its edits go into the current cell).
std::optional<CellHit> FindInTable(const TableCellsView &table, int startCol, int startRow, bool backward,
                                   const AnsiString &text, bool caseSensitive);

// One step of Find next (forward) or Find previous: to the next or previous cell in reading
// order, staying at the last or the first cell. Fixed cells are stepped over, as the grid cannot
// stand on them (a step into one would fall back onto the cell it came from).
void StepCell(int &col, int &row, const TableShape &shape, bool backward);

// Top-left corner of the replace question for a hit at x between lineTop and lineBottom, all in
// screen coordinates, inside the area of the document window: centred over an area narrower than
// the dialog, else at x as far as the area's right edge allows; above the line when the line ends
// in the lower third of the area, else below it; 4 pixels from the line.
QPoint ConfirmDialogPosition(const QRect &area, int x, int lineTop, int lineBottom, QSize dialog);
