// Looks at a shown window as a user does: which of its texts are cut, and where Tab takes the
// keyboard focus. Names and texts come back as plain strings, which test failures print.
#pragma once

#include "platform/Dialogs.h"
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QWidget;

// Shows the window at its first size, makes it the active window and lets it lay itself out.
void ShowActive(QWidget *window);

// One line for every text of the shown window that is not shown whole: a label, check box,
// radio button, button or group title narrower or lower than its text, a list item or a column
// header cut or out of view, a tab cut, a tool bar that hides buttons, a read-only text that
// needs side-scrolling, or a control reaching past its window. Empty when every text is whole.
std::vector<std::string> ClippedTexts(QWidget *window);

// The fields that the focus visits from where it is now, pressing Tab (real key events) until
// it comes back to where it started or after maxSteps presses. Each entry names the focused
// control (a combo box for the line edit inside it): its object name, else a button's caption,
// else its class. A control that keeps the focus (Tab typed into it) ends the walk with an entry
// "<name> keeps the focus".
std::vector<std::string> TabChain(QWidget *window, int maxSteps = 30);

// The object name of the control that has the keyboard focus (see TabChain).
std::string FocusedField();

// Runs open, which shows a modal dialog; the dialog is shown active at its first size, look works
// it while it is up, and it is then cancelled. Returns the class names of the dialogs shown.
template <typename Dialog>
std::vector<AnsiString> LookAtModal(const std::function<void()> &open, const std::function<void(Dialog &)> &look)
{
    ModalRecorder modal([&](QDialog *d) {
        auto *dialog = qobject_cast<Dialog *>(d);
        if (!dialog) return int(mrCancel);
        ShowActive(dialog);
        look(*dialog);
        return int(mrCancel);
    });
    open();
    return modal.ClassNames;
}
