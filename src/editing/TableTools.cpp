// Table tools of the document window and the table cell clipboard.
#include "shell/Main.h"
#include "shell/_EditorWin.h"

void TMainForm::ConnectTableActions() {}

void TForm_Editor::ConnectTableTools() {}
