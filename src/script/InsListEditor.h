// The "Fast insert list" page of the settings dialog: creates, edits, writes and deletes the
// fast-insert list files of the program folder. Nothing reaches a file except through "Create
// file & write settings"; " <- Save file!" shows that the page holds unwritten changes.
#pragma once

#include "platform/Text.h"

#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class TToolBar;
class TToolButton;

class TInsListEditor : public QWidget
{
    Q_OBJECT
public:
    explicit TInsListEditor(const AnsiString &programFolder, QWidget *parent = nullptr);

    TToolBar *ToolBar2 = nullptr;
    QComboBox *ComboBox1 = nullptr;        // file name
    TToolButton *ToolButton13 = nullptr;   // create file & write
    TToolButton *ToolButton7 = nullptr;    // delete file
    QLabel *Label5 = nullptr;              // " <- Save file!"
    QLineEdit *Edit5 = nullptr;            // description
    QTreeWidget *ListView1 = nullptr;      // "Caption", "Item"
    QLineEdit *Edit7 = nullptr;            // caption
    QLineEdit *Edit8 = nullptr;            // item
    TToolBar *ToolBar4 = nullptr;
    TToolButton *ToolButton14 = nullptr;   // delete all items
    TToolButton *ToolButton8 = nullptr;    // delete selected item
    TToolButton *ToolButton9 = nullptr;    // change selected item
    TToolButton *ToolButton10 = nullptr;   // add new item
    TToolButton *ToolButton12 = nullptr;   // auto presets
    QLabel *Label6 = nullptr;              // " <- Add/Change item!"
    QMenu *PopupMenu4 = nullptr;
    QAction *Replacemode1 = nullptr, *Insertmode1 = nullptr;
    AnsiString SavedDescription;

    // The dialog's opening: the folder's list files, the current one named and loaded.
    void FormCreate(const AnsiString &currentFileName);

    void ComboBox1Change();
    void ToolButton13Click();
    void ToolButton7Click();
    void ToolButton10Click();
    void ToolButton9Click();
    void ToolButton8Click();
    void ToolButton14Click();
    void ListView1SelectItem(QTreeWidgetItem *Item);
    void ListView1Change();
    void Edit7Change();
    void Edit5Change();
    void Replacemode1Click();
    void Insertmode1Click();
    // A preset token: appended to the item (insert mode) or replacing item and caption.
    void PresetClick(const AnsiString &token, const AnsiString &caption);

    int RowCount() const;
    AnsiString RowCaption(int row) const;
    AnsiString RowItem(int row) const;

private:
    void CreateComponents();
    void CreatePresetMenu();
    void RefillFileList();
    void AppendRow(const AnsiString &caption, const AnsiString &item);
    void SetListButtons(bool on);
    AnsiString PathOf(const AnsiString &name) const;
    static bool IsListFile(const AnsiString &path);   // an existing ".il" file (any case)
    void UpdateFileButtons();

    // The fields hold the texts of a chosen row: Change may store them back (after a change it
    // waits for the next row chosen).
    bool RowChosen = false;
    bool FieldsStorable() const;
    bool FieldsKeptAsTyped();
    AnsiString ProgramFolder;
};
