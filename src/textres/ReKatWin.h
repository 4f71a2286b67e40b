// De-KATtify: puts the texts of a KAT table back into the script in place of their references.
#pragma once

#include "platform/Text.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QListWidget;
class TForm_Editor;
class TProgressBar;
class TToolBar;
class TToolButton;

class TREKATForm : public QDialog
{
    Q_OBJECT
public:
    explicit TREKATForm(QWidget *owner = nullptr);

    // Null once closed: Start lets the windows' events run while it holds them.
    QPointer<TForm_Editor> ScriptWindow;    // the active document window at creation
    QPointer<TForm_Editor> KatWindow;       // found or opened by Start

    QLineEdit *Edit1 = nullptr;             // the script's caption
    QLineEdit *Edit2 = nullptr;             // the KAT file
    TToolButton *ToolButton3 = nullptr;     // browse
    QListWidget *CheckListBox1 = nullptr;   // 0: backup of the script, 1: delete the KAT file
    TProgressBar *ProgressBar1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton9 = nullptr;

    void FormCreate();
    void Edit2Change();
    void ToolButton3Click();   // browse
    void CheckListBox1Click();
    void ToolButton1Click();   // Start
    void ToolButton2Click();   // Close
    void ToolButton9Click();   // Help

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateComponents();
    void EnableButtons(bool on);
    void DeKattify(const AnsiString &katPath);
    QPointer<TForm_Editor> FindOrOpenKat(const AnsiString &path);
    bool AcceptsRepeatedIndexes();
    bool BackUpScript();
    void ExpandRows();
    void RestoreScript();
    void DeleteKat();
};
