// The declaration-list helpers: a sorted list sorts to itself, and a range expands to a bounded list
// of its prefix and numbers (or comes back unchanged).
#include "FuzzCheck.h"
#include "common/Utils.h"
#include "platform/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    const int prefixLength = data[0] % 4;
    const AnsiString text(FuzzBytes(data + 1, size - 1));
    const AnsiString sorted = SortSemicolonList(text);
    FUZZ_CHECK(SortSemicolonList(sorted) == sorted);
    try {
        const AnsiString expanded = ExpandNumberRange(text, prefixLength);
        if (expanded != text) {
            const size_t prefix = size_t(prefixLength);
            FUZZ_CHECK(expanded.compare(0, prefix, text, 0, prefix) == 0);
            FUZZ_CHECK(expanded.size() <= size_t(MaxRangeMembers) * (prefix + 12));
        }
    } catch (const Exception &) {
        // a bound beyond the int range: reported to the caller, nothing more to check
    }
    return 0;
}
