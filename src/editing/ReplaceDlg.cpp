#include "editing/ReplaceDlg.h"

#include "editing/TextSearch.h"
#include "platform/FieldText.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

TTextReplaceDialog::TTextReplaceDialog(TMainForm *owner) : TTextSearchDialog(owner, "Replace Text")
{
    setObjectName(metaObject()->className());
    Label2 = new QLabel("Replace with:");
    Label2->setObjectName("Label2");
    cbReplaceText = NewHistoryBox("cbReplaceText");
    Label2->setBuddy(cbReplaceText);
    TextRows->addWidget(Label2, 1, 0);
    TextRows->addWidget(cbReplaceText, 1, 1);
    // Made after the other controls, the replacement would come last in the Tab order; it
    // follows the search text, as it does on screen.
    setTabOrder(cbSearchText, cbReplaceText);
    FormCreate();
}

void TTextReplaceDialog::FormCreate()
{
    SetDirectionIndex(Owner->ReplaceBackwards ? 1 : 0);
    cbSearchCaseSensitive->setChecked(Owner->ReplaceCaseSensitive);
    cbSearchFromCaret->setChecked(Owner->ReplaceFromCaret);
    cbSearchWholeWords->setChecked(Owner->ReplaceWholeWords);
    SetComboItems(cbSearchText, HistoryEntries(Owner->ReplaceSearchTextHistory));
    cbSearchText->setEditText(ToQ(Owner->ReplaceSearchText));
    SetComboItems(cbReplaceText, HistoryEntries(Owner->ReplaceTextHistory));
    cbReplaceText->setEditText(ToQ(Owner->ReplaceText));
    const TForm_Editor *window = Owner->ActiveEditor();
    cbSearchSelectedOnly->setChecked(window && window->Memo1->SelAvail());
    cbSearchTextChange();
}

void TTextReplaceDialog::btnOKClick()
{
    // Nothing is taken unless both texts can go into the document.
    const std::optional<AnsiString> searchText = DocumentTextOf(cbSearchText, SearchForName);
    if (!searchText) return;
    const std::optional<AnsiString> replaceText = DocumentTextOf(cbReplaceText, "Replace with");
    if (!replaceText) return;
    const AnsiString searchHistory = TakeComboText(cbSearchText, *searchText);
    const AnsiString replaceHistory = TakeComboText(cbReplaceText, *replaceText);
    Owner->ReplaceBackwards = DirectionIndex() == 1;
    Owner->ReplaceCaseSensitive = cbSearchCaseSensitive->isChecked();
    Owner->ReplaceFromCaret = cbSearchFromCaret->isChecked();
    Owner->ReplaceSelectedOnly = cbSearchSelectedOnly->isChecked();
    Owner->ReplaceSearchText = *searchText;
    Owner->ReplaceSearchTextHistory = searchHistory;
    Owner->ReplaceText = *replaceText;
    Owner->ReplaceTextHistory = replaceHistory;
    Owner->ReplaceWholeWords = cbSearchWholeWords->isChecked();
    accept();
}
