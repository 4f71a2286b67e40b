// KATtify then De-KATtify, as the manager and the De-KATtify window drive them: the scanned texts
// (some unchecked) move into numbered rows of a table that may already hold rows, and putting the
// new rows back gives the script as it was, every new row restored. A second De-KATtify, over rows
// now marked "#", changes nothing. The first three bytes choose the settings (which texts and
// types take part, the prefix 0..9, postfix, increment, script number and the letter of unknown
// types) and the rows the table holds before the run; the rest is the script.
//
// Whatever the script holds ("z" + digits and "%Z" + digits of its own, TAB and control bytes,
// ";" in texts), no new index is one the table, the script's references or an earlier text hold;
// a text that stays is counted; the rows survive a save and a read of the table file.
#include "FuzzCheck.h"
#include "shell/DocumentFiles.h"
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

void AddNumbersAfter(std::set<AnsiString> &to, const AnsiString &text, const AnsiString &marker)
{
    for (const AnsiString &number : NumbersAfter(text, marker)) to.insert(number);
}

struct Settings
{
    std::array<TStringList, 6> Types;
    TStringList Common;
    long long Postfix = 0, Increment = 1;
    AnsiString Prefix;

    Settings(uint8_t a, uint8_t b, uint8_t c)
    {
        const char *const postfixes[] = {"0", "5", "998"};
        const char *const numbers[] = {"07", "5", "12", "00"};
        const char *const unknown[] = {"S", "M", "Q", "-"};
        Prefix = std::to_string(a % 10);
        Postfix = std::stoll(postfixes[(a / 10) % 3]);
        Increment = 1 + (c >> 6) % 3;
        for (size_t t = 0; t < Types.size(); ++t) {
            Types[t].Add(b & (1u << t) ? "FALSE" : "TRUE");
            Types[t].Add(Prefix);
            Types[t].Add(std::to_string(Postfix));
        }
        Common.Add(numbers[(b >> 6) % 4]);
        Common.Add(std::to_string(Increment));
        Common.Add(unknown[(a / 30) % 4]);
    }

    AnsiString IndexOf(long long step)
    {
        TStringList common = Common;
        return ComposeIndex(Prefix, common, Postfix + step * Increment);
    }
};

struct Rows
{
    std::vector<AnsiString> Indexes, Texts;
};

// The table before the run: its header and up to three rows among the first numbers of the
// scheme, some restored ("#"), some naming another number with "%Z".
Rows TableBefore(Settings &s, uint8_t c)
{
    Rows rows;
    rows.Indexes.push_back("#");
    rows.Texts.push_back(KatHeaderText("Script07.kas"));
    for (int r = 0; r < c % 4; ++r) {
        const int bits = (c >> (2 + r)) & 7;
        rows.Indexes.push_back((bits & 4 ? "#" : "") + s.IndexOf(bits & 3));
        rows.Texts.push_back(bits & 1 ? "see %Z" + s.IndexOf(4 + r) : AnsiString("old"));
    }
    return rows;
}

