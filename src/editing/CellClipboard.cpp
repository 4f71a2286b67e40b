#include "editing/CellClipboard.h"

#include "shell/DocumentFiles.h"

#include <algorithm>

namespace {

// Bytes below this, other than TAB and LF, are no cell text.
constexpr unsigned char FirstTextByte = 0x15;

bool RowEndsAt(std::string_view text, size_t i) { return text[i] == '\n' && i > 0 && text[i - 1] == '\r'; }

} // namespace

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
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\t') {
            ++column;
        } else if (RowEndsAt(text, i)) {
            shape.Widest = std::max(shape.Widest, column);
            ++shape.Rows;
            shape.End = i + 1;
            column = 0;
        }
    }
    return shape;
}

void ForEachClipboardCell(std::string_view text, const std::function<void(int, int, AnsiString &&)> &store)
{
    const size_t end = MeasureClipboardCells(text).End;
    int column = 0, row = 0;
    AnsiString cell;
    for (size_t i = 0; i < end; ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b == '\t') {
            store(column++, row, std::move(cell));
            cell.clear();
        } else if (b == '\n') {
            if (RowEndsAt(text, i)) {
                store(column, row++, std::move(cell));
                cell.clear();
                column = 0;
            } else {
                cell += CellLineBreak;
            }
        } else if (b >= FirstTextByte) {
            cell += char(b);
        }
    }
}

