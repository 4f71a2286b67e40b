// "KAS file converter": converts the chosen scripts of a source folder into a destination folder,
// refreshing their tags and, on request, compacting them to their bare operators.
#pragma once

#include "platform/Text.h"
#include "script/ScriptConverter.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QAction;
class QProgressBar;
class QWidget;
class TToolBar;
class TToolButton;

class TForm_ReConvertKAS : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_ReConvertKAS(QWidget *owner = nullptr);

    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton2 = nullptr;    // Convert
    TToolButton *ToolButton1 = nullptr;    // Exit
    TToolButton *ToolButton3 = nullptr;    // Help
    QWidget *Panel1 = nullptr;             // the source area
    QComboBox *DriveComboBox1 = nullptr;
    QComboBox *FilterComboBox1 = nullptr;
    QListWidget *DirectoryListBox1 = nullptr;   // the folder's ancestors, itself, then its subfolders
    QListWidget *FileListBox1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *SelectAll1 = nullptr, *Invertselection1 = nullptr;
    QLabel *Label10 = nullptr;             // file details
    QLineEdit *Edit4 = nullptr;            // destination folder
    TToolButton *ToolButton16 = nullptr;   // browse
    QGroupBox *GroupBox3 = nullptr;
    QCheckBox *CheckBox1 = nullptr;        // optimisation
    QListWidget *CheckListBox1 = nullptr;  // "One operator - one line", "Delete Quillet tags"
    QWidget *Panel2 = nullptr;             // progress, shown while converting
    QLabel *Label7 = nullptr;              // current file
    QProgressBar *ProgressBar1 = nullptr;  // file progress
    QProgressBar *ProgressBar2 = nullptr;  // total progress

    // The source folder (no trailing "/" except the root).
    AnsiString Directory() const { return SourceDir; }
    // Goes to the folder as the folder list does when one of its entries is opened.
    void SetDirectory(const AnsiString &folder);

    void FormCreate();
    void ToolButton2Click();
    void ToolButton1Click();
    void ToolButton3Click();
    void ToolButton16Click();
    void FileListBox1Click();
    void SelectAll1Click();
    void Invertselection1Click();
    void DirectoryListBox1Change();
    void CheckBox1Click();
    bool FormKeyDown(int key);
    bool FormCloseQuery();
    void FormClose();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void done(int result) override;

private:
    void CreateSourceGroup(class QVBoxLayout *layout);
    void CreateDestinationGroup(QVBoxLayout *layout);
    void CreateOptionGroup(QVBoxLayout *layout);
    void CreateProgressPanel(QVBoxLayout *layout);
    void FillDirectoryList();
    void FillFileList();
    void UpdateSelectionState();
    void ShowFileDetails(const AnsiString &path);
    bool MakeDestination(const AnsiString &folder);
    // Whether a selected file would be written over its own source.
    bool ReplacesSources(const AnsiString &destination) const;
    void SetBusy(bool busy);
    ConvertOptions CurrentOptions() const;
    // One selected entry; adds its path to failures when it is not converted whole.
    bool ConvertEntry(const AnsiString &name, const AnsiString &destination, const ConvertOptions &options,
                      std::vector<AnsiString> &failures);

    AnsiString SourceDir;
    bool Closing = false;
};

// The text of the final message: the count of converted files and the files that were not.
AnsiString ConverterResultText(int converted, const std::vector<AnsiString> &failures);
