#include "editing/FindDlg.h"

#include "editing/TextSearch.h"
#include "platform/FieldText.h"
#include "shell/Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 350;
constexpr int DialogMargin = 8;

QCheckBox *NewCheckBox(QVBoxLayout *group, const char *name, const char *caption)
{
    auto *box = new QCheckBox(caption);
    box->setObjectName(name);
    group->addWidget(box);
    return box;
}

} // namespace

TTextSearchDialog::TTextSearchDialog(TMainForm *owner) : TTextSearchDialog(owner, "Search Text")
{
    FormCreate();
}

TTextSearchDialog::TTextSearchDialog(TMainForm *owner, const char *caption) : QDialog(owner), Owner(owner)
{
    setObjectName(metaObject()->className());
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Label1 = new QLabel("Search for:");
    Label1->setObjectName("Label1");
    cbSearchText = NewHistoryBox("cbSearchText");
    Label1->setBuddy(cbSearchText);
    TextRows = new QGridLayout;
    TextRows->setHorizontalSpacing(8);
    TextRows->addWidget(Label1, 0, 0);
    TextRows->addWidget(cbSearchText, 0, 1);
    TextRows->setColumnStretch(1, 1);

    gbSearchOptions = new QGroupBox(" Options ");
    gbSearchOptions->setObjectName("gbSearchOptions");
    auto *options = new QVBoxLayout(gbSearchOptions);
    options->setSpacing(2);
    cbSearchCaseSensitive = NewCheckBox(options, "cbSearchCaseSensitive", "Case sensitivity");
    cbSearchWholeWords = NewCheckBox(options, "cbSearchWholeWords", "Whole words only");
    cbSearchFromCaret = NewCheckBox(options, "cbSearchFromCaret", "Search from caret");
    cbSearchSelectedOnly = NewCheckBox(options, "cbSearchSelectedOnly", "Selected text only");

    rgSearchDirection = new QGroupBox(" Direction ");
    rgSearchDirection->setObjectName("rgSearchDirection");
    auto *direction = new QVBoxLayout(rgSearchDirection);
    direction->setSpacing(2);
    rbForward = new QRadioButton("Forward");
    rbForward->setObjectName("rbForward");
    rbBackward = new QRadioButton("Backward");
    rbBackward->setObjectName("rbBackward");
    direction->addWidget(rbForward);
    direction->addWidget(rbBackward);
    direction->addStretch(1);

    btnOK = new QPushButton("OK");
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnOK->setEnabled(false);
    btnCancel = new QPushButton("Cancel");
    btnCancel->setObjectName("btnCancel");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    // The direction group and the buttons share the right half, the buttons at the bottom.
    auto *right = new QVBoxLayout;
    right->addWidget(rgSearchDirection);
    right->addStretch(1);
    right->addLayout(buttons);
    auto *groups = new QHBoxLayout;
    groups->addWidget(gbSearchOptions, 1);
    groups->addLayout(right, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(DialogMargin, DialogMargin, DialogMargin, DialogMargin);
    layout->setSpacing(DialogMargin);
    layout->addLayout(TextRows);
    layout->addLayout(groups);
    setMinimumWidth(ClientWidth);

    connect(cbSearchText, &QComboBox::editTextChanged, this, [this] { cbSearchTextChange(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QComboBox *TTextSearchDialog::NewHistoryBox(const char *name)
{
    auto *box = new QComboBox;
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);   // OK puts the text on top itself
    // The history is a list to choose from: what the user types is used as typed, never completed
    // from an older entry.
    box->setCompleter(nullptr);
    box->setMaxVisibleItems(MaxHistoryEntries);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(20);
    return box;
}

void TTextSearchDialog::FormCreate()
{
    SetDirectionIndex(Owner->SearchBackwards ? 1 : 0);
    cbSearchCaseSensitive->setChecked(Owner->SearchCaseSensitive);
    cbSearchFromCaret->setChecked(Owner->SearchFromCaret);
    cbSearchWholeWords->setChecked(Owner->SearchWholeWords);
    cbSearchSelectedOnly->setChecked(Owner->SearchSelectedOnly);
    // Find never searches inside the selection: the box stays out of sight.
    cbSearchSelectedOnly->setVisible(false);
    SetComboItems(cbSearchText, HistoryEntries(Owner->SearchTextHistory));
    cbSearchText->setEditText(ToQ(Owner->SearchText));
    cbSearchTextChange();
}

int TTextSearchDialog::DirectionIndex() const { return rbBackward->isChecked() ? 1 : 0; }

void TTextSearchDialog::SetDirectionIndex(int index)
{
    (index == 1 ? rbBackward : rbForward)->setChecked(true);
    // Tab enters the group at the chosen direction, as it does after a click.
    for (QRadioButton *b : {rbForward, rbBackward}) b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

void TTextSearchDialog::PrepareForTable()
{
    for (QCheckBox *box : {cbSearchWholeWords, cbSearchSelectedOnly}) {
        box->setChecked(false);
        box->setEnabled(false);
    }
    cbSearchFromCaret->setText("Search from cell");
}

void TTextSearchDialog::cbSearchTextChange() { btnOK->setEnabled(!cbSearchText->currentText().isEmpty()); }

std::vector<AnsiString> TTextSearchDialog::ComboItems(const QComboBox *box)
{
    std::vector<AnsiString> items;
    for (int i = 0; i < box->count(); ++i) items.push_back(FromQ(box->itemText(i)));
    return items;
}

void TTextSearchDialog::SetComboItems(QComboBox *box, const std::vector<AnsiString> &items)
{
    const QString text = box->currentText();
    box->clear();
    for (const AnsiString &item : items) box->addItem(ToQ(item));
    box->setEditText(text);
}

AnsiString TTextSearchDialog::TakeComboText(QComboBox *box, const AnsiString &text)
{
    std::vector<AnsiString> items = ComboItems(box);
    MoveItemToTop(items, text);
    SetComboItems(box, items);
    box->setEditText(ToQ(text));
    return HistoryFromItems(items);
}

void TTextSearchDialog::btnOKClick()
{
    const std::optional<AnsiString> text = DocumentTextOf(cbSearchText, SearchForName);
    if (!text) return;   // the user has been told which character cannot be searched for
    const AnsiString history = TakeComboText(cbSearchText, *text);
    Owner->SearchBackwards = DirectionIndex() == 1;
    Owner->SearchCaseSensitive = cbSearchCaseSensitive->isChecked();
    Owner->SearchFromCaret = cbSearchFromCaret->isChecked();
    Owner->SearchSelectedOnly = cbSearchSelectedOnly->isChecked();
    Owner->SearchText = *text;
    Owner->SearchTextHistory = history;
    Owner->SearchWholeWords = cbSearchWholeWords->isChecked();
    accept();
}
