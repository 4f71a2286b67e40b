#include "textres/KatIndexing.h"

#include "common/Utils.h"
#include "platform/Exception.h"
#include "shell/DocumentFiles.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <unordered_map>

std::array<TStringList, 6> TypeIndexSettings;
TStringList CommonIndexSettings;
std::array<bool, 4> KatOptionFlags = {true, true, true, true};
const std::array<const char *, 4> KatOptionValueNames = {"KAT_WriteScriptVersion", "KAT_WriteStringType",
                                                         "KAT_MakeBackups", "KAT_OpenOldDoc"};

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct TypeInfo
{
    const char *Title, *Text, *Reference;
};
constexpr TypeInfo Types[StringTypeCount] = {
    {"!!, M", "!!M", "1/z"}, {"!!, Q", "!!Q", "/z"}, {"!!, S", "!!S", "z"},
    {"!#, M", "!#M", "1/z"}, {"!#, Q", "!#Q", "/z"}, {"!#, S", "!#S", "z"},
};

// A strict decimal number, as the settings hold them.
long long DecimalOf(const AnsiString &text)
{
    if (!IsNumber(text, true) || text == "-" || text.size() > 18)
        throw EConvertError("'" + text + "' is not a valid integer value");
    return std::stoll(text);
}

AnsiString FileNameOf(const AnsiString &path)
{
    const size_t cut = path.find_last_of("/\\:");
    return cut == AnsiString::npos ? path : path.substr(cut + 1);
}

// The end of the run of digits that begins at pos.
size_t DigitsEnd(std::string_view s, size_t pos)
{
    while (pos < s.size() && IsDigit(s[pos])) ++pos;
    return pos;
}

// The first "%Z" + index in the text that is not followed by another digit.
size_t FindWholeReference(const AnsiString &text, const AnsiString &index)
{
    const AnsiString ref = "%Z" + index;
    for (size_t at = text.find(ref); at != AnsiString::npos; at = text.find(ref, at + 1))
        if (at + ref.size() >= text.size() || !IsDigit(text[at + ref.size()])) return at;
    return AnsiString::npos;
}

// Calls found(digits) for every "%Z" followed by digits in the text.
template <typename F> void ForEachPercentReference(const AnsiString &text, F found)
{
    for (size_t at = text.find("%Z"); at != AnsiString::npos; at = text.find("%Z", at + 2)) {
        const size_t end = DigitsEnd(text, at + 2);
        if (end > at + 2) found(text.substr(at + 2, end - at - 2));
    }
}

} // namespace

void ResetIndexSettings(const AnsiString &scriptNumber)
{
    for (TStringList &list : TypeIndexSettings) {
        list.Clear();
        list.Add("TRUE");
        list.Add("1");
        list.Add("0");
    }
    CommonIndexSettings.Clear();
    CommonIndexSettings.Add(scriptNumber);
    CommonIndexSettings.Add("1");
    CommonIndexSettings.Add("S");
}

AnsiString ScriptNumberOf(const AnsiString &caption)
{
    const AnsiString name = FileNameOf(AnsiUpperCase(caption));
    if (name.find("SCRIPT") == AnsiString::npos || name.size() <= 8) return "0";
    return IsDigit(name[6]) && IsDigit(name[7]) ? name.substr(6, 2) : AnsiString("0");
}

int StringTypeOf(char kind, char letter)
{
    const int group = kind == '!' ? 0 : kind == '#' ? 3 : -1;
    const int offset = letter == 'M' ? 0 : letter == 'Q' ? 1 : letter == 'S' ? 2 : -1;
    return group < 0 || offset < 0 ? -1 : group + offset;
}

AnsiString TypeTitle(int type) { return Types[type].Title; }
AnsiString TypeText(int type) { return Types[type].Text; }
AnsiString ReferenceForm(int type) { return Types[type].Reference; }

AnsiString KatHeaderText(const AnsiString &scriptPath)
{
    return "Text resource for \"" + FileNameOf(scriptPath) + "\" document";
}

