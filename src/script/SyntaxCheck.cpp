#include "script/SyntaxCheck.h"

#include "common/Utils.h"
#include "platform/Files.h"
#include "platform/Dialogs.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

TCS_Form::TCS_Form(TMainForm *owner) : QDialog(owner), Main(owner)
{
    setObjectName("CS_Form");
    setWindowTitle("Check syntax");
    ToolBar1 = DialogToolBar(this);
    ToolButton1 = DialogButton(ToolBar1, "Close", "Close window (Esc)", QStyle::SP_DialogCloseButton);
    ToolButton2 = DialogButton(ToolBar1, "Help", "Get help about this window (F1)", QStyle::SP_DialogHelpButton);
    ToolButton1->OnClick = [this] { ToolButton1Click(); };
    ToolButton2->OnClick = [this] { ToolButton2Click(); };

    PageControl1 = new QTabWidget(this);
    Splitter1 = new QSplitter(Qt::Vertical);
    Memo1 = new TSynMemo(Splitter1);
    Memo1->SetReadOnly(true);
    Memo1->Gutter.SetVisible(false);
    Memo1->SetRightEdge(0);
    Panel1 = new QWidget(Splitter1);
    Splitter2 = new QSplitter(Qt::Vertical, Panel1);
    ListView1 = new QTreeWidget(Splitter2);
    ListView1->setObjectName("ListView1");
    ListView1->setHeaderLabels({"Line #", "Error"});
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSortingEnabled(false);
    ListView1->header()->resizeSection(0, 70);
    ListView1->header()->setStretchLastSection(true);
    Memo2 = new TSynMemo(Splitter2);
    Memo2->SetReadOnly(true);
    Memo2->Gutter.SetVisible(false);
    Memo2->SetRightEdge(0);
    Memo2->setMinimumHeight(50);
    Splitter2->setSizes({162, 50});
    (new QVBoxLayout(Panel1))->addWidget(Splitter2);
    Panel1->layout()->setContentsMargins(0, 0, 0, 0);
    Splitter1->setSizes({200, 212});
    PageControl1->addTab(Splitter1, "Results");

    auto *about = new QWidget;
    auto *form = new QFormLayout(about);
    Label1 = new QLabel("DLL version:");
    Label2 = new QLabel;
    Label3 = new QLabel("Description:");
    Label4 = new QLabel;
    Label4->setWordWrap(true);
    form->addRow(Label1, Label2);
    form->addRow(Label3, Label4);
    PageControl1->addTab(about, "About");

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ToolBar1);
    layout->addWidget(PageControl1, 1);
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, [this] { ListView1SelectItem(); });
    FormCreate();
}

void TCS_Form::FormCreate()
{
    resize(520, 480);
    ErrorMarkPlaced = false;
}

void TCS_Form::ShowLibraryMissing(const AnsiString &libraryPath)
{
    Memo1->SetText("File \"" + PathInMessage(libraryPath) + "\" not found.");
    Panel1->hide();
    Splitter1->handle(1)->hide();
    Label2->setText("- - -");
    Label4->setText("- - -");
}

void TCS_Form::AddErrorRow(const AnsiString &lineText, const AnsiString &errorText)
{
    new QTreeWidgetItem(ListView1, {ToQ(lineText), ToQ(errorText)});
}

void TCS_Form::ListView1SelectItem()
{
    const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
    if (selected.isEmpty()) return;
    const AnsiString lineText = FromQ(selected.first()->text(0));
    Memo2->SetText("Line #" + lineText + ":\r\n" + FromQ(selected.first()->text(1)));

    TForm_Editor *editor = Main->ActiveEditor();
    if (!editor || !IsTextKind(editor->DocumentKind) || !IsNumber(lineText, false) || lineText.size() > 9) return;
    const int line = std::stoi(lineText);
    TSynMemo *pane = editor->Memo1;
    if (line > pane->Lines.Count()) return;
    MarkErrorLine(pane, line);
}

void TCS_Form::MarkErrorLine(TSynMemo *pane, int line)
{
    pane->SetTopLine(std::max(0, line - 1));
    pane->SetCaretXY({1, line});
    if (ErrorMarkPlaced && pane->Marks.Count() > 0) pane->Marks.Delete(pane->Marks.Count() - 1);
    pane->Marks.ClearLine(pane->CaretY());
    TSynEditMark mark;
    mark.SetLine(pane->CaretY());
    mark.Char = pane->CaretX();
    mark.SetImageIndex(ErrorMarkImage);
    mark.SetVisible(true);
    mark.InternalImage = false;
    mark.BookmarkNumber = -1;
    pane->Marks.Place(mark);
    ErrorMarkPlaced = true;
}

void TCS_Form::ToolButton1Click() { close(); }

void TCS_Form::ToolButton2Click() { ShowContextHelp(103); }

void TCS_Form::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        ToolButton1Click();
    else if (event->key() == Qt::Key_F1)
        ToolButton2Click();
    else
        QDialog::keyPressEvent(event);
}

void TrimMarks(TSynMemo *pane, int count)
{
    while (pane->Marks.Count() > std::max(0, count)) pane->Marks.Delete(pane->Marks.Count() - 1);
}

// ---------------------------------------------------------------------------------------------
// The main window's command; its action stays disabled (nothing checks scripts yet).

void TMainForm::CheckSyntaxExecute()
{
    TForm_Editor *editor = ActiveEditor();
    if (!editor) return;
    const int marks = editor->Memo1->Marks.Count();
    TCS_Form form(this);
    const AnsiString library = ProgramFolder + "/" + SyntaxCheckerLibrary;
    if (!FileExists(library)) form.ShowLibraryMissing(library);
    ShowModal(&form);
    TrimMarks(editor->Memo1, marks);
}

void TMainForm::CheckSyntaxUpdate() {}
