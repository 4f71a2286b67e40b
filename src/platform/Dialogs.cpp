#include "platform/Dialogs.h"

#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <utility>

namespace {

MessageBoxResponder &BoxResponder()
{
    static MessageBoxResponder responder;
    return responder;
}

ModalResponder &DialogResponder()
{
    static ModalResponder responder;
    return responder;
}

QPointer<QWidget> &AppWindow()
{
    static QPointer<QWidget> window;
    return window;
}

struct ButtonSet
{
    QMessageBox::StandardButtons Buttons;
    QMessageBox::StandardButton First, Second;
    QMessageBox::StandardButton Escape;   // NoButton: Esc and the close box do nothing
};

ButtonSet ButtonsOf(unsigned flags)
{
    switch (flags & MB_BUTTONMASK) {
    case MB_OKCANCEL:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Cancel};
    case MB_YESNOCANCEL:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::No,
                QMessageBox::Cancel};
    case MB_YESNO:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No, QMessageBox::NoButton};
    default:
        return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
    }
}

QMessageBox::Icon IconOf(unsigned flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int ResultOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default: return IDOK;
    }
}

int FirstButtonResult(unsigned flags) { return ResultOf(ButtonsOf(flags).First); }

// The texts use CR LF (sometimes LF CR); a label shows a CR as a glyph, so every break becomes one LF.
QString DisplayText(const AnsiString &text)
{
    QString s = ToQ(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

// A Yes/No box has no way out but its two buttons: Qt would otherwise let Esc and the close box
// answer No.
class NoEscapeFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

int ShowRealMessageBox(QWidget *owner, const AnsiString &text, const AnsiString &caption, unsigned flags)
{
    const ButtonSet set = ButtonsOf(flags);
    QMessageBox box(IconOf(flags), ToQ(caption), DisplayText(text), set.Buttons, owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(flags & MB_DEFBUTTON2 ? set.Second : set.First);
    NoEscapeFilter filter;
    if (set.Escape != QMessageBox::NoButton)
        box.setEscapeButton(set.Escape);
    else
        box.installEventFilter(&filter);
    box.exec();
    if (QAbstractButton *clicked = box.clickedButton())
        return ResultOf(box.standardButton(clicked));
    // Closed without a button (its owner went away): the answer that commits to nothing.
    return ResultOf(set.Escape != QMessageBox::NoButton ? set.Escape : QMessageBox::No);
}

} // namespace

int MessageBox(QWidget *owner, const AnsiString &text, const AnsiString &caption, unsigned flags)
{
    // A copy: the responder may replace itself while it runs.
    if (const MessageBoxResponder responder = BoxResponder())
        return responder(MessageBoxCall{text, caption, flags, owner != nullptr, owner});
    return ShowRealMessageBox(owner, text, caption, flags);
}

void SetMessageBoxResponder(MessageBoxResponder responder) { BoxResponder() = std::move(responder); }
const MessageBoxResponder &CurrentMessageBoxResponder() { return BoxResponder(); }

int ShowModal(QDialog *dialog)
{
    if (const ModalResponder responder = DialogResponder())
        return responder(dialog);
    const QPointer<QDialog> guard(dialog);   // a delete-on-close dialog is gone after exec
    const int result = dialog->exec();
    // The loop may have been ended from outside (the application terminating): no modal window stays.
    if (guard) guard->hide();
    if (result == QDialog::Accepted) return mrOk;
    if (result == QDialog::Rejected) return mrCancel;
    return result;   // a dialog that ends itself with done(mr...)
}

void SetModalResponder(ModalResponder responder) { DialogResponder() = std::move(responder); }
const ModalResponder &CurrentModalResponder() { return DialogResponder(); }

QWidget *ApplicationWindow() { return AppWindow().data(); }
void SetApplicationWindow(QWidget *window) { AppWindow() = window; }

AnsiString HandlerExceptionText(const AnsiString &message, const AnsiString &unit, const AnsiString &func)
{
    return "Exception message: \"" + message + "\";\r\nFile: " + unit + ";\r\nFunc: " + func + ".";
}

void ShowHandlerException(const std::exception &e, const AnsiString &unit, const AnsiString &func)
{
    MessageBox(ApplicationWindow(), HandlerExceptionText(e.what(), unit, func), "Quillet: Error!",
               MB_OK | MB_ICONERROR);
}

MessageBoxRecorder::MessageBoxRecorder() : Previous(BoxResponder())
{
    SetMessageBoxResponder([this](const MessageBoxCall &call) {
        Calls.push_back(call);
        if (Answers.empty()) return FirstButtonResult(call.Flags);
        const int answer = Answers.front();
        Answers.erase(Answers.begin());
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxResponder(std::move(Previous)); }

ModalRecorder::ModalRecorder(ModalResponder answer) : Previous(DialogResponder())
{
    SetModalResponder([this, answer = std::move(answer)](QDialog *dialog) {
        ClassNames.push_back(dialog->metaObject()->className());
        return answer ? answer(dialog) : int(mrCancel);
    });
}

ModalRecorder::~ModalRecorder() { SetModalResponder(std::move(Previous)); }