bool IsKatHeaderOf(const AnsiString &cell0, const AnsiString &cell1, const AnsiString &scriptPath)
{
    return cell0.find('#') != AnsiString::npos && cell1.find(KatHeaderText(scriptPath)) != AnsiString::npos;
}

AnsiString TextToCell(const AnsiString &text)
{
    AnsiString cell;
    cell.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            cell += '\x1D';
            ++i;
        } else {
            cell += text[i];
        }
    }
    return cell;
}

namespace {

// Appends the cell's text with CR LF in place of each 0x1D.
void AppendCellText(AnsiString &out, std::string_view cell)
{
    for (size_t from = 0;;) {
        const size_t lineBreak = cell.find('\x1D', from);
        out.append(cell.substr(from, lineBreak == std::string_view::npos ? std::string_view::npos : lineBreak - from));
        if (lineBreak == std::string_view::npos) return;
        out += "\r\n";
        from = lineBreak + 1;
    }
}

} // namespace

AnsiString CellToText(const AnsiString &cell)
{
    AnsiString text;
    text.reserve(cell.size());
    AppendCellText(text, cell);
    return text;
}

AnsiString KatComment(const AnsiString &oldCell, int type, bool writeType, const AnsiString &version,
                      bool writeVersion)
{
    AnsiString comment = writeType ? TypeText(type) : oldCell;
    if (!version.empty() && writeVersion) {
        if (!comment.empty()) comment += "; ";
        comment += "Script version = " + version;
    }
    return comment;
}

AnsiString ScriptVersionIn(std::string_view script)
{
    bool found[2] = {false, false};
    AnsiString values[2];
    const char *const names[2] = {"QUIL_ScriptVersion", "AUTO_ScriptVersion"};
    for (size_t start = 0; start < script.size() && !found[0];) {
        size_t end = script.find("\r\n", start);
        if (end == std::string_view::npos) end = script.size();
        const size_t eq = std::min(script.substr(start, end - start).find('='), end - start) + start;
        if (eq < end)
            for (int k = 0; k < 2; ++k)
                if (!found[k] && eq - start == std::char_traits<char>::length(names[k]) &&
                    SameText(AnsiString(script.substr(start, eq - start)), names[k])) {
                    found[k] = true;
                    values[k] = script.substr(eq + 1, end - eq - 1);
                }
        start = end + 2;
    }
    return values[0].empty() ? values[1] : values[0];
}

AnsiString TodayShortDate()
{
    return FromQ(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
}

AnsiString ComposeIndex(const AnsiString &prefix, TStringList &common, long long postfix)
{
    AnsiString padded = std::to_string(postfix);
    if (padded.size() < 3) padded.insert(0, 3 - padded.size(), '0');
    if (common[0].size() == 1) common.SetString(0, "0" + common[0]);
    return StripLeadingZeros(prefix + common[0] + padded);
}

void KatTakenIndexes::Add(std::string_view index)
{
    if (index.empty() || (index.size() > 1 && index[0] == '0')) return;
    Numbers.emplace(index);
}

void KatTakenIndexes::AddRow(std::string_view indexCell, std::string_view text)
{
    const std::string_view index = indexCell.substr(!indexCell.empty() && indexCell[0] == '#' ? 1 : 0);
    if (!index.empty() && DigitsEnd(index, 0) == index.size()) Add(index);
    AddReferencesIn(text);
}

void KatTakenIndexes::AddReferencesIn(std::string_view text)
{
    const auto addDigitsAt = [&](size_t from) {
        const size_t end = DigitsEnd(text, from);
        if (end > from) Add(text.substr(from, end - from));
    };
    for (size_t z = text.find('z'); z != std::string_view::npos; z = text.find('z', z + 1)) addDigitsAt(z + 1);
    for (size_t z = text.find("%Z"); z != std::string_view::npos; z = text.find("%Z", z + 2)) addDigitsAt(z + 2);
}

bool CellCanKeep(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (c < FirstCellTextByte || c == static_cast<unsigned char>(CellLineBreak)) return false;
    }
    return true;
}

