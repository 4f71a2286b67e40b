#include "textres/KatGenSetsWin.h"

#include "common/Utils.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"
#include "textres/KatIndexing.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char *const SchemeText = "The scheme of indexation:\r\n[prefix][script number][postfix+increment]";
const char *const OptionCaptions[4] = {
    "Write script version in comment",
    "Write string type in comment",
    "To make backups for KAS and KAT (if exists) files",
    "If the document already exists then will be opened this document for editing",
};
const char *const CommonTitles[3] = {"Script number", "Postfix increment", "Unknown types as:"};

QString Shown(const char *text) { return QString::fromLatin1(text).replace(QLatin1String("\r\n"), QLatin1String("\n")); }

// A list of lines, each ended by CR LF, as the registry keeps a row.
AnsiString RowText(TStringGrid *grid, int fromCol, int toCol, int fromRow, int toRow)
{
    TStringList lines;
    for (int r = fromRow; r <= toRow; ++r)
        for (int c = fromCol; c <= toCol; ++c) lines.Add(grid->Cells(c, r));
    return lines.Text();
}

} // namespace

TKATGenSetsForm::TKATGenSetsForm(QWidget *owner) : QDialog(owner)
{
    setObjectName("KATGenSetsForm");
    setWindowTitle("KATfication setup");
    CreateComponents();
    FormCreate();
}

