// Table cells as the document window shows them: the cell editor's text of a cell and back, and the
// width a column autosizes to. No widgets here, so that the shell and the table tools share them.
#pragma once

#include "platform/Text.h"

#include <functional>

// A cell as the cell editor shows it: every 0x1D as CR LF.
AnsiString CellToEditorText(const AnsiString &cell);
// The cell editor's text as a cell: each line break (CR LF, or a lone CR or LF) becomes 0x1D and
// a TAB a blank, since a TAB, CR or LF inside a cell would split the table file's cells and rows.
AnsiString EditorTextToCell(const AnsiString &text);

// A column's autosized width: the widest text of its cells (0 when all are empty) + 6 pixels.
// textWidth measures a text; reckonedWidth gives the same width cheaply, or -1 where only a
// measurement can tell. The cells must stay unchanged while it runs.
inline constexpr int AutosizeMargin = 6;
int AutosizedColumnWidth(int rowCount, const std::function<const AnsiString &(int)> &cell,
                         const std::function<int(const AnsiString &)> &textWidth,
                         const std::function<int(const AnsiString &)> &reckonedWidth);
