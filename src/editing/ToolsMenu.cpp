// The user tools' items of the Tools menu and running a tool.
#include "shell/Main.h"

#include "editing/ToolsSetupDlg.h"
#include "editing/UserTools.h"
#include "platform/ActionList.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/TStringGrid.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenu>

// The first items of the Tools menu are its fixed ones; the tools follow them.
void TMainForm::BuildToolsMenu()
{
    constexpr int FixedItems = 7;
    const QList<QAction *> items = Toolls1->actions();
    for (int i = FixedItems; i < items.size(); ++i) {
        Toolls1->removeAction(items[i]);
        if (items[i]->parent() == Toolls1) delete items[i];
    }
    for (int i = 0; i < TC_FileNames->Count(); ++i) {
        const QString caption = ToolCaption(*TC_Titles, *TC_FileNames, i);
        QAction *item = new QAction(LiteralMenuCaption(caption), Toolls1);
        item->setData(i);
        item->setShortcut(ToolShortcut(i));
        const QString hint = ToolHint(caption, item->shortcut());
        item->setStatusTip(hint);
        item->setToolTip(hint);
        connect(item, &QAction::triggered, this,
                [this, item] { TAction::RunGuarded([this, item] { ToolsItemClick(item); }); });
        Toolls1->addAction(item);
    }
}

namespace {

void SetClipboardText(const AnsiString &text) { QGuiApplication::clipboard()->setText(ToQ(text)); }

bool TextPaneShown(TForm_Editor *editor) { return editor && !editor->Memo1->isHidden(); }
bool TablePaneShown(TForm_Editor *editor) { return editor && !editor->StringGridPanel->isHidden(); }

std::vector<AnsiString> GridRow(const TStringGrid *grid, int row)
{
    std::vector<AnsiString> cells;
    for (int col = 0; col < grid->ColCount(); ++col) cells.push_back(grid->Cells(col, row));
    return cells;
}

std::vector<AnsiString> GridColumn(const TStringGrid *grid, int col)
{
    std::vector<AnsiString> cells;
    for (int row = 0; row < grid->RowCount(); ++row) cells.push_back(grid->Cells(col, row));
    return cells;
}

// The editor actions of a tool's macro text, in the order of the macro table.
void RunToolMacros(TMainForm *main, const ToolMacroSet &macros)
{
    TForm_Editor *editor = main->ActiveEditor();
    if (TextPaneShown(editor)) {
        if (macros.CopyText) SetClipboardText(editor->Memo1->Text());
        if (macros.CopySelText) SetClipboardText(editor->Memo1->SelText());
    }
    if (TablePaneShown(editor)) {
        const TStringGrid *grid = editor->StringGrid1;
        if (macros.CopyTableRow && grid->Row() >= 0) SetClipboardText(TableRowClipText(GridRow(grid, grid->Row())));
        if (macros.CopyTable && grid->Row() >= 0) {
            std::vector<std::vector<AnsiString>> rows;
            for (int row = 0; row < grid->RowCount(); ++row) rows.push_back(GridRow(grid, row));
            SetClipboardText(TableClipText(rows));
        }
        if (macros.CopyTableColumn && grid->Col() >= 0)
            SetClipboardText(TableColumnClipText(GridColumn(grid, grid->Col())));
        if (macros.CopyTableCell && grid->Col() >= 0) SetClipboardText(grid->Cells(grid->Col(), grid->Row()));
    }
    if (macros.SelectAll && TextPaneShown(editor)) editor->Memo1->SelectAll();
    if (macros.SaveCurrent && editor) main->FileSave1Execute();
    if (macros.SaveAll && main->ActiveEditor()) main->FileSaveAll1Execute();
}

// Starts the tool's program in its own folder with the arguments as a list: no shell ever reads
// them, so a document name with blanks, quotes or ";" stays one argument.
void StartTool(const TMainForm *main, const AnsiString &fileName, const std::vector<AnsiString> &args,
               int showMode)
{
    const AnsiString file = ExpandFolderMacros(fileName, {main->ProgramFolder, main->GameFolder, WindowsFolder()});
    const AnsiString program = FindToolProgram(file);
    if (program.empty()) {
        MessageBox(ApplicationWindow(), "File \"" + PathInMessage(file) + "\" not found!", "Quillet: Tools", MB_ICONERROR);
        return;
    }
    if (!StartProcess(program, args, FolderOfFile(AbsolutePath(program)), showMode))
        MessageBox(ApplicationWindow(), "File \"" + PathInMessage(file) + "\" could not be started!", "Quillet: Tools",
                   MB_ICONERROR);
}

} // namespace

void TMainForm::ToolsItemClick(QAction *Sender)
{
    const int i = Sender ? Sender->data().toInt() : -1;
    ToolMacroSet macros;
    if (i >= 0 && i < TC_FileNames->Count()) {
        macros = i < TC_Macros->Count() ? ParseToolMacros((*TC_Macros)[i]) : ToolMacroSet();
        RunToolMacros(this, macros);
        // The path of the document is taken before the close macros close its window.
        TForm_Editor *editor = ActiveEditor();
        const bool withDocument = macros.OpenCurrent && editor;
        const std::vector<AnsiString> args = ToolArguments(
            i < TC_CommandLines->Count() ? (*TC_CommandLines)[i] : AnsiString(), withDocument,
            withDocument ? editor->Caption() : AnsiString());
        if (macros.CloseCurrent && ActiveMDIChild()) ActiveMDIChild()->close();
        if (macros.CloseAll)
            for (int w = MDIChildCount() - 1; w >= 0; --w)
                if (QMdiSubWindow *window = MDIChildren(w)) window->close();
        StartTool(this, (*TC_FileNames)[i], args, macros.ShowMode());
    }
    if (macros.MinimizeQuillet) Application->Minimize();
    if (macros.NormalizeWindow && ActiveMDIChild()) ActiveMDIChild()->showNormal();
    if (macros.CloseQuillet) close();
}

void TMainForm::ConfigureTools1Click()
{
    TForm_SetupTools dialog(this);
    ShowModal(&dialog);
}
