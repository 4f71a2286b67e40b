#include "shell/HeaderTags.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// First line whose text before its first "=" equals the name, any letter case; -1 when none.
int FindTagLine(const TStringList &lines, const AnsiString &name)
{
    for (int i = 0; i < lines.Count(); ++i)
        if (IsTagLineOf(lines[i], name)) return i;
    return -1;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

} // namespace

bool IsTagLineOf(std::string_view line, std::string_view name)
{
    return line.size() > name.size() && line[name.size()] == '=' && line.find('=') == name.size() &&
           AnsiCompareText(line.substr(0, name.size()), name) == 0;
}

bool IsAnchorLine(std::string_view line) { return line.find(HeaderTagAnchorWord) != std::string_view::npos; }

HeaderTagFactsFinder::HeaderTagFactsFinder(std::span<const HeaderTagSetting> tags)
    : Tags(tags), Found(tags.size()), Missing(tags.size())
{
}

bool HeaderTagFactsFinder::Take(std::string_view line)
{
    if (Anchor < 0 && IsAnchorLine(line)) Anchor = Index;
    for (size_t t = 0; t < Tags.size() && Missing > 0; ++t) {
        if (Found[t].Named >= 0 || !IsTagLineOf(line, Tags[t].Name)) continue;
        Found[t].Named = Index;
        Found[t].NamedLine = AnsiString(line);
        --Missing;
    }
    ++Index;
    return Anchor >= 0 && Missing == 0;
}

std::vector<HeaderTagFacts> HeaderTagFactsFinder::Facts(int count) const
{
    std::vector<HeaderTagFacts> facts = Found;
    for (HeaderTagFacts &f : facts) {
        f.Count = count;
        f.Anchor = Anchor;
    }
    return facts;
}

std::vector<HeaderTagFacts> FindHeaderTagFacts(const TStringList &lines, std::span<const HeaderTagSetting> tags)
{
    HeaderTagFactsFinder finder(tags);
    for (const AnsiString &line : lines)
        if (finder.Take(line)) break;
    return finder.Facts(lines.Count());
}

HeaderTagFacts FindHeaderTagFacts(const TStringList &lines, const AnsiString &name)
{
    const HeaderTagSetting tag{name, AnsiString()};
    return FindHeaderTagFacts(lines, std::span(&tag, 1)).front();
}

bool MoveFactsWithEdits(HeaderTagFacts &facts, const AnsiString &name, const std::vector<LineEdit> &edits)
{
    const auto standsOn = [&](const LineEdit &edit) {
        const bool touches = edit.Op != LineEdit::Insert && edit.Op != LineEdit::Append &&
                             (edit.Index == facts.Named || edit.Index == facts.Anchor);
        const bool makes = edit.Op != LineEdit::Delete && (IsAnchorLine(edit.Text) || IsTagLineOf(edit.Text, name));
        return touches || makes;
    };
    const auto shift = [](int &line, int at, int by) {
        if (line >= at) line += by;
    };
    for (const LineEdit &edit : edits) {
        if (standsOn(edit)) return false;
        switch (edit.Op) {
        case LineEdit::Insert:
            shift(facts.Named, edit.Index, 1);
            shift(facts.Anchor, edit.Index, 1);
            ++facts.Count;
            break;
        case LineEdit::Append: ++facts.Count; break;
        case LineEdit::Replace: break;
        case LineEdit::Delete:
            shift(facts.Named, edit.Index + 1, -1);
            shift(facts.Anchor, edit.Index + 1, -1);
            --facts.Count;
            break;
        }
    }
    return true;
}

AnsiString HeaderTagValue(const TStringList &lines, const AnsiString &name)
{
    const int i = FindTagLine(lines, name);
    return i < 0 ? AnsiString() : lines[i].substr(name.size() + 1);
}

HeaderTagChange PlanScriptHeaderTag(const HeaderTagFacts &facts, const AnsiString &name, const AnsiString &value,
                                    int caretY)
{
    HeaderTagChange change;
    const int named = facts.Named;
    const AnsiString tagLine = name + "=" + value;
    if (value.empty()) {
        if (named >= 0) change.Edits.push_back({LineEdit::Delete, named, {}});
    } else if (named >= 0 && facts.NamedLine.size() > name.size() + 1) {   // present with a value
        change.Edits.push_back({LineEdit::Replace, named, tagLine});
    } else if (facts.Count == 0) {
        change.Edits.push_back({LineEdit::Append, 0, tagLine});
    } else {
        // With the caret on the last line below the anchor an empty line is appended first (it once
        // made room for the caret to move down); kept, so that saved files come out as before.
        const int at = facts.Anchor >= 0 ? facts.Anchor + 1 : 0;
        if (facts.Anchor >= 0 && facts.Anchor < caretY && caretY == facts.Count)
            change.Edits.push_back({LineEdit::Append, 0, {}});
        // The value goes to the first line of that name: an empty-valued one above the new line, else the new line.
        if (named >= 0 && named < at) {
            change.Edits.push_back({LineEdit::Insert, at, name + "="});
            change.Edits.push_back({LineEdit::Replace, named, tagLine});
        } else {
            change.Edits.push_back({LineEdit::Insert, at, tagLine});
        }
    }
    change.CaretY = PlaceAfterEdits({caretY - 1, 0}, change.Edits).Line + 1;
    return change;
}

