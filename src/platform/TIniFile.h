// An INI file with the profile-string rules: "[Section]" lines, then "Ident=Value" lines; section
// and ident names compare without regard to letter case; a value is the text after the first "="
// with blanks trimmed at both ends. Bytes are kept as they are (8-bit), lines end in CR LF, and
// lines that are neither stay untouched. Every change goes to disk at once, atomically and under
// the writers' lock, on the file's latest content; reads see changes made by other programs.
#pragma once

#include "platform/Exception.h"
#include "platform/Text.h"
#include "platform/TStringList.h"

#include <memory>

class EIniFileException : public Exception { using Exception::Exception; };

class TIniFile
{
public:
    explicit TIniFile(const AnsiString &fileName);
    ~TIniFile();
    TIniFile(const TIniFile &) = delete;
    TIniFile &operator=(const TIniFile &) = delete;

    const AnsiString &FileName() const;

    // A missing file, section or ident gives the default; a present empty value gives "".
    AnsiString ReadString(const AnsiString &section, const AnsiString &ident, const AnsiString &defaultValue);
    // The file and the section are made when missing. A line break in the value becomes a blank
    // (it would end the line). Raises EIniFileException when the file cannot be written or the
    // section or ident cannot stand in an INI line.
    void WriteString(const AnsiString &section, const AnsiString &ident, const AnsiString &value);
    // What ReadString gives back for a value that WriteString wrote.
    static AnsiString StoredValue(const AnsiString &value);
    bool SectionExists(const AnsiString &section);
    bool ValueExists(const AnsiString &section, const AnsiString &ident);
    // Names in file order, first spelling of each.
    void ReadSections(TStringList &sections);
    void ReadSection(const AnsiString &section, TStringList &idents);
    // Removes the section line and every line below it up to the next section.
    void EraseSection(const AnsiString &section);
    void DeleteKey(const AnsiString &section, const AnsiString &ident);

    // Between these, changes are gathered and written in one step at EndUpdate (reads see
    // them at once), so rewriting a whole list costs one disk write instead of one per entry.
    void BeginUpdate();
    void EndUpdate();

private:
    struct State;
    std::unique_ptr<State> d;
};
