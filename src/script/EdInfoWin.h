// "Edit document information": one field per header tag of the active script, written back as
// header tags by "Save && Close".
#pragma once

#include "platform/Text.h"

#include <QDialog>

class QLineEdit;
class QScrollArea;
class TForm_Editor;
class TToolBar;
class TToolButton;

class TVersionForm : public QDialog
{
    Q_OBJECT
public:
    explicit TVersionForm(QWidget *owner = nullptr);

    QScrollArea *ScrollBox1 = nullptr;
    QLineEdit *EditName = nullptr, *EditAuthor = nullptr, *EditVersion = nullptr, *EditDate = nullptr,
              *EditKASVer = nullptr, *EditLang = nullptr, *EditUsVar = nullptr, *EditUsFunc = nullptr,
              *EditUsMacro = nullptr, *EditUsTimer = nullptr, *EditUsFlags = nullptr, *EditAddFiles = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;   // Save && Close
    TToolButton *ToolButton2 = nullptr;   // Close
    TToolButton *ToolButton3 = nullptr;   // Help

    // Fills the fields from the document's tags, proposing values for the missing ones.
    void ShowDocument(TForm_Editor *window);

    void FormCreate();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    // True when the key was handled.
    bool FormKeyDown(int key);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLineEdit *CreateField(const char *name, const char *caption, const AnsiString &hint,
                           class QVBoxLayout *layout);
    void WriteField(TForm_Editor *window, QLineEdit *field, const char *tag, bool isList);
};
