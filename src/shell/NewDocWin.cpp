#include "shell/NewDocWin.h"

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/DocumentFiles.h"
#include "shell/DocumentIcons.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

struct StandardEntry
{
    const char *Caption;
    const char *Kind;
    int Icon;
    const char *Description;
};
const StandardEntry StandardEntries[TNewDocForm::StandardEntryCount] = {
    {"KAS Document", KAS_Document, 0,
     "Keyed Action Script script (*.KAS).\r\nExternal file containing KAS scripting code for use with Qalify "
     "(script##.kas) or with a specific map (mapname.kas)."},
    {"Text Document", TXT_Document, 1, "Plane text or text table (*.TXT)."},
    {"CMD Document", CMD_Document, 2, "CMD document (*.CMD). Simple table."},
    {"KAO Document", KAO_Document, 6,
     "KAO document (*.KAO).\r\nTab-delineated setup file for including a Qalify script option in the Qalify "
     "Options Dialogue box."},
    {"KAT Document", KAT_Document, 7,
     "KAT document (*.KAT).\r\nTab-delineated file with initialization of static extra Z variables."},
};

const char *const KaoDescriptionTail =
    "\r\nTab-delineated setup file for including a Qalify script option in the Qalify Options Dialogue box.";
const char *const KatDescriptionTail = "\r\nTab-delineated file with initialization of static extra Z variables.";

constexpr int CompanionRole = Qt::UserRole;
constexpr int DescriptionRole = Qt::UserRole + 1;

// The seeds of new companion tables: one empty row of 11 (KAO) or 3 (KAT) cells.
const char *const KaoSeed = "\t\t\t\t\t\t\t\t\t\t\r\n";
const char *const KatSeed = "\t\t\r\n";

// The picture of a favourite's row, by the first kind name its kind text holds.
QIcon FavouriteIcon(const AnsiString &kindText)
{
    const struct
    {
        const char *Part;
        int Icon;
    } icons[] = {{"KAS", 0}, {"TXT", 1}, {"LOG", 1}, {"KAO", 6}, {"KAT", 7}, {"CMD", 2}};
    for (const auto &i : icons)
        if (kindText.find(i.Part) != AnsiString::npos) return DocumentIcon(i.Icon);
    return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

// A favourite's row: its picture in an 18 x 18 cell on the tip colour, the file name behind it.
class FavouriteRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        const QIcon icon = row.icon;
        row.icon = QIcon();
        row.text.clear();
        const QWidget *view = option.widget;
        QStyle *style = view ? view->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, view);
        const QRect cell(option.rect.left() + 2, option.rect.top() + 1, 18, 18);
        painter->fillRect(cell, option.palette.color(QPalette::ToolTipBase));
        icon.paint(painter, cell.adjusted(1, 1, -1, -1));
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                   : QPalette::Text));
        painter->drawText(option.rect.adjusted(40, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width() + 40, 20};
    }
};

bool IsOneOfTheKinds(const AnsiString &kind)
{
    return IsTextKind(kind) || IsTableKind(kind);
}

// The icon view of the document types. Its cells grow with the captions (a companion's caption
// holds the script's file name), and the view is large enough to show every entry, three to a
// row, without scrolling.
class TDocumentTypeView : public QListWidget
{
public:
    using QListWidget::QListWidget;

protected:
    void rowsInserted(const QModelIndex &parent, int start, int end) override
    {
        QListWidget::rowsInserted(parent, start, end);
        FitCellsToCaptions();
    }

private:
    static constexpr int Columns = 3;
    static constexpr int MinCellWidth = 112;
    // A file name longer than this is shortened in its cell; the description shows it whole.
    static constexpr int MaxCellWidth = 240;
    static constexpr int CellRoom = 12;   // between neighbouring cells

