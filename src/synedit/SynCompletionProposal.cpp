#include "synedit/SynCompletionProposal.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QSizeGrip>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

// Only one completion window is open at a time, whichever popup it belongs to.
QPointer<TSynCompletionProposal> OpenProposal;

// Entries drawn as two columns: the text before the TAB in bold, the text after it from the column
// that the biggest word makes wide enough.
class TPrettyItemDelegate : public QStyledItemDelegate
{
public:
    TPrettyItemDelegate(QObject *parent, bool pretty, int columnWidth)
        : QStyledItemDelegate(parent), Pretty(pretty), ColumnWidth(columnWidth)
    {
    }

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &pal = option.palette;
        p->save();
        p->fillRect(option.rect, selected ? pal.highlight() : pal.base());
        p->setPen(selected ? pal.highlightedText().color() : pal.text().color());
        const QString text = index.data().toString();
        const QRect r = option.rect.adjusted(4, 0, -4, 0);
        const int tab = text.indexOf('\t');
        if (!Pretty || tab < 0) {
            QString plain = text;
            p->drawText(r, Qt::AlignVCenter | Qt::AlignLeft, plain.replace('\t', ' '));
        } else {
            QFont bold = option.font;
            bold.setBold(true);
            p->setFont(bold);
            const QRect first(r.left(), r.top(), ColumnWidth, r.height());
            p->drawText(first, Qt::AlignVCenter | Qt::AlignLeft,
                        QFontMetrics(bold).elidedText(text.left(tab), Qt::ElideRight, ColumnWidth));
            p->setFont(option.font);
            if (!selected) p->setPen(pal.color(QPalette::Disabled, QPalette::Text));
            const QRect second = r.adjusted(ColumnWidth + 6, 0, 0, 0);
            p->drawText(second, Qt::AlignVCenter | Qt::AlignLeft,
                        option.fontMetrics.elidedText(text.mid(tab + 1), Qt::ElideRight, second.width()));
        }
        p->restore();
    }

private:
    bool Pretty;
    int ColumnWidth;
};

// Letters (Latin-1 ones included), digits and "_": the word being typed is made of these, so a
// completion never swallows the punctuation of a command before the caret.
bool IsWordChar(char c)
{
    const uchar u = uchar(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
           (u >= 0xC0 && u != 0xD7 && u != 0xF7);
}

bool Holds(const AnsiString &chars, char c) { return c != '\0' && chars.find(c) != AnsiString::npos; }

// The single character a key press types, '\0' for none.
char TypedChar(const QKeyEvent *e)
{
    const QString text = e->text();
    if (text.size() != 1 || text[0].unicode() >= 256 || text[0].unicode() < 0x20) return '\0';
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return '\0';
    return char(text[0].unicode());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The attached pane

TSynCompletionEditor &TSynCompletionEditor::operator=(TSynMemo *memo)
{
    if (memo != Memo.data()) Owner->Attach(memo);
    return *this;
}

TSynCompletionProposal::TSynCompletionProposal()
{
    Timer.setSingleShot(true);
    connect(&Timer, &QTimer::timeout, this, [this] { ActivateCompletion(); });
}

TSynCompletionProposal::~TSynCompletionProposal()
{
    Detach();
    delete FormWindow.data();
}

void TSynCompletionProposal::Attach(TSynMemo *memo)
{
    Detach();
    Editor.Memo = memo;
    if (!memo) return;
    memo->installEventFilter(this);
    // A pane destroyed while the window is open takes the window with it.
    connect(memo, &TSynMemo::OnDestroying, this, [this] {
        Detach();
        CloseForm();
    });
}

void TSynCompletionProposal::Detach()
{
    Timer.stop();
    CancelCompletion();
    if (TSynMemo *old = Editor.Memo.data()) {
        old->removeEventFilter(this);
        disconnect(old, nullptr, this, nullptr);
    }
    Editor.Memo = nullptr;
}

void TSynCompletionProposal::ClearList()
{
    ItemList.Clear();
    InsertList.Clear();
}

void TSynCompletionProposal::ResetAssignedList()
{
    if (!Active()) return;
    if (ItemList.Count() == 0) return CancelCompletion();
    FillForm();
}

// ---------------------------------------------------------------------------------------------
// Keys and mouse of the pane

bool TSynCompletionProposal::IsShortCut(const QKeyEvent *e) const
{
    if (ShortCut.isEmpty()) return false;
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    return ShortCut[0] == QKeyCombination(mods, Qt::Key(e->key()));
}

bool TSynCompletionProposal::TakesKeyWhileOpen(const QKeyEvent *e) const
{
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        return IsShortCut(e);
    }
}

bool TSynCompletionProposal::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != Editor.Memo.data()) return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        auto *e = static_cast<QKeyEvent *>(event);
        // Keys of the popup come to the pane as key presses, not as shortcuts of other commands.
        if (IsShortCut(e) || (Active() && TakesKeyWhileOpen(e))) {
            e->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress:
        return HandleKey(static_cast<QKeyEvent *>(event));
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
        Timer.stop();
        CancelCompletion();
        return false;
    case QEvent::FocusOut:
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
            Timer.stop();
            CancelCompletion();
        }
        return false;
    default:
        return false;
    }
}

