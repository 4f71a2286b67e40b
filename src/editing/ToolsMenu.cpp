// The user tools' items of the Tools menu.
#include "shell/Main.h"

#include <QAction>
#include <QMenu>

// The first items of the Tools menu are its fixed ones; the tools follow them.
void TMainForm::BuildToolsMenu()
{
    constexpr int FixedItems = 7;
    const QList<QAction *> items = Toolls1->actions();
    for (int i = FixedItems; i < items.size(); ++i) {
        Toolls1->removeAction(items[i]);
        if (items[i]->parent() == Toolls1) delete items[i];
    }
}
