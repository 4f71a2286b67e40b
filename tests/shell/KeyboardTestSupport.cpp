#include "shell/KeyboardTestSupport.h"

#include "platform/ActionList.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

TForm_Editor *KeyboardTest::OpenForKeys(const AnsiString &name, const AnsiString &bytes, const AnsiString &kind)
{
    TForm_Editor *w = OpenFile(name, bytes, kind);
    Form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(Form));
    Idle();
    return w;
}

QWidget *KeyboardTest::Focused() { return QApplication::focusWidget(); }

void KeyboardTest::Idle()
{
    QCoreApplication::processEvents();
    Form->ActionList1->UpdateActions();
}

void KeyboardTest::Type(const char *text)
{
    QTest::keyClicks(Focused(), text);
    Idle();
}

void KeyboardTest::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(Focused(), key, modifiers);
    Idle();
}

void KeyboardTest::ChooseFromMenu(QMenu *menu, QAction *item)
{
    QMenuBar *bar = Form->menuBar();
    const QRect title = bar->actionGeometry(menu->menuAction());
    ASSERT_FALSE(title.isEmpty()) << FromQ(menu->title());
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, title.center());
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); })) << FromQ(menu->title());
    EXPECT_FALSE(menu->grab().isNull());
    const QRect place = menu->actionGeometry(item);
    ASSERT_FALSE(place.isEmpty()) << FromQ(item->text());
    ASSERT_TRUE(item->isEnabled()) << FromQ(item->text());
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, place.center());
    EXPECT_TRUE(QTest::qWaitFor([menu] { return !menu->isVisible(); }));
    QCoreApplication::processEvents();
    // The window system gives the main window its activation back when the menu has gone.
    if (QApplication::activeWindow() != Form) {
        Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form));
    }
    Idle();
}

AnsiString KeyboardTest::SaveByKeys(TForm_Editor *w)
{
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(w->IsModified());
    return ReadFileBytes(w->Caption());
}
