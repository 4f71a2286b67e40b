// Context completion and the fast-insert popup.
#include "shell/Main.h"

void TMainForm::ConnectCompletion() {}
