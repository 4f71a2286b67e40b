// The program's own header tags of a script as the two document-information windows show and
// edit them, and the rules for their values; no window here.
#pragma once

#include "platform/Text.h"

#include <array>

// One header tag of the information windows.
struct InfoTag
{
    const char *Tag;
    const char *Caption;   // " Script name:" (with its leading blank)
    bool IsList;           // a ";"-separated list
};

inline constexpr InfoTag ScriptNameInfo{"QUIL_ScriptName", " Script name:", false};
inline constexpr InfoTag AuthorInfo{"QUIL_ScriptAuthor", " Author:", false};
inline constexpr InfoTag VersionInfo{"QUIL_ScriptVersion", " Script version:", false};
inline constexpr InfoTag DateInfo{"QUIL_ScriptDate", " Date of script realise:", false};
inline constexpr InfoTag KASVersionInfo{"QUIL_ScriptKASVersion", " KAS version:", false};
inline constexpr InfoTag LanguageInfo{"QUIL_ScriptLanguage", " Script language:", false};
inline constexpr InfoTag PoweredByInfo{"QUIL_PoweredBy", " Powered by:", false};
inline constexpr InfoTag VariablesInfo{"QUIL_ScriptUsedVariables", " Used variables:", true};
inline constexpr InfoTag FunctionsInfo{"QUIL_ScriptUsedFunctions", " Used functions:", true};
inline constexpr InfoTag MacroNamesInfo{"QUIL_ScriptUsedMacroNames", " Used macro names:", true};
inline constexpr InfoTag TimersInfo{"QUIL_ScriptUsedTimers", " Used timers:", true};
inline constexpr InfoTag FlagsInfo{"QUIL_ScriptUsedFlags", " Used flags:", true};
inline constexpr InfoTag AdditionalFilesInfo{"QUIL_AdditionalFiles", " Additional files:", true};

// A list field's text as it is stored: blanks removed, "," turned into ";", the items sorted
// without regard to case (repeats kept) and joined by ";". Empty items (two separators in a row)
// are passed over, so the items after them are kept.
AnsiString NormalizeTagList(const AnsiString &text);

// The proposals for missing values of the edit window.
// The file-name part of the caption, cut before its first ".".
AnsiString ProposedScriptName(const AnsiString &caption);
inline constexpr char ProposedScriptVersion[] = "1.0.0";
inline constexpr char ProposedKASVersion[] = "2.70";
// The logged-on user's name; empty when the system gives none or a name longer than 20 characters.
AnsiString ProposedAuthor();
// "<user's language> or <system language's native name> (native)".
AnsiString ProposedLanguage();

// The warning tag written by "Save && Close": the flag (on when the product key cannot be read)
// and its text.
struct WarningSetting
{
    bool Write = true;
    AnsiString Text;
};
WarningSetting ReadWarningSetting();
