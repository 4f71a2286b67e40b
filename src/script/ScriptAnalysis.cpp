#include "script/ScriptAnalysis.h"

#include "common/Utils.h"
#include "platform/TStringList.h"

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

// The intersection of one row: the result list of the pairwise comparison takes the items in the
// order "other row, then position in this row" and keeps the first of items equal without regard
// to case; sorting the candidates by (text, other row, position) and keeping the first of each
// group gives the same list.
AnsiString RowIntersection(const std::vector<std::string_view> &items, int row,
                           const std::unordered_map<std::string_view, FirstRows> &rowsOf)
{
    struct Candidate
    {
        AnsiString Item;
        int OtherRow;
        size_t Position;
    };
    std::vector<Candidate> candidates;
    for (size_t p = 0; p < items.size(); ++p) {
        const int other = rowsOf.at(items[p]).OtherThan(row);
        if (other >= 0) candidates.push_back({AnsiString(items[p]), other, p});
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
        const int c = AnsiCompareText(a.Item, b.Item);
        if (c != 0) return c < 0;
        if (a.OtherRow != b.OtherRow) return a.OtherRow < b.OtherRow;
        return a.Position < b.Position;
    });
    AnsiString r;
    const AnsiString *last = nullptr;
    for (const Candidate &c : candidates) {
        if (last && AnsiCompareText(*last, c.Item) == 0) continue;
        if (last) r += ';';
        r += c.Item;
        last = &c.Item;
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
    std::unordered_map<std::string_view, FirstRows> rowsOf;
    for (size_t i = 0; i < itemColumns.size(); ++i) {
        rows.push_back(SplitItems(itemColumns[i]));
        for (std::string_view item : rows.back()) rowsOf[item].Note(int(i));
    }
    for (size_t i = 0; i < rows.size(); ++i) result[i] = RowIntersection(rows[i], int(i), rowsOf);
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
