// Script information windows, the Analyzer and the script converter.
#include "shell/Main.h"

void TMainForm::ConnectScriptInfoActions() {}
