// Free functions shared by the subsystems. They keep no state; lists belong to the caller.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

class QDate;

// The text of the "Warning#1" header tag until the user sets another ("Warning1Text").
inline constexpr const char *DefaultWarning1Text =
    "IMPORTANT! This file is not in a plain text format. NEVER use any editor except QUILL for making any kind of "
    "changes!";

// Appends the items of text, split at the separator, to the list (its own Add, so a sorted list
// sorts and may drop duplicates). The split ends at the first empty item: "a;;b" gives only "a".
void SplitToStrings(const AnsiString &text, char separator, TStringList &list);

// The file's version text; "?" when it has none.
AnsiString GetFileVersionText(const AnsiString &fileName);

// Not empty, and every character a decimal digit; the first may be '-' when allowMinus.
bool IsNumber(const AnsiString &text, bool allowMinus);

// Associates the extension (".kas") with the type name under HKEY_CLASSES_ROOT: description,
// icon "file,index" and the open command "\"program\" \"%1\"".
void RegisterFileType(const AnsiString &extension, const AnsiString &typeName, const AnsiString &description,
                      const AnsiString &iconFile, int iconIndex, const AnsiString &programPath);
void UnregisterFileType(const AnsiString &extension, const AnsiString &typeName);

// True for an existing file or folder.
bool PathExists(const AnsiString &path);

// Appends text to the log file; a new or empty file first gets the three header lines (date and
// time, system, program version). No line break follows the text. A failure shows a message box
// with the system's reason; after it that file is no longer written, and no longer told of.
void AppendToLogFile(const AnsiString &text, const AnsiString &fileName);

AnsiString IntToText(int n);

// Every LF becomes the character, every CR is dropped.
AnsiString ReplaceLineBreaks(const AnsiString &text, char c);

// For every item of a, in order, adds it to output once for each exactly equal item of b.
void AddCommonItems(const TStringList &a, const TStringList &b, TStringList &output);

// Ranges bigger than this come back unchanged from ExpandNumberRange.
constexpr long long MaxRangeMembers = 1000000;

// "y3-5" with prefixLength 1 gives "y3;y4;y5" (either order of the bounds); text that is no such
// range comes back unchanged. A bound beyond the int range raises EConvertError.
AnsiString ExpandNumberRange(const AnsiString &text, int prefixLength);

// Items of the ";" list sorted without regard to case, duplicates dropped (the first kept).
AnsiString SortSemicolonList(const AnsiString &text);

// "0012" gives "12"; nothing left gives "0".
AnsiString StripLeadingZeros(const AnsiString &text);

// Copies an existing file to the first free name stem + "_COPY" + n + extension (n = 0, 1, ...),
// never over an existing file. False when the copy failed, with the system's reason in *reason;
// a file that does not exist needs no copy (true).
bool MakeBackupCopy(const AnsiString &fileName, AnsiString *reason = nullptr);

// Today as "8.12(December).2026".
AnsiString TodayText();
AnsiString DateText(const QDate &date);
