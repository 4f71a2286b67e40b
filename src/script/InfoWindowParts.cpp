#include "script/InfoWindowParts.h"

#include "platform/ToolBar.h"

#include <QGuiApplication>
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
