#include "script/KASFileConverter.h"

#include "common/Utils.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QVBoxLayout>
#include <filesystem>

namespace {

constexpr char Caption[] = "KAS file converter";
constexpr char NoDetails[] = "- - -";
constexpr char SourceDirValue[] = "KASFileConverterSourceDir";
constexpr char DestDirValue[] = "KASFileConverterDestDir";
constexpr char Filter[] = "KAS files (*.kas)|*.kas|Text files (*.txt)|*.txt|KAS, Text files (*.kas, *.txt)|*.txt;*.kas";
constexpr int FileStages = 11;

bool IsFolder(const AnsiString &path) { return !path.empty() && QFileInfo(ToQPath(path)).isDir(); }

AnsiString JoinPath(const AnsiString &folder, const AnsiString &name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Whether both names lead to one file: the same path, a link to it, or another hard link of it.
bool SameFile(const AnsiString &a, const AnsiString &b)
{
    std::error_code error;
    return std::filesystem::equivalent(QFile::encodeName(ToQPath(a)).toStdString(),
                                       QFile::encodeName(ToQPath(b)).toStdString(), error);
}

AnsiString DetailsText(const QFileInfo &info)
{
    return "Date, time: " + FromQ(QLocale::system().toString(info.lastModified(), QLocale::ShortFormat)) +
           "; size: " + IntToStr(info.size()) + " byte.";
}

} // namespace

AnsiString ConverterResultText(int converted, const std::vector<AnsiString> &failures)
{
    AnsiString text = "Done! " + IntToStr(converted) + " files were converted.";
    if (!failures.empty()) {
        text += "\r\n\r\nThese files were not converted:";
        for (const AnsiString &f : failures) text += "\r\n" + f;
    }
    return text;
}

TForm_ReConvertKAS::TForm_ReConvertKAS(QWidget *owner) : QDialog(owner)
{
    setObjectName("Form_ReConvertKAS");
    setWindowTitle(Caption);

    ToolBar1 = new TToolBar(this);
    ToolBar1->SetShowCaptions(true);
    ToolButton2 = ToolBar1->AddButton("Convert", "Convert selected files (Enter)", [this] { ToolButton2Click(); });
    ToolButton1 = ToolBar1->AddButton("Exit", "Close window (Esc)", [this] { ToolButton1Click(); });
    ToolButton3 = ToolBar1->AddButton("Help", "Get help about this window (F1)", [this] { ToolButton3Click(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(ToolBar1);
    Panel1 = new QWidget(this);
    auto *area = new QVBoxLayout(Panel1);
    area->setContentsMargins(0, 0, 0, 0);
    CreateSourceGroup(area);
    auto *details = new QHBoxLayout;
    details->addWidget(new QLabel("File details:"));
    Label10 = new QLabel(NoDetails);
    details->addWidget(Label10, 1);
    area->addLayout(details);
    layout->addWidget(Panel1, 1);
    CreateDestinationGroup(layout);
    CreateOptionGroup(layout);
    CreateProgressPanel(layout);
    FormCreate();
}

void TForm_ReConvertKAS::CreateSourceGroup(QVBoxLayout *layout)
{
    auto *group = new QGroupBox(" 1) Source directory ");
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(3);
    DriveComboBox1 = new QComboBox;
    for (const QFileInfo &drive : QDir::drives()) DriveComboBox1->addItem(drive.absoluteFilePath().toUpper());
    FilterComboBox1 = new QComboBox;
    for (const FileFilter &f : ParseFileFilter(Filter)) {
        QStringList patterns;
        for (const AnsiString &p : f.Patterns) patterns << ToQ(p);
        FilterComboBox1->addItem(ToQ(f.Name), patterns);
    }
    DirectoryListBox1 = new QListWidget;
    FileListBox1 = new QListWidget;
    FileListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileListBox1->setToolTip("Select all (Ctrl+A), invert selection (Ctrl+I)");
    FileListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = new QMenu(this);
    SelectAll1 = PopupMenu1->addAction("Select all", this, [this] { SelectAll1Click(); });
    SelectAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    Invertselection1 = PopupMenu1->addAction("Invert selection", this, [this] { Invertselection1Click(); });
    Invertselection1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    for (QAction *a : {SelectAll1, Invertselection1}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        FileListBox1->addAction(a);
    }
    grid->addWidget(DriveComboBox1, 0, 0);
    grid->addWidget(FilterComboBox1, 0, 1);
    grid->addWidget(DirectoryListBox1, 1, 0);
    grid->addWidget(FileListBox1, 1, 1);
    layout->addWidget(group, 1);

    connect(FileListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(FileListBox1->viewport()->mapToGlobal(at)); });
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this, [this] { FileListBox1Click(); });
    connect(DirectoryListBox1, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        SetDirectory(FromQPath(item->data(Qt::UserRole).toString()));
    });
    connect(FilterComboBox1, &QComboBox::currentIndexChanged, this, [this] {
        FillFileList();
        UpdateSelectionState();
    });
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this] { SetDirectory(FromQPath(DriveComboBox1->currentText())); });
}