bool TSynCompletionProposal::HandleKey(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Shift || e->key() == Qt::Key_Control || e->key() == Qt::Key_Alt ||
        e->key() == Qt::Key_Meta || e->key() == Qt::Key_AltGr)
        return false;
    const char typed = TypedChar(e);
    if (Active()) {
        switch (e->key()) {
        case Qt::Key_Up: MoveSelection(-1); return true;
        case Qt::Key_Down: MoveSelection(1); return true;
        case Qt::Key_PageUp: MoveSelection(-std::max(1, NbLinesInWindow - 1)); return true;
        case Qt::Key_PageDown: MoveSelection(std::max(1, NbLinesInWindow - 1)); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: CompleteSelected(e->modifiers()); return true;
        case Qt::Key_Escape: CancelCompletion(); return true;
        default: break;
        }
        if (IsShortCut(e)) return true;
        if (HasOption(scoEndCharCompletion) && Holds(EndOfTokenChr, typed)) {
            // The entry goes in first; the character then follows it into the pane.
            CompleteSelected(e->modifiers(), typed);
        } else {
            QTimer::singleShot(0, this, [this] { FollowTyping(); });
        }
    } else if (IsShortCut(e)) {
        Timer.stop();
        ActivateCompletion();
        return true;
    }
    if (HasOption(scoUseBuiltInTimer) && TimerInterval > 0 && Holds(TriggerChars, typed))
        Timer.start(TimerInterval);
    else
        Timer.stop();
    return false;
}

// After a key that went on to the pane: the word being completed follows the caret, and the
// first entry that begins with it is selected; a caret that left the word closes the window.
void TSynCompletionProposal::FollowTyping()
{
    TSynMemo *memo = Editor;
    if (!Active()) return;
    if (!memo) return CancelCompletion();
    int start = 0;
    const AnsiString word = WordBeforeCaret(start);
    if (memo->CaretY() != WordLine || start != WordStartColumn) return CancelCompletion();
    CurrentWord = word;
    if (word.empty()) return;
    const bool caseSensitive = HasOption(scoCaseSensitive);
    for (int i = 0; i < ItemList.Count(); ++i) {
        const AnsiString value = ValueOf(i).substr(0, word.size());
        if (caseSensitive ? value == word : SameText(value, word)) return SetPosition(i);
    }
}