AnsiString KatStayedMessage(const std::array<int, KatStayReasonCount> &stayed)
{
    static const char *const why[KatStayReasonCount] = {
        "it is not closed, or not where the search found it",
        "a digit after it, or the text before it, would make its index reference read as another one",
        "it holds a TAB, a lone CR or LF, or another control byte, which a cell of the KAT document cannot keep",
        "no free index is left for its string type",
    };
    int total = 0;
    for (int n : stayed) total += n;
    if (total == 0) return {};
    AnsiString message = "Attention! " + std::to_string(total) + (total == 1 ? " selected text" : " selected texts") +
                         " stayed in the script:";
    for (int r = 0; r < KatStayReasonCount; ++r)
        if (stayed[size_t(r)] > 0) message += "\r\n" + std::to_string(stayed[size_t(r)]) + " - " + why[r] + ";";
    message.back() = '.';
    return message;
}

namespace {

// Why the text cannot move (KatStayReasonCount when it can): its carets must still stand where the
// scan found them, after the text replaced last, and no digit may follow the closing one.
int WhyTextStays(std::string_view script, const KatItem &item, size_t copied)
{
    const size_t open = size_t(item.Start) - 2, close = size_t(item.End) - 1;   // 0-based carets
    if (item.Start < 2 || item.End < item.Start || close >= script.size() || open < copied ||
        script[open] != '^' || script[close] != '^')
        return KatStayNotAsScanned;
    if (close + 1 < script.size() && IsDigit(script[close + 1])) return KatStayWouldNotReadBack;
    if (!CellCanKeep(item.Text)) return KatStayCellCannotKeep;
    return KatStayReasonCount;
}

// A command letter other than M, Q and S counts as the "Unknown types as" letter.
char EffectiveLetter(char letter, const TStringList &common)
{
    if (letter == 'M' || letter == 'Q' || letter == 'S') return letter;
    return common[2].empty() ? '-' : common[2][0];
}

// De-KATtify tells the three reference forms apart by what stands before them ("M1/z", "/z",
// "z"); a reference whose script text before it would make it read as another form could not be
// restored as it was.
bool ReadsAsItsOwnForm(std::string_view before, int type)
{
    const auto endsWith = [&](const char *tail) {
        const size_t n = std::char_traits<char>::length(tail);
        return before.size() >= n && before.compare(before.size() - n, n, tail) == 0;
    };
    const AnsiString form = ReferenceForm(type);
    if (form == "1/z") return endsWith("M");
    if (form == "/z") return !endsWith("M1");
    return !endsWith("/");
}

// The last two characters that stand before pos once the edits so far are made: the script's own
// from copied on, after the end of the text put in last.
AnsiString TextBefore(std::string_view script, size_t copied, size_t pos, const AnsiString &lastPutIn)
{
    AnsiString before = lastPutIn.substr(lastPutIn.size() - std::min<size_t>(lastPutIn.size(), 2));
    const size_t from = pos - std::min<size_t>(pos - copied, 2);
    before.append(script.substr(from, pos - from));
    return before;
}

} // namespace

AnsiString EditedScript(std::string_view script, const std::vector<ScriptEdit> &edits)
{
    AnsiString out;
    size_t copied = 0;
    for (const ScriptEdit &edit : edits) {
        out.append(script.substr(copied, edit.Start - copied));
        out += edit.Text;
        copied = edit.End;
    }
    out.append(script.substr(std::min(copied, script.size())));
    return out;
}

namespace {

// The first number from postfix + counter on, stepping by increment, whose index is free; false
// when the numbers run out first. counter is left at the number's step.
bool FreeNumber(const KatTakenIndexes &taken, const AnsiString &prefix, TStringList &common, long long postfix,
                long long increment, long long &counter, AnsiString &index)
{
    for (long long c = counter; c <= MaxKatNumber - postfix; c += increment) {
        index = ComposeIndex(prefix, common, postfix + c);
        if (!taken.Holds(index)) {
            counter = c;
            return true;
        }
        if (increment <= 0) break;   // the numbering would stay on the taken number
    }
    return false;
}

} // namespace