void TForm_ReConvertKAS::CreateDestinationGroup(QVBoxLayout *layout)
{
    auto *group = new QGroupBox(" 2) Destination directory ");
    auto *line = new QHBoxLayout(group);
    line->setContentsMargins(3, 3, 3, 3);
    Edit4 = new QLineEdit;
    line->addWidget(Edit4, 1);
    auto *bar = new TToolBar;
    ToolButton16 = bar->AddButton("...", "Select destination directory", [this] { ToolButton16Click(); });
    line->addWidget(bar);
    layout->addWidget(group);
}

void TForm_ReConvertKAS::CreateOptionGroup(QVBoxLayout *layout)
{
    GroupBox3 = new QGroupBox("          3) To do optimization on a size (comments, empty strings will be deleted) ");
    auto *box = new QVBoxLayout(GroupBox3);
    box->setContentsMargins(3, 3, 3, 3);
    CheckBox1 = new QCheckBox(GroupBox3);
    CheckBox1->setGeometry(15, 0, 15, 15);
    CheckListBox1 = new QListWidget;
    for (const char *option : {"One operator - one line", "Delete Quillet tags"}) {
        auto *item = new QListWidgetItem(option, CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    CheckListBox1->setFixedHeight(CheckListBox1->sizeHintForRow(0) * 2 + 6);
    box->addWidget(CheckListBox1);
    layout->addWidget(GroupBox3);
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
}

void TForm_ReConvertKAS::CreateProgressPanel(QVBoxLayout *layout)
{
    Panel2 = new QWidget(this);
    auto *grid = new QGridLayout(Panel2);
    grid->setContentsMargins(0, 0, 0, 0);
    Label7 = new QLabel;
    ProgressBar1 = new QProgressBar;
    ProgressBar1->setMaximum(FileStages);
    ProgressBar2 = new QProgressBar;
    grid->addWidget(new QLabel("Current file:"), 0, 0);
    grid->addWidget(Label7, 0, 1);
    grid->addWidget(new QLabel("File progress:"), 1, 0);
    grid->addWidget(ProgressBar1, 1, 1);
    grid->addWidget(new QLabel("Total progress:"), 2, 0);
    grid->addWidget(ProgressBar2, 2, 1);
    grid->setColumnStretch(1, 1);
    Panel2->hide();
    layout->addWidget(Panel2);
}

void TForm_ReConvertKAS::FormCreate()
{
    setFixedSize(500, 450);
    CheckBox1->raise();
    SetDirectory(FromQPath(QDir::currentPath()));
    TRegistry reg;
    const bool keyOpen = reg.OpenKey(SettingsKey, false);
    if (keyOpen) {
        const AnsiString source = ReadStringOr(reg, SourceDirValue, "");
        if (IsFolder(source)) SetDirectory(source);
    }
    Edit4->setText(ToQPath(SourceDir));
    if (keyOpen) {
        const AnsiString dest = ReadStringOr(reg, DestDirValue, "");
        if (IsFolder(dest)) Edit4->setText(ToQPath(dest));
        reg.CloseKey();
    }
    CheckListBox1->item(0)->setCheckState(Qt::Checked);
    CheckListBox1->setEnabled(CheckBox1->isChecked());
    UpdateSelectionState();
}

void TForm_ReConvertKAS::SetDirectory(const AnsiString &folder)
{
    const QString clean = QDir::cleanPath(ToQPath(folder));
    if (!QFileInfo(clean).isDir()) return;
    SourceDir = FromQPath(clean);
    FillDirectoryList();
    DirectoryListBox1Change();
}

void TForm_ReConvertKAS::FillDirectoryList()
{
    DirectoryListBox1->clear();
    const QFileIconProvider icons;
    const QIcon folderIcon = icons.icon(QFileIconProvider::Folder);
    QStringList chain;
    for (QDir d(ToQPath(SourceDir));; ) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp()) break;
    }
    int depth = 0;
    for (const QString &path : chain) {
        const QString name = depth == 0 ? path : QFileInfo(path).fileName();
        auto *item = new QListWidgetItem(folderIcon, QString(depth * 2, ' ') + name, DirectoryListBox1);
        item->setData(Qt::UserRole, path);
        ++depth;
    }
    DirectoryListBox1->setCurrentRow(DirectoryListBox1->count() - 1);
    QDir current(ToQPath(SourceDir));
    for (const QFileInfo &sub : current.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(folderIcon, QString(depth * 2, ' ') + sub.fileName(), DirectoryListBox1);
        item->setData(Qt::UserRole, sub.absoluteFilePath());
    }
}