void TKATGenSetsForm::CreateComponents()
{
    TabControl1 = new QTabBar;
    TabControl1->setObjectName("TabControl1");
    TabControl1->addTab("Indexation settings");
    TabControl1->addTab("Common indexation settings");
    TabControl1->addTab("Additional settings");

    StringGrid1 = new TStringGrid;
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->SetColCount(4);
    StringGrid1->SetRowCount(7);
    StringGrid1->SetFixedRows(1);
    StringGrid1->SetFixedCols(1);
    StringGrid2 = new TStringGrid;
    StringGrid2->setObjectName("StringGrid2");
    StringGrid2->SetColCount(2);
    StringGrid2->SetRowCount(3);
    StringGrid2->SetFixedRows(0);
    StringGrid2->SetFixedCols(1);

    auto *optionsPage = new QGroupBox(" Additional settings ");
    optionsPage->setObjectName("GroupBox1");
    auto *optionsLayout = new QVBoxLayout(optionsPage);
    CheckListBox1 = new QListWidget;
    CheckListBox1->setObjectName("CheckListBox1");
    for (const char *caption : OptionCaptions) {
        auto *item = new QListWidgetItem(caption, CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // Every option shows whole: the dialog grows to the longest one.
    CheckListBox1->setMinimumWidth(CheckListBox1->sizeHintForColumn(0) + 2 * CheckListBox1->frameWidth());
    optionsLayout->addWidget(CheckListBox1);
    optionsLayout->addStretch(1);

    Pages = new QStackedWidget;
    Pages->addWidget(StringGrid1);
    Pages->addWidget(StringGrid2);
    Pages->addWidget(optionsPage);
    SchemeLabel = new QLabel;

    // The cell editors lie over the grids' cells.
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({"TRUE", "FALSE"});
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    ComboBox2->addItems({"M", "Q", "S", "-"});
    UpDownPanel = new QWidget(this);
    auto *upDown = new QHBoxLayout(UpDownPanel);
    upDown->setContentsMargins(0, 0, 0, 0);
    upDown->setSpacing(0);
    Edit1 = new QLineEdit;
    Edit1->setObjectName("Edit1");
    // The arrows are worked with the mouse; Tab goes from the number to the next field.
    UpButton = new QToolButton;
    UpButton->setArrowType(Qt::UpArrow);
    UpButton->setFocusPolicy(Qt::NoFocus);
    DownButton = new QToolButton;
    DownButton->setArrowType(Qt::DownArrow);
    DownButton->setFocusPolicy(Qt::NoFocus);
    upDown->addWidget(Edit1, 1);
    upDown->addWidget(UpButton);
    upDown->addWidget(DownButton);

    ToolBar1 = new TToolBar;
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar1->SetShowCaptions(true);
    const auto button = [this](const char *caption, const char *hint) {
        TToolButton *b = ToolBar1->AddButton(caption);
        b->SetHint(hint);
        return b;
    };
    ToolButton1 = button("Apply", "Apply KATfication settings (Enter)");
    ToolButton2 = button("Close", "Close dialogue (Esc)");
    ToolBar1->AddSeparator();
    ToolButton3 = button("Save settings", "Save indexation settings");
    ToolButton4 = button("Load settings", "Load indexation settings");
    ToolBar1->AddSeparator();
    ToolButton5 = button("Help", "Get help about this window (F1)");

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(TabControl1);
    layout->addWidget(Pages, 1);
    layout->addWidget(SchemeLabel);
    layout->addWidget(ToolBar1);
    // The cell editors, made before the pages, come after the grids they lie on.
    setTabOrder(CheckListBox1, ComboBox1);
    setTabOrder(ComboBox1, ComboBox2);
    setTabOrder(ComboBox2, Edit1);

    ToolButton1->OnClick = [this] { ToolButton1Click(); };
    ToolButton2->OnClick = [this] { ToolButton2Click(); };
    ToolButton3->OnClick = [this] { ToolButton3Click(); };
    ToolButton4->OnClick = [this] { ToolButton4Click(); };
    ToolButton5->OnClick = [this] { ToolButton5Click(); };
    connect(TabControl1, &QTabBar::currentChanged, this, [this] { TabControl1Change(); });
    connect(StringGrid1, &TStringGrid::OnSelectCell, this,
            [this](int col, int row, bool &) { StringGrid1SelectCell(col, row); });
    connect(StringGrid2, &TStringGrid::OnSelectCell, this,
            [this](int col, int row, bool &) { StringGrid2SelectCell(col, row); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { ComboBox2Change(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(UpButton, &QToolButton::clicked, this, [this] { SetUpDownPosition(Position + 1); });
    connect(DownButton, &QToolButton::clicked, this, [this] { SetUpDownPosition(Position - 1); });
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this] { CheckListBox1Click(); });
}

void TKATGenSetsForm::FormCreate()
{
    setFixedSize(QSize(500, 300).expandedTo(minimumSizeHint()));
    const int rowHeight = ComboBox1->sizeHint().height();
    StringGrid1->SetDefaultRowHeight(rowHeight);
    StringGrid2->SetDefaultRowHeight(rowHeight);
    const char *headers[4] = {"String type", "Enabled", "Prefix", "Postfix"};
    for (int c = 0; c < 4; ++c) StringGrid1->SetCell(c, 0, headers[c]);
    for (int t = 0; t < StringTypeCount; ++t) {
        StringGrid1->SetCell(0, t + 1, TypeTitle(t));
        for (int j = 0; j < 3 && j < TypeIndexSettings[size_t(t)].Count(); ++j)
            StringGrid1->SetCell(j + 1, t + 1, TypeIndexSettings[size_t(t)][j]);
    }
    for (int r = 0; r < 3; ++r) {
        StringGrid2->SetCell(0, r, CommonTitles[r]);
        if (r < CommonIndexSettings.Count()) StringGrid2->SetCell(1, r, CommonIndexSettings[r]);
    }
    CheckListBox1->blockSignals(true);
    for (int i = 0; i < 4; ++i)
        CheckListBox1->item(i)->setCheckState(KatOptionFlags[size_t(i)] ? Qt::Checked : Qt::Unchecked);
    CheckListBox1->blockSignals(false);
    HideEditors();
    TabControl1Change();
}

void TKATGenSetsForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TKATGenSetsForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormResize();   // the grids have their final size only now
}

void TKATGenSetsForm::FormResize()
{
    // The client width: the grid less its frame.
    const int w1 = StringGrid1->width() - 2 * StringGrid1->frameWidth();
    for (int c = 0; c < 4; ++c) StringGrid1->SetColWidth(c, w1 / 4);
    const int w2 = StringGrid2->width() - 2 * StringGrid2->frameWidth();
    for (int c = 0; c < 2; ++c) StringGrid2->SetColWidth(c, w2 / 2);
    TabControl1->setCurrentIndex(0);
    TabControl1Change();
}

void TKATGenSetsForm::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape: ToolButton2Click(); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: ToolButton1Click(); return;
    case Qt::Key_F1: ToolButton5Click(); return;
    default: QDialog::keyPressEvent(event);
    }
}

void TKATGenSetsForm::HideEditors()
{
    for (QWidget *w : {static_cast<QWidget *>(ComboBox1), static_cast<QWidget *>(ComboBox2), UpDownPanel}) {
        w->hide();
        w->raise();
    }
}

void TKATGenSetsForm::TabControl1Change()
{
    HideEditors();
    const int page = TabControl1->currentIndex();
    Pages->setCurrentIndex(page);
    SchemeLabel->setText(page < 2 ? Shown(SchemeText) : QString());
}

TStringGrid *TKATGenSetsForm::CurrentGrid() const
{
    const int page = TabControl1->currentIndex();
    return page == 0 ? StringGrid1 : page == 1 ? StringGrid2 : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Cell editors

void TKATGenSetsForm::SetUpDownRange(int min, int max)
{
    Min = min;
    Max = max;
    Position = std::clamp(Position, Min, Max);
}

void TKATGenSetsForm::SetUpDownPosition(int position)
{
    Position = std::clamp(position, Min, Max);
    Edit1->setText(QString::number(Position));
}

void TKATGenSetsForm::PlaceEditor(QWidget *editor, TStringGrid *grid, int col, int row)
{
    const QRect cell = grid->CellRect(col, row);
    if (cell.isEmpty()) return;   // the row is out of view
    const QPoint at = grid->mapTo(this, cell.topLeft()) + QPoint(0, 2);
    editor->setGeometry(at.x(), at.y(), grid->ColWidths(col), cell.height());
    editor->show();
    editor->raise();
}

void TKATGenSetsForm::PlaceUpDown(TStringGrid *grid, int col, int row, int min, int max)
{
    Placing = true;
    SetUpDownRange(min, max);
    const AnsiString cell = grid->Cells(col, row);
    SetUpDownPosition(IsNumber(cell, false) && cell.size() <= 9 ? std::stoi(cell) : Position);
    Placing = false;
    PlaceEditor(UpDownPanel, grid, col, row);
}

void TKATGenSetsForm::StringGrid1SelectCell(int col, int row)
{
    HideEditors();
    if (row < 1) return;
    if (col == 1) {
        Placing = true;
        const int at = ComboBox1->findText(ToQ(StringGrid1->Cells(col, row)));
        if (at >= 0) ComboBox1->setCurrentIndex(at);
        Placing = false;
        PlaceEditor(ComboBox1, StringGrid1, col, row);
    } else if (col == 2) {
        PlaceUpDown(StringGrid1, col, row, 0, 9);
    } else if (col == 3) {
        PlaceUpDown(StringGrid1, col, row, 0, 999);
    }
}

void TKATGenSetsForm::StringGrid2SelectCell(int col, int row)
{
    HideEditors();
    if (col != 1) return;
    if (row == 0) {
        PlaceUpDown(StringGrid2, col, row, 0, 99);
    } else if (row == 1) {
        PlaceUpDown(StringGrid2, col, row, 1, 99);
    } else if (row == 2) {
        Placing = true;
        const int at = ComboBox2->findText(ToQ(StringGrid2->Cells(col, row)));
        if (at >= 0) ComboBox2->setCurrentIndex(at);
        Placing = false;
        PlaceEditor(ComboBox2, StringGrid2, col, row);
    }
}

void TKATGenSetsForm::ComboBox1Change()
{
    if (Placing || TabControl1->currentIndex() != 0 || StringGrid1->Col() != 1) return;
    StringGrid1->SetCell(StringGrid1->Col(), StringGrid1->Row(), FromQ(ComboBox1->currentText()));
}

void TKATGenSetsForm::ComboBox2Change()
{
    if (Placing || TabControl1->currentIndex() != 1 || StringGrid2->Col() != 1) return;
    StringGrid2->SetCell(StringGrid2->Col(), StringGrid2->Row(), FromQ(ComboBox2->currentText()));
}

// The up-down reads its number from the text first (a number within its range moves it, "05"
// as well as "5"); then a text that is not a plain number is replaced by the position, so only a
// number within the range reaches the cell.
void TKATGenSetsForm::Edit1Change()
{
    const AnsiString text = FromQ(Edit1->text());
    const bool digits = !text.empty() && text.size() <= 9 && IsNumber(text, false);
    if (digits) {
        const int n = std::stoi(text);
        if (n >= Min && n <= Max) Position = n;
    }
    if (!digits || text[0] == '0') {
        const QString position = QString::number(Position);
        if (Edit1->text() != position) {
            Edit1->setText(position);   // runs this handler again with the position
            return;
        }
    }
    if (Placing || UpDownPanel->isHidden()) return;
    TStringGrid *grid = CurrentGrid();
    if (!grid || !grid->isVisible()) return;
    if (grid == StringGrid1 && grid->Col() <= 1) return;
    grid->SetCell(grid->Col(), grid->Row(), IntToStr(Position));
}

// ---------------------------------------------------------------------------------------------
// Buttons

void TKATGenSetsForm::ToolButton1Click()
{
    for (int k = 1; k <= StringTypeCount; ++k) {
        TStringList &list = TypeIndexSettings[size_t(k - 1)];
        while (list.Count() < 3) list.Add("");
        for (int j = 1; j <= 3; ++j) list.SetString(j - 1, StringGrid1->Cells(j, k));
    }
    while (CommonIndexSettings.Count() < 3) CommonIndexSettings.Add("");
    for (int r = 0; r < 3; ++r) CommonIndexSettings.SetString(r, StringGrid2->Cells(1, r));
    for (int i = 0; i < 4; ++i) KatOptionFlags[size_t(i)] = CheckListBox1->item(i)->checkState() == Qt::Checked;
    accept();
}

void TKATGenSetsForm::ToolButton2Click() { reject(); }

void TKATGenSetsForm::ToolButton3Click()
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, true)) return;
    reg.BeginUpdate();
    for (int k = 1; k <= StringTypeCount; ++k)
        reg.WriteString("KAT_SetsList" + IntToStr(k), RowText(StringGrid1, 1, 3, k, k));
    reg.WriteString("KAT_ComSetsList", RowText(StringGrid2, 1, 1, 0, 2));
    reg.EndUpdate();
    reg.CloseKey();
}

