// "Settings": the editor's look, the highlighter's colours and styles, the service options, the
// file associations, the completion delay and the fast-insert lists. Nothing is stored until
// "Save && Close", which writes everything and applies it to the main window and every open
// document window; "Close" discards.
#pragma once

#include "platform/Colors.h"
#include "platform/Text.h"

#include <QDialog>
#include <vector>

class QActionGroup;
class QAction;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QSpinBox;
class QTabWidget;
class QWidget;
class TInsListEditor;
class TMainForm;
class TSynKASSyn;
class TSynMemo;
class TToolBar;
class TToolButton;
class TSynHighlighterAttributes;
struct DialogSettings;
struct HighlighterElement;

class TSettings_Form : public QDialog
{
    Q_OBJECT
public:
    explicit TSettings_Form(TMainForm *owner);

    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;    // "Save && Close"
    TToolButton *ToolButton2 = nullptr;    // "Close"
    TToolButton *ToolButton15 = nullptr;   // "Help"
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;

    // Display
    QComboBox *FontComboBox = nullptr;
    QSpinBox *UpDown1 = nullptr;           // font size
    TToolButton *Tabs1 = nullptr;          // "Tabs >"
    QMenu *PopupMenu1 = nullptr;           // tab widths; an item's data is its Tag
    QActionGroup *TabItems = nullptr;
    int Tabs1Tag = 1;                      // the chosen tab width (1: tabs off)
    QSpinBox *UpDown2 = nullptr;           // right edge
    QListWidget *ListBox1 = nullptr;       // highlighter elements
    QComboBox *ColorComboBox1 = nullptr;   // foreground
    QComboBox *ColorComboBox2 = nullptr;   // background
    QListWidget *CheckListBox3 = nullptr;  // Bold, Italic, Underline, StrikeOut
    TSynMemo *Example = nullptr;
    TSynKASSyn *SynKASSyn1 = nullptr;      // the dialog's own highlighter
    QListWidget *CheckListBox5 = nullptr;  // gutter, highlight TXT, highlight KAS, date tag

    // Service
    QListWidget *CheckListBox2 = nullptr;  // misc
    QListWidget *CheckListBox1 = nullptr;  // file associations
    QSpinBox *UpDown3 = nullptr;           // completion delay

    // Fast insert list
    TInsListEditor *InsListEditor = nullptr;

    // Additional settings, shown by a Ctrl+Alt click on the bottom tool bar
    QGroupBox *Panel5 = nullptr;
    QListWidget *CheckListBox4 = nullptr;  // "PoweredBy" and "Warning#1" tags
    QLineEdit *Edit3 = nullptr;            // warning text
    TToolButton *SpeedButton1 = nullptr;   // "Set defoult value"
    TToolButton *ToolButton16 = nullptr;   // "Hide"

    void FormCreate();
    void ToolButton1Click();   // Save && Close
    void ToolButton2Click();   // Close
    void ToolButton15Click();  // Help
    // Enter, Esc and F1 wherever the focus is; true when the key was used.
    bool FormKeyDown(int key);

    void Edit1Change();
    void FontComboChange();
    void Edit2Change();
    void CheckListBox5ClickCheck();
    void TabsOFF1Click(QAction *Sender);
    void ListBox1Click();
    void ColorComboBox1Change();
    void ColorComboBox2Change();
    void CheckListBox3ClickCheck();

    void ToolBar1MouseDown(Qt::KeyboardModifiers shift);
    void ToolButton16Click();
    void SpeedButton1Click();

    static TColor ColorIndexToColor(int index);
    static int ColorToColorIndex(TColor color);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateComponents();
    QWidget *CreateDisplayPage();
    QWidget *CreateServicePage();
    QGroupBox *CreateAdditionalPanel();
    void FillFontList(const AnsiString &fontName);
    void SelectTabItem(int width);
    void ReadStoredSettings(DialogSettings &settings);
    void ShowSettings(const DialogSettings &settings);
    void ShowAdditionalSettings();
    DialogSettings EnteredSettings() const;
    // Raises when the settings file cannot be written; what was written before stays.
    void StoreSettings(const DialogSettings &settings, const AnsiString &listPath, const AnsiString &warning1Text);
    void ApplyToMainWindow(const DialogSettings &settings);
    const HighlighterElement *SelectedElement() const;
    TSynHighlighterAttributes *SelectedAttribute() const;
    void ShowColor(QComboBox *list, TColor color, bool enabled);

    TMainForm *Main;
    bool Filling = false;   // controls being set by the dialog itself
};

// A check list: one checkable row per caption.
QListWidget *NewCheckList(const std::vector<const char *> &captions);
bool IsChecked(const QListWidget *list, int row);
void SetChecked(QListWidget *list, int row, bool on);

// The start of the message shown when Save && Close cannot store the settings; the reason follows.
inline constexpr const char *SettingsNotSavedText = "The settings could not be saved: ";
