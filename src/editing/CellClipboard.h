// Table cells as clipboard text and back. A block of cells is written row by row, cells separated
// by TAB and every row (the last one too) ended by CR LF; an in-cell line break (0x1D) travels as
// a lone LF. No widgets here: the main window's cell actions call these.
#pragma once

#include "platform/Text.h"
#include "shell/TableCells.h"

#include <functional>
#include <span>
#include <string_view>

// A rectangle of cells, both corners included.
struct CellBlock
{
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The cells of the block, taken from a row-major array of colCount columns, as clipboard text.
AnsiString CellsToClipboardText(std::span<const AnsiString> cells, int colCount, const CellBlock &block);

// Clipboard text with its rows ended by CR LF. Programs on this platform end lines with a lone LF;
// a text with no CR LF at all has its every LF read as a row end, as those programs mean it. A
// text with CR LF keeps every lone LF as an in-cell line break.
AnsiString ClipboardTextWithRowEnds(AnsiString text);

// What a paste of the text stores: the rows it fills (a row ends at CR LF; text after the last row
// end is the last row, as in a table file) and the right-most column index it reaches relative to
// the first one.
struct ClipboardShape
{
    long long Rows = 0;
    long long Widest = 0;
};
ClipboardShape MeasureClipboardCells(std::string_view text);

// Calls store(column, row, cell) for every cell the text gives, columns and rows counted from 0,
// by the rule of table files (SplitTableText): a TAB ends a cell, CR LF a row; a lone LF (or one
// standing first) becomes 0x1D; the other bytes 0x00-0x14 (CR included) are dropped; every other
// byte is cell text.
void ForEachClipboardCell(std::string_view text, const std::function<void(int, int, AnsiString &&)> &store);
