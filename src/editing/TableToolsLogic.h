// The table tools' rules that need no window: the next index of a new KAT row, the grid's hints,
// the width fields and the test fill of the cells (column autosizing is in shell/TableCells.h).
#pragma once

#include "platform/Text.h"
#include "shell/TableCells.h"

#include <functional>
#include <optional>

class QDate;

// Index texts are compared by their first 9 characters, so 999999999 is the largest index the
// table can tell apart; a larger one would read as a smaller one and come round again.
inline constexpr int KatIndexWidth = 9;
inline constexpr long long MaxKatIndex = 999999999;

// The index of a new KAT row from the texts of column 0 (rowCount of them, read through cell).
// Continuing: one above the largest index; filling blanks: the smallest free number above the
// smallest index. Past the largest index the result is 0, as when counting has run out; none when
// 0 is taken too, so that no index is ever given twice.
std::optional<long long> NextKatIndex(int rowCount, const std::function<const AnsiString &(int)> &cell,
                                      bool fillBlanks);

// The grid's hint by document kind, for a column and row (0-based) or col -1 for no cell.
// CMD: "Line: r, Column: c" (1-based); KAO and KAT: the column's name and meaning; else empty.
AnsiString GridCellHint(const AnsiString &kind, int col, int row);

// A width field's text: longer than 9 characters, not a number, or starting with "0" gives the
// spinner's position instead.
AnsiString CheckedSpinText(const AnsiString &text, int position);

// The text of every cell after the test fill: "Line: " row, 0x1D, "Column: " column, 1-based.
AnsiString TestFillCellText(int col, int row);

// A date in the system's short date format.
AnsiString ShortDateText(const QDate &date);
