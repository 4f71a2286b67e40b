// The text-resource manager: lists the texts between carets in the commands of the active
// script, lets them be edited, copied and pasted as a list and written back, and moves the
// checked ones into the script's KAT table (KATtify).
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <QDialog>
#include <QPointer>
#include <vector>

class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class TForm_Editor;
class TProgressBar;
class TStringGrid;
class TSynMemo;
class TToolBar;
class TToolButton;
class KatTakenIndexes;
struct KatItem;
struct KatRow;
struct ScriptEdit;

// The line between the messages of a copied list.
inline constexpr const char *MessageSeparator = "<<<_END_OF_MESSAGE_>>>";

class TTxtResMan : public QDialog
{
    Q_OBJECT
public:
    explicit TTxtResMan(QWidget *owner = nullptr);
    ~TTxtResMan() override;

    // The script window that was active when the manager was made; null once it is closed.
    QPointer<TForm_Editor> Document;
    // One entry per found text, parallel to ListBox1's items: the command's kind character, the
    // command letter, the 1-based start (first character after the opening caret) and end (the
    // closing caret) in the script's text, as decimal text.
    TStringList TextKinds, TextLetters, TextStarts, TextEnds;
    bool StopSearch = false;
    int SavedMainWidth = 0, SavedMainLeft = 0;

    // ---- Components ----
    QListWidget *ListBox1 = nullptr;   // check list: one item per found text
    QPlainTextEdit *Memo1 = nullptr;   // the selected text
    QLabel *Panel22Count = nullptr;    // "Count: " + number of items
    QLabel *Panel5Count = nullptr;     // "Count: " + length of the shown text
    QLabel *Label3 = nullptr;          // item number
    QLabel *Label4 = nullptr;          // "(start;end) "
    TProgressBar *ProgressBar1 = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton3 = nullptr, *ToolButton5 = nullptr, *ToolButton2 = nullptr, *ToolButton8 = nullptr,
                *ToolButton7 = nullptr, *ToolButton1 = nullptr, *ToolButton10 = nullptr, *ToolButton4 = nullptr;
    QMenu *PopupMenu1 = nullptr, *PopupMenu2 = nullptr, *PopupMenu3 = nullptr;
    QAction *Toseparatethemessages1 = nullptr, *RightArrange = nullptr, *KATsetup1 = nullptr;
    QAction *SelectAll1 = nullptr, *UnselectAll1 = nullptr, *InvertSelection1 = nullptr;
    QAction *Exportchangesincurrentdocument1 = nullptr, *ExportchangesinKATdocument1 = nullptr;

    // ---- Events ----
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void ToolButton3Click();   // Search: the text scanner
    void ToolButton5Click();   // Stop
    void ToolButton2Click();   // Copy list
    void ToolButton7Click();   // Paste list
    void ToolButton10Click();  // Help
    void ToolButton4Click();   // Exit
    void ListBox1Click();
    void Memo1Change();
    void Toseparatethemessages1Click();
    void RightArrangeClick();
    void KATsetup1Click();
    enum TCheckChange { ccUnselect, ccSelect, ccInvert };
    void SetAllChecks(TCheckChange change);   // the list's pop-up menu
    void Exportchangesincurrentdocument1Click();
    void ExportchangesinKATdocument1Click();   // KATtify

    // The found texts with their check marks and positions, in list order.
    std::vector<KatItem> Items() const;
    int ItemCount() const;
    AnsiString ItemText(int i) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateComponents();
    void CreateMenus();
    void SetItemText(int i, const AnsiString &text);
    void ShowListCount(int count);
    void ShowTextCount(int length);
    void StoreItemPositions(const std::vector<KatItem> &items);
    void DockAtMainRight();
    void UndockFromMain();
    void BeginProgress(int max);
    void EndProgress();

    // KATtify's steps.
    bool MakeKatBackups(const AnsiString &katPath);
    QPointer<TForm_Editor> KatTargetWindow(const AnsiString &katPath);
    KatTakenIndexes IndexesOfTargetTable(const AnsiString &katPath);
    void ShowKattifiedWindow();
    void DeleteOldKatFile(const AnsiString &katPath);
    void SeedKatFile(const AnsiString &katPath, int line);
    void WriteKatHeader(TForm_Editor *target, const AnsiString &scriptPath);
    void WriteKatRows(TStringGrid *grid, int firstRow, const std::vector<KatRow> &rows, const AnsiString &version);

    bool Docked = false;
    bool Updating = false;   // the program itself fills Memo1
};

// Makes a backup copy of the file; when that fails, tells the user why and that nothing has
// been changed, and gives false.
bool MakeBackupOrReport(const AnsiString &path);

// Makes the edits (positions in the pane's text as it stands) as one edit of the pane (one undo
// step), at the cost of the bytes they touch.
void ApplyScriptEdits(TSynMemo *pane, const std::vector<ScriptEdit> &edits);
