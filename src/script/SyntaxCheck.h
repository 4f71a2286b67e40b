// The syntax-check window: the results of an outside checker of scripts (error rows that lead the
// text pane to their line and mark it) and the checker's version and description. The checker is
// the library "cs_kas.dll" in the program folder; the window only tests that it is there.
#pragma once

#include "platform/Text.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QSplitter;
class QTabWidget;
class QTreeWidget;
class QWidget;
class TMainForm;
class TSynMemo;
class TToolBar;
class TToolButton;

inline constexpr const char *SyntaxCheckerLibrary = "cs_kas.dll";
// The image index of the mark put on an error's line.
inline constexpr int ErrorMarkImage = 12;

class TCS_Form : public QDialog
{
    Q_OBJECT
public:
    explicit TCS_Form(TMainForm *owner);

    QTabWidget *PageControl1 = nullptr;   // "Results", "About"
    TSynMemo *Memo1 = nullptr;            // message text
    QSplitter *Splitter1 = nullptr;
    QWidget *Panel1 = nullptr;
    QTreeWidget *ListView1 = nullptr;     // "Line #", "Error"
    QSplitter *Splitter2 = nullptr;
    TSynMemo *Memo2 = nullptr;            // the selected error in full
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;   // Close
    TToolButton *ToolButton2 = nullptr;   // Help
    bool ErrorMarkPlaced = false;

    void FormCreate();
    // Fills the window for a program folder without the checker library.
    void ShowLibraryMissing(const AnsiString &libraryPath);
    void AddErrorRow(const AnsiString &lineText, const AnsiString &errorText);
    void ListView1SelectItem();
    void ToolButton1Click();
    void ToolButton2Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void MarkErrorLine(TSynMemo *pane, int line);
    TMainForm *Main;
};

// Removes marks from the end of the pane's list until it holds count marks.
void TrimMarks(TSynMemo *pane, int count);
