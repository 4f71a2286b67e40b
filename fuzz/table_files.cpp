// Table files of the three kinds: whatever bytes are read, writing the table and reading it back gives
// the same table.
#include "FuzzCheck.h"
#include "shell/DocumentFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    static const char *const kinds[] = {CMD_Document, KAO_Document, KAT_Document};
    const AnsiString kind = kinds[data[0] % 3];
    const auto table = TableFromFileBytes(FuzzBytes(data + 1, size - 1), kind);
    if (!table) return 0;
    FUZZ_CHECK(table->RowCount >= 1);
    FUZZ_CHECK(table->Cells.size() == size_t(table->RowCount) * size_t(table->ColCount));
    const AnsiString bytes = TableToFileBytes(*table);
    const auto again = TableFromFileBytes(bytes, kind);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(*again == *table);
    FUZZ_CHECK(TableToFileBytes(*again) == bytes);
    return 0;
}