KattifyResult Kattify(std::string_view script, const std::vector<KatItem> &items,
                      std::array<TStringList, 6> &types, TStringList &common, KatTakenIndexes taken,
                      const std::function<void(int done)> &progress)
{
    // The settings change only when the whole run has succeeded.
    std::array<TStringList, 6> newTypes = types;
    TStringList newCommon = common;
    KattifyResult result;
    result.Edits.reserve(items.size());
    result.Rows.reserve(items.size());
    taken.Reserve(items.size());
    // What De-KATtify would read as a reference to a new row, other than the row's own reference.
    taken.AddReferencesIn(script);
    for (const KatItem &item : items)
        if (item.Checked) taken.AddReferencesIn(item.Text);
    std::array<long long, StringTypeCount> lastNumber{};
    long long counter = 0;
    size_t copied = 0;   // the end of the last text replaced
    AnsiString reference, index;
    for (size_t i = 0; i < items.size(); ++i) {
        const KatItem &item = items[i];
        const int type = StringTypeOf(item.Kind, EffectiveLetter(item.Letter, newCommon));
        if (item.Checked && type >= 0 && newTypes[size_t(type)][0] == "TRUE") {
            const size_t open = size_t(item.Start) - 2;
            int stays = WhyTextStays(script, item, copied);
            if (stays == KatStayReasonCount && !ReadsAsItsOwnForm(TextBefore(script, copied, open, reference), type))
                stays = KatStayWouldNotReadBack;
            if (stays == KatStayReasonCount) {
                const TStringList &settings = newTypes[size_t(type)];
                const long long postfix = DecimalOf(settings[2]);
                if (!FreeNumber(taken, settings[1], newCommon, postfix, DecimalOf(newCommon[1]), counter, index))
                    stays = KatStayNoFreeIndex;
                else
                    lastNumber[size_t(type)] = postfix + counter;
            }
            if (stays != KatStayReasonCount) {
                ++result.Stayed[size_t(stays)];
            } else {
                taken.Add(index);
                result.Rows.push_back({index, TextToCell(item.Text), type});
                reference = ReferenceForm(type) + index;
                result.Edits.push_back({open, size_t(item.End), reference});
                copied = size_t(item.End);
                counter += DecimalOf(newCommon[1]);
            }
        }
        if (progress) progress(int(i + 1));
    }
    for (size_t t = 0; t < newTypes.size(); ++t) newTypes[t].SetString(2, std::to_string(lastNumber[t] + 1));
    types = std::move(newTypes);
    common = std::move(newCommon);
    return result;
}

std::vector<ScriptEdit> WriteBackTexts(std::string_view script, std::vector<KatItem> &items,
                                       std::string_view finalBreak)
{
    const size_t length = script.size() + finalBreak.size();
    // The text from..to of the script followed by finalBreak is the given one.
    const auto holds = [&](size_t from, size_t to, std::string_view text) {
        const size_t inScript = std::min(to, script.size()) - std::min(from, script.size());
        return text.size() == to - from && text.substr(0, inScript) == script.substr(std::min(from, script.size()), inScript) &&
               text.substr(inScript) == finalBreak.substr(std::max(from, script.size()) - script.size(), to - from - inScript);
    };
    std::vector<ScriptEdit> edits;
    size_t copied = 0;
    long long delta = 0;   // change of length so far
    for (KatItem &item : items) {
        const size_t from = size_t(item.Start - 1), to = size_t(item.End - 1);   // in the old script
        item.Start = int(item.Start + delta);
        item.End = int(item.End + delta);
        if (!item.Checked || from < copied || to < from || to > length) continue;
        if (holds(from, to, item.Text)) continue;
        edits.push_back({std::min(from, script.size()), std::min(to, script.size()), item.Text});
        copied = to;
        delta += (long long)item.Text.size() - (long long)(to - from);
        item.End = int(item.Start + (long long)item.Text.size());
    }
    return edits;
}

bool IsKatIndex(const AnsiString &cell) { return IsNumber(cell, false); }

