#include "script/InsListEditor.h"

#include "platform/Dialogs.h"
#include "platform/FieldText.h"
#include "platform/Files.h"
#include "platform/TIniFile.h"
#include "platform/ToolBar.h"
#include "script/InsListFiles.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

struct Preset
{
    const char *Group;     // the sub-menu; nullptr: the menu itself
    const char *MenuCaption;
    const char *Token;
    const char *Caption;
    bool SeparatorBefore = false;
};

// In menu order.
const Preset Presets[] = {
    {"KAS", "Begining of the scrypt (JOTE)", "JOTE", "Begining of the scrypt"},
    {"KAS", "Instruction (!#)", "!#", "Instruction"},
    {"KAS", "Trigger (!?)", "!?", "Trigger"},
    {"KAS", "post-Trigger (!$)", "!$", "post-Trigger"},
    {"KAS", "Receiver (!!)", "!!", "Receiver"},
    {"KAS", "Textual constant (^^)", "^^", "Textual constant"},
    {"KAS", "Macro ($$)", "$$", "Macro"},
    {"KAS", "Flag pointer (&&)", "&", "Flag pointer"},
    {"KAS", "\"Gold\" text ({})", "{}", "\"Gold\" text", true},
    {"Separators", "Separator (-); macro = [_SEPAR1_]", "[_SEPAR1_]", "Separator (-----)"},
    {"Separators", "Separator (*); macro = [_SEPAR2_]", "[_SEPAR2_]", "Separator (*****)"},
    {"Separators", "Separator (/); macro = [_SEPAR3_]", "[_SEPAR3_]", "Separator (/////)"},
    {"Separators", "Separator (=); macro = [_SEPAR4_]", "[_SEPAR4_]", "Separator (=====)"},
    {"Separators", "Separator (#); macro = [_SEPAR5_]", "[_SEPAR5_]", "Separator (#####)"},
    {"Separators", "Separator (+); macro = [_SEPAR6_]", "[_SEPAR6_]", "Separator (+++++)"},
    {"Separators", "Separator (:); macro = [_SEPAR7_]", "[_SEPAR7_]", "Separator (:::::)"},
    {nullptr, "Line number; macro = [_LINE#_]", "[_LINE#_]", "Line number", true},
    {nullptr, "File name; macro = [_FILENAME_]", "[_FILENAME_]", "File name"},
    {nullptr, "Current date; macro = [_CURDATE_]", "[_CURDATE_]", "Current date"},
    {nullptr, "Current time; macro = [_CURTIME_]", "[_CURTIME_]", "Current time"},
    {"WWW && mail", "QAL in WWW #1; macro = [_QALWWW1_]", "[_QALWWW1_]", "QAL in WWW #1", true},
    {"WWW && mail", "QAL in WWW #2; macro = [_QALWWW2_]", "[_QALWWW2_]", "QAL in WWW #2"},
    {"WWW && mail", "QAL mail #1; macro = [_QALMAIL1_]", "[_QALMAIL1_]", "QAL mail #1"},
    {"WWW && mail", "QAL mail #2; macro = [_QALMAIL2_]", "[_QALMAIL2_]", "QAL mail #2"},
    {nullptr, "QUILL version; macro = [_QuVER_]", "[_QuVER_]", "QUILL version", true},
    {nullptr, "QUILL author; macro = [_QuAUTHOR_]", "[_QuAUTHOR_]", "QUILL author"},
    {nullptr, "End of line; macro = [_EOL_]", "[_EOL_]", "End of line", true},
};

TToolButton *HintedButton(TToolBar *bar, const char *caption, const char *hint)
{
    TToolButton *button = bar->AddButton(caption);
    button->SetHint(hint);
    return button;
}

QLabel *Reminder(const char *text, const char *hint)
{
    auto *label = new QLabel(text);
    label->setToolTip(hint);
    label->setStyleSheet("color: #c00000; font-weight: bold;");
    label->hide();
    return label;
}

} // namespace

