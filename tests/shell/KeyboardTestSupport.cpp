#include "shell/KeyboardTestSupport.h"

#include "platform/ActionList.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QApplication>
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

AnsiString KeyboardTest::SaveByKeys(TForm_Editor *w)
{
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(w->IsModified());
    return ReadFileBytes(w->Caption());
}