HeaderTagChange PlanScriptHeaderTag(const TStringList &lines, const AnsiString &name, const AnsiString &value,
                                    int caretY)
{
    return PlanScriptHeaderTag(FindHeaderTagFacts(lines, name), name, value, caretY);
}

TextPlace PlaceAfterEdits(TextPlace place, const std::vector<LineEdit> &edits)
{
    for (const LineEdit &edit : edits) {
        switch (edit.Op) {
        case LineEdit::Insert:
            if (edit.Index <= place.Line) ++place.Line;
            break;
        case LineEdit::Replace:
            if (edit.Index == place.Line) place.Column = std::min(place.Column, int(edit.Text.size()));
            break;
        case LineEdit::Delete:
            if (edit.Index < place.Line) {
                --place.Line;
            } else if (edit.Index == place.Line) {
                place.Column = 0;
            }
            break;
        case LineEdit::Append: break;
        }
    }
    return place;
}

void ApplyLineEdits(TStringList &lines, const std::vector<LineEdit> &edits)
{
    for (const LineEdit &edit : edits) {
        switch (edit.Op) {
        case LineEdit::Insert: lines.Insert(edit.Index, edit.Text); break;
        case LineEdit::Replace: lines.SetString(edit.Index, edit.Text); break;
        case LineEdit::Delete: lines.Delete(edit.Index); break;
        case LineEdit::Append: lines.Add(edit.Text); break;
        }
    }
}

void SetScriptHeaderTag(TStringList &lines, const AnsiString &name, const AnsiString &value, int &caretY)
{
    const HeaderTagChange change = PlanScriptHeaderTag(lines, name, value, caretY);
    ApplyLineEdits(lines, change.Edits);
    caretY = change.CaretY;
}

bool ConvertAutoTagsInPlace(AnsiString &text)
{
    static constexpr std::string_view LegacyNames[] = {
        "PoweredBy",        "ScriptName",          "ScriptVersion",       "ScriptDate",
        "ScriptAuthor",     "ScriptKASVersion",    "ScriptLanguage",      "ScriptUsedVariables",
        "ScriptUsedFunctions", "ScriptUsedMacroNames", "ScriptUsedTimers", "ScriptUsedFlags",
    };
    // The new prefix has the old one's length and cannot start a new match, so one pass renames
    // every occurrence.
    constexpr std::string_view oldPrefix = "AUTO_";
    constexpr std::string_view newPrefix = "QUIL_";
    bool changed = false;
    const std::string_view view(text);
    for (size_t pos = view.find(oldPrefix); pos != std::string_view::npos; pos = view.find(oldPrefix, pos + 1)) {
        const std::string_view rest = view.substr(pos + oldPrefix.size());
        for (std::string_view name : LegacyNames) {
            if (rest.size() > name.size() && StartsWith(rest, name) && rest[name.size()] == '=') {
                std::memcpy(text.data() + pos, newPrefix.data(), newPrefix.size());
                changed = true;
                break;
            }
        }
    }
    return changed;
}

AnsiString ConvertAutoTags(AnsiString text)
{
    ConvertAutoTagsInPlace(text);
    return text;
}

ScriptOutline BuildScriptOutline(const TStringList &lines)
{
    struct Section
    {
        std::string_view Prefix;
        const char *Header;
        std::vector<AnsiString> Names;
    };
    Section sections[] = {{"_WARNING_", "  WARNINGS:", {}},
                          {"QUIL_", "  QUIL TAGS:", {}},
                          {"_DECLARATION_", "  DECLARATIONS:", {}}};
    Section &declarations = sections[2];

    for (const AnsiString &line : lines) {
        const size_t eq = line.find('=');
        if (eq == AnsiString::npos) continue;
        const std::string_view name(line.data(), eq);
        for (Section &section : sections) {
            if (StartsWith(name, section.Prefix)) {
                section.Names.emplace_back(name);
                break;
            }
        }
    }

    ScriptOutline outline;
    for (const Section &section : sections) {
        if (section.Names.empty()) continue;
        outline.OutlineLines.Add(OutlineSectionHeader);
        outline.OutlineItems.Add(section.Header);
        for (const AnsiString &name : section.Names) {
            const AnsiString shown = name.substr(section.Prefix.size());
            outline.OutlineLines.Add(name);
            outline.OutlineItems.Add(shown);
            if (&section == &declarations) {
                outline.DeclarationLines.Add(name);
                outline.DeclarationItems.Add(shown);
            }
        }
    }
    return outline;
}
