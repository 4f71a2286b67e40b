// "Tools setup": edits the main window's four tool lists in place; "Save && Close" stores them and
// rebuilds the Tools menu, "Close" puts back what was stored.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <QDialog>
#include <array>
#include <optional>

class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class TMainForm;
class TToolBar;
class TToolButton;

class TForm_SetupTools : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_SetupTools(TMainForm *owner);

    QLineEdit *Edit4 = nullptr;   // application
    QLineEdit *Edit2 = nullptr;   // title
    QLineEdit *Edit3 = nullptr;   // command line
    QLineEdit *Edit1 = nullptr;   // macros
    TToolButton *BrowseButton = nullptr;
    TToolButton *FolderMacroButton = nullptr;
    TToolButton *MacroButton = nullptr;
    QMenu *FolderMacroMenu = nullptr;
    QMenu *MacroMenu = nullptr;
    QListWidget *ListBox1 = nullptr;
    QPushButton *AddButton = nullptr, *ModifyButton = nullptr, *RemoveButton = nullptr,
                *UpButton = nullptr, *DownButton = nullptr, *ClearAllButton = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *SaveButton = nullptr, *CloseButton = nullptr, *HelpButton = nullptr;

    void FormCreate();
    void FieldsChange();          // application or title changed: Add and Modify
    void ListBox1Click();
    void AddClick();
    void ModifyClick();
    void RemoveClick();
    void UpClick();
    void DownClick();
    void ClearAllClick();
    void SaveClick();             // "Save && Close"
    void CloseClick();            // "Close"
    void HelpClick();
    void BrowseClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    void CreateComponents();
    void UpdateHints();
    void ReloadList(int selected = -1);
    void ResetFields();
    void SetSelectionButtons(bool on);
    void MoveEntry(int from, int to);
    std::array<TStringList *, 4> Lists() const;   // file names, titles, command lines, macros
    std::array<QLineEdit *, 4> Fields() const;    // the fields of the four lists, in their order
    static bool IsSystemText(size_t list);
    static QString ToolFieldText(size_t list, const AnsiString &entry);
    // The field's text as its list holds it; none when the user was told it cannot be stored.
    std::optional<AnsiString> ToolFieldEntry(size_t list) const;
    // Puts the four fields into entry i of the lists, or nothing when one cannot be stored.
    bool PutFields(int i);
    AnsiString ExpandedApplication() const;

    TMainForm *Main;
    std::array<TStringList, 4> Opened;   // the lists as they were when the dialog opened
};