TInsListEditor::TInsListEditor(const AnsiString &programFolder, QWidget *parent)
    : QWidget(parent), ProgramFolder(programFolder)
{
    setObjectName("TabSheet3");
    CreateComponents();
}

void TInsListEditor::CreateComponents()
{
    ToolBar2 = new TToolBar;
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->SetShowCaptions(true);
    ToolBar2->addWidget(new QLabel("  File:  "));
    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMinimumContentsLength(22);
    ToolBar2->addWidget(ComboBox1);
    ToolButton13 = HintedButton(ToolBar2, "Write", "Create file & write settings");
    ToolButton13->OnClick = [this] { ToolButton13Click(); };
    ToolButton7 = HintedButton(ToolBar2, "Delete", "Delete file");
    ToolButton7->OnClick = [this] { ToolButton7Click(); };
    // The reminders sit beside the tool bars: a tool bar shows its widgets by its own rules.
    Label5 = Reminder(" <- Save file!", "Saving is required");

    Edit5 = new QLineEdit;
    Edit5->setObjectName("Edit5");
    auto *panel6 = new QHBoxLayout;
    panel6->addWidget(new QLabel(" Description:  "));
    panel6->addWidget(Edit5, 1);

    ListView1 = new QTreeWidget;
    ListView1->setObjectName("ListView1");
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({"Caption", "Item"});
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSortingEnabled(false);
    ListView1->header()->setSectionsClickable(false);
    ListView1->header()->resizeSection(0, 180);

    // Both fields start right of the wider label and fill the width (the grid does both).
    Edit7 = new QLineEdit;
    Edit7->setObjectName("Edit7");
    Edit8 = new QLineEdit;
    Edit8->setObjectName("Edit8");
    ToolBar4 = new TToolBar;
    ToolBar4->setObjectName("ToolBar4");
    ToolBar4->SetShowCaptions(true);
    ToolButton14 = HintedButton(ToolBar4, "Clear", "Delete all items");
    ToolButton14->OnClick = [this] { ToolButton14Click(); };
    ToolButton8 = HintedButton(ToolBar4, "Delete", "Delete selected item");
    ToolButton8->OnClick = [this] { ToolButton8Click(); };
    ToolButton9 = HintedButton(ToolBar4, "Change", "Change selected item");
    ToolButton9->OnClick = [this] { ToolButton9Click(); };
    ToolButton10 = HintedButton(ToolBar4, "Add", "Add new item");
    ToolButton10->OnClick = [this] { ToolButton10Click(); };
    ToolButton12 = HintedButton(ToolBar4, "Auto presets", "Auto presets");
    CreatePresetMenu();
    ToolButton12->SetDropdownMenu(PopupMenu4);
    ToolButton12->setPopupMode(QToolButton::InstantPopup);
    Label6 = Reminder(" <- Add/Change item!",
                      "Saving is required (\"Add new item\" or \"Change selected item\" buttons)");
    SetListButtons(false);

    auto *panel8 = new QGridLayout;
    panel8->setHorizontalSpacing(4);
    panel8->addWidget(new QLabel("Caption:"), 0, 0);
    panel8->addWidget(Edit7, 0, 1);
    panel8->addWidget(new QLabel("Item:"), 1, 0);
    panel8->addWidget(Edit8, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ToolBar4);
    buttons->addWidget(Label6);
    buttons->addStretch();
    panel8->addLayout(buttons, 2, 0, 1, 2);
    panel8->setColumnStretch(1, 1);

    auto *edit = new QVBoxLayout;
    auto *file = new QHBoxLayout;
    file->addWidget(ToolBar2);
    file->addWidget(Label5);
    file->addStretch();
    edit->addLayout(file);
    edit->addLayout(panel6);
    edit->addWidget(ListView1, 1);
    edit->addLayout(panel8);
    auto *group = new QGroupBox(" Edit \"fast insert list\" <INS hotkey> ");
    group->setLayout(edit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);

    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
    connect(Edit7, &QLineEdit::textChanged, this, [this] { Edit7Change(); });
    connect(Edit8, &QLineEdit::textChanged, this, [this] { Edit7Change(); });
    connect(Edit5, &QLineEdit::textChanged, this, [this] { Edit5Change(); });
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
        if (!selected.isEmpty()) ListView1SelectItem(selected.first());
    });
}

