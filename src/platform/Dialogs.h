// Every message box and every modal showing of a dialog goes through these functions, so that tests
// can record and answer them (see the responders below).
#pragma once

#include "platform/Text.h"
#include <exception>
#include <functional>
#include <vector>

class QWidget;
class QDialog;

// Buttons and icons, as the Windows message box takes them.
enum : unsigned {
    MB_OK = 0x00, MB_OKCANCEL = 0x01, MB_YESNOCANCEL = 0x03, MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10, MB_ICONERROR = 0x10, MB_ICONHAND = 0x10, MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30, MB_ICONEXCLAMATION = 0x30, MB_ICONINFORMATION = 0x40, MB_ICONASTERISK = 0x40,
};
// The second button is the default one (Enter presses it), as for a question whose safe answer is No.
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_BUTTONMASK = 0x0F;
constexpr unsigned MB_ICONMASK = 0xF0;

// Button results, the same numbers as the class library's modal results.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Shows a modal message box; owner nullptr means no owner. Returns the button pressed (IDOK ...).
int MessageBox(QWidget *owner, const AnsiString &text, const AnsiString &caption, unsigned flags);

struct MessageBoxCall
{
    AnsiString Text;
    AnsiString Caption;
    unsigned Flags = 0;        // buttons | icon
    bool HasOwner = false;
    QWidget *Owner = nullptr;
};
using MessageBoxResponder = std::function<int(const MessageBoxCall &)>;
// A responder answers every box instead of the user; an empty one restores the real boxes.
void SetMessageBoxResponder(MessageBoxResponder responder);
const MessageBoxResponder &CurrentMessageBoxResponder();

// Shows the dialog modally (QDialog::exec) and returns its modal result (mrOk, mrCancel, ...).
int ShowModal(QDialog *dialog);
// The responder gets the dialog (its class: dialog->metaObject()->className()), may fill its
// controls, and returns the modal result. An empty responder restores real modal showing.
using ModalResponder = std::function<int(QDialog *)>;
void SetModalResponder(ModalResponder responder);
const ModalResponder &CurrentModalResponder();

// The window that owns the program's message boxes: the main window registers itself here.
// The pointer is guarded, so a destroyed window reads back as nullptr.
QWidget *ApplicationWindow();
void SetApplicationWindow(QWidget *window);

// The error box of an exception caught in an event handler: owned by the application window,
// caption "Quillet: Error!", error icon. unit is the source unit ("Main"), func the handler
// ("TMainForm::FormClose").
AnsiString HandlerExceptionText(const AnsiString &message, const AnsiString &unit, const AnsiString &func);
void ShowHandlerException(const std::exception &e, const AnsiString &unit, const AnsiString &func);

// For tests: records every message box while it lives and answers from a queue; when the queue is
// empty it presses the box's first button (OK or Yes). Restores the previous responder on destruction.
class MessageBoxRecorder
{
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder &) = delete;
    MessageBoxRecorder &operator=(const MessageBoxRecorder &) = delete;

    std::vector<MessageBoxCall> Calls;
    std::vector<int> Answers;     // taken from the front, one per box

private:
    MessageBoxResponder Previous;
};

// For tests: answers every modal showing with the given function and records the dialogs' class
// names; restores the previous responder on destruction.
class ModalRecorder
{
public:
    explicit ModalRecorder(ModalResponder answer);
    ~ModalRecorder();
    ModalRecorder(const ModalRecorder &) = delete;
    ModalRecorder &operator=(const ModalRecorder &) = delete;

    std::vector<AnsiString> ClassNames;

private:
    ModalResponder Previous;
};
