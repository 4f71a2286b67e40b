// Header-tag lines of a script ("name=value" on one line) and the outline built from them.
// Plain functions over the script's lines; the main window applies the results to its panes.
#pragma once

#include "platform/TStringList.h"

#include <span>
#include <string_view>
#include <vector>

inline constexpr char ScriptDateTag[] = "QUIL_ScriptDate";
inline constexpr char PoweredByTag[] = "QUIL_PoweredBy";
inline constexpr char Warning1Tag[] = "_WARNING_#1";

// The word whose first line receives new tags below it (letter case counts).
inline constexpr char HeaderTagAnchorWord[] = "JOTE";

// Outline entry standing for a section header.
inline constexpr char OutlineSectionHeader[] = "\t\t\t";

// The value of the first line named `name` (text before its first "=", any letter case); "" when missing.
AnsiString HeaderTagValue(const TStringList &lines, const AnsiString &name);

// One change to a list of lines; indexes are valid at the moment the edit is applied.
struct LineEdit
{
    enum Kind { Insert, Replace, Delete, Append };
    Kind Op = Insert;
    int Index = 0;            // unused by Append
    AnsiString Text;          // unused by Delete
    bool operator==(const LineEdit &) const = default;
};

// What setting a tag does to a text: edits in order, then the caret's line (1-based) afterwards.
struct HeaderTagChange
{
    std::vector<LineEdit> Edits;
    int CaretY = 1;
};

// The line is the tag's: its text before the first "=" is the name, in any letter case.
bool IsTagLineOf(std::string_view line, std::string_view name);
// The line holds the anchor word.
bool IsAnchorLine(std::string_view line);

// What setting a tag needs to know of a text.
struct HeaderTagFacts
{
    int Count = 0;            // lines
    int Named = -1;           // the first line of the tag's name, -1 when none
    AnsiString NamedLine;     // its text
    int Anchor = -1;          // the first line holding the anchor word, -1 when none
};
HeaderTagFacts FindHeaderTagFacts(const TStringList &lines, const AnsiString &name);

// A tag and the value it is to get.
struct HeaderTagSetting
{
    AnsiString Name;
    AnsiString Value;
};

// Finds the facts of several tags in one pass over a text, given line by line; the pass can stop
// as soon as Take says every fact is found.
class HeaderTagFactsFinder
{
public:
    explicit HeaderTagFactsFinder(std::span<const HeaderTagSetting> tags);
    // The next line; true when nothing more is to be found.
    bool Take(std::string_view line);
    // The facts of each tag, in the order given, for a text of count lines.
    std::vector<HeaderTagFacts> Facts(int count) const;

private:
    std::span<const HeaderTagSetting> Tags;
    std::vector<HeaderTagFacts> Found;
    size_t Missing = 0;
    int Index = 0;
    int Anchor = -1;
};
std::vector<HeaderTagFacts> FindHeaderTagFacts(const TStringList &lines, std::span<const HeaderTagSetting> tags);

// Brings the facts of a tag up to date with edits made for another tag, when those can only have
// moved its lines. False when an edit touched or made a line that the facts stand on (the anchor
// line or a line of the name): then the facts must be found again.
bool MoveFactsWithEdits(HeaderTagFacts &facts, const AnsiString &name, const std::vector<LineEdit> &edits);

// Setting a tag in a text whose caret stands on line caretY (1-based). A tag that is missing or has
// an empty value gets a new line directly below the first line holding "JOTE" (at the top when none
// does); then the first line of that name receives the value. An empty value deletes the first
// line of that name and adds nothing. The caret stays on its own text.
HeaderTagChange PlanScriptHeaderTag(const HeaderTagFacts &facts, const AnsiString &name, const AnsiString &value,
                                    int caretY);
HeaderTagChange PlanScriptHeaderTag(const TStringList &lines, const AnsiString &name, const AnsiString &value,
                                    int caretY);

// A place in a text: 0-based line and 0-based column.
struct TextPlace
{
    int Line = 0;
    int Column = 0;
    bool operator==(const TextPlace &) const = default;
};
// Where a place stands after the edits: on the same text at the same column. Lines inserted or
// deleted before it move it; in a rewritten line it keeps its column where that still exists;
// when its own line is deleted it goes to the start of the line that takes its place.
TextPlace PlaceAfterEdits(TextPlace place, const std::vector<LineEdit> &edits);
void ApplyLineEdits(TStringList &lines, const std::vector<LineEdit> &edits);
// Plan and apply in one go; caretY is updated.
void SetScriptHeaderTag(TStringList &lines, const AnsiString &name, const AnsiString &value, int &caretY);

// Renames the twelve tags of the old naming scheme: "AUTO_<name>=" -> "QUIL_<name>=" wherever it
// occurs. Returns whether anything changed.
bool ConvertAutoTagsInPlace(AnsiString &text);
AnsiString ConvertAutoTags(AnsiString text);

// The outline of a script: OutlineLines parallel to OutlineItems (the tag bar's first list),
// DeclarationLines parallel to DeclarationItems (its second list). Sections warnings, tags,
// declarations, each only when it has entries.
struct ScriptOutline
{
    TStringList OutlineLines;      // "\t\t\t" for a section header, else a tag name
    TStringList OutlineItems;      // "  WARNINGS:" ... and the names without their prefix
    TStringList DeclarationLines;  // declaration names whole
    TStringList DeclarationItems;  // declaration names without their prefix
};
ScriptOutline BuildScriptOutline(const TStringList &lines);
