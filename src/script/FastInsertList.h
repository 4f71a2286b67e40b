// Fast-insert lists: the ".il" list files (an INI file with the sections "Information",
// "Captions" and "Items"), the text shown for an entry, and the text macros expanded when an entry
// is inserted. Nothing here needs a window.
#pragma once

#include "platform/Text.h"

#include <vector>

struct TFastInsertEntry
{
    AnsiString Caption;
    AnsiString Item;   // the text inserted, macros included
};

// The entries of a list file, from key "0" up to the first key for which both the caption and the
// item are empty or missing. A missing file gives no entries; so does one that exists but cannot be
// read, and error then tells why (it is empty otherwise).
std::vector<TFastInsertEntry> ReadFastInsertList(const AnsiString &path, AnsiString &error);
std::vector<TFastInsertEntry> ReadFastInsertList(const AnsiString &path);

// The item as the popup shows it: whole up to 13 characters, else its first 10 and "...".
AnsiString FastInsertShortText(const AnsiString &item);
// Title of the popup: Fast insert list: "<file name>".
AnsiString FastInsertListTitle(const AnsiString &path);

// What the macros are replaced by at the moment of insertion.
struct TTextMacroContext
{
    int CaretLine = 1;          // 1-based
    AnsiString FileName;        // the document's file name, without its folder
    AnsiString ProgramVersion;
    int RightEdge = 80;         // separator lines are this long
    AnsiString Date;            // the system's short date
    AnsiString Time;            // the system's long time
};

// The macro tokens in the order they are expanded.
const std::vector<AnsiString> &TextMacroTokens();

// Each macro in turn, every occurrence of its token replaced, left to right; text that a
// replacement brings in is not searched again for the same token (later macros still apply).
// A separator macro with no right edge to measure by (0 or less) stays as typed.
AnsiString ExpandTextMacros(const AnsiString &value, const TTextMacroContext &context);

// The current date and time as the system formats them (short date, long time).
AnsiString SystemShortDate();
AnsiString SystemLongTime();