void TInsListEditor::CreatePresetMenu()
{
    PopupMenu4 = new QMenu(this);
    QMenu *settings = PopupMenu4->addMenu("Settings");
    Replacemode1 = settings->addAction("Replace mode");
    Insertmode1 = settings->addAction("Insert mode");
    for (QAction *mode : {Replacemode1, Insertmode1}) mode->setCheckable(true);
    Replacemode1->setChecked(true);
    // The menu flips a checkable item by itself; the handlers do the flipping, so it is undone first.
    connect(Replacemode1, &QAction::triggered, this, [this](bool checked) {
        Replacemode1->setChecked(!checked);
        Replacemode1Click();
    });
    connect(Insertmode1, &QAction::triggered, this, [this](bool checked) {
        Insertmode1->setChecked(!checked);
        Insertmode1Click();
    });
    PopupMenu4->addSeparator();

    QMenu *group = nullptr;
    const char *groupName = nullptr;
    for (const Preset &p : Presets) {
        const bool sameGroup = p.Group && groupName && AnsiString(p.Group) == groupName;
        if (!sameGroup) {
            if (p.SeparatorBefore) PopupMenu4->addSeparator();
            group = p.Group ? PopupMenu4->addMenu(p.Group) : nullptr;
            groupName = p.Group;
        } else if (p.SeparatorBefore) {
            group->addSeparator();
        }
        QMenu *menu = group ? group : PopupMenu4;
        const AnsiString token = p.Token, caption = p.Caption;
        connect(menu->addAction(p.MenuCaption), &QAction::triggered, this,
                [this, token, caption] { PresetClick(token, caption); });
    }
}

AnsiString TInsListEditor::PathOf(const AnsiString &name) const { return ProgramFolder + "/" + name; }

void TInsListEditor::FormCreate(const AnsiString &currentFileName)
{
    RefillFileList();
    const QSignalBlocker block(ComboBox1);
    ComboBox1->setEditText(ToQPath(currentFileName));
    ComboBox1Change();
}

void TInsListEditor::RefillFileList()
{
    const QSignalBlocker block(ComboBox1);
    const QString text = ComboBox1->currentText();
    ComboBox1->clear();
    for (const AnsiString &name : ListFilesOf(ProgramFolder)) ComboBox1->addItem(ToQPath(name));
    ComboBox1->setEditText(text);
}

// ---------------------------------------------------------------------------------------------
// The table

int TInsListEditor::RowCount() const { return ListView1->topLevelItemCount(); }
AnsiString TInsListEditor::RowCaption(int row) const { return FromQ(ListView1->topLevelItem(row)->text(0)); }
AnsiString TInsListEditor::RowItem(int row) const { return FromQ(ListView1->topLevelItem(row)->text(1)); }

void TInsListEditor::AppendRow(const AnsiString &caption, const AnsiString &item)
{
    new QTreeWidgetItem(ListView1, {ToQ(caption), ToQ(item)});
    ListView1Change();
}

void TInsListEditor::SetListButtons(bool on)
{
    for (TToolButton *b : {ToolButton14, ToolButton8, ToolButton9, ToolButton10}) b->SetEnabled(on);
}

