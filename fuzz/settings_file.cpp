// The settings file: text that parses is written out and parsed again to the same tree (its text
// form is a fixed point after one round).
#include "FuzzCheck.h"
#include "platform/RegistryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RegistryKey top;
    AnsiString error;
    if (!ParseRegistryText(AnsiString(FuzzBytes(data, size)), top, error)) return 0;
    const AnsiString text = RegistryText(top);
    RegistryKey again;
    FUZZ_CHECK(ParseRegistryText(text, again, error));
    FUZZ_CHECK(RegistryText(again) == text);
    return 0;
}
