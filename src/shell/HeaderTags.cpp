#include "shell/HeaderTags.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// First line whose text before its first "=" equals the name, any letter case; -1 when none.
int FindTagLine(const TStringList &lines, const AnsiString &name)
{
    for (int i = 0; i < lines.Count(); ++i) {
        const AnsiString &line = lines[i];
        const size_t eq = line.find('=');
        if (eq == name.size() && SameText(line.substr(0, eq), name)) return i;
    }
    return -1;
}

int FindAnchorLine(const TStringList &lines)
{
    for (int i = 0; i < lines.Count(); ++i)
        if (lines[i].find(HeaderTagAnchorWord) != AnsiString::npos) return i;
    return -1;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

} // namespace

AnsiString HeaderTagValue(const TStringList &lines, const AnsiString &name)
{
    const int i = FindTagLine(lines, name);
    return i < 0 ? AnsiString() : lines[i].substr(name.size() + 1);
}

HeaderTagChange PlanScriptHeaderTag(const TStringList &lines, const AnsiString &name, const AnsiString &value,
                                    int caretY)
{
    HeaderTagChange change;
    change.CaretY = caretY;
    const int named = FindTagLine(lines, name);
    if (value.empty()) {
        if (named >= 0) change.Edits.push_back({LineEdit::Delete, named, {}});
        return change;
    }
    const AnsiString tagLine = name + "=" + value;
    if (named >= 0 && lines[named].size() > name.size() + 1) {   // present with a value: rewritten in place
        change.Edits.push_back({LineEdit::Replace, named, tagLine});
        return change;
    }
    int count = lines.Count();
    if (count == 0) {
        change.Edits.push_back({LineEdit::Append, 0, tagLine});
        return change;
    }

    // The caret keeps its line when the new line goes above it (it moves before the insertion, so
    // on the last line an empty line is appended first to make room).
    const int anchor = FindAnchorLine(lines);
    int at = 0;
    if (anchor >= 0) {
        if (anchor < caretY) {
            if (caretY == count) {
                change.Edits.push_back({LineEdit::Append, 0, {}});
                ++count;
            }
            change.CaretY = std::min(caretY + 1, count);
        }
        at = anchor + 1;
    } else if (caretY > 0) {
        change.CaretY = std::min(caretY + 1, count);
    }

    // The value goes to the first line of that name: an empty-valued one above the new line, else the new line.
    if (named >= 0 && named < at) {
        change.Edits.push_back({LineEdit::Insert, at, name + "="});
        change.Edits.push_back({LineEdit::Replace, named, tagLine});
    } else {
        change.Edits.push_back({LineEdit::Insert, at, tagLine});
    }
    return change;
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
