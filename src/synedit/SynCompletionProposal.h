// The editor component's completion popup: a list window at the caret of the text pane it is
// attached to. It opens on its shortcut, or after its delay when a trigger character is typed;
// while it is open the pane keeps the focus: Up, Down, PgUp and PgDn move the selection, Enter
// (or an end-of-token character) puts the selected entry in place of the word being typed, Esc
// closes it, and every other key goes on to the pane.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"
#include "synedit/SynMemo.h"

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QLabel;
class QListWidget;
class TSynCompletionProposal;

// Option bits (a set of the component's options).
enum TSynCompletionOption : unsigned {
    scoAnsiStrings = 1u << 0,
    scoCaseSensitive = 1u << 1,
    scoLimitToMatchedText = 1u << 2,
    scoTitleIsCentered = 1u << 3,
    scoUseInsertList = 1u << 4,
    scoUsePrettyText = 1u << 5,
    scoUseBuiltInTimer = 1u << 6,
    scoEndCharCompletion = 1u << 7,
};

enum TSynCompletionType : int { ctCode, ctHint, ctParams };

// The pane the popup works in. Assigning a pane attaches the popup to it (and detaches it from the
// one before); a pane that is destroyed reads back as nullptr.
class TSynCompletionEditor
{
public:
    explicit TSynCompletionEditor(TSynCompletionProposal *owner) : Owner(owner) {}
    TSynCompletionEditor &operator=(TSynMemo *memo);
    operator TSynMemo *() const { return Memo.data(); }
    TSynMemo *operator->() const { return Memo.data(); }

private:
    friend class TSynCompletionProposal;
    TSynCompletionProposal *Owner;
    QPointer<TSynMemo> Memo;
};

class TSynCompletionProposal : public QObject
{
    Q_OBJECT
public:
    TSynCompletionProposal();
    ~TSynCompletionProposal() override;
    TSynCompletionProposal(const TSynCompletionProposal &) = delete;
    TSynCompletionProposal &operator=(const TSynCompletionProposal &) = delete;

    TStringList ItemList;      // what the popup shows, one line per entry
    TStringList InsertList;    // what is inserted for each entry (with scoUseInsertList)
    AnsiString Title;
    bool TitleFontBold = true;
    AnsiString TriggerChars;   // characters that open the popup after TimerInterval
    AnsiString EndOfTokenChr;  // characters that end the word being completed
    int TimerInterval = 1000;  // milliseconds; used while scoUseBuiltInTimer is set
    unsigned Options = 0;
    TSynCompletionType DefaultType = ctCode;
    int NbLinesInWindow = 8;
    int Width = 300;
    AnsiString BiggestWord;    // its width sets the width of the item column
    bool Resizeable = false;   // the popup window can be sized by the user
    QKeySequence ShortCut;
    TSynCompletionEditor Editor{this};   // the text pane the popup works in (set on activation)

    bool HasOption(unsigned option) const { return (Options & option) != 0; }
    void SetOption(unsigned option, bool on) { Options = on ? (Options | option) : (Options & ~option); }
    void ClearList();   // empties the item list and the insert list
    // The lists were replaced while the window may be open: it shows them from the first entry.
    void ResetAssignedList();

    // ---- Events ----
    // Before opening: fill the lists; clearing canExecute keeps the popup closed.
    std::function<void(TSynCompletionType kind, TSynCompletionProposal *sender, AnsiString &currentString,
                       int &x, int &y, bool &canExecute)>
        OnExecute;
    // The selected entry changed (also when the popup opens).
    std::function<void(TSynCompletionProposal *sender, int index)> OnChange;
    // Closed without a choice.
    std::function<void(TSynCompletionProposal *sender)> OnCancelled;
    // An entry was chosen: the value may be changed before it is put into the pane.
    std::function<void(TSynCompletionProposal *sender, AnsiString &value, Qt::KeyboardModifiers shift)>
        OnCodeCompletion;
    // After the value was put into the pane.
    std::function<void(TSynCompletionProposal *sender, const AnsiString &value, Qt::KeyboardModifiers shift,
                       int index, char endToken)>
        OnAfterCodeCompletion;

    // ---- Use ----
    // Opens the popup at the caret of the attached pane, as the shortcut does.
    void ActivateCompletion();
    // Closes the window without a choice (OnCancelled); nothing happens while it is closed.
    void CancelCompletion();
    // Puts the selected entry into the pane and closes the window.
    void CompleteSelected(Qt::KeyboardModifiers shift = Qt::NoModifier, char endToken = 0);
    bool Active() const;             // the window is open
    int Position() const;            // the selected entry; -1 none
    void SetPosition(int index);
    AnsiString CurrentString() const { return CurrentWord; }
    bool TimerPending() const { return Timer.isActive(); }
    QWidget *Form() const;           // the popup window (nullptr before the first opening)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TSynCompletionEditor;
    void Attach(TSynMemo *memo);
    void Detach();
    bool HandleKey(QKeyEvent *e);
    bool IsShortCut(const QKeyEvent *e) const;
    bool TakesKeyWhileOpen(const QKeyEvent *e) const;
    void FollowTyping();
    void MoveSelection(int delta);
    void CreateForm();
    void FillForm();
    void PlaceForm(int x, int y);
    int RowHeight() const;
    void CloseForm();
    AnsiString WordBeforeCaret(int &startColumn) const;
    AnsiString ValueOf(int index) const;

    QTimer Timer;
    QPointer<QWidget> FormWindow;
    QLabel *TitleLabel = nullptr;
    QListWidget *List = nullptr;
    QWidget *Grip = nullptr;   // the size grip of a window the user can size
    AnsiString CurrentWord;
    int WordLine = 0;          // caret line and first column of the word being completed
    int WordStartColumn = 0;
    bool Completing = false;
};
