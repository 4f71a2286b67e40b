// Fast-insert list files as the list editor reads and writes them: the file name rules, the
// entries with their description, and the list files of a folder.
#pragma once

#include "platform/Text.h"

#include <vector>

struct InsListEntry
{
    AnsiString Caption;
    AnsiString Item;
    bool operator==(const InsListEntry &) const = default;
};

struct InsList
{
    AnsiString Description;
    std::vector<InsListEntry> Entries;
};

// The typed name without blanks and without any of " ' * / : ? \ `.
AnsiString CleanListFileName(const AnsiString &name);
// An empty name becomes "inslist.il"; a name whose extension is not ".il" (any case) gets ".il".
AnsiString ListFileNameWithExtension(const AnsiString &name);

// Entries up to the first number whose caption and item are both empty; a missing file reads as
// an empty list.
InsList ReadInsList(const AnsiString &path);
// Replaces the entries of the file (other sections stay) and writes the description and the
// moment of writing. Raises EIniFileException when the file cannot be written.
void WriteInsList(const AnsiString &path, const InsList &list);
// The date-and-time text of the list files: system short date, a blank, system long time.
AnsiString ListDateTimeText();

// Names of the "*.il" entries of the folder (any letter case of the extension), in the order the
// file system gives them.
std::vector<AnsiString> ListFilesOf(const AnsiString &folder);
