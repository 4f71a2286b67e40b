// Opening documents: the one routine that puts a document on screen, and the Open command.
#include "common/Utils.h"
#include "platform/Files.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/FileDialogs.h"
#include "platform/StatusBar.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "shell/DocumentFiles.h"
#include "shell/DocumentIcons.h"
#include "shell/HeaderTags.h"
#include "shell/Main.h"
#include "shell/OperationStatusScope.h"
#include "shell/TableCells.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QScreen>
#include <QTabBar>

#include <algorithm>

namespace {

// The window icon of each kind (the images of the main window's icon list).
int IconOfKind(const AnsiString &kind)
{
    if (kind == KAS_Document) return 0;
    if (kind == TXT_Document) return 1;
    if (kind == CMD_Document) return 2;
    if (kind == KAO_Document) return 6;
    if (kind == KAT_Document) return 7;
    return -1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Steps of OpenDocument

void TMainForm::OpenDocumentStep(const AnsiString &status)
{
    if (!status.empty()) ShowOperationStatus(status);
    StepOperationProgress();
}

// Reads a text file for the pane; a file that cannot be read leaves the pane empty and says so.
static bool ReadTextFile(TForm_Editor *window, const AnsiString &path, AnsiString &bytes)
{
    AnsiString error;
    if (ReadFileBytes(path, bytes, error)) return true;
    window->FileNotRead = true;
    MessageBox(ApplicationWindow(), WithReason(TableReadErrorMessage(path), error), "Quillet", MB_OK | MB_ICONSTOP);
    return false;
}

void TMainForm::OpenTextDocument(TForm_Editor *opened, const AnsiString &kind, const AnsiString &path, bool exists)
{
    // A message about the file lets events run, and the user may close the window then.
    const QPointer<TForm_Editor> window = opened;
    const bool script = kind == KAS_Document;
    bool tagsRenamed = false;
    ShowOperationStatus("Openingcreating " + kind + " ...");
    if (!script) StepOperationProgress();
    // The highlighter goes on while the pane is empty: the text is then coloured as it is shown,
    // not all at once.
    window->SetHighlighterDown(script ? EditorHighlightKAS : EditorHighlightTXT);
    AnsiString bytes;
    if (exists && ReadTextFile(window, path, bytes)) {
        // Legacy tag names and blanks before line ends are dealt with on the file's bytes, so the
        // text goes into the pane once.
        tagsRenamed = script && ConvertAutoTagsInPlace(bytes);
        RemoveBlanksBeforeLineEndsInPlace(bytes);
        window->Memo1->LoadText(bytes);
        AnsiString().swap(bytes);
        RefreshScriptOutline(window);
    }
    if (!window) return;
    StepOperationProgress();
    if (script) StepOperationProgress();
    // Opening is not an edit: what the conversions did cannot be undone, and only renamed tags
    // count as a change of the document.
    window->Memo1->ClearUndo();
    if (tagsRenamed)
        window->SetChangedBeyondUndo();
    else
        window->SetModified(false);
    window->SetModifiedHint("Document was changed");

    window->setWindowIcon(DocumentIcon(IconOfKind(kind)));
    window->Memo1->show();
    window->ToolBar2->show();
    window->StringGridPanel->hide();
    window->ToolBar1->hide();
    window->Memo1Click();
    if (script) window->StatusBar1->Panels[11].SetText("Script date: " + window->Memo1->Lines.Values(ScriptDateTag));
    StepOperationProgress();
}

void TMainForm::OpenTableDocument(TForm_Editor *window, const AnsiString &kind, const AnsiString &path, bool exists)
{
    StepOperationProgress();
    ShowOperationStatus("Openingcreating " + kind + " ...");
    TStringGrid *grid = window->StringGrid1;
    const TableData prepared = PreparedTable(kind);
    grid->SetFixedRows(0);
    grid->SetFixedCols(0);
    grid->SetRowCount(1);
    grid->SetColCount(prepared.ColCount);

    const bool kat = kind == KAT_Document;
    const bool fixedColumns = kind != CMD_Document;
    for (TToolButton *b : {window->ToolButton10, window->ToolButton19}) b->SetVisible(kat);
    window->Addingofnewline1->setVisible(kat);
    for (TToolButton *b : {window->ToolButton5, window->ToolButton6, window->ToolButton7, window->ToolButton17,
                           window->ToolButton18}) {
        b->SetVisible(!fixedColumns);
        if (fixedColumns) b->SetEnabled(false);
    }
    window->setWindowIcon(DocumentIcon(IconOfKind(kind)));
    window->StringGridPanel->show();
    window->ToolBar1->show();
    window->Memo1->hide();
    window->ToolBar2->hide();
    if (exists && !ReadTableDocument(window, kind, path)) return;
    StepOperationProgress();
    grid->setFocus();
}

// Column widths, fixed rows and columns and the cell editor's height as stored when the last
// window of that kind closed.
void TMainForm::RestoreTableLayout(TForm_Editor *window, const AnsiString &kind)
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, true)) return;
    TStringGrid *grid = window->StringGrid1;
    const bool rememberWidths = ReadBoolOr(reg, "RememberColWidth", true);
    const bool rememberFixed = ReadBoolOr(reg, "RememberFixColsRows", true);
    bool autoSize = false;
    if (IsTableKind(kind)) autoSize = ReadBoolOr(reg, "AutoAutosizeAllCollsFor" + kind.substr(0, 3) + "Tab", false);

    if (autoSize) {
        window->AutosizeColumns();
    } else if (rememberWidths) {
        for (int c = 0; c < grid->ColCount(); ++c)
            if (const auto width = ReadIntegerIfValid(reg, kind + "_ColumnWidth" + IntToStr(c)))
                grid->SetColWidth(c, *width);
    }
    if (rememberFixed) {
        if (const auto n = ReadIntegerIfValid(reg, kind + "_FixedCols"))
            grid->SetFixedCols(std::clamp(*n, 0, std::max(grid->ColCount() - 1, 0)));
        if (const auto n = ReadIntegerIfValid(reg, kind + "_FixedRows"))
            grid->SetFixedRows(std::clamp(*n, 0, std::max(grid->RowCount() - 1, 0)));
    }
    if (const auto h = ReadIntegerIfValid(reg, "EditCellFied_Height")) {
        const int half = window->widget()->height() / 2;
        window->SetCellEditorHeight(*h < 20 ? 20 : (*h > half ? half : *h));
    }
    reg.CloseKey();
}

