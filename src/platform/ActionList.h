// Actions as the class library has them: a caption, hint, shortcut and state shared by every menu
// item and tool button that shows the action, an execute handler, and an update handler that sets
// the state whenever the application has become idle.
#pragma once

#include "platform/Text.h"

#include <QAction>
#include <QTimer>
#include <functional>
#include <vector>

class TAction : public QAction
{
public:
    explicit TAction(QObject *parent = nullptr);
    TAction(const AnsiString &caption, QObject *parent = nullptr);

    AnsiString Caption() const { return FromQ(text()); }
    void SetCaption(const AnsiString &caption) { setText(ToQ(caption)); }
    // Shown as the tool tip and as the status tip.
    AnsiString Hint() const { return FromQ(statusTip()); }
    void SetHint(const AnsiString &hint);
    QKeySequence ShortCut() const { return shortcut(); }
    void SetShortCut(const QKeySequence &key) { setShortcut(key); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool on) { setEnabled(on); }
    bool Visible() const { return isVisible(); }
    void SetVisible(bool on) { setVisible(on); }
    bool Checked() const { return isChecked(); }
    // Makes the action show a check mark; a click leaves the mark alone unless AutoCheck is set.
    void SetChecked(bool on);
    bool AutoCheck = false;

    std::function<void()> OnExecute;
    std::function<void()> OnUpdate;

    // Runs OnUpdate.
    void Update();
    // Brings the state up to date first, so a stale enabled state never runs the action; then runs
    // OnExecute when the action is enabled. True when it ran.
    bool Execute();

    // Where an exception that escapes a handler run by the event loop is reported (default: a
    // warning on stderr); it must not travel through the event loop.
    static std::function<void(const std::exception &)> OnUnhandledException;
    static void RunGuarded(const std::function<void()> &handler);

private:
    void Triggered();
};

class TActionList : public QObject
{
public:
    // The actions' shortcuts work while the owner's window is active.
    explicit TActionList(QWidget *owner);
    ~TActionList() override;

    // Takes ownership of the action.
    TAction *Add(TAction *action);
    TAction *Add(const AnsiString &caption) { return Add(new TAction(caption)); }
    int Count() const { return int(FActions.size()); }
    TAction *operator[](int i) const { return FActions.at(size_t(i)); }

    // The list's own update handler, run once per pass before the actions' handlers.
    std::function<void()> OnUpdate;
    // One pass: the list's handler, then every action's. The event loop runs it when it is about
    // to wait after having handled events; tests call it directly.
    void UpdateActions();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void AboutToBlock();

    QWidget *FOwner;
    std::vector<TAction *> FActions;
    QTimer FIdleTimer;
    bool FPending = true;     // events were handled since the last pass
    bool FUpdating = false;
};
