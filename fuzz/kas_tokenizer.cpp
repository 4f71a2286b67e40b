// The script highlighter's tokenizer: over any line its tokens lie inside the line, follow each other
// without gap or overlap, and end at the line's end. An empty token is allowed (the remark after a
// ";" that ends the line or meets a "!"), but never two in a row: the scan always moves on.
#include "FuzzCheck.h"
#include "script/SynHighlighterKAS.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TSynKASSyn highlighter;
    std::string line(FuzzBytes(data, size));
    line.erase(std::find(line.begin(), line.end(), '\0'), line.end());   // a line ends at its NUL
    highlighter.ResetRange();
    highlighter.SetLine(line.c_str(), 0);
    int expected = 0;
    bool lastWasEmpty = false;
    for (size_t guard = 0; !highlighter.GetEol(); ++guard) {
        FUZZ_CHECK(guard <= 2 * line.size() + 1);
        const char *start = nullptr;
        int length = 0;
        highlighter.GetTokenEx(start, length);
        FUZZ_CHECK(highlighter.GetTokenPos() == expected);
        FUZZ_CHECK(start == line.c_str() + expected);
        FUZZ_CHECK(length >= 0);
        FUZZ_CHECK(length > 0 || !lastWasEmpty);
        lastWasEmpty = length == 0;
        expected += length;
        FUZZ_CHECK(size_t(expected) <= line.size());
        highlighter.Next();
    }
    FUZZ_CHECK(size_t(expected) == line.size());
    return 0;
}
