#include "editing/SettingsDlg.h"

#include "editing/SettingsValues.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/FieldText.h"
#include "platform/Files.h"
#include "platform/SettingsFile.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "platform/ToolBar.h"
#include "script/InsListEditor.h"
#include "script/InsListFiles.h"
#include "script/SynHighlighterKAS.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynCompletionProposal.h"
#include "synedit/SynMemo.h"

#include <QActionGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The styles in the order of the style check list's items.
const TFontStyle StyleItems[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};

constexpr const char *ExampleScript =
    "QUIL_ScriptName=Example\r\n"
    "_WARNING_1=Not a plain text\r\n"
    "_DECLARATION_v=1;2\r\n"
    "JOTE\r\n"
    "* A whole-line remark\r\n"
    "!?CM0; a trigger\r\n"
    "!$CM1; a post-trigger\r\n"
    "!!VRv1:S^Text^; a receiver\r\n"
    "!#UN:$macro$; an instruction\r\n";

QIcon ColorSwatch(TColor color)
{
    QPixmap swatch(16, 12);
    const QColor real = ColorToQColor(color);
    swatch.fill(real.isValid() ? real : QColor(Qt::transparent));
    QPainter painter(&swatch);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    if (!real.isValid()) painter.drawLine(0, 11, 15, 0);
    return QIcon(swatch);
}

QComboBox *NewColorList(const char *name)
{
    auto *list = new QComboBox;
    list->setObjectName(name);
    for (const NamedColor &c : ColorListEntries()) list->addItem(ColorSwatch(c.Color), c.Name);
    list->setMaxVisibleItems(16);
    return list;
}

QSpinBox *NewUpDown(const char *name, int min, int max)
{
    auto *box = new QSpinBox;
    box->setObjectName(name);
    box->setRange(min, max);
    return box;
}

// Each editor value of the dialog with the main-window field that holds it while the program runs.
// Opening takes the fields into the dialog and Save && Close gives them back through this one list.
template <typename Settings, typename Visit> void ForEachEditorField(Settings &s, TMainForm &main, Visit visit)
{
    visit(s.EditorFontName, main.EditorFontName);
    visit(s.EditorFontSize, main.EditorFontSize);
    visit(s.EditorColor, main.EditorColor);
    visit(s.EditorSelectedColourBackground, main.EditorSelectedColourBackground);
    visit(s.EditorSelectedColourForeground, main.EditorSelectedColourForeground);
    visit(s.EditorRightEdgeColor, main.EditorRightEdgeColor);
    visit(s.EditorGutterVisible, main.EditorGutterVisible);
    visit(s.EditorRightEdge, main.EditorRightEdge);
    visit(s.EditorTabWidth, main.EditorTabWidth);
    visit(s.EditorHighlightTXT, main.EditorHighlightTXT);
    visit(s.EditorHighlightKAS, main.EditorHighlightKAS);
    visit(s.EditorWtiteDateTag, main.EditorWtiteDateTag);
    visit(s.SCL_Delay, main.SynCompletionProposal2->TimerInterval);
}

QGroupBox *NewGroup(const char *caption, QLayout *layout)
{
    auto *group = new QGroupBox(caption);
    group->setLayout(layout);
    return group;
}

} // namespace

