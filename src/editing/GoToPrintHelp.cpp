// Go to, print, help, and undo, redo and delete on the active document.
#include "common/Utils.h"
#include "editing/GoToDlg.h"
#include "editing/PrintDlg.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "shell/DocumentCommands.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

// ---------------------------------------------------------------------------------------------
// Go to and print

void TMainForm::GoToAction1Update()
{
    TForm_Editor *w = ActiveEditor();
    GoToAction1->SetEnabled(w && (w->DocumentKind == TXT_Document || w->DocumentKind == KAS_Document));
}

void TMainForm::GoToAction1Execute()
{
    TGoToForm form(this);
    ShowModal(&form);
}

void TMainForm::PrintAction1Update()
{
    TForm_Editor *w = ActiveEditor();
    PrintAction1->SetEnabled(w && !w->Memo1->isHidden());
}

void TMainForm::PrintAction1Execute()
{
    TPrintForm form(this);
    ShowModal(&form);
}

// ---------------------------------------------------------------------------------------------
// Help

// Every help command that shows nothing says why here, in one way.
void TMainForm::ShowHelpFileMissing(const AnsiString &path)
{
    const bool exists = !BelowUnknownGameFolder(path, GameFolder) && FileExists(path);
    MessageBox(ApplicationWindow(), HelpNotShownText(path, GameFolder, exists), FromQ(windowTitle()),
               MB_OK | MB_ICONWARNING);
}

void TMainForm::KASHelp1Execute()
{
    TForm_Editor *w = ActiveEditor();
    bool shown;
    if (!w || w->Memo1->isHidden() || !w->Memo1->SelAvail())
        shown = WinHelp(KASHelpPath, HELP_CONTENTS, 0L);
    else
        shown = WinHelp(KASHelpPath, HELP_PARTIALKEY, w->Memo1->SelText());
    if (!shown) ShowHelpFileMissing(KASHelpPath);
}

void TMainForm::QUILHelp1Execute()
{
    if (!WinHelp(QUILHelpPath, HELP_CONTENTS, 0L)) ShowHelpFileMissing(QUILHelpPath);
}

void TMainForm::KASHTMLAction1Execute()
{
    const bool there = !BelowUnknownGameFolder(KASHelpHTMLPath, GameFolder) && FileExists(KASHelpHTMLPath);
    if (!there || !ShellOpen(KASHelpHTMLPath)) ShowHelpFileMissing(KASHelpHTMLPath);
}

void TMainForm::ChooseHelpPath(const HelpPathChoice &choice, AnsiString &path)
{
    OpenDialog.InitialDir = choice.InitialDir;
    OpenDialog.Filter = choice.Filter;
    OpenDialog.FilterIndex = 1;
    OpenDialog.FileName = choice.FileName;
    OpenDialog.DefaultExt.clear();
    OpenDialog.Title = choice.Title;
    OpenDialog.Options = ofHideReadOnly | ofEnableSizing;
    if (!OpenDialog.Execute()) return;
    path = OpenDialog.FileName;
    TRegistry reg;
    if (reg.OpenKey(SettingsKey, true)) reg.WriteString(choice.ValueName, path);
}

void TMainForm::SetpathtoKASHelp1Click()
{
    ChooseHelpPath({ProgramFolder, "Windows Help files (*.hlp)|*.hlp", "kas.hlp", "Select KAS help file", "KASHelpPath"},
                   KASHelpPath);
}

void TMainForm::SetpathtoKASHelpHTML1Click()
{
    const AnsiString gameHelp = GameFolder + "/kas_help";
    const bool gameHelpThere = !BelowUnknownGameFolder(gameHelp, GameFolder) && PathExists(gameHelp);
    ChooseHelpPath({gameHelpThere ? gameHelp : ProgramFolder, "HTML or HTM files |*.html;*.htm", "index.htm",
                    "Select HTML KAS help file", "KASHelpHTMLPath"},
                   KASHelpHTMLPath);
}

void TMainForm::SetpathtoQuillethelp1Click()
{
    ChooseHelpPath({ProgramFolder, "Windows HTML Help files (*.hlp)|*.hlp", "quill.hlp", "Select Quillet help file",
                    "QUILHelpPath"},
                   QUILHelpPath);
}

// ---------------------------------------------------------------------------------------------
// Undo, redo, delete

void TMainForm::Undo_Action1Update()
{
    TForm_Editor *w = ActiveEditor();
    Undo_Action1->SetEnabled(w && (w->StringGridPanel->isHidden() || w->Memo2->CanUndo()));
}

void TMainForm::Undo_Action1Execute()
{
    TForm_Editor *w = ActiveEditor();
    if (!w) return;
    if (!w->StringGridPanel->isHidden()) {
        w->UndoInCellEditor(false);
        return;
    }
    w->Memo1->Undo();
    // With every step undone the text is the file's again, unless it was changed before the first.
    if (!w->Memo1->CanUndo() && !w->ChangedBeyondUndo()) {
        w->SetModified(false);
        w->SetModifiedHint("");
    }
}

void TMainForm::Redo_Action1Update()
{
    TForm_Editor *w = ActiveEditor();
    // As Undo, and also while the cell editor has an undone step to bring back: its undo starts
    // empty at each cell shown.
    Redo_Action1->SetEnabled(w && (w->StringGridPanel->isHidden() || w->Memo2->CanUndo() || w->Memo2->CanRedo()));
}

void TMainForm::Redo_Action1Execute()
{
    TForm_Editor *w = ActiveEditor();
    if (!w) return;
    // The cell editor keeps a list of steps too, so redo is its redo.
    if (w->StringGridPanel->isHidden())
        w->Memo1->Redo();
    else
        w->UndoInCellEditor(true);
}

void TMainForm::EditDelete1Update()
{
    TForm_Editor *w = ActiveEditor();
    EditDelete1->SetEnabled(w && !w->Memo1->isHidden() && w->Memo1->SelAvail());
}

void TMainForm::EditDelete1Execute()
{
    TForm_Editor *w = ActiveEditor();
    if (w && w->Memo1->SelAvail()) w->Memo1->SetSelText("");
}
