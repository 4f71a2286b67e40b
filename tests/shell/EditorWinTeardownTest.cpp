// A document window torn down while its outline list is open (the main window's teardown deletes
// its document windows as they are): the list gives the focus back to the text pane on its way
// out. No handler of the half-destroyed window may run then, and the list reads no outline of it.
#include "shell/DocumentTestSupport.h"

#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>

namespace {

class EditorWinTeardown : public DocumentTest
{
};

} // namespace

TEST_F(EditorWinTeardown, AWindowDestroyedWithItsOutlineListOpenRunsNoHandlerOfIt)
{
    TForm_Editor *w = OpenFile("s.kas", "// JOTE\r\nQUIL_ScriptName=T\r\n_WARNING_#1=careful\r\ncode\r\n", "KAS_Document");
    QComboBox *list = w->ComboBox1;
    ASSERT_GT(list->count(), 0);
    Form->activateWindow();
    QCoreApplication::processEvents();

    // Opened as the mouse opens it, and painted.
    const QPointF at(list->width() - 6, list->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, list->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &press);
    ASSERT_TRUE(list->view()->isVisible());
    list->view()->window()->grab();

    QPointer<TForm_Editor> guard(w);
    delete w;
    QCoreApplication::processEvents();
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(Form->MDIChildCount(), 0);
}