    void FitCellsToCaptions()
    {
        // As wide as the widest word, so that wrapping never cuts one.
        int width = MinCellWidth;
        for (int i = 0; i < count(); ++i)
            for (const QString &word : item(i)->text().split(' ', Qt::SkipEmptyParts))
                width = std::max(width, fontMetrics().horizontalAdvance(word) + CellRoom);
        width = std::min(width, MaxCellWidth);
        setGridSize(QSize(width, QWIDGETSIZE_MAX));
        QStyleOptionViewItem option;
        initViewItemOption(&option);   // the options the view measures its items with
        int height = 0;
        for (int i = 0; i < count(); ++i)
            height = std::max(height, itemDelegate()->sizeHint(option, indexFromItem(item(i))).height());
        setGridSize(QSize(width, height + CellRoom));
        const int rows = (count() + Columns - 1) / Columns;
        // The icon layout starts a new row where a cell would touch the view's right edge; room
        // for a scroll bar keeps three to a row even in a view that is a little short.
        const int frames = 2 * frameWidth() + 2 * spacing() + 2;
        setMinimumSize(Columns * gridSize().width() + frames + style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                       rows * gridSize().height() + frames);
        // Before the dialog is first shown, the layouts around the view do not hear of its new
        // minimum size by themselves.
        for (QWidget *w = this; w; w = w->parentWidget()) {
            w->updateGeometry();
            if (w->layout()) w->layout()->invalidate();
        }
    }
};

constexpr int FirstWidth = 400, FirstHeight = 380;
// The description label is narrower than the dialog by the frames of the page and its group.
constexpr int DescriptionFrames = 48;

} // namespace

void WriteCompanionSeed(const AnsiString &path, const AnsiString &seed, int sourceLine, const AnsiString &caption)
{
    QFile file(ToQPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        MessageBox(ApplicationWindow(), "Error at creating the file \"" + PathInMessage(path) + "\"!", "Quillet", MB_OK | MB_ICONERROR);
        return;
    }
    const qint64 written = std::max<qint64>(0, file.write(seed.data(), qint64(seed.size())));
    const bool flushed = file.flush();
    file.close();
    const qint64 reached = flushed ? written : 0;
    if (reached != qint64(seed.size()))
        MessageBox(ApplicationWindow(),
                   "Error writing to the file (" + IntToStr((long long)seed.size()) + "/" + IntToStr(reached) +
                       "); file: \"NewDocWin\", line: " + IntToStr(sourceLine) + ".",
                   caption, MB_OK | MB_ICONWARNING);
}

TNewDocForm::TNewDocForm(TMainForm *owner) : QDialog(owner), Main(owner)
{
    setObjectName("NewDocForm");
    setWindowTitle("New document / Favourites");

    ToolBar1 = DialogToolBar(this);
    ToolButton1 = DialogButton(ToolBar1, "Select", "Select this document type  or favourite document (Enter)",
                               QStyle::SP_DialogOkButton);
    ToolButton2 = DialogButton(ToolBar1, "Close", "Close dialogue (Esc)", QStyle::SP_DialogCloseButton);
    ToolButton3 = DialogButton(ToolBar1, "Help", "Get help about this window (F1)", QStyle::SP_DialogHelpButton);
    ToolButton1->OnClick = [this] { ToolButton1Click(); };
    ToolButton2->OnClick = [this] { ToolButton2Click(); };
    ToolButton3->OnClick = [this] { ToolButton3Click(); };

    PageControl1 = new QTabWidget(this);
    auto *newPage = new QWidget;
    auto *typeGroup = new QGroupBox(" Document type ", newPage);
    ListView1 = new TDocumentTypeView(typeGroup);
    ListView1->setObjectName("ListView1");
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setIconSize(QSize(32, 32));
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setMovement(QListView::Static);
    ListView1->setWordWrap(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    (new QVBoxLayout(typeGroup))->addWidget(ListView1);
    auto *descriptionGroup = new QGroupBox(" Description ", newPage);
    Label1 = new QLabel(descriptionGroup);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    (new QVBoxLayout(descriptionGroup))->addWidget(Label1);
    auto *newLayout = new QVBoxLayout(newPage);
    newLayout->addWidget(typeGroup, 1);
    newLayout->addWidget(descriptionGroup);
    PageControl1->addTab(newPage, "New document");

    auto *favouritesPage = new QWidget;
    ListBox1 = new QListWidget(favouritesPage);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setIconSize(QSize(16, 16));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setItemDelegate(new FavouriteRowDelegate(ListBox1));
    auto *favouritesBar = DialogToolBar(favouritesPage);
    ToolButton5 = DialogButton(favouritesBar, "Delete", "Delete item", QStyle::SP_TrashIcon);
    ToolButton5->OnClick = [this] { ToolButton5Click(); };
    Label3 = new QLabel("Details:", favouritesPage);
    Label4 = new QLabel(favouritesPage);
    Label4->setMinimumWidth(10);
    Label4->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *favouritesLayout = new QVBoxLayout(favouritesPage);
    favouritesLayout->addWidget(favouritesBar);
    favouritesLayout->addWidget(ListBox1, 1);
    favouritesLayout->addWidget(Label3);
    favouritesLayout->addWidget(Label4);
    PageControl1->addTab(favouritesPage, "Favourites");

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ToolBar1);
    layout->addWidget(PageControl1, 1);

    connect(ListView1, &QListWidget::itemSelectionChanged, this, [this] { ListView1SelectItem(); });
    connect(ListView1, &QListWidget::itemDoubleClicked, this, [this] { ToolButton1Click(); });
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ToolButton1Click(); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
    FormCreate();
}

