#include "platform/TIniFile.h"

#include "platform/SettingsFile.h"

#include <QDir>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

bool HasLineBreak(const AnsiString &s) { return s.find_first_of("\r\n") != AnsiString::npos; }

// The lines of the file; a section runs from its "[Name]" line to the next one.
class IniDocument
{
public:
    // Lines end in CR LF, LF or a lone CR.
    void SetText(const AnsiString &text)
    {
        Lines.clear();
        size_t pos = 0;
        while (pos < text.size()) {
            const size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
            Lines.push_back(text.substr(pos, end - pos));
            pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        }
    }

    AnsiString Text() const
    {
        AnsiString out;
        for (const AnsiString &line : Lines)
            out += line + "\r\n";
        return out;
    }

    // The line of the ident in the first section of that name.
    bool FindLine(const AnsiString &section, const AnsiString &ident, size_t &line) const
    {
        size_t begin, end;
        if (!FindSection(section, 0, begin, end))
            return false;
        line = FindIdent(begin, end, ident);
        return line != end;
    }

    bool Find(const AnsiString &section, const AnsiString &ident, AnsiString &value) const
    {
        size_t line;
        if (!FindLine(section, ident, line))
            return false;
        value = TrimBlanks(Lines[line].substr(Lines[line].find('=') + 1));
        return true;
    }

    bool Write(const AnsiString &section, const AnsiString &ident, const AnsiString &value)
    {
        size_t begin, end;
        if (!FindSection(section, 0, begin, end)) {
            Lines.push_back("[" + section + "]");
            Lines.push_back(ident + "=" + value);
            return true;
        }
        const size_t line = FindIdent(begin, end, ident);
        if (line < end) {
            // The ident keeps the spelling it has in the file.
            const AnsiString &old = Lines[line];
            const AnsiString updated = TrimBlanks(old.substr(0, old.find('='))) + "=" + value;
            if (updated == old)
                return false;
            Lines[line] = updated;
            return true;
        }
        // After the section's last line that is not blank, so blank separators stay in place.
        size_t at = end;
        while (at > begin && TrimBlanks(Lines[at - 1]).empty())
            --at;
        Lines.insert(Lines.begin() + std::ptrdiff_t(at), ident + "=" + value);
        return true;
    }

    bool Erase(const AnsiString &section)
    {
        bool erased = false;
        size_t begin, end;
        while (FindSection(section, 0, begin, end)) {
            Lines.erase(Lines.begin() + std::ptrdiff_t(begin - 1), Lines.begin() + std::ptrdiff_t(end));
            erased = true;
        }
        return erased;
    }

    bool Delete(const AnsiString &section, const AnsiString &ident)
    {
        size_t line;
        if (!FindLine(section, ident, line))
            return false;
        Lines.erase(Lines.begin() + std::ptrdiff_t(line));
        return true;
    }

    void SectionNames(TStringList &names) const
    {
        names.Clear();
        AnsiString name;
        for (const AnsiString &line : Lines)
            if (SectionName(line, name) && !Contains(names, name))
                names.Add(name);
    }

    bool HasSection(const AnsiString &section) const
    {
        size_t begin, end;
        return FindSection(section, 0, begin, end);
    }

    void Idents(const AnsiString &section, TStringList &idents) const
    {
        idents.Clear();
        size_t begin, end;
        if (!FindSection(section, 0, begin, end))
            return;
        AnsiString ident;
        for (size_t i = begin; i < end; ++i)
            if (IdentOf(Lines[i], ident) && !Contains(idents, ident))
                idents.Add(ident);
    }

private:
    static bool Contains(const TStringList &list, const AnsiString &s)
    {
        return std::any_of(list.begin(), list.end(), [&](const AnsiString &item) { return SameText(item, s); });
    }

    static bool SectionName(const AnsiString &line, AnsiString &name)
    {
        const AnsiString t = TrimBlanks(line);
        const size_t close = t.find(']');
        if (t.empty() || t[0] != '[' || close == AnsiString::npos)
            return false;
        name = TrimBlanks(t.substr(1, close - 1));
        return true;
    }

    // Comment lines (";") and lines without "=" hold no ident.
    static bool IdentOf(const AnsiString &line, AnsiString &ident)
    {
        const size_t eq = line.find('=');
        if (eq == AnsiString::npos)
            return false;
        ident = TrimBlanks(line.substr(0, eq));
        return !ident.empty() && ident[0] != ';';
    }

    // The lines of the first section of that name from line "from": [begin, end).
    bool FindSection(const AnsiString &section, size_t from, size_t &begin, size_t &end) const
    {
        AnsiString name;
        for (size_t i = from; i < Lines.size(); ++i) {
            if (!SectionName(Lines[i], name) || !SameText(name, section))
                continue;
            begin = i + 1;
            for (end = begin; end < Lines.size() && !SectionName(Lines[end], name); ++end) {
            }
            return true;
        }
        return false;
    }

    size_t FindIdent(size_t begin, size_t end, const AnsiString &ident) const
    {
        AnsiString name;
        for (size_t i = begin; i < end; ++i)
            if (IdentOf(Lines[i], name) && SameText(name, ident))
                return i;
        return end;
    }

    std::vector<AnsiString> Lines;
};

using IniChange = std::function<bool(IniDocument &)>;

} // namespace

struct TIniFile::State
{
    explicit State(const AnsiString &path) : Path(path) {}

    AnsiString Path;
    IniDocument Doc;
    FileStamp Stamp;
    bool Loaded = false;
    int UpdateDepth = 0;
    std::vector<IniChange> Pending;   // gathered since BeginUpdate, not yet on disk

