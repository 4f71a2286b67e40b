// Document windows driven from the keyboard: keys go to the control that has the focus, as the
// user's keyboard sends them, and the main window's shortcuts answer as in the running program.
#pragma once

#include "shell/DocumentTestSupport.h"

#include <Qt>

class QAction;
class QMenu;
class QWidget;

class KeyboardTest : public DocumentTest
{
protected:
    // Opens the file and brings the main window to the front, as when the user clicks it.
    TForm_Editor *OpenForKeys(const AnsiString &name, const AnsiString &bytes, const AnsiString &kind);

    static QWidget *Focused();
    // Between two keys of a user the program becomes idle and brings its actions up to date.
    void Idle();
    void Type(const char *text);
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Opens the menu from the menu bar with the mouse, paints it, and clicks the item.
    void ChooseFromMenu(QMenu *menu, QAction *item);
    // Ctrl+S, and the file's bytes after it.
    AnsiString SaveByKeys(TForm_Editor *w);
};
