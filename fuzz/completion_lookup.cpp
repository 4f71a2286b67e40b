// The context completion's lookups: a table and a script from the same input (split at the first
// NUL byte). The key chosen for any caret is the main list, nothing, or a name of the table, and a
// record's lists pair every shown item with an insert text.
#include "FuzzCheck.h"
#include "script/CompletionTable.h"

#include <vector>

namespace {

std::vector<AnsiString> SplitLines(std::string_view text)
{
    std::vector<AnsiString> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            AnsiString line(text.substr(start, i - start));
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            start = i + 1;
        }
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input = FuzzBytes(data, size);
    const size_t split = input.find('\0');
    const std::string_view tableText = input.substr(0, split);
    const std::string_view scriptText = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    TStringList table;
    for (const AnsiString &line : SplitLines(tableText)) table.Add(line);
    const TSclIndex index(table);
    const TStringLines script(SplitLines(scriptText));

    for (int y = 1; y <= script.Count(); ++y) {
        const int length = int(script.Line(y - 1).size());
        for (int x : {1, length / 2 + 1, length + 1, length + 5}) {
            const AnsiString key = ChooseRecordKey(script, x, y, index);
            FUZZ_CHECK(key.empty() || key == MainListKey || index.IsName(key));
            TCompletionLists lists;
            if (BuildCompletionLists(index, key, lists)) {
                FUZZ_CHECK(lists.Items.Count() == lists.Inserts.Count());
                FUZZ_CHECK(lists.Items.Count() > 0);
            }
        }
    }
    return 0;
}
