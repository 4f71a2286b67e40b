#include "editing/GoToDlg.h"

#include "common/Utils.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

AnsiString CheckedGoToText(const AnsiString &text)
{
    if (text.size() > 9 || !IsNumber(text, false) || text[0] == '0') return "1";
    return text;
}

TGoToForm::TGoToForm(TMainForm *owner) : QDialog(owner), Main(owner)
{
    setObjectName("GoToForm");
    setWindowTitle("Go to...");
    ToolBar1 = DialogToolBar(this);
    ToolButton1 = DialogButton(ToolBar1, "Go!", "Go! (Enter)", QStyle::SP_ArrowRight);
    ToolButton2 = DialogButton(ToolBar1, "Cancel", "Close window (Esc)", QStyle::SP_DialogCancelButton);
    ToolButton3 = DialogButton(ToolBar1, "Help", "Get help about this window (F1)", QStyle::SP_DialogHelpButton);
    ToolButton1->OnClick = [this] { ToolButton1Click(); };
    ToolButton2->OnClick = [this] { close(); };
    ToolButton3->OnClick = [] { ShowContextHelp(109); };

    Image1 = new QLabel(this);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(32, 32));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    RadioGroup1 = new QGroupBox(" Line or Symbol ", this);
    LineItem = new QRadioButton("Line", RadioGroup1);
    SymbolItem = new QRadioButton("Symbol", RadioGroup1);
    auto *radios = new QHBoxLayout(RadioGroup1);
    radios->addWidget(LineItem);
    radios->addWidget(SymbolItem);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });

    auto *fields = new QVBoxLayout;
    fields->addWidget(RadioGroup1);
    auto *edit = new QHBoxLayout;
    edit->setContentsMargins(5, 0, 5, 0);
    edit->addWidget(Edit1);
    fields->addLayout(edit);
    auto *body = new QHBoxLayout;
    body->addWidget(Image1);
    body->addLayout(fields, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ToolBar1);
    layout->addLayout(body);
    FormCreate();
}

void TGoToForm::FormCreate()
{
    setMinimumWidth(200);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetItemIndex(0);
    Edit1->setText("1");
    Edit1->selectAll();
    Edit1->setFocus();
}

int TGoToForm::ItemIndex() const { return SymbolItem->isChecked() ? 1 : 0; }

void TGoToForm::SetItemIndex(int index) { (index == 1 ? SymbolItem : LineItem)->setChecked(true); }

void TGoToForm::Edit1Change()
{
    const AnsiString text = FromQ(Edit1->text());
    const AnsiString checked = CheckedGoToText(text);
    if (checked != text) {
        Edit1->setText(ToQ(checked));
        Edit1->selectAll();
    }
}

void TGoToForm::ToolButton1Click()
{
    TForm_Editor *editor = Main->ActiveEditor();
    if (editor) {
        TSynMemo *pane = editor->Memo1;
        const int number = std::stoi(CheckedGoToText(FromQ(Edit1->text())));
        if (ItemIndex() == 0) {
            pane->SetCaretY(std::min(number, std::max(1, pane->Lines.Count())));
        } else {
            // Characters count from 1 in the field: 1 (and a typed 0, which the field turns
            // into 1) selects the first character of the text.
            pane->SetSelStart(number - 1);
            pane->SetSelEnd(number);
        }
        pane->ensureCursorVisible();
        editor->Memo1Click();
    }
    close();
}

void TGoToForm::keyPressEvent(QKeyEvent *event)
{
    const bool handled = RunDialogKey(
        event->key(), [this] { ToolButton1Click(); }, [this] { close(); }, [] { ShowContextHelp(109); });
    if (!handled) QDialog::keyPressEvent(event);
}
