#include "synedit/SynCompletionProposal.h"

void TSynCompletionProposal::ClearList()
{
    ItemList.Clear();
    InsertList.Clear();
}
