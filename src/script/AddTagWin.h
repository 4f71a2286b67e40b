// The add-tag dialog: composes a header line of a script (a warning, a QUIL tag or a
// declaration), optionally framed by lines of stars, and puts it into the active script.
#pragma once

#include "platform/Text.h"

#include <QDialog>
#include <optional>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class TMainForm;
class TToolBar;
class TToolButton;
struct TagBlockRequest;

class TAddTagForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAddTagForm(TMainForm *owner);

    // 1: opened as "Add tag", 2: as "Add declaration"; chooses the help page.
    int Tag = 0;

    QGroupBox *GroupBox1 = nullptr;     // " Tag type "
    QComboBox *ComboBox1 = nullptr;
    QGroupBox *GroupBox2 = nullptr;     // " Tag name "
    QLineEdit *Edit1 = nullptr;
    QLabel *Label1 = nullptr;           // " Tag already exists! "
    QGroupBox *GroupBox3 = nullptr;     // " Tag description "
    QLineEdit *Edit2 = nullptr;
    QGroupBox *GroupBox4 = nullptr;     // " Declaration type "
    QComboBox *ComboBox2 = nullptr;
    QGroupBox *GroupBox5 = nullptr;     // " Function number "
    QLineEdit *Edit3 = nullptr;
    QGroupBox *GroupBox6 = nullptr;     // " Options "
    QGroupBox *RadioGroup1 = nullptr;   // " Tag position "
    QRadioButton *AtCursorButton = nullptr;   // item 0
    QRadioButton *AtBottomButton = nullptr;   // item 1
    QListWidget *CheckListBox1 = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;   // Add
    TToolButton *ToolButton2 = nullptr;   // Close
    TToolButton *ToolButton9 = nullptr;   // Help

    // The radio group's item index: 0 at the cursor, 1 at the bottom, -1 none.
    int TagPosition() const;
    void SetTagPosition(int index);
    bool Checked(int item) const;
    void SetChecked(int item, bool on);

    // Shows the declaration groups (both, or only the declaration type).
    void ShowDeclarationGroups(bool declarationType, bool functionNumber);

    void FormShow();
    void ComboBox1Change();
    void ComboBox2Change();
    void Edit1Change();
    void Edit3Change();
    void CheckListBox1Click();
    void RadioGroup1Click();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton9Click();

private:
    void FormCreate();
    void CreateGroups();
    void CreateToolBar();
    void CreateKeys();
    void ReadOptions();
    void UpdateTagExists();
    void UpdateAddEnabled();
    // The fields' request; none when a field holds a character a script cannot hold.
    std::optional<TagBlockRequest> Request() const;

    TMainForm *Owner = nullptr;
    QButtonGroup *PositionButtons = nullptr;
};
