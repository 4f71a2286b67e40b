// The replace dialog: the search dialog's controls for the replace state, and the replacement
// with its own history.
#pragma once

#include "editing/FindDlg.h"

class TTextReplaceDialog : public TTextSearchDialog
{
    Q_OBJECT
public:
    // Reads the replace state of the owner (FormCreate).
    explicit TTextReplaceDialog(TMainForm *owner);

    QLabel *Label2 = nullptr;
    QComboBox *cbReplaceText = nullptr;

    void btnOKClick() override;

private:
    void FormCreate();
};
