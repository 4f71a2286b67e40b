#include "platform/ActionList.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

std::function<void(const std::exception &)> TAction::OnUnhandledException;

TAction::TAction(QObject *parent) : QAction(parent)
{
    connect(this, &QAction::triggered, this, [this] { Triggered(); });
}

TAction::TAction(const AnsiString &caption, QObject *parent) : TAction(parent)
{
    SetCaption(caption);
}

void TAction::SetHint(const AnsiString &hint)
{
    setStatusTip(ToQ(hint));
    setToolTip(ToQ(hint));
}

void TAction::SetChecked(bool on)
{
    setCheckable(true);
    setChecked(on);
}

void TAction::Update()
{
    if (OnUpdate)
        OnUpdate();
}

bool TAction::Execute()
{
    Update();
    if (!isEnabled())
        return false;
    if (OnExecute)
        OnExecute();
    return true;
}

void TAction::RunGuarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        if (OnUnhandledException)
            OnUnhandledException(e);
        else
            qWarning("Unhandled exception: %s", e.what());
    }
}

void TAction::Triggered()
{
    // Qt has already toggled a checkable action; without AutoCheck the handler decides.
    if (isCheckable() && !AutoCheck)
        setChecked(!isChecked());
    RunGuarded([this] { Execute(); });
}

TActionList::TActionList(QWidget *owner) : QObject(owner), FOwner(owner)
{
    FIdleTimer.setSingleShot(true);
    FIdleTimer.setInterval(0);
    connect(&FIdleTimer, &QTimer::timeout, this, [this] { TAction::RunGuarded([this] { UpdateActions(); }); });
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { AboutToBlock(); });
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

TActionList::~TActionList()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

TAction *TActionList::Add(TAction *action)
{
    action->setParent(this);
    if (FOwner)
        FOwner->addAction(action);
    FActions.push_back(action);
    connect(action, &QObject::destroyed, this, [this, action] {
        std::erase(FActions, action);
    });
    return action;
}

void TActionList::UpdateActions()
{
    FUpdating = true;
    struct Reset { bool &flag; ~Reset() { flag = false; } } reset{FUpdating};
    FPending = false;
    if (OnUpdate)
        OnUpdate();
    for (size_t i = 0; i < FActions.size(); ++i)
        FActions[i]->Update();
}

void TActionList::AboutToBlock()
{
    if (FPending && !FUpdating && !FIdleTimer.isActive())
        FIdleTimer.start();
}

// Any event counts as something that may have changed the state, except our own timer and the
// events that only follow from widgets being changed (an update pass itself causes those).
bool TActionList::eventFilter(QObject *watched, QEvent *event)
{
    if (FUpdating || watched == &FIdleTimer)
        return false;
    switch (event->type()) {
    case QEvent::Paint: case QEvent::UpdateRequest: case QEvent::UpdateLater: case QEvent::LayoutRequest:
    case QEvent::Polish: case QEvent::PolishRequest: case QEvent::ChildAdded: case QEvent::ChildPolished:
    case QEvent::ChildRemoved: case QEvent::Move: case QEvent::Resize: case QEvent::Show: case QEvent::Hide:
    case QEvent::ShowToParent: case QEvent::HideToParent: case QEvent::EnabledChange:
    case QEvent::ActionChanged: case QEvent::ActionAdded: case QEvent::ActionRemoved:
    case QEvent::ToolTipChange: case QEvent::StyleChange: case QEvent::FontChange: case QEvent::PaletteChange:
    case QEvent::WindowTitleChange: case QEvent::WindowIconChange: case QEvent::DynamicPropertyChange:
    case QEvent::ParentChange: case QEvent::ParentAboutToChange: case QEvent::ZOrderChange:
    case QEvent::StatusTip: case QEvent::DeferredDelete:
        break;
    default:
        FPending = true;
    }
    return false;
}