// The row's number of the scheme, by the steps of the increment from the postfix.
long long StepOf(Settings &s, const AnsiString &index, long long from)
{
    for (long long step = from; step < from + 10000; ++step)
        if (s.IndexOf(step) == index) return step;
    FUZZ_CHECK(!"an index outside the scheme");
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3) return 0;
    Settings settings(data[0], data[1], data[2]);
    Settings before = settings;
    const AnsiString script(FuzzBytes(data + 3, size - 3));
    Rows table = TableBefore(settings, data[2]);

    std::vector<KatItem> items;
    for (const FoundText &f : ScanTexts(script).Texts) items.push_back({f.Kind, f.Letter, f.Start, f.End, f.Text, true});
    std::minstd_rand random(data[0] * 65536u + data[1] * 256u + data[2] + 1);
    for (KatItem &item : items) item.Checked = random() % 4 != 0;

    KatTakenIndexes tableTaken;
    for (size_t r = 0; r < table.Indexes.size(); ++r) tableTaken.AddRow(table.Indexes[r], table.Texts[r]);
    const KattifyResult k = Kattify(script, items, settings.Types, settings.Common, tableTaken);

    // What no new row may take: the table's numbers and every number after "z" or "%Z" in the
    // script, in a checked text or in the table's texts.
    std::set<AnsiString> taken;
    for (size_t r = 0; r < table.Indexes.size(); ++r) {
        const AnsiString &cell = table.Indexes[r];
        taken.insert(cell[0] == '#' ? cell.substr(1) : cell);
        AddNumbersAfter(taken, table.Texts[r], "%Z");
    }
    AddNumbersAfter(taken, script, "z");
    AddNumbersAfter(taken, script, "%Z");
    size_t moving = 0;   // checked texts of an enabled type
    for (const KatItem &item : items) {
        if (!item.Checked) continue;
        AddNumbersAfter(taken, item.Text, "z");
        AddNumbersAfter(taken, item.Text, "%Z");
        const char letter = item.Letter == 'M' || item.Letter == 'Q' || item.Letter == 'S' ? item.Letter : before.Common[2][0];
        const int type = StringTypeOf(item.Kind, letter);
        if (type >= 0 && before.Types[size_t(type)][0] == "TRUE") ++moving;
    }
    size_t stayed = 0;
    for (int n : k.Stayed) stayed += size_t(n);
    FUZZ_CHECK(k.Rows.size() + stayed == moving);

    // The numbering: steps of the increment from the postfix, each number passed over taken, and
    // every type's postfix one past the last number it used.
    std::array<long long, StringTypeCount> last{};
    long long step = 0;
    for (const KatRow &row : k.Rows) {
        const long long given = StepOf(before, row.Index, step);
        for (; step < given; ++step) FUZZ_CHECK(taken.count(before.IndexOf(step)));
        FUZZ_CHECK(!taken.count(row.Index));
        FUZZ_CHECK(CellCanKeep(CellToText(row.Cell)));
        taken.insert(row.Index);
        last[size_t(row.Type)] = before.Postfix + given * before.Increment;
        step = given + 1;
    }
    for (size_t t = 0; t < settings.Types.size(); ++t) FUZZ_CHECK(settings.Types[t][2] == std::to_string(last[t] + 1));

    // The table as it is saved and read again: header, the old rows restored, the new rows.
    const size_t oldRows = table.Indexes.size();
    for (size_t r = 1; r < oldRows; ++r)
        if (table.Indexes[r][0] != '#') table.Indexes[r] = "#" + table.Indexes[r];
    for (const KatRow &row : k.Rows) {
        table.Indexes.push_back(row.Index);
        table.Texts.push_back(row.Cell);
    }
    std::vector<AnsiString> cells;
    for (size_t r = 0; r < table.Indexes.size(); ++r)
        cells.insert(cells.end(), {table.Indexes[r], table.Texts[r], "!!S", "11.12.2026"});
    const AnsiString file = TableToFileBytes(cells, 4, int(table.Indexes.size()));
    const std::optional<TableData> read = TableFromFileBytes(file, KAT_Document);
    FUZZ_CHECK(read && read->Cells == cells);

    // First De-KATtify: no row names a new one, so expanding changes nothing; every new row
    // comes back, and the script is as it was.
    const std::vector<AnsiString> texts = table.Texts;
    const std::vector<bool> sources = ExpandKatReferences(table.Indexes, table.Texts);
    FUZZ_CHECK(table.Texts == texts);
    FUZZ_CHECK(std::count(sources.begin(), sources.end(), true) == 0);
    const AnsiString kattified = EditedScript(script, k.Edits);
    const RestoreResult first = RestoreKatReferences(kattified, table.Indexes, table.Texts);
    const AnsiString restored = EditedScript(kattified, first.Edits);
    FUZZ_CHECK(restored == script);
    FUZZ_CHECK(std::count(first.Restored.begin(), first.Restored.begin() + long(oldRows), true) == 0);
    FUZZ_CHECK(std::count(first.Restored.begin(), first.Restored.end(), true) == long(k.Rows.size()));
    FUZZ_CHECK(RepeatedKatIndexes(table.Indexes).empty());

    // The restored rows are marked, as the window marks them; a second run finds nothing to do.
    for (size_t r = 0; r < table.Indexes.size(); ++r)
        if (first.Restored[r]) table.Indexes[r] = "#" + table.Indexes[r];
    ExpandKatReferences(table.Indexes, table.Texts);
    FUZZ_CHECK(table.Texts == texts);
    const RestoreResult second = RestoreKatReferences(restored, table.Indexes, table.Texts);
    FUZZ_CHECK(EditedScript(restored, second.Edits) == restored);
    FUZZ_CHECK(std::count(second.Restored.begin(), second.Restored.end(), true) == 0);
    return 0;
}
