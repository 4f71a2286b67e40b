// Tool bars with tool buttons as the class library has them: caption, hint, enabled, visible, a
// "down" (pressed) look, an action, and a drop-down menu.
#pragma once

#include "platform/Text.h"

#include <QToolBar>
#include <QToolButton>
#include <functional>

class QMenu;
class TAction;

class TToolButton : public QToolButton
{
public:
    explicit TToolButton(QWidget *parent = nullptr);

    AnsiString Caption() const { return FromQ(text()); }
    void SetCaption(const AnsiString &caption) { setText(ToQ(caption)); }
    // Shown as the tool tip and as the status tip.
    AnsiString Hint() const { return FromQ(toolTip()); }
    void SetHint(const AnsiString &hint);
    bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    void SetEnabled(bool on) { setEnabled(on); }
    // The button's own visibility (it shows only while its tool bar and its action are visible too).
    bool Visible() const { return FVisible; }
    void SetVisible(bool on);
    // The pressed look. A click leaves it alone (the click handler decides) unless Toggles is set;
    // with an action it is the action's check mark.
    bool Down() const { return isChecked(); }
    void SetDown(bool down);
    bool Toggles = false;

    // The action gives the button its caption, hint, state and click.
    TAction *Action() const { return FAction; }
    void SetAction(TAction *action);
    // The menu that the button's arrow opens; nullptr removes it.
    void SetDropdownMenu(QMenu *menu);
    QMenu *DropdownMenu() const { return menu(); }

    // Runs on a click of a button without an action.
    std::function<void()> OnClick;

protected:
    void nextCheckState() override;

private:
    friend class TToolBar;
    void ShowAsItShould();

    TAction *FAction = nullptr;
    QAction *FBarAction = nullptr;   // the tool bar's handle of the button, through which it is shown
    bool FVisible = true;
};

class TToolBar : public QToolBar
{
public:
    explicit TToolBar(QWidget *parent = nullptr);
    ~TToolBar() override;

    TToolButton *AddButton(const AnsiString &caption = "");
    TToolButton *AddButton(TAction *action);
    // A button with its caption and hint that runs onClick.
    TToolButton *AddButton(const AnsiString &caption, const AnsiString &hint, std::function<void()> onClick);
    void AddSeparator() { addSeparator(); }
    int ButtonCount() const { return int(FButtons.size()); }
    TToolButton *Buttons(int i) const { return FButtons.at(size_t(i)); }
    // Captions shown under the pictures, or pictures only (captions of buttons without one stay).
    void SetShowCaptions(bool on);

private:
    std::vector<TToolButton *> FButtons;
};
