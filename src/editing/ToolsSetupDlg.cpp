#include "editing/ToolsSetupDlg.h"

#include "editing/UserTools.h"
#include "platform/Dialogs.h"
#include "platform/FieldText.h"
#include "platform/FileDialogs.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr const char *EmptyTitleHint = "Write title";
constexpr const char *EmptyCommandLineHint = "Write command line (Parameter is possible to not fill)";
constexpr const char *EmptyMacroHint = "Write macro (Parameter is possible to not fill)";

} // namespace

TForm_SetupTools::TForm_SetupTools(TMainForm *owner) : QDialog(owner), Main(owner)
{
    setObjectName("Form_SetupTools");
    CreateComponents();
    FormCreate();
}

void TForm_SetupTools::CreateComponents()
{
    setWindowTitle("Tools setup");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Edit4 = new QLineEdit;
    Edit4->setObjectName("Edit4");
    Edit2 = new QLineEdit;
    Edit2->setObjectName("Edit2");
    Edit3 = new QLineEdit;
    Edit3->setObjectName("Edit3");
    Edit1 = new QLineEdit;
    Edit1->setObjectName("Edit1");

    auto *appBar = new TToolBar;
    appBar->setIconSize(QSize(0, 0));
    BrowseButton = appBar->AddButton("...", "Select executable file", [this] { BrowseClick(); });
    FolderMacroButton = appBar->AddButton("Dir", "Insert directory macro", nullptr);
    FolderMacroMenu = new QMenu(this);
    const std::pair<const char *, const char *> folders[] = {
        {"Quillet directory", "[QUILDIR]"}, {"Windows directory", "[WINDOWSDIR]"},
        {"Tarrowmere directory", "[TARROWDIR]"}};
    for (const auto &[caption, token] : folders) {
        const QString text = token;
        connect(FolderMacroMenu->addAction(caption), &QAction::triggered, this, [this, text] { Edit4->setText(text); });
    }
    FolderMacroButton->SetDropdownMenu(FolderMacroMenu);
    FolderMacroButton->setPopupMode(QToolButton::InstantPopup);

    auto *macroBar = new TToolBar;
    MacroButton = macroBar->AddButton("Macro", "Add macro", nullptr);
    MacroMenu = new QMenu(this);
    connect(MacroMenu->addAction("[Clear all macros]"), &QAction::triggered, this, [this] { Edit1->clear(); });
    MacroMenu->addSeparator();
    for (const ToolMacro &m : ToolMacros()) {
        const QString token = m.Token;
        connect(MacroMenu->addAction(m.Caption), &QAction::triggered, this,
                [this, token] { Edit1->setText(Edit1->text() + token); });
    }
    MacroButton->SetDropdownMenu(MacroMenu);
    MacroButton->setPopupMode(QToolButton::InstantPopup);

    auto *fields = new QGridLayout;
    fields->setContentsMargins(2, 2, 2, 2);
    fields->addWidget(new QLabel("Application:"), 0, 0);
    fields->addWidget(Edit4, 0, 1);
    fields->addWidget(appBar, 0, 2);
    fields->addWidget(new QLabel("Title:"), 1, 0);
    fields->addWidget(Edit2, 1, 1, 1, 2);
    fields->addWidget(new QLabel("Command line:"), 2, 0);
    fields->addWidget(Edit3, 2, 1, 1, 2);
    fields->addWidget(new QLabel("Macro:"), 3, 0);
    fields->addWidget(Edit1, 3, 1);
    fields->addWidget(macroBar, 3, 2);
    fields->setColumnStretch(1, 1);

    ListBox1 = new QListWidget;
    ListBox1->setObjectName("ListBox1");
    ListBox1->setMinimumHeight(140);

    const auto button = [this](const char *caption, void (TForm_SetupTools::*click)()) {
        auto *b = new QPushButton(caption);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
        return b;
    };
    AddButton = button("Add", &TForm_SetupTools::AddClick);
    ModifyButton = button("Modify", &TForm_SetupTools::ModifyClick);
    RemoveButton = button("Remove", &TForm_SetupTools::RemoveClick);
    UpButton = button("Up", &TForm_SetupTools::UpClick);
    DownButton = button("Down", &TForm_SetupTools::DownClick);
    ClearAllButton = button("Clear All", &TForm_SetupTools::ClearAllClick);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {AddButton, ModifyButton, RemoveButton, UpButton, DownButton}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(ClearAllButton);
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(ListBox1, 1);
    listRow->addLayout(buttons);

    ToolBar1 = new TToolBar;
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->SetShowCaptions(true);
    SaveButton = ToolBar1->AddButton("Save && Close", "Save changes and close dialogue (Enter)", [this] { SaveClick(); });
    CloseButton = ToolBar1->AddButton("Close", "Close dialogue without saving changes (Esc)", [this] { CloseClick(); });
    ToolBar1->AddSeparator();
    HelpButton = ToolBar1->AddButton("Help", "Get help about this window (F1)", [this] { HelpClick(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(fields);
    layout->addLayout(listRow, 1);
    layout->addWidget(ToolBar1);

    connect(Edit4, &QLineEdit::textChanged, this, [this] { FieldsChange(); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { FieldsChange(); });
    connect(Edit3, &QLineEdit::textChanged, this, [this] { UpdateHints(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { UpdateHints(); });
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });

    setFixedWidth(400);
    setFixedHeight(sizeHint().height());
}

std::array<TStringList *, 4> TForm_SetupTools::Lists() const
{
    return {Main->TC_FileNames, Main->TC_Titles, Main->TC_CommandLines, Main->TC_Macros};
}

std::array<QLineEdit *, 4> TForm_SetupTools::Fields() const { return {Edit4, Edit2, Edit3, Edit1}; }

// The program and its command line go to the system as they are: file-system text, any letter.
// The title and the macro are the program's own 8-bit texts.
bool TForm_SetupTools::IsSystemText(size_t list) { return list == 0 || list == 2; }

QString TForm_SetupTools::ToolFieldText(size_t list, const AnsiString &entry)
{
    return IsSystemText(list) ? ToQPath(entry) : ToQ(entry);
}

std::optional<AnsiString> TForm_SetupTools::ToolFieldEntry(size_t list) const
{
    QLineEdit *field = Fields()[list];
    if (IsSystemText(list)) return FromQPath(field->text());
    return DocumentTextOf(field, list == 1 ? "Title" : "Macro");
}

void TForm_SetupTools::FormCreate()
{
    for (size_t i = 0; i < Opened.size(); ++i) Opened[i].Assign(*Lists()[i]);
    ReloadList();
    SetSelectionButtons(false);
    AddButton->setEnabled(false);
    FieldsChange();
}

AnsiString TForm_SetupTools::ExpandedApplication() const
{
    return ExpandFolderMacros(FromQPath(Edit4->text()), {Main->ProgramFolder, Main->GameFolder, WindowsFolder()});
}

void TForm_SetupTools::UpdateHints()
{
    Edit4->setToolTip("Application: " + ToQPath(ExpandedApplication()));
    // An empty field keeps the hint that asks for it.
    const auto hint = [](QLineEdit *field, const char *prefix, const char *empty) {
        field->setToolTip(field->text().isEmpty() ? QString(empty) : prefix + field->text());
    };
    hint(Edit2, "Title: ", EmptyTitleHint);
    hint(Edit3, "Command line: ", EmptyCommandLineHint);
    hint(Edit1, "Macro: ", EmptyMacroHint);
}

void TForm_SetupTools::FieldsChange()
{
    const bool ready = !FindToolProgram(ExpandedApplication()).empty() && !Edit2->text().isEmpty();
    AddButton->setEnabled(ready);
    ModifyButton->setEnabled(ready);
    UpdateHints();
}

void TForm_SetupTools::ReloadList(int selected)
{
    const QSignalBlocker block(ListBox1);
    ListBox1->clear();
    const TStringList &titles = *Main->TC_Titles;
    for (int i = 0; i < titles.Count(); ++i) ListBox1->addItem(ToolFieldText(1, titles[i]));
    if (selected >= 0 && selected < ListBox1->count()) ListBox1->setCurrentRow(selected);
}

void TForm_SetupTools::SetSelectionButtons(bool on)
{
    RemoveButton->setEnabled(on);
    ModifyButton->setEnabled(on);
    const int i = ListBox1->currentRow();
    UpButton->setEnabled(on && i >= 1);
    DownButton->setEnabled(on && i < ListBox1->count() - 1);
}

void TForm_SetupTools::ListBox1Click()
{
    const int i = ListBox1->currentRow();
    if (i < 0) {
        SetSelectionButtons(false);
        return;
    }
    const char *const missing[] = {" ", "", "", ""};   // a missing file name shows as a blank
    for (size_t k = 0; k < 4; ++k) {
        const TStringList &list = *Lists()[k];
        Fields()[k]->setText(ToolFieldText(k, i < list.Count() ? list[i] : AnsiString(missing[k])));
    }
    SetSelectionButtons(true);
}

namespace {

// Entry i of a list that may be shorter than the tool count: the list grows with empty entries.
void PutEntry(TStringList &list, int i, const AnsiString &text)
{
    while (list.Count() <= i) list.Add("");
    list.SetString(i, text);
}

} // namespace

bool TForm_SetupTools::PutFields(int i)
{
    std::array<AnsiString, 4> texts;
    for (size_t k = 0; k < 4; ++k) {
        const std::optional<AnsiString> text = ToolFieldEntry(k);
        if (!text) return false;
        texts[k] = *text;
    }
    // The lists are parallel: a shorter one first gets the missing entries.
    for (size_t k = 0; k < 4; ++k) PutEntry(*Lists()[k], i, texts[k]);
    return true;
}

void TForm_SetupTools::AddClick()
{
    if (PutFields(Main->TC_FileNames->Count())) ReloadList();
}

void TForm_SetupTools::ModifyClick()
{
    const int i = ListBox1->currentRow();
    if (i < 0 || !PutFields(i)) return;
    ReloadList(i);
    RemoveButton->setEnabled(false);
    ModifyButton->setEnabled(false);
}

void TForm_SetupTools::RemoveClick()
{
    const int i = ListBox1->currentRow();
    if (i < 0) return;
    for (TStringList *list : Lists())
        if (i < list->Count()) list->Delete(i);
    ReloadList();
    SetSelectionButtons(false);
    ResetFields();
}

void TForm_SetupTools::ResetFields()
{
    Edit4->setText(" ");
    Edit2->clear();
    Edit3->clear();
    Edit1->clear();
}

void TForm_SetupTools::MoveEntry(int from, int to)
{
    for (TStringList *list : Lists()) {
        while (list->Count() <= std::max(from, to)) list->Add("");
        list->Exchange(from, to);
    }
    ReloadList(to);
    SetSelectionButtons(true);
}

void TForm_SetupTools::UpClick()
{
    const int i = ListBox1->currentRow();
    if (i >= 1) MoveEntry(i, i - 1);
}

void TForm_SetupTools::DownClick()
{
    const int i = ListBox1->currentRow();
    if (i >= 0 && i + 1 < Main->TC_FileNames->Count()) MoveEntry(i, i + 1);
}

void TForm_SetupTools::ClearAllClick()
{
    for (TStringList *list : Lists()) list->Clear();
    ReloadList();
    SetSelectionButtons(false);
}

void TForm_SetupTools::SaveClick()
{
    try {
        TRegistry reg;
        if (reg.OpenKey(SettingsKey, true)) {
            WriteToolLists(reg, {Main->TC_FileNames, Main->TC_Titles, Main->TC_CommandLines, Main->TC_Macros});
            reg.CloseKey();
        }
    } catch (const std::exception &e) {
        ShowHandlerException(e, "ToolsSetupDlg", "TForm_SetupTools::SaveClick");
    }
    Main->BuildToolsMenu();
    accept();
}

void TForm_SetupTools::CloseClick()
{
    // What the settings hold wins; a list never stored gets back what it held when the dialog
    // opened, so Close discards every edit.
    for (size_t i = 0; i < Opened.size(); ++i) Lists()[i]->Assign(Opened[i]);
    TRegistry reg;
    if (reg.OpenKeyReadOnly(SettingsKey)) {
        ReadToolLists(reg, {Main->TC_FileNames, Main->TC_Titles, Main->TC_CommandLines, Main->TC_Macros});
        reg.CloseKey();
    }
    QDialog::reject();
}

void TForm_SetupTools::HelpClick() { ShowContextHelp(108); }

void TForm_SetupTools::BrowseClick()
{
    TOpenDialog dialog;
    dialog.Title = "Select executable file";
    dialog.InitialDir = Main->ProgramFolder;
    // Programs here carry no ".exe"; the second filter shows them.
    dialog.Filter = "Executable files (*.exe)|*.exe|All files (*)|*";
    dialog.FilterIndex = 2;
    if (dialog.Execute()) Edit4->setText(ToQPath(dialog.FileName));
}

void TForm_SetupTools::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: SaveClick(); return;
    case Qt::Key_Escape: CloseClick(); return;
    case Qt::Key_F1: HelpClick(); return;
    default: QDialog::keyPressEvent(event);
    }
}

// The window's close box discards like "Close".
void TForm_SetupTools::reject() { CloseClick(); }