void TMainForm::ShowFirstCell(TForm_Editor *window)
{
    TStringGrid *grid = window->StringGrid1;
    const int col = grid->FixedCols();
    const int row = grid->FixedRows();
    const AnsiString text = CellToEditorText(grid->Cells(col, row));
    window->ShowCellInEditor(col, row);
    window->StatusBar2->Panels[2].SetText(IntToStr(row + 1) + "/" + IntToStr(grid->RowCount()));
    window->StatusBar2->Panels[5].SetText(IntToStr(col + 1) + "/" + IntToStr(grid->ColCount()));
    window->StatusBar2->Panels[8].SetText(IntToStr((long long)text.size()));
    window->Edit1->setText(ToQ(IntToStr(grid->ColWidths(grid->Col()))));
}

// ---------------------------------------------------------------------------------------------
// OpenDocument

TForm_Editor *TMainForm::OpenDocument(const AnsiString &path, const AnsiString &kind)
{
    StatusBar1->Panels[0].SetWidth(150);
    ShowOperationStatus("Opening/creating document...");
    TOperationStatusScope restoreStatus(this, ScreenWidth());
    BeginOperationProgress(8);

    OpeningKind = kind;
    // Events run while the document opens, and the user may close its window then.
    const QPointer<TForm_Editor> window = new TForm_Editor(this);
    window->SetCaption(path);
    window->DocumentKind = kind;
    window->showMaximized();
    MdiArea->setActiveSubWindow(window);

    TabSet1->setToolTip(ToQPath(path) + " (Ctrl+Tab)");
    TabSet1->setCurrentIndex(TabSet1->addTab(ToQPath(ExtractFileName(path))));
    TabSet1->show();
    Application->ProcessMessages();
    if (!window) return nullptr;

    const bool exists = FileExists(path);
    if (exists) {
        OpenDocumentStep("File \"" + PathInMessage(path) + "\" alredy exists ...");
        TRegistry reg;
        if (reg.OpenKey(SettingsKey, true)) {
            if (ReadBoolOr(reg, "NeedBackup", false)) {
                ShowOperationStatus("Creating backup ...");
                AnsiString reason;
                // The document still opens; the user learns that it has no backup.
                if (!MakeBackupCopy(path, &reason))
                    MessageBox(ApplicationWindow(),
                               WithReason("Error at making backup copy of file \"" + PathInMessage(path) + "\"!", reason), "Quillet",
                               MB_OK | MB_ICONWARNING);
            }
            reg.CloseKey();
            StepOperationProgress();
        }
        OpenDocumentStep("Rebuilding \"Reopen\" menu ...");
        ReopenListUpdate(path);
    } else {
        for (int i = 0; i < 3; ++i) StepOperationProgress();
    }
    if (!window) return nullptr;   // closed while a message was shown

    if (IsTextKind(kind))
        OpenTextDocument(window, kind, path, exists);
    else if (IsTableKind(kind))
        OpenTableDocument(window, kind, path, exists);
    if (!window) return nullptr;   // closed while a message about the file was shown

    OpenDocumentStep("");
    RestoreTableLayout(window, kind);
    OpenDocumentStep("");
    ShowFirstCell(window);

    EndOperationProgress();
    StatusBar1->Panels[0].SetWidth(ScreenWidth());
    TabSet1->show();

    if (!window->Memo1->isHidden())
        window->Memo1->setFocus();
    else
        window->StringGrid1->setFocus();
    Application->ProcessMessages();
    return window;   // nullptr when closed meanwhile
}

