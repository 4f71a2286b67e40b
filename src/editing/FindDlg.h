// The search dialog: what to look for and how. It keeps no state of its own: it shows the main
// window's search state and writes it back on OK.
#pragma once

#include "platform/Text.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TMainForm;

class TTextSearchDialog : public QDialog
{
    Q_OBJECT
public:
    // Reads the search state of the owner (FormCreate).
    explicit TTextSearchDialog(TMainForm *owner);

    QLabel *Label1 = nullptr;
    QComboBox *cbSearchText = nullptr;
    QGroupBox *gbSearchOptions = nullptr;
    QCheckBox *cbSearchCaseSensitive = nullptr;
    QCheckBox *cbSearchWholeWords = nullptr;
    QCheckBox *cbSearchFromCaret = nullptr;
    QCheckBox *cbSearchSelectedOnly = nullptr;
    QGroupBox *rgSearchDirection = nullptr;
    QRadioButton *rbForward = nullptr;    // item 0
    QRadioButton *rbBackward = nullptr;   // item 1
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    int DirectionIndex() const;
    void SetDirectionIndex(int index);

    // For a table: whole words and the selection play no part, and the search starts at a cell.
    void PrepareForTable();

    void cbSearchTextChange();
    virtual void btnOKClick();

protected:
    // Builds the controls and their layout without reading any state.
    TTextSearchDialog(TMainForm *owner, const char *caption);
    // The rows of texts: label in column 0, combo box in column 1.
    QGridLayout *TextRows = nullptr;
    TMainForm *Owner = nullptr;
    // How the message about a character a document cannot hold names the text fields.
    static constexpr const char *SearchForName = "Search for";

    static std::vector<AnsiString> ComboItems(const QComboBox *box);
    static void SetComboItems(QComboBox *box, const std::vector<AnsiString> &items);
    // The combo's text (as checked) moved on top of its items (OK), then the history of its items.
    static AnsiString TakeComboText(QComboBox *box, const AnsiString &text);
    static QComboBox *NewHistoryBox(const char *name);

private:
    void FormCreate();
};
