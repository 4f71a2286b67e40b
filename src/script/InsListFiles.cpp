#include "script/InsListFiles.h"

#include "platform/TIniFile.h"

#include <QDir>

AnsiString CleanListFileName(const AnsiString &name)
{
    static const AnsiString forbidden = " \"'*/:?\\`";
    AnsiString clean;
    for (char c : name)
        if (forbidden.find(c) == AnsiString::npos) clean += c;
    return clean;
}

AnsiString ListFileNameWithExtension(const AnsiString &name)
{
    if (name.empty()) return "inslist.il";
    return SameText(ExtractFileExt(name), ".il") ? name : name + ".il";
}

AnsiString KeptListText(const AnsiString &text) { return TIniFile::StoredValue(text); }

bool IsStorableListEntry(const AnsiString &caption, const AnsiString &item)
{
    return !KeptListText(caption).empty() && !KeptListText(item).empty();
}

AnsiString ListTextProblem(const AnsiString &what, const AnsiString &text)
{
    if (KeptListText(text) == text) return "";
    return "The " + what + " \"" + text +
           "\" cannot be kept as it is: a list file keeps no blank or TAB at either end of a text and no line "
           "break in it.";
}

InsList ReadInsList(const AnsiString &path, AnsiString &error)
{
    InsList list;
    list.Entries = ReadFastInsertList(path, error);
    if (!error.empty()) return list;
    try {
        TIniFile ini(path);
        list.Description = ini.ReadString("Information", "Description", "");
    } catch (const std::exception &e) {
        // As the entries: a list that cannot be read is empty.
        error = e.what();
        list = InsList();
    }
    return list;
}

AnsiString ListDateTimeText() { return SystemShortDate() + " " + SystemLongTime(); }

void WriteInsList(const AnsiString &path, const InsList &list)
{
    TIniFile ini(path);
    ini.BeginUpdate();
    try {
        ini.EraseSection("Captions");
        ini.EraseSection("Items");
        long key = 0;
        for (const TFastInsertEntry &entry : list.Entries) {
            if (KeptListText(entry.Caption).empty() && KeptListText(entry.Item).empty()) continue;
            ini.WriteString("Captions", IntToStr(key), entry.Caption);
            ini.WriteString("Items", IntToStr(key), entry.Item);
            ++key;
        }
        ini.WriteString("Information", "Description", list.Description);
        ini.WriteString("Information", "DateTime", ListDateTimeText());
    } catch (...) {
        ini.EndUpdate();
        throw;
    }
    ini.EndUpdate();
}

std::vector<AnsiString> ListFilesOf(const AnsiString &folder)
{
    std::vector<AnsiString> names;
    const QDir dir(ToQPath(folder));
    const QStringList entries =
        dir.entryList({"*.il"}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDir::Unsorted);
    for (const QString &name : entries) names.push_back(FromQPath(name));
    return names;
}
