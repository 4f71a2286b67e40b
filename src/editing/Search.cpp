// Search and replace in text panes and tables.
#include "shell/Main.h"

void TMainForm::ConnectSearchActions() {}
