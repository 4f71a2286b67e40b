#include "platform/Dialogs.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QKeyEvent>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

void PressEscape(QWidget *w)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// Runs the action on the first message box that comes up while the box is modal.
void WhenBoxShows(std::function<void(QMessageBox *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(box);
        }
    });
    timer->start();
}

TEST(MessageBox, ResponderSeesEveryFieldAndAnswers)
{
    QWidget owner;
    MessageBoxCall seen;
    SetMessageBoxResponder([&](const MessageBoxCall &call) {
        seen = call;
        return IDNO;
    });
    const int answer = MessageBox(&owner, "Text \xE9\r\nline 2", "Quillet", MB_YESNOCANCEL | MB_ICONQUESTION);
    SetMessageBoxResponder(nullptr);

    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(seen.Text, "Text \xE9\r\nline 2");
    EXPECT_EQ(seen.Caption, "Quillet");
    EXPECT_EQ(seen.Flags, unsigned(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_TRUE(seen.HasOwner);
    EXPECT_EQ(seen.Owner, &owner);
}

TEST(MessageBox, RecorderAnswersFromItsQueueThenWithTheFirstButton)
{
    MessageBoxRecorder outer;
    {
        MessageBoxRecorder rec;
        rec.Answers = {IDCANCEL};
        EXPECT_EQ(MessageBox(nullptr, "a", "c", MB_YESNOCANCEL), IDCANCEL);
        EXPECT_EQ(MessageBox(nullptr, "b", "c", MB_YESNOCANCEL), IDYES);
        EXPECT_EQ(MessageBox(nullptr, "c", "c", MB_OKCANCEL), IDOK);
        EXPECT_EQ(MessageBox(nullptr, "d", "c", MB_YESNO), IDYES);
        EXPECT_EQ(MessageBox(nullptr, "e", "c", MB_OK | MB_ICONSTOP), IDOK);
        ASSERT_EQ(rec.Calls.size(), 5u);
        EXPECT_FALSE(rec.Calls[0].HasOwner);
        EXPECT_EQ(rec.Calls[4].Text, "e");
    }
    // The inner recorder gave the boxes back to the outer one.
    MessageBox(nullptr, "after", "c", MB_OK);
    ASSERT_EQ(outer.Calls.size(), 1u);
    EXPECT_EQ(outer.Calls[0].Text, "after");
}

TEST(MessageBox, RealBoxReturnsTheButtonPressed)
{
    struct Case { unsigned flags; QMessageBox::StandardButton click; int result; };
    const Case cases[] = {
        {MB_OK, QMessageBox::Ok, IDOK},
        {MB_OKCANCEL, QMessageBox::Ok, IDOK},
        {MB_OKCANCEL, QMessageBox::Cancel, IDCANCEL},
        {MB_YESNO, QMessageBox::Yes, IDYES},
        {MB_YESNO, QMessageBox::No, IDNO},
        {MB_YESNOCANCEL, QMessageBox::No, IDNO},
        {MB_YESNOCANCEL, QMessageBox::Cancel, IDCANCEL},
    };
    for (const Case &c : cases) {
        bool found = false;
        WhenBoxShows([&](QMessageBox *box) {
            if (QAbstractButton *b = box->button(c.click)) {
                found = true;
                b->click();
            } else {
                box->done(0);
            }
        });
        EXPECT_EQ(MessageBox(nullptr, "t", "c", c.flags), c.result) << c.flags << " " << c.click;
        EXPECT_TRUE(found) << c.flags << " " << c.click;
    }
}

TEST(MessageBox, RealBoxShowsCaptionIconAndPlainTextWithOwner)
{
    QWidget owner;
    owner.show();
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget *parent = nullptr;
    int buttons = 0;
    WhenBoxShows([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        parent = box->parentWidget();
        buttons = int(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    MessageBox(&owner, "File \"<b>x\xE9</b>\"\r\nnext\n\rlast", "Quillet \xC4", MB_OK | MB_ICONWARNING);
    EXPECT_EQ(title, QString::fromLatin1("Quillet \xC4"));
    EXPECT_EQ(text, QString::fromLatin1("File \"<b>x\xE9</b>\"\nnext\nlast"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(parent, &owner);
    EXPECT_EQ(buttons, 1);
}

TEST(MessageBox, EscapePressesCancelOrTheOnlyButtonAndNothingInAYesNoBox)
{
    struct Case { unsigned flags; int result; };
    const Case cases[] = {{MB_OK, IDOK}, {MB_OKCANCEL, IDCANCEL}, {MB_YESNOCANCEL, IDCANCEL}};
    for (const Case &c : cases) {
        WhenBoxShows([](QMessageBox *box) { PressEscape(box); });
        EXPECT_EQ(MessageBox(nullptr, "t", "c", c.flags), c.result) << c.flags;
    }

    bool stillOpen = false;
    WhenBoxShows([&](QMessageBox *box) {
        PressEscape(box);
        box->close();
        stillOpen = box->isVisible();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(MessageBox(nullptr, "t", "c", MB_YESNO), IDNO);
    EXPECT_TRUE(stillOpen);
}

TEST(MessageBox, EnterPressesTheDefaultButton)
{
    const struct
    {
        unsigned Flags;
        int Result;
    } cases[] = {{MB_YESNO, IDYES}, {MB_YESNO | MB_DEFBUTTON2, IDNO}, {MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO},
                 {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL}};
    for (const auto &c : cases) {
        WhenBoxShows([](QMessageBox *box) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(box, &press);
        });
        EXPECT_EQ(MessageBox(nullptr, "t", "c", c.Flags), c.Result) << c.Flags;
    }
}

TEST(HandlerException, BoxIsOwnedByTheApplicationWindowWithTheExactText)
{
    QWidget mainWindow;
    SetApplicationWindow(&mainWindow);
    MessageBoxRecorder rec;
    ShowHandlerException(EFOpenError("Cannot open file \"a\xE9.kas\""), "Main", "TMainForm::FormClose");
    SetApplicationWindow(nullptr);

    ASSERT_EQ(rec.Calls.size(), 1u);
    EXPECT_EQ(rec.Calls[0].Text,
              "Exception message: \"Cannot open file \"a\xE9.kas\"\";\r\nFile: Main;\r\nFunc: TMainForm::FormClose.");
    EXPECT_EQ(rec.Calls[0].Caption, "Quillet: Error!");
    EXPECT_EQ(rec.Calls[0].Flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(rec.Calls[0].Owner, &mainWindow);
}

TEST(ApplicationWindow, ForgetsAWindowThatWasDestroyed)
{
    auto window = std::make_unique<QWidget>();
    SetApplicationWindow(window.get());
    EXPECT_EQ(ApplicationWindow(), window.get());
    window.reset();
    EXPECT_EQ(ApplicationWindow(), nullptr);
}

TEST(ShowModal, MapsTheDialogsEndingToModalResults)
{
    struct Case { std::function<void(QDialog *)> end; int result; };
    const Case cases[] = {
        {[](QDialog *d) { d->accept(); }, mrOk},
        {[](QDialog *d) { d->reject(); }, mrCancel},
        {[](QDialog *d) { PressEscape(d); }, mrCancel},
        {[](QDialog *d) { d->done(mrYes); }, mrYes},
        {[](QDialog *d) { d->done(mrNo); }, mrNo},
    };
    for (const Case &c : cases) {
        QDialog dialog;
        QTimer::singleShot(0, &dialog, [&] { c.end(&dialog); });
        EXPECT_EQ(ShowModal(&dialog), c.result);
    }
}

TEST(ShowModal, ADialogThatDeletesItselfOnCloseIsNotTouchedAfterwards)
{
    QPointer<QDialog> dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QTimer::singleShot(0, dialog.data(), [&] { dialog->done(mrNo); });
    EXPECT_EQ(ShowModal(dialog), mrNo);
    EXPECT_TRUE(dialog.isNull());
}

TEST(ShowModal, RecorderAnswersInsteadOfShowing)
{
    ModalRecorder rec([](QDialog *d) {
        EXPECT_FALSE(d->isVisible());
        d->setObjectName("filled");
        return int(mrYes);
    });
    QMessageBox dialog;
    EXPECT_EQ(ShowModal(&dialog), mrYes);
    EXPECT_EQ(dialog.objectName(), "filled");
    ASSERT_EQ(rec.ClassNames.size(), 1u);
    EXPECT_EQ(rec.ClassNames[0], "QMessageBox");
}

} // namespace
