// Context completion and the fast-insert popup: the main window's handlers of the two popups.
#include "common/Utils.h"
#include "platform/Application.h"
#include "platform/StatusBar.h"
#include "script/CompletionKeyLines.h"
#include "script/CompletionTable.h"
#include "script/FastInsertList.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynCompletionProposal.h"

void TMainForm::ConnectCompletion()
{
    TSynCompletionProposal *context = SynCompletionProposal2;
    context->OnExecute = [this](TSynCompletionType kind, TSynCompletionProposal *sender, AnsiString &input, int &x,
                                int &y, bool &canExecute) {
        SynCompletionProposal2Execute(kind, sender, input, x, y, canExecute);
    };
    context->OnChange = [this](TSynCompletionProposal *sender, int index) { SynCompletionProposal2Change(sender, index); };
    context->OnCancelled = [this](TSynCompletionProposal *sender) { SynCompletionProposal2Cancelled(sender); };
    context->OnAfterCodeCompletion = [this](TSynCompletionProposal *sender, const AnsiString &value,
                                            Qt::KeyboardModifiers shift, int index, char endToken) {
        SynCompletionProposal2AfterCodeCompletion(sender, value, shift, index, endToken);
    };
    SynCompletionProposal1->OnCodeCompletion = [this](TSynCompletionProposal *sender, AnsiString &value,
                                                      Qt::KeyboardModifiers shift) {
        SynCompletionProposal1CodeCompletion(sender, value, shift);
    };
    FIL_Action1->OnExecute = [this] { FIL_Action1Execute(); };
    FIL_Action1->SetEnabled(true);
}

void TMainForm::BuildSclIndex() { SclIndex = std::make_shared<const TSclIndex>(*SclTable); }

// ---------------------------------------------------------------------------------------------
// Context completion

void TMainForm::SynCompletionProposal2Execute(TSynCompletionType, TSynCompletionProposal *, AnsiString &, int &,
                                              int &, bool &CanExecute)
{
    TSynCompletionProposal *popup = SynCompletionProposal2;
    popup->Title.clear();
    popup->ClearList();
    TSynMemo *memo = popup->Editor;
    TCompletionLists lists;
    if (memo && SclIndex && !SclIndex->Empty()) {
        const TSynMemoScriptLines lines(memo);
        BuildCompletionLists(*SclIndex, ChooseRecordKey(lines, memo->CaretX(), memo->CaretY(), *SclIndex), lists);
    }
    popup->Title = lists.Title;
    popup->ItemList.Assign(lists.Items);
    popup->InsertList.Assign(lists.Inserts);
    if (popup->ItemList.Count() == 0 || popup->InsertList.Count() == 0) {
        CanExecute = false;
        StatusBar1->Panels[0].SetText("");
        return;
    }
    StatusBar1->Panels[0].SetText(CompletionStatusText(popup->ItemList[0]));
}

void TMainForm::SynCompletionProposal2Change(TSynCompletionProposal *Sender, int AIndex)
{
    if (AIndex < 0 || AIndex >= Sender->ItemList.Count()) return;
    StatusBar1->Panels[0].SetText(CompletionStatusText(Sender->ItemList[AIndex]));
}

void TMainForm::SynCompletionProposal2Cancelled(TSynCompletionProposal *) { StatusBar1->Panels[0].SetText(""); }

void TMainForm::SynCompletionProposal2AfterCodeCompletion(TSynCompletionProposal *, const AnsiString &,
                                                          Qt::KeyboardModifiers, int, char)
{
    StatusBar1->Panels[0].SetText("");
}

// ---------------------------------------------------------------------------------------------
// Fast-insert popup

void TMainForm::SynCompletionProposal1CodeCompletion(TSynCompletionProposal *, AnsiString &Value,
                                                     Qt::KeyboardModifiers)
{
    TForm_Editor *window = ActiveEditor();
    if (!window) return;
    TSynMemo *memo = window->Memo1;
    TTextMacroContext context;
    context.CaretLine = memo->CaretY();
    context.FileName = ExtractFileName(window->Caption());
    context.ProgramVersion = GetFileVersionText(ParamStr(0));
    context.RightEdge = EditorRightEdge;
    context.Date = SystemShortDate();
    context.Time = SystemLongTime();
    Value = ExpandTextMacros(Value, context);

    const int line = memo->CaretY() - 1;
    if (line < memo->Lines.Count()) memo->Lines.SetString(line, memo->Lines.Strings(line) + " ");
}
