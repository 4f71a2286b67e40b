#include "textres/ReKatWin.h"

#include "common/Utils.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/StatusBar.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"
#include "textres/KatIndexing.h"
#include "textres/TRM.h"

#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QVBoxLayout>

namespace {

const char *const OptionValueNames[2] = {"ReKATWin_CreateKASBackup", "ReKATWin_DeleteKAT"};

bool Checked(QListWidget *list, int i) { return list->item(i)->checkState() == Qt::Checked; }

} // namespace

TREKATForm::TREKATForm(QWidget *owner) : QDialog(owner)
{
    setObjectName("REKATForm");
    setWindowTitle("De-KATtify script");
    CreateComponents();
    FormCreate();
}

// The dialog has a small fixed size: the groups keep their margins tight.
static void Tighten(QLayout *layout) { layout->setContentsMargins(8, 4, 8, 4); }

void TREKATForm::CreateComponents()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 4);
    layout->setSpacing(4);

    auto *scriptGroup = new QGroupBox(" KAS document (destination) ");
    auto *scriptLayout = new QHBoxLayout(scriptGroup);
    Edit1 = new QLineEdit;
    Edit1->setReadOnly(true);
    scriptLayout->addWidget(Edit1);
    Tighten(scriptLayout);
    layout->addWidget(scriptGroup);

    auto *katGroup = new QGroupBox(" KATdocument (source) ");
    auto *katLayout = new QHBoxLayout(katGroup);
    Edit2 = new QLineEdit;
    katLayout->addWidget(Edit2, 1);
    auto *browseBar = new TToolBar;
    ToolButton3 = browseBar->AddButton("...");
    ToolButton3->SetHint("Select KAT document");
    katLayout->addWidget(browseBar);
    Tighten(katLayout);
    layout->addWidget(katGroup);

    auto *settingsGroup = new QGroupBox(" Settings ");
    auto *settingsLayout = new QVBoxLayout(settingsGroup);
    CheckListBox1 = new QListWidget;
    for (const char *caption : {"Create backup for KAS document", "Delete KAT document"}) {
        auto *item = new QListWidgetItem(caption, CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    CheckListBox1->setFixedHeight(2 * CheckListBox1->sizeHintForRow(0) + 2 * CheckListBox1->frameWidth() + 2);
    settingsLayout->addWidget(CheckListBox1);
    Tighten(settingsLayout);
    layout->addWidget(settingsGroup);

    auto *progressGroup = new QGroupBox(" Progress ");
    auto *progressLayout = new QHBoxLayout(progressGroup);
    ProgressBar1 = new TProgressBar;
    ProgressBar1->SetMin(0);
    ProgressBar1->setTextVisible(false);
    progressLayout->addWidget(ProgressBar1, 1);
    Label1 = new QLabel(" KAT index: ");
    progressLayout->addWidget(Label1);
    Label2 = new QLabel("0");
    Label2->setMinimumWidth(120);
    progressLayout->addWidget(Label2);
    Tighten(progressLayout);
    layout->addWidget(progressGroup);

    ToolBar1 = new TToolBar;
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar1->SetShowCaptions(true);
    ToolButton1 = ToolBar1->AddButton("Start");
    ToolButton1->SetHint("Start de-KATfication (Enter)");
    ToolButton1->SetEnabled(false);
    ToolButton2 = ToolBar1->AddButton("Close");
    ToolButton2->SetHint("Close dialogue (Esc)");
    ToolBar1->AddSeparator();
    ToolButton9 = ToolBar1->AddButton("Help");
    ToolButton9->SetHint("Get help about this dialogue (F1)");
    layout->addWidget(ToolBar1);

    ToolButton1->OnClick = [this] {
        try {
            ToolButton1Click();
        } catch (const std::exception &e) {
            EnableButtons(true);
            ShowHandlerException(e, "Rekatwin", "TREKATForm::ToolButton1Click");
        }
    };
    ToolButton2->OnClick = [this] { ToolButton2Click(); };
    ToolButton3->OnClick = [this] { ToolButton3Click(); };
    ToolButton9->OnClick = [this] { ToolButton9Click(); };
    connect(Edit2, &QLineEdit::textChanged, this, [this] { Edit2Change(); });
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this] { CheckListBox1Click(); });
}