AnsiString TSynCompletionProposal::WordBeforeCaret(int &startColumn) const
{
    TSynMemo *memo = Editor;
    const int x = memo->CaretX();
    startColumn = x;
    const int lineIndex = memo->CaretY() - 1;
    if (lineIndex >= memo->Lines.Count()) return {};
    const AnsiString line = memo->Lines.Strings(lineIndex);
    if (size_t(x - 1) > line.size()) return {};   // the caret stands beyond the line end
    size_t start = size_t(x - 1);
    while (start > 0 && IsWordChar(line[start - 1]) && !Holds(EndOfTokenChr, line[start - 1])) --start;
    startColumn = int(start) + 1;
    return line.substr(start, size_t(x - 1) - start);
}

// ---------------------------------------------------------------------------------------------
// Opening, choosing, closing

bool TSynCompletionProposal::Active() const { return FormWindow && FormWindow->isVisible(); }

QWidget *TSynCompletionProposal::Form() const { return FormWindow.data(); }

int TSynCompletionProposal::Position() const { return Active() && List ? List->currentRow() : -1; }

void TSynCompletionProposal::SetPosition(int index)
{
    if (!List || ItemList.Count() == 0) return;
    index = std::clamp(index, 0, ItemList.Count() - 1);
    if (index == List->currentRow()) return;
    List->setCurrentRow(index);
    if (OnChange) OnChange(this, index);
}

void TSynCompletionProposal::MoveSelection(int delta) { SetPosition(std::max(0, Position()) + delta); }

void TSynCompletionProposal::ActivateCompletion()
{
    TSynMemo *memo = Editor;
    Timer.stop();
    if (!memo || !memo->isVisible()) return;
    CloseForm();
    CurrentWord = WordBeforeCaret(WordStartColumn);
    WordLine = memo->CaretY();
    const QPoint caret = memo->RowColumnToPixels(memo->CaretXY());
    const QPoint below = memo->mapToGlobal(QPoint(caret.x(), caret.y() + memo->LineHeight()));
    int x = below.x(), y = below.y();
    bool canExecute = true;
    if (OnExecute) OnExecute(DefaultType, this, CurrentWord, x, y, canExecute);
    if (!canExecute || ItemList.Count() == 0 || !Editor) return;
    if (OpenProposal && OpenProposal != this) OpenProposal->CancelCompletion();
    OpenProposal = this;
    CreateForm();
    FillForm();
    PlaceForm(x, y);
    FormWindow->show();
    FormWindow->raise();
}

void TSynCompletionProposal::CancelCompletion()
{
    if (!Active()) return;
    CloseForm();
    if (OnCancelled) OnCancelled(this);
}

void TSynCompletionProposal::CloseForm()
{
    if (FormWindow) FormWindow->hide();
}

AnsiString TSynCompletionProposal::ValueOf(int index) const
{
    if (HasOption(scoUseInsertList)) return index < InsertList.Count() ? InsertList[index] : AnsiString();
    const AnsiString &item = ItemList[index];
    return item.substr(0, item.find('\t'));
}

void TSynCompletionProposal::CompleteSelected(Qt::KeyboardModifiers shift, char endToken)
{
    if (!Active() || Completing) return;
    const int index = Position();
    TSynMemo *memo = Editor;
    if (index < 0 || !memo) return CancelCompletion();
    Completing = true;
    CloseForm();
    Timer.stop();
    AnsiString value = ValueOf(index);
    if (!memo->ReadOnly()) {
        // The handler's own changes and the inserted value are one undo step.
        memo->BeginUndoBlock();
        const TBufferCoord caret = memo->CaretXY();
        if (OnCodeCompletion) OnCodeCompletion(this, value, shift);
        const TSynSelectionMode mode = memo->SelectionMode();
        memo->SetSelectionMode(smNormal);
        memo->SetBlockBegin({std::min(WordStartColumn, caret.Char), caret.Line});
        memo->SetBlockEnd(caret);
        memo->SetSelText(value);
        memo->SetSelectionMode(mode);
        memo->EndUndoBlock();
    }
    Completing = false;
    if (OnAfterCodeCompletion) OnAfterCodeCompletion(this, value, shift, index, endToken);
}

