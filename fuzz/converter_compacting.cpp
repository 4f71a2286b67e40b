// The script converter: any script converts without fault. Without compacting, converting its own
// output again changes nothing; compacting gives "JOTE" and what follows it, or, for a text without
// "JOTE", the bare line end LF CR. (Compacting twice may differ: an operator may span lines, and the
// powered-by tag then goes in between.)
#include "FuzzCheck.h"
#include "script/ScriptConverter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    ConvertOptions options;
    options.Optimize = (data[0] & 1) != 0;
    options.OneOperatorPerLine = (data[0] & 2) != 0;
    options.DeleteTags = (data[0] & 4) != 0;
    options.WritePoweredBy = (data[0] & 8) != 0;
    options.PoweredByValue = "Quillet v. 1.0.0";
    options.DateValue = "10.12.2026";
    const AnsiString bytes(FuzzBytes(data + 1, size - 1));
    const AnsiString once = ConvertScriptBytes(bytes, options);
    FUZZ_CHECK(once.size() >= 2 && once.compare(once.size() - 2, 2, "\n\r") == 0);
    if (options.Optimize)
        FUZZ_CHECK(once == "\n\r" || once.compare(0, 4, "JOTE") == 0);
    else
        FUZZ_CHECK(ConvertScriptBytes(once, options) == once);
    return 0;
}
