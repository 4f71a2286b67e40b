#include "platform/ToolBar.h"
#include "platform/ActionList.h"

#include <QLayout>
#include <QMenu>

TToolButton::TToolButton(QWidget *parent) : QToolButton(parent)
{
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (!FAction && OnClick)
            TAction::RunGuarded(OnClick);
    });
}

void TToolButton::SetHint(const AnsiString &hint)
{
    setToolTip(ToQ(hint));
    setStatusTip(ToQ(hint));
}

void TToolButton::SetVisible(bool on)
{
    FVisible = on;
    ShowAsItShould();
}

void TToolButton::ShowAsItShould()
{
    const bool show = FVisible && (!FAction || FAction->isVisible());
    // Inside a tool bar only its handle may show or hide the button.
    if (FBarAction) {
        FBarAction->setVisible(show);
        if (QLayout *layout = parentWidget()->layout())
            layout->activate();   // at once, not at the next layout pass
    } else
        setVisible(show);
}

void TToolButton::SetDown(bool down)
{
    if (FAction) {
        FAction->SetChecked(down);
        return;
    }
    setCheckable(true);
    setChecked(down);
}

void TToolButton::SetAction(TAction *action)
{
    if (FAction)
        disconnect(FAction, nullptr, this, nullptr);
    FAction = action;
    setDefaultAction(action);
    if (action)
        connect(action, &QAction::changed, this, [this] { ShowAsItShould(); });
    ShowAsItShould();
}

void TToolButton::SetDropdownMenu(QMenu *menu)
{
    setMenu(menu);
    setPopupMode(menu ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
}

void TToolButton::nextCheckState()
{
    if (FAction)
        QToolButton::nextCheckState();   // triggers the action, which keeps its own check mark
    else if (Toggles)
        QAbstractButton::nextCheckState();
}

TToolBar::TToolBar(QWidget *parent) : QToolBar(parent)
{
    setMovable(false);
    SetShowCaptions(false);
}

// The buttons die in the widget's destructor, after the list: they must not report to it then.
TToolBar::~TToolBar()
{
    for (TToolButton *button : FButtons)
        disconnect(button, nullptr, this, nullptr);
}

TToolButton *TToolBar::AddButton(const AnsiString &caption)
{
    auto *button = new TToolButton(this);
    button->SetCaption(caption);
    button->setToolButtonStyle(toolButtonStyle());
    connect(this, &QToolBar::toolButtonStyleChanged, button, &QToolButton::setToolButtonStyle);
    button->FBarAction = addWidget(button);
    FButtons.push_back(button);
    connect(button, &QObject::destroyed, this, [this, button] { std::erase(FButtons, button); });
    return button;
}

TToolButton *TToolBar::AddButton(TAction *action)
{
    TToolButton *button = AddButton();
    button->SetAction(action);
    return button;
}

TToolButton *TToolBar::AddButton(const AnsiString &caption, const AnsiString &hint, std::function<void()> onClick)
{
    TToolButton *button = AddButton(caption);
    button->SetHint(hint);
    button->OnClick = std::move(onClick);
    return button;
}

void TToolBar::SetShowCaptions(bool on)
{
    setToolButtonStyle(on ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
}