std::vector<bool> ExpandKatReferences(const std::vector<AnsiString> &indexes, std::vector<AnsiString> &texts)
{
    const size_t rows = std::min(indexes.size(), texts.size());
    std::vector<bool> source(rows, false);
    // Which rows hold "%Z" + an index: kept up to date as texts grow, so a row is visited only
    // for the references it holds instead of every row for every index.
    std::unordered_map<AnsiString, std::vector<size_t>> holders;
    for (size_t j = 0; j < rows; ++j)
        ForEachPercentReference(texts[j], [&](const AnsiString &index) { holders[index].push_back(j); });
    for (size_t i = 0; i < rows; ++i) {
        if (!IsKatIndex(indexes[i])) continue;
        const auto found = holders.find(indexes[i]);
        if (found == holders.end()) continue;
        std::vector<size_t> candidates = std::move(found->second);
        holders.erase(found);
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        for (size_t j : candidates) {
            if (j == i) continue;
            const size_t at = FindWholeReference(texts[j], indexes[i]);
            if (at == AnsiString::npos) continue;
            texts[j].replace(at, 2 + indexes[i].size(), texts[i]);
            source[i] = true;
            ForEachPercentReference(texts[i], [&](const AnsiString &index) { holders[index].push_back(j); });
        }
        // Rows that still name this index wait for a later row of the same index.
        for (size_t j : candidates)
            if (FindWholeReference(texts[j], indexes[i]) != AnsiString::npos) holders[indexes[i]].push_back(j);
    }
    return source;
}

namespace {

// The order of numbers written without leading zeros: by length, then by digits.
bool IndexBefore(std::string_view a, std::string_view b) { return a.size() != b.size() ? a.size() < b.size() : a < b; }

// Finds the first row that holds an index. KATtify writes its rows in increasing order and the
// script names them in that order; so the indexes are kept in the order of numbers (by length,
// then by digits), the one after the last found is tried first and any other is looked up by
// halves. Unlike a hash table this goes through memory in order, so its cost per row stays the
// same however long the table; a table already in order is not sorted again.
class FirstRowFinder
{
  public:
    FirstRowFinder(const std::vector<AnsiString> &indexes, size_t rows)
    {
        Entries.reserve(rows);
        for (size_t i = 0; i < rows; ++i)
            if (IsKatIndex(indexes[i])) Entries.push_back({indexes[i], i});
        if (!std::is_sorted(Entries.begin(), Entries.end(), EntryBefore))
            std::stable_sort(Entries.begin(), Entries.end(), EntryBefore);
        // Of several rows with one index the first counts: the sort kept them in row order.
        Entries.erase(std::unique(Entries.begin(), Entries.end(),
                                  [](const Entry &a, const Entry &b) { return a.Index == b.Index; }),
                      Entries.end());
    }

    static constexpr size_t None = size_t(-1);

    size_t Find(std::string_view index)
    {
        if (Next < Entries.size() && Entries[Next].Index == index) return Take(Next);
        if (Entries.empty() || Before(index, Entries.front().Index) || Before(Entries.back().Index, index)) return None;
        const auto found = std::lower_bound(Entries.begin(), Entries.end(), index,
                                            [](const Entry &e, std::string_view i) { return Before(e.Index, i); });
        if (found == Entries.end() || found->Index != index) return None;
        return Take(size_t(found - Entries.begin()));
    }

  private:
    struct Entry
    {
        std::string_view Index;
        size_t Row;
    };
    static bool Before(std::string_view a, std::string_view b) { return IndexBefore(a, b); }
    static bool EntryBefore(const Entry &a, const Entry &b) { return Before(a.Index, b.Index); }
    size_t Take(size_t at)
    {
        Next = at + 1;
        return Entries[at].Row;
    }

    std::vector<Entry> Entries;
    size_t Next = 0;   // the entry after the last one found
};

AnsiString CaretedText(const AnsiString &cell)
{
    AnsiString text;
    text.reserve(cell.size() + 2);
    text += '^';
    AppendCellText(text, cell);
    text += '^';
    return text;
}

} // namespace