void TREKATForm::FormCreate()
{
    setFixedSize(426, 272);
    ScriptWindow = MainForm ? MainForm->ActiveEditor() : nullptr;
    bool options[2] = {true, false};
    TRegistry reg;
    if (reg.OpenKey(SettingsKey, true)) {
        for (int i = 0; i < 2; ++i) options[i] = ReadBoolOr(reg, OptionValueNames[i], options[i]);
        reg.CloseKey();
    }
    CheckListBox1->blockSignals(true);
    for (int i = 0; i < 2; ++i) CheckListBox1->item(i)->setCheckState(options[i] ? Qt::Checked : Qt::Unchecked);
    CheckListBox1->blockSignals(false);
    if (ScriptWindow) Edit1->setText(ToQPath(ScriptWindow->Caption()));
}

void TREKATForm::Edit2Change()
{
    const AnsiString path = FromQPath(Edit2->text());
    ToolButton1->SetEnabled(FileExists(path) && AnsiUpperCase(ExtractFileExt(path)) == ".KAT");
}

void TREKATForm::ToolButton3Click()
{
    if (!MainForm || !ScriptWindow) return;
    TOpenDialog &dialog = MainForm->OpenDialog;
    dialog.Title = "Select KAT document";
    dialog.InitialDir = MainForm->LastWorkDir;
    dialog.Filter = "KAT documents (*.kat)|*.kat";
    const AnsiString script = ScriptWindow->Caption();
    dialog.FileName = FileExists(script) ? ExtractFileName(script.substr(0, script.size() - 4)) + ".kat" : AnsiString();
    if (dialog.Execute()) Edit2->setText(ToQPath(dialog.FileName));
}

void TREKATForm::CheckListBox1Click()
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, true)) return;
    reg.BeginUpdate();
    for (int i = 0; i < 2; ++i) reg.WriteBool(OptionValueNames[i], Checked(CheckListBox1, i));
    reg.EndUpdate();
    reg.CloseKey();
}

void TREKATForm::ToolButton9Click()
{
    ShowContextHelp(119);
}

void TREKATForm::ToolButton2Click() { close(); }

void TREKATForm::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ToolButton1->Enabled()) ToolButton1->OnClick();
        return;
    case Qt::Key_Escape:
        if (ToolButton2->Enabled()) ToolButton2Click();
        return;
    case Qt::Key_F1: ToolButton9Click(); return;
    default: QDialog::keyPressEvent(event);
    }
}

