// The go-to dialog: puts the caret of the active text pane on a line, or selects the character at
// an offset of the text.
#pragma once

#include "platform/Text.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;
class QGroupBox;
class TMainForm;
class TToolBar;
class TToolButton;

class TGoToForm : public QDialog
{
    Q_OBJECT
public:
    explicit TGoToForm(TMainForm *owner);

    QLabel *Image1 = nullptr;
    QGroupBox *RadioGroup1 = nullptr;      // " Line or Symbol "
    QRadioButton *LineItem = nullptr;      // item 0
    QRadioButton *SymbolItem = nullptr;    // item 1
    QLineEdit *Edit1 = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;    // Go!
    TToolButton *ToolButton2 = nullptr;    // Cancel
    TToolButton *ToolButton3 = nullptr;    // Help

    int ItemIndex() const;                 // 0 line, 1 symbol
    void SetItemIndex(int index);

    void FormCreate();
    void Edit1Change();
    void ToolButton1Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    TMainForm *Main;
};

// The field's text as the dialog keeps it: longer than 9 characters, not a number, or beginning
// with "0" gives "1".
AnsiString CheckedGoToText(const AnsiString &text);
