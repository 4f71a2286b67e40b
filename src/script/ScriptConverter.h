// The batch script converter's work on one file, without any window: legacy tag names, the
// powered-by and date tags, the optional compacting to bare operators, and the atomic write.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <functional>

struct ConvertOptions
{
    bool Optimize = false;              // keep only "JOTE", the tags and the operators
    bool OneOperatorPerLine = true;     // with Optimize: each operator on a line of its own
    bool DeleteTags = false;            // with Optimize: the header tags are not kept
    bool WritePoweredBy = true;
    AnsiString PoweredByValue;          // "Quillet v. ..."
    AnsiString DateValue;               // replaces a non-empty script date
};

// Legacy tag names renamed, the powered-by tag set (a missing one first placed below the "JOTE"
// line) and a present date refreshed.
void RefreshScriptTags(TStringList &lines, const ConvertOptions &options);

// The text of the lines as the converter writes it, before the final clean-up: the lines as they
// are, or, with Optimize, "JOTE", the kept tags and the operators of the text after "JOTE".
AnsiString BuildConvertedText(const TStringList &lines, const ConvertOptions &options);

// "JOTE", the non-empty tags (unless deleteTags) and the operators found after the first "JOTE":
// an operator starts at "!" followed by "$", "#", "!" or "?" and runs through the first ";" that
// is not inside a text between carets (one without such a ";" runs to the end of the text).
// Everything else is dropped. A text without "JOTE" gives an empty result.
AnsiString CompactScript(const TStringList &lines, bool deleteTags, bool oneOperatorPerLine);

// TABs to blanks, CRs removed, control characters and blanks cut from the end, then LF CR.
AnsiString FinishConvertedText(const AnsiString &text);

// The converted bytes of a script file's bytes (lines end at CR LF, LF or a lone CR).
AnsiString ConvertScriptBytes(const AnsiString &bytes, const ConvertOptions &options);

struct ConvertFileResult
{
    enum TStatus { Converted, SourceMissing, ReadFailed, OpenFailed, WriteFailed };
    TStatus Status = Converted;
    long long Expected = 0;   // bytes of the converted text
    long long Written = 0;    // bytes that reached the target (0 when the target was left as it was)
    bool Loaded() const { return Status == Converted || Status == OpenFailed || Status == WriteFailed; }
};

// Reads the source, converts it and writes the target whole or not at all (a temporary file moved
// over the target), so a source converted in place is never left half-written. stageDone runs
// after each stage of the work (at most 6 times).
ConvertFileResult ConvertScriptFile(const AnsiString &source, const AnsiString &target, const ConvertOptions &options,
                                    const std::function<void()> &stageDone = {});

// The date of the script-date tag: today in the system's short date form.
AnsiString ShortDateText();
