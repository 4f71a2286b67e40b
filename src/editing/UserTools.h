// The user tools without their windows: the action macros of a tool, the folder macros of its
// program name, the argument list it is started with, the texts its copy macros put on the
// clipboard, and the four tool lists in the settings.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <QKeySequence>
#include <vector>

class TRegistry;

// The action-macro tokens with their captions in the set-up dialog's macro menu, in the order in
// which a tool evaluates them.
struct ToolMacro
{
    const char *Token;
    const char *Caption;
};
const std::vector<ToolMacro> &ToolMacros();

// Which tokens a macro text holds (anywhere in it; text around them is ignored).
struct ToolMacroSet
{
    bool CopyText = false, CopySelText = false, CopyTableRow = false, CopyTable = false,
         CopyTableColumn = false, CopyTableCell = false, SelectAll = false, SaveCurrent = false,
         SaveAll = false, OpenCurrent = false, CloseCurrent = false, CloseAll = false,
         MinimizeTool = false, MaximizeTool = false, NormalizeWindow = false, MinimizeQuillet = false,
         CloseQuillet = false;
    // The show mode of the started program: maximised wins over minimised.
    int ShowMode() const;
};
ToolMacroSet ParseToolMacros(const AnsiString &macros);

// The folders that the program name's macros stand for.
struct ToolFolders
{
    AnsiString Program;   // the program folder, no trailing "/"
    AnsiString Game;      // the game folder as stored ("none" when unknown)
    AnsiString Windows;   // the system folder: $WINDIR when set, else "/"
};
// "[QUILDIR]" -> program folder + "/", "[TARROWDIR]" -> game folder, "[WINDOWSDIR]" -> system
// folder + "/"; each at its first occurrence only.
AnsiString ExpandFolderMacros(const AnsiString &fileName, const ToolFolders &folders);

// The program file a tool names: the name itself when that file exists, a name without a folder
// also looked up along PATH (where the desktop's programs live); "" when there is none.
AnsiString FindToolProgram(const AnsiString &fileName);

// The command line's words: split at blanks outside double quotes, the quotes removed; a quoted
// empty text is an empty word.
std::vector<AnsiString> SplitCommandLine(const AnsiString &commandLine);
// The arguments a tool is started with: the document's path first when "$OPENCURDOC" asked for
// it (always one argument, whatever characters it holds), then the command line's words.
std::vector<AnsiString> ToolArguments(const AnsiString &commandLine, bool openCurrentDocument,
                                      const AnsiString &documentPath);

// The texts of the table copy macros; cells hold the in-cell line break 0x1D.
// A row: cells joined by TAB, 0x1D as LF.
AnsiString TableRowClipText(const std::vector<AnsiString> &cells);
// Rows as above, joined by CR LF, none after the last.
AnsiString TableClipText(const std::vector<std::vector<AnsiString>> &rows);
// A column: one cell per line, each followed by CR LF, 0x1D as LF.
AnsiString TableColumnClipText(const std::vector<AnsiString> &cells);

// The menu item of tool i: its shortcut (Shift+F1 ... Shift+F12, none from the 13th on), its
// caption (the title, else the file name) and its hint.
QKeySequence ToolShortcut(int index);
QString ToolCaption(const TStringList &titles, const TStringList &fileNames, int index);
QString ToolHint(const QString &caption, const QKeySequence &shortcut);

// The four lists as stored in the settings key ("TC_FileNames" ...), each entry followed by CR LF.
struct ToolLists
{
    TStringList *FileNames, *Titles, *CommandLines, *Macros;
};
// Reads each list whose value exists; the key must be open.
void ReadToolLists(TRegistry &reg, const ToolLists &lists);
void WriteToolLists(TRegistry &reg, const ToolLists &lists);
