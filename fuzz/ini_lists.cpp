// INI-form files (the fast-insert lists): any file reads without fault, every section it lists can
// be read, and a value written is read back.
#include "FuzzCheck.h"
#include "platform/TIniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path = FuzzFile("list.il", data, size);
    TIniFile ini(path);
    TStringList sections;
    ini.ReadSections(sections);
    for (int i = 0; i < sections.Count(); ++i) {
        TStringList idents;
        ini.ReadSection(sections[i], idents);
        for (int j = 0; j < idents.Count(); ++j) (void)ini.ReadString(sections[i], idents[j], "");
    }
    try {
        ini.WriteString("Fuzz", "Item", "value = x");
        FUZZ_CHECK(ini.ReadString("Fuzz", "Item", "") == "value = x");
    } catch (const EIniFileException &) {
        // a file that cannot be written is reported to the caller
    }
    return 0;
}
