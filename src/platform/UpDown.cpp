#include "platform/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TUpDown::TUpDown(QLineEdit *associate, int min, int max, QWidget *parent)
    : QWidget(parent), FAssociate(associate), FMin(min), FMax(max), FPosition(min)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    UpButton = new QToolButton;
    UpButton->setArrowType(Qt::UpArrow);
    DownButton = new QToolButton;
    DownButton->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {UpButton, DownButton}) {
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(UpButton, &QToolButton::clicked, this, [this] { Click(true); });
    connect(DownButton, &QToolButton::clicked, this, [this] { Click(false); });
}

int TUpDown::Position() const
{
    if (FAssociate) {
        bool ok = false;
        const long long n = FAssociate->text().toLongLong(&ok);
        if (ok && n >= FMin) FPosition = int(std::min<long long>(n, FMax));
    }
    return FPosition;
}

void TUpDown::SetPosition(int position)
{
    FPosition = std::clamp(position, FMin, FMax);
    if (FAssociate && FAssociate->text() != QString::number(FPosition)) FAssociate->setText(QString::number(FPosition));
}

void TUpDown::Click(bool up)
{
    const long long next = (long long)Position() + (up ? FIncrement : -FIncrement);
    SetPosition(int(std::clamp<long long>(next, FMin, FMax)));
}
