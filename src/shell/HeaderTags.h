// Header-tag lines of a script ("name=value" on one line) and the outline built from them.
// Plain functions over the script's lines; the main window applies the results to its panes.
#pragma once

#include "platform/TStringList.h"

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

// Setting a tag in a text whose caret stands on line caretY (1-based). A tag that is missing or has
// an empty value gets a new line directly below the first line holding "JOTE" (at the top when none
// does; the caret moves down with its line); then the first line of that name receives the value.
// An empty value deletes the first line of that name and adds nothing.
HeaderTagChange PlanScriptHeaderTag(const TStringList &lines, const AnsiString &name, const AnsiString &value,
                                    int caretY);
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