    // False when the file exists but cannot be read.
    bool Load()
    {
        Stamp = StampOfFile(Path);
        Loaded = true;
        AnsiString bytes, error;
        const FileReadResult read = ReadWholeFile(Path, bytes, error);
        if (read == FileReadResult::Failed)
            WarnOnStderr("cannot read the file \"" + Path + "\" (" + error + ")");
        Doc.SetText(bytes);
        for (const IniChange &change : Pending)
            change(Doc);
        return read != FileReadResult::Failed;
    }

    const IniDocument &Current()
    {
        if (!Loaded || StampOfFile(Path) != Stamp)
            Load();
        return Doc;
    }

    void Change(const IniChange &change)
    {
        if (UpdateDepth > 0) {
            Current();
            Pending.push_back(change);
            change(Doc);
            return;
        }
        Commit({change});
    }

    // Applies the changes to the file's latest content under the lock, in one atomic write.
    void Commit(const std::vector<IniChange> &changes)
    {
        Pending.clear();
        try {
            WriteUnderLock(changes);
        } catch (...) {
            Loaded = false;   // the document may hold changes the file lacks
            throw;
        }
    }

    void WriteUnderLock(const std::vector<IniChange> &changes)
    {
        AnsiString error;
        const AnsiString folder = ExtractFilePath(Path);
        if (!folder.empty() && !QDir().mkpath(ToQPath(folder)))
            throw EIniFileException("Unable to write to \"" + Path + "\": cannot create its folder");
        SettingsFileLock lock(Path);
        if (!lock.Locked())
            throw EIniFileException("Unable to write to \"" + Path + "\": " + lock.Error());
        if (!Load())
            throw EIniFileException("Unable to write to \"" + Path + "\": the file cannot be read");
        bool changed = false;
        for (const IniChange &change : changes)
            changed = change(Doc) || changed;
        if (!changed)
            return;
        if (!WriteFileAtomically(Path, Doc.Text(), error))
            throw EIniFileException("Unable to write to \"" + Path + "\": " + error);
        Stamp = StampOfFile(Path);
    }
};

namespace {

void CheckName(const AnsiString &name, const char *forbidden, const AnsiString &what)
{
    const AnsiString t = TrimBlanks(name);
    if (t.empty() || HasLineBreak(t) || t.find_first_of(forbidden) != AnsiString::npos || t[0] == ';'
        || t[0] == '[')
        throw EIniFileException("Invalid " + what + " name \"" + name + "\"");
}

// A line break in a value would end its line: it becomes a blank.
AnsiString OneLine(const AnsiString &value)
{
    AnsiString line = value;
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

} // namespace

TIniFile::TIniFile(const AnsiString &fileName) : d(std::make_unique<State>(fileName)) {}

TIniFile::~TIniFile()
{
    if (d->UpdateDepth > 0 && !d->Pending.empty()) {
        try {
            d->Commit(std::vector<IniChange>(d->Pending));
        } catch (const Exception &e) {
            WarnOnStderr(e.Message());
        }
    }
}

const AnsiString &TIniFile::FileName() const
{
    return d->Path;
}

AnsiString TIniFile::ReadString(const AnsiString &section, const AnsiString &ident, const AnsiString &defaultValue)
{
    AnsiString value;
    return d->Current().Find(TrimBlanks(section), TrimBlanks(ident), value) ? value : defaultValue;
}

void TIniFile::WriteString(const AnsiString &section, const AnsiString &ident, const AnsiString &value)
{
    CheckName(section, "]", "section");
    CheckName(ident, "=", "ident");
    const AnsiString line = OneLine(value);
    const AnsiString s = TrimBlanks(section), i = TrimBlanks(ident);
    d->Change([s, i, line](IniDocument &doc) { return doc.Write(s, i, line); });
}

AnsiString TIniFile::StoredValue(const AnsiString &value)
{
    return TrimBlanks(OneLine(value));
}

bool TIniFile::SectionExists(const AnsiString &section)
{
    return d->Current().HasSection(TrimBlanks(section));
}

bool TIniFile::ValueExists(const AnsiString &section, const AnsiString &ident)
{
    AnsiString value;
    return d->Current().Find(TrimBlanks(section), TrimBlanks(ident), value);
}

void TIniFile::ReadSections(TStringList &sections)
{
    d->Current().SectionNames(sections);
}

void TIniFile::ReadSection(const AnsiString &section, TStringList &idents)
{
    d->Current().Idents(TrimBlanks(section), idents);
}

void TIniFile::EraseSection(const AnsiString &section)
{
    const AnsiString s = TrimBlanks(section);
    if (!d->Current().HasSection(s) && d->UpdateDepth == 0)
        return;   // nothing to erase: no lock, no file made
    d->Change([s](IniDocument &doc) { return doc.Erase(s); });
}

void TIniFile::DeleteKey(const AnsiString &section, const AnsiString &ident)
{
    const AnsiString s = TrimBlanks(section), i = TrimBlanks(ident);
    if (!ValueExists(s, i) && d->UpdateDepth == 0)
        return;
    d->Change([s, i](IniDocument &doc) { return doc.Delete(s, i); });
}

void TIniFile::BeginUpdate()
{
    ++d->UpdateDepth;
}

void TIniFile::EndUpdate()
{
    if (d->UpdateDepth == 0 || --d->UpdateDepth > 0 || d->Pending.empty())
        return;
    d->Commit(std::vector<IniChange>(d->Pending));
}
