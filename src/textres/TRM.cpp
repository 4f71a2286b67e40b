// Text resources: the manager window, KATtify, and the main window's commands of this area.
#include "textres/TRM.h"

#include "common/Utils.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/FieldText.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/StatusBar.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"
#include "textres/KatGenSetsWin.h"
#include "textres/KatIndexing.h"
#include "textres/ReKatWin.h"
#include "textres/TextScanner.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

const char *const OwnCaption = "Text resource manager";
const char *const UnpairedQuotesText = "The error is detected: unpaired quotes (\"^\").";
const char *const PasteListNeedsSeparatorsText =
    "Attention! The \"Paste List\" function can work only with the text divided into the separate messages.";
constexpr int TextRole = Qt::UserRole;   // an item's text as 8-bit bytes

QString ShownItemText(const AnsiString &text)
{
    return ToQ(text).replace(QLatin1String("\r\n"), QString(QChar(0x21B5)));
}

// The manager's text editor shows line breaks as the widget's own; the texts keep CR LF.
AnsiString FromEditor(const QString &text)
{
    AnsiString s = FromQ(text), out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

QString ToEditor(const AnsiString &text) { return ToQ(text).replace(QLatin1String("\r\n"), QLatin1String("\n")); }

int ToInt(const AnsiString &decimal) { return decimal.empty() ? 0 : std::atoi(decimal.c_str()); }

TRegistry *OpenSettingsKey(TRegistry &reg) { return reg.OpenKey(SettingsKey, true) ? &reg : nullptr; }

// A panel with a bold title and a count at the right over what the panel shows; returns the
// layout that takes the panel's content.
QVBoxLayout *CreateTitledPanel(QWidget *&panel, const char *title, QLabel *&count)
{
    panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *header = new QHBoxLayout;
    auto *titleLabel = new QLabel(title);
    titleLabel->setStyleSheet("font-weight: bold");
    header->addWidget(titleLabel);
    header->addStretch(1);
    count = new QLabel("Count: ");
    header->addWidget(count);
    layout->addLayout(header);
    return layout;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Shared helpers

bool MakeBackupOrReport(const AnsiString &path)
{
    AnsiString reason;
    if (MakeBackupCopy(path, &reason)) return true;
    MessageBox(ApplicationWindow(),
               WithReason("Error at making backup copy of file \"" + PathInMessage(path) + "\"! Nothing has been changed.", reason), "Quillet",
               MB_OK | MB_ICONSTOP);
    return false;
}

void ApplyScriptEdits(TSynMemo *pane, const std::vector<ScriptEdit> &edits)
{
    if (edits.empty()) return;
    std::vector<TSynMemo::TReplacement> ranges;
    ranges.reserve(edits.size());
    for (const ScriptEdit &edit : edits) ranges.push_back({long(edit.Start), long(edit.End), edit.Text});
    pane->ReplaceRanges(ranges);
}

// ---------------------------------------------------------------------------------------------
// Creation

TTxtResMan::TTxtResMan(QWidget *owner) : QDialog(owner)
{
    setObjectName("TxtResMan");
    setWindowTitle(OwnCaption);
    CreateComponents();
    CreateMenus();
    FormCreate();
}

TTxtResMan::~TTxtResMan() { FormDestroy(); }

void TTxtResMan::CreateComponents()
{
    QWidget *listPanel = nullptr;
    QVBoxLayout *listLayout = CreateTitledPanel(listPanel, "Text resources list", Panel22Count);
    ListBox1 = new QListWidget;
    ListBox1->setObjectName("ListBox1");
    ListBox1->setUniformItemSizes(true);
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    listLayout->addWidget(ListBox1);

    QWidget *textPanel = nullptr;
    QVBoxLayout *textLayout = CreateTitledPanel(textPanel, "Text", Panel5Count);
    Memo1 = new QPlainTextEdit;
    Memo1->setObjectName("Memo1");
    Memo1->setTabChangesFocus(true);   // texts hold no TABs: Tab goes on to the next control
    textLayout->addWidget(Memo1);

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(listPanel);
    splitter->addWidget(textPanel);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);

    auto *status = new QHBoxLayout;
    status->addWidget(new QLabel(" Line #:"));
    Label3 = new QLabel;
    Label3->setMinimumWidth(60);
    status->addWidget(Label3);
    status->addWidget(new QLabel(" Text coord.:"));
    Label4 = new QLabel;
    Label4->setMinimumWidth(110);
    status->addWidget(Label4);
    ProgressBar1 = new TProgressBar;
    ProgressBar1->SetMin(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedWidth(150);
    ProgressBar1->hide();
    status->addWidget(ProgressBar1);
    status->addStretch(1);

    ToolBar1 = new TToolBar;
    ToolBar1->setOrientation(Qt::Vertical);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar1->SetShowCaptions(true);
    const auto button = [this](const char *caption, const char *hint, bool enabled) {
        TToolButton *b = ToolBar1->AddButton(caption);
        b->SetHint(hint);
        b->SetEnabled(enabled);
        b->setMinimumWidth(100);
        return b;
    };
    ToolButton3 = button("Search", "Search text resources in current script", true);
    ToolButton5 = button("Stop", "Stop searching", false);
    ToolBar1->AddSeparator();
    ToolButton2 = button("Copy list", "Copy all text resources in clipboard as list", false);
    ToolButton8 = button("Settings", "Settings", true);
    ToolButton7 = button("Paste list", "Paste text resources from clipboard", false);
    ToolButton1 = button("Apply selected", "Apply selected...", false);
    ToolBar1->AddSeparator();
    ToolButton10 = button("Help", "Get help about this window (F1)", true);
    ToolButton4 = button("Exit", "Close window (Esc)", true);

    auto *body = new QHBoxLayout;
    body->addWidget(splitter, 1);
    body->addWidget(ToolBar1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(status);

    ToolButton3->OnClick = [this] { ToolButton3Click(); };
    ToolButton5->OnClick = [this] { ToolButton5Click(); };
    ToolButton2->OnClick = [this] { ToolButton2Click(); };
    ToolButton7->OnClick = [this] { ToolButton7Click(); };
    ToolButton10->OnClick = [this] { ToolButton10Click(); };
    ToolButton4->OnClick = [this] { ToolButton4Click(); };
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) ListBox1Click();
    });
    // A click on the current item selects its text in the script again.
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });
}