QListWidget *NewCheckList(const std::vector<const char *> &captions)
{
    auto *list = new QListWidget;
    for (const char *caption : captions) {
        auto *item = new QListWidgetItem(ToQ(caption), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    return list;
}

bool IsChecked(const QListWidget *list, int row) { return list->item(row)->checkState() == Qt::Checked; }

void SetChecked(QListWidget *list, int row, bool on) { list->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked); }

TSettings_Form::TSettings_Form(TMainForm *owner) : QDialog(owner), Main(owner)
{
    setObjectName("Settings_Form");
    CreateComponents();
    FormCreate();
}

TColor TSettings_Form::ColorIndexToColor(int index) { return ::ColorIndexToColor(index); }
int TSettings_Form::ColorToColorIndex(TColor color) { return ::ColorToColorIndex(color); }

// ---------------------------------------------------------------------------------------------
// Components

void TSettings_Form::CreateComponents()
{
    setWindowTitle("Settings");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    PageControl1 = new QTabWidget;
    PageControl1->setObjectName("PageControl1");
    TabSheet1 = CreateDisplayPage();
    TabSheet2 = CreateServicePage();
    InsListEditor = new TInsListEditor(Main->ProgramFolder);
    TabSheet3 = InsListEditor;
    PageControl1->addTab(TabSheet1, "Display");
    PageControl1->addTab(TabSheet2, "Service");
    PageControl1->addTab(TabSheet3, "Fast insert list");

    Panel5 = CreateAdditionalPanel();
    Panel5->hide();

    ToolBar1 = new TToolBar;
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->SetShowCaptions(true);
    ToolButton1 = ToolBar1->AddButton("Save && Close", "Save changes and close dialogue (Enter)",
                                      [this] { ToolButton1Click(); });
    ToolButton2 = ToolBar1->AddButton("Close", "Close dialogue without changes (Esc)", [this] { ToolButton2Click(); });
    ToolBar1->AddSeparator();
    ToolButton15 = ToolBar1->AddButton("Help", "Get help about this window (F1)", [this] { ToolButton15Click(); });
    ToolBar1->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 2);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(Panel5);
    layout->addWidget(ToolBar1);

    // Key preview: the dialog sees Enter, Esc and F1 before the control that has the focus.
    for (QWidget *child : findChildren<QWidget *>()) child->installEventFilter(this);
    resize(720, 520);
}

