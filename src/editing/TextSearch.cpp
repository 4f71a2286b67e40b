#include "editing/TextSearch.h"

#include "platform/TStringList.h"
#include "shell/DocumentFiles.h"
#include "shell/TableCells.h"

#include <algorithm>
#include <string_view>

namespace {

const AnsiString CrLf = "\r\n";

// First place of an upper-cased pattern in the text compared upper-cased; npos when none.
size_t FindFolded(std::string_view text, std::string_view upperPattern)
{
    if (upperPattern.empty()) return 0;
    if (upperPattern.size() > text.size()) return std::string_view::npos;
    const unsigned char first = (unsigned char)upperPattern[0];
    const size_t last = text.size() - upperPattern.size();
    for (size_t at = 0; at <= last; ++at) {
        if (AnsiUpperChar((unsigned char)text[at]) != first) continue;
        size_t i = 1;
        while (i < upperPattern.size() &&
               AnsiUpperChar((unsigned char)text[at + i]) == (unsigned char)upperPattern[i])
            ++i;
        if (i == upperPattern.size()) return at;
    }
    return std::string_view::npos;
}

} // namespace

std::vector<AnsiString> HistoryEntries(const AnsiString &history)
{
    TStringList list;
    list.SetText(history);
    return {list.begin(), list.end()};
}

AnsiString HistoryFromItems(const std::vector<AnsiString> &items)
{
    AnsiString history;
    int kept = 0;
    for (const AnsiString &item : items) {
        if (kept == MaxHistoryEntries) break;
        if (item.empty()) continue;
        history += item + CrLf;
        ++kept;
    }
    return history;
}

AnsiString PutOnTopOfHistory(const AnsiString &history, const AnsiString &text)
{
    AnsiString result = text + CrLf;
    for (const AnsiString &entry : HistoryEntries(history))
        if (entry != text) result += entry + CrLf;
    return result;
}

void MoveItemToTop(std::vector<AnsiString> &items, const AnsiString &text)
{
    if (text.empty()) return;
    const auto same = std::find_if(items.begin(), items.end(), [&](const AnsiString &item) { return SameText(item, text); });
    if (same != items.end()) items.erase(same);
    items.insert(items.begin(), text);
}

AnsiString NotFoundMessage(const AnsiString &caption, const AnsiString &text, bool forReplace)
{
    return "Document: \"" + caption + "\".\r\nText \"" + text + (forReplace ? "\" not found!" : "\" not found.");
}

int CellMatchPosition(const AnsiString &cell, const AnsiString &pattern, const AnsiString &upperPattern,
                      bool caseSensitive)
{
    if (pattern.empty() || cell.empty()) return 0;
    // Most cells hold no line break: they are searched in place, without a copy.
    AnsiString converted;
    std::string_view text = cell;
    if (cell.find(CellLineBreak) != AnsiString::npos) {
        converted = CellToEditorText(cell);
        text = converted;
    }
    const size_t at = caseSensitive ? text.find(pattern) : FindFolded(text, upperPattern);
    return at == std::string_view::npos ? 0 : int(at) + 1;
}

std::optional<CellHit> FindInTable(const TableCellsView &table, int startCol, int startRow, bool backward,
                                   const AnsiString &text, bool caseSensitive)
{
    const TableShape &shape = table.Shape;
    if (text.empty() || shape.ColCount <= 0 || shape.RowCount <= 0) return std::nullopt;
    const AnsiString upper = caseSensitive ? AnsiString() : AnsiUpperCase(text);
    const auto test = [&](int col, int row) -> std::optional<CellHit> {
        if (shape.IsFixed(col, row)) return std::nullopt;
        const AnsiString &cell = table.Cells[size_t(row) * size_t(shape.ColCount) + size_t(col)];
        const int pos = CellMatchPosition(cell, text, upper, caseSensitive);
        if (pos == 0) return std::nullopt;
        return CellHit{col, row, pos};
    };
    startCol = std::clamp(startCol, 0, shape.ColCount - 1);
    startRow = std::clamp(startRow, 0, shape.RowCount - 1);
    if (!backward) {
        for (int row = startRow; row < shape.RowCount; ++row)
            for (int col = row == startRow ? startCol : 0; col < shape.ColCount; ++col)
                if (auto hit = test(col, row)) return hit;
    } else {
        for (int row = startRow; row >= 0; --row)
            for (int col = row == startRow ? startCol : shape.ColCount - 1; col >= 0; --col)
                if (auto hit = test(col, row)) return hit;
    }
    return std::nullopt;
}

void StepCell(int &col, int &row, const TableShape &shape, bool backward)
{
    int c = col, r = row;
    do {
        if (!backward) {
            if (c + 1 < shape.ColCount) ++c;
            else if (r + 1 < shape.RowCount) {
                c = 0;
                ++r;
            } else return;   // the last cell: stay
        } else {
            if (c > 0) --c;
            else if (r > 0) {
                c = shape.ColCount - 1;
                --r;
            } else return;   // the first cell: stay
        }
    } while (shape.IsFixed(c, r));
    col = c;
    row = r;
}

QPoint ConfirmDialogPosition(const QRect &area, int x, int lineTop, int lineBottom, QSize dialog)
{
    const int areaRight = area.left() + area.width();
    int left = x;
    if (dialog.width() >= area.width()) left = area.left() - (dialog.width() - area.width()) / 2;
    else if (areaRight < x + dialog.width()) left = areaRight - dialog.width();
    // Two thirds of the height, rounded to the nearest pixel.
    const int twoThirds = (area.height() * 2 + 1) / 3;
    const int top = lineBottom > area.top() + twoThirds ? lineTop - dialog.height() - 4 : lineBottom + 4;
    return {left, top};
}
