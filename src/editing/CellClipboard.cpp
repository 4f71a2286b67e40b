#include "editing/CellClipboard.h"

#include "shell/DocumentFiles.h"

#include <algorithm>

AnsiString CellsToClipboardText(std::span<const AnsiString> cells, int colCount, const CellBlock &block)
{
    size_t size = 0;
    for (int r = block.Top; r <= block.Bottom; ++r)
        for (int c = block.Left; c <= block.Right; ++c) size += cells[size_t(r) * size_t(colCount) + size_t(c)].size() + 1;
    AnsiString text;
    text.reserve(size + size_t(std::max(0, block.Bottom - block.Top + 1)));
    for (int r = block.Top; r <= block.Bottom; ++r) {
        for (int c = block.Left; c <= block.Right; ++c) {
            text += cells[size_t(r) * size_t(colCount) + size_t(c)];
            if (c < block.Right) text += '\t';
        }
        text += "\r\n";
    }
    std::replace(text.begin(), text.end(), CellLineBreak, '\n');
    return text;
}

AnsiString ClipboardTextWithRowEnds(AnsiString text)
{
    if (text.find("\r\n") != AnsiString::npos || text.find('\n') == AnsiString::npos) return text;
    AnsiString ended;
    ended.reserve(text.size() + size_t(std::count(text.begin(), text.end(), '\n')));
    for (char c : text) {
        if (c == '\n') ended += '\r';
        ended += c;
    }
    return ended;
}

ClipboardShape MeasureClipboardCells(std::string_view text)
{
    ClipboardShape shape;
    long long column = 0;
    SplitTableText(
        text, [&column](AnsiString &) { ++column; },
        [&shape, &column](AnsiString &) {
            shape.Widest = std::max(shape.Widest, column);
            ++shape.Rows;
            column = 0;
            return true;
        },
        [] {});
    return shape;
}

void ForEachClipboardCell(std::string_view text, const std::function<void(int, int, AnsiString &&)> &store)
{
    int column = 0, row = 0;
    SplitTableText(
        text, [&](AnsiString &cell) { store(column++, row, std::move(cell)); },
        [&](AnsiString &cell) {
            store(column, row++, std::move(cell));
            column = 0;
            return true;
        },
        [] {});
}
