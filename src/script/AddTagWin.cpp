#include "script/AddTagWin.h"

#include "platform/ActionList.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/FieldText.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "platform/TStringList.h"
#include "platform/ToolBar.h"
#include "script/TagBlock.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

constexpr int DialogWidth = 300;
constexpr int AddTagHelpContext = 101;
constexpr int AddDeclarationHelpContext = 115;

const char *const TopSeparatorValue = "AddTagWin_AddTopLineSep";
const char *const BottomSeparatorValue = "AddTagWin_AddBottomLineSep";
const char *const TagPositionValue = "AddTagWin_TagPos";

QGroupBox *NewGroup(const char *name, const char *caption, QWidget *content, QWidget *second = nullptr)
{
    auto *group = new QGroupBox(caption);
    group->setObjectName(name);
    auto *layout = new QHBoxLayout(group);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->addWidget(content, 1);
    if (second) layout->addWidget(second);
    return group;
}

QLineEdit *NewEdit(const char *name, const char *text)
{
    auto *edit = new QLineEdit(text);
    edit->setObjectName(name);
    return edit;
}

// An option click writes its value at once; a settings file that cannot be written is reported.
template <typename Write> void WriteOption(const char *handler, Write write)
{
    try {
        TRegistry reg;
        if (reg.OpenKey(SettingsKey, true)) write(reg);
    } catch (const std::exception &e) {
        ShowHandlerException(e, "AddTagWin", handler);
    }
}

} // namespace

TAddTagForm::TAddTagForm(TMainForm *owner) : QDialog(owner), Owner(owner)
{
    setObjectName(metaObject()->className());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    FormCreate();
}

void TAddTagForm::FormCreate()
{
    CreateToolBar();
    CreateGroups();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(2);
    layout->setSizeConstraint(QLayout::SetFixedSize);   // the height follows the groups shown
    for (QGroupBox *group : {GroupBox1, GroupBox2, GroupBox3, GroupBox4, GroupBox5, GroupBox6})
        layout->addWidget(group);
    // The dialog opens in its first field and Tab walks the fields from the top down; the tool
    // bar's buttons, which have their keys (Enter, Esc, F1), come last although the bar is on top.
    layout->insertWidget(0, ToolBar1);
    setFixedWidth(DialogWidth);
    ReadOptions();
    CreateKeys();

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { ComboBox2Change(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(Edit3, &QLineEdit::textChanged, this, [this] { Edit3Change(); });
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this] { CheckListBox1Click(); });
    connect(PositionButtons, &QButtonGroup::idClicked, this, [this] { RadioGroup1Click(); });
}

void TAddTagForm::CreateToolBar()
{
    ToolBar1 = new TToolBar;
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto button = [this](const char *name, const char *caption, const char *hint, void (TAddTagForm::*click)()) {
        TToolButton *b = ToolBar1->AddButton(caption);
        b->setObjectName(name);
        b->SetHint(hint);
        b->OnClick = [this, click] { (this->*click)(); };
        return b;
    };
    ToolButton1 = button("ToolButton1", "Add", "Add tag (Enter)", &TAddTagForm::ToolButton1Click);
    ToolButton2 = button("ToolButton2", "Close", "Close dialogue (Esc)", &TAddTagForm::ToolButton2Click);
    ToolButton9 = button("ToolButton9", "Help", "Get help about this dialogue (F1)", &TAddTagForm::ToolButton9Click);
}

