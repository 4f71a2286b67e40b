// New documents, favourites, companions, refresh, go to, print, help, undo and about.
#include "shell/Main.h"

void TMainForm::ConnectDocumentActions() {}
