#include "shell/LayoutTestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemDelegate>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

namespace {

// Controls keep this much room to the window's edges.
constexpr int EdgeRoom = 4;

// The object name; for a button without one its caption, else the class name.
QString Name(const QWidget *w)
{
    if (!w->objectName().isEmpty()) return w->objectName();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w); button && !button->text().isEmpty())
        return button->text();
    return QString::fromLatin1(w->metaObject()->className());
}

using Faults = std::vector<std::string>;

// Adds one fault: the control, its text and what is wrong.
Faults &operator<<(Faults &faults, const QString &fault)
{
    faults.push_back(fault.toStdString());
    return faults;
}

QString Describe(const QWidget *w, const QString &text, const QString &fault)
{
    return QStringLiteral("%1 \"%2\": %3").arg(Name(w), text, fault);
}

QString Size(QSize s) { return QStringLiteral("%1x%2").arg(s.width()).arg(s.height()); }

bool Shown(const QWidget *w, const QWidget *window) { return w->isVisible() && w->isVisibleTo(window); }

// The widget lies wholly inside each of its parents up to the window.
bool WhollyInside(const QWidget *w, const QWidget *window)
{
    QRect r = w->rect();
    for (const QWidget *at = w; at && at != window; at = at->parentWidget()) {
        r.translate(at->pos());
        const QWidget *parent = at->parentWidget();
        if (!parent) break;
        if (!parent->rect().contains(r)) return false;
    }
    return true;
}

int MnemonicTextWidth(const QWidget *w, const QString &text)
{
    return w->fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

void CheckLabel(const QLabel *label, Faults &faults)
{
    if (label->text().isEmpty() || label->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) return;
    const QSize need = label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : label->sizeHint();
    if (need.width() > label->width() || need.height() > label->height())
        faults << Describe(label, label->text(), "needs " + Size(need) + ", has " + Size(label->size()));
}

void CheckButton(const QAbstractButton *button, Faults &faults)
{
    if (button->text().isEmpty()) return;
    int need = 0, room = 0;
    if (const auto *push = qobject_cast<const QPushButton *>(button)) {
        QStyleOptionButton option;
        option.initFrom(push);
        option.text = push->text();
        option.icon = push->icon();
        option.iconSize = push->iconSize();
        room = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push).width();
        need = MnemonicTextWidth(push, push->text()) + (push->icon().isNull() ? 0 : push->iconSize().width() + 4);
    } else {
        need = button->sizeHint().width();
        room = button->width();
    }
    const int needHeight = button->fontMetrics().height();
    if (need > room || needHeight > button->height())
        faults << Describe(button, button->text(),
                           QStringLiteral("needs %1 wide, has %2 (height %3 of %4)")
                               .arg(need).arg(room).arg(button->height()).arg(needHeight));
}

void CheckGroupBox(const QGroupBox *group, const QWidget *window, Faults &faults)
{
    if (group->minimumSizeHint().width() > group->width())
        faults << Describe(group, group->title(),
                           QStringLiteral("needs %1 wide, has %2").arg(group->minimumSizeHint().width()).arg(group->width()));
    const QRect r(group->mapTo(window, QPoint()), group->size());
    const QRect inner = window->rect().adjusted(EdgeRoom, EdgeRoom, -EdgeRoom, -EdgeRoom);
    if (!inner.contains(r)) faults << Describe(group, group->title(), "touches the window's edge");
}

// Every section whole and in view, as wide as its caption needs.
void CheckHeader(const QHeaderView *header, Faults &faults)
{
    if (header->orientation() != Qt::Horizontal) return;
    const QAbstractItemModel *model = header->model();
    if (!model) return;
    for (int i = 0; i < header->count(); ++i) {
        if (header->isSectionHidden(i)) continue;
        const QString caption = model->headerData(i, Qt::Horizontal).toString();
        const int left = header->sectionViewportPosition(i), width = header->sectionSize(i);
        if (left < 0 || left + width > header->viewport()->width())
            faults << Describe(header, caption, "column out of view");
        else if (header->sectionSizeHint(i) > width)
            faults << Describe(header, caption,
                               QStringLiteral("needs %1 wide, has %2").arg(header->sectionSizeHint(i)).arg(width));
    }
}

// The options the view gives its items, as far as their size depends on them.
QStyleOptionViewItem ItemOption(const QListView *view)
{
    QStyleOptionViewItem option;
    option.initFrom(view->viewport());
    option.font = view->font();
    option.fontMetrics = view->fontMetrics();
    const bool icons = view->viewMode() == QListView::IconMode;
    const int metric = icons ? QStyle::PM_IconViewIconSize : QStyle::PM_ListViewIconSize;
    option.decorationSize = view->iconSize().isValid() ? view->iconSize()
                                                       : QSize(view->style()->pixelMetric(QStyle::PixelMetric(metric)),
                                                               view->style()->pixelMetric(QStyle::PixelMetric(metric)));
    option.decorationPosition = icons ? QStyleOptionViewItem::Top : QStyleOptionViewItem::Left;
    option.displayAlignment = icons ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
    option.textElideMode = view->textElideMode();
    if (view->wordWrap()) option.features |= QStyleOptionViewItem::WrapText;
    if (view->gridSize().isValid()) option.rect.setSize(view->gridSize());
    return option;
}

