// The version reader over any file image: never reads outside it, and a version it finds is the
// dotted form of four numbers.
#include "FuzzCheck.h"
#include "platform/VersionInfo.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const AnsiString text = FileVersionTextOfImage(FuzzBytes(data, size));
    if (text == "?") return 0;
    FUZZ_CHECK(std::count(text.begin(), text.end(), '.') == 3);
    FUZZ_CHECK(std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); }));
    return 0;
}
