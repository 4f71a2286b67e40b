#include "shell/Splashwin.h"

#include "common/Utils.h"
#include "platform/Application.h"
#include "platform/Colors.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>

TSplashForm *SplashForm = nullptr;

namespace {

constexpr int SplashWidth = 300, SplashHeight = 250;
constexpr TColor LabelColor = 0x4EC5DA;   // gold

QLabel *MakeLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    QFont font("Arial");
    font.setPixelSize(11);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ColorToQColor(LabelColor));
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    return label;
}

} // namespace

TSplashForm::TSplashForm(QWidget *owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("SplashForm");
    setFixedSize(SplashWidth, SplashHeight);
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, SplashWidth, SplashHeight);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(SplashPicture());
    Label2 = MakeLabel(this);
    Label1 = MakeLabel(this);
    FormCreate();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - SplashWidth) / 2, area.y() + (area.height() - SplashHeight) / 2);
    }
}

void TSplashForm::FormCreate()
{
    Label1->setGeometry(22, 208, 257, 20);
    Label2->move(30, 175);
    Label2->setText("Release: " + ToQ(GetFileVersionText(ParamStr(0))));
    Label2->adjustSize();
}

void TSplashForm::ShowForCopy(bool anotherCopyRuns)
{
    Tag = anotherCopyRuns ? 1 : 0;
    if (anotherCopyRuns) return;
    show();
    repaint();
}

void TSplashForm::ShowStep(const QString &text)
{
    Label1->setText(text);
    if (isVisible()) Label1->repaint();
}

QPixmap TSplashForm::SplashPicture()
{
    QPixmap picture(SplashWidth, SplashHeight);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, SplashHeight);
    sky.setColorAt(0.0, QColor(0x1B, 0x22, 0x3A));
    sky.setColorAt(1.0, QColor(0x0B, 0x0E, 0x1A));
    p.fillRect(picture.rect(), sky);
    QRadialGradient glow(SplashWidth / 2.0, 80, 130);
    glow.setColorAt(0.0, QColor(0xDA, 0xC5, 0x4E, 70));
    glow.setColorAt(1.0, QColor(0xDA, 0xC5, 0x4E, 0));
    p.fillRect(picture.rect(), glow);

    // A quill: a curved vane with its shaft.
    const QColor gold(0xDA, 0xC5, 0x4E);
    QPainterPath vane;
    vane.moveTo(131, 90);
    vane.cubicTo(140, 60, 162, 34, 190, 18);
    vane.cubicTo(182, 44, 164, 70, 137, 92);
    vane.closeSubpath();
    p.setPen(QPen(gold.darker(130), 1.2));
    p.setBrush(QColor(0xF3, 0xEC, 0xC8));
    p.drawPath(vane);
    p.setPen(QPen(gold, 2.0));
    p.drawLine(QPointF(124, 100), QPointF(184, 26));

    QFont title("DejaVu Serif");
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.setPen(gold);
    p.drawText(QRect(0, 96, SplashWidth, 48), Qt::AlignHCenter | Qt::AlignBottom, "Quillet");

    QFont subtitle("DejaVu Sans");
    subtitle.setPixelSize(11);
    p.setFont(subtitle);
    p.setPen(QColor(0xC8, 0xC8, 0xD8));
    p.drawText(QRect(0, 148, SplashWidth, 18), Qt::AlignHCenter, "KAS script and table editor");

    p.setPen(QPen(gold.darker(160), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    return picture;
}
