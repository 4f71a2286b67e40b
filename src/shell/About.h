// The about box: the program's name and version.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *owner = nullptr);

    QLabel *Label6 = nullptr;   // "Quillet"
    QLabel *Label5 = nullptr;   // "v. " + version
    QLabel *Label3 = nullptr;   // "KAS v. 2.80 compatible"
    QPushButton *ToolButton2 = nullptr;   // "Ok"

    void FormCreate();
    void ToolButton2Click();
};
