// The script converter: any script converts without fault. Without compacting, converting its own
// output again changes nothing; compacting gives "JOTE" and what follows it, or, for a text without
// "JOTE", the bare line end LF CR. (Compacting twice may differ: an operator may span lines, and the
// powered-by tag then goes in between.) Compacting cuts no operator inside a text: the text scanner
// finds the same texts, of the same kinds, in the kept operators as in the script after "JOTE".
#include "FuzzCheck.h"
#include "script/ScriptConverter.h"
#include "textres/TextScanner.h"

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<char, AnsiString>> TextsOf(std::string_view text)
{
    std::vector<std::pair<char, AnsiString>> texts;
    for (const FoundText &found : ScanTexts(text).Texts) texts.emplace_back(found.Kind, found.Text);
    return texts;
}

void CheckOperatorsKeepTheirTexts(const AnsiString &bytes, bool oneOperatorPerLine)
{
    TStringList lines;
    lines.SetText(bytes);
    const AnsiString text = lines.Text();
    const size_t anchor = text.find("JOTE");
    if (anchor == AnsiString::npos) return;
    const AnsiString compact = CompactScript(lines, true, oneOperatorPerLine);
    FUZZ_CHECK(TextsOf(std::string_view(text).substr(anchor + 4)) == TextsOf(std::string_view(compact).substr(4)));
}

} // namespace

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
    CheckOperatorsKeepTheirTexts(bytes, options.OneOperatorPerLine);
    return 0;
}
