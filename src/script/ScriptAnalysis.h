// The Analyzer's work on the usage tags of scripts, without any window: the six kinds of declared
// items, the normalising of one tag value, the items shared between documents and the report text.
#pragma once

#include "platform/Text.h"

#include <array>
#include <vector>

// One kind of declared item: its header tag, the captions of its page and columns, and the texts
// shown while it is processed.
struct AnalyzerKind
{
    const char *Tag;
    const char *PageCaption;
    const char *ItemCaption;          // third column
    const char *IntersectionCaption;  // fourth column
    int PrefixLength;                 // of the ranges "v3-5"; -1: items are neither expanded nor de-duplicated
    const char *ReadingText;
    const char *IntersectionText;

    bool Expands() const { return PrefixLength >= 0; }
};

inline constexpr int AnalyzerKindCount = 6;
extern const std::array<AnalyzerKind, AnalyzerKindCount> AnalyzerKinds;

// The three normalising steps, run one after the other on a tag value (the window shows a status
// text before each).
// Step 1: every blank removed.
AnsiString RemoveBlanks(const AnsiString &value);
// Step 2: split at ";" (the split ends at the first empty item), sorted without regard to case,
// ranges expanded for the kinds that have them, joined by ";".
AnsiString SortAndExpandItems(const AnsiString &value, const AnalyzerKind &kind);
// Step 3: repeats dropped for the kinds that expand ranges; the others keep the text as it is.
AnsiString FinalItems(const AnsiString &joined, const AnalyzerKind &kind);
// All three steps.
AnsiString AnalyzeTagValue(const AnsiString &value, const AnalyzerKind &kind);

// For each row's item column (";"-separated), the items it shares exactly with at least one other
// row, sorted without regard to case, each once (of items differing only in letter case the one
// met first in row order is kept). Fewer than two rows give no intersections.
// Work grows with the total number of items, not with the number of pairs of rows.
std::vector<AnsiString> FindIntersections(const std::vector<AnsiString> &itemColumns);

// A row of the report: one analysed document of one kind.
struct AnalyzerRow
{
    AnsiString DocumentName;
    AnsiString Items;
    AnsiString Intersection;
};

// The copy text of the six kinds (rows in the order given, one list per kind in the kinds' order).
AnsiString AnalyzerReportText(const std::array<std::vector<AnalyzerRow>, AnalyzerKindCount> &rows);