void TKATGenSetsForm::ToolButton4Click()
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, true)) return;
    for (int k = 1; k <= StringTypeCount; ++k) {
        const AnsiString name = "KAT_SetsList" + IntToStr(k);
        if (!reg.ValueExists(name)) continue;
        TStringList lines;
        lines.SetText(ReadStringOr(reg, name, ""));
        for (int j = 0; j < 3 && j < lines.Count(); ++j) StringGrid1->SetCell(j + 1, k, lines[j]);
    }
    if (reg.ValueExists("KAT_ComSetsList")) {
        TStringList lines;
        lines.SetText(ReadStringOr(reg, "KAT_ComSetsList", ""));
        // The script number belongs to the document, not to the stored scheme.
        if (lines.Count() > 0) lines.SetString(0, StringGrid2->Cells(1, 0));
        for (int r = 0; r < 3 && r < lines.Count(); ++r) StringGrid2->SetCell(1, r, lines[r]);
    }
    reg.CloseKey();
}

void TKATGenSetsForm::ToolButton5Click()
{
    ShowContextHelp(104);
}

void TKATGenSetsForm::CheckListBox1Click()
{
    for (int i = 0; i < 4; ++i) KatOptionFlags[size_t(i)] = CheckListBox1->item(i)->checkState() == Qt::Checked;
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, true)) return;
    reg.BeginUpdate();
    for (int i = 0; i < 4; ++i) reg.WriteBool(KatOptionValueNames[size_t(i)], KatOptionFlags[size_t(i)]);
    reg.EndUpdate();
    reg.CloseKey();
}
