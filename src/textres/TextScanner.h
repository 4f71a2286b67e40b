// The text scanner: finds the texts that stand between carets inside the commands of a script.
#pragma once

#include "platform/Text.h"

#include <functional>
#include <string_view>
#include <vector>

// One text between carets. Positions are 1-based in the scanned text (every line break CR LF):
// Start is the first character after the opening caret, End the closing caret (for an unpaired
// caret, the length of the text).
struct FoundText
{
    char Kind = '!';      // the character after the "!" that opened the command: ! # ? $
    char Letter = '-';    // the character after the nearest ":" before the opening caret, or "-"
    int Start = 0;
    int End = 0;
    AnsiString Text;
};

struct ScanResult
{
    std::vector<FoundText> Texts;
    bool Unpaired = false;   // the last caret opened a text that never closes
};

// What the window gets told while a scan runs. Progress runs once per batch of lines (with the
// number of lines done and of texts found so far), so a big script keeps the window responsive;
// StopRequested is asked after each closing caret and ends the scan there.
struct ScanHooks
{
    int LinesPerBatch = 2000;
    std::function<void(int linesDone, int textsFound)> Progress;
    std::function<bool()> StopRequested;
};

// One pass over the text; work grows with its length only.
ScanResult ScanTexts(std::string_view text, const ScanHooks &hooks = {});

// Number of lines the scan steps over (one per CR), for a progress bar's maximum.
int CountScanLines(std::string_view text);
