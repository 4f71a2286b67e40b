#include "editing/UserTools.h"

#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"

#include <QStandardPaths>

const std::vector<ToolMacro> &ToolMacros()
{
    static const std::vector<ToolMacro> macros = {
        {"$COPYTXTTOCLPBRD", "Copy text to clipboard"},
        {"$COPYSELTXTTOCLPBRD", "Copy selected text to clipboard"},
        {"$COPYSELTBLROWTOCLPBRD", "Copy table line to clipboard"},
        {"$COPYSELTBLTOCLPBRD", "Copy table to clipboard"},
        {"$COPYSELTBLCOLTOCLPBRD", "Copy table column to clipboard"},
        {"$COPYSELTBLCELLTOCLPBRD", "Copy table cell to clipboard"},
        {"$SELALLTEXT", "Select all text"},
        {"$SAVECURDOC", "Save current document"},
        {"$SAVEALLDOC", "Save all documents"},
        {"$OPENCURDOC", "Open current file"},
        {"$CLOSECURDOC", "Close current document"},
        {"$CLOSEALLDOC", "Close all documents"},
        {"$MINIMIZEPROG", "Minimize application"},
        {"$MAXIMIZEPROG", "Maximize application"},
        {"$NORMCURWND", "Normalize state of current document window"},
        {"$MINQUIL", "Minimize Quillet"},
        {"$CLOSEQUIL", "Close Quillet"},
    };
    return macros;
}

int ToolMacroSet::ShowMode() const
{
    if (MaximizeTool) return SW_SHOWMAXIMIZED;
    if (MinimizeTool) return SW_MINIMIZE;
    return SW_SHOWNORMAL;
}

ToolMacroSet ParseToolMacros(const AnsiString &macros)
{
    const auto has = [&](const char *token) { return macros.find(token) != AnsiString::npos; };
    ToolMacroSet set;
    set.CopyText = has("$COPYTXTTOCLPBRD");
    set.CopySelText = has("$COPYSELTXTTOCLPBRD");
    set.CopyTableRow = has("$COPYSELTBLROWTOCLPBRD");
    set.CopyTable = has("$COPYSELTBLTOCLPBRD");
    set.CopyTableColumn = has("$COPYSELTBLCOLTOCLPBRD");
    set.CopyTableCell = has("$COPYSELTBLCELLTOCLPBRD");
    set.SelectAll = has("$SELALLTEXT");
    set.SaveCurrent = has("$SAVECURDOC");
    set.SaveAll = has("$SAVEALLDOC");
    set.OpenCurrent = has("$OPENCURDOC");
    set.CloseCurrent = has("$CLOSECURDOC");
    set.CloseAll = has("$CLOSEALLDOC");
    set.MinimizeTool = has("$MINIMIZEPROG");
    set.MaximizeTool = has("$MAXIMIZEPROG");
    set.NormalizeWindow = has("$NORMCURWND");
    set.MinimizeQuillet = has("$MINQUIL");
    set.CloseQuillet = has("$CLOSEQUIL");
    return set;
}

namespace {

void ReplaceFirst(AnsiString &text, const AnsiString &token, const AnsiString &replacement)
{
    const size_t at = text.find(token);
    if (at != AnsiString::npos) text.replace(at, token.size(), replacement);
}

AnsiString WithSlash(const AnsiString &folder) { return folder == "/" ? folder : folder + "/"; }

AnsiString CellAsLines(AnsiString cell)
{
    for (char &c : cell)
        if (c == '\x1D') c = '\n';
    return cell;
}

} // namespace

AnsiString ExpandFolderMacros(const AnsiString &fileName, const ToolFolders &folders)
{
    AnsiString result = fileName;
    ReplaceFirst(result, "[QUILDIR]", WithSlash(folders.Program));
    ReplaceFirst(result, "[TARROWDIR]", folders.Game);
    ReplaceFirst(result, "[WINDOWSDIR]", WithSlash(folders.Windows));
    return result;
}

AnsiString FindToolProgram(const AnsiString &fileName)
{
    if (fileName.empty()) return "";
    if (FileExists(fileName)) return fileName;
    if (fileName.find('/') != AnsiString::npos) return "";
    return FromQPath(QStandardPaths::findExecutable(ToQPath(fileName)));
}

std::vector<AnsiString> SplitCommandLine(const AnsiString &commandLine)
{
    std::vector<AnsiString> words;
    AnsiString word;
    bool inWord = false, quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::vector<AnsiString> ToolArguments(const AnsiString &commandLine, bool openCurrentDocument,
                                      const AnsiString &documentPath)
{
    std::vector<AnsiString> args;
    if (openCurrentDocument) args.push_back(documentPath);
    for (AnsiString &word : SplitCommandLine(commandLine)) args.push_back(std::move(word));
    return args;
}

AnsiString TableRowClipText(const std::vector<AnsiString> &cells)
{
    AnsiString text;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i) text += '\t';
        text += CellAsLines(cells[i]);
    }
    return text;
}

AnsiString TableClipText(const std::vector<std::vector<AnsiString>> &rows)
{
    AnsiString text;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i) text += "\r\n";
        text += TableRowClipText(rows[i]);
    }
    return text;
}

AnsiString TableColumnClipText(const std::vector<AnsiString> &cells)
{
    AnsiString text;
    for (const AnsiString &cell : cells) text += CellAsLines(cell) + "\r\n";
    return text;
}

QKeySequence ToolShortcut(int index)
{
    if (index < 0 || index >= 12) return {};
    return QKeySequence(Qt::SHIFT | Qt::Key(Qt::Key_F1 + index));
}

QString ToolCaption(const TStringList &titles, const TStringList &fileNames, int index)
{
    if (index < titles.Count()) return ToQ(titles[index]);
    return index < fileNames.Count() ? ToQPath(fileNames[index]) : QString();
}

QString ToolHint(const QString &caption, const QKeySequence &shortcut)
{
    const QString key = shortcut.toString(QKeySequence::PortableText);
    return "Tools: " + caption + (key.isEmpty() ? QString() : " (" + key + ")");
}

namespace {

struct NamedList
{
    const char *Name;
    TStringList *List;
};

std::vector<NamedList> Named(const ToolLists &lists)
{
    return {{"TC_FileNames", lists.FileNames},
            {"TC_Titles", lists.Titles},
            {"TC_CommandLines", lists.CommandLines},
            {"TC_Macros", lists.Macros}};
}

} // namespace

void ReadToolLists(TRegistry &reg, const ToolLists &lists)
{
    for (const NamedList &n : Named(lists))
        if (reg.ValueExists(n.Name)) n.List->SetText(ReadStringOr(reg, n.Name, n.List->Text()));
}

void WriteToolLists(TRegistry &reg, const ToolLists &lists)
{
    reg.BeginUpdate();
    for (const NamedList &n : Named(lists)) reg.WriteString(n.Name, n.List->Text());
    reg.EndUpdate();
}