void TForm_ReConvertKAS::FillFileList()
{
    FileListBox1->clear();
    const QStringList patterns = FilterComboBox1->currentData().toStringList();
    const QFileIconProvider icons;
    QDir dir(ToQPath(SourceDir));
    for (const QFileInfo &file : dir.entryInfoList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase))
        new QListWidgetItem(icons.icon(file), file.fileName(), FileListBox1);
}

void TForm_ReConvertKAS::DirectoryListBox1Change()
{
    Edit4->setText(ToQPath(SourceDir));
    FillFileList();
    UpdateSelectionState();
}

void TForm_ReConvertKAS::UpdateSelectionState()
{
    const bool any = !FileListBox1->selectedItems().isEmpty();
    ToolButton2->SetEnabled(any);
    SelectAll1->setEnabled(any);
    Invertselection1->setEnabled(any);
    if (!any) Label10->setText(NoDetails);
}

void TForm_ReConvertKAS::ShowFileDetails(const AnsiString &path)
{
    Label10->setText(ToQ(DetailsText(QFileInfo(ToQPath(path)))));
}

void TForm_ReConvertKAS::FileListBox1Click()
{
    UpdateSelectionState();
    const QList<QListWidgetItem *> selected = FileListBox1->selectedItems();
    const QListWidgetItem *clicked = FileListBox1->currentItem();
    if (!clicked || !clicked->isSelected()) clicked = selected.isEmpty() ? nullptr : selected.front();
    if (clicked)
        ShowFileDetails(JoinPath(SourceDir, FromQPath(clicked->text())));
}

void TForm_ReConvertKAS::SelectAll1Click()
{
    FileListBox1->selectAll();
    ToolButton2->SetEnabled(FileListBox1->count() > 0);
}

void TForm_ReConvertKAS::Invertselection1Click()
{
    const QSignalBlocker quiet(FileListBox1);
    for (int i = 0; i < FileListBox1->count(); ++i) {
        QListWidgetItem *item = FileListBox1->item(i);
        item->setSelected(!item->isSelected());
    }
    UpdateSelectionState();
}

void TForm_ReConvertKAS::CheckBox1Click() { CheckListBox1->setEnabled(CheckBox1->isChecked()); }

void TForm_ReConvertKAS::ToolButton16Click()
{
    AnsiString dir = FromQPath(Edit4->text());
    if (SelectDirectory("Select destination directory:", "", dir) && !dir.empty()) Edit4->setText(ToQPath(dir));
}

void TForm_ReConvertKAS::ToolButton1Click() { close(); }

void TForm_ReConvertKAS::ToolButton3Click()
{
    ShowContextHelp(107);
}

bool TForm_ReConvertKAS::MakeDestination(const AnsiString &folder)
{
    if (IsFolder(folder)) return true;
    if (!QDir().mkdir(ToQPath(folder)))
        MessageBox(this, "Cannot create \"" + folder + "\" directory.", Caption, MB_OK | MB_ICONINFORMATION);
    return IsFolder(folder);
}

void TForm_ReConvertKAS::SetBusy(bool busy)
{
    ToolBar1->setEnabled(!busy);
    Panel1->setEnabled(!busy);
    GroupBox3->setEnabled(!busy);
    Panel2->setVisible(busy);
    ProgressBar1->setValue(0);
    ProgressBar2->setValue(0);
}

ConvertOptions TForm_ReConvertKAS::CurrentOptions() const
{
    ConvertOptions options;
    options.Optimize = CheckBox1->isChecked();
    options.OneOperatorPerLine = CheckListBox1->item(0)->checkState() == Qt::Checked;
    options.DeleteTags = CheckListBox1->item(1)->checkState() == Qt::Checked;
    TRegistry reg;
    options.WritePoweredBy = reg.OpenKey(ProductKey, false) && ReadBoolOr(reg, "WritePoweredBy", true);
    options.PoweredByValue = "Quillet v. " + GetFileVersionText(FromQPath(QCoreApplication::applicationFilePath()));
    options.DateValue = ShortDateText();
    return options;
}