void TInsListEditor::ComboBox1Change()
{
    Edit7->clear();
    Edit8->clear();
    SavedDescription.clear();
    Edit5->clear();
    Label5->show();

    const AnsiString typed = FromQPath(ComboBox1->currentText());
    const AnsiString name = CleanListFileName(typed);
    if (name != typed) {
        const QSignalBlocker block(ComboBox1);
        const int cursor = ComboBox1->lineEdit()->cursorPosition();
        ComboBox1->setEditText(ToQPath(name));
        ComboBox1->lineEdit()->setCursorPosition(std::min(cursor, int(name.size())));
    }
    UpdateFileButtons();
    if (name.empty()) return;

    const AnsiString path = PathOf(name);
    if (!QFile::exists(ToQPath(path))) return;
    Label5->hide();
    ListView1->clear();
    ListView1Change();
    AnsiString error;
    const InsList list = ReadInsList(path, error);
    // Saved as it is shown, the list would replace the file's entries with none. (A folder of that
    // name is no list: it reads as empty.)
    if (!error.empty() && QFileInfo(ToQPath(path)).isFile())
        MessageBox(ApplicationWindow(), WithReason("Cannot read the file \"" + PathInMessage(path) + "\".", error), "Quillet",
                   MB_ICONSTOP);
    for (const TFastInsertEntry &entry : list.Entries) AppendRow(entry.Caption, entry.Item);
    SavedDescription = list.Description;
    Edit5->setText(ToQ(list.Description));
}

void TInsListEditor::ToolButton13Click()
{
    const std::optional<AnsiString> description = DocumentTextOf(Edit5, "Description");
    if (!description) return;
    const AnsiString name = ListFileNameWithExtension(FromQPath(ComboBox1->currentText()));
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setEditText(ToQPath(name));
    }
    const AnsiString path = PathOf(name);
    InsList list;
    list.Description = *description;
    if (const AnsiString problem = ListTextProblem("description", list.Description); !problem.empty()) {
        MessageBox(ApplicationWindow(), problem, "Quillet", MB_ICONSTOP);
        return;
    }
    for (int row = 0; row < RowCount(); ++row) list.Entries.push_back({RowCaption(row), RowItem(row)});
    try {
        WriteInsList(path, list);
    } catch (const std::exception &e) {
        // The reminder stays: the list is not in the file.
        MessageBox(ApplicationWindow(), WithReason("Cannot write the file \"" + PathInMessage(path) + "\".", e.what()), "Quillet",
                   MB_ICONSTOP);
        return;
    }
    SavedDescription = list.Description;
    RefillFileList();
    UpdateFileButtons();
    Label5->hide();
}

void TInsListEditor::ToolButton7Click()
{
    const AnsiString path = PathOf(FromQPath(ComboBox1->currentText()));
    if (!IsListFile(path)) return;   // nothing but a list file is ever deleted
    ListView1->clear();
    ListView1Change();
    Edit7->clear();
    Edit8->clear();
    SetListButtons(false);
    QFile file(ToQPath(path));
    if (!file.remove())
        MessageBox(ApplicationWindow(), "Cannot delete the file \"" + PathInMessage(path) + "\".", "Quillet", MB_ICONSTOP);
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setEditText("");
    }
    RefillFileList();
    UpdateFileButtons();
}

bool TInsListEditor::IsListFile(const AnsiString &path)
{
    const QFileInfo info(ToQPath(path));
    return info.isFile() && info.suffix().compare("il", Qt::CaseInsensitive) == 0;
}

// Writing needs a name; deleting an existing list file of that name.
void TInsListEditor::UpdateFileButtons()
{
    const AnsiString name = FromQPath(ComboBox1->currentText());
    ToolButton13->SetEnabled(!name.empty());
    ToolButton7->SetEnabled(IsListFile(PathOf(name)));
}

// ---------------------------------------------------------------------------------------------
// Entries

void TInsListEditor::ToolButton10Click()
{
    const std::optional<AnsiString> caption = DocumentTextOf(Edit7, "Caption");
    const std::optional<AnsiString> item = caption ? DocumentTextOf(Edit8, "Item") : std::nullopt;
    if (!item || !FieldsStorable() || !FieldsKeptAsTyped()) return;
    AppendRow(*caption, *item);
    ToolButton14->SetEnabled(true);
    Label5->show();
    Label6->hide();
}