QWidget *TSettings_Form::CreateDisplayPage()
{
    FontComboBox = new QComboBox;
    FontComboBox->setObjectName("FontComboBox");
    FontComboBox->setToolTip("Select font name");
    FontComboBox->setMinimumContentsLength(18);
    FontComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    UpDown1 = NewUpDown("UpDown1", 6, 100);
    UpDown2 = NewUpDown("UpDown2", 10, 1000);

    auto *tabsBar = new TToolBar;
    tabsBar->SetShowCaptions(true);
    Tabs1 = tabsBar->AddButton("Tabs >");
    Tabs1->setObjectName("Tabs1");
    Tabs1->SetHint("Misc editor settings");
    PopupMenu1 = new QMenu(this);
    TabItems = new QActionGroup(this);
    for (int tag = 1; tag <= 10; ++tag) {
        const QString caption = tag == 1 ? QString("Tabs OFF") : QString("TAB = %1 symbols").arg(tag);
        QAction *item = PopupMenu1->addAction(caption);
        item->setCheckable(true);
        item->setData(tag);
        item->setStatusTip("Misc editor settings: " + caption);
        item->setToolTip(item->statusTip());
        TabItems->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { TabsOFF1Click(item); });
    }
    Tabs1->SetDropdownMenu(PopupMenu1);
    Tabs1->setPopupMode(QToolButton::InstantPopup);

    auto *fonts = new QHBoxLayout;
    fonts->addWidget(FontComboBox, 1);
    fonts->addWidget(UpDown1);
    fonts->addWidget(tabsBar);
    fonts->addSpacing(8);
    fonts->addWidget(new QLabel("Right edge: "));
    fonts->addWidget(UpDown2);

    ListBox1 = new QListWidget;
    ListBox1->setObjectName("ListBox1");
    for (const HighlighterElement &e : HighlighterElements()) ListBox1->addItem(e.Name);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setFixedWidth(ListBox1->sizeHintForColumn(0) + ListBox1->verticalScrollBar()->sizeHint().width() +
                              2 * ListBox1->frameWidth() + 4);
    ColorComboBox1 = NewColorList("ColorComboBox1");
    ColorComboBox2 = NewColorList("ColorComboBox2");
    CheckListBox3 = NewCheckList({"Bold", "Italic", "Underline", "StrikeOut"});
    CheckListBox3->setObjectName("CheckListBox3");
    CheckListBox3->setFixedHeight(4 * CheckListBox3->sizeHintForRow(0) + 2 * CheckListBox3->frameWidth());
    for (QWidget *w : std::initializer_list<QWidget *>{ColorComboBox1, ColorComboBox2, CheckListBox3}) w->setFixedWidth(170);
    auto *attrs = new QVBoxLayout;
    attrs->addWidget(new QLabel(" Foreground color:"));
    attrs->addWidget(ColorComboBox1);
    attrs->addWidget(new QLabel(" Background color:"));
    attrs->addWidget(ColorComboBox2);
    attrs->addWidget(CheckListBox3);
    attrs->addStretch();
    auto *highlighter = new QHBoxLayout;
    highlighter->addWidget(ListBox1);
    highlighter->addLayout(attrs);

    SynKASSyn1 = new TSynKASSyn(this);
    SynKASSyn1->SetDefaultFilter("KAS files (*.kas)|*.kas");
    Example = new TSynMemo;
    Example->setObjectName("Example");
    Example->SetHighlighter(SynKASSyn1);
    Example->SetText(ExampleScript);
    Example->SetWantTabs(false);   // a preview: Tab goes on to the next control
    auto *example = new QVBoxLayout;
    example->setContentsMargins(2, 2, 2, 2);
    example->addWidget(Example);

    CheckListBox5 = NewCheckList({"Show gutter", "Highlight TXT documents", "Highlight KAS documents",
                                  "To write tag automatically with a date of last document editing"});
    CheckListBox5->setObjectName("CheckListBox5");
    CheckListBox5->setFixedHeight(4 * CheckListBox5->sizeHintForRow(0) + 2 * CheckListBox5->frameWidth());
    auto *misc = new QVBoxLayout;
    misc->setContentsMargins(2, 2, 2, 2);
    misc->addWidget(CheckListBox5);

    auto *middle = new QHBoxLayout;
    middle->addWidget(NewGroup(" Highlighter settings ", highlighter));
    middle->addWidget(NewGroup(" Example ", example), 1);
    middle->setStretch(0, 0);

    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(NewGroup(" Fonts, Colours and Design of the Editor ", fonts));
    layout->addLayout(middle, 1);
    layout->addWidget(NewGroup(" Miscellaneous editor settings ", misc));

    connect(UpDown1, &QSpinBox::valueChanged, this, [this] { Edit1Change(); });
    connect(UpDown2, &QSpinBox::valueChanged, this, [this] { Edit2Change(); });
    connect(FontComboBox, &QComboBox::currentIndexChanged, this, [this] { FontComboChange(); });
    connect(CheckListBox5, &QListWidget::itemChanged, this, [this] { CheckListBox5ClickCheck(); });
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
    connect(ColorComboBox1, &QComboBox::currentIndexChanged, this, [this] { ColorComboBox1Change(); });
    connect(ColorComboBox2, &QComboBox::currentIndexChanged, this, [this] { ColorComboBox2Change(); });
    connect(CheckListBox3, &QListWidget::itemChanged, this, [this] { CheckListBox3ClickCheck(); });
    return page;
}

QWidget *TSettings_Form::CreateServicePage()
{
    std::vector<const char *> service, associations;
    for (const SettingItem &item : ServiceItems()) service.push_back(item.Caption);
    for (const AssociationItem &item : AssociationItems()) associations.push_back(item.Caption);
    CheckListBox2 = NewCheckList(service);
    CheckListBox2->setObjectName("CheckListBox2");
    CheckListBox1 = NewCheckList(associations);
    CheckListBox1->setObjectName("CheckListBox1");
    CheckListBox1->setFixedHeight(5 * CheckListBox1->sizeHintForRow(0) + 2 * CheckListBox1->frameWidth());
    UpDown3 = NewUpDown("UpDown3", 0, 30000);

    auto *misc = new QVBoxLayout;
    misc->addWidget(CheckListBox2);
    auto *assoc = new QVBoxLayout;
    assoc->addWidget(CheckListBox1);
    auto *delay = new QHBoxLayout;
    delay->addWidget(new QLabel("Delay for \"syntax completion\" service, ms {'0' - disabled}: "));
    delay->addWidget(UpDown3);
    delay->addStretch();

    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(NewGroup(" Misc ", misc), 1);
    layout->addWidget(NewGroup(" File assotiations ", assoc));
    layout->addLayout(delay);
    return page;
}