void TTxtResMan::CreateMenus()
{
    PopupMenu1 = new QMenu(this);
    Toseparatethemessages1 = PopupMenu1->addAction("Separate messages");
    Toseparatethemessages1->setStatusTip("To separate or not messages at copying in clipboard");
    Toseparatethemessages1->setCheckable(true);
    Toseparatethemessages1->setChecked(true);
    RightArrange = PopupMenu1->addAction("Right arrange");
    RightArrange->setStatusTip("To arrange window on the right");
    RightArrange->setCheckable(true);
    PopupMenu1->addSeparator();
    KATsetup1 = PopupMenu1->addAction("KATfication setup ...");
    KATsetup1->setStatusTip("KATfication setup dialogue");
    ToolButton8->SetDropdownMenu(PopupMenu1);
    ToolButton8->setPopupMode(QToolButton::InstantPopup);

    PopupMenu2 = new QMenu(this);
    SelectAll1 = PopupMenu2->addAction("Select all");
    UnselectAll1 = PopupMenu2->addAction("Unselect all");
    PopupMenu2->addSeparator();
    InvertSelection1 = PopupMenu2->addAction("Invert selection");

    PopupMenu3 = new QMenu(this);
    Exportchangesincurrentdocument1 = PopupMenu3->addAction("To current document");
    Exportchangesincurrentdocument1->setStatusTip("Export changes to current document");
    ExportchangesinKATdocument1 = PopupMenu3->addAction("KATtify  current document");
    ExportchangesinKATdocument1->setStatusTip("KATtify  current document");
    ToolButton1->SetDropdownMenu(PopupMenu3);
    ToolButton1->setPopupMode(QToolButton::InstantPopup);

    // Menu items report a failure in the error box, as every event handler does.
    const auto guarded = [this](QAction *item, void (TTxtResMan::*handler)(), const char *name) {
        connect(item, &QAction::triggered, this, [this, handler, name] {
            try {
                (this->*handler)();
            } catch (const std::exception &e) {
                ShowHandlerException(e, "TRM", name);
            }
        });
    };
    connect(Toseparatethemessages1, &QAction::triggered, this, [this] { Toseparatethemessages1Click(); });
    connect(RightArrange, &QAction::triggered, this, [this] { RightArrangeClick(); });
    connect(KATsetup1, &QAction::triggered, this, [this] { KATsetup1Click(); });
    connect(SelectAll1, &QAction::triggered, this, [this] { SetAllChecks(ccSelect); });
    connect(UnselectAll1, &QAction::triggered, this, [this] { SetAllChecks(ccUnselect); });
    connect(InvertSelection1, &QAction::triggered, this, [this] { SetAllChecks(ccInvert); });
    guarded(Exportchangesincurrentdocument1, &TTxtResMan::Exportchangesincurrentdocument1Click,
            "TTxtResMan::Exportchangesincurrentdocument1Click");
    guarded(ExportchangesinKATdocument1, &TTxtResMan::ExportchangesinKATdocument1Click,
            "TTxtResMan::ExportchangesinKATdocument1Click");
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { PopupMenu2->popup(ListBox1->viewport()->mapToGlobal(p)); });
}

