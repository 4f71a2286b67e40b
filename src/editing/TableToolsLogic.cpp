#include "editing/TableToolsLogic.h"

#include "common/Utils.h"
#include "shell/DocumentFiles.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <vector>

namespace {

// Column names and notes of the two fixed-layout tables.
struct ColumnHint
{
    const char *Name;
    const char *Note;
};

const ColumnHint KaoColumns[] = {
    {"Comment", ""},
    {"Script file number", " (If there is no such file, the item will not appear in the list)"},
    {"Page number", " (0...7)"},
    {"Group number", " (0..3)"},
    {"Item number in the group", " (0...19, -1 add to the end)"},
    {"Default state", ""},
    {"Multiplayer state", ""},
    {"KAS Setup variable", " (0...199)"},
    {"Text for the item", ""},
    {"Hint for the item", ""},
    {"Pop up message for the item", ""},
};

const ColumnHint KatColumns[] = {{"Index", ""}, {"Text resource", ""}, {"Comment", ""}, {"Date", ""}};

template <size_t N>
AnsiString ColumnHintText(const ColumnHint (&columns)[N], int col)
{
    if (col < 0 || col >= int(N)) return "";
    return AnsiString("\"") + columns[col].Name + "\" column" + columns[col].Note;
}

// The numeric indexes of column 0 as the comparison sees them: the first 9 characters, digits only.
std::vector<long long> KatIndexes(int rowCount, const std::function<const AnsiString &(int)> &cell)
{
    std::vector<long long> indexes;
    indexes.reserve(size_t(std::max(rowCount, 0)));
    for (int r = 0; r < rowCount; ++r) {
        const AnsiString &text = cell(r);
        const AnsiString head = text.substr(0, KatIndexWidth);
        if (IsNumber(head, false)) indexes.push_back(std::stoll(head));
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

bool Taken(const std::vector<long long> &sorted, long long n) { return std::binary_search(sorted.begin(), sorted.end(), n); }

} // namespace

std::optional<long long> NextKatIndex(int rowCount, const std::function<const AnsiString &(int)> &cell, bool fillBlanks)
{
    const std::vector<long long> indexes = KatIndexes(rowCount, cell);
    long long n = 0;
    if (fillBlanks) {
        // Walks up through the run of indexes that follows the smallest one; the run is at most
        // as long as the table, so the walk ends.
        n = indexes.empty() ? 0 : indexes.front();
        do {
            ++n;
        } while (n <= MaxKatIndex && Taken(indexes, n));
    } else {
        n = indexes.empty() ? 1 : indexes.back() + 1;
    }
    if (n > MaxKatIndex) n = 0;
    if (Taken(indexes, n)) return std::nullopt;
    return n;
}

AnsiString GridCellHint(const AnsiString &kind, int col, int row)
{
    if (kind == CMD_Document) return "Line: " + IntToStr(row + 1) + ", Column: " + IntToStr(col + 1);
    if (kind == KAO_Document) return ColumnHintText(KaoColumns, col);
    if (kind == KAT_Document) return ColumnHintText(KatColumns, col);
    return "";
}

AnsiString CheckedSpinText(const AnsiString &text, int position)
{
    if (text.size() > 9 || !IsNumber(text, false) || text[0] == '0') return IntToStr(position);
    return text;
}

AnsiString TestFillCellText(int col, int row)
{
    return "Line: " + IntToStr(row + 1) + CellLineBreak + "Column: " + IntToStr(col + 1);
}

AnsiString ShortDateText(const QDate &date) { return FromQ(QLocale::system().toString(date, QLocale::ShortFormat)); }
