// The editor component's completion popup: the properties that the main window sets at start-up and
// that the completion handlers fill. The popup window itself is built on these properties.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <QKeySequence>

class TSynMemo;

// Option bits (a set of the component's options).
enum TSynCompletionOption : unsigned {
    scoAnsiStrings = 1u << 0,
    scoCaseSensitive = 1u << 1,
    scoLimitToMatchedText = 1u << 2,
    scoTitleIsCentered = 1u << 3,
    scoUseInsertList = 1u << 4,
    scoUsePrettyText = 1u << 5,
    scoUseBuiltInTimer = 1u << 6,
    scoEndCharCompletion = 1u << 7,
};

enum TSynCompletionType { ctCode, ctHint, ctParams };

class TSynCompletionProposal
{
public:
    TSynCompletionProposal() = default;
    TSynCompletionProposal(const TSynCompletionProposal &) = delete;
    TSynCompletionProposal &operator=(const TSynCompletionProposal &) = delete;

    TStringList ItemList;      // what the popup shows, one line per entry
    TStringList InsertList;    // what is inserted for each entry (with scoUseInsertList)
    AnsiString Title;
    bool TitleFontBold = true;
    AnsiString TriggerChars;   // characters that open the popup after TimerInterval
    AnsiString EndOfTokenChr;  // characters that end the word being completed
    int TimerInterval = 1000;  // milliseconds; used while scoUseBuiltInTimer is set
    unsigned Options = 0;
    TSynCompletionType DefaultType = ctCode;
    int NbLinesInWindow = 8;
    int Width = 300;
    AnsiString BiggestWord;    // its width sets the width of the item column
    bool Resizeable = false;   // the popup window can be sized by the user
    QKeySequence ShortCut;
    TSynMemo *Editor = nullptr;   // the text pane the popup works in (set on activation)

    bool HasOption(unsigned option) const { return (Options & option) != 0; }
    void SetOption(unsigned option, bool on) { Options = on ? (Options | option) : (Options & ~option); }
    void ClearList();   // empties the item list and the insert list
};
