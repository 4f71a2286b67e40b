#include "script/FastInsertListChooser.h"

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/TIniFile.h"
#include "platform/TRegistry.h"
#include "platform/ToolBar.h"
#include "script/InsListFiles.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <exception>

AnsiString FastInsertListInformation(const AnsiString &path)
{
    AnsiString description, date;
    try {
        TIniFile ini(path);
        description = ini.ReadString("Information", "Description", "");
        date = ini.ReadString("Information", "DateTime", "");
    } catch (const std::exception &) {
        // an unreadable list shows empty values
    }
    return "Description: " + description + "\r\nDate\\Time: " + date;
}

TFIL_Form::TFIL_Form(TMainForm *owner) : QDialog(owner), Main(owner)
{
    setObjectName("FIL_Form");
    setWindowTitle("Select \"Fast Insert List\"");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    Panel1 = new QLabel(this);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setMinimumHeight(24);
    ListBox1 = new QListWidget(this);
    GroupBox1 = new QGroupBox(" Information ", this);
    Label1 = new QLabel(GroupBox1);
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *groupLayout = new QVBoxLayout(GroupBox1);
    groupLayout->addWidget(Label1);

    ToolBar1 = new TToolBar(this);
    ToolBar1->SetShowCaptions(true);
    ToolButton1 = ToolBar1->AddButton("Ok", "Select & close window (Enter)", [this] { ToolButton1Click(); });
    ToolButton2 = ToolBar1->AddButton("Cancel", "Close window (Esc)", [this] { ToolButton2Click(); });
    ToolBar1->AddSeparator();
    ToolButton3 = ToolBar1->AddButton("Help", "Get help about this window (F1)", [this] { ToolButton3Click(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Panel1);
    layout->addWidget(ListBox1, 1);
    layout->addWidget(GroupBox1);
    layout->addWidget(ToolBar1);

    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ToolButton1Click(); });
    FormCreate();
}

void TFIL_Form::FormCreate()
{
    resize(260, 260);
    if (parentWidget()) move(parentWidget()->geometry().center() - QPoint(130, 130));
    AnsiString path = Main->ProgramFolder + "/InsList.il";
    {
        TRegistry reg;
        try {
            if (reg.OpenKey(SettingsKey, true)) path = ReadStringOr(reg, "InsertListFile", path);
        } catch (const std::exception &) {
            // the default list stays
        }
    }
    Panel1->setText(ToQPath(ExtractFileName(path)));
    ShowInformation(path);

    for (const AnsiString &name : ListFilesOf(Main->ProgramFolder)) ListBox1->addItem(ToQPath(name));
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
}

// The label breaks lines at LF only.
void TFIL_Form::ShowInformation(const AnsiString &path)
{
    Label1->setText(ToQ(FastInsertListInformation(path)).replace("\r\n", "\n"));
}

void TFIL_Form::ListBox1Click()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item || !item->isSelected()) return;
    Panel1->setText(item->text());
    Label1->clear();
    const AnsiString path = Main->ProgramFolder + "/" + FromQPath(Panel1->text());
    if (FileExists(path)) ShowInformation(path);
}

void TFIL_Form::ToolButton1Click()
{
    const AnsiString path = Main->ProgramFolder + "/" + FromQPath(Panel1->text());
    {
        TRegistry reg;
        try {
            if (reg.OpenKey(SettingsKey, true)) reg.WriteString("InsertListFile", path);
        } catch (const std::exception &) {
            // the list is loaded without being stored
        }
    }
    LoadFastInsertList(Main, path);
    accept();
}

void TFIL_Form::ToolButton2Click() { reject(); }

void TFIL_Form::ToolButton3Click() { ShowContextHelp(105); }

void TFIL_Form::FormKeyDown(int &Key, Qt::KeyboardModifiers)
{
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter) ToolButton1Click();
    if (Key == Qt::Key_Escape) ToolButton2Click();
    if (Key == Qt::Key_F1) ToolButton3Click();
}

void TFIL_Form::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    FormKeyDown(key, event->modifiers());
    event->accept();
}

void TMainForm::FIL_Action1Execute()
{
    TFIL_Form form(this);
    ShowModal(&form);
}
