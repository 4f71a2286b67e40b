#include "script/VarMan.h"

#include "platform/Application.h"
#include "platform/Shell.h"
#include "platform/StatusBar.h"
#include "platform/ToolBar.h"
#include "script/InfoWindowParts.h"
#include "shell/DocumentCommands.h"
#include "shell/DocumentFiles.h"
#include "shell/DocumentIcons.h"
#include "shell/HeaderTags.h"
#include "shell/Main.h"
#include "shell/OperationStatusScope.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Progress steps: four per kind of an analysed document, 17 for a skipped table, one per kind for
// the intersections.
constexpr int StepsPerDocument = 24;
constexpr int StepsOfSkippedTable = 17;

const char *const StepTexts[] = {"Optimization values (step 1)...", "Optimization values (step 2)...",
                                 "Optimization values (step 3)..."};

QIcon SortedColumnIcon() { return QApplication::style()->standardIcon(QStyle::SP_ArrowUp); }

AnsiString NoneWhenEmpty(const AnsiString &text) { return text.empty() ? AnsiString("none") : text; }

AnsiString Text(const QTreeWidgetItem *item, int column) { return FromQ(item->text(column)); }

// Each column as wide as given, or as its caption needs with the sort image beside it (any
// column can be sorted by); the list is at least as wide as its columns.
void FitColumnsToCaptions(QTreeWidget *list)
{
    const int widths[] = {70, 150, 150, 150};
    for (int c = 0; c < 4; ++c) list->headerItem()->setIcon(c, SortedColumnIcon());
    int total = 0;
    for (int c = 0; c < 4; ++c) {
        const int width = std::max(widths[c], list->header()->sectionSizeHint(c));
        list->setColumnWidth(c, width);
        total += width;
    }
    for (int c = 0; c < 4; ++c) list->headerItem()->setIcon(c, QIcon());
    list->setMinimumWidth(total + 2 * list->frameWidth() +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list));
}

} // namespace

TVarManForm::TVarManForm(QWidget *owner) : QDialog(owner)
{
    setObjectName("VarManForm");
    setWindowTitle("Analyzer");
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    PageControl1 = new QTabWidget(this);
    for (int k = 0; k < AnalyzerKindCount; ++k) {
        TabSheets[k] = new QWidget;
        auto *page = new QVBoxLayout(TabSheets[k]);
        page->setContentsMargins(0, 0, 0, 0);
        ListViews[k] = CreateList(k);
        page->addWidget(ListViews[k]);
        PageControl1->addTab(TabSheets[k], AnalyzerKinds[size_t(k)].PageCaption);
    }
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) { TabSheetEnter(page); });
    ListViews[5]->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListViews[5], &QWidget::customContextMenuRequested, this, [this] { TabSheet6ContextPopup(); });

    ToolBar1 = new TToolBar(this);
    ToolBar1->SetShowCaptions(true);
    ToolButton1 = ToolBar1->AddButton("Ok", "Close window (Esc)", [this] { ToolButton1Click(); });
    ToolButton2 = ToolBar1->AddButton("Copy", "Copy information to clipboard", [this] { ToolButton2Click(); });
    ToolButton15 = ToolBar1->AddButton("Help", "Get help about this window (F1)", [this] { ToolButton15Click(); });

    StatusBar1 = new TStatusBar(this);
    StatusBar1->Panels.Add(4);
    StatusBar1->Panels.Add(50);

    StackOverToolBar(this, PageControl1, ToolBar1)->addWidget(StatusBar1);
    FormCreate();
}

QTreeWidget *TVarManForm::CreateList(int kind)
{
    const AnalyzerKind &k = AnalyzerKinds[size_t(kind)];
    auto *list = new QTreeWidget;
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setColumnCount(4);
    list->setHeaderLabels({"# / ID", "Document name", k.ItemCaption, k.IntersectionCaption});
    FitColumnsToCaptions(list);
    list->headerItem()->setIcon(colId, SortedColumnIcon());
    list->header()->setSectionsClickable(true);
    connect(list->header(), &QHeaderView::sectionClicked, this,
            [this, list](int column) { ListView1ColumnClick(list, column); });
    connect(list, &QTreeWidget::currentItemChanged, this,
            [this, list](QTreeWidgetItem *item) { ListView1SelectItem(list, item); });
    return list;
}

void TVarManForm::FormCreate()
{
    resize(QSize(480, 350).expandedTo(minimumSizeHint()));
    if (MainForm) Analyze(MainForm);
}

void TVarManForm::Analyze(TMainForm *mainForm)
{
    const int count = mainForm->MDIChildCount();
    if (count == 0) return;
    TOperationStatusScope restoreStatus(mainForm, ScreenWidth());
    mainForm->StatusBar1->Panels[0].SetWidth(150);
    mainForm->StatusBar1->Panels[1].SetText("");
    Application->ProcessMessages();
    mainForm->BeginOperationProgress((long long)StepsPerDocument * count + 5);

    for (int i = 0; i < count; ++i) {
        auto *window = qobject_cast<TForm_Editor *>(mainForm->MDIChildren(i));
        if (!window) continue;
        if (window->Memo1->isHidden()) {
            for (int s = 0; s < StepsOfSkippedTable; ++s) mainForm->StepOperationProgress();
            continue;
        }
        AnalyzeDocument(mainForm, window);
    }
    for (int k = 0; k < AnalyzerKindCount; ++k) FindKindIntersections(mainForm, k);

    mainForm->ShowOperationStatus("Done!");
    Application->ProcessMessages();
}

