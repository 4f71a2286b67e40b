// The tag bar of a script window and the add-tag dialog.
#include "platform/ActionList.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/TStringList.h"
#include "platform/ToolBar.h"
#include "script/AddTagWin.h"
#include "script/TagBlock.h"
#include "shell/DocumentCommands.h"
#include "shell/HeaderTags.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

constexpr int OutlineItemHeight = 15;
constexpr int TextPaneHelpContext = 106;
constexpr int TablePaneHelpContext = 114;

// The outline list draws its section captions bold and navy. It reads the window's outline list
// when it paints: the delegate is made before the window creates that list.
class TOutlineItemDelegate : public QStyledItemDelegate
{
public:
    TOutlineItemDelegate(const TForm_Editor *window, QObject *parent) : QStyledItemDelegate(parent), Window(window) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const TStringList *entries = Window->OutlineLines;
        const bool header = entries && index.row() < entries->Count() && (*entries)[index.row()] == OutlineSectionHeader;
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        QFont font = option.font;
        font.setBold(header);
        painter->setFont(font);
        painter->setPen(selected ? palette.highlightedText().color()
                                 : header ? QColor(Qt::darkBlue) : palette.text().color());
        painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), OutlineItemHeight};
    }

private:
    const TForm_Editor *Window;
};

TToolButton *NewTagBarButton(const char *name, const char *caption, const char *hint)
{
    auto *button = new TToolButton;
    button->setObjectName(name);
    button->SetCaption(caption);
    button->SetHint(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

QLabel *NewTagBarLabel(const char *name, const char *caption)
{
    auto *label = new QLabel(caption);
    label->setObjectName(name);
    return label;
}

// Jumps the text pane to the line of a tag: top line and caret on it, caret at the line start.
void JumpToTag(TSynMemo *pane, const AnsiString &name)
{
    pane->setFocus();
    TStringList lines;
    pane->Lines.AssignTo(lines);
    const int line = OutlineEntryLine(lines, name) + 1;
    pane->SetCaretXY({1, line});
    pane->SetTopLine(line);
}

} // namespace

// The bar holds the two lists already; the buttons and captions go around them in bar order.
void TForm_Editor::ConnectTagBar()
{
    QAction *const outlineList = ToolBar2->actions().value(0);
    QAction *const declarationList = ToolBar2->actions().value(1);
    ToolButton25 = NewTagBarButton("ToolButton25", "Refresh", "Refresh tags and declarations lists (Shift+Ctrl+F)");
    Label1 = NewTagBarLabel("Label1", " All tags: ");
    ToolBar2->insertWidget(outlineList, ToolButton25);
    ToolBar2->insertWidget(outlineList, Label1);
    ToolButton27 = NewTagBarButton("ToolButton27", "+Tag", "Add tag (Shift+Ctrl+T)");
    Label2 = NewTagBarLabel("Label2", " Declarations: ");
    ToolBar2->insertWidget(declarationList, ToolButton27);
    ToolBar2->insertWidget(declarationList, Label2);
    ToolButton26 = NewTagBarButton("ToolButton26", "+Decl", "Add declaration (Shift+Ctrl+D)");
    ToolBar2->addWidget(ToolButton26);
    if (MainForm) {
        ToolButton23 = ToolBar2->AddButton(MainForm->GoToAction1);
        ToolButton23->setObjectName("ToolButton23");
        ToolButton32 = ToolBar2->AddButton(MainForm->GoToKATIndexAction);
        ToolButton32->setObjectName("ToolButton32");
    }
    ToolButton31 = NewTagBarButton("ToolButton31", "?", "Get help about this window");
    ToolBar2->addWidget(ToolButton31);

    ComboBox1->setFocusPolicy(Qt::NoFocus);
    ComboBox1->setItemDelegate(new TOutlineItemDelegate(this, ComboBox1));
    ComboBox2->setFocusPolicy(Qt::NoFocus);

    ToolButton25->OnClick = [this] { ToolButton25Click(); };
    ToolButton27->OnClick = [this] { ToolButton27Click(); };
    ToolButton26->OnClick = [this] { ToolButton26Click(); };
    ToolButton31->OnClick = [this] { ToolButton30Click(); };
    connect(ComboBox1, &QComboBox::activated, this, [this] { TAction::RunGuarded([this] { ComboBox1Change(); }); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { TAction::RunGuarded([this] { ComboBox2Change(); }); });
}

void TForm_Editor::ToolButton25Click()
{
    if (MainForm) MainForm->RefreshScriptOutline();
}

void TForm_Editor::ComboBox1Change()
{
    const int item = ComboBox1->currentIndex();
    if (item < 0 || item >= OutlineLines->Count()) return;
    if ((*OutlineLines)[item] == OutlineSectionHeader) {
        // A section caption is no place to go: the list opens again for a real choice.
        ComboBox1->setCurrentIndex(-1);
        QTimer::singleShot(0, ComboBox1, [box = ComboBox1] { box->showPopup(); });
        return;
    }
    JumpToTag(Memo1, (*OutlineLines)[item]);
}

void TForm_Editor::ComboBox2Change()
{
    const int item = ComboBox2->currentIndex();
    if (item < 0 || item >= DeclarationLines->Count()) return;
    if ((*DeclarationLines)[item] == OutlineSectionHeader) {
        ComboBox2->setCurrentIndex(-1);
        return;
    }
    JumpToTag(Memo1, (*DeclarationLines)[item]);
}

void TForm_Editor::ToolButton30Click()
{
    if (!MainForm) return;
    const int context = !StringGridPanel->isHidden() ? TablePaneHelpContext : TextPaneHelpContext;
    ShowContextHelp(context);
}

void TForm_Editor::ToolButton27Click()
{
    if (!MainForm) return;
    TAddTagForm dialog(MainForm);
    dialog.setWindowTitle("Add tag");
    dialog.Tag = 1;
    dialog.ComboBox1->setCurrentIndex(ttWarning);
    dialog.ShowDeclarationGroups(false, false);
    dialog.FormShow();
    ShowModal(&dialog);
}

void TForm_Editor::ToolButton26Click()
{
    if (!MainForm) return;
    TAddTagForm dialog(MainForm);
    dialog.setWindowTitle("Add declaration");
    dialog.Tag = 2;
    dialog.ComboBox1->setCurrentIndex(ttDeclaration);
    dialog.ComboBox1->setEnabled(false);
    dialog.ComboBox2->setCurrentIndex(dtFunction);
    dialog.Edit1->setText("Function1");
    dialog.ShowDeclarationGroups(true, true);
    dialog.FormShow();
    ShowModal(&dialog);
}