TNewDocForm::~TNewDocForm() = default;

void TNewDocForm::FormCreate()
{
    ListView1->clear();
    for (const StandardEntry &e : StandardEntries) {
        auto *item = new QListWidgetItem(DocumentIcon(e.Icon), e.Caption, ListView1);
        item->setData(CompanionRole, int(cmNone));
        item->setData(DescriptionRole, ToQ(e.Description));
    }
    AddCompanionEntry(cmKAO);
    AddCompanionEntry(cmKAT);

    Favourites.SetText(ReadFavouritesText());
    FillFavourites();
    ToolButton1->SetEnabled(false);
    ToolButton5->SetEnabled(false);
    PageControl1->setCurrentIndex(0);
    FitToEntries();
}

// 400 x 380, or larger where the entries or their descriptions need it.
void TNewDocForm::FitToEntries()
{
    const int width = std::max(FirstWidth, minimumSizeHint().width());
    const QRect room(0, 0, width - DescriptionFrames, QWIDGETSIZE_MAX);
    int height = 0;
    for (int i = 0; i < ListView1->count(); ++i) {
        const QString description = ListView1->item(i)->data(DescriptionRole).toString().replace("\r\n", "\n");
        height = std::max(height, Label1->fontMetrics().boundingRect(room, Qt::TextWordWrap, description).height());
    }
    Label1->setMinimumHeight(height);
    resize(width, std::max(FirstHeight, minimumSizeHint().height()));
}

// The open script whose companions the dialog offers; nullptr when the active document is none.
static TForm_Editor *ActiveScriptWithFile(TMainForm *main)
{
    TForm_Editor *editor = main->ActiveEditor();
    if (!editor || editor->DocumentKind != KAS_Document || !FileExists(editor->Caption())) return nullptr;
    return editor;
}

static bool DocumentIsOpen(TMainForm *main, const AnsiString &caption)
{
    return main->FindDocumentWindow(caption) != nullptr;
}

bool TNewDocForm::CompanionStillOffered(TCompanion companion) const
{
    TForm_Editor *script = ActiveScriptWithFile(Main);
    if (!script) return false;
    return !DocumentIsOpen(Main, CompanionPath(script->Caption(), companion == cmKAO ? ".kao" : ".kat"));
}

void TNewDocForm::AddCompanionEntry(TCompanion companion)
{
    TForm_Editor *script = ActiveScriptWithFile(Main);
    if (!script || !CompanionStillOffered(companion)) return;
    const AnsiString caption = (companion == cmKAO ? "KAO" : "KAT") + AnsiString(" document for \"") +
                               ExtractFileName(script->Caption()) + "\" script.";
    auto *item = new QListWidgetItem(DocumentIcon(companion == cmKAO ? 6 : 7), ToQ(caption), ListView1);
    item->setData(CompanionRole, int(companion));
    item->setToolTip(ToQ(caption));
    item->setData(DescriptionRole, ToQ(caption + (companion == cmKAO ? KaoDescriptionTail : KatDescriptionTail)));
}

TNewDocForm::TCompanion TNewDocForm::CompanionOfEntry(int row) const
{
    const QListWidgetItem *item = ListView1->item(row);
    return item ? TCompanion(item->data(CompanionRole).toInt()) : cmNone;
}

void TNewDocForm::FillFavourites()
{
    ListBox1->clear();
    for (int i = 0; i < Favourites.Count(); ++i) {
        const AnsiString line = Favourites[i];
        const Favourite f = SplitFavourite(line);
        const AnsiString name = FavouriteDisplayName(f.Path);
        const AnsiString kindText = IsOneOfTheKinds(f.Kind) ? f.Kind : AnsiUpperCase(ExtractFileExt(name));
        auto *item = new QListWidgetItem(FavouriteIcon(kindText), ToQPath(name), ListBox1);
        item->setToolTip(ToQPath(f.Path));
    }
}

void TNewDocForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TNewDocForm::FormShow()
{
    if (ListView1->count() == 0) return;
    ListView1->setCurrentRow(0);
    ListView1->item(0)->setSelected(true);
    ListView1->setFocus();
}

void TNewDocForm::ListView1SelectItem()
{
    const QList<QListWidgetItem *> selected = ListView1->selectedItems();
    if (selected.isEmpty()) {
        if (PageControl1->currentIndex() == 0) ToolButton1->SetEnabled(false);
        return;
    }
    ToolButton1->SetEnabled(true);
    const int row = ListView1->row(selected.first());
    const TCompanion companion = CompanionOfEntry(row);
    if (companion == cmNone || CompanionStillOffered(companion))
        Label1->setText(selected.first()->data(DescriptionRole).toString());
    else
        Label1->clear();
}

void TNewDocForm::PageControl1Change()
{
    if (PageControl1->currentIndex() == 0) {
        ToolButton1->SetEnabled(!ListView1->selectedItems().isEmpty());
    } else {
        const bool any = !ListBox1->selectedItems().isEmpty();
        ToolButton1->SetEnabled(any);
        ToolButton5->SetEnabled(any);
    }
}

void TNewDocForm::ListBox1Click()
{
    const bool any = !ListBox1->selectedItems().isEmpty();
    ToolButton1->SetEnabled(any);
    ToolButton5->SetEnabled(any);
    const int row = ListBox1->currentRow();
    if (!any || row < 0 || row >= Favourites.Count()) return;
    const QString line = ToQPath(Favourites[row]);
    Label4->setText(Label4->fontMetrics().elidedText(line, Qt::ElideMiddle, std::max(40, Label4->width())));
    Label4->setToolTip(line);
}

void TNewDocForm::ToolButton1Click()
{
    ToolButton1->SetEnabled(false);
    Application->ProcessMessages();
    if (PageControl1->currentIndex() == 0) {
        const QList<QListWidgetItem *> selected = ListView1->selectedItems();
        if (!selected.isEmpty()) {
            const int row = ListView1->row(selected.first());
            if (row < StandardEntryCount)
                Main->OpenDocument("Document_" + IntToStr(Main->DocumentWindowCounter), StandardEntries[row].Kind);
            else
                CreateCompanion(CompanionOfEntry(row));
        }
    } else {
        OpenSelectedFavourites();
    }
    close();
}

void TNewDocForm::CreateCompanion(TCompanion companion)
{
    TForm_Editor *script = ActiveScriptWithFile(Main);
    if (!script || companion == cmNone) return;
    const bool kao = companion == cmKAO;
    const AnsiString name = CompanionPath(script->Caption(), kao ? ".kao" : ".kat");
    if (!FileExists(name)) WriteCompanionSeed(name, kao ? KaoSeed : KatSeed, kao ? 127 : 161, FromQ(windowTitle()));
    Main->OpenDocument(name, kao ? KAO_Document : KAT_Document);
}

void TNewDocForm::OpenSelectedFavourites()
{
    for (int i = 0; i < ListBox1->count() && i < Favourites.Count(); ++i) {
        QListWidgetItem *item = ListBox1->item(i);
        if (!item->isSelected()) continue;
        const Favourite f = SplitFavourite(Favourites[i]);
        if (!FileExists(f.Path)) continue;   // a vanished favourite stays selected
        const AnsiString kind = FavouriteOpeningKind(f);
        if (!kind.empty()) Main->OpenDocument(f.Path, kind);
        Main->LastWorkDir = FolderOfFile(f.Path);
        item->setSelected(false);
    }
}

void TNewDocForm::ToolButton2Click() { close(); }

void TNewDocForm::ToolButton3Click() { ShowContextHelp(111); }

void TNewDocForm::ToolButton5Click()
{
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= Favourites.Count()) return;
    Favourites.Delete(row);
    FillFavourites();
    WriteFavouritesText(Favourites.Text());
    Label4->clear();
    ListBox1Click();
}

void TNewDocForm::keyPressEvent(QKeyEvent *event)
{
    const bool handled = RunDialogKey(
        event->key(), [this] { if (ToolButton1->isEnabled()) ToolButton1Click(); }, [this] { ToolButton2Click(); },
        [this] { ToolButton3Click(); });
    if (!handled) QDialog::keyPressEvent(event);
}