QGroupBox *TSettings_Form::CreateAdditionalPanel()
{
    CheckListBox4 = NewCheckList({"Write \"PoweredBy\" tag", "Write \"Warning#1\" tag"});
    CheckListBox4->setObjectName("CheckListBox4");
    CheckListBox4->setFixedHeight(2 * CheckListBox4->sizeHintForRow(0) + 2 * CheckListBox4->frameWidth());
    Edit3 = new QLineEdit;
    Edit3->setObjectName("Edit3");
    auto *bar = new TToolBar;
    bar->SetShowCaptions(true);
    SpeedButton1 = bar->AddButton("Set defoult value");
    SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
    ToolButton16 = bar->AddButton("Hide");
    ToolButton16->OnClick = [this] { ToolButton16Click(); };

    auto *tags = new QVBoxLayout;
    tags->addWidget(CheckListBox4);
    auto *warning = new QHBoxLayout;
    warning->addWidget(Edit3, 1);
    auto *layout = new QVBoxLayout;
    layout->addWidget(NewGroup(" additional settings ", tags));
    layout->addWidget(NewGroup(" \"Warning #1\" text ", warning));
    layout->addWidget(bar);
    auto *panel = NewGroup("", layout);
    panel->setObjectName("Panel5");
    return panel;
}

// ---------------------------------------------------------------------------------------------
// Opening

void TSettings_Form::FormCreate()
{
    Filling = true;
    PageControl1->setCurrentIndex(0);
    ListBox1->setCurrentRow(-1);
    ShowColor(ColorComboBox1, clBlack, false);
    ShowColor(ColorComboBox2, clBlack, false);
    CheckListBox3->setEnabled(false);

    DialogSettings shown;
    ForEachEditorField(shown, *Main, [](auto &value, auto &field) { value = field; });
    ReadStoredSettings(shown);
    ShowSettings(shown);
    ShowAdditionalSettings();
    SynKASSyn1->Assign(*Main->SynKASSyn1);
    Filling = false;

    TRegistry reg;
    AnsiString listPath = Main->ProgramFolder + "/InsList.il";
    if (reg.OpenKey(SettingsKey, true)) listPath = ReadStringOr(reg, "InsertListFile", listPath);
    InsListEditor->FormCreate(ExtractFileName(listPath));
}

// The check items and the delay as stored; the editor values stay the main window's live ones.
void TSettings_Form::ReadStoredSettings(DialogSettings &settings)
{
    TRegistry reg;
    if (reg.OpenKey(SettingsKey, true)) {
        settings.SCL_Delay = ReadIntegerOr(reg, "SCL_Delay", settings.SCL_Delay);
        ReadCheckSettings(reg, settings);
    } else {
        for (size_t i = 0; i < settings.Service.size(); ++i) settings.Service[i] = ServiceItems()[i].Default;
    }
}

void TSettings_Form::ShowSettings(const DialogSettings &s)
{
    UpDown3->setValue(s.SCL_Delay);
    for (size_t i = 0; i < s.Associations.size(); ++i) SetChecked(CheckListBox1, int(i), s.Associations[i]);
    for (size_t i = 0; i < s.Service.size(); ++i) SetChecked(CheckListBox2, int(i), s.Service[i]);
    SetChecked(CheckListBox5, 0, s.EditorGutterVisible);
    SetChecked(CheckListBox5, 1, s.EditorHighlightTXT);
    SetChecked(CheckListBox5, 2, s.EditorHighlightKAS);
    SetChecked(CheckListBox5, 3, s.EditorWtiteDateTag);
    FillFontList(s.EditorFontName);
    Example->SetFontName(s.EditorFontName);
    UpDown1->setValue(s.EditorFontSize);
    UpDown2->setValue(s.EditorRightEdge);
    Example->SetFontSize(UpDown1->value());
    Example->SetRightEdge(UpDown2->value());
    Example->Gutter.SetVisible(s.EditorGutterVisible);
    Example->SetColor(s.EditorColor);
    Example->SetRightEdgeColor(s.EditorRightEdgeColor);
    Example->SetSelectedColor(s.EditorSelectedColourBackground, s.EditorSelectedColourForeground);
    Tabs1Tag = s.EditorTabWidth;
    SelectTabItem(s.EditorTabWidth);
    Example->SetTabWidth(Tabs1Tag);
}

