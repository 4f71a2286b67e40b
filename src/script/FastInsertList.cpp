// Fast-insert lists: the list file into the first completion popup.
#include "shell/Main.h"

#include "synedit/SynCompletionProposal.h"

void LoadFastInsertList(TMainForm *mainForm, const AnsiString &path)
{
    // Reading the list file comes with the fast-insert lists themselves; until then the popup
    // stays empty.
    mainForm->SynCompletionProposal1->ClearList();
    (void)path;
}
