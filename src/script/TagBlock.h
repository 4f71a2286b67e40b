// The window-free part of the tag bar and the add-tag dialog: where an outline entry's line is,
// the header line a new tag gets and the block of lines put into the script around it.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <string_view>

// Tag types of the add-tag dialog, in list order.
enum TTagType : int { ttWarning = 0, ttQuilTag = 1, ttDeclaration = 2 };
// Declaration types, in list order.
enum TDeclarationType : int { dtFunction = 0, dtOther = 1 };

// "_WARNING_", "QUIL_" or "_DECLARATION_".
AnsiString TagTypePrefix(int tagType);

// 0-based index of the first line whose name (text before its first "=") equals the entry
// without regard to letter case; 0 when no line has it.
int OutlineEntryLine(const TStringList &lines, const AnsiString &entry);

// Whether the line's name (text before its first "=") is this name, without regard to letter case.
bool LineHasName(std::string_view line, const AnsiString &name);

// Whether a line other than the first has this name (without regard to letter case).
bool TagNameExists(const TStringList &lines, const AnsiString &name);

// The function number field after an edit: a text that is not a number, or that begins with
// "0", is cleared.
AnsiString CheckedFunctionNumber(const AnsiString &text);

struct TagBlockRequest
{
    int TagType = ttWarning;
    int DeclarationType = dtFunction;
    AnsiString Name;               // without the prefix
    AnsiString Description;
    AnsiString FunctionNumber;
    bool TopSeparator = true;
    bool BottomSeparator = false;
    int RightEdge = 80;            // the stars line is this long
};

struct TagBlock
{
    AnsiString Text;
    // Lines from the caret line to the empty line after the tag (or after the function line).
    int CaretLineOffset = 0;
};

// A line break, the optional stars line, prefix + name "=" description, for a function
// declaration "!?FU" number ";", an empty line and the optional stars line; every line ends
// with CR LF.
TagBlock ComposeTagBlock(const TagBlockRequest &request);