DialogSettings TSettings_Form::EnteredSettings() const
{
    DialogSettings s;
    for (size_t i = 0; i < s.Associations.size(); ++i) s.Associations[i] = IsChecked(CheckListBox1, int(i));
    for (size_t i = 0; i < s.Service.size(); ++i) s.Service[i] = IsChecked(CheckListBox2, int(i));
    s.EditorFontName = FromQ(FontComboBox->currentText());
    s.EditorFontSize = UpDown1->value();
    s.EditorColor = Example->Color();
    s.EditorSelectedColourBackground = Example->SelectedBackground();
    s.EditorSelectedColourForeground = Example->SelectedForeground();
    s.EditorRightEdgeColor = Example->RightEdgeColor();
    s.EditorGutterVisible = IsChecked(CheckListBox5, 0);
    s.EditorRightEdge = UpDown2->value();
    s.EditorTabWidth = Tabs1Tag;
    s.EditorHighlightTXT = IsChecked(CheckListBox5, 1);
    s.EditorHighlightKAS = IsChecked(CheckListBox5, 2);
    s.EditorWtiteDateTag = IsChecked(CheckListBox5, 3);
    s.SCL_Delay = UpDown3->value();
    return s;
}

void TSettings_Form::ShowAdditionalSettings()
{
    AdditionalSettings additional;
    additional.Warning1Text = DefaultWarning1Text;
    TRegistry reg;
    if (reg.OpenKey(ProductKey, false)) ReadAdditionalSettings(reg, additional);
    SetChecked(CheckListBox4, 0, additional.WritePoweredBy);
    SetChecked(CheckListBox4, 1, additional.WriteWarning1);
    Edit3->setText(ToQ(additional.Warning1Text));
}

// The screen's fonts, sorted, each shown in its own face. A stored font that this system lacks
// heads the list, so saving other settings does not replace it with whichever font sorts first.
void TSettings_Form::FillFontList(const AnsiString &fontName)
{
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    const QString stored = ToQ(fontName);
    if (!stored.isEmpty() && !families.contains(stored)) families.prepend(stored);
    const QSignalBlocker block(FontComboBox);
    FontComboBox->clear();
    for (const QString &family : families) {
        FontComboBox->addItem(family);
        FontComboBox->setItemData(FontComboBox->count() - 1, QFont(family), Qt::FontRole);
    }
    FontComboBox->setCurrentIndex(std::max(0, int(families.indexOf(stored))));
}

void TSettings_Form::SelectTabItem(int width)
{
    const int tag = TabItemOfWidth(width);
    for (QAction *item : TabItems->actions()) item->setChecked(item->data().toInt() == tag);
}

// ---------------------------------------------------------------------------------------------
// Live preview in the example pane

void TSettings_Form::Edit1Change() { Example->SetFontSize(UpDown1->value()); }

void TSettings_Form::FontComboChange() { Example->SetFontName(FromQ(FontComboBox->currentText())); }

void TSettings_Form::Edit2Change() { Example->SetRightEdge(UpDown2->value()); }

void TSettings_Form::CheckListBox5ClickCheck() { Example->Gutter.SetVisible(IsChecked(CheckListBox5, 0)); }

void TSettings_Form::TabsOFF1Click(QAction *Sender)
{
    Tabs1Tag = Sender->data().toInt();
    Sender->setChecked(true);
    Example->SetTabWidth(Tabs1Tag);
}