void TTxtResMan::FormCreate()
{
    Document = MainForm ? MainForm->ActiveEditor() : nullptr;

    TRegistry reg;
    if (OpenSettingsKey(reg)) {
        if (reg.ValueExists("TRMRightArrange")) RightArrange->setChecked(ReadBoolOr(reg, "TRMRightArrange", false));
        for (size_t i = 0; i < KatOptionFlags.size(); ++i)
            if (reg.ValueExists(KatOptionValueNames[i]))
                KatOptionFlags[i] = ReadBoolOr(reg, KatOptionValueNames[i], KatOptionFlags[i]);
        reg.CloseKey();
    }

    const AnsiString caption = Document ? Document->Caption() : AnsiString();
    ResetIndexSettings(ScriptNumberOf(caption));
    resize(std::max(sizeHint().width(), 600), 450);

    if (!Document || !FileExists(caption)) {
        setWindowTitle(OwnCaption + QString(": Document \"") + ToQPath(caption) + "\" was not saved!");
        ExportchangesinKATdocument1->setEnabled(false);
    } else if (Document->DocumentKind != "KAS_Document") {
        setWindowTitle(ToQ(AnsiString(OwnCaption) + ": Current document is not KAS-type!"));
        ExportchangesinKATdocument1->setEnabled(false);
    }
    if (!Document) ToolButton3->SetEnabled(false);
}

void TTxtResMan::FormDestroy()
{
    TRegistry reg;
    if (OpenSettingsKey(reg)) {
        try {
            reg.WriteBool("TRMRightArrange", RightArrange->isChecked());
        } catch (const ERegistryException &) {
            // an unwritable settings file only loses the window's placement
        }
        reg.CloseKey();
    }
}

void TTxtResMan::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TTxtResMan::FormShow()
{
    if (RightArrange->isChecked()) DockAtMainRight();
}

