// The chooser of the fast-insert list: the ".il" files of the program folder, the chosen one's
// description and date; "Ok" stores it as the current list and loads it into the popup.
#pragma once

#include "platform/Text.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QListWidget;
class TMainForm;
class TToolBar;
class TToolButton;

class TFIL_Form : public QDialog
{
    Q_OBJECT
public:
    explicit TFIL_Form(TMainForm *owner);

    QLabel *Panel1 = nullptr;        // the file name that "Ok" stores
    QListWidget *ListBox1 = nullptr; // the ".il" files of the program folder
    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr;        // the list's description and date
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton3 = nullptr;

    void FormCreate();
    void ListBox1Click();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ShowInformation(const AnsiString &path);
    TMainForm *Main;
};

// "Description: ..." and "Date\Time: ..." of a list file (empty values when missing).
AnsiString FastInsertListInformation(const AnsiString &path);
