#include "script/InfoWindowParts.h"

#include "platform/ToolBar.h"

#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

int AvailableScreenHeight()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().height() : 768;
}

QVBoxLayout *CreateRowScrollBox(QWidget *window, QScrollArea *&box)
{
    box = new QScrollArea(window);
    box->setFrameShape(QFrame::NoFrame);
    box->setWidgetResizable(true);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setFocusPolicy(Qt::NoFocus);
    auto *content = new QWidget(box);
    auto *rows = new QVBoxLayout(content);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    box->setWidget(content);
    return rows;
}

QVBoxLayout *StackOverToolBar(QWidget *window, QWidget *main, TToolBar *bar)
{
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(main, 1);
    layout->addWidget(bar);
    return layout;
}

void TElidedLabel::SetWholeText(const QString &text)
{
    Whole = text;
    ShowFitting();
}

QSize TElidedLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

void TElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    ShowFitting();
}

void TElidedLabel::ShowFitting()
{
    const int room = contentsRect().width() - 2 * margin();
    const QString shown = fontMetrics().elidedText(Whole, Qt::ElideMiddle, std::max(room, 0));
    setText(shown);
    setToolTip(shown == Whole ? QString() : Whole);
}