void TInsListEditor::ToolButton9Click()
{
    const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
    if (selected.isEmpty()) {
        ToolButton8->SetEnabled(false);
    } else {
        const std::optional<AnsiString> caption = DocumentTextOf(Edit7, "Caption");
        const std::optional<AnsiString> item = caption ? DocumentTextOf(Edit8, "Item") : std::nullopt;
        if (!item || !FieldsStorable() || !FieldsKeptAsTyped()) return;
        selected.first()->setText(0, ToQ(*caption));
        selected.first()->setText(1, ToQ(*item));
        ListView1Change();
    }
    RowChosen = false;
    ToolButton9->SetEnabled(false);
    ToolButton14->SetEnabled(false);
    Label5->show();
    Label6->hide();
}

void TInsListEditor::ToolButton8Click()
{
    const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
    if (!selected.isEmpty()) {
        delete selected.first();
        ListView1Change();
    }
    ToolButton8->SetEnabled(false);
    ToolButton9->SetEnabled(false);
    Edit7->clear();
    Edit8->clear();
    if (RowCount() == 0) ToolButton14->SetEnabled(false);
    Label5->show();
    Label6->hide();
}

void TInsListEditor::ToolButton14Click()
{
    ListView1->clear();
    ListView1Change();
    Edit7->clear();
    Edit8->clear();
    SetListButtons(false);
    Label5->show();
    Label6->hide();
}

// Add and Change store the fields under one rule: both halves must be kept by the file, or the
// entry would be empty there and end the list for the reader.
bool TInsListEditor::FieldsStorable() const
{
    return IsStorableListEntry(FromQ(Edit7->text()), FromQ(Edit8->text()));
}

// A text that the file would give back changed is not stored; the user is told why.
bool TInsListEditor::FieldsKeptAsTyped()
{
    for (const auto &[field, what] : {std::pair{Edit7, "caption"}, std::pair{Edit8, "item"}}) {
        const AnsiString problem = ListTextProblem(what, FromQ(field->text()));
        if (problem.empty()) continue;
        MessageBox(ApplicationWindow(), problem, "Quillet", MB_ICONSTOP);
        return false;
    }
    return true;
}

void TInsListEditor::Edit7Change()
{
    const bool storable = FieldsStorable();
    ToolButton10->SetEnabled(storable);
    ToolButton9->SetEnabled(storable && RowChosen);
    if (storable) Label6->show();
}

void TInsListEditor::ListView1SelectItem(QTreeWidgetItem *Item)
{
    ToolButton8->SetEnabled(true);
    RowChosen = true;
    Edit7->setText(Item->text(0));
    Edit8->setText(Item->text(1));
    Edit7Change();
    Label5->hide();
    Label6->hide();
}

void TInsListEditor::ListView1Change()
{
    RowChosen = false;
    ToolButton8->SetEnabled(false);
    ToolButton9->SetEnabled(false);
    ToolButton10->SetEnabled(false);
    ToolButton14->SetEnabled(RowCount() > 0);
}

void TInsListEditor::Edit5Change()
{
    const AnsiString text = FromQ(Edit5->text());
    if (!text.empty() && text != SavedDescription) Label5->show();
}

void TInsListEditor::Replacemode1Click()
{
    // A click inverts the item's mark, so clicking the checked mode switches to the other one.
    const bool replace = !Replacemode1->isChecked();
    Replacemode1->setChecked(replace);
    Insertmode1->setChecked(!replace);
}

void TInsListEditor::Insertmode1Click()
{
    const bool insert = !Insertmode1->isChecked();
    Insertmode1->setChecked(insert);
    Replacemode1->setChecked(!insert);
}

void TInsListEditor::PresetClick(const AnsiString &token, const AnsiString &caption)
{
    if (Insertmode1->isChecked()) {
        Edit8->setText(Edit8->text() + ToQ(token));
    } else {
        Edit8->setText(ToQ(token));
        Edit7->setText(ToQ(caption));
    }
}
