// Text resources: the manager window, KATtify, de-KATtify and go to index.
#include "shell/Main.h"

void TMainForm::ConnectTextResourceActions() {}