// Every step sets its text; the status bar is repainted a few times a second, as a repaint also
// paints the document windows, and 50 scripts take 1,200 steps.
void TVarManForm::ShowStatus(TMainForm *mainForm, const AnsiString &text)
{
    mainForm->StatusBar1->Panels[1].SetText(text);
    if (SinceStatusRepaint.isValid() && SinceStatusRepaint.elapsed() < 40) return;
    mainForm->StatusBar1->repaint();
    SinceStatusRepaint.start();
}

void TVarManForm::AnalyzeDocument(TMainForm *mainForm, TForm_Editor *window)
{
    TStringList lines;
    window->Memo1->Lines.AssignTo(lines);
    const QIcon icon = DocumentIcon(window->DocumentKind == TXT_Document ? 1 : 0);
    for (int k = 0; k < AnalyzerKindCount; ++k) {
        const AnalyzerKind &kind = AnalyzerKinds[size_t(k)];
        QTreeWidget *list = ListViews[k];
        ShowStatus(mainForm, kind.ReadingText);
        auto *row = new QTreeWidgetItem(list);
        row->setText(colId, ToQ(IntToStr(list->topLevelItemCount()) + " / " + IntToStr(window->Tag)));
        if (window->DocumentKind == KAS_Document || window->DocumentKind == TXT_Document) row->setIcon(colId, icon);
        row->setText(colDocument, ToQPath(window->Caption()));
        AnsiString value = HeaderTagValue(lines, kind.Tag);
        mainForm->StepOperationProgress();

        ShowStatus(mainForm, StepTexts[0]);
        value = RemoveBlanks(value);
        mainForm->StepOperationProgress();
        ShowStatus(mainForm, StepTexts[1]);
        value = SortAndExpandItems(value, kind);
        mainForm->StepOperationProgress();
        ShowStatus(mainForm, StepTexts[2]);
        row->setText(colItems, ToQ(FinalItems(value, kind)));
        row->setText(colIntersection, "");
        mainForm->StepOperationProgress();
    }
}

void TVarManForm::FindKindIntersections(TMainForm *mainForm, int kind)
{
    ShowStatus(mainForm, AnalyzerKinds[size_t(kind)].IntersectionText);
    mainForm->StepOperationProgress();
    QTreeWidget *list = ListViews[kind];
    if (list->topLevelItemCount() < 2) return;
    std::vector<AnsiString> items;
    items.reserve(size_t(list->topLevelItemCount()));
    for (int i = 0; i < list->topLevelItemCount(); ++i) items.push_back(Text(list->topLevelItem(i), colItems));
    const std::vector<AnsiString> shared = FindIntersections(items);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setText(colIntersection, ToQ(shared[size_t(i)]));
}

void TVarManForm::ListView1SelectItem(QTreeWidget *list, QTreeWidgetItem *item)
{
    if (!item || !isVisible()) return;
    StatusBar1->Panels[1].SetText("\"" + Text(item, colDocument) + "\": " + NoneWhenEmpty(Text(item, colItems)) +
                                  " >> " + NoneWhenEmpty(Text(item, colIntersection)));
}

void TVarManForm::TabSheetEnter(int page)
{
    if (page < 0 || page >= AnalyzerKindCount) return;
    const QTreeWidgetItem *item = ListViews[page]->currentItem();
    if (!item || !item->isSelected()) {
        StatusBar1->Panels[1].SetText("");
        return;
    }
    StatusBar1->Panels[1].SetText("\"" + Text(item, colDocument) + "\": " + Text(item, colItems));
}

void TVarManForm::TabSheet6ContextPopup() { TabSheetEnter(5); }

void TVarManForm::ListView1ColumnClick(QTreeWidget *list, int column)
{
    list->setProperty("Tag", column);
    std::vector<QTreeWidgetItem *> rows;
    while (list->topLevelItemCount() > 0) rows.push_back(list->takeTopLevelItem(0));
    std::stable_sort(rows.begin(), rows.end(), [column](const QTreeWidgetItem *a, const QTreeWidgetItem *b) {
        return AnsiCompareText(Text(a, column), Text(b, column)) < 0;
    });
    for (QTreeWidgetItem *row : rows) list->addTopLevelItem(row);
    for (int c = 0; c < list->columnCount(); ++c)
        list->headerItem()->setIcon(c, c == column ? SortedColumnIcon() : QIcon());
}

AnsiString TVarManForm::CopyText() const
{
    std::array<std::vector<AnalyzerRow>, AnalyzerKindCount> rows;
    for (int k = 0; k < AnalyzerKindCount; ++k)
        for (int i = 0; i < ListViews[k]->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = ListViews[k]->topLevelItem(i);
            rows[size_t(k)].push_back({Text(item, colDocument), Text(item, colItems), Text(item, colIntersection)});
        }
    return AnalyzerReportText(rows);
}

void TVarManForm::ToolButton1Click() { close(); }

void TVarManForm::ToolButton2Click() { QGuiApplication::clipboard()->setText(ToQ(CopyText())); }

void TVarManForm::ToolButton15Click()
{
    ShowContextHelp(117);
}

bool TVarManForm::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape) {
        close();
        return true;
    }
    if (key == Qt::Key_F1) {
        ToolButton15Click();
        return true;
    }
    return false;
}

void TVarManForm::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier && FormKeyDown(event->key())) return;
    QDialog::keyPressEvent(event);
}