// ---------------------------------------------------------------------------------------------
// The window

void TSynCompletionProposal::CreateForm()
{
    TSynMemo *memo = Editor;
    QWidget *owner = memo ? memo->window() : nullptr;
    if (FormWindow && FormWindow->parentWidget() == owner) return;
    delete FormWindow.data();
    Grip = nullptr;

    // A window that never takes the focus: the pane keeps it, and the keys the popup does not
    // take simply reach the pane.
    auto *frame = new QFrame(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    frame->setObjectName("SynCompletionForm");
    frame->setAttribute(Qt::WA_ShowWithoutActivating);
    frame->setFrameShape(QFrame::Box);
    frame->setFocusPolicy(Qt::NoFocus);
    frame->setPalette(QApplication::palette());
    frame->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    TitleLabel = new QLabel(frame);
    TitleLabel->setContentsMargins(4, 2, 4, 2);
    TitleLabel->setAutoFillBackground(true);
    TitleLabel->setBackgroundRole(QPalette::Button);
    layout->addWidget(TitleLabel);
    List = new QListWidget(frame);
    List->setFocusPolicy(Qt::NoFocus);
    List->setFrameShape(QFrame::NoFrame);
    List->setUniformItemSizes(true);
    List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(List, 1);
    if (Resizeable) {
        Grip = new QSizeGrip(frame);
        layout->addWidget(Grip, 0, Qt::AlignBottom | Qt::AlignRight);
    }
    connect(List, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        const int row = List->row(item);
        if (row >= 0 && OnChange) OnChange(this, row);
    });
    connect(List, &QListWidget::itemDoubleClicked, this, [this] { CompleteSelected(); });
    FormWindow = frame;
}

void TSynCompletionProposal::FillForm()
{
    QFont titleFont = TitleLabel->font();
    titleFont.setBold(TitleFontBold);
    TitleLabel->setFont(titleFont);
    TitleLabel->setText(ToQ(Title));
    TitleLabel->setAlignment(HasOption(scoTitleIsCentered) ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    TitleLabel->setVisible(!Title.empty());

    const int column = List->fontMetrics().horizontalAdvance(ToQ(BiggestWord)) + 8;
    delete List->itemDelegate();
    List->setItemDelegate(new TPrettyItemDelegate(List, HasOption(scoUsePrettyText), column));
    QStringList items;
    for (const AnsiString &item : ItemList) items << ToQ(item);
    List->clear();
    List->addItems(items);
    List->setCurrentRow(0);
}

int TSynCompletionProposal::RowHeight() const
{
    const int row = List->sizeHintForRow(0);
    return row > 0 ? row : List->fontMetrics().height() + 2;
}

void TSynCompletionProposal::PlaceForm(int x, int y)
{
    // The list shows the wanted number of rows; the title, the frame and the grip come on top.
    const int listHeight = RowHeight() * std::max(1, NbLinesInWindow) + 2 * List->frameWidth();
    List->setMinimumHeight(listHeight);
    const int column = List->fontMetrics().horizontalAdvance(ToQ(BiggestWord)) + 8;
    const QSize size(std::max(Width, column + 60), FormWindow->minimumSizeHint().height());
    List->setMinimumHeight(RowHeight());   // the user may make it smaller again
    FormWindow->resize(size);

    QRect place(QPoint(x, y), size);
    const TSynMemo *memo = Editor;
    if (const QScreen *screen = memo ? memo->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        // Above the caret line when there is no room below it.
        if (place.bottom() > area.bottom() && memo) place.moveBottom(y - memo->LineHeight() - 1);
        if (place.right() > area.right()) place.moveRight(area.right());
        if (place.left() < area.left()) place.moveLeft(area.left());
        if (place.top() < area.top()) place.moveTop(area.top());
    }
    FormWindow->move(place.topLeft());
}
