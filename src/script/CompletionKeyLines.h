// The lines of a text pane as the context completion reads them. The pane keeps, for each word
// length the key search uses, the sorted numbers of the lines that yield a record key; the list is
// built at the first request (and again after a text is loaded whole) and then follows every
// edit, so a request costs a binary search however far above the caret the nearest key lies (or
// however long the script is when none does).
#pragma once

#include "script/CompletionTable.h"

#include <QObject>
#include <QPointer>
#include <vector>

class TSynMemo;

class TKeyLineCache : public QObject
{
    Q_OBJECT
public:
    // The cache of the pane for this table, made (as a child of the pane) when it has none yet.
    static TKeyLineCache *Of(TSynMemo *memo, const TSclIndex &table);

    // Nearest line at or above `index` (0-based) yielding a key of words `length` long; -1 none.
    int NearestKeyLine(int index, size_t length);

private:
    TKeyLineCache(TSynMemo *memo, const TSclIndex &table);
    struct KeyLines
    {
        size_t Length = 0;
        std::vector<int> Lines;   // ascending
    };
    KeyLines *Find(size_t length);
    void Build();
    void Modified(int position, int type, int linesAdded);
    void Rescan(int first, int last);
    bool YieldsKey(int line, size_t length) const;

    TSynMemo *Memo;
    const TSclIndex *Table;
    bool Built = false;
    KeyLines Sets[2];   // the two word lengths of the search: 4 after a colon, 2 after "!"
};

// The pane's lines, with the upward search through the pane's cache.
class TSynMemoScriptLines : public TScriptLines
{
public:
    explicit TSynMemoScriptLines(TSynMemo *memo) : Memo(memo) {}
    int Count() const override;
    AnsiString Line(int index) const override;
    int NearestKeyLine(int index, size_t length, const TSclIndex &table) const override;

private:
    TSynMemo *Memo;
};
