#include "editing/PrintDlg.h"

#include "common/Utils.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/TStringList.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const char *const OptionCaptions[] = {"Add lines numbers", "Highlight", "Selected only",
                                      "Word wrap", "Colour printing", "Add page numbers"};

std::vector<AnsiString> SplitAtLineBreaks(const AnsiString &text)
{
    TStringList list;
    list.SetText(text);
    return {list.begin(), list.end()};
}

} // namespace

std::vector<AnsiString> LinesToPrint(TSynMemo *pane, bool selectedOnly)
{
    if (selectedOnly && pane->SelAvail()) return SplitAtLineBreaks(pane->SelText());
    std::vector<AnsiString> lines;
    const int count = pane->Lines.Count();
    lines.reserve(size_t(count));
    for (int i = 0; i < count; ++i) lines.push_back(pane->Lines[i]);
    return lines;
}

TPrintForm::TPrintForm(TMainForm *owner)
    : QDialog(owner), Main(owner), PrinterDevice(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName("PrintForm");
    setWindowTitle("Print");
    ToolBar1 = DialogToolBar(this);
    ToolButton1 = DialogButton(ToolBar1, "Print", "Print current document (Enter)", QStyle::SP_DialogOkButton);
    ToolButton2 = DialogButton(ToolBar1, "Help", "Get help about this window (F1)", QStyle::SP_DialogHelpButton);
    ToolButton3 = DialogButton(ToolBar1, "Exit", "Close window (Esc)", QStyle::SP_DialogCloseButton);
    ToolButton1->OnClick = [this] { ToolButton1Click(); };
    ToolButton2->OnClick = [] { ShowContextHelp(112); };
    ToolButton3->OnClick = [this] { close(); };

    CheckListBox1 = new QListWidget(this);
    CheckListBox1->setObjectName("CheckListBox1");
    for (const char *caption : OptionCaptions) {
        auto *item = new QListWidgetItem(caption, CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    Panel1 = new QWidget(this);
    ProgressBar1 = new QProgressBar(Panel1);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    auto *panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(ProgressBar1);
    Panel1->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ToolBar1);
    layout->addWidget(CheckListBox1, 1);
    layout->addWidget(Panel1);

    SynEditPrint1.OnPrintLine = [this](int line) { SynEditPrint1PrintLine(line); };
    SynEditPrint1.OnPrintStatus = [this](TSynPrintStatus status, int) { SynEditPrint1PrintStatus(status); };
    FormCreate();
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this] { CheckListBox1ClickCheck(); });
}

TPrintForm::~TPrintForm()
{
    if (PrintDone)
        MessageBox(ApplicationWindow(), "Document \"" + SynEditPrint1.Title + "\": Printing done.", "Quillet",
                   MB_OK | MB_ICONINFORMATION);
}

bool TPrintForm::Checked(TOption option) const
{
    return CheckListBox1->item(int(option))->checkState() == Qt::Checked;
}

void TPrintForm::SetChecked(TOption option, bool on)
{
    CheckListBox1->item(int(option))->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void TPrintForm::FormCreate()
{
    resize(300, 150 + ToolBar1->sizeHint().height());
    for (TOption o : {poLineNumbers, poHighlight, poWordWrap, poColours, poPageNumbers}) SetChecked(o, true);
    SetChecked(poSelectedOnly, false);
    SynEditPrint1.BackgroundColor = clWhite;
    SynEditPrint1.Header.Font = QFont("Arial");
    SynEditPrint1.Footer.Font = QFont("Arial");
    TForm_Editor *editor = Main->ActiveEditor();
    if (!editor) return;
    Pane = editor->Memo1;
    SynEditPrint1.Title = ExtractFileName(editor->Caption());
    SynEditPrint1.DocTitle = "Quillet: printing \"" + SynEditPrint1.Title + "\"";
    SynEditPrint1.Header.Clear();
    SynEditPrint1.Header.Add("$TITLE$", Qt::AlignRight, 0);
    SynEditPrint1.Header.Add("$DATETIME$", Qt::AlignRight, 1);
    ApplyOptions();
    RecountCaption();
}

void TPrintForm::ApplyOptions()
{
    if (!Pane) return;
    SynEditPrint1.Font = Pane->Font();
    SynEditPrint1.Header.Font = Pane->Font();
    SynEditPrint1.Footer.Font = Pane->Font();
    SynEditPrint1.Highlighter = Pane->Highlighter();
    SynEditPrint1.LineNumbers = Checked(poLineNumbers);
    SynEditPrint1.Highlight = Checked(poHighlight);
    SynEditPrint1.Lines = LinesToPrint(Pane, Checked(poSelectedOnly));
    SynEditPrint1.Wrap = Checked(poWordWrap);
    SynEditPrint1.Colors = Checked(poColours);
}

void TPrintForm::RecountCaption()
{
    setWindowTitle(ToQ("Print: pages - " + IntToStr(SynEditPrint1.PageCount(*PrinterDevice)) + "; lines - " +
                       IntToStr((long long)SynEditPrint1.Lines.size())));
}

void TPrintForm::CheckListBox1ClickCheck()
{
    ApplyOptions();
    if (Pane) RecountCaption();
}

void TPrintForm::ToolButton1Click()
{
    if (!Pane || Printing) return;
    ApplyOptions();
    SynEditPrint1.Footer.Clear();
    SynEditPrint1.Footer.Add("Quillet v. " + GetFileVersionText(ParamStr(0)), Qt::AlignRight, 0);
    if (Checked(poPageNumbers)) SynEditPrint1.Footer.Add("Page: $PAGENUM$/$PAGECOUNT$", Qt::AlignRight, 1);
    ProgressBar1->setMaximum(std::max(1, int(SynEditPrint1.Lines.size())));
    ProgressBar1->setValue(0);
    Panel1->show();
    Printing = true;
    const bool printed = SynEditPrint1.Print(*PrinterDevice);
    Printing = false;
    if (!printed) {
        Panel1->hide();
        // A printer that fails must never look like a finished print.
        MessageBox(ApplicationWindow(),
                   "Document \"" + SynEditPrint1.Title + "\": Printing failed.\r\n" + SynEditPrint1.ErrorText(),
                   "Quillet", MB_OK | MB_ICONSTOP);
    }
}

void TPrintForm::SynEditPrint1PrintLine(int line)
{
    ProgressBar1->setValue(line >= int(SynEditPrint1.Lines.size()) ? 0 : line);
    Application->ProcessMessages();
}

void TPrintForm::SynEditPrint1PrintStatus(TSynPrintStatus status)
{
    if (status != psEnd) return;
    PrintDone = true;
    close();
}

void TPrintForm::keyPressEvent(QKeyEvent *event)
{
    const bool handled = RunDialogKey(
        event->key(), [this] { ToolButton1Click(); }, [this] { close(); }, [] { ShowContextHelp(112); });
    if (!handled) QDialog::keyPressEvent(event);
}
