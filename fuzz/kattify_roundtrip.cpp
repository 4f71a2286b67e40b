// KATtify then De-KATtify, as the manager and the De-KATtify window drive them: the scanned texts
// (some unchecked) move into numbered rows behind a header row, and putting the rows back gives the
// script as it was, every row restored. A second De-KATtify, over rows now marked "#", changes
// nothing. The first two bytes choose the settings: which texts and types take part, the prefix,
// postfix, increment, script number and the letter of unknown types.
//
// Two kinds of script cannot come back, by the nature of the references, and are left out of the
// round trip: one that keeps "z" + a row's index outside its moved texts (De-KATtify takes it for a
// reference), and one whose moved text names a row with "%Z" + index (De-KATtify puts that row's
// text in its place, which is what "%Z" is for). All types share prefix and postfix here, so
// indexes never repeat.
#include "FuzzCheck.h"
#include "textres/KatIndexing.h"
#include "textres/TextScanner.h"

#include <random>
#include <set>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Every digit run that follows "marker" in the text, in order.
std::vector<AnsiString> NumbersAfter(const AnsiString &text, const AnsiString &marker)
{
    std::vector<AnsiString> numbers;
    for (size_t at = text.find(marker); at != AnsiString::npos; at = text.find(marker, at + 1)) {
        size_t end = at + marker.size();
        while (end < text.size() && IsDigit(text[end])) ++end;
        if (end > at + marker.size()) numbers.push_back(text.substr(at + marker.size(), end - at - marker.size()));
    }
    return numbers;
}

// "%Z" + index as ExpandKatReferences finds it: the whole index, no digit after it.
bool NamesAnyRow(const AnsiString &cell, const std::set<AnsiString> &indexes)
{
    for (const AnsiString &number : NumbersAfter(cell, "%Z"))
        if (indexes.count(number)) return true;
    return false;
}

struct Settings
{
    std::array<TStringList, 6> Types;
    TStringList Common;
    long long Postfix = 0, Increment = 1;
    AnsiString Prefix;

    Settings(uint8_t a, uint8_t b)
    {
        const char *const prefixes[] = {"1", "", "9", "12"};
        const char *const postfixes[] = {"0", "5", "998"};
        const char *const numbers[] = {"07", "5", "12", "00"};
        const char *const unknown[] = {"S", "M", "Q", "-"};
        Prefix = prefixes[a % 4];
        Postfix = std::stoll(postfixes[(a / 4) % 3]);
        Increment = 1 + (a / 12) % 3;
        for (size_t t = 0; t < Types.size(); ++t) {
            Types[t].Add(b & (1u << t) ? "FALSE" : "TRUE");
            Types[t].Add(Prefix);
            Types[t].Add(std::to_string(Postfix));
        }
        Common.Add(numbers[(b >> 6) % 4]);
        Common.Add(std::to_string(Increment));
        Common.Add(unknown[(a >> 6) % 4]);
    }
};

struct Rows
{
    std::vector<AnsiString> Indexes, Texts;
};

// The KAT table as the manager leaves it: its header row, then the moved texts.
Rows RowsOf(const KattifyResult &k)
{
    Rows rows;
    rows.Indexes.push_back("#");
    rows.Texts.push_back(KatHeaderText("Script07.kas"));
    for (const KatRow &row : k.Rows) {
        rows.Indexes.push_back(row.Index);
        rows.Texts.push_back(row.Cell);
    }
    return rows;
}

// The numbers of one run: the shared counter steps by the increment for every moved text, and
// each type's postfix ends one past the last number it used.
void CheckNumbering(const KattifyResult &k, Settings &s, TStringList common)
{
    std::array<long long, StringTypeCount> last{};
    for (size_t r = 0; r < k.Rows.size(); ++r) {
        const long long number = s.Postfix + (long long)r * s.Increment;
        FUZZ_CHECK(k.Rows[r].Index == ComposeIndex(s.Prefix, common, number));
        last[size_t(k.Rows[r].Type)] = number;
    }
    for (size_t t = 0; t < s.Types.size(); ++t) FUZZ_CHECK(s.Types[t][2] == std::to_string(last[t] + 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2) return 0;
    Settings settings(data[0], data[1]);
    const TStringList commonBefore = settings.Common;
    const AnsiString script(FuzzBytes(data + 2, size - 2));

    std::vector<KatItem> items;
    for (const FoundText &f : ScanTexts(script).Texts) items.push_back({f.Kind, f.Letter, f.Start, f.End, f.Text, true});
    std::minstd_rand random(data[0] * 256u + data[1] + 1);
    for (KatItem &item : items) item.Checked = random() % 4 != 0;

    const KattifyResult k = Kattify(script, items, settings.Types, settings.Common);
    CheckNumbering(k, settings, commonBefore);

    Rows rows = RowsOf(k);
    const std::set<AnsiString> indexes(rows.Indexes.begin() + 1, rows.Indexes.end());
    FUZZ_CHECK(indexes.size() == k.Rows.size());
    const AnsiString kattified = EditedScript(script, k.Edits);
    const std::vector<AnsiString> references = NumbersAfter(kattified, "z");
    if (std::count_if(references.begin(), references.end(), [&](const AnsiString &number) {
            return indexes.count(number) > 0;
        }) > long(k.Rows.size()))
        return 0;   // the script held a reference of its own
    for (const AnsiString &cell : rows.Texts)
        if (NamesAnyRow(cell, indexes)) return 0;

    // First De-KATtify: no row names another, so expanding changes nothing; every row comes back.
    const std::vector<AnsiString> cells = rows.Texts;
    const std::vector<bool> sources = ExpandKatReferences(rows.Indexes, rows.Texts);
    FUZZ_CHECK(rows.Texts == cells);
    FUZZ_CHECK(std::count(sources.begin(), sources.end(), true) == 0);
    const RestoreResult first = RestoreKatReferences(kattified, rows.Indexes, rows.Texts);
    const AnsiString restored = EditedScript(kattified, first.Edits);
    FUZZ_CHECK(restored == script);
    FUZZ_CHECK(!first.Restored[0]);
    FUZZ_CHECK(std::count(first.Restored.begin(), first.Restored.end(), true) == long(k.Rows.size()));

    // The restored rows are marked, as the window marks them; a second run finds nothing to do.
    for (size_t r = 0; r < rows.Indexes.size(); ++r)
        if (first.Restored[r]) rows.Indexes[r] = "#" + rows.Indexes[r];
    ExpandKatReferences(rows.Indexes, rows.Texts);
    FUZZ_CHECK(rows.Texts == cells);
    const RestoreResult second = RestoreKatReferences(restored, rows.Indexes, rows.Texts);
    FUZZ_CHECK(EditedScript(restored, second.Edits) == restored);
    FUZZ_CHECK(std::count(second.Restored.begin(), second.Restored.end(), true) == 0);
    return 0;
}
