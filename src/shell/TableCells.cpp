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

namespace {

using CellText = std::function<const AnsiString &(int)>;
using TextWidth = std::function<int(const AnsiString &)>;

// The widest text of the column, every text measured; a text that repeats is measured once.
int WidestMeasuredText(int rowCount, const CellText &cell, const TextWidth &textWidth)
{
    std::unordered_set<std::string_view> measured;
    int widest = 0;
    for (int r = 0; r < rowCount; ++r) {
        const AnsiString &text = cell(r);
        if (!text.empty() && measured.insert(text).second) widest = std::max(widest, textWidth(text));
    }
    return widest;
}

} // namespace

int AutosizedColumnWidth(int rowCount, const CellText &cell, const TextWidth &textWidth, const TextWidth &reckonedWidth)
{
    // Measuring a text is the costly part, reckoning its width is cheap. Texts that cannot be
    // reckoned are measured; of the others only the one reckoned widest, when it beats them, so
    // that its measurement confirms the reckoning. A measurement that disagrees shows that the
    // reckoning does not hold for this font: then every text is measured.
    std::unordered_set<std::string_view> measured;
    int widest = 0, widestReckoned = -1, widestReckonedRow = -1;
    for (int r = 0; r < rowCount; ++r) {
        const AnsiString &text = cell(r);
        if (text.empty()) continue;
        const int width = reckonedWidth(text);
        if (width < 0) {
            if (measured.insert(text).second) widest = std::max(widest, textWidth(text));
        } else if (width > widestReckoned) {
            widestReckoned = width;
            widestReckonedRow = r;
        }
    }
    if (widestReckoned > widest) {
        if (textWidth(cell(widestReckonedRow)) != widestReckoned)
            return WidestMeasuredText(rowCount, cell, textWidth) + AutosizeMargin;
        widest = widestReckoned;
    }
    return widest + AutosizeMargin;
}
