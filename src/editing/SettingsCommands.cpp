// Settings dialog, user tools and the fast-insert list editor.
#include "shell/Main.h"

#include "editing/SettingsDlg.h"
#include "platform/Dialogs.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

void TMainForm::ConnectSettingsActions()
{
    BindAction(Settings1, &TMainForm::Settings1Click);
    BindAction(ConfigureTools1, &TMainForm::ConfigureTools1Click);
}

void TMainForm::Settings1Click()
{
    TSettings_Form dialog(this);
    ShowModal(&dialog);
}

// The look of the text pane that the settings dialog changes for open documents; the tab width and
// the highlighting switches reach only documents opened later.
void TForm_Editor::ApplyDisplaySettings()
{
    if (!MainForm) return;
    Memo1->SetColor(MainForm->EditorColor);
    Memo1->SetSelectedColor(MainForm->EditorSelectedColourBackground, MainForm->EditorSelectedColourForeground);
    Memo1->SetRightEdgeColor(MainForm->EditorRightEdgeColor);
    Memo1->SetRightEdge(MainForm->EditorRightEdge);
    Memo1->SetFontSize(MainForm->EditorFontSize);
    Memo1->SetFontName(MainForm->EditorFontName);
    Memo1->Gutter.SetVisible(MainForm->EditorGutterVisible);
}