void TTxtResMan::closeEvent(QCloseEvent *event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TTxtResMan::FormClose()
{
    StopSearch = true;
    UndockFromMain();
}

void TTxtResMan::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        ToolButton4Click();
        return;
    }
    if (event->key() == Qt::Key_F1) {
        ToolButton10Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Docking at the main window's right edge

void TTxtResMan::DockAtMainRight()
{
    if (!MainForm || Docked) return;
    SavedMainWidth = MainForm->width();
    SavedMainLeft = MainForm->x();
    const int screen = ScreenWidth();
    int left = SavedMainLeft + SavedMainWidth;
    move(left, MainForm->y());
    if (screen < left + width()) {
        left = screen - width();
        move(left, MainForm->y());
        int mainLeft = left - SavedMainWidth;
        if (mainLeft < 0) {
            MainForm->move(0, MainForm->y());
            MainForm->resize(screen - width(), MainForm->height());
        } else {
            MainForm->move(mainLeft, MainForm->y());
        }
    }
    Docked = true;
}

void TTxtResMan::UndockFromMain()
{
    if (!MainForm || !Docked) return;
    MainForm->resize(SavedMainWidth, MainForm->height());
    MainForm->move(SavedMainLeft, MainForm->y());
    Docked = false;
}

void TTxtResMan::RightArrangeClick()
{
    // The item checks itself when clicked.
    if (RightArrange->isChecked())
        DockAtMainRight();
    else
        UndockFromMain();
}

// ---------------------------------------------------------------------------------------------
// List state

int TTxtResMan::ItemCount() const { return ListBox1->count(); }

AnsiString TTxtResMan::ItemText(int i) const
{
    const QByteArray b = ListBox1->item(i)->data(TextRole).toByteArray();
    return AnsiString(b.constData(), size_t(b.size()));
}

void TTxtResMan::SetItemText(int i, const AnsiString &text)
{
    QListWidgetItem *item = ListBox1->item(i);
    item->setData(TextRole, QByteArray(text.data(), qsizetype(text.size())));
    item->setText(ShownItemText(text));
}

std::vector<KatItem> TTxtResMan::Items() const
{
    std::vector<KatItem> items(static_cast<size_t>(ItemCount()));
    for (int i = 0; i < ItemCount(); ++i) {
        KatItem &item = items[size_t(i)];
        item.Kind = TextKinds[i].empty() ? '-' : TextKinds[i][0];
        item.Letter = TextLetters[i].empty() ? '-' : TextLetters[i][0];
        item.Start = ToInt(TextStarts[i]);
        item.End = ToInt(TextEnds[i]);
        item.Text = ItemText(i);
        item.Checked = ListBox1->item(i)->checkState() == Qt::Checked;
    }
    return items;
}

void TTxtResMan::StoreItemPositions(const std::vector<KatItem> &items)
{
    for (size_t i = 0; i < items.size() && int(i) < TextStarts.Count(); ++i) {
        TextStarts.SetString(int(i), IntToStr(items[i].Start));
        TextEnds.SetString(int(i), IntToStr(items[i].End));
    }
}

void TTxtResMan::ShowListCount(int count)
{
    Panel22Count->setText(count < 0 ? QString("Count: ") : QString("Count: %1").arg(count));
}

void TTxtResMan::ShowTextCount(int length)
{
    Panel5Count->setText(length < 0 ? QString("Count: ") : QString("Count: %1").arg(length));
}

void TTxtResMan::BeginProgress(int max)
{
    ProgressBar1->SetMax(std::max(1, max));
    ProgressBar1->SetPosition(0);
    ProgressBar1->show();
}

void TTxtResMan::EndProgress()
{
    ProgressBar1->SetPosition(0);
    ProgressBar1->hide();
}

void TTxtResMan::SetAllChecks(TCheckChange change)
{
    for (int i = 0; i < ItemCount(); ++i) {
        QListWidgetItem *item = ListBox1->item(i);
        const bool checked = item->checkState() == Qt::Checked;
        const bool on = change == ccInvert ? !checked : change == ccSelect;
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

// ---------------------------------------------------------------------------------------------
// The text scanner and the list's commands

void TTxtResMan::ToolButton3Click()
{
    if (!Document) return;
    StopSearch = false;
    ToolButton5->SetEnabled(true);
    Label3->clear();
    Updating = true;
    Memo1->clear();
    Updating = false;
    ListBox1->clear();
    for (TStringList *list : {&TextKinds, &TextLetters, &TextStarts, &TextEnds}) list->Clear();
    ToolButton1->SetEnabled(false);
    ToolButton3->SetEnabled(false);
    Label4->clear();
    ShowListCount(-1);
    ShowTextCount(-1);

    const AnsiString text = Document->Memo1->Text();
    BeginProgress(CountScanLines(text));
    Application->ProcessMessages();

    ScanHooks hooks;
    hooks.Progress = [this](int lines, int found) {
        ProgressBar1->SetPosition(lines);
        ShowListCount(found);
        Application->ProcessMessages();
    };
    hooks.StopRequested = [this] { return StopSearch; };
    const ScanResult result = ScanTexts(text, hooks);

    ListBox1->setUpdatesEnabled(false);
    for (const FoundText &found : result.Texts) {
        TextKinds.Add(AnsiString(1, found.Kind));
        TextLetters.Add(AnsiString(1, found.Letter));
        TextStarts.Add(IntToStr(found.Start));
        TextEnds.Add(IntToStr(found.End));
        auto *item = new QListWidgetItem(ShownItemText(found.Text));
        item->setData(TextRole, QByteArray(found.Text.data(), qsizetype(found.Text.size())));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        ListBox1->addItem(item);
    }
    ListBox1->setUpdatesEnabled(true);

    EndProgress();
    ToolButton3->SetEnabled(true);
    ToolButton5->SetEnabled(false);
    ShowListCount(ItemCount());
    Memo1->setReadOnly(true);
    ToolButton1->SetEnabled(true);
    if (ItemCount() > 0) {
        ToolButton2->SetEnabled(true);
        ToolButton7->SetEnabled(true);
    }
    if (result.Unpaired) MessageBox(this, UnpairedQuotesText, FromQ(windowTitle()), MB_OK | MB_ICONWARNING);
}

void TTxtResMan::ToolButton5Click()
{
    StopSearch = true;
    ToolButton5->SetEnabled(false);
}

void TTxtResMan::ToolButton4Click()
{
    StopSearch = true;
    close();
}

void TTxtResMan::ToolButton10Click()
{
    ShowContextHelp(116);
}

void TTxtResMan::ListBox1Click()
{
    const int i = ListBox1->currentRow();
    if (i < 0 || i >= TextStarts.Count() || !Document) return;
    const AnsiString text = ItemText(i);
    Updating = true;
    Memo1->setPlainText(ToEditor(text));
    Updating = false;
    Label4->setText(ToQ("(" + TextStarts[i] + ";" + TextEnds[i] + ") "));
    TSynMemo *script = Document->Memo1;
    script->SetSelStart(ToInt(TextStarts[i]) - 1);
    script->SetSelEnd(ToInt(TextEnds[i]) - 1);
    script->setFocus();
    script->SetTopLine(script->CaretY());
    ShowTextCount(int(text.size()));
    Memo1->setReadOnly(false);
    Label3->setText(QString("%1 ").arg(i + 1));
}

void TTxtResMan::Memo1Change()
{
    const int i = ListBox1->currentRow();
    if (Updating || i < 0) return;
    const QString typed = Memo1->toPlainText();
    const TCheckedText checked = CheckedFromQ(typed);
    if (!checked.Ok()) {
        // The text keeps what it held; the user learns which character the script cannot hold.
        MessageBox(this, RefusedCharacterText(checked, "Text"), FromQ(windowTitle()), MB_OK | MB_ICONWARNING);
        Updating = true;
        Memo1->setPlainText(ToEditor(ItemText(i)));
        Updating = false;
        QTextCursor cursor = Memo1->textCursor();
        cursor.setPosition(int(std::min<qsizetype>(checked.RefusedAt, Memo1->toPlainText().size())));
        Memo1->setTextCursor(cursor);
        return;
    }
    const AnsiString text = FromEditor(typed);
    SetItemText(i, text);
    ShowTextCount(int(text.size()));
}

void TTxtResMan::ToolButton2Click()
{
    Application->ProcessMessages();
    BeginProgress(ItemCount());
    std::vector<AnsiString> texts;
    texts.reserve(size_t(ItemCount()));
    for (int i = 0; i < ItemCount(); ++i) texts.push_back(ItemText(i));
    ProgressBar1->SetPosition(ItemCount());
    QApplication::clipboard()->setText(
        ToQ(JoinMessageList(texts, Toseparatethemessages1->isChecked(), MessageSeparator)));
    EndProgress();
}

void TTxtResMan::ToolButton7Click()
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    if (data && data->hasText()) {
        const std::optional<AnsiString> pasted = DocumentTextOfClipboard(this);
        if (!pasted) return;
        BeginProgress(ItemCount());
        std::vector<AnsiString> texts;
        for (int i = 0; i < ItemCount(); ++i) texts.push_back(ItemText(i));
        PasteMessageList(*pasted, MessageSeparator, texts);
        for (int i = 0; i < ItemCount(); ++i)
            if (texts[size_t(i)] != ItemText(i)) SetItemText(i, texts[size_t(i)]);
        EndProgress();
    }
    Updating = true;
    Memo1->clear();
    Updating = false;
    Panel22Count->clear();
}

void TTxtResMan::Toseparatethemessages1Click()
{
    // The item checks itself when clicked.
    if (!Toseparatethemessages1->isChecked())
        MessageBox(this, PasteListNeedsSeparatorsText, FromQ(windowTitle()), MB_OK | MB_ICONINFORMATION);
}

void TTxtResMan::KATsetup1Click()
{
    TKATGenSetsForm dialog(MainForm);
    ShowModal(&dialog);
}

// "To current document": the edited texts go into the script as one edit; the clipboard is not
// used, so whatever the user keeps there stays.
void TTxtResMan::Exportchangesincurrentdocument1Click()
{
    if (!Document) return;
    BeginProgress(ItemCount());
    Application->ProcessMessages();
    if (!Document) return EndProgress();   // closed meanwhile
    TSynMemo *script = Document->Memo1;
    const int selStart = script->SelStart(), selEnd = script->SelEnd();
    std::vector<KatItem> items = Items();
    ApplyScriptEdits(script, WriteBackTexts(script->TextView(), items, "\r\n"));
    StoreItemPositions(items);
    ProgressBar1->SetPosition(ItemCount());
    EndProgress();
    script->SetSelStart(selStart);
    script->SetSelEnd(selEnd);
}

// ---------------------------------------------------------------------------------------------
// KATtify

// A backup that was asked for and failed stops KATtify before anything is deleted or changed.
bool TTxtResMan::MakeKatBackups(const AnsiString &katPath)
{
    if (!FileExists(katPath) || !KatOptionFlags[KatMakeBackups]) return true;
    return MakeBackupOrReport(katPath) && MakeBackupOrReport(Document->Caption());
}

void TTxtResMan::DeleteOldKatFile(const AnsiString &katPath)
{
    QFile file(ToQPath(katPath));
    if (!file.remove())
        MessageBox(ApplicationWindow(), WithReason("Error at deleting file \"" + PathInMessage(katPath) + "\"!", FromQ(file.errorString())),
                   "Quillet", MB_OK | MB_ICONSTOP);
}

// Creates the KAT file with one empty row when it does not exist.
void TTxtResMan::SeedKatFile(const AnsiString &katPath, int line)
{
    if (FileExists(katPath)) return;
    QFile file(ToQPath(katPath));
    if (!file.open(QIODevice::ReadWrite)) {
        MessageBox(ApplicationWindow(), WithReason("Error at creating file \"" + PathInMessage(katPath) + "\"!", FromQ(file.errorString())),
                   "Quillet", MB_OK | MB_ICONSTOP);
        return;
    }
    const qint64 written = file.write("\t\t\r\n", 4);
    if (written != 4)
        MessageBox(ApplicationWindow(),
                   "Error writing to the file (4/" + IntToStr(std::max<qint64>(0, written)) +
                       "); file: \"TRM\", line: " + IntToStr(line) + ".",
                   FromQ(windowTitle()), MB_OK | MB_ICONWARNING);
}

// The window that receives the rows: the open KAT window, or one opened (or made) for the file.
// Null when it was closed while the window's events ran.
QPointer<TForm_Editor> TTxtResMan::KatTargetWindow(const AnsiString &katPath)
{
    TForm_Editor *open = MainForm->FindDocumentWindow(katPath);
    const bool openOld = KatOptionFlags[KatOpenOldDoc];
    if (open && !FileExists(katPath)) return open;
    if (open && openOld) {
        QPointer<TForm_Editor> target = open;
        MainForm->MdiArea->setActiveSubWindow(open);
        open->FormActivate();
        Application->ProcessMessages();
        return target;
    }
    if (FileExists(katPath) && !openOld) DeleteOldKatFile(katPath);
    SeedKatFile(katPath, open ? 599 : 569);
    QPointer<TForm_Editor> target = MainForm->OpenDocument(katPath, "KAT_Document");
    Application->ProcessMessages();
    return target;
}

// The rows the run's rows join: with the old document opened, those of the open KAT window or else
// of its file; without, the run starts the table anew from row 1 and keeps none.
KatTakenIndexes TTxtResMan::IndexesOfTargetTable(const AnsiString &katPath)
{
    KatTakenIndexes taken;
    if (!KatOptionFlags[KatOpenOldDoc]) return taken;
    if (TForm_Editor *open = MainForm->FindDocumentWindow(katPath)) {
        const TStringGrid *grid = open->StringGrid1;
        for (int r = 0; r < grid->RowCount(); ++r) taken.AddRow(grid->Cells(0, r), grid->Cells(1, r));
        return taken;
    }
    if (!FileExists(katPath)) return taken;
    // A file that cannot be read opens as an empty table, which holds no index.
    const TableReadResult read = ReadTableFile(katPath, KAT_Document);
    for (int r = 0; r < read.Table.RowCount; ++r) taken.AddRow(read.Table.Cell(0, r), read.Table.Cell(1, r));
    return taken;
}

// Row 0 becomes this script's header; other content there moves down one row first.
void TTxtResMan::WriteKatHeader(TForm_Editor *target, const AnsiString &scriptPath)
{
    TStringGrid *grid = target->StringGrid1;
    bool empty = true;
    for (int c = 0; c < grid->ColCount() && empty; ++c) empty = grid->Cells(c, 0).empty();
    if (!empty && !IsKatHeaderOf(grid->Cells(0, 0), grid->Cells(1, 0), scriptPath)) grid->InsertRow(0);
    grid->SetCell(0, 0, "#");
    grid->SetCell(1, 0, KatHeaderText(scriptPath));
}

// The rows from firstRow on; the table ends after them.
void TTxtResMan::WriteKatRows(TStringGrid *grid, int firstRow, const std::vector<KatRow> &rows, const AnsiString &version)
{
    const AnsiString today = TodayShortDate();
    const int end = firstRow + int(rows.size());
    grid->BeginUpdate();
    if (end > grid->RowCount()) grid->SetRowCount(end);
    int r = firstRow;
    for (const KatRow &row : rows) {
        grid->SetCell(0, r, row.Index);
        grid->SetCell(1, r, row.Cell);
        grid->SetCell(2, r, KatComment(grid->Cells(2, r), row.Type, KatOptionFlags[KatWriteStringType], version,
                                       KatOptionFlags[KatWriteScriptVersion]));
        grid->SetCell(3, r, today);
        ++r;
    }
    grid->SetRowCount(end);
    grid->EndUpdate();
}

// What can fail comes first: the numbering (a setting that is no number ends the command) and the
// backups. Only then is the old KAT file deleted or the table and the script changed.
void TTxtResMan::ExportchangesinKATdocument1Click()
{
    if (!Document || !MainForm) return;
    const AnsiString scriptPath = Document->Caption();
    const AnsiString katPath = scriptPath.substr(0, scriptPath.size() >= 4 ? scriptPath.size() - 4 : 0) + ".kat";
    BeginProgress(ItemCount());
    Application->ProcessMessages();
    if (!Document) return EndProgress();   // closed meanwhile
    const std::string_view text = Document->Memo1->TextView();
    std::array<TStringList, 6> types = TypeIndexSettings;
    TStringList common = CommonIndexSettings;
    KattifyResult result;
    try {
        result = Kattify(text, Items(), types, common, IndexesOfTargetTable(katPath), [this](int done) {
            if (done % 1024 == 0) ProgressBar1->SetPosition(done);
        });
    } catch (...) {
        EndProgress();
        throw;
    }
    const AnsiString version = ScriptVersionIn(text);
    if (!MakeKatBackups(katPath)) return EndProgress();

    // The manager is modal: while the KAT window opens, the script can be closed but not edited.
    const QPointer<TForm_Editor> target = KatTargetWindow(katPath);
    if (!target || !Document) return EndProgress();
    TypeIndexSettings = std::move(types);
    CommonIndexSettings = std::move(common);
    TStringGrid *grid = target->StringGrid1;
    WriteKatHeader(target, scriptPath);
    target->ShowCellInEditor(grid->FixedCols(), grid->FixedRows());

    TSynMemo *script = Document->Memo1;
    const int selStart = script->SelStart(), selEnd = script->SelEnd();
    WriteKatRows(grid, KatOptionFlags[KatOpenOldDoc] ? grid->RowCount() : 1, result.Rows, version);
    target->SetModified(true);
    ApplyScriptEdits(script, result.Edits);

    EndProgress();
    script->SetSelStart(selStart);
    script->SetSelEnd(selEnd);
    target->StatusBar2->Panels[2].SetText(IntToStr(grid->Row() + 1) + "/" + IntToStr(grid->RowCount()));
    target->StatusBar2->Panels[5].SetText(IntToStr(grid->Col() + 1) + "/" + IntToStr(grid->ColCount()));

    ToolButton3Click();
    if (Document) ShowKattifiedWindow();
    const AnsiString stayed = KatStayedMessage(result.Stayed);
    if (!stayed.empty()) MessageBox(this, stayed, FromQ(windowTitle()), MB_OK | MB_ICONWARNING);
}

// The script comes to the front when texts are left in it; else the KAT window stays in front.
void TTxtResMan::ShowKattifiedWindow()
{
    if (ItemCount() > 0) {
        MainForm->MdiArea->setActiveSubWindow(Document);
        Document->FormActivate();
        return;
    }
    // The columns are sized only when the KAT window is the one in front to show them.
    TRegistry reg;
    if (OpenSettingsKey(reg)) {
        const bool autosize = ReadBoolOr(reg, "AutoAutosizeAllCollsForKATTab", false);
        reg.CloseKey();
        if (autosize) MainForm->AutosizingCols->Execute();
    }
}

// ---------------------------------------------------------------------------------------------
// The main window's commands of this area

void TMainForm::ConnectTextResourceActions()
{
    BindAction(TextresourcemanagerAction1, &TMainForm::TextresourcemanagerAction1Execute,
               &TMainForm::TextresourcemanagerAction1Update);
    BindAction(ReKATtifyAction, &TMainForm::ReKATtifyActionExecute, &TMainForm::ReKATtifyActionUpdate);
    BindAction(GoToKATIndexAction, &TMainForm::GoToKATIndexActionExecute, &TMainForm::GoToKATIndexActionUpdate);
}

void TMainForm::TextresourcemanagerAction1Update()
{
    TForm_Editor *editor = ActiveEditor();
    TextresourcemanagerAction1->SetEnabled(editor && !editor->Memo1->isHidden());
}

void TMainForm::TextresourcemanagerAction1Execute()
{
    TTxtResMan manager(this);
    ShowModal(&manager);
}

void TMainForm::ReKATtifyActionUpdate()
{
    TForm_Editor *editor = ActiveEditor();
    ReKATtifyAction->SetEnabled(editor && editor->DocumentKind == "KAS_Document");
}

void TMainForm::ReKATtifyActionExecute()
{
    TREKATForm dialog(this);
    ShowModal(&dialog);
}

void TMainForm::GoToKATIndexActionUpdate()
{
    TForm_Editor *editor = ActiveEditor();
    GoToKATIndexAction->SetEnabled(editor && editor->DocumentKind == "KAS_Document" &&
                                   IsNumber(editor->Memo1->SelText(), false));
}

void TMainForm::GoToKATIndexActionExecute()
{
    TForm_Editor *script = ActiveEditor();
    if (!script) return;
    const AnsiString index = script->Memo1->SelText();
    const AnsiString caption = script->Caption();
    const AnsiString katName = caption.substr(0, caption.size() >= 4 ? caption.size() - 4 : 0) + ".kat";
    TForm_Editor *kat = FindDocumentWindow(katName);
    if (!kat) {
        if (!FileExists(katName)) {
            MessageBox(ApplicationWindow(), "File \"" + PathInMessage(katName) + "\" not found.", "Quillet", MB_OK | MB_ICONINFORMATION);
            return;
        }
        kat = OpenDocument(katName, "KAT_Document");
        if (!kat) return;   // not readable (it said why), or closed while it opened
    }
    TStringGrid *grid = kat->StringGrid1;
    for (int row = 0; row < grid->RowCount(); ++row) {
        if (grid->Cells(0, row) != index) continue;
        grid->SetCol(0);
        grid->SetRow(row);
        MdiArea->setActiveSubWindow(kat);
        kat->FormActivate();
        return;
    }
    MessageBox(ApplicationWindow(), "KAT index \"" + index + "\" not found.", "Quillet", MB_OK | MB_ICONINFORMATION);
}