void TREKATForm::closeEvent(QCloseEvent *event)
{
    Application->ProcessMessages();
    if (!ToolButton2->Enabled()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TREKATForm::EnableButtons(bool on)
{
    for (TToolButton *b : {ToolButton1, ToolButton2, ToolButton9}) b->SetEnabled(on);
    repaint();
}

QPointer<TForm_Editor> TREKATForm::FindOrOpenKat(const AnsiString &path)
{
    if (TForm_Editor *w = MainForm->FindDocumentWindow(path)) {
        QPointer<TForm_Editor> found = w;
        MainForm->MdiArea->setActiveSubWindow(w);
        w->FormActivate();
        Application->ProcessMessages();
        return found;
    }
    return MainForm->OpenDocument(path, "KAT_Document");
}

// A script that was never saved is saved through the Save As dialog instead.
bool TREKATForm::BackUpScript()
{
    if (FileExists(ScriptWindow->Caption())) return MakeBackupOrReport(ScriptWindow->Caption());
    MainForm->MdiArea->setActiveSubWindow(ScriptWindow);
    MainForm->FileSaveAs1Execute();
    return true;
}

// Pass 1: texts that name other rows' texts ("%Z" + index) get them in place.
void TREKATForm::ExpandRows()
{
    TStringGrid *grid = KatWindow->StringGrid1;
    std::vector<AnsiString> indexes, texts;
    for (int r = 0; r < grid->RowCount(); ++r) {
        indexes.push_back(grid->Cells(0, r));
        texts.push_back(grid->Cells(1, r));
    }
    Label2->setText("%Z");
    const std::vector<bool> sources = ExpandKatReferences(indexes, texts);
    const AnsiString today = TodayShortDate();
    grid->BeginUpdate();
    for (int r = 0; r < grid->RowCount(); ++r) {
        if (texts[size_t(r)] != grid->Cells(1, r)) grid->SetCell(1, r, texts[size_t(r)]);
        if (sources[size_t(r)]) {
            grid->SetCell(3, r, today);
            KatWindow->SetModified(true);
        }
    }
    grid->EndUpdate();
    ProgressBar1->SetPosition(grid->RowCount());
}

// Pass 2: the references in the script become the texts again, as one edit of the script;
// each restored row is marked with "#" so that another run leaves it alone. The progress bar is
// repainted, not the windows' events run: the search reads the script's text in place.
void TREKATForm::RestoreScript()
{
    TStringGrid *grid = KatWindow->StringGrid1;
    std::vector<AnsiString> indexes, texts;
    for (int r = 0; r < grid->RowCount(); ++r) {
        indexes.push_back(grid->Cells(0, r));
        texts.push_back(grid->Cells(1, r));
    }
    TSynMemo *script = ScriptWindow->Memo1;
    const int rows = grid->RowCount();
    const RestoreResult result =
        RestoreKatReferences(script->TextView(), indexes, texts, [this, rows](size_t done, size_t total) {
            ProgressBar1->SetPosition(rows + int(3.0 * rows * double(done) / double(std::max<size_t>(1, total))));
            ProgressBar1->repaint();
        });
    int last = -1;   // the last row restored
    grid->BeginUpdate();
    for (int r = 0; r < rows; ++r) {
        if (!result.Restored[size_t(r)]) continue;
        grid->SetCell(0, r, "#" + indexes[size_t(r)]);
        last = r;
    }
    grid->EndUpdate();
    if (last < 0) return;
    Label2->setText(ToQ(indexes[size_t(last)] + " (KAS: \"z\")"));
    ApplyScriptEdits(script, result.Edits);
    ScriptWindow->SetModified(true);
    KatWindow->SetModified(true);
}

// Rows of one index cannot all come back: the user decides, before anything changes, whether the
// first row of each is put back or nothing is done.
bool TREKATForm::AcceptsRepeatedIndexes()
{
    const TStringGrid *grid = KatWindow->StringGrid1;
    std::vector<AnsiString> indexes;
    indexes.reserve(size_t(grid->RowCount()));
    for (int r = 0; r < grid->RowCount(); ++r) indexes.push_back(grid->Cells(0, r));
    const std::vector<AnsiString> repeated = RepeatedKatIndexes(indexes);
    return repeated.empty() ||
           MessageBox(this, RepeatedKatIndexesQuestion(repeated), FromQ(windowTitle()), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TREKATForm::DeleteKat()
{
    QFile::remove(ToQPath(KatWindow->Caption()));
    KatWindow->close();
}

// The run ends early, changing nothing more, when the backup fails or a window it works on is
// closed while the windows' events run.
void TREKATForm::DeKattify(const AnsiString &katPath)
{
    KatWindow = FindOrOpenKat(katPath);
    if (!KatWindow || !ScriptWindow) return;
    TStringGrid *grid = KatWindow->StringGrid1;
    KatWindow->ShowCellInEditor(grid->FixedCols(), grid->FixedRows());
    if (!AcceptsRepeatedIndexes() || !KatWindow || !ScriptWindow) return;
    if (Checked(CheckListBox1, 0) && !BackUpScript()) return;
    if (!KatWindow || !ScriptWindow) return;
    ProgressBar1->SetMax(std::max(1, 4 * KatWindow->StringGrid1->RowCount()));
    ExpandRows();
    RestoreScript();
    if (KatWindow && Checked(CheckListBox1, 1)) DeleteKat();
}

void TREKATForm::ToolButton1Click()
{
    if (!MainForm || !ScriptWindow) return;
    EnableButtons(false);
    const AnsiString path = FromQPath(Edit2->text());
    if (!FileExists(path))
        Edit2->clear();
    else
        DeKattify(path);
    EnableButtons(true);
    close();
}
