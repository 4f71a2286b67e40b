#include "shell/About.h"

#include "common/Utils.h"
#include "platform/Application.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget *owner) : QDialog(owner)
{
    setObjectName("AboutBox");
    setWindowTitle("About");
    setFixedSize(400, 300);

    Label6 = new QLabel("Quillet", this);
    QFont big = Label6->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    Label6->setFont(big);
    Label5 = new QLabel(this);
    Label3 = new QLabel("KAS v. 2.80 compatible", this);
    ToolButton2 = new QPushButton("Ok", this);
    ToolButton2->setToolTip("Close window (Esc)");
    ToolButton2->setDefault(true);
    connect(ToolButton2, &QPushButton::clicked, this, &TAboutBox::ToolButton2Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label6);
    layout->addWidget(Label5);
    layout->addWidget(Label3);
    layout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ToolButton2);
    layout->addLayout(buttons);
    FormCreate();
}

void TAboutBox::FormCreate()
{
    Label5->setText("v. " + ToQ(GetFileVersionText(ParamStr(0))));
}

void TAboutBox::ToolButton2Click()
{
    accept();
}