// Every item in view without scrolling, and as large as its text needs.
void CheckListItems(const QListView *view, Faults &faults)
{
    const QAbstractItemModel *model = view->model();
    if (!model) return;
    const QRect viewport = view->viewport()->rect();
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
        if (view->isRowHidden(row)) continue;
        const QModelIndex index = model->index(row, view->modelColumn(), view->rootIndex());
        const QString text = index.data().toString();
        const QRect rect = view->visualRect(index);
        if (!viewport.contains(rect)) {
            faults << Describe(view, text, "item out of view");
            continue;
        }
        QStyleOptionViewItem option = ItemOption(view);
        if (!option.rect.isValid()) option.rect = rect;
        const QSize need = view->itemDelegateForIndex(index)->sizeHint(option, index);
        if (need.width() > rect.width() || need.height() > rect.height())
            faults << Describe(view, text, "needs " + Size(need) + ", has " + Size(rect.size()));
    }
}

void CheckTabBar(const QTabBar *bar, Faults &faults)
{
    for (const QToolButton *scroll : bar->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly))
        if (scroll->isVisible()) faults << Describe(bar, bar->tabText(0), "tabs need scrolling");
    for (int i = 0; i < bar->count(); ++i) {
        const QRect tab = bar->tabRect(i);
        if (!bar->rect().contains(tab) || tab.width() < MnemonicTextWidth(bar, bar->tabText(i)) + 8)
            faults << Describe(bar, bar->tabText(i), "tab cut");
    }
}

void CheckToolBar(const QToolBar *bar, Faults &faults)
{
    for (const QToolButton *b : bar->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly))
        if (b->objectName() == "qt_toolbar_ext_button" && b->isVisible())
            faults << Describe(bar, "", "hides buttons behind its extension");
}

void CheckReadOnlyText(const QAbstractScrollArea *area, Faults &faults)
{
    if (area->horizontalScrollBar()->maximum() > 0) faults << Describe(area, "", "needs side-scrolling");
}

} // namespace

void ShowActive(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window, 2000);
    QApplication::processEvents();
}

std::vector<std::string> ClippedTexts(QWidget *window)
{
    Faults faults;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!Shown(w, window)) continue;
        if (auto *label = qobject_cast<QLabel *>(w)) CheckLabel(label, faults);
        else if (auto *button = qobject_cast<QAbstractButton *>(w)) CheckButton(button, faults);
        else if (auto *group = qobject_cast<QGroupBox *>(w)) CheckGroupBox(group, window, faults);
        else if (auto *header = qobject_cast<QHeaderView *>(w)) CheckHeader(header, faults);
        else if (auto *list = qobject_cast<QListView *>(w)) CheckListItems(list, faults);
        else if (auto *tabs = qobject_cast<QTabBar *>(w)) CheckTabBar(tabs, faults);
        else if (auto *bar = qobject_cast<QToolBar *>(w)) CheckToolBar(bar, faults);
        if (auto *plain = qobject_cast<QPlainTextEdit *>(w); plain && plain->isReadOnly()) CheckReadOnlyText(plain, faults);
        if (auto *rich = qobject_cast<QTextEdit *>(w); rich && rich->isReadOnly()) CheckReadOnlyText(rich, faults);
        const bool control = qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w) ||
                             qobject_cast<QGroupBox *>(w) || qobject_cast<QComboBox *>(w);
        if (control && !WhollyInside(w, window)) faults << Describe(w, "", "reaches past its window");
    }
    return faults;
}

std::string FocusedField()
{
    const QWidget *w = QApplication::focusWidget();
    if (!w) return "<none>";
    if (const auto *combo = qobject_cast<const QComboBox *>(w->parentWidget())) w = combo;
    return Name(w).toStdString();
}

std::vector<std::string> TabChain(QWidget *window, int maxSteps)
{
    std::vector<std::string> chain;
    const QWidget *start = QApplication::focusWidget();
    for (int i = 0; i < maxSteps; ++i) {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window, Qt::Key_Tab);
        QWidget *now = QApplication::focusWidget();
        if (now == start) break;
        if (now && now == focus) {
            chain.push_back(FocusedField() + " keeps the focus");
            break;
        }
        chain.push_back(FocusedField());
    }
    return chain;
}
