#include "script/ScriptAnalysis.h"

#include "common/Utils.h"
#include "platform/TStringList.h"
#include "platform/Text.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

const std::array<AnalyzerKind, AnalyzerKindCount> AnalyzerKinds = {{
    {"QUIL_ScriptUsedVariables", "Variables", "Variables", "Intersection variables", 1,
     "Reading \"QUIL_ScriptUsedVariables\" tag...", "Finding interceptions for variables..."},
    {"QUIL_ScriptUsedFunctions", "Functions", "Functions", "Intersection functions", 0,
     "Reading \"QUIL_ScriptUsedFunctions\" tag...", "Finding interceptions for functions..."},
    {"QUIL_ScriptUsedMacroNames", "Macros", "Macros", "Intersection maco names", -1,
     "Reading \"QUIL_ScriptUsedMacroNames\" tag...", "Finding interceptions for macro names..."},
    {"QUIL_ScriptUsedTimers", "Timers", "Timers", "Intersection timers", 0,
     "Reading \"QUIL_ScriptUsedTimers\" tag...", "Finding interceptions for timers..."},
    {"QUIL_ScriptUsedFlags", "Flags", "Flags", "Intersection flags", 0,
     "Reading \"QUIL_ScriptUsedFlags\" tag...", "Finding interceptions for flags..."},
    {"QUIL_AdditionalFiles", "Additional files", "Files", "Intersection files", -1,
     "Reading \"QUIL_AdditionalFiles\" tag...", "Finding interceptions for additional files..."},
}};

AnsiString RemoveBlanks(const AnsiString &value)
{
    AnsiString r = value;
    r.erase(std::remove(r.begin(), r.end(), ' '), r.end());
    return r;
}

AnsiString SortAndExpandItems(const AnsiString &value, const AnalyzerKind &kind)
{
    TStringList pieces;
    SplitToStrings(value, ';', pieces);
    pieces.Sort();
    AnsiString joined;
    for (const AnsiString &piece : pieces) {
        if (!joined.empty()) joined += ';';
        joined += kind.Expands() ? ExpandNumberRange(piece, kind.PrefixLength) : piece;
    }
    return joined;
}

AnsiString FinalItems(const AnsiString &joined, const AnalyzerKind &kind)
{
    return kind.Expands() ? SortSemicolonList(joined) : joined;
}

AnsiString AnalyzeTagValue(const AnsiString &value, const AnalyzerKind &kind)
{
    return FinalItems(SortAndExpandItems(RemoveBlanks(value), kind), kind);
}

namespace {

// The items of a ";" list as the split of the shared utilities gives them (ending at an empty one).
std::vector<std::string_view> SplitItems(const AnsiString &text)
{
    std::vector<std::string_view> items;
    const std::string_view view(text);
    size_t pos = 0;
    while (pos < view.size()) {
        size_t end = view.find(';', pos);
        if (end == std::string_view::npos) end = view.size();
        if (end == pos) break;
        items.push_back(view.substr(pos, end - pos));
        pos = end + 1;
    }
    return items;
}

// The first two rows holding an item (exactly); -1 where there is none.
struct FirstRows
{
    int First = -1;
    int Second = -1;
    void Note(int row)
    {
        if (First < 0) First = row;
        else if (Second < 0 && row != First) Second = row;
    }
    int OtherThan(int row) const { return First != row ? First : Second; }
};

struct Candidate
{
    std::string_view Item;
    int OtherRow;
    size_t Position;
};

bool ByTextThenOrder(const Candidate &a, const Candidate &b)
{
    const int c = AnsiCompareText(a.Item, b.Item);
    if (c != 0) return c < 0;
    if (a.OtherRow != b.OtherRow) return a.OtherRow < b.OtherRow;
    return a.Position < b.Position;
}

// The intersection of one row: the result list of the pairwise comparison takes the items in the
// order "other row, then position in this row" and keeps the first of items equal without regard
// to case; ordering the candidates by (text, other row, position) and keeping the first of each
// group gives the same list. A row's items normally come sorted already, and then only the
// groups of equal texts need looking at.
AnsiString RowIntersection(const std::vector<std::string_view> &items, int row, const std::vector<const FirstRows *> &rowsOf)
{
    std::vector<Candidate> candidates;
    for (size_t p = 0; p < items.size(); ++p) {
        const int other = rowsOf[p]->OtherThan(row);
        if (other >= 0) candidates.push_back({items[p], other, p});
    }
    bool sorted = true;
    for (size_t i = 1; i < candidates.size() && sorted; ++i)
        sorted = AnsiCompareText(candidates[i - 1].Item, candidates[i].Item) <= 0;
    if (!sorted) std::sort(candidates.begin(), candidates.end(), ByTextThenOrder);

    AnsiString r;
    for (size_t i = 0; i < candidates.size();) {
        size_t end = i + 1;
        const Candidate *first = &candidates[i];
        for (; end < candidates.size() && AnsiCompareText(candidates[i].Item, candidates[end].Item) == 0; ++end)
            if (std::pair(candidates[end].OtherRow, candidates[end].Position) < std::pair(first->OtherRow, first->Position))
                first = &candidates[end];
        if (!r.empty()) r += ';';
        r.append(first->Item);
        i = end;
    }
    return r;
}

} // namespace

std::vector<AnsiString> FindIntersections(const std::vector<AnsiString> &itemColumns)
{
    std::vector<AnsiString> result(itemColumns.size());
    if (itemColumns.size() < 2) return result;
    std::vector<std::vector<std::string_view>> rows;
    rows.reserve(itemColumns.size());
    size_t total = 0;
    for (const AnsiString &column : itemColumns) {
        rows.push_back(SplitItems(column));
        total += rows.back().size();
    }
    std::unordered_map<std::string_view, FirstRows> rowsOf;
    rowsOf.reserve(total);
    // Map entries stay where they are when the map grows, so each item keeps a pointer to its own.
    std::vector<std::vector<const FirstRows *>> entries(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        entries[i].reserve(rows[i].size());
        for (std::string_view item : rows[i]) {
            FirstRows &entry = rowsOf[item];
            entry.Note(int(i));
            entries[i].push_back(&entry);
        }
    }
    for (size_t i = 0; i < rows.size(); ++i) result[i] = RowIntersection(rows[i], int(i), entries[i]);
    return result;
}

AnsiString AnalyzerReportText(const std::array<std::vector<AnalyzerRow>, AnalyzerKindCount> &rows)
{
    AnsiString text;
    for (int k = 0; k < AnalyzerKindCount; ++k) {
        const AnalyzerKind &kind = AnalyzerKinds[size_t(k)];
        if (k > 0) text += "\r\n";
        text += AnsiString(kind.PageCaption) + "\r\n==========\r\n";
        for (const AnalyzerRow &row : rows[size_t(k)]) {
            text += "Document: " + row.DocumentName + "\r\n";
            text += AnsiString(kind.ItemCaption) + ": " + row.Items + "\r\n";
            text += AnsiString(kind.IntersectionCaption) + ": " + row.Intersection + "\r\n";
        }
    }
    return text;
}