// ---------------------------------------------------------------------------------------------
// The Open command

void TMainForm::FileOpen1Execute()
{
    bool openTxtAsCmd = false;
    {
        TRegistry reg;
        if (reg.OpenKey(SettingsKey, true)) {
            openTxtAsCmd = ReadBoolOr(reg, "OpenTXTAsCMD", false);
            reg.CloseKey();
        }
    }
    OpenDialog.InitialDir = LastWorkDir;
    OpenDialog.Title = "Open document";
    OpenDialog.Filter = "KAS scripts (*.kas)|*.kas|Texts (*.txt)|*.txt|Scripts and texts (*.kas; *.txt)|*.kas;*.txt|"
                        "CMD documents (*.cmd)|*.cmd|KAO documents (*.kao)|*.kao|KAT documents (*.kat)|*.kat|"
                        "All supported formats (*.kas;*.txt;*.cmd;*.kao;*.kat)|*.kas;*.txt;*.cmd;*.kao;*.kat|"
                        "LOG files (*.log)|*.log";
    OpenDialog.FileName.clear();
    OpenDialog.Options = ofPathMustExist | ofFileMustExist | ofHideReadOnly | ofEnableSizing;
    OpenDialog.DefaultExt = "kas";
    if (OpenDialog.Execute()) {
        const AnsiString kind = DocumentKindFromFileName(OpenDialog.FileName, openTxtAsCmd);
        if (!kind.empty()) OpenDocument(OpenDialog.FileName, kind);
    }
    if (FileExists(OpenDialog.FileName)) LastWorkDir = FolderOfFile(OpenDialog.FileName);
}
