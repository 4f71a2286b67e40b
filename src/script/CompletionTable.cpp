#include "script/CompletionTable.h"

#include "common/Utils.h"

TSclIndex::TSclIndex(const TStringList &table) : LineCount(table.Count())
{
    for (const AnsiString &line : table) {
        const size_t eq = line.find('=');
        if (eq == AnsiString::npos) continue;   // carried, but never matches
        AnsiString name = line.substr(0, eq);
        Longest = std::max(Longest, name.size());
        // The table is in its sorted order: the first line of a name is the one that counts.
        ValuesByUpperName.try_emplace(AnsiUpperCase(name), line.substr(eq + 1));
        Names.insert(std::move(name));
    }
    const AnsiString separator = Value("VALUE_SEPARATOR");
    SeparatorChar = separator.empty() ? '\0' : separator[0];
}

bool TSclIndex::IsName(std::string_view word) const
{
    return !word.empty() && word.size() <= Longest && Names.count(std::string(word)) != 0;
}

AnsiString TSclIndex::Value(const AnsiString &name) const
{
    const auto found = ValuesByUpperName.find(AnsiUpperCase(name));
    return found == ValuesByUpperName.end() ? AnsiString() : found->second;
}

std::string_view KeyWordOf(std::string_view text, size_t length)
{
    // After the last ";" and then after the last blank: after whichever of the two comes last.
    const size_t cut = text.find_last_of("; ");
    if (cut != std::string_view::npos) text.remove_prefix(cut + 1);
    return text.substr(0, length);
}

int TScriptLines::NearestKeyLine(int index, size_t length, const TSclIndex &table) const
{
    for (int i = std::min(index, Count() - 1); i >= 0; --i)
        if (table.IsName(KeyWordOf(Line(i), length))) return i;
    return -1;
}

namespace {

// The upward search: the caret line's given text first, then the whole lines above it.
AnsiString SearchKeyUpward(const TScriptLines &lines, int caretLine, const AnsiString &caretText, size_t length,
                           const TSclIndex &table)
{
    const std::string_view word = KeyWordOf(caretText, length);
    if (table.IsName(word)) return AnsiString(word);
    const int found = lines.NearestKeyLine(caretLine - 1, length, table);
    if (found < 0) return {};
    return AnsiString(KeyWordOf(lines.Line(found), length));
}

} // namespace

AnsiString ChooseRecordKey(const TScriptLines &lines, int caretX, int caretY, const TSclIndex &table)
{
    if (caretX <= 1 || lines.Count() == 0) return MainListKey;
    const int lineIndex = caretY - 1;
    if (lineIndex < 0 || lineIndex >= lines.Count()) return MainListKey;
    const AnsiString line = lines.Line(lineIndex);
    if (int(line.size()) < caretX - 1) return MainListKey;   // the caret stands beyond the text
    const char before = line[size_t(caretX - 2)];
    if (before == ':') return SearchKeyUpward(lines, lineIndex, line.substr(0, size_t(caretX - 2)), 4, table);
    if (caretX == 2) return {};
    if (line[size_t(caretX - 3)] == '!')
        return SearchKeyUpward(lines, lineIndex, line.substr(0, size_t(caretX - 1)), 2, table);
    return MainListKey;
}

bool BuildCompletionLists(const TSclIndex &table, const AnsiString &key, TCompletionLists &lists)
{
    lists.Title.clear();
    lists.Items.Clear();
    lists.Inserts.Clear();
    const char separator = table.Separator();
    if (table.Empty() || separator == '\0' || key.empty()) return false;

    TStringList fields;
    SplitToStrings(table.Value(key), separator, fields);
    if (fields.Count() < 3) return false;
    lists.Title = fields[0];
    TStringList descriptions;
    SplitToStrings(table.Value(fields[1]), separator, lists.Inserts);
    SplitToStrings(table.Value(fields[2]), separator, descriptions);
    while (lists.Inserts.Count() > descriptions.Count()) lists.Inserts.Delete(lists.Inserts.Count() - 1);
    while (descriptions.Count() > lists.Inserts.Count()) descriptions.Delete(descriptions.Count() - 1);
    for (int i = 0; i < lists.Inserts.Count(); ++i) lists.Items.Add(lists.Inserts[i] + "\t" + descriptions[i]);
    return lists.Items.Count() > 0;
}

AnsiString CompletionStatusText(const AnsiString &item)
{
    AnsiString text = item;
    const size_t tab = text.find('\t');
    if (tab != AnsiString::npos && tab + 1 < text.size()) text.replace(tab, 1, " - ");
    return text + " (<Esc> for close)";
}