void TAddTagForm::CreateGroups()
{
    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({"Warning", "QUIL tag", "Declaration"});
    GroupBox1 = NewGroup("GroupBox1", " Tag type ", ComboBox1);

    Edit1 = NewEdit("Edit1", "TagName");
    Label1 = new QLabel(" Tag already exists! ");
    Label1->setObjectName("Label1");
    Label1->setStyleSheet("color: red;");
    Label1->hide();
    GroupBox2 = NewGroup("GroupBox2", " Tag name ", Edit1, Label1);

    Edit2 = NewEdit("Edit2", " ");
    GroupBox3 = NewGroup("GroupBox3", " Tag description ", Edit2);

    ComboBox2 = new QComboBox;
    ComboBox2->setObjectName("ComboBox2");
    ComboBox2->addItems({"Function", "Other"});
    GroupBox4 = NewGroup("GroupBox4", " Declaration type ", ComboBox2);

    Edit3 = NewEdit("Edit3", "1");
    GroupBox5 = NewGroup("GroupBox5", " Function number ", Edit3);

    RadioGroup1 = new QGroupBox(" Tag position ");
    RadioGroup1->setObjectName("RadioGroup1");
    AtCursorButton = new QRadioButton("At position of cursor");
    AtCursorButton->setObjectName("AtCursorButton");
    AtBottomButton = new QRadioButton("At bottom of text");
    AtBottomButton->setObjectName("AtBottomButton");
    PositionButtons = new QButtonGroup(this);
    PositionButtons->addButton(AtCursorButton, 0);
    PositionButtons->addButton(AtBottomButton, 1);
    auto *positions = new QHBoxLayout(RadioGroup1);   // two columns
    positions->setContentsMargins(6, 2, 6, 4);
    positions->addWidget(AtCursorButton);
    positions->addWidget(AtBottomButton);

    CheckListBox1 = new QListWidget;
    CheckListBox1->setObjectName("CheckListBox1");
    for (const char *caption : {"Add top line-separator", "Add bottom line-separator"}) {
        auto *item = new QListWidgetItem(caption, CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    CheckListBox1->setFixedHeight(CheckListBox1->sizeHintForRow(0) * 2 + 2 * CheckListBox1->frameWidth() + 2);

    GroupBox6 = new QGroupBox(" Options ");
    GroupBox6->setObjectName("GroupBox6");
    auto *options = new QVBoxLayout(GroupBox6);
    options->setContentsMargins(6, 2, 6, 4);
    options->addWidget(RadioGroup1);
    options->addWidget(CheckListBox1);
}

// Enter adds, Esc closes and F1 opens the help wherever the focus is. Enter adds only while Add
// is enabled: without a name or a function number there is nothing sound to insert.
void TAddTagForm::CreateKeys()
{
    const auto key = [this](QKeySequence sequence, std::function<void()> run) {
        auto *shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [run] { TAction::RunGuarded(run); });
    };
    const auto add = [this] {
        if (ToolButton1->isEnabled()) ToolButton1Click();
    };
    key(QKeySequence(Qt::Key_Return), add);
    key(QKeySequence(Qt::Key_Enter), add);
    key(QKeySequence(Qt::Key_Escape), [this] { ToolButton2Click(); });
    key(QKeySequence(Qt::Key_F1), [this] { ToolButton9Click(); });
}

void TAddTagForm::ReadOptions()
{
    SetChecked(0, true);
    SetChecked(1, false);
    try {
        TRegistry reg;
        if (reg.OpenKey(SettingsKey, true)) {
            if (reg.ValueExists(TopSeparatorValue)) SetChecked(0, reg.ReadBool(TopSeparatorValue));
            if (reg.ValueExists(BottomSeparatorValue)) SetChecked(1, reg.ReadBool(BottomSeparatorValue));
            if (reg.ValueExists(TagPositionValue)) SetTagPosition(reg.ReadInteger(TagPositionValue));
        }
    } catch (const std::exception &) {
        // A value of another type keeps its default.
    }
    if (TagPosition() < 0) SetTagPosition(1);
}

int TAddTagForm::TagPosition() const { return PositionButtons->checkedId(); }

void TAddTagForm::SetTagPosition(int index)
{
    if (QAbstractButton *b = PositionButtons->button(index)) b->setChecked(true);
    // Tab enters the group at the chosen position, as it does after a click.
    for (QAbstractButton *b : PositionButtons->buttons())
        b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

bool TAddTagForm::Checked(int item) const { return CheckListBox1->item(item)->checkState() == Qt::Checked; }

void TAddTagForm::SetChecked(int item, bool on) { CheckListBox1->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked); }

void TAddTagForm::ShowDeclarationGroups(bool declarationType, bool functionNumber)
{
    GroupBox4->setVisible(declarationType);
    GroupBox5->setVisible(functionNumber);
}

void TAddTagForm::FormShow() { UpdateTagExists(); }

void TAddTagForm::ComboBox1Change()
{
    const bool declaration = ComboBox1->currentIndex() == ttDeclaration;
    ShowDeclarationGroups(declaration, declaration);
    if (declaration) {
        ComboBox2->setCurrentIndex(dtFunction);
        Edit1->setText("Function1");
    }
    Edit3->setText("1");
    UpdateTagExists();   // the prefix changed
}

void TAddTagForm::ComboBox2Change()
{
    const bool function = ComboBox2->currentIndex() == dtFunction;
    ShowDeclarationGroups(true, function);
    Edit1->setText(function ? "Function1" : "TagName");
    Edit3->setText("1");
}

void TAddTagForm::Edit3Change()
{
    const AnsiString text = FromQ(Edit3->text());
    if (!text.empty()) {
        const AnsiString checked = CheckedFunctionNumber(text);
        if (checked != text)
            Edit3->setText(ToQ(checked));   // runs this handler again with the empty field
        else if (ComboBox1->currentIndex() == ttDeclaration && ComboBox2->currentIndex() == dtFunction)
            Edit1->setText(ToQ("Function" + text));
    }
    UpdateAddEnabled();
}

void TAddTagForm::Edit1Change()
{
    UpdateTagExists();
    UpdateAddEnabled();
}

void TAddTagForm::UpdateTagExists()
{
    const TForm_Editor *window = Owner ? Owner->ActiveEditor() : nullptr;
    if (!window || window->Memo1->isHidden()) return;
    // Runs at every keystroke: the lines are looked at in place, without a copy of the text.
    const AnsiString name = TagTypePrefix(ComboBox1->currentIndex()) + FromQ(Edit1->text());
    int index = 0;
    const int found = window->Memo1->Lines.FindLine(
        [&](std::string_view line) { return index++ > 0 && LineHasName(line, name); });   // the first line does not count
    Label1->setVisible(found >= 0);
}

void TAddTagForm::UpdateAddEnabled()
{
    ToolButton1->setEnabled(!Edit1->text().isEmpty() && !Edit3->text().isEmpty());
}

void TAddTagForm::CheckListBox1Click()
{
    const bool top = Checked(0), bottom = Checked(1);
    WriteOption("TAddTagForm::CheckListBox1Click", [&](TRegistry &reg) {
        reg.BeginUpdate();
        reg.WriteBool(TopSeparatorValue, top);
        reg.WriteBool(BottomSeparatorValue, bottom);
        reg.EndUpdate();
    });
}

void TAddTagForm::RadioGroup1Click()
{
    const int position = TagPosition();
    WriteOption("TAddTagForm::RadioGroup1Click", [&](TRegistry &reg) { reg.WriteInteger(TagPositionValue, position); });
}

std::optional<TagBlockRequest> TAddTagForm::Request() const
{
    const std::optional<AnsiString> name = DocumentTextOf(Edit1, "Tag name");
    const std::optional<AnsiString> description = name ? DocumentTextOf(Edit2, "Tag description") : std::nullopt;
    if (!description) return std::nullopt;
    TagBlockRequest request;
    request.TagType = ComboBox1->currentIndex();
    request.DeclarationType = ComboBox2->currentIndex();
    request.Name = *name;
    request.Description = *description;
    request.FunctionNumber = FromQ(Edit3->text());   // digits only (Edit3Change)
    request.TopSeparator = Checked(0);
    request.BottomSeparator = Checked(1);
    return request;
}

void TAddTagForm::ToolButton1Click()
{
    TForm_Editor *window = Owner->ActiveEditor();
    if (window && !window->Memo1->isHidden()) {
        TSynMemo *pane = window->Memo1;
        std::optional<TagBlockRequest> checked = Request();
        if (!checked) return;   // the user has been told which character a script cannot hold
        TagBlockRequest &request = *checked;
        if (TagPosition() == 1) pane->SetCaretY(pane->Lines.Count());
        request.RightEdge = pane->RightEdge();
        const TagBlock block = ComposeTagBlock(request);
        const int caretLine = pane->CaretY() + block.CaretLineOffset;
        // The block takes the selection's place; without one it goes in at the caret, before
        // the character there.
        pane->SetSelText(block.Text);
        pane->SetCaretXY({1, caretLine});
        pane->setFocus();
    }
    Owner->RefreshScriptOutline();
    accept();
}

void TAddTagForm::ToolButton2Click() { reject(); }

void TAddTagForm::ToolButton9Click()
{
    ShowContextHelp(Tag == 1 ? AddTagHelpContext : AddDeclarationHelpContext);
}
