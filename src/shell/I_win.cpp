#include "shell/I_win.h"

#include "platform/Shell.h"
#include "platform/ToolBar.h"
#include "shell/About.h"
#include "shell/DocumentCommands.h"

#include <QApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// The window's picture: the program's icon on a quiet gradient with the author's name.
QPixmap AuthorPicture()
{
    QPixmap picture(258, 252);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 252);
    sky.setColorAt(0, QColor(0x1B, 0x22, 0x3A));
    sky.setColorAt(1, QColor(0x3A, 0x4A, 0x72));
    p.fillRect(picture.rect(), sky);
    p.drawPixmap(QRect(89, 50, 80, 80), QApplication::windowIcon().pixmap(256, 256));
    QFont title("DejaVu Serif");
    title.setPixelSize(22);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0xDA, 0xC5, 0x4E));
    p.drawText(QRect(0, 150, 258, 30), Qt::AlignCenter, QuilletAuthorName);
    QFont small("DejaVu Sans");
    small.setPixelSize(12);
    p.setFont(small);
    p.setPen(QColor(0xE0, 0xE0, 0xE8));
    p.drawText(QRect(0, 184, 258, 20), Qt::AlignCenter, "KAS script and table editor");
    p.end();
    return picture;
}

} // namespace

TI_Form::TI_Form(QWidget *owner) : QDialog(owner, Qt::Tool)
{
    setObjectName("I_Form");
    setWindowTitle(QuilletAuthorName);
    Image1 = new QLabel(this);
    Image1->setPixmap(AuthorPicture());
    Image1->setFixedSize(258, 252);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    ToolBar1 = DialogToolBar(this);
    ToolButton1 = DialogButton(ToolBar1, "Mail to \"Quillet\" author", "Mail to \"Quillet\" author",
                               QStyle::SP_DialogSaveButton);
    ToolButton2 = DialogButton(ToolBar1, "Messenger", "The author's messenger page", QStyle::SP_MessageBoxQuestion);
    ToolButton3 = DialogButton(ToolBar1, "Velmora team in WWW", "Velmora team in WWW", QStyle::SP_DriveNetIcon);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolButton1->OnClick = [this] { ToolButton1Click(); };
    ToolButton2->OnClick = [this] { ToolButton2Click(); };
    ToolButton3->OnClick = [this] { ToolButton3Click(); };

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Image1);
    layout->addWidget(ToolBar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TI_Form::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TI_Form::Image1Click() { close(); }

void TI_Form::ToolButton1Click() { ShellOpen(QuilletLinks::AuthorMail); }

void TI_Form::ToolButton2Click() { ShellOpen(QuilletLinks::AuthorMessenger); }

void TI_Form::ToolButton3Click() { ShellOpen(QuilletLinks::VelmoraSite); }
