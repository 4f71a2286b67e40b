// Fast-insert list files as the list editor reads and writes them: the file name rules, the
// entries with their description, and the list files of a folder.
#pragma once

#include "platform/Text.h"
#include "script/FastInsertList.h"

#include <vector>

struct InsList
{
    AnsiString Description;
    std::vector<TFastInsertEntry> Entries;
};

// The typed name without blanks and without any of " ' * / : ? \ `.
AnsiString CleanListFileName(const AnsiString &name);
// An empty name becomes "inslist.il"; a name whose extension is not ".il" (any case) gets ".il".
AnsiString ListFileNameWithExtension(const AnsiString &name);

// The half of an entry as the list file gives it back: a line break becomes a blank, blanks and
// TABs at the ends are not kept.
AnsiString KeptListText(const AnsiString &text);
// An entry that Add and Change may store: caption and item both non-empty as the file keeps them.
// (An entry with both halves empty would end the list for the reader.)
bool IsStorableListEntry(const AnsiString &caption, const AnsiString &item);

// Why the file would give back another text for the caption or item (what = "caption" or
// "item"); empty when it keeps the text as it is.
AnsiString ListTextProblem(const AnsiString &what, const AnsiString &text);

// The entries as the popup reads them, and the description; a missing or unreadable file reads as
// an empty list. error tells why a file could not be read ("" when it could or is missing).
InsList ReadInsList(const AnsiString &path, AnsiString &error);
// Replaces the entries of the file (other sections stay) and writes the description and the
// moment of writing. An entry with both halves empty as the file keeps them is left out: written,
// it would end the list there for the reader. Raises EIniFileException when the file cannot be written.
void WriteInsList(const AnsiString &path, const InsList &list);
// The date-and-time text of the list files: the system's short date, a blank, its long time.
AnsiString ListDateTimeText();

// Names of the "*.il" entries of the folder (any letter case of the extension), in the order the
// file system gives them.
std::vector<AnsiString> ListFilesOf(const AnsiString &folder);