bool TForm_ReConvertKAS::ConvertEntry(const AnsiString &name, const AnsiString &destination,
                                      const ConvertOptions &options, std::vector<AnsiString> &failures)
{
    const AnsiString source = JoinPath(SourceDir, name);
    const AnsiString target = JoinPath(destination, name);
    Label7->setText(ToQPath(source));
    ShowFileDetails(source);
    Application->ProcessMessages();

    const ConvertFileResult result =
        ConvertScriptFile(source, target, options, [this] { ProgressBar1->setValue(ProgressBar1->value() + 1); });
    switch (result.Status) {
    case ConvertFileResult::Converted: return true;
    case ConvertFileResult::SourceMissing: return false;   // gone meanwhile: skipped silently
    case ConvertFileResult::ReadFailed: failures.push_back(PathInMessage(source) + " (cannot be read)"); return false;
    case ConvertFileResult::OpenFailed:
        MessageBox(this, "Error at opening the file \"" + PathInMessage(target) + "\"!", Caption, MB_OK | MB_ICONERROR);
        failures.push_back(PathInMessage(target) + " (cannot be written)");
        return false;
    case ConvertFileResult::WriteFailed:
        MessageBox(this,
                   "Error writing to the file (" + IntToStr(result.Expected) + "/" + IntToStr(result.Written) +
                       "); file: \"KA_F_C\", line: 262.",
                   Caption, MB_OK | MB_ICONWARNING);
        failures.push_back(PathInMessage(target) + " (cannot be written)");
        return false;
    }
    return false;
}

bool TForm_ReConvertKAS::ReplacesSources(const AnsiString &destination) const
{
    for (int i = 0; i < FileListBox1->count(); ++i) {
        const QListWidgetItem *entry = FileListBox1->item(i);
        const AnsiString name = FromQPath(entry->text());
        if (entry->isSelected() && SameFile(JoinPath(SourceDir, name), JoinPath(destination, name))) return true;
    }
    return false;
}

void TForm_ReConvertKAS::ToolButton2Click()
{
    const AnsiString destination = FromQPath(Edit4->text());
    if (!MakeDestination(destination)) return;
    // A converted copy written over its own source loses what the conversion drops: only with the
    // user's word.
    if (ReplacesSources(destination) &&
        MessageBox(this, "The source scripts will be replaced by their converted copies. Go on?", Caption,
                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    SetBusy(true);
    // Read once for the whole run: the settings, the program's version and the date.
    const ConvertOptions options = CurrentOptions();
    ProgressBar2->setMaximum(FileListBox1->count());
    int converted = 0;
    std::vector<AnsiString> failures;
    for (int i = 0; i < FileListBox1->count(); ++i) {
        QListWidgetItem *entry = FileListBox1->item(i);
        const AnsiString name = FromQPath(entry->text());
        if (entry->isSelected() && FileExists(JoinPath(SourceDir, name))) {
            ProgressBar1->setValue(0);
            if (ConvertEntry(name, destination, options, failures)) ++converted;
        }
        {
            const QSignalBlocker quiet(FileListBox1);
            entry->setSelected(false);
        }
        ProgressBar2->setValue(i + 1);
    }
    SetBusy(false);
    Label7->clear();
    ToolButton2->SetEnabled(false);
    Label10->setText(NoDetails);
    MessageBox(this, ConverterResultText(converted, failures), Caption,
               MB_OK | (failures.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
}

bool TForm_ReConvertKAS::FormKeyDown(int key)
{
    const auto convert = [this] {
        if (ToolButton2->Enabled() && ToolBar1->isEnabled()) ToolButton2Click();
    };
    return RunDialogKey(key, convert, [this] { close(); }, [this] { ToolButton3Click(); });
}

void TForm_ReConvertKAS::keyPressEvent(QKeyEvent *event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && FormKeyDown(event->key())) return;
    QDialog::keyPressEvent(event);
}

// Closing is refused while a conversion runs.
bool TForm_ReConvertKAS::FormCloseQuery() { return ToolBar1->isEnabled(); }

void TForm_ReConvertKAS::FormClose()
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, false)) return;
    reg.WriteString(SourceDirValue, SourceDir);
    reg.WriteString(DestDirValue, FromQPath(Edit4->text()));
    reg.CloseKey();
}

void TForm_ReConvertKAS::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm_ReConvertKAS::done(int result)
{
    if (!FormCloseQuery() || Closing) return;
    Closing = true;
    FormClose();
    QDialog::done(result);
    Closing = false;
}
