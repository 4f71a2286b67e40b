// Settings dialog, user tools and the fast-insert list editor.
#include "shell/Main.h"

void TMainForm::ConnectSettingsActions() {}
