#include "shell/TableCells.h"

#include "shell/DocumentFiles.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

AnsiString CellToEditorText(const AnsiString &cell)
{
    AnsiString text;
    text.reserve(cell.size() + size_t(std::count(cell.begin(), cell.end(), CellLineBreak)));
    for (char c : cell) {
        if (c == CellLineBreak) text += "\r\n";
        else text += c;
    }
    return text;
}

AnsiString EditorTextToCell(const AnsiString &text)
{
    AnsiString cell;
    cell.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            cell += CellLineBreak;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cell += c == '\t' ? ' ' : c;
        }
    }
    return cell;
}

int AutosizedColumnWidth(int rowCount, const std::function<const AnsiString &(int)> &cell,
                         const std::function<int(const AnsiString &)> &textWidth)
{
    // Measuring a text is the costly part; a text that repeats down the column is measured once.
    std::unordered_set<std::string_view> measured;
    int widest = 0;
    for (int r = 0; r < rowCount; ++r) {
        const AnsiString &text = cell(r);
        if (!text.empty() && measured.insert(text).second) widest = std::max(widest, textWidth(text));
    }
    return widest + AutosizeMargin;
}
