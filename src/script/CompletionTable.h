// The completion table of the context popup and what a request makes of it: the record key chosen
// by the text before the caret, and the title, insert texts and descriptions of that record.
// Nothing here needs a window.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

// Built once when the table is loaded (the table is never written afterwards), so that a request
// looks names up in constant time.
class TSclIndex
{
public:
    TSclIndex() = default;
    explicit TSclIndex(const TStringList &table);

    bool Empty() const { return LineCount == 0; }
    // The first character of "VALUE_SEPARATOR"; '\0' when there is none.
    char Separator() const { return SeparatorChar; }
    // A line of the table has exactly this name (same length, same letter case).
    bool IsName(std::string_view word) const;
    // The value of the first line, in table order, whose name equals this one without regard to
    // letter case; "" when there is none.
    AnsiString Value(const AnsiString &name) const;
    // The longest name, so that the key search can skip lines that cannot yield one.
    size_t LongestName() const { return Longest; }

private:
    int LineCount = 0;
    char SeparatorChar = '\0';
    size_t Longest = 0;
    std::unordered_set<std::string> Names;
    std::unordered_map<std::string, AnsiString> ValuesByUpperName;
};

// The word that a line offers as a record key: what follows its last ";", of that what follows the
// last blank (tabs do not count), cut to its first `length` characters.
std::string_view KeyWordOf(std::string_view text, size_t length);

// The lines of the text pane as the key choice reads them (0-based).
class TScriptLines
{
public:
    virtual ~TScriptLines() = default;
    virtual int Count() const = 0;
    virtual AnsiString Line(int index) const = 0;
    // The nearest line at or above `index` whose whole text yields a record key of words `length`
    // long; -1 when none does. This one reads the lines one by one upward.
    virtual int NearestKeyLine(int index, size_t length, const TSclIndex &table) const;
};

// Lines held in a vector (tests and measurements).
class TStringLines : public TScriptLines
{
public:
    explicit TStringLines(std::vector<AnsiString> lines) : Items(std::move(lines)) {}
    int Count() const override { return int(Items.size()); }
    AnsiString Line(int index) const override { return Items.at(size_t(index)); }

private:
    std::vector<AnsiString> Items;
};

inline constexpr const char *MainListKey = "MAIN_LIST";

// The record key for the caret (1-based column and line): "MAIN_LIST", the key found by the upward
// search, or "" when nothing is to be shown.
AnsiString ChooseRecordKey(const TScriptLines &lines, int caretX, int caretY, const TSclIndex &table);

struct TCompletionLists
{
    AnsiString Title;
    TStringList Items;     // insert text, TAB, description
    TStringList Inserts;   // what each entry inserts
};

// The lists of the record named by the key; false (lists empty) when the table has no separator,
// the record is missing or has fewer than three fields, or a list comes out empty.
bool BuildCompletionLists(const TSclIndex &table, const AnsiString &key, TCompletionLists &lists);

// What status panel 0 shows for an item of the popup.
AnsiString CompletionStatusText(const AnsiString &item);