RestoreResult RestoreKatReferences(std::string_view script, const std::vector<AnsiString> &indexes,
                                   const std::vector<AnsiString> &texts,
                                   const std::function<void(size_t done, size_t total)> &progress)
{
    const size_t rows = std::min(indexes.size(), texts.size());
    RestoreResult result;
    result.Restored.assign(rows, false);
    FirstRowFinder finder(indexes, rows);
    // The row's text between carets is made for its first reference; later ones copy it.
    std::vector<size_t> firstEdit(rows, FirstRowFinder::None);
    result.Edits.reserve(rows);   // most rows have one reference

    size_t copied = 0;   // the end of the last reference replaced
    size_t nextReport = 1 << 20;
    for (size_t z = script.find('z'); z != std::string_view::npos; z = script.find('z', z + 1)) {
        const size_t end = DigitsEnd(script, z + 1);
        if (end == z + 1) continue;
        const size_t i = finder.Find(script.substr(z + 1, end - z - 1));
        if (i == FirstRowFinder::None) continue;
        // The longest form at this place: "M1/z", then "/z", then "z"; "M" stays in the script.
        size_t from = z;
        if (z >= 3 && script.compare(z - 3, 3, "M1/") == 0 && z - 3 >= copied)
            from = z - 2;
        else if (z >= 1 && script[z - 1] == '/' && z - 1 >= copied)
            from = z - 1;
        if (firstEdit[i] == FirstRowFinder::None) {
            firstEdit[i] = result.Edits.size();
            result.Edits.push_back({from, end, CaretedText(texts[i])});
        } else {
            result.Edits.push_back({from, end, result.Edits[firstEdit[i]].Text});
        }
        copied = end;
        z = end - 1;
        result.Restored[i] = true;
        if (progress && z >= nextReport) {
            progress(z, script.size());
            nextReport = z + (1 << 20);
        }
    }
    if (progress) progress(script.size(), script.size());
    return result;
}

std::vector<AnsiString> RepeatedKatIndexes(const std::vector<AnsiString> &indexes)
{
    std::vector<std::string_view> numbers;
    numbers.reserve(indexes.size());
    for (const AnsiString &index : indexes)
        if (IsKatIndex(index)) numbers.push_back(index);
    // KATtify writes its rows in increasing order: a table in order is not sorted again.
    if (!std::is_sorted(numbers.begin(), numbers.end(), IndexBefore)) std::sort(numbers.begin(), numbers.end(), IndexBefore);
    std::vector<AnsiString> repeated;
    for (size_t i = 1; i < numbers.size(); ++i)
        if (numbers[i] == numbers[i - 1] && (repeated.empty() || repeated.back() != numbers[i]))
            repeated.emplace_back(numbers[i]);
    return repeated;
}

AnsiString RepeatedKatIndexesQuestion(const std::vector<AnsiString> &repeated)
{
    constexpr size_t named = 10;
    AnsiString list;
    for (size_t i = 0; i < repeated.size() && i < named; ++i) list += (i > 0 ? ", " : "") + repeated[i];
    if (repeated.size() > named) list += " and " + std::to_string(repeated.size() - named) + " more";
    return "Attention! More than one row of the KAT document has the same index: " + list +
           ".\r\nDe-KATtify can put back the text of the first row of each of them only.\r\n"
           "Continue? (\"No\" leaves the script and the KAT document as they are.)";
}

AnsiString JoinMessageList(const std::vector<AnsiString> &texts, bool separate, const AnsiString &separator)
{
    const AnsiString glue = separate ? "\r\n" + separator + "\r\n" : AnsiString("\r\n");
    AnsiString out;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) out += glue;
        out += texts[i];
    }
    return out;
}

void PasteMessageList(const AnsiString &pasted, const AnsiString &separator, std::vector<AnsiString> &texts)
{
    TStringList lines;
    lines.SetText(pasted);
    lines.Add(separator);
    int next = 0;
    for (AnsiString &text : texts) {
        if (next >= lines.Count()) break;
        text.clear();
        for (; next < lines.Count(); ++next) {
            const AnsiString &line = lines[next];
            if (line == separator) {
                ++next;
                break;
            }
            if (text.empty())
                text = line;
            else
                text += "\r\n" + line;
        }
    }
}
