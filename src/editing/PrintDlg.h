// The print dialog: the options of printing the active text pane and the print itself, through
// the print engine to the printer (the system's default printer unless told otherwise).
#pragma once

#include "platform/Text.h"
#include "synedit/SynEditPrint.h"

#include <QDialog>
#include <memory>

class QListWidget;
class QPrinter;
class QProgressBar;
class QWidget;
class TMainForm;
class TSynMemo;
class TToolBar;
class TToolButton;

class TPrintForm : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintForm(TMainForm *owner);
    // After a finished print: the information box that the document was printed.
    ~TPrintForm() override;

    enum TOption { poLineNumbers, poHighlight, poSelectedOnly, poWordWrap, poColours, poPageNumbers };

    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;   // Print
    TToolButton *ToolButton2 = nullptr;   // Help
    TToolButton *ToolButton3 = nullptr;   // Exit
    QWidget *Panel1 = nullptr;            // holds the progress bar while printing
    QProgressBar *ProgressBar1 = nullptr;
    QListWidget *CheckListBox1 = nullptr;
    TSynEditPrint SynEditPrint1;

    bool Checked(TOption option) const;
    void SetChecked(TOption option, bool on);
    // The printer that "Print" prints on.
    QPrinter &Printer() { return *PrinterDevice; }
    // True once a print has gone through to its end.
    bool Done() const { return PrintDone; }

    void FormCreate();
    void CheckListBox1ClickCheck();
    void ToolButton1Click();
    void SynEditPrint1PrintLine(int line);
    void SynEditPrint1PrintStatus(TSynPrintStatus status);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ApplyOptions();
    void RecountCaption();
    TMainForm *Main;
    TSynMemo *Pane = nullptr;
    std::unique_ptr<QPrinter> PrinterDevice;
    bool PrintDone = false;
    bool Printing = false;
};

// The lines to print: the selected text when there is one and only the selection is wanted, else
// every line of the pane.
std::vector<AnsiString> LinesToPrint(TSynMemo *pane, bool selectedOnly);
