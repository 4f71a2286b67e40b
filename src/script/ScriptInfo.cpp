// Script information windows, the Analyzer and the script converter.
#include "platform/Dialogs.h"
#include "script/EdInfoWin.h"
#include "script/InfoWin.h"
#include "script/KASFileConverter.h"
#include "script/VarMan.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <memory>

void TMainForm::ConnectScriptInfoActions()
{
    BindAction(InformScr_Action1, &TMainForm::InformScr_Action1Execute, &TMainForm::InformScr_Action1Update);
    BindAction(EdInformScr_Action1, &TMainForm::EdInformScr_Action1Execute, &TMainForm::EdInformScr_Action1Update);
    BindAction(VarManAction1, &TMainForm::VarManAction1Execute, &TMainForm::VarManAction1Update);
    BindAction(KASFCAction1, &TMainForm::KASFCAction1Execute);
}

void TMainForm::InformScr_Action1Execute()
{
    TForm_Editor *window = ActiveEditor();
    if (!window) return;
    auto form = std::make_unique<TInfoScriptForm>(this);
    form->ShowDocument(window);
    ShowModal(form.get());
}

void TMainForm::InformScr_Action1Update() { InformScr_Action1->SetEnabled(MDIChildCount() > 0); }

void TMainForm::EdInformScr_Action1Execute()
{
    TForm_Editor *window = ActiveEditor();
    if (!window) return;
    auto form = std::make_unique<TVersionForm>(this);
    form->ShowDocument(window);
    ShowModal(form.get());
}

void TMainForm::EdInformScr_Action1Update()
{
    const TForm_Editor *window = ActiveEditor();
    EdInformScr_Action1->SetEnabled(MDIChildCount() > 0 && window && !window->Memo1->isHidden());
}

void TMainForm::VarManAction1Execute()
{
    try {
        auto form = std::make_unique<TVarManForm>(this);
        ShowModal(form.get());
    } catch (const std::exception &e) {
        ShowHandlerException(e, "VarMan", "TMainForm::VarManAction1Execute");
    }
}

void TMainForm::VarManAction1Update() { VarManAction1->SetEnabled(MDIChildCount() > 0); }

void TMainForm::KASFCAction1Execute()
{
    auto form = std::make_unique<TForm_ReConvertKAS>(this);
    ShowModal(form.get());
}
