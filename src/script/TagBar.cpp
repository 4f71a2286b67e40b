// The tag bar of a script window and the add-tag dialog.
#include "shell/_EditorWin.h"

void TForm_Editor::ConnectTagBar() {}
