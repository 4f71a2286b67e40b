// INI-form files (the fast-insert lists): any file reads without fault, every section it lists can
// be read, and a value written is read back.
#include "FuzzCheck.h"
#include "platform/TIniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath("list.il");
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    TIniFile ini(path.toStdString());
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