const HighlighterElement *TSettings_Form::SelectedElement() const
{
    const int row = ListBox1->currentRow();
    return row >= 0 && row < int(HighlighterElements().size()) ? &HighlighterElements()[size_t(row)] : nullptr;
}

TSynHighlighterAttributes *TSettings_Form::SelectedAttribute() const
{
    const HighlighterElement *element = SelectedElement();
    return element && element->Kind == TElementKind::Attribute ? SynKASSyn1->AttributeByName(element->Attribute)
                                                               : nullptr;
}

void TSettings_Form::ShowColor(QComboBox *list, TColor color, bool enabled)
{
    const QSignalBlocker block(list);
    list->setEnabled(enabled);
    list->setCurrentIndex(enabled ? ColorToColorIndex(color) : -1);
}

void TSettings_Form::ListBox1Click()
{
    const HighlighterElement *element = SelectedElement();
    if (!element) return;
    Filling = true;
    CheckListBox3->setEnabled(element->Kind == TElementKind::Attribute);
    for (int i = 0; i < 4; ++i) SetChecked(CheckListBox3, i, false);
    switch (element->Kind) {
    case TElementKind::Attribute: {
        const TSynHighlighterAttributes *attr = SelectedAttribute();
        ShowColor(ColorComboBox1, attr->Foreground(), true);
        ShowColor(ColorComboBox2, attr->Background(), true);
        for (int i = 0; i < 4; ++i) SetChecked(CheckListBox3, i, (attr->Style() & StyleItems[i]) != 0);
        break;
    }
    case TElementKind::Whitespace:
        ShowColor(ColorComboBox1, clBlack, false);
        ShowColor(ColorComboBox2, Example->Color(), true);
        break;
    case TElementKind::Selection:
        ShowColor(ColorComboBox1, Example->SelectedForeground(), true);
        ShowColor(ColorComboBox2, Example->SelectedBackground(), true);
        break;
    case TElementKind::RightEdge:
        ShowColor(ColorComboBox1, Example->RightEdgeColor(), true);
        ShowColor(ColorComboBox2, clBlack, false);
        break;
    }
    Filling = false;
}

void TSettings_Form::ColorComboBox1Change()
{
    const HighlighterElement *element = SelectedElement();
    if (Filling || !element) return;
    const TColor color = PickedColor(*element, false, ColorComboBox1->currentIndex(), Example->Color());
    if (TSynHighlighterAttributes *attr = SelectedAttribute())
        attr->SetForeground(color);
    else if (element->Kind == TElementKind::Selection)
        Example->SetSelectedColor(Example->SelectedBackground(), color);
    else if (element->Kind == TElementKind::RightEdge)
        Example->SetRightEdgeColor(color);
}

void TSettings_Form::ColorComboBox2Change()
{
    const HighlighterElement *element = SelectedElement();
    if (Filling || !element) return;
    const TColor color = PickedColor(*element, true, ColorComboBox2->currentIndex(), Example->Color());
    if (TSynHighlighterAttributes *attr = SelectedAttribute())
        attr->SetBackground(color);
    else if (element->Kind == TElementKind::Whitespace)
        Example->SetColor(color);
    else if (element->Kind == TElementKind::Selection)
        Example->SetSelectedColor(color, Example->SelectedForeground());
}

void TSettings_Form::CheckListBox3ClickCheck()
{
    TSynHighlighterAttributes *attr = SelectedAttribute();
    if (Filling || !attr) return;
    TFontStyles style = 0;
    for (int i = 0; i < 4; ++i)
        if (IsChecked(CheckListBox3, i)) style |= StyleItems[i];
    attr->SetStyle(style);
}

// ---------------------------------------------------------------------------------------------
// Additional settings panel

void TSettings_Form::ToolBar1MouseDown(Qt::KeyboardModifiers shift)
{
    if ((shift & Qt::ControlModifier) && (shift & Qt::AltModifier)) Panel5->show();
}

void TSettings_Form::ToolButton16Click() { Panel5->hide(); }

void TSettings_Form::SpeedButton1Click() { Edit3->setText(DefaultWarning1Text); }

// ---------------------------------------------------------------------------------------------
// Keys and buttons

