// Fast-insert list files and their text macros: any file gives a list without fault, expanding
// an item's macros ends with a bounded text that leaves an item without macro tokens unchanged, and
// a list that was read, written back (with an empty entry put in its middle) and read again is the
// same list.
#include "FuzzCheck.h"
#include "script/FastInsertList.h"
#include "script/InsListFiles.h"

namespace {

bool HasMacroToken(const AnsiString &text)
{
    for (const AnsiString &token : TextMacroTokens())
        if (text.find(token) != AnsiString::npos) return true;
    return false;
}

bool SameEntries(const std::vector<TFastInsertEntry> &a, const std::vector<TFastInsertEntry> &b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].Caption != b[i].Caption || a[i].Item != b[i].Item) return false;
    return true;
}

void CheckWrittenListReadsBack(const std::string &path)
{
    AnsiString error;
    const InsList first = ReadInsList(path, error);
    if (!error.empty()) return;
    InsList written = first;
    written.Entries.insert(written.Entries.begin() + std::ptrdiff_t(written.Entries.size() / 2), {" ", "\r\n"});
    WriteInsList(path, written);
    const InsList again = ReadInsList(path, error);
    FUZZ_CHECK(error.empty());
    FUZZ_CHECK(again.Description == first.Description);
    FUZZ_CHECK(SameEntries(again.Entries, first.Entries));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path = FuzzFile("list.il", data, size);
    TTextMacroContext context;
    context.CaretLine = 12;
    context.FileName = "script.kas";
    context.ProgramVersion = "1.0.0";
    context.RightEdge = size % 3 == 0 ? 0 : 80;
    context.Date = "10.12.2026";
    context.Time = "15:40:00";
    for (const TFastInsertEntry &entry : ReadFastInsertList(path)) {
        (void)FastInsertShortText(entry.Item);
        const AnsiString expanded = ExpandTextMacros(entry.Item, context);
        if (!HasMacroToken(entry.Item)) FUZZ_CHECK(expanded == entry.Item);
        FUZZ_CHECK(expanded.size() <= (entry.Item.size() + 1) * 256);
    }
    // The item text itself, as a macro text.
    const AnsiString raw(FuzzBytes(data, size));
    const AnsiString expanded = ExpandTextMacros(raw, context);
    if (!HasMacroToken(raw)) FUZZ_CHECK(expanded == raw);
    FUZZ_CHECK(expanded.size() <= (raw.size() + 1) * 256);
    CheckWrittenListReadsBack(path);
    return 0;
}