bool TSettings_Form::FormKeyDown(int key)
{
    return RunDialogKey(
        key, [this] { ToolButton1Click(); }, [this] { ToolButton2Click(); }, [this] { ToolButton15Click(); });
}

bool TSettings_Form::eventFilter(QObject *watched, QEvent *event)
{
    // A menu keeps its own keys: Enter there chooses the item.
    if (event->type() == QEvent::KeyPress && !qobject_cast<QMenu *>(watched)) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)
            if (FormKeyDown(key->key())) return true;
    }
    if (watched == ToolBar1 && event->type() == QEvent::MouseButtonPress)
        ToolBar1MouseDown(static_cast<QMouseEvent *>(event)->modifiers());
    return QDialog::eventFilter(watched, event);
}

void TSettings_Form::ToolButton2Click() { reject(); }

void TSettings_Form::ToolButton15Click() { ShowContextHelp(113); }

// Settings that cannot be stored are not applied either: the dialog stays open with the choices
// made, to try again or to close without changes. Told at start that settings are not kept, the
// user has them for this run without a second word.
void TSettings_Form::ToolButton1Click()
{
    // The warning text is written into every saved script: it must be document text.
    const std::optional<AnsiString> warning = DocumentTextOf(Edit3, "Warning #1 text");
    if (!warning) return;
    const DialogSettings entered = EnteredSettings();
    const AnsiString listPath =
        Main->ProgramFolder + "/" + ListFileNameWithExtension(FromQPath(InsListEditor->ComboBox1->currentText()));
    try {
        StoreSettings(entered, listPath, *warning);
    } catch (const std::exception &e) {
        if (Main->ToldSettingsNotKept()) {
            WarnOnStderrOnce(e.what());
        } else {
            MessageBox(this, SettingsNotSavedText + AnsiString(e.what()), "Settings", MB_OK | MB_ICONSTOP);
            return;
        }
    }
    ApplyToMainWindow(entered);
    const AnsiString listError = LoadFastInsertList(Main, listPath);
    if (!listError.empty())
        MessageBox(this, "The fast insert list \"" + PathInMessage(listPath) + "\" cannot be read: " + listError, "Settings",
                   MB_OK | MB_ICONWARNING);
    accept();
}

// ---------------------------------------------------------------------------------------------
// Save && Close

void TSettings_Form::StoreSettings(const DialogSettings &s, const AnsiString &listPath, const AnsiString &warning1Text)
{
    TRegistry reg;
    if (reg.OpenKey(SettingsKey, true)) {
        WriteDialogSettings(reg, s);
        reg.CloseKey();
    }
    if (reg.OpenKey(ProductKey, false)) {
        WriteAdditionalSettings(reg, {IsChecked(CheckListBox4, 0), IsChecked(CheckListBox4, 1), warning1Text});
        reg.CloseKey();
    }
    const AnsiString programPath = Application->ExeName();
    for (size_t i = 0; i < AssociationItems().size(); ++i)
        ApplyAssociation(AssociationItems()[i], s.Associations[i], programPath);
    if (!SynKASSyn1->SaveToRegistry(HKEY_LOCAL_MACHINE, AnsiString(SettingsKey) + "\\Hightlights"))
        throw ERegistryException(
            WithReason("the highlighter's colours and styles cannot be stored", LastRegistryWriteFailure()));
    if (reg.OpenKey(SettingsKey, true)) reg.WriteString("InsertListFile", listPath);
}

void TSettings_Form::ApplyToMainWindow(const DialogSettings &s)
{
    Main->SynKASSyn1->Assign(*SynKASSyn1);
    ForEachEditorField(s, *Main, [](const auto &value, auto &field) { field = value; });
    Main->SynCompletionProposal2->SetOption(scoUseBuiltInTimer, s.SCL_Delay != 0);
    for (int i = Main->MDIChildCount() - 1; i >= 0; --i)
        if (auto *editor = qobject_cast<TForm_Editor *>(Main->MDIChildren(i))) editor->ApplyDisplaySettings();
}
